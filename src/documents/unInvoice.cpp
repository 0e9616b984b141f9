#include "documents/unInvoice.h"

#include "components/FloatEdit.h"
#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/unSchema.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/DocumentFormParts.h"
#include "documents/unPrint_Invoice.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"
#include "platform/Exception.h"
#include "platform/ui/Colors.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTabWidget>
#include <cmath>

namespace {

const QString kFormName = QStringLiteral("frmInvoice");
const QString kRegCustomer = QStringLiteral("frmInvoice_leCustomer_Text");
const QString kRegObject = QStringLiteral("frmInvoice_leObject_Text");
const QString kRegPayment = QStringLiteral("frmInvoice_leType_of_payment_Text");
const QString kRegDocType = QStringLiteral("frmInvoice_leDocType_Text");
const QString kRegIzdelie = QStringLiteral("frmInvoice_leIzdelie_Text");
const QString kLineBreak = QStringLiteral("\n\r");

// Grid columns.
enum { colNo, colCode, colName, colUnit, colStore, colQuantity, colPrice, colPercent, colDiscPrice, colValue };
constexpr int kColCount = 10;
constexpr int kFixedRows = 2;

QPointer<TfrmInvoice> g_OpenForm;

using namespace docparts;

QString Pad10(long double Number) { return InvoiceNumberText(Number); }

// The product's name and unit; "" when the look-up fails or finds none.
QString ProductName(QObject *Owner, int Code)
{
    QString name;
    try {
        GetProductName(Owner, DbConnection, Code, name);
    } catch (const std::exception &) {
        name.clear();
    }
    return name;
}

QString ProductUnit(QObject *Owner, int Code)
{
    QString unit;
    try {
        GetProductUnit(Owner, DbConnection, Code, unit);
    } catch (const std::exception &) {
        unit.clear();
    }
    return unit;
}

void ShowDatabaseError(const Exception &e, const QString &Sql = QString())
{
    ShowError(LoadResString(rsDatabaseError) + kLineBreak + e.Message() + (Sql.isEmpty() ? QString() : kLineBreak + Sql));
}

// The kinds of documents each mode offers.
QStringList KindsOfMode(int Mode)
{
    return Mode == 0 ? QStringList{QStringLiteral("1"), QStringLiteral("4")}
                     : QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("6")};
}

} // namespace

// ---------------------------------------------------------------- creation

