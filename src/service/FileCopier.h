#pragma once
// TFileCopier: the non-visual component that copies one file or a whole
// folder with progress and cancel, used by archiving and the year-end
// closing; with it the file helpers DeleteTree and FileSizeByName.
//
// A copy writes a temporary file beside the target and puts it in the
// target's place only when it is complete, so a cancelled or failed copy
// leaves the target as it was. Copying a file onto itself is decided by file
// identity (a symbolic or hard link to the source counts as the source).
// Paths use '/'.
#include "core/StringList.h"
#include "platform/system/SystemError.h"

#include <QObject>
#include <QPointer>
#include <QRegularExpression>
#include <QString>

#include <functional>

class QPlainTextEdit;

// Why the last copy failed, for the clerk's message (the error event carries
// the component's own English text).
enum TCopyFailureKind {
    cfNone,
    cfOntoItself,
    cfSourceMissing,
    cfNotAFile,
    cfOpenSource,
    cfCreateTarget,
    cfReadSource,
    cfWriteTarget,
    cfSourceChanged,
    cfCancelled,
    cfFolderRecursion,
};
struct TCopyFailure
{
    TCopyFailureKind Kind = cfNone;
    QString File;   // the file (or folder) the failure is about
    int Code = 0;   // the system's error code; 0 when there is none
};

// The clerk's Bulgarian text of a failed copy: the file and the cause.
QString CopyFailureText(const TCopyFailure &Failure);
// The cause behind a system error code in Bulgarian ("дискът е пълен").
using platform::SystemErrorText;

class TFileCopier : public QObject, public TObject
{
public:
    // After each buffer: bytes written and the file's size, the percentages
    // read and written so far; Cancel stops the copy.
    using TCopyProgressEvent = std::function<void(TObject *Sender, qint64 BytesDone, qint64 BytesTotal,
                                                  int PercentRead, int PercentWritten, bool &Cancel)>;
    // Before an existing target is replaced; Override false keeps it (the
    // file is then skipped, which is no error).
    using TOverridingEvent = std::function<void(TObject *Sender, const QString &TargetFile, bool &Override)>;
    using TCopyErrorEvent = std::function<void(TObject *Sender, const QString &Message)>;

    explicit TFileCopier(QObject *Owner = nullptr);

    QString SourceFile() const { return sourceFile_; }
    void SetSourceFile(const QString &Value) { sourceFile_ = Value; }
    QString TargetFile() const { return targetFile_; }
    void SetTargetFile(const QString &Value) { targetFile_ = Value; }
    bool IncludeSubFolders() const { return includeSubFolders_; }
    void SetIncludeSubFolders(bool Value) { includeSubFolders_ = Value; }
    // Out of line: the memo's class is only declared here.
    QPlainTextEdit *Memo() const;
    void SetMemo(QPlainTextEdit *Value);
    bool ShowProgressOnMemo() const { return showProgressOnMemo_; }
    // Refused, with a message, while no memo is assigned.
    void SetShowProgressOnMemo(bool Value);
    // The result of the last copy: 0, or 1 after an error.
    int Status() const { return status_; }
    // What the last error was (set before the error event fires).
    const TCopyFailure &LastFailure() const { return failure_; }

    TCopyProgressEvent OnCopyProgress;
    TOverridingEvent OnOverriding;
    TCopyErrorEvent OnError;

    // Copies SourceFile to TargetFile: a folder with CopyFolder, a file with
    // CopyFile. True when no error arose.
    bool Execute();
    bool CopyFile(const QString &Source, const QString &Target);
    bool CopyFolder(const QString &Source, const QString &Target);

private:
    bool Fail(TCopyFailureKind Kind, const QString &File, int Code, const QString &Message);
    void ToMemo(const QString &Line);

    QString sourceFile_;
    QString targetFile_;
    bool includeSubFolders_ = false;
    QPointer<QPlainTextEdit> memo_;
    bool showProgressOnMemo_ = false;
    int status_ = 0;
    TCopyFailure failure_;
    bool cancelled_ = false;
};

// Deletes Folder with every file and folder in it, write-protection
// notwithstanding. A symbolic link is removed as a link, never followed, so
// nothing outside the tree is touched. True when nothing of it remains.
bool DeleteTree(const QString &Folder);

// The size of the file of that name; 0 when there is no such file.
qint64 FileSizeByName(const QString &Name);

// A lock of the operating system on a file, the kind the database engine
// relies on for the shared database: every workstation sees it, and it ends
// with its process, so a process that dies leaves no lock behind. The file
// is removed while still held when the lock is let go: a lock is only ever
// taken on the file that stands under the name.
class TFileLock
{
public:
    TFileLock() = default;
    ~TFileLock() { Release(); }
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // Takes the lock on Path without waiting, making the file when Create.
    // False when another holds it (Error() "") or for another cause
    // (Error() the reason, SystemErrorText).
    bool TryLock(const QString &Path, bool Create);
    bool Held() const { return fd_ >= 0; }
    int Handle() const { return fd_; }
    QString Error() const { return error_; }
    // Removes the file and lets the lock go.
    void Release();

private:
    QString path_;
    QString error_;
    int fd_ = -1;
};

// A work of a running process (a file or a folder) in a folder that other
// processes, of this workstation or another, use too: named with the
// process's tag, and held by a TFileLock on its name + ".lock", taken before
// the work is made and let go after it is gone. What stands there with no
// lock that someone holds belongs to a process that has ended.
class TWorkMark
{
public:
    // Stem followed by this process's tag "<host>-<pid>-<n>" (n counts the
    // works of the process).
    static QString NewWorkName(const QString &Stem);
    // Marks the work at Path (a name made by NewWorkName).
    explicit TWorkMark(const QString &Path);
    // Removes the work (and a journal the database engine kept beside it),
    // then the mark.
    ~TWorkMark();
    TWorkMark(const TWorkMark &) = delete;
    TWorkMark &operator=(const TWorkMark &) = delete;

    bool Held() const { return lock_.Held(); }
    QString Error() const { return lock_.Error(); }
    QString Path() const { return path_; }

    // Removes from Folder the works named Stem + a tag whose processes have
    // ended, and whatever else begins with Stem without a mark; the works of
    // running processes stay. With Form, only works whose name matches it
    // are looked at.
    static void RemoveAbandoned(const QString &Folder, const QString &Stem,
                                const QRegularExpression &Form = QRegularExpression());

private:
    QString path_;
    TFileLock lock_;
};
