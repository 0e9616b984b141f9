#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/print/RawPrinter.h"

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Puts an executable "lp" with the given shell body into dir.
void MakeFakeLp(const QTemporaryDir &dir, const QByteArray &body)
{
    QFile lp(dir.filePath("lp"));
    ASSERT_TRUE(lp.open(QIODevice::WriteOnly));
    lp.write("#!/bin/sh\n" + body + "\n");
    lp.close();
    lp.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Sends a small job; the failure's message, or "printed" when none came.
QString JobFailure(platform::RawPrinter &printer)
{
    try {
        printer.Open();
        printer.Write("data");
        printer.Close();
    } catch (const EInOutError &e) {
        return e.Message();
    }
    return QStringLiteral("printed");
}

} // namespace

TEST(RawPrinter, WritesExactBytesToTheFileNamedByTolvexPrn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("prn.out");
    ScopedEnv env("TOLVEX_PRN", path.toLocal8Bit());

    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    platform::RawPrinter prn;
    prn.Open();
    prn.WriteLine("\x80\xA0\xAF line one");
    prn.Write(all);
    prn.Close();
    EXPECT_EQ(ReadAll(path), QByteArray("\x80\xA0\xAF line one\r\n") + all);

    // A second job replaces the first: the file holds one job.
    prn.Open();
    prn.Write("x");
    prn.Close();
    EXPECT_EQ(ReadAll(path), QByteArray("x"));
}

TEST(RawPrinter, MissingDeviceIsAClearError)
{
    QTemporaryDir dir;
    ScopedEnv env("TOLVEX_PRN", dir.filePath("no/such/folder/lp0").toLocal8Bit());
    platform::RawPrinter prn;
    EXPECT_EQ(JobFailure(prn), "Няма достъп до принтера \"" + dir.filePath("no/such/folder/lp0")
                                   + "\": файлът или папката не съществува.");
    EXPECT_FALSE(prn.IsOpen());
}

TEST(RawPrinter, SendsARawJobToTheDefaultQueue)
{
    QTemporaryDir bin;
    const QString out = bin.filePath("job");
    MakeFakeLp(bin, "echo \"$@\" > '" + bin.filePath("args").toLocal8Bit() + "'\ncat > '" + out.toLocal8Bit() + "'");
    ScopedEnv prn("TOLVEX_PRN", "");
    ScopedEnv path("PATH", bin.path().toLocal8Bit() + ":/usr/bin:/bin");

    platform::RawPrinter printer;
    printer.Open();
    printer.WriteLine("\xC0\xC1 first");
    printer.WriteLine("second");
    // Nothing reaches the queue before the job is complete.
    EXPECT_FALSE(QFile::exists(out));
    printer.Close();
    EXPECT_EQ(ReadAll(out), QByteArray("\xC0\xC1 first\r\nsecond\r\n"));
    EXPECT_EQ(ReadAll(bin.filePath("args")).trimmed(), QByteArray("-o raw"));
}

TEST(RawPrinter, ChosenQueueIsNamedToLp)
{
    QTemporaryDir bin;
    MakeFakeLp(bin, "echo \"$@\" > '" + bin.filePath("args").toLocal8Bit() + "'\ncat > /dev/null");
    ScopedEnv prn("TOLVEX_PRN", "");
    ScopedEnv path("PATH", bin.path().toLocal8Bit() + ":/usr/bin:/bin");

    platform::RawPrinter printer;
    printer.SetQueue("Epson_LX300");
    EXPECT_EQ(JobFailure(printer), "printed");
    EXPECT_EQ(ReadAll(bin.filePath("args")).trimmed(), QByteArray("-d Epson_LX300 -o raw"));
}

TEST(RawPrinter, RefusedJobReportsTheQueuesReason)
{
    // What lp answers on a machine without a printer, in the clerk's words;
    // an answer without words of its own is shown as lp gave it.
    struct Row { QByteArray said; QString queue, expected; };
    const Row rows[] = {
        {"lp: Error - No default destination.", "", "Няма избран принтер по подразбиране: заданието не е отпечатано."},
        {"lp: Error - The printer or class does not exist.", "Epson",
         "Принтерът \"Epson\" не съществува: заданието не е отпечатано."},
        {"lp: Error - paper jam.", "", "Принтерът не прие заданието: lp: Error - paper jam."},
    };
    for (const auto &row : rows) {
        QTemporaryDir bin;
        MakeFakeLp(bin, "cat > /dev/null\necho '" + row.said + "' >&2\nexit 1");
        ScopedEnv prn("TOLVEX_PRN", "");
        ScopedEnv path("PATH", bin.path().toLocal8Bit() + ":/usr/bin:/bin");

        platform::RawPrinter printer;
        printer.SetQueue(row.queue);
        EXPECT_EQ(JobFailure(printer), row.expected);
    }
}

TEST(RawPrinter, MissingLpIsAnErrorNotAHang)
{
    QTemporaryDir empty;
    ScopedEnv prn("TOLVEX_PRN", "");
    ScopedEnv path("PATH", empty.path().toLocal8Bit());
    // Waited for, the missing program would hold the test for the hour and
    // the run would fail on its time limit.
    platform::RawPrinter printer(3600 * 1000);
    EXPECT_EQ(JobFailure(printer), "Няма достъп до принтера: програмата \"lp\" не е инсталирана (пакет cups-client).");
    // An "lp" that may not be run: the system's cause in Bulgarian.
    MakeFakeLp(empty, "exit 0");
    QFile(empty.filePath("lp")).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(JobFailure(printer),
              "Няма достъп до принтера: програмата \"lp\" не може да бъде стартирана: няма права за достъп.");
}

TEST(RawPrinter, QueueThatDoesNotAnswerTimesOut)
{
    QTemporaryDir bin;
    // A queue that never answers: only the timeout ends the wait (the
    // message below is given only when it runs out). The timeout leaves a
    // loaded machine ample time to start the queue program.
    MakeFakeLp(bin, "exec sleep 3600");
    ScopedEnv prn("TOLVEX_PRN", "");
    ScopedEnv path("PATH", bin.path().toLocal8Bit() + ":/usr/bin:/bin");

    platform::RawPrinter printer(2000);
    EXPECT_EQ(JobFailure(printer), "Принтерът не отговаря: заданието не е прието.");
}
