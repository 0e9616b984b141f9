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

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QPlainTextEdit;

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
    QPlainTextEdit *Memo() const { return memo_; }
    void SetMemo(QPlainTextEdit *Value) { memo_ = Value; }
    bool ShowProgressOnMemo() const { return showProgressOnMemo_; }
    // Refused, with a message, while no memo is assigned.
    void SetShowProgressOnMemo(bool Value);
    // The result of the last copy: 0, or 1 after an error.
    int Status() const { return status_; }

    TCopyProgressEvent OnCopyProgress;
    TOverridingEvent OnOverriding;
    TCopyErrorEvent OnError;

    // Copies SourceFile to TargetFile: a folder with CopyFolder, a file with
    // CopyFile. True when no error arose.
    bool Execute();
    bool CopyFile(const QString &Source, const QString &Target);
    bool CopyFolder(const QString &Source, const QString &Target);

private:
    bool Fail(const QString &Message);
    void ToMemo(const QString &Line);

    QString sourceFile_;
    QString targetFile_;
    bool includeSubFolders_ = false;
    QPointer<QPlainTextEdit> memo_;
    bool showProgressOnMemo_ = false;
    int status_ = 0;
    bool cancelled_ = false;
};

// Deletes Folder with every file and folder in it, write-protection
// notwithstanding. A symbolic link is removed as a link, never followed, so
// nothing outside the tree is touched. True when nothing of it remains.
bool DeleteTree(const QString &Folder);

// The size of the file of that name; 0 when there is no such file.
qint64 FileSizeByName(const QString &Name);
