#pragma once
// TCabArchive: the non-visual component that writes cabinet sets and
// extracts them, on our cabinet library (platform/cab). It gives the library
// its file, status and notification routines, turns the library's callbacks
// into events of its owner and keeps byte progress of the file being
// compressed or extracted. Every operation runs on the caller's thread; the
// file routines run the application's event queue, so that the owner's
// window stays live and can ask for an abort while the library works.
//
// Calling order for compression: set the properties, CreateCabinet, one or
// more AddFile, FlushCabinet(false) for the last cabinet, CloseCabinet. For
// extraction: set CABFileName and DestinationPath, ExtractFiles.
//
// Paths use '/' between folders. A callback never lets an exception through
// into the library: an exception raised by an event handler (or by the
// default completion of an extracted file) stops the library's work and is
// raised again by the call that started it, once the library has returned.
#include "core/StringList.h"
#include "platform/Exception.h"
#include "platform/cab/CabTypes.h"

#include <QFlags>
#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <vector>

class QFile;

namespace platform::cab {
class Writer;
class Reader;
} // namespace platform::cab

enum TAddFileOption { afoExecuteOnExtract = 0x1 };
Q_DECLARE_FLAGS(TAddFileOptions, TAddFileOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TAddFileOptions)

enum TCpuType { cptAuto, cpt80286, cpt80386 };

// The answer of an OnCopyFile handler: stop the extraction, skip the file,
// or write the file into the handle given back.
enum TFileCopyAction { fcaAbort = 0, fcaSkip = 1, fcaWrite = 2 };

// The reader's error codes (platform::cab::ReaderError).
using TFDIERROR = platform::cab::ReaderError;

// The record of the cabinet being written, as the library keeps it.
using TCCAB = platform::cab::CabParameters;

// A failed system call of the default completion of an extracted file:
// "Error %d: %s" with the system's error code and its text.
class ECabApiError : public Exception
{
public:
    explicit ECabApiError(int Code);
    int ErrorCode() const { return code_; }

private:
    int code_;
};

class TCabArchive : public QObject, public TObject
{
public:
    using TCabinetInfoEvent = std::function<void(TObject *Sender, const QString &CabinetName,
                                                 const QString &CabinetDisk, const QString &CabinetPath,
                                                 int SetId, int CabinetNumber, bool &Abort)>;
    using TPartialFileEvent = std::function<void(TObject *Sender, const QString &FileName,
                                                 const QString &FirstCabinetName,
                                                 const QString &FirstCabinetDisk, bool &Abort)>;
    using TCopyFileEvent = std::function<void(TObject *Sender, const QString &FileName, int UncompressedSize,
                                              qint16 Date, qint16 Time, qint16 Attribs,
                                              TFileCopyAction &Action, int &DestFileHandle)>;
    using TCloseCopiedFileEvent = std::function<void(TObject *Sender, const QString &FileName, int FileHandle,
                                                     qint16 Date, qint16 Time, qint16 Attribs, int FolderIndex,
                                                     bool Execute, bool &Abort)>;
    using TNextCabinetEvent = std::function<void(TObject *Sender, const QString &NextCabinetName,
                                                 const QString &NextCabinetDisk, QString &CabinetPath,
                                                 TFDIERROR ErrorIndication, bool &Abort)>;
    using TFileStatusEvent = std::function<void(TObject *Sender, int CompressedSize, int UncompressedSize,
                                                int &ResultCode)>;
    using TFolderStatusEvent = std::function<void(TObject *Sender, int SizeCopied, int TotalSize,
                                                  int &ResultCode)>;
    using TCabinetStatusEvent = std::function<void(TObject *Sender, int PreEstimatedSize, int ActualSize,
                                                   int &WantedSize)>;
    using TGetNextCabinetEvent = std::function<void(TObject *Sender, TCCAB &CabParameters,
                                                    QString &NewCabFileName, int PreviousCabEstimatedSize,
                                                    bool &AbortCreation)>;
    using TFilePlacedEvent = std::function<void(TObject *Sender, TCCAB &CabParameters, const QString &FileName,
                                                int FileLength, bool Continuation, bool &AbortProcessing)>;
    using TGetOpenInfoEvent = std::function<void(TObject *Sender, const QString &FileName, qint16 &Date,
                                                 qint16 &Time, qint16 &Attributes, int &FileHandle,
                                                 int &ResultCode)>;
    using TGetTempFileEvent = std::function<void(TObject *Sender, QString &TempFileName, bool &Success)>;
    using TCabErrorEvent = std::function<void(TObject *Sender, int ErrorCode, int ErrorType)>;
    using TCabProgressEvent = std::function<void(TObject *Sender, qint64 BytesRead, qint64 BytesTotal)>;

    explicit TCabArchive(QObject *Owner = nullptr);
    ~TCabArchive() override;
    TCabArchive(const TCabArchive &) = delete;
    TCabArchive &operator=(const TCabArchive &) = delete;

