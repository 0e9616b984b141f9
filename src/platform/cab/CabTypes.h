#pragma once
// Our cabinet library: the records and callback interfaces shared by the
// writer (CabWriter.h) and the reader (CabReader.h). The shape follows the
// system cabinet library the program was written against: the user hands in
// file routines and notification routines, the library reports failures in
// an error record and through the callbacks' return values. No C++ exception
// is expected to leave a callback; a callback reports failure by its result.
#include <QString>
#include <QtGlobal>
#include <cstdint>

namespace platform::cab {

// Flags of the open callback, with the values of the run-time library the
// callbacks were first written for.
enum OpenFlag : int {
    OpenReadOnly = 0x0000,
    OpenWriteOnly = 0x0001,
    OpenReadWrite = 0x0002,
    OpenCreate = 0x0100,
    OpenTruncate = 0x0200,
    OpenExclusive = 0x0400,
    OpenBinary = 0x8000,
};

enum SeekOrigin : int { SeekStart = 0, SeekCurrent = 1, SeekEnd = 2 };

// Attributes of a stored file: the DOS attributes and two flags of the
// format (run after extraction; the name is UTF-8).
enum FileAttribute : quint16 {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04,
    AttrArchive = 0x20,
    AttrExecute = 0x40,
    AttrNameIsUtf8 = 0x80,
};

// Compression codes as stored in a folder: the type in the low bits, the
// Quantum and LZX parameters above it.
enum CompressionType : int { CompressNone = 0, CompressMsZip = 1, CompressQuantum = 2, CompressLzx = 3 };

// Filled by the library when a call fails: the library's error code, the
// system error behind it (0 when none) and the failure mark.
struct ErrorRecord
{
    int Code = 0;
    int Type = 0;
    bool Failed = false;
};

// Error codes of the writer.
enum WriterError : int {
    WriterNone = 0,
    WriterOpenSource = 1,
    WriterReadSource = 2,
    WriterAllocFail = 3,
    WriterTempFile = 4,
    WriterBadCompressionType = 5,
    WriterCabinetFile = 6,
    WriterUserAbort = 7,
    WriterCompressorFail = 8,
    WriterFormatLimit = 9,
};

// Error codes of the reader.
enum ReaderError : int {
    ReaderNone = 0,
    ReaderCabinetNotFound = 1,
    ReaderNotACabinet = 2,
    ReaderUnknownVersion = 3,
    ReaderCorruptCabinet = 4,
    ReaderAllocFail = 5,
    ReaderBadCompressionType = 6,
    ReaderDecompressorFail = 7,
    ReaderTargetFile = 8,
    ReaderReserveMismatch = 9,
    ReaderWrongCabinet = 10,
    ReaderUserAbort = 11,
};

// The description of the cabinet being written. The writer passes its own
// copy to the callbacks by reference; what a callback changes takes effect
// (the size limit at once, the names for the cabinet that starts next).
struct CabParameters
{
    quint32 Size = 0;              // largest size of one cabinet; 0: no limit but the format's
    quint32 FolderThreshold = 0;   // compressed bytes after which a new folder starts; 0: none
    quint32 ReserveHeader = 0;     // reserved bytes in the cabinet header (at most 60,000)
    quint32 ReserveFolder = 0;     // reserved bytes per folder entry (at most 255)
    quint32 ReserveData = 0;       // reserved bytes per data block (at most 255)
    int Number = 0;                // number of the cabinet in its set (0 for the first)
    int Disk = 0;                  // number of the disk, the user's to keep
    bool FailOnIncompressible = false;
    quint16 SetId = 0;
    QString DiskName;              // name of the disk the cabinet goes to
    QString CabinetName;           // file name of the cabinet
    QString CabinetPath;           // folder of the cabinet, with its trailing separator
};

// The longest name the format holds, in bytes, without its terminating zero.
constexpr int kMaxNameBytes = 255;
// The size of the buffer a temporary-file callback fills, terminating zero included.
constexpr int kTempNameBuffer = 256;

// The file routines. Handles are the callbacks' own values (-1: none).
// Each failure puts the system's error into err and returns -1, or a count
// short of the one asked for.
class FileCallbacks
{
public:
    virtual ~FileCallbacks() = default;
    virtual intptr_t Open(const QString &name, int flags, int mode, int &err) = 0;
    virtual unsigned Read(intptr_t file, void *buffer, unsigned count, int &err) = 0;
    virtual unsigned Write(intptr_t file, const void *buffer, unsigned count, int &err) = 0;
    virtual int Close(intptr_t file, int &err) = 0;
    virtual qint64 Seek(intptr_t file, qint64 distance, int origin, int &err) = 0;
};

// Closes a handle of the callbacks when it goes out of scope.
class HandleCloser
{
public:
    HandleCloser(FileCallbacks &callbacks, intptr_t handle) : callbacks_(callbacks), handle_(handle) {}
    ~HandleCloser()
    {
        int err = 0;
        callbacks_.Close(handle_, err);
    }
    HandleCloser(const HandleCloser &) = delete;
    HandleCloser &operator=(const HandleCloser &) = delete;

private:
    FileCallbacks &callbacks_;
    intptr_t handle_;
};

enum StatusType : int { StatusFile = 0, StatusFolder = 1, StatusCabinet = 2 };

// What the writer asks of its user besides the file routines.
class WriterCallbacks : public FileCallbacks
{
public:
    virtual int Delete(const QString &name, int &err) = 0;
    // A name for a temporary file; false when none can be given or it does
    // not fit in bufferSize bytes with its terminating zero.
    virtual bool GetTempFile(QString &name, int bufferSize) = 0;
    // A file, or the continuation of one, has gone into the current cabinet;
    // -1 stops the writing.
    virtual int FilePlaced(CabParameters &cab, const QString &file, qint64 length, bool continuation) = 0;
    // The cabinet under construction is full and another is needed.
    // cab.Number has already been advanced; the callback names the next
    // cabinet (CabinetName, CabinetPath, DiskName) and returns true, or
    // returns false to end the set with a failure.
    virtual bool GetNextCabinet(CabParameters &cab, quint32 previousEstimate) = 0;
    // StatusFile: (compressed, uncompressed) size of each block;
    // StatusFolder: (bytes copied, total) while a folder goes into the cabinet;
    // StatusCabinet: (estimated, actual) size of a completed cabinet.
    // -1 stops the writing.
    virtual long Status(int type, quint32 size1, quint32 size2) = 0;
    // Opens a source file for reading and gives its DOS date, time and attributes.
    virtual intptr_t GetOpenInfo(const QString &name, quint16 &date, quint16 &time,
                                 quint16 &attributes, int &err) = 0;
};

enum NotificationType : int {
    NotifyCabinetInfo = 0,
    NotifyPartialFile = 1,
    NotifyCopyFile = 2,
    NotifyCloseFileInfo = 3,
    NotifyNextCabinet = 4,
};

// The reader's notice record; which fields are filled depends on the notice:
//  CabinetInfo: Text1 next cabinet, Text2 next disk, Text3 this cabinet's
//               path, SetId, CabinetIndex;
//  PartialFile: Text1 file, Text2 first cabinet, Text3 first disk;
//  CopyFile:    Text1 file, Size, Date, Time, Attributes; the result is a
//               handle to write to, 0 to skip, -1 to stop;
//  CloseFileInfo: Text1 file, File, Date, Time, Attributes (without the
//               execute flag), Size 1 when the file is to be run, FolderIndex;
//               the result is 1 (TRUE), or -1 to stop;
//  NextCabinet: Text1 cabinet, Text2 disk, Text3 the path to look in, which
//               the callback may change, Error the failure of the last try.
struct Notification
{
    qint64 Size = 0;
    QString Text1, Text2, Text3;
    void *User = nullptr;
    intptr_t File = 0;
    quint16 Date = 0;
    quint16 Time = 0;
    quint16 Attributes = 0;
    quint16 SetId = 0;
    quint16 CabinetIndex = 0;
    quint16 FolderIndex = 0;
    int Error = ReaderNone;
};

class ReaderCallbacks : public FileCallbacks
{
public:
    // The result per notice as described at Notification; -1 stops the reading.
    virtual intptr_t Notify(NotificationType type, Notification &notice) = 0;
};

} // namespace platform::cab
