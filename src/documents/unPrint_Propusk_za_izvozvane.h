#pragma once
// The printout of an export pass: the layout of the returned-production
// protocol under its own title, found by its number alone.
#include <QString>

class QObject;
class QWidget;
class TDelimitedStringList;

bool LoadPropuskForPrint(QObject *Owner, long double Number, TDelimitedStringList &Header,
                         TDelimitedStringList &Rows);
// Prints the pass on the workstation's road; True when it printed.
bool PrintPropuskZaIzvozvane(QWidget *Owner, long double Number);
