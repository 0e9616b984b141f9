#include "platform/cab/CabReader.h"

#include <QFile>

#include <mspack.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::cab {

using namespace format;

namespace {

// The name libmspack is given for a file to extract: its output goes to the
// handle the copy notice returned, never to a file of that name.
const char kOutputName[] = "\x01<extracted file>";

// Where libmspack's messages go on this thread: they come without any way
// back to the reader at work.
thread_local QString *messageSink = nullptr;

// A name from a header: UTF-8 when it reads as such, else in the code page
// of stored names without the UTF-8 flag.
QString HeaderName(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    return text.contains(QChar::ReplacementCharacter) ? DecodeName(bytes, false) : text;
}

QString JoinPath(const QString &path, const QString &name)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path + name;
    return path + QLatin1Char('/') + name;
}

int ExtractError(int mspackError)
{
    switch (mspackError) {
    case MSPACK_ERR_OPEN: return ReaderCabinetNotFound;
    case MSPACK_ERR_WRITE: return ReaderTargetFile;
    case MSPACK_ERR_NOMEMORY: return ReaderAllocFail;
    case MSPACK_ERR_DECRUNCH: return ReaderDecompressorFail;
    default: return ReaderCorruptCabinet;
    }
}

int OpenError(int mspackError)
{
    switch (mspackError) {
    case MSPACK_ERR_OPEN: return ReaderCabinetNotFound;
    case MSPACK_ERR_SIGNATURE: return ReaderNotACabinet;
    case MSPACK_ERR_NOMEMORY: return ReaderAllocFail;
    default: return ReaderCorruptCabinet;
    }
}

} // namespace

// The file routines libmspack is given; they reach the user's callbacks and
// never let an exception through into the C library.
struct Reader::System : mspack_system
{
    Reader *Owner = nullptr;

    struct File
    {
        intptr_t Handle;
        bool Output;
        Reader *Owner;
    };
    static File *Of(mspack_file *file) { return reinterpret_cast<File *>(file); }

    static mspack_file *OpenFile(mspack_system *self, const char *filename, int mode)
    {
        Reader *r = static_cast<System *>(self)->Owner;
        try {
            if (mode == MSPACK_SYS_OPEN_WRITE) {
                if (r->output_ == 0 || std::strcmp(filename, kOutputName) != 0)
                    return nullptr;
                return reinterpret_cast<mspack_file *>(new File{r->output_, true, r});
            }
            if (mode != MSPACK_SYS_OPEN_READ)
                return nullptr;
            int err = 0;
            const intptr_t h = r->cb_.Open(QFile::decodeName(filename), OpenReadOnly | OpenBinary, 0, err);
            if (h == -1) {
                r->lastSysError_ = err;
                return nullptr;
            }
            return reinterpret_cast<mspack_file *>(new File{h, false, r});
        } catch (...) {
            return nullptr;
        }
    }

    static void CloseFile(mspack_file *file)
    {
        File *f = Of(file);
        if (!f)
            return;
        try {
            if (!f->Output) {
                int err = 0;
                f->Owner->cb_.Close(f->Handle, err);
            }
        } catch (...) {
        }
        delete f;
    }

    static int ReadFile(mspack_file *file, void *buffer, int bytes)
    {
        File *f = Of(file);
        if (!f || bytes < 0)
            return -1;
        try {
            int err = 0;
            const unsigned n = f->Owner->cb_.Read(f->Handle, buffer, unsigned(bytes), err);
            if (n < unsigned(bytes) && err != 0)
                f->Owner->lastSysError_ = err;
            return n > unsigned(bytes) ? -1 : int(n);
        } catch (...) {
            return -1;
        }
    }

    static int WriteFile(mspack_file *file, void *buffer, int bytes)
    {
        File *f = Of(file);
        if (!f || bytes < 0)
            return -1;
        try {
            int err = 0;
            const unsigned n = f->Owner->cb_.Write(f->Handle, buffer, unsigned(bytes), err);
            if (n < unsigned(bytes))
                f->Owner->lastSysError_ = err;
            return n > unsigned(bytes) ? -1 : int(n);
        } catch (...) {
            return -1;
        }
    }

    static int SeekFile(mspack_file *file, off_t offset, int mode)
    {
        File *f = Of(file);
        if (!f)
            return -1;
        try {
            int err = 0;
            return f->Owner->cb_.Seek(f->Handle, qint64(offset), mode, err) < 0 ? -1 : 0;
        } catch (...) {
            return -1;
        }
    }

    static off_t TellFile(mspack_file *file)
    {
        File *f = Of(file);
        if (!f)
            return -1;
        try {
            int err = 0;
            return off_t(f->Owner->cb_.Seek(f->Handle, 0, SeekCurrent, err));
        } catch (...) {
            return -1;
        }
    }

