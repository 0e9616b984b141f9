#pragma once
// Small file helpers shared by the tests of the service components.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <random>
#include <sqlite3.h>

namespace testfiles {

// Bytes that do not compress.
inline QByteArray RandomBytes(int size, unsigned seed)
{
    std::mt19937 gen(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(gen() & 0xFF);
    return data;
}

// Bytes that compress well, as a database file does.
inline QByteArray TextBytes(int size, unsigned seed)
{
    std::mt19937 gen(seed);
    static const char *words[] = {"хляб ", "bread ", "0.250 ", "Tolvex ", "козунак ", "@", "°", "12.04.2024 "};
    QByteArray data;
    data.reserve(size + 16);
    while (data.size() < size)
        data += QByteArray(words[gen() % 8]);
    data.truncate(size);
    return data;
}

inline bool Write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

inline QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs a tool of the system; false when it is not installed or fails.
inline bool RunTool(const QString &program, const QStringList &args, QString *output = nullptr)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return false;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// What a workstation that dies in the middle of a save leaves: the file with
// the pages its transaction had written out (page 1 among those it changed)
// and the journal beside it, which the engine plays back at the next opening.
inline bool LeaveHotJournal(const QString &Db)
{
    sqlite3 *db = nullptr;
    const auto run = [&db](const char *Sql) { return sqlite3_exec(db, Sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
    const bool ok = sqlite3_open(QFile::encodeName(Db).constData(), &db) == SQLITE_OK && run("PRAGMA cache_size = 2")
                 && run("BEGIN IMMEDIATE; CREATE TABLE Died ( b BLOB ); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                        "SELECT i + 1 FROM n WHERE i < 200) INSERT INTO Died SELECT randomblob(2000) FROM n");
    const QByteArray file = Read(Db), journal = Read(Db + "-journal");
    run("ROLLBACK");
    sqlite3_close(db);
    return ok && journal != "<missing>" && Write(Db, file) && Write(Db + "-journal", journal);
}

inline bool HasTool(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace testfiles
