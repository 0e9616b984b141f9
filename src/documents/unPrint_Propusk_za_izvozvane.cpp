#include "documents/unPrint_Propusk_za_izvozvane.h"

#include "documents/unPrint_Vyrnata_produkcia.h"

bool LoadPropuskForPrint(QObject *Owner, long double Number, TDelimitedStringList &Header,
                         TDelimitedStringList &Rows)
{
    return LoadBusDayDocumentForPrint(Owner, QStringLiteral("Propusk_za_izvozvane"), Number, Header, Rows);
}

bool PrintPropuskZaIzvozvane(QWidget *Owner, long double Number)
{
    return PrintBusDayDocument(Owner, QStringLiteral("Propusk_za_izvozvane"), QStringLiteral("ПРОПУСК ЗА ИЗВОЗВАНЕ"),
                               Number);
}