    // libmspack's warnings (merged cabinets, extra bytes) are kept for the
    // curious instead of going to standard error.
    static void Message(mspack_file *, const char *format, ...)
    {
        if (!messageSink)
            return;
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        *messageSink = QString::fromLocal8Bit(text);
    }

    // Zeroed: a spoilt stream that refers back past what it has written
    // would otherwise copy stale heap contents into the extracted file.
    static void *Alloc(mspack_system *, size_t bytes) { return std::calloc(1, bytes); }
    static void Free(void *p) { std::free(p); }
    static void Copy(void *src, void *dest, size_t bytes) { std::memmove(dest, src, bytes); }
};

struct Reader::Cabinet
{
    QString Path;
    CabinetHeader Header;
    QByteArray FileName;            // libmspack keeps a pointer to it
    mscabd_cabinet *Mspack = nullptr;
    std::vector<mscabd_folder *> Folders;
    bool Appended = false;          // joined to the cabinet before it
};

Reader::Reader(ReaderCallbacks &callbacks, int cpuType, ErrorRecord &erf)
    : cb_(callbacks), erf_(erf), cpuType_(cpuType)
{
}

Reader::~Reader()
{
    CloseAll();
}

std::unique_ptr<Reader> Reader::Create(ReaderCallbacks &callbacks, int cpuType, ErrorRecord &erf)
{
    std::unique_ptr<Reader> r(new Reader(callbacks, cpuType, erf));
    r->system_ = std::make_unique<System>();
    System &s = *r->system_;
    s.open = &System::OpenFile;
    s.close = &System::CloseFile;
    s.read = &System::ReadFile;
    s.write = &System::WriteFile;
    s.seek = &System::SeekFile;
    s.tell = &System::TellFile;
    s.message = &System::Message;
    s.alloc = &System::Alloc;
    s.free = &System::Free;
    s.copy = &System::Copy;
    s.null_ptr = nullptr;
    s.Owner = r.get();
    // One decompressor is made per extraction; one is tried here so that a
    // reader that cannot work is refused at once.
    mscab_decompressor *probe = mspack_create_cab_decompressor(&s);
    if (!probe) {
        r->Fail(ReaderAllocFail);
        return nullptr;
    }
    mspack_destroy_cab_decompressor(probe);
    return r;
}

bool Reader::Fail(int code, int type)
{
    erf_.Code = code;
    erf_.Type = type;
    erf_.Failed = true;
    return false;
}

intptr_t Reader::Notify(NotificationType type, Notification &notice)
{
    notice.User = user_;
    return cb_.Notify(type, notice);
}

void Reader::CloseAll()
{
    if (cabd_) {
        // Closing the first cabinet of a chain frees every cabinet appended
        // to it; those must not be closed again.
        for (auto &c : cabinets_)
            if (c->Mspack && (!c->Appended || c == cabinets_.front()))
                cabd_->close(cabd_, c->Mspack);
        mspack_destroy_cab_decompressor(cabd_);
        cabd_ = nullptr;
    }
    cabinets_.clear();
}

int Reader::ReadHeader(const QString &file, CabinetHeader &header, int &sysError)
{
    int err = 0;
    const intptr_t h = cb_.Open(file, OpenReadOnly | OpenBinary, 0, err);
    if (h == -1) {
        sysError = err;
        return ReaderCabinetNotFound;
    }
    const HandleCloser closer(cb_, h);

    const qint64 size = cb_.Seek(h, 0, SeekEnd, err);
    if (size < 0 || cb_.Seek(h, 0, SeekStart, err) != 0) {
        sysError = err;
        return ReaderCorruptCabinet;
    }
    // No header is longer than its largest possible form (the header
    // reserve, four names, 65,535 folder and 65,535 file entries at their
    // largest): a spoilt offset never draws more of the file into memory.
    constexpr qint64 kLongestHeader = kHeaderBytes + kReserveFieldsBytes + kMaxReserveHeader
                                      + 4 * (kMaxNameBytes + 1) + 65535LL * (kFolderBytes + kMaxReserveFolder)
                                      + 65535LL * (kFileBytes + kMaxNameBytes + 1);
    const qint64 readable = std::min<qint64>(size, kLongestHeader);
    QByteArray bytes;
    qint64 want = std::min<qint64>(readable, 65536);
    for (;;) {
        const int have = bytes.size();
        if (want > have) {
            bytes.resize(int(want));
            const unsigned n = cb_.Read(h, bytes.data() + have, unsigned(want - have), err);
            bytes.resize(have + int(std::min<unsigned>(n, unsigned(want - have))));
            if (bytes.size() < want) {
                sysError = err;
                return ReaderCorruptCabinet;
            }
        }
        switch (Parse(bytes, header)) {
        case ParseResult::Ok:
            // A cabinet cut short cannot be read to its end.
            return header.Size > quint64(size) ? ReaderCorruptCabinet : ReaderNone;
        case ParseResult::NotACabinet: return ReaderNotACabinet;
        case ParseResult::UnknownVersion: return ReaderUnknownVersion;
        case ParseResult::Corrupt: return ReaderCorruptCabinet;
        case ParseResult::NeedMore:
            if (bytes.size() >= readable)
                return bytes.size() < kHeaderBytes ? ReaderNotACabinet : ReaderCorruptCabinet;
            want = std::min<qint64>(readable, want * 2);
            break;
        }
    }
}