TfrmInvoice::TfrmInvoice(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendForm(AOwner, AFormStyle)
{
    setObjectName(kFormName);
    BuildControls();
    actSave->setEnabled(true);
    actEdit->setEnabled(true);
    actNew->setEnabled(true);
    actDelete->setEnabled(true);
    actPrint->setEnabled(true);
}

TfrmInvoice::~TfrmInvoice() = default;

void TfrmInvoice::BuildControls()
{
    auto *numberBar = new QWidget(ClientArea);
    auto *bar = new QHBoxLayout(numberBar);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->addWidget(new QLabel(QStringLiteral("N:"), numberBar));
    pnlDocNo = Panel(numberBar, QStringLiteral("pnlDocNo"));
    pnlDocNo->setText(QStringLiteral("0000000000"));
    bar->addWidget(pnlDocNo);
    bar->addWidget(new QLabel(QStringLiteral("/"), numberBar));
    panelDateOfDoc = Panel(numberBar, QStringLiteral("panelDateOfDoc"));
    bar->addWidget(panelDateOfDoc);
    bar->addStretch(1);
    ClientLayout->addWidget(numberBar);

    pcMain = new QTabWidget(ClientArea);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    ClientLayout->addWidget(pcMain, 1);

    // Customer, site, kind of document and the referred invoice.
    tabCustomer = new QWidget(pcMain);
    tabCustomer->setObjectName(QStringLiteral("tabCustomer"));
    auto *customer = new QGridLayout(tabCustomer);
    leCustomer = CodeEdit(tabCustomer, QStringLiteral("leCustomer"));
    panelCustomer = Panel(tabCustomer, QStringLiteral("panelCustomer"));
    leObject = CodeEdit(tabCustomer, QStringLiteral("leObject"));
    PanelObject = Panel(tabCustomer, QStringLiteral("PanelObject"));
    leDocType = CodeEdit(tabCustomer, QStringLiteral("leDocType"));
    panelDocType = Panel(tabCustomer, QStringLiteral("panelDocType"));
    lblForInvoice = new QLabel(QStringLiteral("По фактура:"), tabCustomer);
    lblForInvoice->setObjectName(QStringLiteral("lblForInvoice"));
    edInvoiceNo = CodeEdit(tabCustomer, QStringLiteral("edInvoiceNo"));
    edInvoiceNo->setMaximumWidth(130);
    customer->addWidget(new QLabel(QStringLiteral("Клиент:"), tabCustomer), 0, 0);
    customer->addWidget(leCustomer, 0, 1);
    customer->addWidget(panelCustomer, 0, 2);
    customer->addWidget(new QLabel(QStringLiteral("Обект:"), tabCustomer), 1, 0);
    customer->addWidget(leObject, 1, 1);
    customer->addWidget(PanelObject, 1, 2);
    customer->addWidget(new QLabel(QStringLiteral("Вид документ:"), tabCustomer), 2, 0);
    customer->addWidget(leDocType, 2, 1);
    customer->addWidget(panelDocType, 2, 2);
    customer->addWidget(lblForInvoice, 3, 0);
    customer->addWidget(edInvoiceNo, 3, 1);
    customer->setColumnStretch(2, 1);
    customer->setRowStretch(4, 1);
    pcMain->addTab(tabCustomer, QStringLiteral("Клиент"));

    // Goods: the line editors over the grid.
    tabGoods = new QWidget(pcMain);
    tabGoods->setObjectName(QStringLiteral("tabGoods"));
    auto *goods = new QVBoxLayout(tabGoods);
    pnlLineEditors = new QWidget(tabGoods);
    pnlLineEditors->setObjectName(QStringLiteral("pnlLineEditors"));
    auto *editors = new QGridLayout(pnlLineEditors);
    editors->setContentsMargins(0, 0, 0, 0);
    QWidget *p = pnlLineEditors;
    leIzdelie = CodeEdit(p, QStringLiteral("leIzdelie"));
    panel_Izdelie = Panel(p, QStringLiteral("panel_Izdelie"));
    edAmount = NumberEdit(p, QStringLiteral("edAmount"), 3);
    labMeasure = new QLabel(p);
    labMeasure->setObjectName(QStringLiteral("labMeasure"));
    edPrice = NumberEdit(p, QStringLiteral("edPrice"), 4);
    cbDiscount = new QCheckBox(QStringLiteral("TO"), p);
    cbDiscount->setObjectName(QStringLiteral("cbDiscount"));
    cbOverValue = new QCheckBox(QStringLiteral("ТН"), p);
    cbOverValue->setObjectName(QStringLiteral("cbOverValue"));
    edDiscountPerc = NumberEdit(p, QStringLiteral("edDiscountPerc"), 2);
    edDiscountedPriceLeva = NumberEdit(p, QStringLiteral("edDiscountedPriceLeva"), 4);
    edDiscountedPriceLeva->setReadOnly(true);
    edValue = NumberEdit(p, QStringLiteral("edValue"), 2);
    edValue->setReadOnly(true);
    editors->addWidget(new QLabel(QStringLiteral("Изделие:"), p), 0, 0);
    editors->addWidget(leIzdelie, 0, 1);
    editors->addWidget(panel_Izdelie, 0, 2, 1, 8);
    editors->addWidget(new QLabel(QStringLiteral("Количество:"), p), 1, 0);
    editors->addWidget(edAmount, 1, 1);
    editors->addWidget(labMeasure, 1, 2);
    editors->addWidget(new QLabel(QStringLiteral("Цена без ДДС:"), p), 1, 3);
    editors->addWidget(edPrice, 1, 4);
    editors->addWidget(cbDiscount, 1, 5);
    editors->addWidget(cbOverValue, 1, 6);
    editors->addWidget(new QLabel(QStringLiteral("Процент:"), p), 1, 7);
    editors->addWidget(edDiscountPerc, 1, 8);
    editors->addWidget(new QLabel(QStringLiteral("Цена с ТО/ТН:"), p), 2, 0);
    editors->addWidget(edDiscountedPriceLeva, 2, 1);
    editors->addWidget(new QLabel(QStringLiteral("Стойност:"), p), 2, 3);
    editors->addWidget(edValue, 2, 4);
    editors->setColumnStretch(9, 1);
    goods->addWidget(pnlLineEditors);

    GridGoods = new TRichGrid(tabGoods);
    GridGoods->setObjectName(QStringLiteral("GridGoods"));
    GridGoods->SetColCount(kColCount);
    GridGoods->SetRowCount(kFixedRows + 1);
    GridGoods->SetFixedRows(kFixedRows);
    GridGoods->SetFixedCols(3);
    goods->addWidget(GridGoods, 1);
    labTotal = new QLabel(tabGoods);
    labTotal->setObjectName(QStringLiteral("labTotal"));
    QFont bold = labTotal->font();
    bold.setBold(true);
    labTotal->setFont(bold);
    labTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    goods->addWidget(labTotal);
    pcMain->addTab(tabGoods, QStringLiteral("Стоки"));

    // Payment.
    tabPayment = new QWidget(pcMain);
    tabPayment->setObjectName(QStringLiteral("tabPayment"));
    auto *payment = new QGridLayout(tabPayment);
    leType_of_payment = CodeEdit(tabPayment, QStringLiteral("leType_of_payment"));
    panelType_of_payment = Panel(tabPayment, QStringLiteral("panelType_of_payment"));
    cb_Is_paid = new QCheckBox(tabPayment);
    cb_Is_paid->setObjectName(QStringLiteral("cb_Is_paid"));
    dtp_Paid_on = new QDateEdit(tabPayment);
    dtp_Paid_on->setObjectName(QStringLiteral("dtp_Paid_on"));
    dtp_Paid_on->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtp_Paid_on->setCalendarPopup(true);
    payment->addWidget(new QLabel(QStringLiteral("Начин на плащане:"), tabPayment), 0, 0);
    payment->addWidget(leType_of_payment, 0, 1);
    payment->addWidget(panelType_of_payment, 0, 2);
    payment->addWidget(cb_Is_paid, 1, 0);
    payment->addWidget(new QLabel(QStringLiteral("Документът е платен на дата:"), tabPayment), 1, 1);
    payment->addWidget(dtp_Paid_on, 1, 2);
    payment->setColumnStretch(3, 1);
    payment->setRowStretch(2, 1);
    pcMain->addTab(tabPayment, QStringLiteral("Плащане"));

    const std::pair<TListEdit *, QLabel *> described[] = {{leCustomer, panelCustomer},
                                                         {leObject, PanelObject},
                                                         {leDocType, panelDocType},
                                                         {leIzdelie, panel_Izdelie},
                                                         {leType_of_payment, panelType_of_payment}};
    for (const auto &[edit, panel] : described) {
        edit->SetDescrControl(panel);
        edit->SetDescrColumn(1);
    }
    connect(leCustomer, &QLineEdit::textChanged, this, [this] { leCustomerChange(); });
    connect(leCustomer, &QLineEdit::editingFinished, this, [this] {
        if (Mode == 1)
            LoadReferenceList();
    });
    connect(leDocType, &QLineEdit::textChanged, this, [this] { leDocTypeChange(); });
    connect(leIzdelie, &QLineEdit::textChanged, this, [this] { leIzdelieChange(); });
    connect(leIzdelie, &TCustomListEdit::Picked, this, [this] { leIzdelieChange(); });
    connect(edInvoiceNo, &TCustomListEdit::Picked, this, [this] { edInvoiceNoFormOk(); });
    connect(cbDiscount, &QCheckBox::clicked, this, [this] { cbDiscountClick(); });
    connect(cbOverValue, &QCheckBox::clicked, this, [this] { cbOverValueClick(); });
    connect(cb_Is_paid, &QCheckBox::clicked, this, [this] { cb_Is_paidClick(); });
    edDiscountPerc->OnChange = [this](QObject *) { edDiscountPercChange(); };
    edAmount->OnChange = [this](QObject *) { RecalculateValue(); };
    edPrice->OnChange = [this](QObject *) { RecalculateValue(); };
    GridGoods->OnDblClick = [this](QObject *) {
        if (Mode == 0)
            actEditExecute();
    };
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

// ---------------------------------------------------------------- helpers

void TfrmInvoice::SetEditText(QLineEdit *Edit, const QString &Text)
{
    if (Edit->text() == Text) {
        emit Edit->textChanged(Text);
        return;
    }
    Edit->setText(Text);
}

void TfrmInvoice::SetCaptionColor(unsigned Color)
{
    QPalette p = pnlCaption->palette();
    p.setColor(QPalette::WindowText, platform::ToQColor(TColor(Color)));
    pnlCaption->setPalette(p);
}

long double TfrmInvoice::DocumentNumber() const { return DotStrToFloat(pnlDocNo->text()); }

void TfrmInvoice::SetDocNumber(long double Number) { pnlDocNo->setText(Pad10(Number)); }

int TfrmInvoice::DataLineCount() const { return GridGoods->RowCount() - kFixedRows; }

long double TfrmInvoice::AdjustedPrice(long double Price, long double Percent, bool Discount, bool Markup)
{
    if (Percent < 0 || Percent >= 100 || (!Discount && !Markup))
        return Price;
    const long double factor = Discount ? (100 - Percent) : (100 + Percent);
    return RoundFloat(::PricePrecision, Price * factor / 100);
}

long double TfrmInvoice::CounterProposal()
{
    TDelimitedStringList counter;
    SelectToList(this, DbConnection,
                 Format(QStringLiteral("SELECT Value_nas FROM Nas WHERE ( ( IP_Address = \"%s\" ) AND ( n_nas = 2 ) )"),
                        {SqlEscape(GetLocalIPAddress())}),
                 counter);
    QString first;
    if (counter.Count() > 0)
        GetPiece(counter.Strings(0), counter.FieldDelimiter(), 0, first);
    return DotStrToFloat(first) + 1;
}

// ---------------------------------------------------------------- hooks

bool TfrmInvoice::InitForm()
{
    if (!TQuorendForm::InitForm())
        return false;
    SetFreeOnClose(true);
    setWindowTitle(QString());
    FByInvoice.clear();
    labMeasure->clear();
    FVatRate = 0;

    const QStringList row0 = {QStringLiteral("N:"), QStringLiteral("Артикул"), QString(), QString(), QString(),
                              QStringLiteral("Количество"), QStringLiteral("Цена"), QStringLiteral("%"),
                              QStringLiteral("Цена"), QStringLiteral("Стойност")};
    const QStringList row1 = {QString(), QStringLiteral("Шифър"), QStringLiteral("Наименование"),
                              QStringLiteral("Мярка"), QString(), QString(), QStringLiteral("без ТО/ТН"),
                              QStringLiteral("ТО/ТН"), QStringLiteral("с ТО/ТН"), QStringLiteral("без ДДС")};
    GridGoods->SetRows(0, row0);
    GridGoods->SetRows(1, row1);
    GridGoods->MergeCells(colNo, 0, colNo, 1);
    GridGoods->MergeCells(colCode, 0, colUnit, 0);
    GridGoods->MergeCells(colQuantity, 0, colQuantity, 1);
    GridGoods->GetColAttributes(colName)->SetAlignment(TCellAlignment{caLeft});
    HideColumn(*GridGoods, colStore);
    GridGoods->GetColAttributes(colQuantity)->SetFormatter(AmountFormatter);
    GridGoods->GetColAttributes(colPrice)->SetFormatter(PriceFormatter);
    GridGoods->GetColAttributes(colPercent)->SetFormatter(ValueFormatter);
    GridGoods->GetColAttributes(colDiscPrice)->SetFormatter(PriceFormatter);
    GridGoods->GetColAttributes(colValue)->SetFormatter(ValueFormatter);
    GridGoods->SetColWidths(colName, 260);

    FTotalWithoutVat = 0;
    FVatAmount = 0;
    FPriceList = 1;
    FSavingForPrint = false;
    FLineInEdit = false;
    FRecalculating = false;
    pcMain->setCurrentWidget(tabCustomer);
    dtp_Paid_on->setEnabled(false);
    Colour(dtp_Paid_on, clBtnFace);
    dtp_Paid_on->setDate(QDate::currentDate());
    SavedRows.Clear();
    ApplyDiscountSwitches();

    // A failed query ends the initialisation at its step.
    try {
        SelectToList(this, DbConnection, QStringLiteral("SELECT code_c, name_c FROM CustGroups ORDER BY name_c"),
                     FCustomers);
        SetupListEdit(leCustomer, LoadResString(rsCodeNameCaptions), &FCustomers);
        SetEditText(leCustomer, RegistryText(kRegCustomer));
        SetDocNumber(CounterProposal());
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
        SetEditText(leType_of_payment, RegistryText(kRegPayment));
    } catch (const Exception &e) {
        ShowDatabaseError(e);
    }
    CalculateTotals();
    SetModified(false);
    return true;
}

bool TfrmInvoice::FormDone()
{
    SetRegistrySetting(kRegCustomer, leCustomer->text());
    SetRegistrySetting(kRegObject, leObject->text());
    SetRegistrySetting(kRegPayment, leType_of_payment->text());
    SetRegistrySetting(kRegDocType, leDocType->text());
    SetRegistrySetting(kRegIzdelie, leIzdelie->text());
    return TQuorendForm::FormDone();
}

bool TfrmInvoice::BeforeShow()
{
    if (!TQuorendForm::BeforeShow())
        return false;
    SetCloseAfterSave(!IsNew);
    setWindowTitle(LoadResString(Mode == 0 ? rsInvoice : rsNotice));
    QString upper;
    UpperCaseChars(windowTitle(), upper);
    pnlCaption->setText(upper);

    // The kinds this mode offers.
    TDelimitedStringList all;
    try {
        SelectToList(this, DbConnection, QStringLiteral("SELECT code_fvd, name_fvd FROM fvd"), all);
    } catch (const Exception &e) {
        ShowDatabaseError(e);
        return true;
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
        leDocType->setText(RegistryText(kRegDocType));
    }
    panelDocType->setText(RowOfCode(FKinds, leDocType->text().trimmed()) >= 0
                              ? FieldOf(FKinds, RowOfCode(FKinds, leDocType->text().trimmed()), 1)
                              : QString());

    if (IsNew) {
        panelDateOfDoc->setText(DateToDisplayText(QDate::currentDate()));
        bool found = false;
        if (InvoiceExists(this, found, DocumentNumber()) && found)
            ShowError(LoadResString(rsDocumentExists), {pnlDocNo->text()});
    } else {
        QPalette red = pnlDocNo->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        pnlDocNo->setPalette(red);
        panelDateOfDoc->setPalette(red);
        if (!LoadDocument())
            return true;
    }
    if (Mode == 1) {
        SetupNoticeMode();
        if (!IsNew) {
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
    } else {
        lblForInvoice->hide();
        edInvoiceNo->hide();
    }
    SetModified(false);
    return true;
}

bool TfrmInvoice::LoadDocument()
{
    TDelimitedStringList header;
    TDelimitedStringList rows;
    if (!LoadInvoice(this, header, rows, DocumentNumber()))
        return false;
    auto item = [&](int i) { return i < header.Count() ? header.Strings(i) : QString(); };
    panelDateOfDoc->setText(item(1));
    const int site = StrToIntOrZero(item(2));
    try {
        TDelimitedStringList customer;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("SELECT CustGroups.code_c FROM CustGroups LEFT JOIN Obekti ON "
                                           "CustGroups.code_c = Obekti.code_of_CustGroup WHERE ( "
                                           "Obekti.code_of_object = %d )"),
                            {site}),
                     customer);
        QString code;
        if (customer.Count() > 0)
            GetPiece(customer.Strings(0), customer.FieldDelimiter(), 0, code);
        SetEditText(leCustomer, code);
    } catch (const Exception &e) {
        ShowDatabaseError(e);
        return false;
    }
    SetEditText(leObject, item(2));
    cb_Is_paid->setChecked(item(5) == QLatin1String("True"));
    if (cb_Is_paid->isChecked()) {
        const QDate paid = DisplayDateToDate(item(6));
        if (paid.isValid())
            dtp_Paid_on->setDate(paid);
    }
    cb_Is_paidClick();
    SetEditText(leType_of_payment, item(7));
    SetEditText(leDocType, item(8));
    FByInvoice = item(9);
    FVatRate = DotStrToFloat(item(10));

    SavedRows.Clear();
    for (int i = 0; i < rows.Count(); ++i) {
        const int code = StrToIntOrZero(FieldOf(rows, i, 1));
        QStringList fields = {QString::number(i + 1), FieldOf(rows, i, 1), ProductName(this, code),
                              ProductUnit(this, code), QString()};
        for (int f = 2; f <= 6; ++f)
            fields << FieldOf(rows, i, f);
        SavedRows.Add(fields.join(QLatin1Char('@')));
    }
    if (Mode == 0 && SavedRows.Count() > 0)
        FillGridFromDelimitedStrings(*GridGoods, SavedRows, true);
    CalculateTotals();
    return true;
}

void TfrmInvoice::UpdateActions()
{
    // The window's actions keep the states it gives them.
}

// ---------------------------------------------------------------- customer, kind, products

void TfrmInvoice::leCustomerChange()
{
    const int customer = StrToIntOrZero(leCustomer->text());
    try {
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("SELECT code_of_object, name_o FROM Obekti WHERE ( code_of_CustGroup = %d ) "
                                           "ORDER BY name_o"),
                            {customer}),
                     FObjects);
        SetupListEdit(leObject, LoadResString(rsCodeNameCaptions), &FObjects);
        SetEditText(leObject, FObjects.Count() > 0 ? FieldOf(FObjects, 0, 0) : QString());
        TDelimitedStringList prefs;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("Select Pref_code FROM CustGroups WHERE ( code_c = %d )"), {customer}), prefs);
        QString pref;
        if (prefs.Count() > 0)
            GetPiece(prefs.Strings(0), prefs.FieldDelimiter(), 0, pref);
        FPriceList = StrToIntOrZero(pref);
    } catch (const Exception &e) {
        ShowDatabaseError(e);
        return;
    }
    LoadProductList();
    edPrice->SetValue(0);
}

