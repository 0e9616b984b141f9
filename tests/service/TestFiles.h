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

inline bool HasTool(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace testfiles
