#include "platform/print/RawPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/system/SystemError.h"

namespace platform {

namespace {

// QProcess tells why a program did not start only as the system's English
// text of the code ("execvp: No such file or directory"): the code is the
// one whose text that is.
int StartErrorCode(const QString &Error)
{
    const QString cause = Error.section(QLatin1String(": "), 1);
    for (int code = 1; code < 256; ++code)
        if (cause == qt_error_string(code))
            return code;
    return 0;
}

// The program Name as the search path gives it; one that may not be run
// when there is no other, so that it is told apart from a missing one.
QString ProgramOnPath(const QString &Name)
{
    const QString runnable = QStandardPaths::findExecutable(Name);
    if (!runnable.isEmpty())
        return runnable;
    for (const QString &folder : qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QFileInfo file(QDir(folder), Name);
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return QString();
}

// What lp says (run in the C locale) when it cannot queue a job, in the
// clerk's words; an answer not known here is shown as lp gave it.
QString RefusalText(const QString &Reason, const QString &Queue)
{
    if (Reason.contains(QLatin1String("No default destination"), Qt::CaseInsensitive))
        return QStringLiteral("Няма избран принтер по подразбиране: заданието не е отпечатано.");
    if (Reason.contains(QLatin1String("printer or class does not exist"), Qt::CaseInsensitive))
        return Queue.isEmpty()
                   ? QStringLiteral("Принтерът по подразбиране не съществува: заданието не е отпечатано.")
                   : QStringLiteral("Принтерът \"%1\" не съществува: заданието не е отпечатано.").arg(Queue);
    if (Reason.contains(QLatin1String("Scheduler Not Running"), Qt::CaseInsensitive))
        return QStringLiteral("Услугата за печат (CUPS) не работи: заданието не е отпечатано.");
    return QStringLiteral("Принтерът не прие заданието: %1").arg(Reason);
}

} // namespace

RawPrinter::RawPrinter(int timeoutMs) : timeoutMs_(timeoutMs) {}

RawPrinter::~RawPrinter()
{
    if (device_ >= 0)
        ::close(device_);
}

QString RawPrinter::Target() { return qEnvironmentVariable("TOLVEX_PRN").trimmed(); }

void RawPrinter::Open()
{
    if (open_)
        Close();
    target_ = Target();
    job_.clear();
    if (!target_.isEmpty()) {
        // Truncation is ignored by character devices and makes a file hold
        // exactly this job.
        device_ = ::open(QFile::encodeName(target_).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (device_ < 0)
            throw EInOutError(QString("Няма достъп до принтера \"%1\": %2.").arg(target_, SystemErrorText(errno)));
    }
    open_ = true;
}

void RawPrinter::Write(const QByteArray &bytes)
{
    if (!open_)
        throw EInOutError(QString("Принтерът не е отворен за печат."));
    if (target_.isEmpty()) {
        job_.append(bytes);
        return;
    }
    const char *next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(device_, next, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError(QString("Грешка при печат на \"%1\": %2.").arg(target_, SystemErrorText(errno)));
        }
        next += written;
        left -= written;
    }
}

void RawPrinter::WriteLine(const QByteArray &bytes) { Write(bytes + "\r\n"); }

void RawPrinter::Close()
{
    if (!open_)
        return;
    open_ = false;
    if (!target_.isEmpty()) {
        const int device = device_;
        device_ = -1;
        if (::close(device) != 0 && errno != EINTR)
            throw EInOutError(QString("Грешка при печат на \"%1\": %2.").arg(target_, SystemErrorText(errno)));
        return;
    }
    QByteArray job;
    job.swap(job_);
    if (!job.isEmpty())
        SubmitToQueue(job);
}

void RawPrinter::SubmitToQueue(const QByteArray &job)
{
    QProcess lp;
    lp.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    lp.setProcessEnvironment(environment);
    QStringList arguments;
    if (!queue_.isEmpty())
        arguments << "-d" << queue_;
    arguments << "-o" << "raw";
    const QString program = ProgramOnPath(QStringLiteral("lp"));
    if (program.isEmpty())
        throw EInOutError(QString("Няма достъп до принтера: програмата \"lp\" не е инсталирана (пакет cups-client)."));
    lp.start(program, arguments);
    if (!lp.waitForStarted(timeoutMs_)) {
        if (lp.error() != QProcess::FailedToStart) {
            lp.kill();
            lp.waitForFinished(1000);
            throw EInOutError(QString("Принтерът не отговаря: програмата \"lp\" не се стартира."));
        }
        throw EInOutError(QString("Няма достъп до принтера: програмата \"lp\" не може да бъде стартирана: %1.")
                              .arg(SystemErrorText(StartErrorCode(lp.errorString()))));
    }
    lp.write(job);
    lp.closeWriteChannel();
    if (!lp.waitForFinished(timeoutMs_)) {
        lp.kill();
        lp.waitForFinished(1000);
        throw EInOutError(QString("Принтерът не отговаря: заданието не е прието."));
    }
    if (lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        QString reason = QString::fromLocal8Bit(lp.readAllStandardError()).trimmed();
        if (reason.isEmpty())
            reason = QString("lp завърши с код %1").arg(lp.exitCode());
        throw EInOutError(RefusalText(reason, queue_));
    }
}

} // namespace platform
