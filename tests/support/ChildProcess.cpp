#include "support/ChildProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>

#include "core/un_Ado_Connection.h"

namespace testsupport {

std::unique_ptr<QProcess> StartChildTest(const QString &Test,
                                         std::initializer_list<std::pair<const char *, QString>> Environment)
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : Environment)
        env.insert(QString::fromLatin1(name), value);
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::MergedChannels);
    child->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + Test});
    return child;
}

void EndChild(QProcess &Child)
{
    if (Child.state() != QProcess::NotRunning) {
        Child.kill();
        Child.waitForFinished(10000);
    }
}

void OpenDatabaseAsChild(const QString &DatabasePath)
{
    SetProgramFileNameForTests(QFileInfo(DatabasePath).absolutePath() + "/../bin/tolvex");
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
}

bool WaitForFile(const QString &Path, int Ms)
{
    QDeadlineTimer wait(Ms);
    while (!QFile::exists(Path) && !wait.hasExpired())
        QThread::msleep(1);
    return QFile::exists(Path);
}

} // namespace testsupport