void TfrmInvoice::leDocTypeChange()
{
    if (Mode == 1)
        LoadReferenceList();
}

void TfrmInvoice::LoadProductList()
{
    if (FPriceList <= 0 || FPriceList > 5)
        FPriceList = 1;
    // The rate with six decimals: a rate of 7.5 % must not become 8 %.
    const QString sql =
        Format(QStringLiteral("SELECT Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka, Izdelia.price_%d/( 1 + %.*f ) "
                              "as Price_wo_VAT FROM Merki LEFT JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka Where "
                              "Izdelia.code_izd <> 0 ORDER BY name_izd"),
               {FPriceList, 6, FVatRate});
    try {
        SelectToList(this, DbConnection, sql, FProducts);
    } catch (const Exception &e) {
        ShowDatabaseError(e, sql);
        return;
    }
    SetupListEdit(leIzdelie, LoadResString(rsCodeNameCaptions) + QStringLiteral("@Мярка@Цена"), &FProducts);
    if (TListForm *list = leIzdelie->Form())
        list->Grid()->GetColAttributes(3)->SetFormatter(PriceFormatter);
    const QString remembered = RegistryText(kRegIzdelie);
    SetEditText(leIzdelie, remembered.isEmpty() ? leIzdelie->text() : remembered);
}

