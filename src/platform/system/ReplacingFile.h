#pragma once
// A file written under a temporary name beside its final one and given the
// final name in one step once it is whole. The final name is replaced, never
// followed: a link planted there is replaced by the new file and whatever it
// points to stays untouched (a save file of the class library writes to the
// file a link points to). A write that stops or fails leaves the old file, or
// none, and no temporary file behind.
//
//   platform::ReplacingFile out(name);
//   if (!out.Open()) ... out.ErrorString();
//   out.Device().write(...);
//   if (!out.Commit()) ... out.ErrorString();
#include <QFile>
#include <QString>
#include <memory>

class QTemporaryFile;

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
    // false with ErrorString().
    bool Open();
    // The temporary file, written through this device, or by its name by a
    // library that writes files itself (closing the device first).
    QFile &Device();
    QString TemporaryName() const;
    // Flushes and syncs what was written and gives the file its final name,
    // with the permissions of the regular file it replaces, or those any new
    // file of the user gets. False with ErrorString() and errno set; the
    // temporary file is gone either way.
    bool Commit();
    // Drops the file written so far.
    void Cancel();

    QString FileName() const { return fileName_; }
    QString ErrorString() const { return error_; }

private:
    bool Fail(int Code);

    QString fileName_;
    QString error_;
    std::unique_ptr<QTemporaryFile> temp_;
};

} // namespace platform
