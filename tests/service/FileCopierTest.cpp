// The file copy component and the file helpers: copies with progress and
// cancel, refusals by file identity, and deletion that stays in its tree.
#include "service/FileCopier.h"

#include "service/TestFiles.h"
#include "support/FileSizeLimit.h"
#include "support/ScopedDialogAnswers.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace testfiles;

namespace {

class FileCopierTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        copier_.OnError = [this](TObject *, const QString &message) { errors_.append(message); };
    }
    QString Path(const QString &relative) const { return dir_.filePath(relative); }
    // Names in a folder, hidden ones included.
    QStringList Entries(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                                      QDir::Name);
    }
    static void SetTime(const QString &file, const QDateTime &when)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }

    QTemporaryDir dir_;
    TFileCopier copier_;
    QStringList errors_;
};

} // namespace

TEST_F(FileCopierTest, CopiesAFileWithItsDateAndProgress)
{
    const QByteArray data = RandomBytes(600000, 1);
    ASSERT_TRUE(Write(Path("db/bread.mdb"), data));
    const QDateTime when(QDate(2023, 12, 31), QTime(23, 58, 0));
    SetTime(Path("db/bread.mdb"), when);
    ASSERT_TRUE(Write(Path("tmp/bread.mdb"), "older contents"));
    QStringList progress;
    copier_.OnCopyProgress = [&](TObject *, qint64 done, qint64 total, int read, int written, bool &) {
        progress.append(QString("%1/%2 %3 %4").arg(done).arg(total).arg(read).arg(written));
    };
    copier_.SetSourceFile(Path("db/bread.mdb"));
    copier_.SetTargetFile(Path("tmp/bread.mdb"));
    EXPECT_TRUE(copier_.Execute());
    EXPECT_EQ(copier_.Status(), 0);
    EXPECT_TRUE(Read(Path("tmp/bread.mdb")) == data);
    EXPECT_EQ(QFileInfo(Path("tmp/bread.mdb")).lastModified(), when);
    EXPECT_EQ(progress, QStringList({"256000/600000 42 42", "512000/600000 85 85", "600000/600000 100 100"}));
    EXPECT_EQ(Entries(Path("tmp")), QStringList{"bread.mdb"});
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(FileCopierTest, EmptyFileCopiesWithOneFullProgress)
{
    ASSERT_TRUE(Write(Path("empty"), QByteArray()));
    int calls = 0;
    copier_.OnCopyProgress = [&](TObject *, qint64 done, qint64 total, int read, int written, bool &) {
        ++calls;
        EXPECT_EQ(done, 0);
        EXPECT_EQ(total, 0);
        EXPECT_EQ(read + written, 200);
    };
    EXPECT_TRUE(copier_.CopyFile(Path("empty"), Path("copy")));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(QFile::exists(Path("copy")));
}

TEST_F(FileCopierTest, CopyOntoItselfIsRefusedByFileIdentity)
{
    const QByteArray data = TextBytes(1000, 2);
    ASSERT_TRUE(Write(Path("a/bread.mdb"), data));
    ASSERT_TRUE(QFile::link(Path("a/bread.mdb"), Path("link.mdb")));
    ASSERT_EQ(::link(QFile::encodeName(Path("a/bread.mdb")).constData(),
                     QFile::encodeName(Path("hard.mdb")).constData()),
              0);
    for (const QString &target : {Path("a/bread.mdb"), Path("a/../a/bread.mdb"), Path("link.mdb"),
                                  Path("hard.mdb")}) {
        errors_.clear();
        copier_.SetSourceFile(Path("a/bread.mdb"));
        copier_.SetTargetFile(target);
        EXPECT_FALSE(copier_.Execute()) << target.toStdString();
        EXPECT_EQ(copier_.Status(), 1);
        EXPECT_EQ(errors_, QStringList{"Cannot copy " + Path("a/bread.mdb") + " onto itself"});
    }
    EXPECT_TRUE(Read(Path("a/bread.mdb")) == data);
    EXPECT_TRUE(QFileInfo(Path("link.mdb")).isSymLink());
}

TEST_F(FileCopierTest, CancelledCopyLeavesTheTargetAsItWas)
{
    ASSERT_TRUE(Write(Path("src.bin"), RandomBytes(700000, 3)));
    ASSERT_TRUE(Write(Path("out/target.bin"), "the target before"));
    copier_.OnCopyProgress = [](TObject *, qint64, qint64, int, int, bool &cancel) { cancel = true; };
    QPlainTextEdit memo;
    copier_.SetMemo(&memo);
    copier_.SetShowProgressOnMemo(true);
    EXPECT_FALSE(copier_.CopyFile(Path("src.bin"), Path("out/target.bin")));
    EXPECT_EQ(errors_, QStringList{"Canceled"});
    EXPECT_EQ(memo.toPlainText(), "Canceled");
    EXPECT_EQ(Read(Path("out/target.bin")), "the target before");
    EXPECT_EQ(Entries(Path("out")), QStringList{"target.bin"});
}

TEST_F(FileCopierTest, MissingSourceAndUncreatableTargetAreReported)
{
    EXPECT_FALSE(copier_.CopyFile(Path("none.mdb"), Path("x.mdb")));
    ASSERT_TRUE(Write(Path("a.mdb"), "x"));
    EXPECT_FALSE(copier_.CopyFile(Path("a.mdb"), Path("no/folder/x.mdb")));
    ASSERT_EQ(errors_.size(), 2);
    EXPECT_EQ(errors_[0], Path("none.mdb") + " missing or corrupted or opened for exclusive use");
    EXPECT_TRUE(errors_[1].startsWith("Error creating " + Path("no/folder/x.mdb") + "\rErrorCode: "))
        << errors_[1].toStdString();
    EXPECT_FALSE(QFile::exists(Path("x.mdb")));
}

TEST_F(FileCopierTest, FullDiskFailsAndKeepsTheTarget)
{
    ASSERT_TRUE(Write(Path("small.txt"), TextBytes(1000, 5)));
    ASSERT_TRUE(Write(Path("out/target.txt"), "the target before"));
    bool copied = true;
    {
        testsupport::FileSizeLimit full(100);
        copied = copier_.CopyFile(Path("small.txt"), Path("out/target.txt"));
    }
    EXPECT_FALSE(copied);
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].startsWith("Error writing " + Path("out/target.txt"))) << errors_[0].toStdString();
    // What the clerk reads, with the cause of the system's code.
    EXPECT_EQ(CopyFailureText(copier_.LastFailure()).toStdString(),
              ("Грешка при запис на файла " + Path("out/target.txt") + ": файлът е по-голям, отколкото дискът позволява.")
                  .toStdString());
    EXPECT_EQ(SystemErrorText(ENOSPC), "дискът е пълен");
    EXPECT_EQ(Read(Path("out/target.txt")), "the target before");
    EXPECT_EQ(Entries(Path("out")), QStringList{"target.txt"});
}