int Reader::OpenCabinet(const QString &path, const QString &name, std::unique_ptr<Cabinet> &out)
{
    const QString file = JoinPath(path, name);
    auto c = std::make_unique<Cabinet>();
    c->Path = path;
    int sysError = 0;
    if (const int e = ReadHeader(file, c->Header, sysError)) {
        lastSysError_ = sysError;
        return e;
    }
    for (const FolderEntry &f : c->Header.Folders)
        if ((f.Compression & 0x000F) > CompressLzx)
            return ReaderBadCompressionType;
    c->FileName = QFile::encodeName(file);
    c->Mspack = cabd_->open(cabd_, c->FileName.constData());
    if (!c->Mspack)
        return OpenError(cabd_->last_error(cabd_));
    for (mscabd_folder *f = c->Mspack->folders; f; f = f->next)
        c->Folders.push_back(f);
    if (c->Folders.size() != size_t(c->Header.Folders.size())) {
        cabd_->close(cabd_, c->Mspack);
        return ReaderCorruptCabinet;
    }
    out = std::move(c);
    return ReaderNone;
}

bool Reader::Copy(const QString &cabinetName, const QString &cabinetPath, int flags, void *user)
{
    Q_UNUSED(flags);
    user_ = user;
    QString *outerSink = messageSink;
    messageSink = &lastMessage_;
    struct Restore
    {
        Reader *self;
        QString *sink;
        ~Restore()
        {
            self->CloseAll();
            messageSink = sink;
        }
    } restore{this, outerSink};

    CloseAll();
    cabd_ = mspack_create_cab_decompressor(system_.get());
    if (!cabd_)
        return Fail(ReaderAllocFail);

    std::unique_ptr<Cabinet> first;
    if (const int e = OpenCabinet(cabinetPath, cabinetName, first))
        return Fail(e, lastSysError_);
    cabinets_.push_back(std::move(first));
    {
        const CabinetHeader &h = cabinets_.front()->Header;
        Notification info;
        info.Text1 = HeaderName(h.NextName);
        info.Text2 = HeaderName(h.NextDisk);
        info.Text3 = cabinetPath;
        info.SetId = h.SetId;
        info.CabinetIndex = h.Index;
        if (Notify(NotifyCabinetInfo, info) == -1)
            return Fail(ReaderUserAbort);
    }

    for (size_t k = 0; k < cabinets_.size(); ++k) {
        Cabinet *c = cabinets_[k].get();
        // The entry that carries the last folder on into the next cabinet.
        // libmspack reads ahead in a folder, past the file it extracts, so
        // every file of that folder needs the set joined up to that entry's end.
        int carrier = -1;
        for (int i = 0; i < c->Header.Files.size() && carrier < 0; ++i)
            if (ContinuesToNext(c->Header.Files.at(i).Folder))
                carrier = i;
        const int lastFolder = c->Header.Folders.size() - 1;
        for (int i = 0; i < c->Header.Files.size(); ++i) {
            const FileEntry &entry = c->Header.Files.at(i);
            if (ContinuesFromPrev(entry.Folder)) {
                // A file begun in an earlier cabinet: extracted there, or,
                // when the reading starts here, not at all.
                if (k == 0) {
                    Notification partial;
                    partial.Text1 = DecodeName(entry.Name, entry.Attributes & AttrNameIsUtf8);
                    partial.Text2 = HeaderName(c->Header.PrevName);
                    partial.Text3 = HeaderName(c->Header.PrevDisk);
                    if (Notify(NotifyPartialFile, partial) == -1)
                        return Fail(ReaderUserAbort);
                }
                continue;
            }
            if (carrier >= 0 && (ContinuesToNext(entry.Folder) || entry.Folder == lastFolder)
                && !ReachEnd(k, carrier))
                return false;
            if (!Extract(k, i))
                return false;
        }
        if (k + 1 == cabinets_.size() && c->Header.HasNext() && !OpenNext(k))
            return false;
    }
    return true;
}

