#pragma once
// The on-disk layout of Microsoft cabinet files: a header, the folder
// entries, the file entries, then the data blocks of the folders. All
// numbers little-endian. Written from the published format description.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <QtGlobal>

namespace platform::cab::format {

constexpr quint32 kSignature = 0x4643534D;      // "MSCF"
constexpr quint8 kVersionMinor = 3;
constexpr quint8 kVersionMajor = 1;

constexpr int kHeaderBytes = 36;                // fixed part of the header
constexpr int kReserveFieldsBytes = 4;          // the three reserve sizes, when present
constexpr int kFolderBytes = 8;                 // a folder entry without its reserve
constexpr int kFileBytes = 16;                  // a file entry without its name
constexpr int kDataBytes = 8;                   // a data block header without its reserve

constexpr quint16 kFlagPrevCabinet = 0x0001;
constexpr quint16 kFlagNextCabinet = 0x0002;
constexpr quint16 kFlagReservePresent = 0x0004;

// Folder index values of a file entry whose data crosses a cabinet boundary.
constexpr quint16 kContinuedFromPrev = 0xFFFD;
constexpr quint16 kContinuedToNext = 0xFFFE;
constexpr quint16 kContinuedPrevAndNext = 0xFFFF;

constexpr int kBlockSize = 32768;               // uncompressed bytes of a full data block
constexpr quint32 kMaxFolderBytes = 0x7FFF8000; // uncompressed bytes of one folder
constexpr int kMaxFolderBlocks = 0xFFFF;
constexpr quint32 kMaxReserveHeader = 60000;
constexpr quint32 kMaxReserveFolder = 255;
constexpr quint32 kMaxReserveData = 255;

inline bool ContinuesFromPrev(quint16 folder)
{
    return folder == kContinuedFromPrev || folder == kContinuedPrevAndNext;
}
inline bool ContinuesToNext(quint16 folder)
{
    return folder == kContinuedToNext || folder == kContinuedPrevAndNext;
}

// The format's data block checksum: the bytes taken as little-endian 32-bit
// words XORed into the seed, the last 1 to 3 bytes gathered high byte first.
quint32 Checksum(const uchar *data, int length, quint32 seed);
// The checksum stored in a data block header: over the data, then over the
// two size fields.
quint32 DataBlockChecksum(const uchar *data, quint16 compressed, quint16 uncompressed);

void PutU8(QByteArray &out, quint8 v);
void PutU16(QByteArray &out, quint16 v);
void PutU32(QByteArray &out, quint32 v);
quint16 GetU16(const uchar *p);
quint32 GetU32(const uchar *p);

// Bytes of a stored name: plain ASCII as it stands, any other text as UTF-8
// with the attribute flag that says so.
QByteArray EncodeName(const QString &name, bool *utf8);
// A stored name: UTF-8 with the flag, else in Windows-1251, the code page
// of the Bulgarian office machines whose cabinets the program reads.
QString DecodeName(const QByteArray &bytes, bool utf8);

// DOS date and time of a local date and time, and back. Fields out of their
// range carry over (a date of 0 is day 0 of month 0 of 1980, 30.11.1979), so
// every date and time gives a valid moment.
void ToDosDateTime(const QDateTime &when, quint16 &date, quint16 &time);
QDateTime FromDosDateTime(quint16 date, quint16 time);

struct FolderEntry
{
    quint32 DataOffset = 0;     // from the start of the cabinet
    quint16 Blocks = 0;
    quint16 Compression = 0;
};

struct FileEntry
{
    quint32 Size = 0;
    quint32 Offset = 0;         // in the folder's uncompressed stream
    quint16 Folder = 0;         // index, or one of the continuation values
    quint16 Date = 0;
    quint16 Time = 0;
    quint16 Attributes = 0;
    QByteArray Name;
};

// Everything of a cabinet but its data blocks.
struct CabinetHeader
{
    quint32 Size = 0;
    quint8 VersionMinor = kVersionMinor;
    quint8 VersionMajor = kVersionMajor;
    quint16 Flags = 0;
    quint16 SetId = 0;
    quint16 Index = 0;
    quint16 ReserveHeader = 0;
    quint8 ReserveFolder = 0;
    quint8 ReserveData = 0;
    QByteArray PrevName, PrevDisk, NextName, NextDisk;
    QVector<FolderEntry> Folders;
    QVector<FileEntry> Files;

    bool HasPrev() const { return Flags & kFlagPrevCabinet; }
    bool HasNext() const { return Flags & kFlagNextCabinet; }
    // Bytes of the header as Serialize writes it.
    int Bytes() const;
};

// The header bytes; the caller fills every field, Size and the folders'
// data offsets included.
QByteArray Serialize(const CabinetHeader &header);

enum class ParseResult { Ok, NeedMore, NotACabinet, UnknownVersion, Corrupt };
// Reads a header from the first bytes of a cabinet. NeedMore: the bytes end
// before the header does.
ParseResult Parse(const QByteArray &bytes, CabinetHeader &header);

} // namespace platform::cab::format
