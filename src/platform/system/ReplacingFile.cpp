#include "platform/system/ReplacingFile.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

ReplacingFile::ReplacingFile(const QString &FileName) : fileName_(FileName) {}

ReplacingFile::~ReplacingFile() { Cancel(); }

bool ReplacingFile::Open()
{
    Cancel();
    const QFileInfo target(fileName_);
    // Made anew under a name nobody could know before (never opened through
    // a link), in the final folder so that the last step is a rename.
    auto temp = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                                                 + QStringLiteral(".XXXXXX"));
    temp->setAutoRemove(false);
    errno = 0;
    if (!temp->open()) {
        error_ = temp->errorString();
        return false;
    }
    // The name is made now: a library may write the file by it.
    (void)temp->fileName();
    temp_ = std::move(temp);
    error_.clear();
    return true;
}

QFile &ReplacingFile::Device()
{
    static QFile none;
    return temp_ ? static_cast<QFile &>(*temp_) : none;
}

QString ReplacingFile::TemporaryName() const { return temp_ ? temp_->fileName() : QString(); }

bool ReplacingFile::Fail(int Code)
{
    if (Code == 0)
        Code = EIO;
    error_ = QString::fromLocal8Bit(std::strerror(Code));
    Cancel();
    errno = Code;
    return false;
}

bool ReplacingFile::Commit()
{
    if (!temp_)
        return Fail(EBADF);
    errno = 0;
    if (temp_->isOpen()) {
        // A failing flush of the last buffer (a full disk) must not give a
        // short file the final name.
        if (temp_->error() != QFileDevice::NoError || !temp_->flush() || ::fsync(temp_->handle()) != 0
            || temp_->error() != QFileDevice::NoError)
            return Fail(errno);
        temp_->close();
    }
    const QByteArray temp = QFile::encodeName(temp_->fileName());
    const QByteArray target = QFile::encodeName(fileName_);
    mode_t mode = 0;
    struct stat old;
    if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::chmod(temp.constData(), mode) != 0)
        return Fail(errno);
    if (std::rename(temp.constData(), target.constData()) != 0)
        return Fail(errno);
    temp_.reset();
    errno = 0;
    return true;
}

void ReplacingFile::Cancel()
{
    if (!temp_)
        return;
    const QString name = temp_->fileName();
    temp_->close();
    temp_.reset();
    if (!name.isEmpty())
        QFile::remove(name);
}

} // namespace platform
