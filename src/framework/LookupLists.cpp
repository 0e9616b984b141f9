#include "framework/LookupLists.h"

#include <QDateEdit>
#include <QLabel>
#include <QLayout>
#include <QStringList>
#include <QVariant>

#include "components/QuorendDateEdit.h"
#include "components/ListEdit.h"
#include "components/Sorters.h"
#include "core/uAmountWords.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/unTextDocument.h"
#include "platform/ui/StringGrid.h"

namespace {

// The caption row's colour, which the cells share.
constexpr TColor CaptionColor = 0xF1E3B1;

const QString CodeNameCaptions = QStringLiteral("Шифър@Наименование");
const QString UnitCaption = QStringLiteral("@Мярка");

bool FillFromQuery(QObject *Owner, TCustomListEdit *ListEdit, const QString &Sql,
                   const QString &Captions, const QString &RegistryValue)
{
    TDelimitedStringList list;
    const bool ok = SelectToList(Owner, DbConnection, Sql, list);
    if (ok) {
        SetupListEdit(ListEdit, Captions, &list);
        QString text;
        GetRegistrySetting(RegistryValue, text);
        if (ListEdit) {
            ListEdit->setText(text);
            // The picker remembers what the operator picks in it.
            const char *property = "RememberedTextName";
            if (!ListEdit->property(property).isValid()) {
                QObject::connect(ListEdit, &TCustomListEdit::Picked, ListEdit, [ListEdit, property] {
                    SetRegistrySetting(ListEdit->property(property).toString(), ListEdit->text());
                });
            }
            ListEdit->setProperty(property, RegistryValue);
        }
    }
    return ok;
}

bool LookUp(QObject *Owner, TADOConnection *Connection, const QString &Sql, int Code, QString &Result)
{
    TDelimitedStringList list;
    const bool ok = SelectToList(Owner, Connection, Format(Sql, {Code}), list);
    Result = list.Count() > 0 ? list.Strings(0) : QString();
    return ok;
}

} // namespace

bool SetupListEdit(TCustomListEdit *ListEdit, const QString &Captions, const TDelimitedStrings *List,
                   int Value)
{
    if (!ListEdit)
        return false;
    TListForm *form = ListEdit->ListForm();
    if (!form) {
        // The form lives as long as its edit (or until its owner frees it).
        form = new TListForm(ListEdit);
        ListEdit->SetForm(form);
    }
    TRichGrid *grid = form->Grid();
    const QStringList captions = Captions.split(QChar('@'));
    const int cols = static_cast<int>(captions.size());
    const int records = List ? List->Count() : 0;

    grid->setUpdatesEnabled(false);
    grid->SetColCount(cols);
    grid->SetRowCount(std::max(2, records + 1));
    grid->SetFixedCols(0);
    grid->SetFixedRows(1);
    grid->SetFixedColor(CaptionColor);
    for (int c = 0; c < cols; ++c) {
        grid->SetCells(c, 0, captions[c]);
        grid->GetColAttributes(c)->SetAutoResize(true);
    }
    // Every data row is written, so no row of an earlier fill stays behind.
    QString field;
    for (int r = 1; r < grid->RowCount(); ++r) {
        const int i = r - 1;
        if (i >= records) {
            for (int c = 0; c < cols; ++c)
                grid->SetCells(c, r, QString());
            continue;
        }
        if (cols == 1) {
            grid->SetCells(0, r, List->Strings(i));
            continue;
        }
        const QString record = List->Strings(i);
        for (int c = 0; c < cols; ++c) {
            GetPiece(record, List->FieldDelimiter(), c, field);
            grid->SetCells(c, r, field);
        }
    }
    for (int r = 0; r < grid->RowCount(); ++r)
        if (grid->RowHeights(r) <= 0)
            grid->SetRowHeights(r, grid->DefaultRowHeight());
    grid->AutoSizeColumns();
    grid->setUpdatesEnabled(true);
    ListEdit->SetDropColumn(Value);
    form->SetFilled(true);
    return records > 0;
}

bool FillProductsList(QObject *Owner, TCustomListEdit *ListEdit)
{
    return FillFromQuery(Owner, ListEdit,
                         QStringLiteral("SELECT Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka FROM Merki "
                                        "LEFT JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka Where "
                                        "Izdelia.code_izd <> 0 ORDER BY name_izd"),
                         CodeNameCaptions + UnitCaption, QStringLiteral("code_izd_Text"));
}

bool FillBusesList(QObject *Owner, TCustomListEdit *ListEdit)
{
    return FillFromQuery(Owner, ListEdit, QStringLiteral("SELECT c_bus, n_bus FROM Busses ORDER BY n_bus"),
                         CodeNameCaptions, QStringLiteral("code_bus_Text"));
}

bool FillPackagingList(QObject *Owner, TCustomListEdit *ListEdit)
{
    return FillFromQuery(Owner, ListEdit,
                         QStringLiteral("Select code_a, name_a From Ambalaj ORDER BY name_a"),
                         CodeNameCaptions, QStringLiteral("code_a_Text"));
}

bool FillCustGroupsList(QObject *Owner, TCustomListEdit *ListEdit)
{
    return FillFromQuery(Owner, ListEdit,
                         QStringLiteral("SELECT code_c, name_c FROM CustGroups ORDER BY name_c"),
                         CodeNameCaptions, QStringLiteral("code_supplier_Text"));
}

