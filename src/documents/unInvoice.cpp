#include "documents/unInvoice.h"

#include "components/FloatEdit.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unSchema.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/DocumentFormParts.h"
#include "documents/unPrint_Invoice.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"
#include "platform/Exception.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>

namespace {

const QString kLineBreak = QStringLiteral("\n\r");

const TSalesDocumentKind kInvoice = {
    "frmInvoice",
    NasInvoiceCounter,
    InvoiceNumberText,
    sqlSelectInvoices,
    sqlExistsInvoices_rows,
    "Invoices",
    "Invoices_rows",
    "Invoice_num",
    sqlDeleteInvoices_rows,
    sqlDeleteInvoices,
    "SELECT code_of_object, name_o FROM Obekti WHERE ( code_of_CustGroup = %d ) ORDER BY name_o",
    false,
    [](QObject *Owner, long double Number, TDelimitedStringList &Header, TDelimitedStringList &Lines) {
        return LoadInvoice(Owner, Header, Lines, Number);
    },
    PrintInvoice,
};

QPointer<TfrmInvoice> g_OpenForm;

using namespace docparts;

QString Pad10(long double Number) { return InvoiceNumberText(Number); }

// The kinds of documents each mode offers.
QStringList KindsOfMode(int Mode)
{
    return Mode == 0 ? QStringList{QStringLiteral("1"), QStringLiteral("4")}
                     : QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("6")};
}

} // namespace

// ---------------------------------------------------------------- creation

TfrmInvoice::TfrmInvoice(QWidget *AOwner, TFormStyle AFormStyle) : TSalesDocumentForm(kInvoice, AOwner, AFormStyle)
{
    BuildControls();
}

TfrmInvoice::~TfrmInvoice() = default;

void TfrmInvoice::BuildControls()
{
    AddNumberBar();

    // Customer, site, kind of document and the referred invoice.
    QGridLayout *customer = AddCustomerTab(QStringLiteral("Клиент:"));
    leDocType = CodeEdit(tabCustomer, QStringLiteral("leDocType"));
    panelDocType = Panel(tabCustomer, QStringLiteral("panelDocType"));
    lblForInvoice = new QLabel(QStringLiteral("По фактура:"), tabCustomer);
    lblForInvoice->setObjectName(QStringLiteral("lblForInvoice"));
    edInvoiceNo = CodeEdit(tabCustomer, QStringLiteral("edInvoiceNo"));
    edInvoiceNo->setMaximumWidth(130);
    customer->addWidget(new QLabel(QStringLiteral("Вид документ:"), tabCustomer), 2, 0);
    customer->addWidget(leDocType, 2, 1);
    customer->addWidget(panelDocType, 2, 2);
    customer->addWidget(lblForInvoice, 3, 0);
    customer->addWidget(edInvoiceNo, 3, 1);
    customer->setRowStretch(4, 1);

    // Goods: the line editors over the grid, the total under it.
    QVBoxLayout *goods = AddGoodsTab();
    pnlLineEditors = new QWidget(tabGoods);
    pnlLineEditors->setObjectName(QStringLiteral("pnlLineEditors"));
    auto *editors = new QGridLayout(pnlLineEditors);
    editors->setContentsMargins(0, 0, 0, 0);
    AddLineEditors(pnlLineEditors, editors, 0, QStringLiteral("Цена без ДДС:"));
    goods->addWidget(pnlLineEditors);
    AddGrid(goods);
    labTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    goods->addWidget(labTotal);

    // Payment: its way, then the paid switch.
    QGridLayout *payment = AddPaymentTab(1, [this](QWidget *Tab) {
        leType_of_payment = CodeEdit(Tab, QStringLiteral("leType_of_payment"));
        panelType_of_payment = Panel(Tab, QStringLiteral("panelType_of_payment"));
    });
    payment->addWidget(new QLabel(QStringLiteral("Начин на плащане:"), tabPayment), 0, 0);
    payment->addWidget(leType_of_payment, 0, 1);
    payment->addWidget(panelType_of_payment, 0, 2);

    ConnectControls({{leCustomer, panelCustomer},
                     {leObject, PanelObject},
                     {leDocType, panelDocType},
                     {leIzdelie, panel_Izdelie},
                     {leType_of_payment, panelType_of_payment}});
    connect(leCustomer, &QLineEdit::editingFinished, this, [this] {
        if (Mode == 1)
            LoadReferenceList();
    });
    connect(leDocType, &QLineEdit::textChanged, this, [this] { leDocTypeChange(); });
    connect(edInvoiceNo, &TCustomListEdit::Picked, this, [this] { edInvoiceNoFormOk(); });
    GridGoods->OnClick = [this](QObject *) { GridGoodsClick(); };
    GridGoods->OnKeyPress = [this](QObject *, QChar &Key) { GridGoodsKeyPress(Key); };
    // A notice's new row follows the typed text, not the text before the key.
    GridGoods->OnSetEditText = [this](QObject *, int ACol, int ARow, const QString &) {
        if (Mode == 1 && CellEditable(ACol, ARow)) {
            RecalculateTriple(ARow, ACol);
            CalculateTotals();
            SetModified(true);
        }
    };
}

