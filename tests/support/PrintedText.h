#pragma once
// Printed documents in tests: the raw printer device pointed at a file, its
// bytes read back as MIK text lines, and lines compared one by one with an
// expected text file under tests/data.
//
//   testsupport::RawPrinterFile prn;                // TOLVEX_PRN -> a file
//   PrintTextDocumentRaw(lines);
//   testsupport::ExpectLinesAsFile(prn.Lines(), "goods_receipt.txt");
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// Sets an environment variable for the life of the object.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *Name, const QByteArray &Value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

// The raw printer device is a file of a temporary folder while it lives.
class RawPrinterFile
{
public:
    RawPrinterFile();
    QString Path() const { return path_; }
    bool Exists() const;
    QByteArray Bytes() const;
    // The bytes decoded from the MIK code page, cut at each CR LF (the last
    // line end closes the last line).
    QStringList Lines() const;

private:
    QTemporaryDir dir_;
    QString path_;
    ScopedEnvironment env_;
};

// The lines of a UTF-8 text file under tests/data (LF line ends; a final
// line end closes the last line).
QStringList ExpectedLines(const QString &DataFile);
// Compares line by line, naming the first line that differs.
void ExpectLinesAsFile(const QStringList &Actual, const QString &DataFile);

} // namespace testsupport