bool Reader::ReachEnd(size_t index, int entry)
{
    const FileEntry e = cabinets_[index]->Header.Files.at(entry);
    quint16 marker = e.Folder;
    size_t j = index;
    while (ContinuesToNext(marker)) {
        if (j + 1 == cabinets_.size() && !OpenNext(j))
            return false;
        ++j;
        bool found = false;
        for (const FileEntry &f : cabinets_[j]->Header.Files)
            if (ContinuesFromPrev(f.Folder) && f.Offset == e.Offset && f.Size == e.Size && f.Name == e.Name) {
                marker = f.Folder;
                found = true;
                break;
            }
        if (!found)
            return Fail(ReaderCorruptCabinet);
    }
    return true;
}

bool Reader::OpenNext(size_t index)
{
    Cabinet *prev = cabinets_[index].get();
    const QString name = HeaderName(prev->Header.NextName);
    const QString disk = HeaderName(prev->Header.NextDisk);
    QString path = prev->Path;
    QString lastPath;
    bool retried = false;
    int error = ReaderNone;
    std::unique_ptr<Cabinet> next;
    for (;;) {
        Notification notice;
        notice.Text1 = name;
        notice.Text2 = disk;
        notice.Text3 = path;
        notice.Error = error;
        if (Notify(NotifyNextCabinet, notice) == -1)
            return Fail(ReaderUserAbort);
        path = notice.Text3;
        int e = OpenCabinet(path, name, next);
        if (e == ReaderNone) {
            const CabinetHeader &h = next->Header;
            const CabinetHeader &p = prev->Header;
            if (h.SetId != p.SetId || h.Index != quint16(p.Index + 1))
                e = ReaderWrongCabinet;
            else if (h.ReserveHeader != p.ReserveHeader || h.ReserveFolder != p.ReserveFolder
                     || h.ReserveData != p.ReserveData)
                e = ReaderReserveMismatch;
            if (e != ReaderNone) {
                cabd_->close(cabd_, next->Mspack);
                next.reset();
            }
        }
        if (e == ReaderNone)
            break;
        // Without a new place to look, one more try and no more.
        if (retried && path == lastPath)
            return Fail(e, lastSysError_);
        retried = true;
        lastPath = path;
        error = e;
    }
    if (cabd_->append(cabd_, prev->Mspack, next->Mspack) != MSPACK_ERR_OK) {
        cabd_->close(cabd_, next->Mspack);
        return Fail(ReaderCorruptCabinet);
    }
    next->Appended = true;
    bool joined = false;
    for (const FileEntry &f : prev->Header.Files)
        joined = joined || ContinuesToNext(f.Folder);
    for (const FileEntry &f : next->Header.Files)
        joined = joined || ContinuesFromPrev(f.Folder);
    // A folder that goes on from the previous cabinet is, after the append,
    // the previous cabinet's last folder.
    if (joined)
        next->Folders.front() = prev->Folders.back();
    cabinets_.push_back(std::move(next));
    const Cabinet *c = cabinets_.back().get();
    Notification info;
    info.Text1 = HeaderName(c->Header.NextName);
    info.Text2 = HeaderName(c->Header.NextDisk);
    info.Text3 = c->Path;
    info.SetId = c->Header.SetId;
    info.CabinetIndex = c->Header.Index;
    if (Notify(NotifyCabinetInfo, info) == -1)
        return Fail(ReaderUserAbort);
    return true;
}

bool Reader::Extract(size_t index, int entry)
{
    Cabinet *c = cabinets_[index].get();
    const FileEntry e = c->Header.Files.at(entry);
    Notification copy;
    copy.Text1 = DecodeName(e.Name, e.Attributes & AttrNameIsUtf8);
    copy.Size = e.Size;
    copy.Date = e.Date;
    copy.Time = e.Time;
    copy.Attributes = e.Attributes;
    const intptr_t target = Notify(NotifyCopyFile, copy);
    if (target == -1)
        return Fail(ReaderUserAbort);
    if (target == 0)
        return true;

    mscabd_file file;
    std::memset(&file, 0, sizeof file);
    QByteArray name = e.Name;
    file.filename = name.data();
    file.length = e.Size;
    file.offset = e.Offset;
    file.attribs = e.Attributes;
    file.folder = ContinuesToNext(e.Folder) ? c->Folders.back() : c->Folders.at(e.Folder);
    output_ = target;
    lastSysError_ = 0;
    const int rc = cabd_->extract(cabd_, &file, kOutputName);
    output_ = 0;
    if (rc != MSPACK_ERR_OK)
        return Fail(ExtractError(rc), lastSysError_);

    Notification close;
    close.Text1 = copy.Text1;
    close.File = target;
    close.Date = e.Date;
    close.Time = e.Time;
    close.Attributes = quint16(e.Attributes & ~AttrExecute);
    close.Size = (e.Attributes & AttrExecute) ? 1 : 0;
    close.FolderIndex = e.Folder;
    const intptr_t result = Notify(NotifyCloseFileInfo, close);
    if (result == -1 || result == 0)
        return Fail(ReaderUserAbort);
    return true;
}

} // namespace platform::cab