// ---------------------------------------------------------------- hooks

void TfrmInvoice::InitWindow()
{
    setWindowTitle(QString());
    FByInvoice.clear();
    FVatRate = 0;
    FTotalWithoutVat = 0;
    FVatAmount = 0;
    SavedRows.Clear();
    SetupGridHeader({QStringLiteral("N:"), QStringLiteral("Артикул"), QString(), QString(), QString(),
                     QStringLiteral("Количество"), QStringLiteral("Цена"), QStringLiteral("%"), QStringLiteral("Цена"),
                     QStringLiteral("Стойност")},
                    {QString(), QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                     QString(), QString(), QStringLiteral("без ТО/ТН"), QStringLiteral("ТО/ТН"),
                     QStringLiteral("с ТО/ТН"), QStringLiteral("без ДДС")});
    GridGoods->SetColWidths(colName, 260);
}

void TfrmInvoice::LoadLists()
{
    TDelimitedStringList vat;
    SelectToList(this, DbConnection, QStringLiteral("select value_va from va where code_va = 9"), vat);
    QString rate;
    if (vat.Count() > 0)
        GetPiece(vat.Strings(0), vat.FieldDelimiter(), 0, rate);
    FVatRate = DotStrToFloat(rate);
    if (FVatRate == 0)
        ShowMessage(QStringLiteral("Не е зададен процент за ДДС."));
    LoadProductList();
    FillPaymentTypesList(this, leType_of_payment);
    SetEditText(leType_of_payment, Remembered(leType_of_payment));
}

bool TfrmInvoice::FormDone()
{
    Remember(leType_of_payment);
    Remember(leDocType);
    return TSalesDocumentForm::FormDone();
}

bool TfrmInvoice::BeforeDocument()
{
    SetTitle(LoadResString(Mode == 0 ? rsInvoice : rsNotice));

    // The kinds this mode offers.
    TDelimitedStringList all;
    try {
        SelectToList(this, DbConnection, QStringLiteral("SELECT code_fvd, name_fvd FROM fvd"), all);
    } catch (const Exception &e) {
        ShowDatabaseError(e);
        return false;
    }
    FKinds.Clear();
    for (const QString &code : KindsOfMode(Mode)) {
        const int row = RowOfCode(all, code);
        if (row >= 0)
            FKinds.Add(code + QStringLiteral("@") + FieldOf(all, row, 1));
    }
    SetupListEdit(leDocType, LoadResString(rsCodeNameCaptions), &FKinds);
    {
        const QSignalBlocker block(leDocType);
        leDocType->setText(Remembered(leDocType));
    }
    const int kind = RowOfCode(FKinds, leDocType->text().trimmed());
    panelDocType->setText(kind >= 0 ? FieldOf(FKinds, kind, 1) : QString());
    return true;
}

void TfrmInvoice::AfterDocument()
{
    if (Mode != 1) {
        lblForInvoice->hide();
        edInvoiceNo->hide();
        return;
    }
    SetupNoticeMode();
    if (IsNew)
        return;
    edInvoiceNo->setText(Pad10(DotStrToFloat(FByInvoice)));
    LoadReferenceList();
    edInvoiceNoFormOk();
    // The new rows are the invoiced ones with the stored differences.
    for (int row = kFixedRows + 1; row < GridGoods->RowCount(); row += 3) {
        const int saved = RowOfCode(SavedRows, GridGoods->Cells(colCode, row - 1), colCode);
        if (saved < 0)
            continue;
        QString quantity, value;
        AddDotStr(GridGoods->Cells(colQuantity, row - 1), FieldOf(SavedRows, saved, colQuantity), quantity);
        AddDotStr(GridGoods->Cells(colValue, row - 1), FieldOf(SavedRows, saved, colValue), value);
        GridGoods->SetCells(colQuantity, row, FixedText(::QuantityPrecision, DotStrToFloat(quantity)));
        GridGoods->SetCells(colValue, row, FixedText(::AmountPrecision, DotStrToFloat(value)));
        GridGoods->SetCol(colValue);
        GridGoods->SetRow(row);
        GridGoodsClick();
        RecalculateTriple(row, colValue);
    }
    CalculateTotals();
}

