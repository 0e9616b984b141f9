#pragma once
// The printout of a returned-production protocol, and the layout it shares
// with the export pass: one 80-column text document with the document's
// number, minibus and date, then one line per product and packaging.
//
// The document is found by its number alone. A query that fails is shown
// to the operator as the database error with its statement, and the
// routine answers False.
#include <QString>
#include <QStringList>

class QObject;
class QWidget;
class TDelimitedStrings;
class TDelimitedStringList;

// Header: the number, minibus code, minibus name and date of the document
// (one record); Rows: code_izd (three times), quantity_izd, code_a (twice),
// quantity_amb, ordered by product. Both lists are cleared first. True when
// both queries ran.
bool LoadVyrnataForPrint(QObject *Owner, long double Number, TDelimitedStringList &Header,
                         TDelimitedStringList &Rows);
// Prints the protocol on the workstation's road; True when it printed.
bool PrintVyrnataProdukcia(QWidget *Owner, long double Number);

// What the two documents share: the loader on Table and the lines under
// Title (the names and units are looked up here; nothing is printed).
bool LoadBusDayDocumentForPrint(QObject *Owner, const QString &Table, long double Number,
                                TDelimitedStringList &Header, TDelimitedStringList &Rows);
QStringList BusDayDocumentText(QObject *Owner, const QString &Title, const TDelimitedStrings &Header,
                               const TDelimitedStrings &Rows);
// Loads, builds and prints one document of Table.
bool PrintBusDayDocument(QWidget *Owner, const QString &Table, const QString &Title, long double Number);
