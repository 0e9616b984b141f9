#include "platform/print/RawPrinter.h"

#include <QStringList>

#include <QProcess>

namespace platform {

RawPrinter::RawPrinter(int timeoutMs) : timeoutMs_(timeoutMs) {}

RawPrinter::~RawPrinter()
{
    if (device_.isOpen())
        device_.close();
}

QString RawPrinter::Target() { return qEnvironmentVariable("TOLVEX_PRN").trimmed(); }

void RawPrinter::Open()
{
    if (open_)
        Close();
    target_ = Target();
    job_.clear();
    if (!target_.isEmpty()) {
        device_.setFileName(target_);
        // Truncation is ignored by character devices and makes a file hold
        // exactly this job.
        if (!device_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            throw EInOutError(QString("Няма достъп до принтера \"%1\": %2")
                                  .arg(target_, device_.errorString()));
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
    if (device_.write(bytes) != bytes.size())
        throw EInOutError(QString("Грешка при печат на \"%1\": %2").arg(target_, device_.errorString()));
}

void RawPrinter::WriteLine(const QByteArray &bytes) { Write(bytes + "\r\n"); }

void RawPrinter::Close()
{
    if (!open_)
        return;
    open_ = false;
    if (!target_.isEmpty()) {
        device_.close();
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
    QStringList arguments;
    if (!queue_.isEmpty())
        arguments << "-d" << queue_;
    arguments << "-o" << "raw";
    lp.start("lp", arguments);
    if (!lp.waitForStarted(timeoutMs_))
        throw EInOutError(QString("Няма достъп до принтера: програмата \"lp\" не може да бъде стартирана (%1).")
                              .arg(lp.errorString()));
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
        throw EInOutError(QString("Принтерът не прие заданието: %1").arg(reason));
    }
}

} // namespace platform
