#include "platform/system/Registry.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace platform {

namespace {

struct KeyPath
{
    QString organisation;
    QString application;
    QString group;
};

// "Software\Org\App\A\B" -> Org, App, "a/b". False for a path that names no
// store.
bool ParseKeyPath(const QString &Path, KeyPath &Result)
{
    QStringList parts;
    for (const QString &part : Path.split(QLatin1Char('\\')))
        if (!part.isEmpty())
            parts << part;
    if (parts.size() < 3 || parts[0].compare(QLatin1String("Software"), Qt::CaseInsensitive) != 0)
        return false;
    Result.organisation = parts[1];
    Result.application = parts[2];
    QStringList groups;
    for (int i = 3; i < parts.size(); ++i)
        groups << RegistryKey::StoredName(parts[i]);
    Result.group = groups.join(QLatin1Char('/'));
    return true;
}

std::unique_ptr<QSettings> OpenStore(const KeyPath &Path)
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       Path.organisation, Path.application);
}

bool GroupExists(QSettings &Settings, const QString &Group)
{
    if (Group.isEmpty())
        return true;   // the application's own key
    Settings.beginGroup(Group);
    const bool exists = !Settings.childKeys().isEmpty() || !Settings.childGroups().isEmpty();
    Settings.endGroup();
    return exists;
}

} // namespace

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;

QString RegistryKey::StoredName(const QString &Name)
{
    // QSettings reads '/' and '\' in a name as group separators.
    QString folded = Name.toCaseFolded();
    folded.replace(QLatin1Char('%'), QLatin1String("%25"));
    folded.replace(QLatin1Char('/'), QLatin1String("%2f"));
    folded.replace(QLatin1Char('\\'), QLatin1String("%5c"));
    return folded;
}

bool RegistryKey::OpenKey(const QString &Path, bool CanCreate)
{
    CloseKey();
    KeyPath path;
    if (!ParseKeyPath(Path, path))
        return false;
    auto settings = OpenStore(path);
    if (!CanCreate && !GroupExists(*settings, path.group))
        return false;
    settings_ = std::move(settings);
    group_ = path.group;
    readOnly_ = false;
    return true;
}

bool RegistryKey::OpenKeyReadOnly(const QString &Path)
{
    if (!OpenKey(Path, false))
        return false;
    readOnly_ = true;
    return true;
}

void RegistryKey::CloseKey()
{
    settings_.reset();
    group_.clear();
    readOnly_ = true;
}

bool RegistryKey::KeyExists(const QString &Path)
{
    KeyPath path;
    if (!ParseKeyPath(Path, path))
        return false;
    auto settings = OpenStore(path);
    return GroupExists(*settings, path.group);
}

QString RegistryKey::Key(const QString &Name) const
{
    const QString name = StoredName(Name);
    return group_.isEmpty() ? name : group_ + QLatin1Char('/') + name;
}

bool RegistryKey::ValueExists(const QString &Name) const
{
    return settings_ && settings_->contains(Key(Name));
}

QString RegistryKey::ReadString(const QString &Name) const
{
    if (!settings_)
        return QString();
    const QVariant value = settings_->value(Key(Name));
    // An unquoted text with commas comes back from an INI file as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

bool RegistryKey::ReadInteger(const QString &Name, int &Value) const
{
    if (!ValueExists(Name))
        return false;
    bool ok = false;
    const int number = settings_->value(Key(Name)).toString().trimmed().toInt(&ok);
    if (ok)
        Value = number;
    return ok;
}

bool RegistryKey::WriteString(const QString &Name, const QString &Value)
{
    if (!settings_ || readOnly_)
        return false;
    settings_->setValue(Key(Name), Value);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool RegistryKey::WriteInteger(const QString &Name, int Value)
{
    if (!settings_ || readOnly_)
        return false;
    settings_->setValue(Key(Name), Value);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace platform