void TfrmInvoice::leIzdelieChange()
{
    const int row = RowOfCode(FProducts, leIzdelie->text().trimmed());
    labMeasure->setText(row < 0 ? QString() : FieldOf(FProducts, row, 2));
    edPrice->SetValue(row < 0 ? 0 : RoundFloat(::PricePrecision, DotStrToFloat(FieldOf(FProducts, row, 3))));
    RecalculateValue();
}

// ---------------------------------------------------------------- discount and value

void TfrmInvoice::ApplyDiscountSwitches()
{
    const bool on = cbDiscount->isChecked() || cbOverValue->isChecked();
    edDiscountPerc->setEnabled(on);
    Colour(edDiscountPerc, on ? clWindow : cl3DLight);
    if (!on)
        edDiscountPerc->SetValue(0);
    edDiscountPercChange();
}

void TfrmInvoice::cbDiscountClick()
{
    if (cbDiscount->isChecked()) {
        const bool was = FRecalculating;
        FRecalculating = true;
        cbOverValue->setChecked(false);
        FRecalculating = was;
    }
    ApplyDiscountSwitches();
}

void TfrmInvoice::cbOverValueClick()
{
    if (cbOverValue->isChecked()) {
        const bool was = FRecalculating;
        FRecalculating = true;
        cbDiscount->setChecked(false);
        FRecalculating = was;
    }
    ApplyDiscountSwitches();
}