    TAddFileOptions Options() const { return options_; }
    void SetOptions(TAddFileOptions Value) { options_ = Value; }
    QString CABFileName() const { return cabFileName_; }
    void SetCABFileName(const QString &Value) { cabFileName_ = Value; }
    QString VolumeName() const { return volumeName_; }
    void SetVolumeName(const QString &Value) { volumeName_ = Value; }
    int VolumeSize() const { return volumeSize_; }
    void SetVolumeSize(int Value) { volumeSize_ = Value; }
    int FolderThreshold() const { return folderThreshold_; }
    void SetFolderThreshold(int Value) { folderThreshold_ = Value; }
    int SetID() const { return setID_; }
    void SetSetID(int Value) { setID_ = Value; }
    TCpuType CpuType() const { return cpuType_; }
    void SetCpuType(TCpuType Value) { cpuType_ = Value; }
    QString DestinationPath() const { return destinationPath_; }
    // A folder gets a trailing '/' unless it is empty or has one already.
    void SetDestinationPath(const QString &Value);
    bool FailOnIncompressible() const { return failOnIncompressible_; }
    void SetFailOnIncompressible(bool Value) { failOnIncompressible_ = Value; }
    bool FileSupport() const { return fileSupport_; }
    void SetFileSupport(bool Value) { fileSupport_ = Value; }

    // Compression settings: type 0 none, 1 MSZIP, 2 Quantum, 3 LZX (our
    // library writes the first two), the LZX window, the Quantum level and
    // memory.
    quint8 CompressionType = 0;
    quint8 LZXWindow = 0;
    quint8 QuantumLevel = 0;
    quint8 QuantumMemory = 0;

    TCabinetInfoEvent OnCabinetInfo;
    TPartialFileEvent OnPartialFile;
    TCopyFileEvent OnCopyFile;
    TCloseCopiedFileEvent OnCloseCopiedFile;
    TNextCabinetEvent OnNextCabinet;
    TFileStatusEvent OnFileStatus;
    TFolderStatusEvent OnFolderStatus;
    TCabinetStatusEvent OnCabinetStatus;
    TGetNextCabinetEvent OnGetNextCabinet;
    TFilePlacedEvent OnFilePlacedEvent;
    TGetOpenInfoEvent OnGetOpenInfo;
    TGetTempFileEvent OnGetTempFile;
    TCabErrorEvent OnError;
    TCabProgressEvent OnProgress;

    // Starts a cabinet set from the properties.
    void CreateCabinet();
    // Compresses one file into the set; false (with OnError) on failure.
    bool AddFile(const QString &SourcePath, const QString &NameInCabinet);
    // Completes the current cabinet; false (with OnError) on failure.
    bool FlushCabinet(bool GetNext);
    // Ends the compression and frees its context.
    void CloseCabinet();
    // Extracts every file of the set that begins with CABFileName into
    // DestinationPath; false (with OnError) on failure.
    bool ExtractFiles(int Flags);
    // Asks a running compression to stop at its next block.
    void Abort() { abort_ = true; }
    // True while AddFile, FlushCabinet or ExtractFiles runs; further calls
    // of those are refused meanwhile.
    bool Busy() const { return busy_; }

    // The compression code handed to the library for each added file.
    int CompressionCode() const;

    // Whether the file at Path is a whole cabinet: a regular file that
    // begins as a cabinet does and is as long as its header says. A cabinet
    // cut short (a writer that died, a copy that broke off) is not.
    static bool IsWholeCabinet(const QString &Path);

private:
    template <class Callbacks> class FileRoutines;
    class Compression;
    class Extraction;

    template <class R, class F> R Guarded(R failure, F &&body);
    void RethrowPending();
    void RaiseError();
    void Pump();

    QFile *Find(intptr_t handle) const;
    intptr_t FileOpen(const QString &name, int flags, int mode, int &err);
    unsigned FileRead(intptr_t handle, void *buffer, unsigned count, int &err);
    unsigned FileWrite(intptr_t handle, const void *buffer, unsigned count, int &err);
    int FileClose(intptr_t handle, int &err);
    qint64 FileSeek(intptr_t handle, qint64 distance, int origin, int &err);
    int FileDelete(const QString &name, int &err);
    bool TempFile(QString &name, int bufferSize);
    int FilePlaced(TCCAB &cab, const QString &file, qint64 length, bool continuation);
    bool NextCabinetName(TCCAB &cab, quint32 previousEstimate);
    long Status(int type, quint32 size1, quint32 size2);
    intptr_t OpenInfo(const QString &name, quint16 &date, quint16 &time, quint16 &attributes, int &err);
    intptr_t Notify(platform::cab::NotificationType type, platform::cab::Notification &notice);
    intptr_t CopyTarget(platform::cab::Notification &notice);
    intptr_t CompleteTarget(platform::cab::Notification &notice);
    void DiscardIncompleteTargets();

    TAddFileOptions options_;
    QString cabFileName_;
    QString volumeName_;
    int volumeSize_ = 0;
    int folderThreshold_ = 0;
    int setID_ = 0;
    TCpuType cpuType_ = cptAuto;
    QString destinationPath_;
    bool failOnIncompressible_ = false;
    bool fileSupport_ = false;

    platform::cab::ErrorRecord erf_;
    std::unique_ptr<Compression> compression_;
    std::unique_ptr<Extraction> extraction_;
    std::unique_ptr<platform::cab::Writer> writer_;
    std::unique_ptr<platform::cab::Reader> reader_;
    std::vector<std::unique_ptr<QFile>> streams_;
    std::map<intptr_t, QString> defaultTargets_;   // files the default extraction opened, not yet complete
    std::set<QString> extractedTargets_;           // every target of the default extraction so far
    qint64 bytesDone_ = 0;
    qint64 bytesTotal_ = 0;
    intptr_t tracked_ = -1;
    bool abort_ = false;
    bool busy_ = false;
    bool extracting_ = false;
    bool targetRefused_ = false;
    std::exception_ptr pending_;
};
