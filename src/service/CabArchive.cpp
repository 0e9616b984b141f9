#include "service/CabArchive.h"

#include "platform/cab/CabFormat.h"
#include "platform/cab/CabReader.h"
#include "platform/cab/CabWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::cab;

namespace {

// The component whose extraction runs at the moment: one at a time in the
// process.
TCabArchive *extractingComponent = nullptr;

int LastError()
{
    return errno != 0 ? errno : EIO;
}

QString FileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FolderPart(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The part of a stored name that the default extraction writes: the last
// part only, whichever separator the name uses, so that no stored name
// reaches outside the destination. Empty when nothing usable remains.
QString SafeStoredName(const QString &stored)
{
    const int cut = std::max(stored.lastIndexOf(QLatin1Char('/')), stored.lastIndexOf(QLatin1Char('\\')));
    const QString last = stored.mid(cut + 1);
    if (last.isEmpty() || last == QLatin1String(".") || last == QLatin1String("..") || last.contains(QChar(0)))
        return QString();
    return last;
}

struct Mark
{
    bool &flag;
    explicit Mark(bool &f) : flag(f) { flag = true; }
    ~Mark() { flag = false; }
};

} // namespace

ECabApiError::ECabApiError(int Code)
    : Exception(QStringLiteral("Error %1: %2").arg(Code).arg(qt_error_string(Code))), code_(Code)
{
}

// The file routines both libraries call; each reaches the component.
template <class Callbacks> class TCabArchive::FileRoutines : public Callbacks
{
public:
    explicit FileRoutines(TCabArchive &c) : c_(c) {}
    intptr_t Open(const QString &name, int flags, int mode, int &err) override
    {
        return c_.FileOpen(name, flags, mode, err);
    }
    unsigned Read(intptr_t file, void *buffer, unsigned count, int &err) override
    {
        return c_.FileRead(file, buffer, count, err);
    }
    unsigned Write(intptr_t file, const void *buffer, unsigned count, int &err) override
    {
        return c_.FileWrite(file, buffer, count, err);
    }
    int Close(intptr_t file, int &err) override { return c_.FileClose(file, err); }
    qint64 Seek(intptr_t file, qint64 distance, int origin, int &err) override
    {
        return c_.FileSeek(file, distance, origin, err);
    }

protected:
    TCabArchive &c_;
};

// The routines the writer calls.
class TCabArchive::Compression : public FileRoutines<WriterCallbacks>
{
public:
    using FileRoutines::FileRoutines;
    int Delete(const QString &name, int &err) override { return c_.FileDelete(name, err); }
    bool GetTempFile(QString &name, int bufferSize) override { return c_.TempFile(name, bufferSize); }
    int FilePlaced(CabParameters &cab, const QString &file, qint64 length, bool continuation) override
    {
        return c_.FilePlaced(cab, file, length, continuation);
    }
    bool GetNextCabinet(CabParameters &cab, quint32 previousEstimate) override
    {
        return c_.NextCabinetName(cab, previousEstimate);
    }
    long Status(int type, quint32 size1, quint32 size2) override { return c_.Status(type, size1, size2); }
    intptr_t GetOpenInfo(const QString &name, quint16 &date, quint16 &time, quint16 &attributes,
                         int &err) override
    {
        return c_.OpenInfo(name, date, time, attributes, err);
    }
};

// The routines the reader calls.
class TCabArchive::Extraction : public FileRoutines<ReaderCallbacks>
{
public:
    using FileRoutines::FileRoutines;
    intptr_t Notify(NotificationType type, Notification &notice) override { return c_.Notify(type, notice); }
};

TCabArchive::TCabArchive(QObject *Owner)
    : QObject(Owner), compression_(std::make_unique<Compression>(*this)),
      extraction_(std::make_unique<Extraction>(*this))
{
}

TCabArchive::~TCabArchive()
{
    // The writer removes its temporary file through the file routines, so
    // it goes before the streams.
    writer_.reset();
    reader_.reset();
    streams_.clear();
    if (extractingComponent == this)
        extractingComponent = nullptr;
}

void TCabArchive::SetDestinationPath(const QString &Value)
{
    destinationPath_ = Value;
    if (!destinationPath_.isEmpty() && !destinationPath_.endsWith(QLatin1Char('/')))
        destinationPath_ += QLatin1Char('/');
}

int TCabArchive::CompressionCode() const
{
    int code = CompressionType & 0x7F;
    if (CompressionType == CompressQuantum)
        code += (QuantumLevel << 4) + (QuantumMemory << 8);
    else if (CompressionType == CompressLzx)
        code += LZXWindow << 8;
    return code;
}

template <class R, class F> R TCabArchive::Guarded(R failure, F &&body)
{
    try {
        return body();
    } catch (...) {
        if (!pending_)
            pending_ = std::current_exception();
        return failure;
    }
}

void TCabArchive::RethrowPending()
{
    if (pending_) {
        std::exception_ptr e = pending_;
        pending_ = nullptr;
        std::rethrow_exception(e);
    }
}

void TCabArchive::RaiseError()
{
    if (OnError)
        OnError(this, erf_.Code, erf_.Type);
}

void TCabArchive::Pump()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

// ---- file routines shared by both libraries ----

QFile *TCabArchive::Find(intptr_t handle) const
{
    for (const auto &f : streams_)
        if (f->handle() == handle)
            return f.get();
    return nullptr;
}

intptr_t TCabArchive::FileOpen(const QString &name, int flags, int mode, int &err)
{
    Q_UNUSED(mode);
    return Guarded<intptr_t>(-1, [&]() -> intptr_t {
        auto file = std::make_unique<QFile>(name);
        const bool create = flags & OpenCreate;
        const QIODevice::OpenMode how =
            create || (flags & OpenWriteOnly) ? QIODevice::ReadWrite : QIODevice::ReadOnly;
        // The file is opened without blocking and must be a regular file: a
        // pipe or a device named as a cabinet or a source would never answer.
        // A file made anew is made at its name, never through a link planted
        // there (a cabinet's name can be foreseen to the second), nor into a
        // file that has another name as well.
        int openFlags = ((how & QIODevice::WriteOnly) ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
        if (create)
            openFlags |= O_CREAT | O_NOFOLLOW;
        errno = 0;
        const int fd = ::open(QFile::encodeName(name).constData(), openFlags, 0666);
        struct stat st;
        int refusal = 0;
        if (fd < 0)
            refusal = LastError();
        else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
            refusal = EINVAL;
        else if (create && st.st_nlink > 1)
            refusal = EEXIST;
        else if (create && ::ftruncate(fd, 0) != 0)
            refusal = LastError();
        if (refusal != 0) {
            err = refusal;
            if (fd >= 0)
                ::close(fd);
            return -1;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (!file->open(fd, how | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            err = EIO;
            return -1;
        }
        const intptr_t handle = file->handle();
        streams_.push_back(std::move(file));
        err = 0;
        return handle;
    });
}

unsigned TCabArchive::FileRead(intptr_t handle, void *buffer, unsigned count, int &err)
{
    return Guarded<unsigned>(0, [&]() -> unsigned {
        Pump();
        QFile *file = Find(handle);
        if (!file) {
            err = -1;
            return 0;
        }
        errno = 0;
        const qint64 n = file->read(static_cast<char *>(buffer), qint64(count));
        if (n == qint64(count)) {
            err = 0;
            if (handle == tracked_) {
                bytesDone_ += n;
                if (OnProgress)
                    OnProgress(this, bytesDone_, bytesTotal_);
            }
        } else {
            err = LastError();
        }
        return n < 0 ? 0 : unsigned(n);
    });
}

unsigned TCabArchive::FileWrite(intptr_t handle, const void *buffer, unsigned count, int &err)
{
    return Guarded<unsigned>(0, [&]() -> unsigned {
        Pump();
        QFile *file = Find(handle);
        if (!file) {
            err = -1;
            return 0;
        }
        errno = 0;
        const qint64 n = file->write(static_cast<const char *>(buffer), qint64(count));
        if (n == qint64(count)) {
            err = 0;
            if (extracting_) {
                bytesDone_ += n;
                if (OnProgress)
                    OnProgress(this, bytesDone_, bytesTotal_);
            }
        } else {
            err = LastError();
        }
        return n < 0 ? 0 : unsigned(n);
    });
}

qint64 TCabArchive::FileSeek(intptr_t handle, qint64 distance, int origin, int &err)
{
    return Guarded<qint64>(-1, [&]() -> qint64 {
        QFile *file = Find(handle);
        if (!file) {
            err = -1;
            return 0;
        }
        qint64 target = distance;
        if (origin == SeekCurrent)
            target += file->pos();
        else if (origin == SeekEnd)
            target += file->size();
        else if (origin != SeekStart)
            target = -1;
        errno = 0;
        if (target < 0 || !file->seek(target)) {
            err = LastError();
            return -1;
        }
        err = 0;
        return target;
    });
}

int TCabArchive::FileClose(intptr_t handle, int &err)
{
    return Guarded<int>(0, [&]() -> int {
        for (auto it = streams_.begin(); it != streams_.end(); ++it)
            if ((*it)->handle() == handle) {
                streams_.erase(it);
                break;
            }
        if (handle == tracked_)
            tracked_ = -1;
        err = 0;
        return 0;
    });
}

int TCabArchive::FileDelete(const QString &name, int &err)
{
    return Guarded<int>(0, [&]() -> int {
        errno = 0;
        err = QFile::remove(name) ? 0 : LastError();
        return 0;
    });
}

// ---- compression callbacks ----

bool TCabArchive::TempFile(QString &name, int bufferSize)
{
    return Guarded<bool>(false, [&]() -> bool {
        QString temp;
        bool success = false;
        if (OnGetTempFile) {
            OnGetTempFile(this, temp, success);
        } else {
            const QString prefix = QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(3);
            QTemporaryFile file(QDir::tempPath() + QLatin1Char('/') + prefix + QStringLiteral("XXXXXX"));
            file.setAutoRemove(false);
            success = file.open();
            temp = file.fileName();
        }
        if (!success || QFile::encodeName(temp).size() >= bufferSize)
            return false;
        name = temp;
        return true;
    });
}

int TCabArchive::FilePlaced(TCCAB &cab, const QString &file, qint64 length, bool continuation)
{
    return Guarded<int>(-1, [&]() -> int {
        bool abort = false;
        if (OnFilePlacedEvent)
            OnFilePlacedEvent(this, cab, file, int(length), continuation, abort);
        return abort ? -1 : 0;
    });
}

bool TCabArchive::NextCabinetName(TCCAB &cab, quint32 previousEstimate)
{
    return Guarded<bool>(false, [&]() -> bool {
        bool abort = true;
        QString next;
        if (OnGetNextCabinet)
            OnGetNextCabinet(this, cab, next, int(previousEstimate), abort);
        if (abort)
            return false;
        cab.CabinetName = FileNamePart(next);
        cab.CabinetPath = FolderPart(next);
        return true;
    });
}

long TCabArchive::Status(int type, quint32 size1, quint32 size2)
{
    return Guarded<long>(-1, [&]() -> long {
        int result = 0;
        switch (type) {
        case StatusFile:
            if (OnFileStatus)
                OnFileStatus(this, int(size1), int(size2), result);
            if (abort_)
                result = -1;
            break;
        case StatusFolder:
            if (OnFolderStatus)
                OnFolderStatus(this, int(size1), int(size2), result);
            break;
        case StatusCabinet:
            if (OnCabinetStatus)
                OnCabinetStatus(this, int(size1), int(size2), result);
            break;
        default:
            return -1;
        }
        return result;
    });
}

intptr_t TCabArchive::OpenInfo(const QString &name, quint16 &date, quint16 &time, quint16 &attributes, int &err)
{
    return Guarded<intptr_t>(-1, [&]() -> intptr_t {
        if (OnGetOpenInfo) {
            qint16 d = 0, t = 0, a = 0;
            int handle = -1;
            int result = 0;
            OnGetOpenInfo(this, name, d, t, a, handle, result);
            if (result != 0)
                return -1;
            date = quint16(d);
            time = quint16(t);
            attributes = quint16(a);
            return handle;
        }
        const QFileInfo info(name);
        attributes = 0;
        if (fileSupport_) {
            if (!info.exists()) {
                err = ENOENT;
                return -1;
            }
            attributes = AttrArchive | ((info.permissions() & QFileDevice::WriteOwner) ? 0 : AttrReadOnly);
        }
        const intptr_t handle = FileOpen(name, OpenReadOnly | OpenBinary, 0, err);
        if (handle == -1)
            return -1;
        date = time = 0;
        if (fileSupport_)
            format::ToDosDateTime(info.lastModified(), date, time);
        tracked_ = handle;
        bytesDone_ = 0;
        bytesTotal_ = Find(handle)->size();
        return handle;
    });
}

// ---- extraction notices ----

intptr_t TCabArchive::Notify(NotificationType type, Notification &notice)
{
    return Guarded<intptr_t>(-1, [&]() -> intptr_t {
        bool abort = false;
        switch (type) {
        case NotifyCabinetInfo:
            if (OnCabinetInfo)
                OnCabinetInfo(this, notice.Text1, notice.Text2, notice.Text3, notice.SetId, notice.CabinetIndex,
                              abort);
            return abort ? -1 : 0;
        case NotifyPartialFile:
            if (OnPartialFile)
                OnPartialFile(this, notice.Text1, notice.Text2, notice.Text3, abort);
            return abort ? -1 : 0;
        case NotifyCopyFile:
            return CopyTarget(notice);
        case NotifyCloseFileInfo:
            return CompleteTarget(notice);
        case NotifyNextCabinet: {
            QString path = notice.Text3;
            if (OnNextCabinet)
                OnNextCabinet(this, notice.Text1, notice.Text2, path, TFDIERROR(notice.Error), abort);
            // The library's buffer holds 255 characters: a longer path would
            // be cut to another one.
            if (abort || QFile::encodeName(path).size() > kMaxNameBytes)
                return -1;
            notice.Text3 = path;
            return 0;
        }
        }
        return 0;
    });
}

intptr_t TCabArchive::CopyTarget(Notification &notice)
{
    bytesDone_ = 0;
    bytesTotal_ = notice.Size;
    if (OnCopyFile) {
        TFileCopyAction action = fcaWrite;
        int handle = 0;
        OnCopyFile(this, notice.Text1, int(notice.Size), qint16(notice.Date), qint16(notice.Time),
                   qint16(notice.Attributes), action, handle);
        switch (action) {
        case fcaAbort: return -1;
        case fcaSkip: return 0;
        default: return handle;
        }
    }
    const QString name = SafeStoredName(notice.Text1);
    if (name.isEmpty()) {
        targetRefused_ = true;
        return -1;
    }
    const QString target = destinationPath_ + name;
    // Two entries of one name would overwrite each other unnoticed.
    if (!extractedTargets_.insert(target).second)
        throw Exception(QStringLiteral("Архивът съдържа файла \"%1\" повече от веднъж; повторението не е извлечено.")
                            .arg(notice.Text1));
    // A link standing at the target is replaced, never written through.
    if (QFileInfo(target).isSymLink())
        QFile::remove(target);
    int err = 0;
    const intptr_t handle = FileOpen(target, OpenCreate | OpenReadWrite | OpenBinary, 0x0180, err);
    if (handle == -1) {
        targetRefused_ = true;
        return -1;
    }
    defaultTargets_[handle] = target;
    return handle;
}

intptr_t TCabArchive::CompleteTarget(Notification &notice)
{
    QString target;
    const auto it = defaultTargets_.find(notice.File);
    if (it != defaultTargets_.end()) {
        target = it->second;
        defaultTargets_.erase(it);
    }
    if (OnCloseCopiedFile) {
        bool abort = false;
        OnCloseCopiedFile(this, notice.Text1, int(notice.File), qint16(notice.Date), qint16(notice.Time),
                          qint16(notice.Attributes), notice.FolderIndex, notice.Size == 1, abort);
        return abort ? -1 : 1;
    }
    if (target.isEmpty())
        target = destinationPath_ + SafeStoredName(notice.Text1);
    // The stream is closed whether or not its date could be set, so that a
    // failure leaves no file open behind it.
    int timeError = 0;
    if (fileSupport_) {
        if (QFile *file = Find(notice.File)) {
            errno = 0;
            if (!file->setFileTime(format::FromDosDateTime(notice.Date, notice.Time),
                                   QFileDevice::FileModificationTime))
                timeError = LastError();
        }
    }
    int err = 0;
    FileClose(notice.File, err);
    if (timeError != 0)
        throw ECabApiError(timeError);
    if (fileSupport_ && (notice.Attributes & AttrReadOnly)) {
        const QFileDevice::Permissions writable =
            QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        errno = 0;
        if (!QFile::setPermissions(target, QFile::permissions(target) & ~writable))
            throw ECabApiError(LastError());
    }
    return 1;
}

void TCabArchive::DiscardIncompleteTargets()
{
    for (const auto &[handle, path] : defaultTargets_) {
        int err = 0;
        FileClose(handle, err);
        QFile::remove(path);
    }
    defaultTargets_.clear();
}

bool TCabArchive::IsWholeCabinet(const QString &Path)
{
    // Opened without blocking: a pipe under the name is no cabinet.
    const int fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    uchar header[format::kHeaderBytes];
    const bool whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)
                    && ::pread(fd, header, sizeof header, 0) == ssize_t(sizeof header)
                    && format::GetU32(header) == format::kSignature
                    && qint64(format::GetU32(header + 8)) == qint64(st.st_size);
    ::close(fd);
    return whole;
}

// ---- the operations ----

void TCabArchive::CreateCabinet()
{
    if (busy_)
        return;
    CloseCabinet();
    TCCAB cab;
    cab.Size = quint32(volumeSize_);
    cab.FolderThreshold = quint32(std::max(folderThreshold_, 0));
    cab.FailOnIncompressible = failOnIncompressible_;
    cab.SetId = quint16(setID_);
    cab.DiskName = volumeName_;
    cab.CabinetName = FileNamePart(cabFileName_);
    cab.CabinetPath = FolderPart(cabFileName_);
    pending_ = nullptr;
    writer_ = Writer::Create(*compression_, cab, erf_);
    RethrowPending();
    if (!writer_)
        RaiseError();
}

bool TCabArchive::AddFile(const QString &SourcePath, const QString &NameInCabinet)
{
    abort_ = false;
    if (busy_ || !writer_)
        return false;
    Mark busy(busy_);
    pending_ = nullptr;
    const bool ok = writer_->AddFile(SourcePath, NameInCabinet, options_.testFlag(afoExecuteOnExtract),
                                     CompressionCode());
    RethrowPending();
    if (!ok)
        RaiseError();
    return ok;
}

bool TCabArchive::FlushCabinet(bool GetNext)
{
    abort_ = false;
    if (busy_ || !writer_)
        return false;
    Mark busy(busy_);
    Pump();
    pending_ = nullptr;
    const bool ok = writer_->FlushCabinet(GetNext);
    RethrowPending();
    if (!ok)
        RaiseError();
    return ok;
}

void TCabArchive::CloseCabinet()
{
    if (busy_)
        return;
    Pump();
    if (!writer_)
        return;
    pending_ = nullptr;
    const bool ok = writer_->Destroy();
    writer_.reset();
    RethrowPending();
    if (!ok)
        RaiseError();
}

bool TCabArchive::ExtractFiles(int Flags)
{
    abort_ = false;
    if (busy_ || (extractingComponent && extractingComponent != this))
        return false;
    Mark busy(busy_);
    Mark extracting(extracting_);
    struct Extracting
    {
        explicit Extracting(TCabArchive *c) { extractingComponent = c; }
        ~Extracting() { extractingComponent = nullptr; }
    } current(this);
    pending_ = nullptr;
    if (!reader_) {
        reader_ = Reader::Create(*extraction_, int(cpuType_) - 1, erf_);
        if (!reader_) {
            RethrowPending();
            RaiseError();
            return false;
        }
    }
    targetRefused_ = false;
    extractedTargets_.clear();
    const bool ok = reader_->Copy(FileNamePart(cabFileName_), FolderPart(cabFileName_), Flags, this);
    if (!ok)
        DiscardIncompleteTargets();
    RethrowPending();
    if (!ok) {
        if (targetRefused_ && erf_.Code == ReaderUserAbort)
            erf_.Code = ReaderTargetFile;
        RaiseError();
    }
    return ok;
}