void TfrmInvoice::edDiscountPercChange() { RecalculateValue(); }

void TfrmInvoice::RecalculateValue()
{
    if (FRecalculating)
        return;
    FRecalculating = true;
    const long double price = AdjustedPrice(edPrice->Value(), edDiscountPerc->Value(), cbDiscount->isChecked(),
                                            cbOverValue->isChecked());
    edDiscountedPriceLeva->SetValue(price);
    edValue->SetValue(RoundFloat(::AmountPrecision, edAmount->Value() * price));
    FRecalculating = false;
}

void TfrmInvoice::cb_Is_paidClick()
{
    const bool paid = cb_Is_paid->isChecked();
    dtp_Paid_on->setEnabled(paid);
    Colour(dtp_Paid_on, paid ? clWindow : clBtnFace);
}

// ---------------------------------------------------------------- totals

void TfrmInvoice::CalculateTotals()
{
    long double total = 0;
    if (Mode == 0) {
        int n = 0;
        for (int row = kFixedRows; row < GridGoods->RowCount(); ++row) {
            if (GridGoods->Cells(colCode, row).trimmed().isEmpty() && DataLineCount() == 1) {
                GridGoods->SetCells(colNo, row, QString());
                continue;
            }
            GridGoods->SetCells(colNo, row, QString::number(++n));
            total += DotStrToFloat(GridGoods->Cells(colValue, row));
        }
    } else {
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
    }
    FTotalWithoutVat = RoundFloat(::AmountPrecision, total);
    FVatAmount = RoundFloat(::AmountPrecision, FTotalWithoutVat * FVatRate);
    labTotal->setText(Format(QStringLiteral("Общо с ДДС: %10.*n лв."), {2, FTotalWithoutVat + FVatAmount}));
}

