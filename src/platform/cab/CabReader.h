#pragma once
// Reads cabinet sets through libmspack, reaching every file through the
// user's callbacks and reporting with the notices of CabTypes.h. Starting
// from one cabinet, the reader follows the set by the next-cabinet names in
// the headers and extracts every file that begins in the cabinets it reads;
// data block checksums are verified.
#include "platform/cab/CabFormat.h"
#include "platform/cab/CabTypes.h"

#include <memory>
#include <vector>

struct mscab_decompressor;
struct mscabd_cabinet;
struct mscabd_folder;

namespace platform::cab {

class Reader
{
public:
    // cpuType is kept for the user's information; nullptr when the
    // decompressor cannot be had (error record filled).
    static std::unique_ptr<Reader> Create(ReaderCallbacks &callbacks, int cpuType, ErrorRecord &erf);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    int CpuType() const { return cpuType_; }

    // Extracts the set beginning with cabinetPath + cabinetName. flags are
    // reserved; user goes into every notice.
    bool Copy(const QString &cabinetName, const QString &cabinetPath, int flags, void *user);

    // What libmspack last reported through its message routine.
    QString LastMessage() const { return lastMessage_; }

private:
    struct System;
    struct Cabinet;
    friend struct System;

    Reader(ReaderCallbacks &callbacks, int cpuType, ErrorRecord &erf);

    bool Fail(int code, int type = 0);
    intptr_t Notify(NotificationType type, Notification &notice);
    int OpenCabinet(const QString &path, const QString &name, std::unique_ptr<Cabinet> &out);
    int ReadHeader(const QString &file, format::CabinetHeader &header, int &sysError);
    bool OpenNext(size_t index);
    bool ReachEnd(size_t index, int entry);
    bool Extract(size_t index, int entry);
    void CloseAll();

    ReaderCallbacks &cb_;
    ErrorRecord &erf_;
    int cpuType_ = -1;
    void *user_ = nullptr;
    std::unique_ptr<System> system_;
    mscab_decompressor *cabd_ = nullptr;
    std::vector<std::unique_ptr<Cabinet>> cabinets_;
    intptr_t output_ = 0;          // the handle libmspack's next output goes to
    int lastSysError_ = 0;
    QString lastMessage_;
};

} // namespace platform::cab
