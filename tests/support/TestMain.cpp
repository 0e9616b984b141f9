// Shared entry point of every test executable.
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

#include "support/TestEnv.h"

int main(int argc, char **argv)
{
    // gtest discovery and direct runs start the binary without CTest's
    // environment; a test must never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // No test may read or write the user's settings: the whole process gets
    // a private configuration home before Qt looks at it.
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath("config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(home.path()).filePath("data").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", QDir(home.path()).filePath("cache").toLocal8Bit());

    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    testsupport::SetProcessHome(home.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QDir(home.path()).filePath("config"));
    return RUN_ALL_TESTS();
}