void TfrmInvoice::ShowStored(const TDelimitedStrings &Header, const QStringList &Records)
{
    auto item = [&](int i) { return i < Header.Count() ? Header.Strings(i) : QString(); };
    SetEditText(leType_of_payment, item(7));
    SetEditText(leDocType, item(8));
    FByInvoice = item(9);
    FStoredTotal = DotStrToFloat(item(3));
    FStoredVat = DotStrToFloat(item(4));
    FVatRate = DotStrToFloat(item(10));
    SavedRows.Clear();
    for (const QString &record : Records)
        SavedRows.Add(record);
    if (Mode == 0)
        FillGrid(Records);
}

void TfrmInvoice::AfterShown()
{
    if (Mode == 1) {
        // A notice's lines come from the referred invoice only.
        actEdit->setEnabled(false);
        actNew->setEnabled(false);
        actDelete->setEnabled(false);
    }
}

// ---------------------------------------------------------------- kind, products, totals

void TfrmInvoice::leDocTypeChange()
{
    if (Mode == 1)
        LoadReferenceList();
}

QString TfrmInvoice::ProductListSql() const
{
    // The rate with six decimals: a rate of 7.5 % must not become 8 %.
    return Format(QStringLiteral("SELECT Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka, Izdelia.price_%d/( 1 + %.*f ) "
                                 "as Price_wo_VAT FROM Merki LEFT JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka Where "
                                 "Izdelia.code_izd <> 0 ORDER BY name_izd"),
                  {FPriceList, 6, FVatRate});
}

long double TfrmInvoice::ListPrice(const QString &Text) const { return RoundFloat(::PricePrecision, DotStrToFloat(Text)); }

long double TfrmInvoice::LinesTotal()
{
    if (Mode == 0)
        return TSalesDocumentForm::LinesTotal();
    long double total = 0;
    int k = 0;
    for (int row = kFixedRows; row + 2 < GridGoods->RowCount(); row += 3) {
        if (GridGoods->Cells(colCode, row).trimmed().isEmpty())
            break;
        GridGoods->SetCells(colNo, row, QString::number(++k));
        GridGoods->SetCells(colNo, row + 1, LoadResString(rsNewLabel));
        QString difference = LoadResString(rsDifferenceLabel);
        if (difference.startsWith(QChar(0x00A4)))
            difference.remove(0, 1);
        GridGoods->SetCells(colNo, row + 2, difference);
        total += DotStrToFloat(GridGoods->Cells(colValue, row + 2));
    }
    return total;
}

void TfrmInvoice::ShowTotal(long double Total)
{
    // Lines as stored keep the total they were stored with, and a total as
    // stored its VAT, even ones computed by another rule.
    FTotalWithoutVat = Mode == 0 && LinesAsStored() ? FStoredTotal : Total;
    FVatAmount = !IsNew && FTotalWithoutVat == FStoredTotal ? FStoredVat
                                                            : RoundFloat(::AmountPrecision, FTotalWithoutVat * FVatRate);
    labTotal->setText(Format(QStringLiteral("Общо с ДДС: %10.*n лв."), {2, FTotalWithoutVat + FVatAmount}));
}

bool TfrmInvoice::DoEdit()
{
    if (!LinesTyped())
        return false;
    if (FLineInEdit) {
        ShowError(LoadResString(rsOneRowInEdit));
        return false;
    }
    return TSalesDocumentForm::DoEdit();
}

// ---------------------------------------------------------------- notices

void TfrmInvoice::SetupNoticeMode()
{
    lblForInvoice->show();
    edInvoiceNo->show();
    pnlLineEditors->setMaximumHeight(0);
    for (QWidget *w : pnlLineEditors->findChildren<QWidget *>())
        w->setFocusPolicy(Qt::NoFocus);
    actEdit->setEnabled(false);
    actNew->setEnabled(false);
    actDelete->setEnabled(false);
    LoadReferenceList();
}

