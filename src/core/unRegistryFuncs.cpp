#include "core/unRegistryFuncs.h"

const char *const RegistryRootKey = "Software\\Quorend\\Tolvex2000";
const char *const RegistryFormsKey = "Software\\Quorend\\Tolvex2000\\\\Forms\\";

namespace {

QString FormKey(const QString &FormKeyName)
{
    return QString::fromLatin1(RegistryFormsKey) + FormKeyName;
}

} // namespace

void GetRegistrySetting(const QString &Name, QString &Value)
{
    Value.clear();
    platform::RegistryKey registry;
    if (registry.OpenKeyReadOnly(QString::fromLatin1(RegistryRootKey)))
        Value = registry.ReadString(Name);
}

bool SetRegistrySetting(const QString &Name, const QString &Value)
{
    platform::RegistryKey registry;
    return registry.OpenKey(QString::fromLatin1(RegistryRootKey), true) && registry.WriteString(Name, Value);
}

int ReadRegistryIntegerDefault(const platform::RegistryKey &Registry, const QString &Name, int Default)
{
    int value = Default;
    Registry.ReadInteger(Name, value);
    return value;
}

void ReadRegistryStringDefault(const platform::RegistryKey &Registry, const QString &Name,
                               const QString &Default, QString &Value)
{
    Value = Registry.ValueExists(Name) ? Registry.ReadString(Name) : Default;
}

bool SaveFormPosition(const QString &FormKeyName, const QRect &Bounds)
{
    platform::RegistryKey registry;
    if (!registry.OpenKey(FormKey(FormKeyName), true))
        return false;
    bool written = registry.WriteInteger(QStringLiteral("PositionX"), Bounds.left());
    written = registry.WriteInteger(QStringLiteral("PositionY"), Bounds.top()) && written;
    written = registry.WriteInteger(QStringLiteral("SizeX"), Bounds.width()) && written;
    written = registry.WriteInteger(QStringLiteral("SizeY"), Bounds.height()) && written;
    return written;
}

bool LoadFormPosition(const QString &FormKeyName, QRect &Bounds)
{
    platform::RegistryKey registry;
    if (!registry.OpenKeyReadOnly(FormKey(FormKeyName)))
        return false;
    Bounds = QRect(ReadRegistryIntegerDefault(registry, QStringLiteral("PositionX"), -1),
                   ReadRegistryIntegerDefault(registry, QStringLiteral("PositionY"), -1),
                   ReadRegistryIntegerDefault(registry, QStringLiteral("SizeX"), -1),
                   ReadRegistryIntegerDefault(registry, QStringLiteral("SizeY"), -1));
    return true;
}
