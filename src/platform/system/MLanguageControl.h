#pragma once
// In place of the ActiveX control through which the program could talk to an
// M-language database: command text in, results in numbered properties. No
// such database exists on this platform, so the control is never connected
// and runs no command; it only keeps the properties that callers set.
#include <QHash>
#include <QString>

namespace platform {

class MLanguageControl
{
public:
    // Numbers of the properties: P1..P9 are 1..9.
    static constexpr int P0 = 11;
    static constexpr int CommandText = 14;
    static constexpr int ErrorCode = 15;
    static constexpr int Value = 20;
    static constexpr int ExecuteSwitch = 21;

    QString Property(int Number) const { return properties_.value(Number); }
    void SetProperty(int Number, const QString &Text) { properties_.insert(Number, Text); }

    bool Connected() const { return false; }

private:
    QHash<int, QString> properties_;
};

} // namespace platform
