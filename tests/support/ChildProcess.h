#pragma once
// Several workstations on one database file, each a process of its own: the
// test executable starts itself again running only a "child" test, which
// reads what it is to do from its environment.
#include <QProcess>
#include <QString>
#include <initializer_list>
#include <memory>
#include <utility>

namespace testsupport {

// Starts this test executable again, running only the test named Test
// ("Suite.Name"), with Environment added to its own; output and errors
// come on one channel. The caller checks waitForStarted().
std::unique_ptr<QProcess> StartChildTest(const QString &Test,
                                         std::initializer_list<std::pair<const char *, QString>> Environment);

// A child still running when its test ends (a failed test) is killed.
void EndChild(QProcess &Child);

// The child's side: the program standing in <database folder>/../bin opens
// the database at DatabasePath as the main window opens it.
void OpenDatabaseAsChild(const QString &DatabasePath);

// Waits until the file at Path exists (a mark another process makes).
bool WaitForFile(const QString &Path, int Ms = 60000);

} // namespace testsupport
