#include "support/TestEnv.h"

#include <QDir>
#include <QSettings>

namespace testsupport {

namespace {
QString g_home;
}

void SetProcessHome(const QString &path) { g_home = path; }
QString ProcessHome() { return g_home; }

ScopedSettingsStore::ScopedSettingsStore()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
}

ScopedSettingsStore::~ScopedSettingsStore()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QDir(g_home).filePath("config"));
}

TempBaseFolder::TempBaseFolder()
{
    QDir d(dir_.path());
    d.mkpath("bin");
    d.mkpath("db");
}

QString TempBaseFolder::Path() const { return QDir(dir_.path()).absolutePath() + '/'; }
QString TempBaseFolder::DbFolder() const { return Path() + "db/"; }
QString TempBaseFolder::ProgramPath() const { return Path() + "bin/tolvex"; }

void DataTest::SetUp()
{
    settings_ = std::make_unique<ScopedSettingsStore>();
    base_ = std::make_unique<TempBaseFolder>();
    ASSERT_TRUE(base_->IsValid());
}

void DataTest::TearDown()
{
    base_.reset();
    settings_.reset();
}

QString OutputPath(const QString &fileName)
{
    QDir d(QStringLiteral(TOLVEX_TEST_OUTPUT));
    d.mkpath(".");
    return d.filePath(fileName);
}

} // namespace testsupport
