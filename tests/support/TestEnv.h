#pragma once
// Fixtures shared by the test executables: a private settings store and a
// fresh base folder per test, so that tests never touch the user's files.
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

void SetProcessHome(const QString &path);
QString ProcessHome();

// Points the INI settings store (our registry) at a folder of its own for
// the lifetime of the object and empties it.
class ScopedSettingsStore
{
public:
    ScopedSettingsStore();
    ~ScopedSettingsStore();
    QString Path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// A base folder as the program sees it: <base>/bin is where the program
// would stand, <base>/db the database folder.
class TempBaseFolder
{
public:
    TempBaseFolder();
    QString Path() const;          // with a trailing '/'
    QString DbFolder() const;      // <base>/db/
    QString ProgramPath() const;   // <base>/bin/tolvex
    bool IsValid() const { return dir_.isValid(); }

private:
    QTemporaryDir dir_;
};

// Base fixture: a private settings store and a fresh base folder per test.
class DataTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<ScopedSettingsStore> settings_;
    std::unique_ptr<TempBaseFolder> base_;
};

// Writes a grabbed image or other artefact under build/test-output so that
// a developer can look at it; returns the file path.
QString OutputPath(const QString &fileName);

} // namespace testsupport