TEST_F(FileCopierTest, ALinkAtTheTargetIsReplacedNeverWrittenThrough)
{
    ASSERT_TRUE(Write(Path("cabinet.tlv"), TextBytes(3000, 8)));
    ASSERT_TRUE(Write(Path("victim.txt"), "keep"));
    ASSERT_TRUE(QDir().mkpath(Path("disk")));
    ASSERT_TRUE(QFile::link(Path("victim.txt"), Path("disk/cabinet.tlv")));
    EXPECT_TRUE(copier_.CopyFile(Path("cabinet.tlv"), Path("disk/cabinet.tlv"))) << errors_.join('|').toStdString();
    EXPECT_EQ(Read(Path("victim.txt")), "keep");
    EXPECT_FALSE(QFileInfo(Path("disk/cabinet.tlv")).isSymLink());
    EXPECT_EQ(Read(Path("disk/cabinet.tlv")), Read(Path("cabinet.tlv")));
    EXPECT_EQ(Entries(Path("disk")), QStringList{"cabinet.tlv"});
}

TEST_F(FileCopierTest, SourceThatChangesOrIsNoFileIsRefused)
{
    ASSERT_TRUE(Write(Path("growing.bin"), RandomBytes(600000, 6)));
    copier_.OnCopyProgress = [this](TObject *, qint64, qint64, int, int, bool &) {
        QFile f(Path("growing.bin"));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("more");
    };
    EXPECT_FALSE(copier_.CopyFile(Path("growing.bin"), Path("copy.bin")));
    copier_.OnCopyProgress = nullptr;
    // A pipe would block the copy forever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe")).constData(), 0600), 0);
    EXPECT_FALSE(copier_.CopyFile(Path("pipe"), Path("copy.bin")));
    EXPECT_EQ(errors_, QStringList({Path("growing.bin") + " changed while it was copied",
                                    "Cannot copy " + Path("pipe") + ": not a regular file"}));
    EXPECT_EQ(CopyFailureText(copier_.LastFailure()), Path("pipe") + " не може да бъде копиран: това не е обикновен файл.");
    EXPECT_FALSE(QFile::exists(Path("copy.bin")));
}

TEST_F(FileCopierTest, DeclinedOverrideKeepsTheTarget)
{
    ASSERT_TRUE(Write(Path("new.txt"), "new"));
    ASSERT_TRUE(Write(Path("old.txt"), "old"));
    QStringList asked;
    copier_.OnOverriding = [&](TObject *, const QString &target, bool &replace) {
        asked.append(target);
        replace = false;
    };
    EXPECT_TRUE(copier_.CopyFile(Path("new.txt"), Path("old.txt")));
    EXPECT_TRUE(copier_.CopyFile(Path("new.txt"), Path("fresh.txt")));
    EXPECT_EQ(asked, QStringList{Path("old.txt")});
    EXPECT_EQ(Read(Path("old.txt")), "old");
    EXPECT_EQ(Read(Path("fresh.txt")), "new");
}

