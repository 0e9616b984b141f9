#include "platform/cab/CabWriter.h"

#include <zlib.h>

#include <algorithm>

namespace platform::cab {

using namespace format;

namespace {

// Room kept free in every cabinet for the names of the next cabinet and its
// disk, which are known only when the next cabinet is asked for.
constexpr qint64 kNextNamesReserve = 2 * (kMaxNameBytes + 1);
constexpr quint32 kFormatMaxCabinet = 0x7FFFFFFF;
constexpr int kCopyChunk = 65536;
constexpr int kCreateMode = 0x0180;   // read and write for the owner

} // namespace

struct Writer::Deflater
{
    z_stream Stream{};
    bool Ready = false;
    ~Deflater()
    {
        if (Ready)
            deflateEnd(&Stream);
    }
};

Writer::Writer(WriterCallbacks &callbacks, const CabParameters &cab, ErrorRecord &erf)
    : cb_(callbacks), erf_(erf), cab_(cab)
{
}

std::unique_ptr<Writer> Writer::Create(WriterCallbacks &callbacks, const CabParameters &cab, ErrorRecord &erf)
{
    std::unique_ptr<Writer> writer(new Writer(callbacks, cab, erf));
    if (!writer->Init()) {
        writer->Destroy();
        return nullptr;
    }
    return writer;
}

bool Writer::Init()
{
    if (cab_.ReserveHeader > kMaxReserveHeader || cab_.ReserveFolder > kMaxReserveFolder
        || cab_.ReserveData > kMaxReserveData)
        return Fail(WriterFormatLimit);
    reserveHeader_ = cab_.ReserveHeader;
    reserveFolder_ = cab_.ReserveFolder;
    reserveData_ = cab_.ReserveData;

    deflater_ = std::make_unique<Deflater>();
    if (deflateInit2(&deflater_->Stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return Fail(WriterAllocFail);
    deflater_->Ready = true;

    QString name;
    if (!cb_.GetTempFile(name, kTempNameBuffer) || name.isEmpty())
        return Fail(WriterTempFile);
    int err = 0;
    temp_ = cb_.Open(name, OpenReadWrite | OpenCreate | OpenExclusive | OpenBinary, kCreateMode, err);
    if (temp_ == -1)
        return Fail(WriterTempFile, err);
    tempName_ = name;
    return true;
}

Writer::~Writer()
{
    Destroy();
}

quint32 Writer::Limit() const
{
    return cab_.Size == 0 ? kFormatMaxCabinet : std::min(cab_.Size, kFormatMaxCabinet);
}

qint64 Writer::Room() const
{
    return qint64(Limit()) - headerBytes_ - kNextNamesReserve - tempBytes_;
}

bool Writer::Fail(int code, int type)
{
    if (!failed_) {
        failed_ = true;
        failCode_ = code;
        failType_ = type;
        Rollback();
    }
    return Refail();
}

bool Writer::Refuse(int code, int type)
{
    erf_.Code = code;
    erf_.Type = type;
    erf_.Failed = true;
    return false;
}

bool Writer::Refail()
{
    erf_.Code = failCode_;
    erf_.Type = failType_;
    erf_.Failed = true;
    return false;
}

void Writer::Rollback()
{
    int err = 0;
    if (openCabinet_ != -1) {
        cb_.Close(openCabinet_, err);
        openCabinet_ = -1;
        cb_.Delete(cabinetFile_, err);
    }
    for (const QString &file : written_)
        cb_.Delete(file, err);
    written_.clear();
    cabinetOpen_ = false;
    folders_.clear();
    files_.clear();
    folderOpen_ = false;
    tempBytes_ = 0;
}

bool Writer::CabinetNames(QByteArray &name, QByteArray &disk)
{
    name = EncodeName(cab_.CabinetName, nullptr);
    disk = EncodeName(cab_.DiskName, nullptr);
    // Readers refuse an empty name in a header: a set without disk names
    // names each disk after its cabinet.
    if (disk.isEmpty())
        disk = name;
    if (name.isEmpty() || name.size() > kMaxNameBytes || disk.size() > kMaxNameBytes || name.contains('\0')
        || disk.contains('\0'))
        return Fail(WriterFormatLimit);
    return true;
}

bool Writer::StartCabinet()
{
    if (!CabinetNames(cabinetName_, cabinetDisk_))
        return false;
    cabinetOpen_ = true;
    cabinetFile_ = cab_.CabinetPath;
    if (!cabinetFile_.isEmpty() && !cabinetFile_.endsWith(QLatin1Char('/')))
        cabinetFile_ += QLatin1Char('/');
    cabinetFile_ += cab_.CabinetName;
    cabinetIndex_ = quint16(cab_.Number);
    cabinetSetId_ = cab_.SetId;
    folders_.clear();
    files_.clear();
    tempBytes_ = 0;
    headerBytes_ = kHeaderBytes;
    if (ReservePresent())
        headerBytes_ += kReserveFieldsBytes + reserveHeader_;
    if (hasPrev_)
        headerBytes_ += prevName_.size() + 1 + prevDisk_.size() + 1;
    int err = 0;
    if (cb_.Seek(temp_, 0, SeekStart, err) != 0)
        return Fail(WriterTempFile, err);
    return true;
}

void Writer::OpenFolder(int compression)
{
    FolderEntry folder;
    folder.DataOffset = quint32(tempBytes_);
    folder.Compression = quint16(compression);
    folders_.append(folder);
    headerBytes_ += FolderEntryBytes();
    folderOpen_ = true;
    folderContinued_ = false;
    folderCompression_ = compression;
    folderBytes_ = 0;
    folderBlocks_ = 0;
    folderCompressed_ = 0;
}

void Writer::CloseFolder()
{
    folderOpen_ = false;
    folderContinued_ = false;
}

bool Writer::NextCabinet(bool continuing)
{
    ++cab_.Number;
    const quint32 estimate = quint32(headerBytes_ + tempBytes_);
    if (!cb_.GetNextCabinet(cab_, estimate))
        return Fail(WriterUserAbort);
    QByteArray nextName, nextDisk;
    if (!CabinetNames(nextName, nextDisk))
        return false;
    FileEntry carried;
    if (continuing)
        carried = files_.at(currentFile_);
    if (!CompleteCabinet(nextName, nextDisk))
        return false;
    prevName_ = cabinetName_;
    prevDisk_ = cabinetDisk_;
    hasPrev_ = true;
    if (!StartCabinet())
        return false;
    if (continuing) {
        // The folder goes on as the first of the new cabinet; the file that
        // carries it over is its first entry.
        FolderEntry folder;
        folder.Compression = quint16(folderCompression_);
        folders_.append(folder);
        headerBytes_ += FolderEntryBytes();
        folderContinued_ = true;
        carried.Folder = kContinuedFromPrev;
        files_.append(carried);
        headerBytes_ += FileEntryBytes(carried);
        currentFile_ = 0;
    } else {
        CloseFolder();
    }
    return true;
}

bool Writer::CompleteCabinet(const QByteArray &nextName, const QByteArray &nextDisk)
{
    CabinetHeader h;
    h.Flags = quint16((hasPrev_ ? kFlagPrevCabinet : 0) | (nextName.isEmpty() ? 0 : kFlagNextCabinet)
                      | (ReservePresent() ? kFlagReservePresent : 0));
    h.SetId = cabinetSetId_;
    h.Index = cabinetIndex_;
    h.ReserveHeader = quint16(reserveHeader_);
    h.ReserveFolder = quint8(reserveFolder_);
    h.ReserveData = quint8(reserveData_);
    h.PrevName = prevName_;
    h.PrevDisk = prevDisk_;
    h.NextName = nextName;
    h.NextDisk = nextDisk;
    h.Folders = folders_;
    h.Files = files_;
    const int headerSize = h.Bytes();
    for (FolderEntry &folder : h.Folders)
        folder.DataOffset += quint32(headerSize);
    const qint64 total = headerSize + tempBytes_;
    if (total > qint64(kFormatMaxCabinet))
        return Fail(WriterFormatLimit);
    h.Size = quint32(total);
    const QByteArray header = Serialize(h);

    int err = 0;
    openCabinet_ = cb_.Open(cabinetFile_, OpenReadWrite | OpenCreate | OpenTruncate | OpenBinary, kCreateMode, err);
    if (openCabinet_ == -1)
        return Fail(WriterCabinetFile, err);
    if (cb_.Write(openCabinet_, header.constData(), unsigned(header.size()), err) != unsigned(header.size()))
        return Fail(WriterCabinetFile, err);
    if (cb_.Seek(temp_, 0, SeekStart, err) != 0)
        return Fail(WriterTempFile, err);
    QByteArray chunk(kCopyChunk, Qt::Uninitialized);
    for (int i = 0; i < folders_.size(); ++i) {
        const qint64 start = folders_.at(i).DataOffset;
        const qint64 end = i + 1 < folders_.size() ? folders_.at(i + 1).DataOffset : tempBytes_;
        const qint64 size = end - start;
        qint64 copied = 0;
        while (copied < size) {
            const unsigned n = unsigned(std::min<qint64>(kCopyChunk, size - copied));
            if (cb_.Read(temp_, chunk.data(), n, err) != n)
                return Fail(WriterTempFile, err);
            if (cb_.Write(openCabinet_, chunk.constData(), n, err) != n)
                return Fail(WriterCabinetFile, err);
            copied += n;
            if (cb_.Status(StatusFolder, quint32(copied), quint32(size)) == -1)
                return Fail(WriterUserAbort);
        }
    }
    if (cb_.Close(openCabinet_, err) != 0) {
        openCabinet_ = -1;
        written_.append(cabinetFile_);
        return Fail(WriterCabinetFile, err);
    }
    openCabinet_ = -1;
    written_.append(cabinetFile_);
    cabinetOpen_ = false;
    folders_.clear();
    files_.clear();
    tempBytes_ = 0;
    if (cb_.Status(StatusCabinet, quint32(total), quint32(total)) == -1)
        return Fail(WriterUserAbort);
    return true;
}

bool Writer::WriteTemp(const char *data, int length)
{
    int err = 0;
    if (cb_.Write(temp_, data, unsigned(length), err) != unsigned(length))
        return Fail(WriterTempFile, err);
    return true;
}

bool Writer::WriteData(const char *data, int length, int uncompressed)
{
    QByteArray header;
    header.reserve(DataOverhead());
    PutU32(header, DataBlockChecksum(reinterpret_cast<const uchar *>(data), quint16(length), quint16(uncompressed)));
    PutU16(header, quint16(length));
    PutU16(header, quint16(uncompressed));
    header.append(QByteArray(int(reserveData_), '\0'));
    if (!WriteTemp(header.constData(), header.size()) || !WriteTemp(data, length))
        return false;
    tempBytes_ += header.size() + length;
    ++folders_.last().Blocks;
    return true;
}

bool Writer::PlaceBlock(const QByteArray &block, int uncompressed, bool more)
{
    // A block that does not fit is split: its first piece fills this
    // cabinet, the rest goes to the next. Whole blocks are placed so that at
    // least one byte of the next block of the same file still fits, since a
    // folder that goes on into the next cabinet must end this one with a
    // piece of a split block.
    const int overhead = DataOverhead();
    int offset = 0;
    for (;;) {
        const qint64 room = Room();
        const int rest = block.size() - offset;
        const qint64 need = overhead + rest;
        if (need <= room && (!more || room - need >= overhead + 1))
            return WriteData(block.constData() + offset, rest, uncompressed);
        if (room < overhead + 1)
            return Fail(WriterFormatLimit);
        const int piece = int(std::min<qint64>(room - overhead, rest - 1));
        if (piece < 1)
            return WriteData(block.constData() + offset, rest, uncompressed);
        if (!WriteData(block.constData() + offset, piece, 0))
            return false;
        offset += piece;
        FileEntry &entry = files_[currentFile_];
        entry.Folder = entry.Folder == kContinuedFromPrev ? kContinuedPrevAndNext : kContinuedToNext;
        if (!NextCabinet(true))
            return false;
        if (cb_.FilePlaced(cab_, currentName_, currentSize_, true) == -1)
            return Fail(WriterUserAbort);
    }
}

bool Writer::Compress(const uchar *data, int length, bool useDictionary, QByteArray &out)
{
    if (folderCompression_ == CompressNone) {
        out = QByteArray(reinterpret_cast<const char *>(data), length);
        return true;
    }
    z_stream &z = deflater_->Stream;
    if (deflateReset(&z) != Z_OK)
        return false;
    if (useDictionary
        && deflateSetDictionary(&z, reinterpret_cast<const Bytef *>(previous_.constData()), uInt(previous_.size()))
               != Z_OK)
        return false;
    const uLong bound = deflateBound(&z, uLong(length));
    out.resize(int(2 + bound));
    out[0] = 'C';
    out[1] = 'K';
    z.next_in = const_cast<Bytef *>(data);
    z.avail_in = uInt(length);
    z.next_out = reinterpret_cast<Bytef *>(out.data() + 2);
    z.avail_out = uInt(bound);
    if (deflate(&z, Z_FINISH) != Z_STREAM_END)
        return false;
    out.resize(int(2 + z.total_out));
    return true;
}

bool Writer::AddFile(const QString &source, const QString &name, bool execute, int compression)
{
    if (failed_ || destroyed_)
        return failed_ ? Refail() : false;
    bool utf8 = false;
    const QByteArray nameBytes = EncodeName(name, &utf8);
    // Until the file has an entry in the cabinet, a failure refuses this
    // file only and the set goes on.
    if (nameBytes.isEmpty() || nameBytes.size() > kMaxNameBytes || nameBytes.contains('\0'))
        return Refuse(WriterFormatLimit);
    if (compression != CompressNone && compression != CompressMsZip)
        return Refuse(WriterBadCompressionType);

    quint16 date = 0, time = 0, attributes = 0;
    int err = 0;
    const intptr_t source_ = cb_.GetOpenInfo(source, date, time, attributes, err);
    if (source_ == -1)
        return Refuse(WriterOpenSource, err);
    const HandleCloser closer(cb_, source_);

    const qint64 size = cb_.Seek(source_, 0, SeekEnd, err);
    if (size < 0)
        return Refuse(WriterReadSource, err);
    if (cb_.Seek(source_, 0, SeekStart, err) != 0)
        return Refuse(WriterReadSource, err);
    if (size > qint64(kMaxFolderBytes))
        return Refuse(WriterFormatLimit);
    attributes &= quint16(~(AttrExecute | AttrNameIsUtf8));
    if (execute)
        attributes |= AttrExecute;
    if (utf8)
        attributes |= AttrNameIsUtf8;

    const int blocks = int((size + kBlockSize - 1) / kBlockSize);
    if (folderOpen_
        && (folderContinued_ || folderCompression_ != compression
            || (cab_.FolderThreshold > 0 && folderCompressed_ >= cab_.FolderThreshold)
            || folderBytes_ + quint64(size) > kMaxFolderBytes || folderBlocks_ + blocks >= kMaxFolderBlocks))
        CloseFolder();

    FileEntry entry;
    entry.Name = nameBytes;
    entry.Size = quint32(size);
    entry.Date = date;
    entry.Time = time;
    entry.Attributes = attributes;
    const qint64 entryBytes = FileEntryBytes(entry);
    const qint64 leastData = size > 0 ? DataOverhead() + 1 : 0;
    if (cabinetOpen_ && !files_.isEmpty()) {
        const qint64 folderBytes = folderOpen_ ? 0 : FolderEntryBytes();
        if (files_.size() >= 0xFFFF || folders_.size() >= 0xFFFF
            || Room() - entryBytes - folderBytes < leastData) {
            // Too little room left for the file to begin here: the cabinet
            // ends between two files and the next begins with a new folder.
            CloseFolder();
            if (!NextCabinet(false))
                return false;
        }
    }
    if (!cabinetOpen_ && !StartCabinet())
        return false;
    if (!folderOpen_)
        OpenFolder(compression);
    if (Room() - entryBytes < leastData)
        return Fail(WriterFormatLimit);

    entry.Offset = quint32(folderBytes_);
    entry.Folder = quint16(folders_.size() - 1);
    files_.append(entry);
    headerBytes_ += entryBytes;
    currentFile_ = files_.size() - 1;
    currentName_ = name;
    currentSize_ = size;
    if (cb_.FilePlaced(cab_, name, size, false) == -1)
        return Fail(WriterUserAbort);

    QByteArray input(kBlockSize, Qt::Uninitialized);
    QByteArray output;
    qint64 left = size;
    bool first = true;
    while (left > 0) {
        const int n = int(std::min<qint64>(kBlockSize, left));
        if (cb_.Read(source_, input.data(), unsigned(n), err) != unsigned(n))
            return Fail(WriterReadSource, err);
        // Each file begins without history, so that no block refers back
        // into a shorter block before it, which some readers cannot follow.
        if (!Compress(reinterpret_cast<const uchar *>(input.constData()), n, !first, output))
            return Fail(WriterCompressorFail);
        if (cab_.FailOnIncompressible && folderCompression_ != CompressNone && output.size() >= n)
            return Fail(WriterCompressorFail);
        if (cb_.Status(StatusFile, quint32(output.size()), quint32(n)) == -1)
            return Fail(WriterUserAbort);
        left -= n;
        if (!PlaceBlock(output, n, left > 0))
            return false;
        folderBytes_ += quint64(n);
        ++folderBlocks_;
        folderCompressed_ += quint64(DataOverhead() + output.size());
        if (n == kBlockSize)
            previous_ = input;
        first = false;
    }
    // A folder carried over from the previous cabinet holds only the file
    // that carried it: readers join it with its first part and keep no other
    // file of it.
    if (folderContinued_)
        CloseFolder();
    currentFile_ = -1;
    return true;
}

bool Writer::FlushCabinet(bool getNext)
{
    if (failed_ || destroyed_)
        return failed_ ? Refail() : false;
    if (!cabinetOpen_ || files_.isEmpty()) {
        if (!getNext) {
            written_.clear();
            hasPrev_ = false;
        }
        return true;
    }
    if (getNext) {
        CloseFolder();
        return NextCabinet(false);
    }
    if (!CompleteCabinet(QByteArray(), QByteArray()))
        return false;
    written_.clear();
    hasPrev_ = false;
    prevName_.clear();
    prevDisk_.clear();
    CloseFolder();
    return true;
}

bool Writer::Destroy()
{
    if (destroyed_)
        return true;
    destroyed_ = true;
    if (!failed_ && (!written_.isEmpty() || (cabinetOpen_ && !files_.isEmpty())))
        Rollback();
    bool ok = true;
    int err = 0;
    if (temp_ != -1) {
        cb_.Close(temp_, err);
        temp_ = -1;
    }
    if (!tempName_.isEmpty()) {
        err = 0;
        cb_.Delete(tempName_, err);
        if (err != 0) {
            erf_.Code = WriterTempFile;
            erf_.Type = err;
            erf_.Failed = true;
            ok = false;
        }
        tempName_.clear();
    }
    deflater_.reset();
    return ok;
}

} // namespace platform::cab
