#include "documents/un_Zaiavki_za_expedicia.h"

#include <QDateEdit>

#include "components/FloatEdit.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {
const QString kLineBreak = QStringLiteral("\n\r");
}

TfrmZaiavki_za_expedicia::TfrmZaiavki_za_expedicia(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmBusDayDocument(AOwner, AFormStyle, false, 3)
{
    setObjectName(QStringLiteral("frmZaiavki_za_expedicia"));
    FCodesAsTyped = true;
}

QString TfrmZaiavki_za_expedicia::GetSubTitle()
{
    return Format(QStringLiteral(" за микробус %s - %s за дата %s"),
                  {code_bus->text().trimmed(), BusName(), DateToDisplayText(date_doc->date())});
}

bool TfrmZaiavki_za_expedicia::LoadRows(TDelimitedStringList &Rows)
{
    return SelectToList(
        this, DbConnection,
        Format(QStringLiteral(
                   "SELECT Zaiavki_za_expedicia.code_izd,        Izdelia.name_izd,        Merki.v_Miarka,        "
                   "Zaiavki_za_expedicia.quantity_izd,        Zaiavki_za_expedicia.code_a,        Ambalaj.name_a,        "
                   "Zaiavki_za_expedicia.quantity_amb FROM (Merki INNER JOIN Izdelia ON Merki.n_Miarka = "
                   "Izdelia.mjarka) INNER JOIN (Ambalaj INNER JOIN Zaiavki_za_expedicia ON Ambalaj.code_a = "
                   "Zaiavki_za_expedicia.code_a) ON Izdelia.code_izd = Zaiavki_za_expedicia.code_izd WHERE "
                   "(((Zaiavki_za_expedicia.date_doc)= %d ) AND ((Zaiavki_za_expedicia.code_bus)= %d )) ORDER BY "
                   "Izdelia.name_izd"),
               {DayNumber(), BusCode()}),
        Rows);
}

QString TfrmZaiavki_za_expedicia::ValidateRow()
{
    QString msg;
    const QString code = code_izd->text().trimmed();
    // Codes are numbers: "0101" is the product 101 of the grid.
    const int product = StrToIntOrZero(code);
    for (int r = Grid->FixedRows(); product != 0 && r < Grid->RowCount(); ++r)
        if (StrToIntOrZero(Grid->Cells(colCode, r)) == product) {
            msg += Format(QStringLiteral("Шифър \"%s\" съществува в таблицата с данни!"), {code}) + kLineBreak;
            break;
        }
    if (ListedCode(code_bus) == 0)
        msg += QStringLiteral("Въвдетете микробус") + kLineBreak;
    if (PickerName(code_izd, code).isEmpty())
        msg += QStringLiteral("Въведете изделие") + kLineBreak;
    if (PickerName(code_a, code_a->text()).isEmpty())
        msg += QStringLiteral("Въвдетете амбалаж") + kLineBreak;
    if (quantity_izd->Value() == 0)
        msg += QStringLiteral("Въведете количество!") + kLineBreak;
    return msg;
}

QString TfrmZaiavki_za_expedicia::RowKey(int Product, int) const { return QString::number(Product); }

TDocumentName TfrmZaiavki_za_expedicia::DocumentName() const
{
    return {Format(QStringLiteral("Заявката за експедиция на микробус %d за %s"),
                   {BusCode(), DateToDisplayText(date_doc->date())}),
            ngFeminine};
}

void TfrmZaiavki_za_expedicia::QueueRow(int Line, int Product, int Packaging, long double QuantityIzd,
                                        long double QuantityAmb)
{
    const int day = DayNumber();
    const int bus = BusCode();
    if (Line == 0) {
        Line = FQueue.NewLine(StoredKey(Product, Packaging));
        FNewLines[StoredKey(Product, Packaging)] = Line;
    }
    const QString insert = Format(QString::fromUtf8(sqlInsertZaiavki_za_expedicia),
                                  {TableName(), day, bus, Product, Packaging, QuantityIzd, QuantityAmb});
    const QString update = Format(
        QStringLiteral("Update Zaiavki_za_expedicia Set code_a       = %d,     quantity_izd = %.4f,     quantity_amb = "
                       "%.4f Where ( date_doc = %d AND code_bus = %d AND code_izd = %d )"),
        {Packaging, QuantityIzd, QuantityAmb, day, bus, Product});
    FQueue.Put(Line, insert, update);
}

void TfrmZaiavki_za_expedicia::QueueDelete(int Row)
{
    const int product = StrToIntOrZero(Grid->Cells(colCode, Row));
    const QString key = StoredKey(product, 0);
    const int line = LineOf(product, 0);
    FQueue.Remove(line, Format(QStringLiteral("Delete * from %s Where ( date_doc = %d AND code_bus = %d AND code_izd = "
                                              "%d )"),
                               {TableName(), DayNumber(), BusCode(), product}));
    FNewLines.erase(key);
}

QString TfrmZaiavki_za_expedicia::DeleteQuestion(int Row) const
{
    return Format(QStringLiteral("Желаете ли да изтриете %s: \"%s\" - \"%s\"?"),
                  {RowNoun(), Grid->Cells(colCode, Row), Grid->Cells(colName, Row)});
}

QList<QWidget *> TfrmZaiavki_za_expedicia::KeyControls() const
{
    // The packaging is data of the line, not part of its key.
    return {date_doc, code_bus, code_izd};
}

void TfrmZaiavki_za_expedicia::ClearLineEditors()
{
    TfrmBusDayDocument::ClearLineEditors();
    code_a->setText(QString());
}

void TfrmZaiavki_za_expedicia::PrepareSave(TDocumentSave &Save)
{
    Save.IsNew = false;
    Save.NumberGiven(0);
    Save.Add(FQueue.Statements());
}

namespace {
const bool registered = RegisterQuorendFormClass<TfrmZaiavki_za_expedicia>(QStringLiteral("TfrmZaiavki_za_expedicia"));
}
