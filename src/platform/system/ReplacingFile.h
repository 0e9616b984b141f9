#pragma once
// A file written under a temporary name beside its final one and given the
// final name in one step once it is whole. The final name is replaced, never
// followed: a link planted there is replaced by the new file and whatever it
// points to stays untouched (a save file of the class library writes to the
// file a link points to). A write that stops or fails leaves the old file, or
// none, and no temporary file behind.
//
// The temporary file is hidden and names its writer:
// ".<name>.<pid>@<machine>.XXXXXX". A process that is killed before it
// commits leaves it behind; RemoveLeftovers clears such files of writers
// that no longer run, and never the file of a process still writing.
//
//   platform::ReplacingFile out(name);
//   if (!out.Open()) ... out.ErrorString();
//   out.Device().write(...);
//   if (!out.Commit()) ... out.ErrorString();
#include <QFile>
#include <QString>
#include <memory>

namespace platform {

class ReplacingFile
{
public:
    explicit ReplacingFile(const QString &FileName);
    // Drops a file not committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile &) = delete;
    ReplacingFile &operator=(const ReplacingFile &) = delete;

    // Makes the temporary file beside the final name, open for writing;
    // false with Error() and ErrorString(). A final name that is a folder,
    // or too long for its folder, is refused here, before anything is
    // written.
    bool Open();
    // The temporary file, written through this device, or by its name by a
    // library that writes files itself (closing the device first).
    QFile &Device();
    QString TemporaryName() const;
    // Flushes and syncs what was written and gives the file its final name,
    // with the permissions of the regular file it replaces, or those any new
    // file of the user gets. False with Error(), ErrorString() and errno
    // set; the temporary file is gone either way.
    bool Commit();
    // The counterpart of Commit for a file that must replace nothing: flushes
    // and syncs what was written and gives the file the name To, with the
    // permissions any new file of the user gets, unless a file stands there
    // (PlaceWithoutReplacing). 0; EEXIST, the file kept to be placed under
    // another name; or the system's error, the file gone.
    int Place(const QString &To);
    // Drops the file written so far.
    void Cancel();

    QString FileName() const { return fileName_; }
    // The system's code of the last failure (errno; 0 when none).
    int Error() const { return code_; }
    // Its cause in the clerk's words (WriteErrorCause).
    QString ErrorString() const;

    // Removes the temporary files in Folder that writers on this machine
    // left when they ended without a commit: those whose process no longer
    // runs. Files of running processes, of other machines (a shared folder)
    // and any other file stay. Returns the number removed.
    static int RemoveLeftovers(const QString &Folder);

private:
    bool Fail(int Code);
    // Flushes, syncs and closes the file; false with Error().
    bool Finish();

    QString fileName_;
    QString tempName_;
    int code_ = 0;
    std::unique_ptr<QFile> temp_;
};

// The cause of a failed write of FileName with the system's code, in the
// clerk's words: "няма място на диска", "папката "..." не съществува",
// ""..." е папка", "няма право на запис в папката "..."", "името на файла е
// твърде дълго", ...
QString WriteErrorCause(const QString &FileName, int Code);
// The whole message: "Файлът "<name>" не може да бъде записан: <cause>.";
// a long name is shortened in its middle.
QString WriteErrorText(const QString &FileName, int Code);

// The counterpart of a replacing write: gives the file From the name To
// unless To exists, so that a file put there meanwhile by anyone is never
// replaced. 0 or the system's error (EEXIST when To exists).
int PlaceWithoutReplacing(const QString &From, const QString &To);

// Makes the file (or folder: the names in it) at Path reach the disk; 0 or
// the system's error.
int SyncToDisk(const QString &Path);

} // namespace platform