// ---------------------------------------------------------------- lines of an invoice

bool TfrmInvoice::LineValidation()
{
    QString text;
    const QString code = leIzdelie->text().trimmed();
    if (!code.isEmpty())
        for (int row = kFixedRows; row < GridGoods->RowCount(); ++row)
            if (GridGoods->Cells(colCode, row) == code)
                text += Format(LoadResString(rsProductAlreadyOrdered), {code}) + kLineBreak;
    if (code.isEmpty())
        text += QStringLiteral(" Въведете артикул!") + kLineBreak;
    if (labMeasure->text().isEmpty() && !code.isEmpty())
        text += LoadResString(rsMissingUnit);
    if (edAmount->Value() == 0)
        text += QStringLiteral(" Въведете количество!\n\r");
    if (edPrice->Value() == 0)
        text += QStringLiteral(" Въведете продажна цена!\n\r");
    if (text.isEmpty())
        return true;
    ShowError(text);
    return false;
}

bool TfrmInvoice::DoNew()
{
    if (Mode != 0)
        return false;
    RecalculateValue();
    if (!LineValidation())
        return false;
    int row;
    if (DataLineCount() == 1 && GridGoods->Cells(colCode, kFixedRows).trimmed().isEmpty()) {
        row = kFixedRows;
    } else {
        row = GridGoods->RowCount();
        GridGoods->SetRowCount(row + 1);
    }
    GridGoods->SetRow(row);
    GridGoods->ClearRowsAttributes(row, row, 7);
    GridGoods->SetCells(colCode, row, leIzdelie->text().trimmed());
    GridGoods->SetCells(colName, row, panel_Izdelie->text());
    GridGoods->SetCells(colUnit, row, labMeasure->text());
    GridGoods->SetCells(colStore, row, QString());
    GridGoods->SetCells(colQuantity, row, FixedText(::QuantityPrecision, edAmount->Value()));
    GridGoods->SetCells(colPrice, row, FixedText(::PricePrecision, edPrice->Value()));
    const QString percent = FixedText(::AmountPrecision, edDiscountPerc->Value());
    GridGoods->SetCells(colPercent, row,
                        cbDiscount->isChecked()    ? QStringLiteral("-") + percent
                        : cbOverValue->isChecked() ? QStringLiteral("+") + percent
                                                   : QString());
    GridGoods->SetCells(colDiscPrice, row, FixedText(::PricePrecision, edDiscountedPriceLeva->Value()));
    GridGoods->SetCells(colValue, row, FixedText(::AmountPrecision, edValue->Value()));
    CalculateTotals();
    edAmount->SetValue(0);
    leIzdelie->setFocus();
    FLineInEdit = false;
    SetCaptionColor(0xF4C666);
    SetModified(true);
    return true;
}