void TfrmInvoice::LoadReferenceList()
{
    const int kind = StrToIntOrZero(leDocType->text());
    const QString filter = kind == 2 || kind == 3   ? QStringLiteral(" AND (( Invoices.code_FVD ) = 1 )")
                           : kind == 5 || kind == 6 ? QStringLiteral(" AND (( Invoices.code_FVD ) = 4 )")
                                                    : QString();
    const QString sql = Format(
        QStringLiteral("SELECT Invoices.Invoice_num, Invoices.datetime_i, CustGroups.name_c FROM CustGroups LEFT JOIN "
                       "(Obekti LEFT JOIN Invoices ON Obekti.code_of_object = Invoices.obekt) ON CustGroups.code_c = "
                       "Obekti.code_of_CustGroup WHERE (((Invoices.Invoice_num)<>0) AND ((CustGroups.code_c) = %d ) %s "
                       ") ORDER BY Invoices.Invoice_num"),
        {StrToIntOrZero(leCustomer->text()), filter});
    TDelimitedStringList rows;
    try {
        SelectToList(this, DbConnection, sql, rows);
    } catch (const Exception &e) {
        ShowDatabaseError(e, sql);
        return;
    }
    FReferences.Clear();
    for (int i = 0; i < rows.Count(); ++i) {
        QString record = rows.Strings(i);
        SetPiece(record, rows.FieldDelimiter(), 0, Pad10(DotStrToFloat(FieldOf(rows, i, 0))));
        FReferences.Add(record);
    }
    SetupListEdit(edInvoiceNo, LoadResString(rsNumberDateCounterpartyCaptions), &FReferences);
    const QString typed = edInvoiceNo->text().trimmed();
    if (!typed.isEmpty() && RowOfCode(FReferences, typed) < 0) {
        const QSignalBlocker block(edInvoiceNo);
        edInvoiceNo->clear();
    }
}

QStringList TfrmInvoice::TriplesOf(const TDelimitedStrings &Rows)
{
    QStringList records;
    const QString empty(kColCount - 1, QLatin1Char('@'));
    for (const QString &invoiced : GridRecordsOf(Rows)) {
        const QStringList fields = invoiced.split(QLatin1Char('@'));
        records << invoiced;
        QString added = empty;
        SetPiece(added, QLatin1Char('@'), colNo, LoadResString(rsNewLabel));
        SetPiece(added, QLatin1Char('@'), colCode, fields.value(colCode));
        SetPiece(added, QLatin1Char('@'), colName, fields.value(colName));
        records << added;
        QString difference = empty;
        SetPiece(difference, QLatin1Char('@'), colNo, LoadResString(rsDifferenceLabel));
        records << difference;
    }
    return records;
}

void TfrmInvoice::edInvoiceNoFormOk()
{
    ClearGrid(*GridGoods, 0);
    const QString number = edInvoiceNo->text().trimmed();
    if (!number.isEmpty()) {
        TDelimitedStringList header;
        TDelimitedStringList rows;
        if (LoadInvoice(this, header, rows, DotStrToFloat(number))) {
            TDelimitedStringList triples;
            for (const QString &record : TriplesOf(rows))
                triples.Add(record);
            if (triples.Count() > 0)
                FillGridFromDelimitedStrings(*GridGoods, triples, true);
        }
    }
    CalculateTotals();
    SetModified(true);
}

bool TfrmInvoice::CellEditable(int Col, int Row) const
{
    if (Mode != 1 || Row <= kFixedRows || Row >= GridGoods->RowCount())
        return false;
    if (Col != colQuantity && Col != colDiscPrice && Col != colValue)
        return false;
    if (GridGoods->Cells(colNo, Row).trimmed() != LoadResString(rsNewLabel))
        return false;
    return DotStrToFloat(GridGoods->Cells(Col, Row - 1)) != 0;
}

void TfrmInvoice::GridGoodsClick()
{
    if (Mode != 1)
        return;
    SetGridEditing(*GridGoods, CellEditable(GridGoods->Col(), GridGoods->Row()));
}

