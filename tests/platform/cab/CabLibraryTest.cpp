// Our cabinet library on its own: the header layout, the checksum, and a
// writer and reader driven by the plainest callbacks.
#include "platform/cab/CabFormat.h"
#include "platform/cab/CabReader.h"
#include "platform/cab/CabWriter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace platform::cab;

namespace {

// File routines over QFile, handles counted from 1.
class PlainFiles : public WriterCallbacks, public ReaderCallbacks
{
public:
    explicit PlainFiles(QString temp) : temp_(std::move(temp)) {}

    intptr_t Open(const QString &name, int flags, int, int &err) override
    {
        auto f = std::make_unique<QFile>(name);
        const bool ok = (flags & OpenCreate) ? f->open(QIODevice::ReadWrite | QIODevice::Truncate)
                                             : f->open(QIODevice::ReadOnly);
        if (!ok) {
            err = ENOENT;
            return -1;
        }
        files_[++last_] = std::move(f);
        return last_;
    }
    unsigned Read(intptr_t h, void *buffer, unsigned count, int &) override
    {
        return unsigned(std::max<qint64>(0, files_.at(h)->read(static_cast<char *>(buffer), count)));
    }
    unsigned Write(intptr_t h, const void *buffer, unsigned count, int &) override
    {
        return unsigned(std::max<qint64>(0, files_.at(h)->write(static_cast<const char *>(buffer), count)));
    }
    int Close(intptr_t h, int &) override
    {
        files_.erase(h);
        return 0;
    }
    qint64 Seek(intptr_t h, qint64 distance, int origin, int &) override
    {
        QFile &f = *files_.at(h);
        const qint64 to = distance + (origin == SeekCurrent ? f.pos() : origin == SeekEnd ? f.size() : 0);
        return f.seek(to) ? to : -1;
    }
    int Delete(const QString &name, int &err) override
    {
        err = QFile::remove(name) ? 0 : ENOENT;
        return 0;
    }
    bool GetTempFile(QString &name, int) override
    {
        name = temp_;
        return true;
    }
    int FilePlaced(CabParameters &, const QString &, qint64, bool) override { return 0; }
    bool GetNextCabinet(CabParameters &, quint32) override { return false; }
    long Status(int, quint32, quint32) override { return 0; }
    intptr_t GetOpenInfo(const QString &name, quint16 &date, quint16 &time, quint16 &attributes,
                         int &err) override
    {
        date = 0x3021;   // 1.1.2004
        time = 0x6000;   // 12:00:00
        attributes = AttrArchive;
        return Open(name, OpenReadOnly, 0, err);
    }
    intptr_t Notify(NotificationType type, Notification &n) override
    {
        if (type == NotifyCopyFile) {
            int err = 0;
            names.append(n.Text1);
            return Open(out + "/" + n.Text1, OpenCreate, 0, err);
        }
        if (type == NotifyCloseFileInfo) {
            int err = 0;
            Close(n.File, err);
            return 1;
        }
        return 0;
    }

    QString out;
    QStringList names;

private:
    QString temp_;
    std::map<intptr_t, std::unique_ptr<QFile>> files_;
    intptr_t last_ = 0;
};

} // namespace

TEST(CabFormat, ChecksumGathersTheLastBytesHighFirst)
{
    const uchar data[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    EXPECT_EQ(format::Checksum(data, 7, 0), 0x04030201u ^ 0x00050607u);
    EXPECT_EQ(format::Checksum(data, 5, 0x10), 0x04030201u ^ 0x05u ^ 0x10u);
}

TEST(CabFormat, HeaderRoundTripsAndRefusesWhatIsNoCabinet)
{
    format::CabinetHeader h;
    h.Flags = format::kFlagPrevCabinet | format::kFlagNextCabinet | format::kFlagReservePresent;
    h.SetId = 7;
    h.Index = 2;
    h.ReserveHeader = 6;
    h.ReserveFolder = 3;
    h.ReserveData = 1;
    h.PrevName = "a.1.tlv";
    h.PrevDisk = "Disk1";
    h.NextName = "a.3.tlv";
    h.NextDisk = "Disk3";
    h.Folders.append({0, 2, 1});
    h.Files.append({100, 0, format::kContinuedPrevAndNext, 1, 2, 0x20, "bread.mdb"});
    h.Size = quint32(h.Bytes() + 50);
    h.Folders[0].DataOffset = quint32(h.Bytes());
    const QByteArray bytes = format::Serialize(h);
    ASSERT_EQ(bytes.size(), h.Bytes());

    format::CabinetHeader back;
    ASSERT_EQ(format::Parse(bytes, back), format::ParseResult::Ok);
    EXPECT_EQ(back.Index, 2);
    EXPECT_EQ(back.ReserveFolder, 3);
    EXPECT_EQ(back.NextDisk, "Disk3");
    EXPECT_EQ(back.Files[0].Folder, format::kContinuedPrevAndNext);
    EXPECT_EQ(back.Files[0].Name, "bread.mdb");

    EXPECT_EQ(format::Parse(bytes.left(bytes.size() - 3), back), format::ParseResult::NeedMore);
    EXPECT_EQ(format::Parse("PK\x03\x04 and something else entirely, long enough", back),
              format::ParseResult::NotACabinet);
    QByteArray noFiles = bytes;
    noFiles[28] = 0;
    EXPECT_EQ(format::Parse(noFiles, back), format::ParseResult::Corrupt);
}

TEST(CabLibrary, ReservedAreasAndStoredBlocksReadBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray text;
    for (int i = 0; i < 5000; ++i)
        text += "bread and rolls " + QByteArray::number(i) + "\n";
    {
        QFile f(dir.filePath("plain.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    PlainFiles files(dir.filePath("temp"));
    ErrorRecord erf;
    CabParameters cab;
    cab.ReserveHeader = 20;
    cab.ReserveFolder = 4;
    cab.ReserveData = 8;
    cab.CabinetName = "r.cab";
    cab.CabinetPath = dir.path() + "/";
    auto writer = Writer::Create(files, cab, erf);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->AddFile(dir.filePath("plain.txt"), "zipped.txt", false, CompressMsZip));
    ASSERT_TRUE(writer->AddFile(dir.filePath("plain.txt"), "stored.txt", true, CompressNone));
    ASSERT_TRUE(writer->FlushCabinet(false));
    ASSERT_TRUE(writer->Destroy());
    EXPECT_FALSE(QFile::exists(dir.filePath("temp")));

    files.out = dir.filePath("out");
    QDir().mkpath(files.out);
    auto reader = Reader::Create(files, -1, erf);
    ASSERT_TRUE(reader);
    ASSERT_TRUE(reader->Copy("r.cab", dir.path() + "/", 0, nullptr)) << erf.Code;
    EXPECT_EQ(files.names, QStringList({"zipped.txt", "stored.txt"}));
    for (const QString &name : files.names) {
        QFile f(files.out + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll() == text) << name.toStdString();
    }
    if (!QStandardPaths::findExecutable("cabextract").isEmpty()) {
        QProcess p;
        p.start("cabextract", {"-t", dir.filePath("r.cab")});
        ASSERT_TRUE(p.waitForFinished());
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
    }
}
