#pragma once
// The raw printer device "prn": bytes go to
// the printer untouched, as the program built them (already in the
// printer's code page). By default they become one raw job on the default
// CUPS queue ("lp -o raw"), sent when the device is closed; when the
// environment variable TOLVEX_PRN names a device or a file, the bytes are
// written straight there. Failures raise EInOutError with a message for the
// operator in Bulgarian, the system's cause included; waiting on "lp" is
// bounded, so a dead queue never hangs the program.
#include <QByteArray>
#include <QString>

#include "platform/print/PrintErrors.h"

namespace platform {

class RawPrinter
{
public:
    // How long "lp" may take to start and to take the job.
    static constexpr int kDefaultTimeoutMs = 30000;

    explicit RawPrinter(int timeoutMs = kDefaultTimeoutMs);
    // A job left open is dropped: nothing reaches the queue.
    ~RawPrinter();

    RawPrinter(const RawPrinter &) = delete;
    RawPrinter &operator=(const RawPrinter &) = delete;

    // The device or file of TOLVEX_PRN, or empty for the default queue.
    static QString Target();

    // The CUPS queue of the raw jobs ("lp -d QUEUE"); empty: the default
    // queue. TOLVEX_PRN still wins.
    void SetQueue(const QString &Queue) { queue_ = Queue; }
    QString Queue() const { return queue_; }

    void Open();
    void Write(const QByteArray &bytes);
    // The bytes followed by a line end (CR LF), as a DOS printer expects.
    void WriteLine(const QByteArray &bytes);
    // Completes the output: closes the device, or hands the job to "lp".
    void Close();
    bool IsOpen() const { return open_; }

private:
    void SubmitToQueue(const QByteArray &job);

    int timeoutMs_;
    bool open_ = false;
    QString target_;
    QString queue_;
    int device_ = -1;
    QByteArray job_;
};

} // namespace platform
