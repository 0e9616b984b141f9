#include "documents/un_Propusk_za_izvozvane.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "documents/unPrint_Propusk_za_izvozvane.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

TfrmPropusk_za_izvozvane::TfrmPropusk_za_izvozvane(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmBusDayDocument(AOwner, AFormStyle, true, 0)
{
    setObjectName(QStringLiteral("frmPropusk_za_izvozvane"));
    const QStringList hints = {QStringLiteral("Ако полето \"докумет номер\""),
                               QStringLiteral("не е попълнено се създава"),
                               QStringLiteral("НОВ пропуск за извозване на"),
                               QStringLiteral("продукция. При F2 (запис)"),
                               QStringLiteral("системата ще му зададе номер."),
                               QStringLiteral("Ако сте заредили пропуск от предходния ден и създавате нов, можете да "
                                              "въвеждате количества директно в таблицата.")};
    for (int i = 0; i < hints.size(); ++i) {
        HintLabels[i]->setText(hints[i]);
        HintLabels[i]->show();
    }
    HintLabels.last()->setWordWrap(true);
    btnLoadPropuskFromPreviousDay = new QPushButton(QStringLiteral("Зареди пропуск от предходния ден"), pnlParams);
    btnLoadPropuskFromPreviousDay->setObjectName(QStringLiteral("btnLoadPropuskFromPreviousDay"));
    btnLoadPropuskFromPreviousDay->setFocusPolicy(Qt::NoFocus);
    FButtonRow->addWidget(btnLoadPropuskFromPreviousDay);
    FButtonRow->addStretch(1);
    connect(btnLoadPropuskFromPreviousDay, &QPushButton::clicked, this, [this] { RunHeld([this] { btnLoadPropuskFromPreviousDayClick(); }); });

    Grid->OnClick = [this](QObject *) { GridClick(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };
    Grid->OnSetEditText = [this](QObject *, int, int, const QString &) { SetModified(true); };
    actPrint->setEnabled(true);
}

void TfrmPropusk_za_izvozvane::GridClick()
{
    // Quantities are typed into the grid only on a new, unnumbered pass.
    SetGridEditing(*Grid, (Grid->Col() == colQuantity || Grid->Col() == colPackQuantity) && DocNo() == 0);
}

void TfrmPropusk_za_izvozvane::GridKeyPress(QChar &Key)
{
    FilterAmountKey(Key, true);
}

void TfrmPropusk_za_izvozvane::btnLoadPropuskFromPreviousDayClick()
{
    const QDate yesterday = date_doc->date().addDays(-1);
    TDelimitedStringList first;
    SelectToList(this, DbConnection,
                 Format(QStringLiteral("SELECT First(Propusk_za_izvozvane.docno) AS FirstOfdocno FROM "
                                       "Propusk_za_izvozvane WHERE ( ((Propusk_za_izvozvane.date_doc)= %d ) AND        "
                                       " ((Propusk_za_izvozvane.code_bus)= %d )) ORDER BY "
                                       "First(Propusk_za_izvozvane.docno)"),
                        {DateToDayNumber(yesterday), BusCode()}),
                 first);
    const int number = first.Count() > 0 ? StrToIntOrZero(first.Strings(0)) : 0;
    if (number == 0) {
        ShowMessage(QStringLiteral("Вчера не е създаван пропуск за извозване"));
        return;
    }
    TDelimitedStringList rows;
    TDelimitedStringList stored;
    if (!SelectToList(this, DbConnection,
                      Format(QStringLiteral("SELECT Propusk_za_izvozvane.code_izd,        Propusk_za_izvozvane.code_a,    "
                                            "    Propusk_za_izvozvane.quantity_izd,        "
                                            "Propusk_za_izvozvane.quantity_amb FROM Propusk_za_izvozvane WHERE ( "
                                            "((Propusk_za_izvozvane.docno)= %d ) AND         "
                                            "((Propusk_za_izvozvane.date_doc)= %d ) AND         "
                                            "((Propusk_za_izvozvane.code_bus)= %d )) "),
                             {number, DateToDayNumber(yesterday), BusCode()}),
                      stored))
        return;
    for (int i = 0; i < stored.Count(); ++i) {
        QStringList f = stored.Strings(i).split(QChar('@'));
        while (f.size() < 4)
            f << QString();
        QString name, unit, packName;
        ListEditLookup(code_izd, 0, 1, name, f[0]);
        ListEditLookup(code_izd, 0, 2, unit, f[0]);
        ListEditLookup(code_a, 0, 1, packName, f[1]);
        rows.Add(QStringList{f[0], name, unit, f[2], f[1], packName, f[3]}.join(QChar('@')));
    }
    // The grid now holds a new pass of the day, built from yesterday's; the
    // clerk may first keep a shown pass with unsaved changes.
    docno->setText(QString());
    if (!docno->text().isEmpty())
        return;
    ShowRows(rows);
    SetStatusText(Format(QStringLiteral("Общо: %d реда"), {CountedDataRows()}));
    SetModified(rows.Count() > 0);
}

void TfrmPropusk_za_izvozvane::QueueRow(int Line, int Product, int Packaging, long double QuantityIzd,
                                        long double QuantityAmb)
{
    if (DocNo() == 0) {
        SetModified(true);
        return;
    }
    const int number = DocNo();
    const int day = DayNumber();
    const int bus = BusCode();
    if (Line == 0) {
        Line = FQueue.NewLine(StoredKey(Product, Packaging));
        FNewLines[StoredKey(Product, Packaging)] = Line;
    }
    const QString insert = Format(QString::fromUtf8(sqlInsertPropusk_za_izvozvane),
                                  {TableName(), number, day, bus, Product, Packaging, QuantityIzd, QuantityAmb});
    const QString update =
        Format(QStringLiteral("Update Propusk_za_izvozvane Set quantity_izd = %.4f,     quantity_amb = %.4f Where ( "
                              "docno = %d AND date_doc = %d AND code_bus = %d AND code_izd = %d AND code_a = %d )"),
               {QuantityIzd, QuantityAmb, number, day, bus, Product, Packaging});
    FQueue.Put(Line, insert, update);
}

void TfrmPropusk_za_izvozvane::QueueDelete(int Row)
{
    if (DocNo() > 0)
        TfrmBusDayDocument::QueueDelete(Row);
    else
        SetModified(true);
}

int TfrmPropusk_za_izvozvane::NewDocumentLines() const
{
    if (DocNo() >= 1)
        return TfrmBusDayDocument::NewDocumentLines();
    int lines = 0;
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        if (!Grid->Cells(colCode, r).trimmed().isEmpty())
            ++lines;
    return lines;
}

bool TfrmPropusk_za_izvozvane::CanSave()
{
    if (!TfrmBusDayDocument::CanSave())
        return false;
    if (DocNo() >= 1)
        return true;
    // The quantities typed into a new pass's grid are written as they
    // stand: a text that is no number is refused, never written as 0.
    QString messages;
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
        if (Grid->Cells(colCode, r).trimmed().isEmpty())
            continue;
        messages += AmountTextError(Grid->Cells(colQuantity, r),
                                    Format(QStringLiteral("количеството на \"%s\""), {Grid->Cells(colName, r)}));
        messages += AmountTextError(Grid->Cells(colPackQuantity, r),
                                    Format(QStringLiteral("амбалажа на \"%s\""), {Grid->Cells(colName, r)}));
    }
    if (messages.isEmpty())
        return true;
    ShowError(messages);
    return false;
}

void TfrmPropusk_za_izvozvane::PrepareSave(TDocumentSave &Save)
{
    if (DocNo() >= 1) {
        TfrmBusDayDocument::PrepareSave(Save);
        return;
    }
    // A new pass: its number is taken inside the save, and every grid row
    // is written with it, the quantities as the grid holds them now.
    Save.IsNew = true;
    Save.NumberFromNextCode(QStringLiteral("docno"), TableName());
    const int day = DayNumber();
    const int bus = BusCode();
    const QString table = TableName();
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
        if (Grid->Cells(colCode, r).trimmed().isEmpty())
            continue;
        const int product = StrToIntOrZero(Grid->Cells(colCode, r));
        const int packaging = StrToIntOrZero(Grid->Cells(colPackCode, r));
        const long double qi = CellNumber(Grid->Cells(colQuantity, r));
        const long double qa = CellNumber(Grid->Cells(colPackQuantity, r));
        Save.Add([=](long double Number) {
            return Format(QString::fromUtf8(sqlInsertPropusk_za_izvozvane),
                          {table, int(Number), day, bus, product, packaging, qi, qa});
        });
    }
}

TDocumentName TfrmPropusk_za_izvozvane::DocumentName() const
{
    return {QStringLiteral("Пропуск за извозване %1").arg(DocNo()), ngMasculine};
}

bool TfrmPropusk_za_izvozvane::PrintDocument(long double Number) { return PrintPropuskZaIzvozvane(this, Number); }

namespace {
const bool registered = RegisterQuorendFormClass<TfrmPropusk_za_izvozvane>(QStringLiteral("TfrmPropusk_za_izvozvane"));
}
