#include "platform/cab/CabFormat.h"
#include "platform/print/CodePages.h"

#include <QDate>
#include <QTime>

namespace platform::cab::format {

quint32 Checksum(const uchar *data, int length, quint32 seed)
{
    quint32 sum = seed;
    int words = length / 4;
    for (int i = 0; i < words; ++i, data += 4)
        sum ^= quint32(data[0]) | (quint32(data[1]) << 8) | (quint32(data[2]) << 16) | (quint32(data[3]) << 24);
    quint32 tail = 0;
    switch (length % 4) {
    case 3:
        tail |= quint32(*data++) << 16;
        [[fallthrough]];
    case 2:
        tail |= quint32(*data++) << 8;
        [[fallthrough]];
    case 1:
        tail |= quint32(*data);
        break;
    default:
        break;
    }
    return sum ^ tail;
}

quint32 DataBlockChecksum(const uchar *data, quint16 compressed, quint16 uncompressed)
{
    const uchar sizes[4] = {uchar(compressed & 0xFF), uchar(compressed >> 8), uchar(uncompressed & 0xFF),
                            uchar(uncompressed >> 8)};
    return Checksum(sizes, 4, Checksum(data, compressed, 0));
}

void PutU8(QByteArray &out, quint8 v)
{
    out.append(char(v));
}

void PutU16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void PutU32(QByteArray &out, quint32 v)
{
    PutU16(out, quint16(v & 0xFFFF));
    PutU16(out, quint16(v >> 16));
}

quint16 GetU16(const uchar *p)
{
    return quint16(p[0] | (p[1] << 8));
}

quint32 GetU32(const uchar *p)
{
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

QByteArray EncodeName(const QString &name, bool *utf8)
{
    bool ascii = true;
    for (QChar c : name)
        if (c.unicode() > 0x7F) {
            ascii = false;
            break;
        }
    if (utf8)
        *utf8 = !ascii;
    return ascii ? name.toLatin1() : name.toUtf8();
}

QString DecodeName(const QByteArray &bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : DecodeCodePage(bytes, CodePage::Windows1251);
}

void ToDosDateTime(const QDateTime &when, quint16 &date, quint16 &time)
{
    const QDateTime local = when.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    if (!local.isValid() || d.year() < 1980 || d.year() > 2107) {
        // The format counts years from 1980 in seven bits.
        date = quint16((0 << 9) | (1 << 5) | 1);
        time = 0;
        return;
    }
    date = quint16(((d.year() - 1980) << 9) | (d.month() << 5) | d.day());
    time = quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
}

QDateTime FromDosDateTime(quint16 date, quint16 time)
{
    const QDate d = QDate(1980 + (date >> 9), 1, 1).addMonths(((date >> 5) & 0x0F) - 1).addDays((date & 0x1F) - 1);
    const int seconds = ((time >> 11) & 0x1F) * 3600 + ((time >> 5) & 0x3F) * 60 + (time & 0x1F) * 2;
    return QDateTime(d, QTime(0, 0), Qt::LocalTime).addSecs(seconds);
}

int CabinetHeader::Bytes() const
{
    int n = kHeaderBytes;
    if (Flags & kFlagReservePresent)
        n += kReserveFieldsBytes + ReserveHeader;
    if (HasPrev())
        n += PrevName.size() + 1 + PrevDisk.size() + 1;
    if (HasNext())
        n += NextName.size() + 1 + NextDisk.size() + 1;
    n += Folders.size() * (kFolderBytes + ReserveFolder);
    for (const FileEntry &f : Files)
        n += kFileBytes + f.Name.size() + 1;
    return n;
}

static void PutName(QByteArray &out, const QByteArray &name)
{
    out.append(name);
    out.append('\0');
}

QByteArray Serialize(const CabinetHeader &h)
{
    QByteArray out;
    out.reserve(h.Bytes());
    PutU32(out, kSignature);
    PutU32(out, 0);
    PutU32(out, h.Size);
    PutU32(out, 0);
    int filesOffset = kHeaderBytes;
    if (h.Flags & kFlagReservePresent)
        filesOffset += kReserveFieldsBytes + h.ReserveHeader;
    if (h.HasPrev())
        filesOffset += h.PrevName.size() + 1 + h.PrevDisk.size() + 1;
    if (h.HasNext())
        filesOffset += h.NextName.size() + 1 + h.NextDisk.size() + 1;
    filesOffset += h.Folders.size() * (kFolderBytes + h.ReserveFolder);
    PutU32(out, quint32(filesOffset));
    PutU32(out, 0);
    PutU8(out, h.VersionMinor);
    PutU8(out, h.VersionMajor);
    PutU16(out, quint16(h.Folders.size()));
    PutU16(out, quint16(h.Files.size()));
    PutU16(out, h.Flags);
    PutU16(out, h.SetId);
    PutU16(out, h.Index);
    if (h.Flags & kFlagReservePresent) {
        PutU16(out, h.ReserveHeader);
        PutU8(out, h.ReserveFolder);
        PutU8(out, h.ReserveData);
        out.append(QByteArray(h.ReserveHeader, '\0'));
    }
    if (h.HasPrev()) {
        PutName(out, h.PrevName);
        PutName(out, h.PrevDisk);
    }
    if (h.HasNext()) {
        PutName(out, h.NextName);
        PutName(out, h.NextDisk);
    }
    for (const FolderEntry &f : h.Folders) {
        PutU32(out, f.DataOffset);
        PutU16(out, f.Blocks);
        PutU16(out, f.Compression);
        out.append(QByteArray(h.ReserveFolder, '\0'));
    }
    for (const FileEntry &f : h.Files) {
        PutU32(out, f.Size);
        PutU32(out, f.Offset);
        PutU16(out, f.Folder);
        PutU16(out, f.Date);
        PutU16(out, f.Time);
        PutU16(out, f.Attributes);
        PutName(out, f.Name);
    }
    return out;
}

namespace {

// A bounds-checked walk over the bytes read so far.
class Cursor
{
public:
    explicit Cursor(const QByteArray &bytes) : bytes_(bytes) {}
    bool Has(int n) const { return pos_ + n <= bytes_.size(); }
    int Pos() const { return pos_; }
    void Seek(int pos) { pos_ = pos; }
    const uchar *Take(int n)
    {
        const uchar *p = reinterpret_cast<const uchar *>(bytes_.constData()) + pos_;
        pos_ += n;
        return p;
    }
    // A zero-terminated name of 1 to 255 bytes. 0: read; 1: need more; 2: bad.
    int Name(QByteArray &out)
    {
        const int start = pos_;
        for (int i = start; i < bytes_.size(); ++i)
            if (bytes_.at(i) == '\0') {
                const int length = i - start;
                if (length == 0 || length > 255)
                    return 2;
                out = bytes_.mid(start, length);
                pos_ = i + 1;
                return 0;
            }
        return bytes_.size() - start > 255 ? 2 : 1;
    }

private:
    const QByteArray &bytes_;
    int pos_ = 0;
};

} // namespace

ParseResult Parse(const QByteArray &bytes, CabinetHeader &h)
{
    Cursor c(bytes);
    if (!c.Has(kHeaderBytes))
        return bytes.size() >= 4 && GetU32(reinterpret_cast<const uchar *>(bytes.constData())) != kSignature
                   ? ParseResult::NotACabinet
                   : ParseResult::NeedMore;
    const uchar *p = c.Take(kHeaderBytes);
    if (GetU32(p) != kSignature)
        return ParseResult::NotACabinet;
    h = CabinetHeader();
    h.Size = GetU32(p + 8);
    const quint32 filesOffset = GetU32(p + 16);
    h.VersionMinor = p[24];
    h.VersionMajor = p[25];
    if (h.VersionMajor != kVersionMajor)
        return ParseResult::UnknownVersion;
    const int folders = GetU16(p + 26);
    const int files = GetU16(p + 28);
    h.Flags = GetU16(p + 30);
    h.SetId = GetU16(p + 32);
    h.Index = GetU16(p + 34);
    if (folders == 0 || files == 0)
        return ParseResult::Corrupt;
    if (h.Flags & kFlagReservePresent) {
        if (!c.Has(kReserveFieldsBytes))
            return ParseResult::NeedMore;
        const uchar *r = c.Take(kReserveFieldsBytes);
        h.ReserveHeader = GetU16(r);
        h.ReserveFolder = r[2];
        h.ReserveData = r[3];
        if (h.ReserveHeader > kMaxReserveHeader)
            return ParseResult::Corrupt;
        if (!c.Has(h.ReserveHeader))
            return ParseResult::NeedMore;
        c.Take(h.ReserveHeader);
    }
    const auto name = [&c](QByteArray &out) {
        switch (c.Name(out)) {
        case 0: return ParseResult::Ok;
        case 1: return ParseResult::NeedMore;
        default: return ParseResult::Corrupt;
        }
    };
    ParseResult r = ParseResult::Ok;
    if (h.HasPrev() && ((r = name(h.PrevName)) != ParseResult::Ok || (r = name(h.PrevDisk)) != ParseResult::Ok))
        return r;
    if (h.HasNext() && ((r = name(h.NextName)) != ParseResult::Ok || (r = name(h.NextDisk)) != ParseResult::Ok))
        return r;
    for (int i = 0; i < folders; ++i) {
        if (!c.Has(kFolderBytes + h.ReserveFolder))
            return ParseResult::NeedMore;
        const uchar *f = c.Take(kFolderBytes + h.ReserveFolder);
        FolderEntry e;
        e.DataOffset = GetU32(f);
        e.Blocks = GetU16(f + 4);
        e.Compression = GetU16(f + 6);
        if (e.DataOffset > h.Size)
            return ParseResult::Corrupt;
        h.Folders.append(e);
    }
    if (filesOffset >= h.Size || filesOffset < quint32(c.Pos()))
        return ParseResult::Corrupt;
    if (filesOffset > quint32(bytes.size()))
        return ParseResult::NeedMore;
    c.Seek(int(filesOffset));
    for (int i = 0; i < files; ++i) {
        if (!c.Has(kFileBytes))
            return ParseResult::NeedMore;
        const uchar *f = c.Take(kFileBytes);
        FileEntry e;
        e.Size = GetU32(f);
        e.Offset = GetU32(f + 4);
        e.Folder = GetU16(f + 8);
        e.Date = GetU16(f + 10);
        e.Time = GetU16(f + 12);
        e.Attributes = GetU16(f + 14);
        if (e.Folder < kContinuedFromPrev && e.Folder >= folders)
            return ParseResult::Corrupt;
        if ((r = name(e.Name)) != ParseResult::Ok)
            return r;
        h.Files.append(e);
    }
    return ParseResult::Ok;
}

} // namespace platform::cab::format