void TfrmInvoice::GridGoodsKeyPress(QChar &Key)
{
    if (Mode != 1)
        return;
    const ushort c = Key.unicode();
    const bool accepted = c == 8 || c == 10 || c == 13 || c == '-' || c == '.' || (c >= '0' && c <= '9');
    if (!accepted) {
        Key = QChar();
        return;
    }
    // The cell is recomputed once its text has changed (OnSetEditText), so
    // the difference never lags one key behind; Enter recomputes the cell
    // as it stands.
    if (GridGoods->Options().Contains(goEditing) && (c == 10 || c == 13) &&
        CellEditable(GridGoods->Col(), GridGoods->Row()))
        RecalculateTriple(GridGoods->Row(), GridGoods->Col());
    CalculateTotals();
}

void TfrmInvoice::RecalculateTriple(int Row, int Col)
{
    if (Row <= kFixedRows || Row + 1 >= GridGoods->RowCount())
        return;
    const int invoiced = Row - 1;
    const int difference = Row + 1;
    auto cell = [&](int C, int R) { return DotStrToFloat(GridGoods->Cells(C, R)); };
    const bool valued = cell(colValue, invoiced) != 0;
    if ((Col == colQuantity || Col == colDiscPrice) && valued)
        GridGoods->SetCells(colValue, Row,
                            FixedText(::AmountPrecision,
                                      RoundFloat(::AmountPrecision, cell(colQuantity, Row) * cell(colDiscPrice, Row))));
    if (Col == colValue && valued) {
        const long double quantity = cell(colQuantity, Row);
        GridGoods->SetCells(colDiscPrice, Row,
                            FixedText(::PricePrecision,
                                      quantity == 0 ? 0 : RoundFloat(::PricePrecision, cell(colValue, Row) / quantity)));
    }
    if (cell(colQuantity, invoiced) != 0)
        GridGoods->SetCells(colQuantity, difference,
                            FixedText(::QuantityPrecision, cell(colQuantity, Row) - cell(colQuantity, invoiced)));
    if (valued)
        GridGoods->SetCells(colValue, difference,
                            FixedText(::AmountPrecision, cell(colValue, Row) - cell(colValue, invoiced)));
    const long double quantity = cell(colQuantity, difference);
    QString price = FixedText(::PricePrecision,
                              quantity == 0 ? 0 : RoundFloat(::PricePrecision, cell(colValue, difference) / quantity));
    // A difference as it is stored keeps the price it was stored with, even
    // one computed by another rule: re-saving never changes a stored line.
    const int saved = RowOfCode(SavedRows, GridGoods->Cells(colCode, invoiced), colCode);
    if (saved >= 0 && cell(colQuantity, difference) == DotStrToFloat(FieldOf(SavedRows, saved, colQuantity)) &&
        cell(colValue, difference) == DotStrToFloat(FieldOf(SavedRows, saved, colValue)))
        price = FixedText(::PricePrecision, DotStrToFloat(FieldOf(SavedRows, saved, colDiscPrice)));
    GridGoods->SetCells(colDiscPrice, difference, price);
}

void TfrmInvoice::RecalculateDifferences()
{
    for (int row = kFixedRows + 1; row + 1 < GridGoods->RowCount(); row += 3) {
        if (GridGoods->Cells(colCode, row - 1).trimmed().isEmpty())
            break;
        // A new row left empty changes nothing: its difference stays empty.
        if (GridGoods->Cells(colQuantity, row).trimmed().isEmpty() &&
            GridGoods->Cells(colDiscPrice, row).trimmed().isEmpty() &&
            GridGoods->Cells(colValue, row).trimmed().isEmpty())
            continue;
        RecalculateTriple(row, -1);
    }
    CalculateTotals();
}

// ---------------------------------------------------------------- save

void TfrmInvoice::PrepareLines()
{
    if (GridGoods->EditorMode())
        GridGoods->SetEditorMode(false);
    if (Mode == 0)
        RecalculateLines();
    else
        RecalculateDifferences();
}

bool TfrmInvoice::CanSave()
{
    if (!TSalesDocumentForm::CanSave())
        return false;
    PrepareLines();
    QString text = NumberProblem() + CustomerAndSiteProblems();
    // The payment and the kind must be codes of their pickers' lists.
    if (ListedCode(leType_of_payment) == 0)
        text += LoadResString(rsChoosePayment) + kLineBreak;
    // A kind not offered has no sign rule of its own.
    const int kind = ListedCode(leDocType);
    if (kind == 0)
        text += LoadResString(rsChooseDocType) + kLineBreak;
    if (FTotalWithoutVat == 0)
        text += QStringLiteral("Не можете да запишете документ с нулева стойност.") + kLineBreak;
    if (Mode == 1 && edInvoiceNo->text().trimmed().isEmpty())
        text += LoadResString(rsNoticeWithoutInvoice) + kLineBreak;
    if ((kind == 1 || kind == 2 || kind == 4 || kind == 5) && FTotalWithoutVat < 0)
        text += LoadResString(rsTotalMustBePositive) + kLineBreak;
    if ((kind == 3 || kind == 6) && FTotalWithoutVat > 0)
        text += LoadResString(rsTotalMustBeNegative) + kLineBreak;
    if (text.isEmpty())
        return true;
    ShowError(text);
    return false;
}