TEST_F(FileCopierTest, MissingNamesAndMemoAreShownAsMessages)
{
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(copier_.Execute());
    copier_.SetSourceFile(Path("a"));
    EXPECT_FALSE(copier_.Execute());
    copier_.SetShowProgressOnMemo(true);
    EXPECT_FALSE(copier_.ShowProgressOnMemo());
    EXPECT_EQ(dialogs.Texts(), QStringList({"Копирането е невъзможно.\rЛипсва името на изходния файл.",
                                            "Копирането е невъзможно.\rЛипсва името на целевия файл.",
                                            "Грешка: преди да включите показването на напредъка,\r"
                                            "задайте полето, в което той да се показва."}));
    EXPECT_EQ(copier_.Status(), 1);
}

TEST_F(FileCopierTest, FolderCopiesWithOrWithoutItsSubfolders)
{
    ASSERT_TRUE(Write(Path("src/a.txt"), "a"));
    ASSERT_TRUE(Write(Path("src/.hidden"), "h"));
    ASSERT_TRUE(Write(Path("src/sub/b.txt"), "b"));
    ASSERT_TRUE(Write(Path("outside/c.txt"), "c"));
    ASSERT_TRUE(QFile::link(Path("outside"), Path("src/linked")));
    QPlainTextEdit memo;
    copier_.SetMemo(&memo);
    copier_.SetShowProgressOnMemo(true);
    copier_.SetSourceFile(Path("src"));
    copier_.SetTargetFile(Path("flat"));
    EXPECT_TRUE(copier_.Execute());
    EXPECT_EQ(Entries(Path("flat")), QStringList({".hidden", "a.txt"}));
    EXPECT_EQ(memo.toPlainText(), "Ok - " + Path("src/.hidden") + "\nOk - " + Path("src/a.txt"));

    copier_.SetIncludeSubFolders(true);
    copier_.SetTargetFile(Path("deep"));
    EXPECT_TRUE(copier_.Execute());
    EXPECT_EQ(Entries(Path("deep")), QStringList({".hidden", "a.txt", "sub"}));
    EXPECT_EQ(Read(Path("deep/sub/b.txt")), "b");
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(FileCopierTest, FolderIntoItsOwnSubfolderIsRefused)
{
    ASSERT_TRUE(Write(Path("src/a.txt"), "a"));
    ASSERT_TRUE(QFile::link(Path("src"), Path("alias")));
    copier_.SetIncludeSubFolders(true);
    for (const QString &target : {Path("src/copy"), Path("alias/copy/deeper"), Path("src")}) {
        errors_.clear();
        copier_.SetSourceFile(Path("src"));
        copier_.SetTargetFile(target);
        EXPECT_FALSE(copier_.Execute()) << target.toStdString();
        EXPECT_EQ(errors_, QStringList{"ERROR : folder recursion\r\rCan't copy !"});
    }
    EXPECT_EQ(Entries(Path("src")), QStringList{"a.txt"});
}

TEST_F(FileCopierTest, DeleteTreeRemovesProtectedEntriesAndNeverFollowsLinks)
{
    ASSERT_TRUE(Write(Path("keep/precious.txt"), "keep"));
    ASSERT_TRUE(Write(Path("keep.txt"), "keep"));
    ASSERT_TRUE(Write(Path("tree/a.txt"), "a"));
    ASSERT_TRUE(Write(Path("tree/sub/ro.txt"), "r"));
    ASSERT_TRUE(QFile::setPermissions(Path("tree/sub/ro.txt"), QFileDevice::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(Path("tree/sub"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    ASSERT_TRUE(QFile::link(Path("keep"), Path("tree/folder-link")));
    ASSERT_TRUE(QFile::link(Path("keep.txt"), Path("tree/file-link")));
    ASSERT_TRUE(QFile::link(Path("keep"), Path("top-link")));

    EXPECT_TRUE(DeleteTree(Path("tree")));
    EXPECT_FALSE(QFileInfo::exists(Path("tree")));
    EXPECT_TRUE(DeleteTree(Path("top-link")));
    EXPECT_FALSE(QFileInfo(Path("top-link")).isSymLink());
    EXPECT_EQ(Read(Path("keep/precious.txt")), "keep");
    EXPECT_EQ(Read(Path("keep.txt")), "keep");
    EXPECT_TRUE(DeleteTree(Path("never-was")));
}

TEST_F(FileCopierTest, FileSizeByNameIsZeroForWhatIsNoFile)
{
    ASSERT_TRUE(Write(Path("f.bin"), RandomBytes(12345, 4)));
    EXPECT_EQ(FileSizeByName(Path("f.bin")), 12345);
    EXPECT_EQ(FileSizeByName(Path("none.bin")), 0);
    EXPECT_EQ(FileSizeByName(dir_.path()), 0);
}
