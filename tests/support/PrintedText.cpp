#include "support/PrintedText.h"

#include <QFile>
#include <gtest/gtest.h>

#include "platform/print/CodePages.h"

namespace testsupport {

ScopedEnvironment::ScopedEnvironment(const char *Name, const QByteArray &Value)
    : name_(Name), had_(qEnvironmentVariableIsSet(Name)), old_(qgetenv(Name))
{
    qputenv(Name, Value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (had_)
        qputenv(name_, old_);
    else
        qunsetenv(name_);
}

RawPrinterFile::RawPrinterFile()
    : path_(dir_.filePath(QStringLiteral("prn.out"))), env_("TOLVEX_PRN", path_.toLocal8Bit())
{
}

bool RawPrinterFile::Exists() const { return QFile::exists(path_); }

QByteArray RawPrinterFile::Bytes() const
{
    QFile f(path_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList RawPrinterFile::Lines() const
{
    QString text = platform::DecodeCodePage(Bytes(), platform::CodePage::Mik);
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList ExpectedLines(const QString &DataFile)
{
    QFile f(QStringLiteral(TOLVEX_TEST_DATA) + QLatin1Char('/') + DataFile);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing expected file " << DataFile.toStdString();
        return {};
    }
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void ExpectLinesAsFile(const QStringList &Actual, const QString &DataFile)
{
    const QStringList expected = ExpectedLines(DataFile);
    const int n = int(qMin(Actual.size(), expected.size()));
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(Actual[i].toStdString(), expected[i].toStdString())
            << DataFile.toStdString() << " line " << i + 1;
    EXPECT_EQ(Actual.size(), expected.size()) << DataFile.toStdString() << ": line count";
}

} // namespace testsupport