bool FillResourcesList(QObject *Owner, TCustomListEdit *ListEdit)
{
    return FillFromQuery(Owner, ListEdit,
                         QStringLiteral("SELECT Resources.code_r,        Resources.name_r,        "
                                        "Merki.v_Miarka FROM Merki LEFT JOIN Resources ON Merki.n_Miarka = "
                                        "Resources.miarka_r Where Resources.code_r <> 0 ORDER BY name_r"),
                         CodeNameCaptions + UnitCaption, QStringLiteral("code_r_Text"));
}

bool FillPaymentTypesList(QObject *Owner, TCustomListEdit *ListEdit)
{
    return FillFromQuery(Owner, ListEdit,
                         QStringLiteral("SELECT code_payment, name_payment FROM payment_types"),
                         CodeNameCaptions, QStringLiteral("frmInvoice_leType_of_payment_Text"));
}

bool GetProductName(QObject *Owner, TADOConnection *Connection, int Code, QString &Result)
{
    return LookUp(Owner, Connection, QStringLiteral("SELECT name_izd FROM Izdelia WHERE ( code_izd = %d )"),
                  Code, Result);
}

bool GetProductUnit(QObject *Owner, TADOConnection *Connection, int Code, QString &Result)
{
    return LookUp(Owner, Connection,
                  QStringLiteral("SELECT Merki.v_Miarka FROM Merki LEFT JOIN Izdelia ON Merki.n_Miarka = "
                                 "Izdelia.mjarka WHERE ( Izdelia.code_izd = %d ) "),
                  Code, Result);
}

bool GetPackagingName(QObject *Owner, TADOConnection *Connection, int Code, QString &Result)
{
    return LookUp(Owner, Connection, QStringLiteral("SELECT name_a FROM Ambalaj WHERE ( code_a = %d )"),
                  Code, Result);
}

void SortDelimitedList(TDelimitedStrings *List, int Column)
{
    if (!List || List->Count() <= 1)
        return;
    TDelimitedStringsSorter sorter(List);
    sorter.SetKeyFields({Column});
    sorter.Sort(0, List->Count() - 1);
    sorter.WaitFor();
}

void GridRowsToList(const platform::StringGrid &Grid, TDelimitedStrings &List)
{
    QStringList cells;
    for (int r = Grid.FixedRows(); r < Grid.RowCount(); ++r) {
        if (Grid.Cells(0, r).trimmed().isEmpty())
            continue;
        cells.clear();
        for (int c = 0; c < Grid.ColCount(); ++c)
            cells << Grid.Cells(c, r);
        List.Add(cells.join(List.FieldDelimiter()));
    }
}

void CashReceiptOrderLines(const QString &Row, QStringList &Lines)
{
    auto field = [&Row](int i) {
        QString s;
        GetPiece(Row, QChar('@'), i, s);
        return s;
    };
    const long double amount = DotStrToFloat(field(2), 0);
    Lines.clear();
    QString s;
    CenterText(QStringLiteral("ПРИХОДЕН КАСОВ ОРДЕР"), 80, false, s);
    Lines << s;
    CenterText(Format(QStringLiteral("N: %s / %s"), {field(0), field(1)}), 80, false, s);
    Lines << s;
    CenterText(Format(QStringLiteral("За микробус %s - %s, Сума: %.2f лв. По отчет за дата %s."),
                      {field(5), field(6), amount, field(3)}),
               80, false, s);
    Lines << s;
    QString words;
    AmountToWords(amount, words);
    Lines << QStringLiteral(" Словом: ") + words;
    QString left;
    PadTextRight(QStringLiteral("Предал: ............................. "), 40, QChar(' '), left);
    Lines << left + QStringLiteral("Приел:  ............................. ");
    Lines << QStringLiteral(" ") << QStringLiteral(" ");
    AppendDocumentEnd(Lines, 80, 4);
}

bool PrintCashReceiptOrder(QWidget *Owner, const QString &Row)
{
    QStringList lines;
    CashReceiptOrderLines(Row, lines);
    TDelimitedStringList nas;
    LoadNasSettings(Owner, GetLocalIPAddress(), nas);
    QString printLaser;
    GetRegistrySetting(QStringLiteral("Print_Laser"), printLaser);
    TTextDocumentRoad road;
    road.PageRoad = printLaser != QLatin1String("0");
    road.OneAndAHalf = NasSwitchOn(nas, 12);
    return PrintTextDocument(Owner, lines, road);
}

TListEdit *AddBusPicker(QWidget *Panel, const QString &Name, QLabel *&Descr)
{
    QLayout *layout = Panel->layout();
    layout->addWidget(new QLabel(QStringLiteral("Микробус:"), Panel));
    auto *edit = new TListEdit(Panel);
    edit->setObjectName(Name);
    edit->setMaximumWidth(80);
    layout->addWidget(edit);
    Descr = new QLabel(Panel);
    Descr->setObjectName(QStringLiteral("panelMicrobus"));
    Descr->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Descr->setMinimumWidth(200);
    layout->addWidget(Descr);
    edit->SetDescrControl(Descr);
    edit->SetDescrColumn(1);
    return edit;
}

QDateEdit *AddDatePicker(QWidget *Panel, const QString &Caption, const QString &Name)
{
    QLayout *layout = Panel->layout();
    layout->addWidget(new QLabel(Caption, Panel));
    auto *edit = new TQuorendDatePicker(Panel);
    edit->setObjectName(Name);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setCalendarPopup(true);
    layout->addWidget(edit);
    return edit;
}