void TfrmInvoice::AddStatements(TDocumentSave &save)
{
    const int docDay = DateToDayNumber(DisplayDateToDate(panelDateOfDoc->text()));
    const int site = StrToIntOrZero(leObject->text());
    const long double total = FTotalWithoutVat;
    const long double vat = FVatAmount;
    const int paid = cb_Is_paid->isChecked() ? 1 : 0;
    const int paidDay = paid ? DateToDayNumber(dtp_Paid_on->date()) : 0;
    const int payment = StrToIntOrZero(leType_of_payment->text());
    const int kind = StrToIntOrZero(leDocType->text());
    const long double referred = Mode == 1 ? DotStrToFloat(edInvoiceNo->text()) : 0;
    const long double rate = FVatRate;
    // The rate is written with six decimals, so that no rate is cut to two.
    save.Add(
        [=](long double n) {
            return Format(QStringLiteral("INSERT INTO Invoices Values ( %f, %d, %d, %f, %f, %d, %d, %d, %d, %f , %.*f )"),
                          {n, docDay, site, total, vat, paid, paidDay, payment, kind, referred, 6, rate});
        },
        QStringLiteral("Грешка при актуализиране на Invoices."));

    auto addLine = [&](int line, int codeRow, int valueRow, bool notice) {
        const long double code = StrToIntOrZero(GridGoods->Cells(colCode, codeRow));
        const long double quantity = DotStrToFloat(GridGoods->Cells(colQuantity, valueRow));
        const long double discPrice = DotStrToFloat(GridGoods->Cells(colDiscPrice, valueRow));
        const long double price = notice ? discPrice : DotStrToFloat(GridGoods->Cells(colPrice, valueRow));
        const long double percent = notice ? 0 : DotStrToFloat(GridGoods->Cells(colPercent, valueRow));
        const long double value = DotStrToFloat(GridGoods->Cells(colValue, valueRow));
        if (value == 0)
            return;
        save.Add(
            [=](long double n) {
                return Format(QString::fromUtf8(sqlInsertInvoices_rows),
                              {n, code, ::QuantityPrecision, quantity, ::PricePrecision, price, percent,
                               ::PricePrecision, discPrice, ::AmountPrecision, value});
            },
            Format(QStringLiteral("Грешка при актуализиране на Invoices_rows на ред %d."), {line}));
    };
    if (Mode == 0) {
        int line = 0;
        for (int row = kFixedRows; row < GridGoods->RowCount(); ++row)
            if (!GridGoods->Cells(colCode, row).trimmed().isEmpty())
                addLine(++line, row, row, false);
    } else {
        int line = 0;
        for (int row = kFixedRows; row + 2 < GridGoods->RowCount(); row += 3) {
            if (GridGoods->Cells(colCode, row).trimmed().isEmpty())
                break;
            addLine(++line, row, row + 2, true);
        }
    }
}

// ---------------------------------------------------------------- opening

TfrmInvoice *OpenInvoiceWindow() { return FindSalesWindow(g_OpenForm); }

namespace {

bool OpenInvoiceForm(unsigned char Mode, bool New, long double Number)
{
    return TSalesDocumentForm::OpenWindow(
        OpenInvoiceWindow(),
        [Mode] {
            g_OpenForm = CreateQuorendForm<TfrmInvoice>(MainFormWidget(), fsMDIChild);
            g_OpenForm->Mode = Mode;
            return g_OpenForm.data();
        },
        New, Number);
}

const bool registered = RegisterFormEntry(QStringLiteral("NewInvoice"), [](QWidget *, const TFormParams &Params) {
    NewInvoice(static_cast<unsigned char>(Params.Mode));
});

} // namespace

bool NewInvoice(unsigned char Mode) { return OpenInvoiceForm(Mode, true, 0); }

bool OpenInvoice(unsigned char Mode, long double Number) { return OpenInvoiceForm(Mode, false, Number); }
