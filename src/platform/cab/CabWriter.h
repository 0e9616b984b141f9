#pragma once
// Writes cabinet sets: files compressed with MSZIP (or stored) into folders,
// the folders into cabinets of at most a given size. A file that does not
// fit into the rest of a cabinet continues in the next one: its folder goes
// on there, its entry is repeated with the continuation markers, and the
// data block at the boundary is split in two (the first piece with an
// uncompressed size of 0), which is how readers of the format expect a set.
//
// The data of the cabinet under construction waits in one temporary file;
// when the cabinet is complete its header is written and the data copied
// after it. Everything reaches files through the user's callbacks.
//
// A set that fails, or that is destroyed before its last cabinet is
// flushed, leaves no cabinet behind: the cabinets written for it are
// deleted.
#include "platform/cab/CabFormat.h"
#include "platform/cab/CabTypes.h"

#include <QStringList>
#include <memory>

namespace platform::cab {

class Writer
{
public:
    // A writer for the set described by cab; nullptr with the error record
    // filled when the temporary file cannot be made or cab is out of range.
    static std::unique_ptr<Writer> Create(WriterCallbacks &callbacks, const CabParameters &cab,
                                          ErrorRecord &erf);
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Compresses the file opened by the open-information callback into the
    // set under the name given. compression: CompressNone or CompressMsZip.
    // A file refused before any of it is written (bad name or compression,
    // source not opened) leaves the set as it was; any later failure ends
    // the set.
    bool AddFile(const QString &source, const QString &name, bool execute, int compression);
    // Completes the cabinet under construction; with getNext the set goes on
    // in a further cabinet (named through the next-cabinet callback), else
    // the set is complete.
    bool FlushCabinet(bool getNext);
    // Ends the writer: removes the temporary file (and the cabinets of a
    // set left unfinished). False when the temporary file cannot be removed.
    bool Destroy();

private:
    Writer(WriterCallbacks &callbacks, const CabParameters &cab, ErrorRecord &erf);
    bool Init();

    quint32 Limit() const;
    qint64 Room() const;
    int DataOverhead() const { return format::kDataBytes + int(reserveData_); }
    int FolderEntryBytes() const { return format::kFolderBytes + int(reserveFolder_); }
    static int FileEntryBytes(const format::FileEntry &e) { return format::kFileBytes + e.Name.size() + 1; }
    bool ReservePresent() const { return reserveHeader_ || reserveFolder_ || reserveData_; }

    bool CabinetNames(QByteArray &name, QByteArray &disk);
    bool StartCabinet();
    bool NextCabinet(bool continuing);
    bool CompleteCabinet(const QByteArray &nextName, const QByteArray &nextDisk);
    void OpenFolder(int compression);
    void CloseFolder();
    bool PlaceBlock(const QByteArray &block, int uncompressed, bool more);
    bool WriteData(const char *data, int length, int uncompressed);
    bool WriteTemp(const char *data, int length);
    bool Compress(const uchar *data, int length, bool useDictionary, QByteArray &out);
    bool Fail(int code, int type = 0);
    bool Refuse(int code, int type = 0);
    bool Refail();
    void Rollback();

    WriterCallbacks &cb_;
    ErrorRecord &erf_;
    CabParameters cab_;
    quint32 reserveHeader_ = 0;
    quint32 reserveFolder_ = 0;
    quint32 reserveData_ = 0;

    QString tempName_;
    intptr_t temp_ = -1;
    qint64 tempBytes_ = 0;          // data of the cabinet under construction

    bool failed_ = false;
    int failCode_ = 0;
    int failType_ = 0;
    bool destroyed_ = false;

    // The cabinet under construction.
    bool cabinetOpen_ = false;
    QString cabinetFile_;
    QByteArray cabinetName_, cabinetDisk_;
    quint16 cabinetIndex_ = 0;
    quint16 cabinetSetId_ = 0;
    bool hasPrev_ = false;
    QByteArray prevName_, prevDisk_;
    qint64 headerBytes_ = 0;        // its header without the next cabinet's names
    QVector<format::FolderEntry> folders_;   // data offsets relative to the temporary file
    QVector<format::FileEntry> files_;
    intptr_t openCabinet_ = -1;     // the cabinet file while it is written

    // The folder that takes files (always the last of folders_).
    bool folderOpen_ = false;
    bool folderContinued_ = false;  // carried over from the previous cabinet
    int folderCompression_ = 0;
    quint64 folderBytes_ = 0;       // uncompressed bytes so far
    int folderBlocks_ = 0;
    quint64 folderCompressed_ = 0;

    int currentFile_ = -1;          // entry of the file being added
    QString currentName_;
    qint64 currentSize_ = 0;

    QStringList written_;           // cabinets of the set not yet complete

    struct Deflater;
    std::unique_ptr<Deflater> deflater_;
    QByteArray previous_;           // the last full block, the next block's dictionary
};

} // namespace platform::cab
