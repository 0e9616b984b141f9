#pragma once
// The current user's settings store, opened and read like registry keys.
//
// A key path "Software\<Organisation>\<Application>[\<sub>...]" selects the
// INI file of QSettings(IniFormat, UserScope, Organisation, Application);
// the sub-keys below it become the group path inside that file. Empty path
// parts (a doubled backslash) are skipped.
//
// The program writes one value under spellings that differ only in case,
// which an INI file would keep apart.
// Key and value names are therefore stored case-folded, so "Foo" and "FOO"
// are one value. The organisation and application parts name the file and
// are taken as written.
#include <QString>
#include <memory>

class QSettings;

namespace platform {

class RegistryKey
{
public:
    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    // Opens Path for reading and writing. Without CanCreate a key that does
    // not exist is not opened. False when the path names no store.
    bool OpenKey(const QString &Path, bool CanCreate);
    // Opens an existing key for reading only.
    bool OpenKeyReadOnly(const QString &Path);
    void CloseKey();
    bool IsOpen() const { return settings_ != nullptr; }
    // Whether the key at Path exists (holds a value or a sub-key).
    static bool KeyExists(const QString &Path);

    bool ValueExists(const QString &Name) const;
    // The value as text; "" when it is missing.
    QString ReadString(const QString &Name) const;
    // False, Value untouched, when the value is missing or is no integer.
    bool ReadInteger(const QString &Name, int &Value) const;
    // Writing needs a key opened with OpenKey; false otherwise.
    bool WriteString(const QString &Name, const QString &Value);
    bool WriteInteger(const QString &Name, int Value);

    // The name under which a key or value name is stored.
    static QString StoredName(const QString &Name);

private:
    QString Key(const QString &Name) const;

    std::unique_ptr<QSettings> settings_;
    QString group_;   // stored form, '/'-separated, no trailing '/'
    bool readOnly_ = true;
};

} // namespace platform