bool TfrmInvoice::DoEdit()
{
    if (Mode != 0)
        return false;
    if (FLineInEdit) {
        ShowError(LoadResString(rsOneRowInEdit));
        return false;
    }
    if (pcMain->currentWidget() != tabGoods)
        return false;
    const int row = GridGoods->Row();
    if (row < kFixedRows || StrToIntOrZero(GridGoods->Cells(colNo, row)) == 0)
        return false;
    FLineInEdit = true;
    SetCaptionColor(clRed);
    cbDiscount->setChecked(false);
    cbOverValue->setChecked(false);
    edDiscountPerc->SetValue(0);
    ApplyDiscountSwitches();
    LoadProductList();
    SetEditText(leIzdelie, GridGoods->Cells(colCode, row));
    edAmount->SetValue(DotStrToFloat(GridGoods->Cells(colQuantity, row)));
    edPrice->SetValue(DotStrToFloat(GridGoods->Cells(colPrice, row)));
    const long double percent = DotStrToFloat(GridGoods->Cells(colPercent, row));
    if (percent != 0) {
        (percent < 0 ? cbDiscount : cbOverValue)->setChecked(true);
        ApplyDiscountSwitches();
        edDiscountPerc->SetValue(std::fabs(percent));
        edDiscountPercChange();
    }
    GridGoods->ClearRowsAttributes(row, row, 7);
    if (DataLineCount() > 1)
        DeleteGridRow(*GridGoods, row);
    else
        ClearGrid(*GridGoods, 0);
    CalculateTotals();
    SetModified(true);
    return true;
}

bool TfrmInvoice::DoDelete()
{
    if (Mode != 0 || pcMain->currentWidget() != tabGoods)
        return false;
    const int row = GridGoods->Row();
    if (row < kFixedRows || StrToIntOrZero(GridGoods->Cells(colNo, row)) == 0)
        return false;
    if (AskYesNoCancel(QStringLiteral("Желаете ли да изтриете този ред ?")) != mrYes)
        return false;
    GridGoods->ClearRowsAttributes(row, row, 7);
    if (DataLineCount() > 1)
        DeleteGridRow(*GridGoods, row);
    else
        ClearGrid(*GridGoods, 0);
    CalculateTotals();
    SetModified(true);
    return true;
}

