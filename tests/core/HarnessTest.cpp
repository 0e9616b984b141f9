// The harness itself: tests must never reach the user's settings or files.
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <clocale>
#include <cstdio>

#include "support/TestEnv.h"

TEST(Harness, SettingsStoreIsPrivateToTheTest)
{
    QString firstFile;
    {
        testsupport::ScopedSettingsStore store;
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Quorend", "Tolvex2000");
        s.setValue("probe", "1");
        s.sync();
        firstFile = s.fileName();
        EXPECT_TRUE(firstFile.startsWith(store.Path())) << firstFile.toStdString();
        EXPECT_TRUE(QFileInfo::exists(firstFile));
    }
    testsupport::ScopedSettingsStore second;
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Quorend", "Tolvex2000");
    EXPECT_FALSE(s.contains("probe"));
    EXPECT_FALSE(QDir::homePath().isEmpty());
    EXPECT_FALSE(s.fileName().startsWith(QDir::homePath() + "/.config"));
}

TEST(Harness, NumbersFormatWithADotWhateverTheLocale)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", 1.5);
    EXPECT_STREQ("1.50", buf);
    EXPECT_EQ(QByteArray("offscreen"), qgetenv("QT_QPA_PLATFORM"));
}

class HarnessData : public testsupport::DataTest {};

TEST_F(HarnessData, BaseFolderHasProgramAndDatabaseFolders)
{
    EXPECT_TRUE(QFileInfo(base_->DbFolder()).isDir());
    EXPECT_TRUE(base_->Path().endsWith('/'));
    EXPECT_EQ(base_->Path() + "bin/tolvex", base_->ProgramPath());
}
