#pragma once
// The current user's settings: string values under the program's key and
// the positions of its forms under the "Forms" sub-key, one key per form.
// Value and key names are matched without regard to case.
#include "platform/system/Registry.h"

#include <QRect>
#include <QString>

// The program's key.
extern const char *const RegistryRootKey;      // "Software\Quorend\Tolvex2000"
// The key of the forms' positions; the form's key name follows it.
extern const char *const RegistryFormsKey;     // "Software\Quorend\Tolvex2000\\Forms\"

// Value is the string value Name, "" when the key or the value is missing.
void GetRegistrySetting(const QString &Name, QString &Value);
// Writes the string value Name, creating the key when missing; whether the
// store was written.
bool SetRegistrySetting(const QString &Name, const QString &Value);

// Read from an open key; a missing value gives Default.
int ReadRegistryIntegerDefault(const platform::RegistryKey &Registry, const QString &Name, int Default);
void ReadRegistryStringDefault(const platform::RegistryKey &Registry, const QString &Name,
                               const QString &Default, QString &Value);

// Writes left, top, width and height of Bounds as "PositionX", "PositionY",
// "SizeX", "SizeY" under the form's key; whether all four reached the
// store.
bool SaveFormPosition(const QString &FormKeyName, const QRect &Bounds);
// Reads them back, -1 for each one missing; false, Bounds untouched, when
// the form's key does not exist.
bool LoadFormPosition(const QString &FormKeyName, QRect &Bounds);