void TfrmInvoice::RecalculateLines()
{
    for (int row = kFixedRows; row < GridGoods->RowCount(); ++row) {
        if (GridGoods->Cells(colCode, row).trimmed().isEmpty())
            continue;
        const QString percentText = GridGoods->Cells(colPercent, row).trimmed();
        const long double percent = std::fabs(DotStrToFloat(percentText));
        const bool discount = percentText.startsWith(QLatin1Char('-'));
        const bool markup = percentText.startsWith(QLatin1Char('+'));
        const long double price =
            AdjustedPrice(DotStrToFloat(GridGoods->Cells(colPrice, row)), percent, discount, markup);
        const long double quantity = DotStrToFloat(GridGoods->Cells(colQuantity, row));
        GridGoods->SetCells(colDiscPrice, row, FixedText(::PricePrecision, price));
        GridGoods->SetCells(colValue, row, FixedText(::AmountPrecision, RoundFloat(::AmountPrecision, quantity * price)));
    }
    CalculateTotals();
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

QStringList TfrmInvoice::TriplesOf(const TDelimitedStrings &Rows) const
{
    QStringList records;
    const QString empty(kColCount - 1, QLatin1Char('@'));
    for (int i = 0; i < Rows.Count(); ++i) {
        const QString code = FieldOf(Rows, i, 1);
        const int product = StrToIntOrZero(code);
        QStringList fields = {QString::number(i + 1), code, ProductName(const_cast<TfrmInvoice *>(this), product),
                              ProductUnit(const_cast<TfrmInvoice *>(this), product), QString()};
        for (int f = 2; f <= 6; ++f)
            fields << FieldOf(Rows, i, f);
        records << fields.join(QLatin1Char('@'));
        QString added = empty;
        SetPiece(added, QLatin1Char('@'), colNo, LoadResString(rsNewLabel));
        SetPiece(added, QLatin1Char('@'), colCode, code);
        SetPiece(added, QLatin1Char('@'), colName, fields[colName]);
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
    TGridOptions options = GridGoods->Options();
    if (CellEditable(GridGoods->Col(), GridGoods->Row()))
        options = options + goEditing;
    else
        options = options - goEditing;
    GridGoods->SetOptions(options);
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
    GridGoods->SetCells(colDiscPrice, difference,
                        FixedText(::PricePrecision,
                                  quantity == 0 ? 0 : RoundFloat(::PricePrecision, cell(colValue, difference) / quantity)));
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

// ---------------------------------------------------------------- save and print

bool TfrmInvoice::CanSave()
{
    if (!TQuorendForm::CanSave())
        return false;
    if (GridGoods->EditorMode())
        GridGoods->SetEditorMode(false);
    if (Mode == 0)
        RecalculateLines();
    else
        RecalculateDifferences();
    if (IsNew) {
        // Another window of this workstation may have used the proposed
        // number meanwhile: the counter proposes it again.
        try {
            SetDocNumber(CounterProposal());
        } catch (const Exception &) {
            // The save reports the database's error itself.
        }
        bool found = false;
        if (InvoiceExists(this, found, DocumentNumber()) && found) {
            ShowError(LoadResString(rsDocumentExists), {pnlDocNo->text().trimmed()});
            return false;
        }
    }
    QString text;
    const QString number = pnlDocNo->text().trimmed();
    if (number.isEmpty() || number == QLatin1String("0000000000"))
        text += QStringLiteral("Въведете номер на документ.") + kLineBreak;
    if (leCustomer->text().trimmed().isEmpty())
        text += QStringLiteral("Въведете клиент.") + kLineBreak;
    if (leObject->text().trimmed().isEmpty())
        text += QStringLiteral("Въведете обект.") + kLineBreak;
    if (leType_of_payment->text().trimmed().isEmpty())
        text += LoadResString(rsChoosePayment) + kLineBreak;
    const int kind = StrToIntOrZero(leDocType->text());
    if (leDocType->text().trimmed().isEmpty())
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

bool TfrmInvoice::DoSave()
{
    if (GridGoods->EditorMode())
        GridGoods->SetEditorMode(false);
    if (Mode == 0)
        RecalculateLines();
    else
        RecalculateDifferences();
    TDocumentSave save(this);
    save.IsNew = IsNew;
    save.NumberText = Pad10;
    if (IsNew) {
        save.NumberFromCounter(NasInvoiceCounter, QString(), Pad10, QStringLiteral("Грешка при актуализиране на NAS."));
        save.ExistsQueries = {[](long double n) { return Format(QString::fromUtf8(sqlSelectInvoices), {n}); },
                              [](long double n) { return Format(QString::fromUtf8(sqlExistsInvoices_rows), {n}); }};
    } else {
        save.NumberGiven(DocumentNumber());
        save.AddReplacing([](long double n) { return Format(QString::fromUtf8(sqlDeleteInvoices_rows), {n}); });
        save.AddReplacing([](long double n) { return Format(QString::fromUtf8(sqlDeleteInvoices), {n}); });
    }
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
    if (!save.Run())
        return false;

    const long double proposed = DocumentNumber();
    FSavedNumber = save.Number();
    SetModified(false);
    if (IsNew && FSavedNumber != proposed)
        ShowWarning(Format(QStringLiteral("Документът е записан с номер %s."), {Pad10(FSavedNumber)}));
    if (!FSavingForPrint && AskOkCancel(LoadResString(rsPrintCreatedDocuments)) == mrOk)
        PrintInvoice(this, FSavedNumber);
    if (IsNew) {
        SetDocNumber(FSavedNumber + 1);
        ClearGrid(*GridGoods, 0);
        CalculateTotals();
        edAmount->SetValue(0);
    }
    SetCaptionColor(clWindowText);
    return true;
}

bool TfrmInvoice::Save()
{
    // An opened document's window closes after a successful save (the base
    // Save does it: SetCloseAfterSave at BeforeShow); a new one stays on the
    // next number.
    return TQuorendForm::Save();
}

bool TfrmInvoice::DoPrint()
{
    if (!TQuorendForm::DoPrint())
        return false;
    if (!CanSave() || DocumentNumber() == 0)
        return false;
    FSavingForPrint = true;
    bool saved = false;
    try {
        saved = DoSave();
    } catch (...) {
        FSavingForPrint = false;
        throw;
    }
    FSavingForPrint = false;
    if (!saved)
        return false;
    const bool printed = PrintInvoice(this, FSavedNumber);
    if (printed && !IsNew)
        QMetaObject::invokeMethod(this, [this] { Close(); }, Qt::QueuedConnection);
    return printed;
}

// ---------------------------------------------------------------- opening

TfrmInvoice *OpenInvoiceWindow()
{
    if (g_OpenForm)
        return g_OpenForm;
    if (QWidget *main = MainFormWidget())
        return main->findChild<TfrmInvoice *>(kFormName);
    return nullptr;
}

namespace {

bool OpenInvoiceForm(unsigned char Mode, bool New, long double Number)
{
    if (OpenInvoiceWindow()) {
        ShowError(LoadResString(rsOneNewDocumentOnly));
        return false;
    }
    QPointer<TfrmInvoice> form;
    try {
        form = CreateQuorendForm<TfrmInvoice>(MainFormWidget(), fsMDIChild);
        form->IsNew = New;
        form->Mode = Mode;
        if (!New)
            form->pnlDocNo->setText(Pad10(Number));
        g_OpenForm = form;
        if (!form->ShowForm())
            return false;
        if (Mode == 1) {
            // A notice's lines come from the referred invoice only.
            form->actEdit->setEnabled(false);
            form->actNew->setEnabled(false);
            form->actDelete->setEnabled(false);
        }
    } catch (const std::exception &e) {
        const QString message = dynamic_cast<const Exception *>(&e) ? static_cast<const Exception &>(e).Message()
                                                                    : QString::fromUtf8(e.what());
        ShowErrorBox(QStringLiteral(" DEBUG :\r\r") + message);
        if (form) {
            form->SetModified(false);
            QObject *window = form->SubWindow() ? static_cast<QObject *>(form->SubWindow()) : form.data();
            delete window;
        }
        return false;
    }
    if (QMdiSubWindow *sub = form->SubWindow())
        sub->showMaximized();
    else
        form->showMaximized();
    return true;
}

const bool registered = RegisterFormEntry(QStringLiteral("NewInvoice"), [](QWidget *, const TFormParams &Params) {
    NewInvoice(static_cast<unsigned char>(Params.Mode));
});

} // namespace

bool NewInvoice(unsigned char Mode) { return OpenInvoiceForm(Mode, true, 0); }

bool OpenInvoice(unsigned char Mode, long double Number) { return OpenInvoiceForm(Mode, false, Number); }
