#include "documents/unStokovaRazpiska.h"

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
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/DocumentFormParts.h"
#include "documents/unPrintStokovaRazpiska.h"
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

const QString kFormName = QStringLiteral("frmStokovaRazpiska");
const QString kRegCustomer = QStringLiteral("frmStokovaRazpiska_leCustomer_Text");
const QString kRegObject = QStringLiteral("frmStokovaRazpiska_leObject_Text");
const QString kRegGroup = QStringLiteral("frmStokovaRazpiska_leGroup_Text");
const QString kRegSubGroup = QStringLiteral("frmStokovaRazpiska_leSubGroup_Text");
const QString kRegIzdelie = QStringLiteral("frmStokovaRazpiska_leIzdelie_Text");
const QString kLineBreak = QStringLiteral("\n\r");
const QString kCaptions = QStringLiteral("Шифър@Наименование");

// Grid columns.
enum { colNo, colCode, colName, colUnit, colStore, colQuantity, colPrice, colPercent, colDiscPrice, colValue };
constexpr int kFixedRows = 2;

QPointer<TfrmStokovaRazpiska> g_OpenForm;

using namespace docparts;

QString Pad10(long double Number) { return StokovaRazpiskaNumberText(Number); }

} // namespace

// ---------------------------------------------------------------- creation

TfrmStokovaRazpiska::TfrmStokovaRazpiska(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendForm(AOwner, AFormStyle)
{
    setObjectName(kFormName);
    BuildControls();
    actSave->setEnabled(true);
    actEdit->setEnabled(true);
    actNew->setEnabled(true);
    actDelete->setEnabled(true);
    actPrint->setEnabled(true);
}

TfrmStokovaRazpiska::~TfrmStokovaRazpiska() = default;

void TfrmStokovaRazpiska::BuildControls()
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
    bar->addWidget(new QLabel(QStringLiteral("За дата:"), numberBar));
    dtpInvoiceNoDate = new QDateEdit(numberBar);
    dtpInvoiceNoDate->setObjectName(QStringLiteral("dtpInvoiceNoDate"));
    dtpInvoiceNoDate->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtpInvoiceNoDate->setCalendarPopup(true);
    bar->addWidget(dtpInvoiceNoDate);
    bar->addStretch(1);
    ClientLayout->addWidget(numberBar);

    pcMain = new QTabWidget(ClientArea);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    ClientLayout->addWidget(pcMain, 1);

    // Customer and site.
    tabCustomer = new QWidget(pcMain);
    tabCustomer->setObjectName(QStringLiteral("tabCustomer"));
    auto *customer = new QGridLayout(tabCustomer);
    leCustomer = CodeEdit(tabCustomer, QStringLiteral("leCustomer"));
    panelCustomer = Panel(tabCustomer, QStringLiteral("panelCustomer"));
    leObject = CodeEdit(tabCustomer, QStringLiteral("leObject"));
    PanelObject = Panel(tabCustomer, QStringLiteral("PanelObject"));
    customer->addWidget(new QLabel(QStringLiteral("Шифър:"), tabCustomer), 0, 0);
    customer->addWidget(leCustomer, 0, 1);
    customer->addWidget(panelCustomer, 0, 2);
    customer->addWidget(new QLabel(QStringLiteral("Обект:"), tabCustomer), 1, 0);
    customer->addWidget(leObject, 1, 1);
    customer->addWidget(PanelObject, 1, 2);
    customer->setColumnStretch(2, 1);
    customer->setRowStretch(2, 1);
    pcMain->addTab(tabCustomer, QStringLiteral("Клиент"));

    // Goods.
    tabGoods = new QWidget(pcMain);
    tabGoods->setObjectName(QStringLiteral("tabGoods"));
    auto *goods = new QVBoxLayout(tabGoods);
    auto *editors = new QGridLayout();
    leGroup = CodeEdit(tabGoods, QStringLiteral("leGroup"));
    panelGroup = Panel(tabGoods, QStringLiteral("panelGroup"));
    leSubGroup = CodeEdit(tabGoods, QStringLiteral("leSubGroup"));
    panelSubGroup = Panel(tabGoods, QStringLiteral("panelSubGroup"));
    leIzdelie = CodeEdit(tabGoods, QStringLiteral("leIzdelie"));
    panel_Izdelie = Panel(tabGoods, QStringLiteral("panel_Izdelie"));
    edAmount = NumberEdit(tabGoods, QStringLiteral("edAmount"), 3);
    labMeasure = new QLabel(QStringLiteral("Мярка"), tabGoods);
    labMeasure->setObjectName(QStringLiteral("labMeasure"));
    edPrice = NumberEdit(tabGoods, QStringLiteral("edPrice"), 4);
    cbDiscount = new QCheckBox(QStringLiteral("TO"), tabGoods);
    cbDiscount->setObjectName(QStringLiteral("cbDiscount"));
    cbOverValue = new QCheckBox(QStringLiteral("ТН"), tabGoods);
    cbOverValue->setObjectName(QStringLiteral("cbOverValue"));
    edDiscountPerc = NumberEdit(tabGoods, QStringLiteral("edDiscountPerc"), 2);
    edDiscountPerc->SetValueConstraints(TValueConstraints{vcMinValue});
    edDiscountPerc->SetMinValue(0);
    edDiscountedPriceLeva = NumberEdit(tabGoods, QStringLiteral("edDiscountedPriceLeva"), 4);
    edDiscountedPriceLeva->setReadOnly(true);
    edValue = NumberEdit(tabGoods, QStringLiteral("edValue"), 2);
    edValue->setReadOnly(true);
    labTotal = new QLabel(QStringLiteral("Общо:"), tabGoods);
    labTotal->setObjectName(QStringLiteral("labTotal"));
    QFont bold = labTotal->font();
    bold.setBold(true);
    labTotal->setFont(bold);

    editors->addWidget(new QLabel(QStringLiteral("Група:"), tabGoods), 0, 0);
    editors->addWidget(leGroup, 0, 1);
    editors->addWidget(panelGroup, 0, 2, 1, 3);
    editors->addWidget(new QLabel(QStringLiteral("Подгрупа:"), tabGoods), 0, 5);
    editors->addWidget(leSubGroup, 0, 6);
    editors->addWidget(panelSubGroup, 0, 7, 1, 3);
    editors->addWidget(new QLabel(QStringLiteral("Изделие:"), tabGoods), 1, 0);
    editors->addWidget(leIzdelie, 1, 1);
    editors->addWidget(panel_Izdelie, 1, 2, 1, 8);
    editors->addWidget(new QLabel(QStringLiteral("Количество:"), tabGoods), 2, 0);
    editors->addWidget(edAmount, 2, 1);
    editors->addWidget(labMeasure, 2, 2);
    editors->addWidget(new QLabel(QStringLiteral("Цена:"), tabGoods), 2, 3);
    editors->addWidget(edPrice, 2, 4);
    editors->addWidget(cbDiscount, 2, 5);
    editors->addWidget(cbOverValue, 2, 6);
    editors->addWidget(new QLabel(QStringLiteral("Процент:"), tabGoods), 2, 7);
    editors->addWidget(edDiscountPerc, 2, 8);
    editors->addWidget(new QLabel(QStringLiteral("Цена с ТО/ТН:"), tabGoods), 3, 0);
    editors->addWidget(edDiscountedPriceLeva, 3, 1);
    editors->addWidget(new QLabel(QStringLiteral("Стойност:"), tabGoods), 3, 3);
    editors->addWidget(edValue, 3, 4);
    editors->addWidget(labTotal, 3, 5, 1, 5);
    editors->setColumnStretch(9, 1);
    goods->addLayout(editors);

    GridGoods = new TRichGrid(tabGoods);
    GridGoods->setObjectName(QStringLiteral("GridGoods"));
    GridGoods->SetColCount(10);
    GridGoods->SetRowCount(kFixedRows + 1);
    GridGoods->SetFixedRows(kFixedRows);
    GridGoods->SetFixedCols(3);
    GridGoods->SetOptions(GridGoods->Options() + goRangeSelect);
    goods->addWidget(GridGoods, 1);
    pcMain->addTab(tabGoods, QStringLiteral("Стоки"));

    // Payment.
    tabPayment = new QWidget(pcMain);
    tabPayment->setObjectName(QStringLiteral("tabPayment"));
    auto *payment = new QGridLayout(tabPayment);
    cb_Is_paid = new QCheckBox(tabPayment);
    cb_Is_paid->setObjectName(QStringLiteral("cb_Is_paid"));
    dtp_Paid_on = new QDateEdit(tabPayment);
    dtp_Paid_on->setObjectName(QStringLiteral("dtp_Paid_on"));
    dtp_Paid_on->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtp_Paid_on->setCalendarPopup(true);
    cb_Is_Urgent = new QCheckBox(QStringLiteral("Извънреден документ"), tabPayment);
    cb_Is_Urgent->setObjectName(QStringLiteral("cb_Is_Urgent"));
    payment->addWidget(cb_Is_paid, 0, 0);
    payment->addWidget(new QLabel(QStringLiteral("Документът е платен на дата:"), tabPayment), 0, 1);
    payment->addWidget(dtp_Paid_on, 0, 2);
    payment->addWidget(cb_Is_Urgent, 1, 0, 1, 3);
    payment->setColumnStretch(3, 1);
    payment->setRowStretch(2, 1);
    pcMain->addTab(tabPayment, QStringLiteral("Плащане"));

    // Each code edit shows the name of its code in its panel.
    const std::pair<TListEdit *, QLabel *> described[] = {{leCustomer, panelCustomer}, {leObject, PanelObject},
                                                         {leGroup, panelGroup}, {leSubGroup, panelSubGroup},
                                                         {leIzdelie, panel_Izdelie}};
    for (const auto &[edit, panel] : described) {
        edit->SetDescrControl(panel);
        edit->SetDescrColumn(1);
    }
    connect(leCustomer, &QLineEdit::textChanged, this, [this] { leCustomerChange(); });
    connect(leGroup, &QLineEdit::textChanged, this, [this] { LoadProductList(); });
    connect(leSubGroup, &QLineEdit::textChanged, this, [this] { LoadProductList(); });
    connect(leIzdelie, &QLineEdit::textChanged, this, [this] { leIzdelieChange(); });
    connect(leIzdelie, &TCustomListEdit::Picked, this, [this] { leIzdelieChange(); });
    connect(cbDiscount, &QCheckBox::clicked, this, [this] { cbDiscountClick(); });
    connect(cbOverValue, &QCheckBox::clicked, this, [this] { cbOverValueClick(); });
    connect(cb_Is_paid, &QCheckBox::clicked, this, [this] { cb_Is_paidClick(); });
    connect(cb_Is_Urgent, &QCheckBox::clicked, this, [this] { cb_Is_paidClick(); });
    edDiscountPerc->OnChange = [this](QObject *) { edDiscountPercChange(); };
    edAmount->OnChange = [this](QObject *) { RecalculateValue(); };
    edPrice->OnChange = [this](QObject *) { RecalculateValue(); };
    GridGoods->OnDblClick = [this](QObject *) { actEditExecute(); };
}

// ---------------------------------------------------------------- helpers

QString TfrmStokovaRazpiska::ListName(const TDelimitedStringList &List, const QString &Code) const
{
    const int row = RowOfCode(List, Code);
    return row < 0 ? QString() : FieldOf(List, row, 1);
}

void TfrmStokovaRazpiska::SetEditText(QLineEdit *Edit, const QString &Text)
{
    if (Edit->text() == Text) {
        // The same text still counts as a change, as a pick does.
        emit Edit->textChanged(Text);
        return;
    }
    Edit->setText(Text);
}

void TfrmStokovaRazpiska::SetCaptionColor(unsigned Color)
{
    QPalette p = pnlCaption->palette();
    p.setColor(QPalette::WindowText, platform::ToQColor(TColor(Color)));
    pnlCaption->setPalette(p);
}

long double TfrmStokovaRazpiska::DocumentNumber() const { return DotStrToFloat(pnlDocNo->text()); }

void TfrmStokovaRazpiska::SetDocNumber(long double Number) { pnlDocNo->setText(Pad10(Number)); }

int TfrmStokovaRazpiska::DataLineCount() const { return GridGoods->RowCount() - kFixedRows; }

long double TfrmStokovaRazpiska::AdjustedPrice(long double Price, long double Percent, bool Discount, bool Markup)
{
    if (Percent < 0 || Percent >= 100 || (!Discount && !Markup))
        return Price;
    const long double factor = Discount ? (100 - Percent) : (100 + Percent);
    return RoundFloat(::PricePrecision, Price * factor / 100);
}

// ---------------------------------------------------------------- hooks

bool TfrmStokovaRazpiska::InitForm()
{
    if (!TQuorendForm::InitForm())
        return false;
    SetFreeOnClose(true);
    setWindowTitle(QStringLiteral("Стокова разписка"));
    QString upper;
    UpperCaseChars(windowTitle(), upper);
    pnlCaption->setText(upper);
    labMeasure->clear();

    // Grid header.
    const QStringList row0 = {QStringLiteral("N:"), QStringLiteral("Артикул"), QString(), QString(),
                              QStringLiteral("От склад"), QStringLiteral("Количество"), QStringLiteral("Цена"),
                              QStringLiteral("%"), QStringLiteral("Цена"), QStringLiteral("Стойност")};
    const QStringList row1 = {QString(), QStringLiteral("Шифър"), QStringLiteral("Наименование"),
                              QStringLiteral("Мярка"), QString(), QString(), QStringLiteral("без ТО/ТН"),
                              QStringLiteral("ТО/ТН"), QStringLiteral("с ТО/ТН"), QString()};
    GridGoods->SetRows(0, row0);
    GridGoods->SetRows(1, row1);
    GridGoods->MergeCells(colNo, 0, colNo, 1);
    GridGoods->MergeCells(colCode, 0, colUnit, 0);
    GridGoods->MergeCells(colStore, 0, colStore, 1);
    GridGoods->MergeCells(colQuantity, 0, colQuantity, 1);
    GridGoods->MergeCells(colValue, 0, colValue, 1);
    GridGoods->GetColAttributes(colName)->SetAlignment(TCellAlignment{caLeft});
    HideColumn(*GridGoods, colStore);
    GridGoods->GetColAttributes(colQuantity)->SetFormatter(AmountFormatter);
    GridGoods->GetColAttributes(colPrice)->SetFormatter(PriceFormatter);
    GridGoods->GetColAttributes(colPercent)->SetFormatter(ValueFormatter);
    GridGoods->GetColAttributes(colDiscPrice)->SetFormatter(PriceFormatter);
    GridGoods->GetColAttributes(colValue)->SetFormatter(ValueFormatter);
    GridGoods->SetColWidths(colNo, 36);
    GridGoods->SetColWidths(colCode, 64);
    GridGoods->SetColWidths(colName, 300);
    GridGoods->SetColWidths(colUnit, 56);
    for (int c = colQuantity; c <= colValue; ++c)
        GridGoods->SetColWidths(c, 92);

    // Customers; a failed query ends the initialisation here.
    try {
        SelectToList(this, DbConnection, QStringLiteral("SELECT code_c, name_c FROM CustGroups ORDER BY name_c"),
                     FCustomers);
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + kLineBreak + e.Message());
        return true;
    }
    SetupListEdit(leCustomer, kCaptions, &FCustomers);
    SetEditText(leCustomer, RegistryText(kRegCustomer));

    // The proposed number: this workstation's counter + 1.
    try {
        TDelimitedStringList counter;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("SELECT Value_nas FROM Nas WHERE ( ( IP_Address = \"%s\" ) AND ( n_nas = 1 ) )"),
                            {SqlEscape(GetLocalIPAddress())}),
                     counter);
        SetDocNumber(DotStrToFloat(counter.Text()) + 1);
        SelectToList(this, DbConnection, QStringLiteral("SELECT code_g, name_g FROM Groups"), FGroups);
        SelectToList(this, DbConnection, QStringLiteral("SELECT code_s, name_s FROM SubGroup"), FSubGroups);
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + kLineBreak + e.Message());
        return true;
    }
    SetupListEdit(leGroup, kCaptions, &FGroups);
    SetupListEdit(leSubGroup, kCaptions, &FSubGroups);
    {
        const QSignalBlocker g(leGroup);
        const QSignalBlocker s(leSubGroup);
        leGroup->setText(RegistryText(kRegGroup));
        leSubGroup->setText(RegistryText(kRegSubGroup));
    }
    panelGroup->setText(ListName(FGroups, leGroup->text().trimmed()));
    panelSubGroup->setText(ListName(FSubGroups, leSubGroup->text().trimmed()));
    LoadProductList();

    dtpInvoiceNoDate->setDate(QDate::currentDate().addDays(1));
    FDocumentTotal = 0;
    FPriceList = FPriceList >= 1 && FPriceList <= 5 ? FPriceList : 1;
    FLineInEdit = false;
    FRecalculating = false;
    FSavingForPrint = false;
    pcMain->setCurrentWidget(tabCustomer);
    dtp_Paid_on->setEnabled(false);
    Colour(dtp_Paid_on, clBtnFace);
    dtp_Paid_on->setDate(QDate::currentDate());
    ApplyDiscountSwitches();
    CalculateTotals();
    SetModified(false);
    return true;
}

bool TfrmStokovaRazpiska::FormDone()
{
    SetRegistrySetting(kRegCustomer, leCustomer->text());
    SetRegistrySetting(kRegObject, leObject->text());
    SetRegistrySetting(kRegGroup, leGroup->text());
    SetRegistrySetting(kRegSubGroup, leSubGroup->text());
    SetRegistrySetting(kRegIzdelie, leIzdelie->text());
    return TQuorendForm::FormDone();
}

bool TfrmStokovaRazpiska::BeforeShow()
{
    if (!TQuorendForm::BeforeShow())
        return false;
    // An opened document closes after it was saved.
    SetCloseAfterSave(!IsNew);
    if (IsNew) {
        panelDateOfDoc->setText(DateToDisplayText(QDate::currentDate()));
        bool exists = false;
        if (StokovaRazpiskaExists(this, DocumentNumber(), exists) && exists)
            ShowError(LoadResString(rsDocumentExists), {pnlDocNo->text()});
        return true;
    }
    QPalette red = pnlDocNo->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    pnlDocNo->setPalette(red);
    panelDateOfDoc->setPalette(red);

    TDelimitedStringList header;
    TDelimitedStringList lines;
    if (!LoadStokovaRazpiska(this, DocumentNumber(), header, lines))
        return true;
    auto item = [&](int i) { return i < header.Count() ? header.Strings(i) : QString(); };
    panelDateOfDoc->setText(item(1));
    const int site = StrToIntOrZero(item(2));
    TDelimitedStringList customer;
    SelectToList(this, DbConnection,
                 Format(QStringLiteral("SELECT CustGroups.code_c FROM CustGroups LEFT JOIN Obekti ON CustGroups.code_c = "
                                       "Obekti.code_of_CustGroup WHERE ( Obekti.code_of_object = %d )"),
                        {site}),
                 customer);
    SetEditText(leCustomer, customer.Text());
    SetEditText(leObject, item(2));
    QString digits;
    DisplayDateToYyyymmdd(item(3), digits);
    QDate date;
    if (TryDigitsToDate(digits, 2, date))
        dtpInvoiceNoDate->setDate(date);
    cb_Is_paid->setChecked(item(5) == QLatin1String("True"));
    if (cb_Is_paid->isChecked()) {
        DisplayDateToYyyymmdd(item(6), digits);
        if (TryDigitsToDate(digits, 2, date))
            dtp_Paid_on->setDate(date);
    }
    cb_Is_Urgent->setChecked(item(7) == QLatin1String("True"));
    cb_Is_paidClick();

    TDelimitedStringList rows;
    for (int i = 0; i < lines.Count(); ++i) {
        const int code = StrToIntOrZero(FieldOf(lines, i, 1));
        QString name;
        QString unit;
        GetProductName(this, DbConnection, code, name);
        GetProductUnit(this, DbConnection, code, unit);
        QStringList fields = {QString::number(i + 1), FieldOf(lines, i, 1), name, unit, QString()};
        for (int f = 2; f <= 6; ++f)
            fields << FieldOf(lines, i, f);
        rows.Add(fields.join(QLatin1Char('@')));
    }
    if (rows.Count() > 0)
        FillGridFromDelimitedStrings(*GridGoods, rows, true);
    CalculateTotals();
    SetModified(false);
    return true;
}

void TfrmStokovaRazpiska::UpdateActions()
{
    // The window's actions keep their states.
}

// ---------------------------------------------------------------- customer, products

void TfrmStokovaRazpiska::leCustomerChange()
{
    const int customer = StrToIntOrZero(leCustomer->text());
    try {
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("SELECT code_of_object, name_o FROM Obekti WHERE ( code_of_CustGroup = %d )"),
                            {customer}),
                     FObjects);
        SetupListEdit(leObject, kCaptions, &FObjects);
        SetEditText(leObject, FObjects.Count() > 0 ? FieldOf(FObjects, FObjects.Count() - 1, 0) : QString());
        TDelimitedStringList prefs;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("Select Pref_code FROM CustGroups WHERE ( code_c = %d )"), {customer}), prefs);
        FPriceList = StrToIntOrZero(prefs.Text());
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + kLineBreak + e.Message());
    }
    LoadProductList();
    edPrice->SetValue(0);
}

void TfrmStokovaRazpiska::LoadProductList()
{
    if (FPriceList <= 0 || FPriceList > 5)
        FPriceList = 1;
    const QString group = leGroup->text().trimmed();
    const QString subGroup = leSubGroup->text().trimmed();
    QString sql;
    if (group.isEmpty() && subGroup.isEmpty())
        sql = Format(QStringLiteral("SELECT Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka, Izdelia.price_%d FROM "
                                    "Merki LEFT JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka Where Izdelia.code_izd "
                                    "<> 0 ORDER BY name_izd"),
                     {FPriceList});
    else
        sql = Format(QStringLiteral("SELECT  Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka, Izdelia.price_%d FROM "
                                    "Merki LEFT JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka WHERE ( ( group_izd = "
                                    "%d ) and ( subgroup = %d ) ) ORDER BY Izdelia.name_izd"),
                     {FPriceList, StrToIntOrZero(group), StrToIntOrZero(subGroup)});
    try {
        SelectToList(this, DbConnection, sql, FProducts);
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + kLineBreak + e.Message() + kLineBreak + sql);
        return;
    }
    SetupListEdit(leIzdelie, kCaptions + QStringLiteral("@Мярка@Цена"), &FProducts);
    if (TListForm *list = leIzdelie->Form())
        list->Grid()->GetColAttributes(3)->SetFormatter(PriceFormatter);
    SetEditText(leIzdelie, RegistryText(kRegIzdelie).isEmpty() ? leIzdelie->text() : RegistryText(kRegIzdelie));
}

void TfrmStokovaRazpiska::leIzdelieChange()
{
    const int row = RowOfCode(FProducts, leIzdelie->text().trimmed());
    labMeasure->setText(row < 0 ? QString() : FieldOf(FProducts, row, 2));
    edPrice->SetValue(row < 0 ? 0 : DotStrToFloat(FieldOf(FProducts, row, 3)));
    RecalculateValue();
}

// ---------------------------------------------------------------- discount and value

void TfrmStokovaRazpiska::ApplyDiscountSwitches()
{
    const bool on = cbDiscount->isChecked() || cbOverValue->isChecked();
    edDiscountPerc->setEnabled(on);
    Colour(edDiscountPerc, on ? clWindow : cl3DLight);
    if (!on)
        edDiscountPerc->SetValue(0);
    edDiscountPercChange();
}

void TfrmStokovaRazpiska::cbDiscountClick()
{
    if (cbDiscount->isChecked()) {
        const bool was = FRecalculating;
        FRecalculating = true;
        cbOverValue->setChecked(false);
        FRecalculating = was;
    }
    ApplyDiscountSwitches();
}

void TfrmStokovaRazpiska::cbOverValueClick()
{
    if (cbOverValue->isChecked()) {
        const bool was = FRecalculating;
        FRecalculating = true;
        cbDiscount->setChecked(false);
        FRecalculating = was;
    }
    ApplyDiscountSwitches();
}

void TfrmStokovaRazpiska::edDiscountPercChange()
{
    edDiscountedPriceLeva->SetValue(AdjustedPrice(edPrice->Value(), edDiscountPerc->Value(), cbDiscount->isChecked(),
                                                  cbOverValue->isChecked()));
    RecalculateValue();
}

void TfrmStokovaRazpiska::RecalculateValue()
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

void TfrmStokovaRazpiska::cb_Is_paidClick()
{
    const bool paid = cb_Is_paid->isChecked();
    dtp_Paid_on->setEnabled(paid);
    Colour(dtp_Paid_on, paid ? clWindow : clBtnFace);
}

// ---------------------------------------------------------------- lines

void TfrmStokovaRazpiska::CalculateTotals()
{
    long double total = 0;
    int n = 0;
    for (int row = kFixedRows; row < GridGoods->RowCount(); ++row) {
        if (GridGoods->Cells(colCode, row).trimmed().isEmpty() && DataLineCount() == 1) {
            GridGoods->SetCells(colNo, row, QString());
            continue;
        }
        GridGoods->SetCells(colNo, row, QString::number(++n));
        total += DotStrToFloat(GridGoods->Cells(colValue, row));
    }
    FDocumentTotal = RoundFloat(::AmountPrecision, total);
    labTotal->setText(Format(QStringLiteral("Общо: %10.2n лв."), {FDocumentTotal}));
}

bool TfrmStokovaRazpiska::LineValidation()
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

bool TfrmStokovaRazpiska::DoNew()
{
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

bool TfrmStokovaRazpiska::DoEdit()
{
    if (pcMain->currentWidget() != tabGoods)
        return false;
    if (FLineInEdit) {
        ShowError(LoadResString(rsOneRowInEdit));
        return false;
    }
    const int row = GridGoods->Row();
    if (row < kFixedRows || StrToIntOrZero(GridGoods->Cells(colNo, row)) == 0)
        return false;
    FLineInEdit = true;
    SetCaptionColor(clRed);
    cbDiscount->setChecked(false);
    cbOverValue->setChecked(false);
    ApplyDiscountSwitches();
    {
        const QSignalBlocker g(leGroup);
        const QSignalBlocker s(leSubGroup);
        leGroup->clear();
        leSubGroup->clear();
        panelGroup->clear();
        panelSubGroup->clear();
    }
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
    DeleteGridRow(*GridGoods, row);
    CalculateTotals();
    SetModified(true);
    return true;
}

bool TfrmStokovaRazpiska::DoDelete()
{
    if (pcMain->currentWidget() != tabGoods)
        return false;
    const int row = GridGoods->Row();
    if (row < kFixedRows || StrToIntOrZero(GridGoods->Cells(colNo, row)) == 0)
        return false;
    if (AskYesNoCancel(QStringLiteral("Желаете ли да изтриете този ред ?")) != mrYes)
        return false;
    GridGoods->ClearRowsAttributes(row, row, 7);
    DeleteGridRow(*GridGoods, row);
    CalculateTotals();
    SetModified(true);
    return true;
}

// ---------------------------------------------------------------- save and print

void TfrmStokovaRazpiska::RecalculateLines()
{
    // Derived cells follow the typed ones: the discounted price and the
    // value of each line, then the total.
    for (int row = kFixedRows; row < GridGoods->RowCount(); ++row) {
        if (GridGoods->Cells(colCode, row).trimmed().isEmpty())
            continue;
        const QString percentText = GridGoods->Cells(colPercent, row).trimmed();
        const long double percent = std::fabs(DotStrToFloat(percentText));
        const bool discount = percentText.startsWith(QLatin1Char('-'));
        const bool markup = percentText.startsWith(QLatin1Char('+'));
        const long double price = AdjustedPrice(DotStrToFloat(GridGoods->Cells(colPrice, row)), percent, discount, markup);
        const long double quantity = DotStrToFloat(GridGoods->Cells(colQuantity, row));
        GridGoods->SetCells(colDiscPrice, row, FixedText(::PricePrecision, price));
        GridGoods->SetCells(colValue, row, FixedText(::AmountPrecision, RoundFloat(::AmountPrecision, quantity * price)));
    }
    CalculateTotals();
}

bool TfrmStokovaRazpiska::CanSave()
{
    if (!TQuorendForm::CanSave())
        return false;
    RecalculateLines();
    QString text;
    if (IsNew) {
        // Another window of this workstation may have used the proposed
        // number meanwhile: the counter proposes it again.
        try {
            TDelimitedStringList counter;
            SelectToList(this, DbConnection,
                         Format(QStringLiteral("SELECT Value_nas FROM Nas WHERE ( ( IP_Address = \"%s\" ) AND ( n_nas = 1 ) )"),
                                {SqlEscape(GetLocalIPAddress())}),
                         counter);
            SetDocNumber(DotStrToFloat(counter.Text()) + 1);
        } catch (const Exception &) {
            // The save reports the database's error itself.
        }
        bool exists = false;
        // When the question cannot be asked the save itself refuses a taken
        // number.
        if (!StokovaRazpiskaExists(this, DocumentNumber(), exists))
            return true;
        if (exists)
            text += Format(LoadResString(rsDocumentExists), {pnlDocNo->text().trimmed()}) + kLineBreak;
    }
    const QString number = pnlDocNo->text().trimmed();
    if (number.isEmpty() || number == QLatin1String("0000000000"))
        text.prepend(QStringLiteral("Въведете номер на документ.") + kLineBreak);
    if (leCustomer->text().trimmed().isEmpty())
        text += QStringLiteral("Въведете клиент.") + kLineBreak;
    if (leObject->text().trimmed().isEmpty())
        text += QStringLiteral("Въведете обект.") + kLineBreak;
    if (DotStrToFloat(GridGoods->Cells(colValue, kFixedRows)) == 0)
        text += QStringLiteral("Не са въведени редове на документа.") + kLineBreak;
    if (text.isEmpty())
        return true;
    ShowError(text);
    return false;
}

bool TfrmStokovaRazpiska::DoSave()
{
    RecalculateLines();
    TDocumentSave save(this);
    save.IsNew = IsNew;
    save.NumberText = Pad10;
    if (IsNew) {
        save.NumberFromCounter(NasGoodsReceiptCounter, QString(), Pad10,
                               QStringLiteral("Грешка при актуализиране на NAS."));
        save.ExistsQueries = {[](long double n) { return Format(QString::fromUtf8(sqlZaiavkiExists), {n}); },
                              [](long double n) { return Format(QString::fromUtf8(sqlZaiavka_rowsExists), {n}); }};
    } else {
        save.NumberGiven(DocumentNumber());
        save.AddReplacing([](long double n) { return Format(QString::fromUtf8(sqlDeleteZaiavka_rows), {n}); });
        save.AddReplacing([](long double n) { return Format(QString::fromUtf8(sqlDeleteZaiavki), {n}); });
    }
    const int docDay = DateToDayNumber(DisplayDateToDate(panelDateOfDoc->text()));
    const int site = StrToIntOrZero(leObject->text());
    const int forDay = DateToDayNumber(dtpInvoiceNoDate->date());
    const long double total = FDocumentTotal;
    const int paid = cb_Is_paid->isChecked() ? 1 : 0;
    const int paidDay = paid ? DateToDayNumber(dtp_Paid_on->date()) : 0;
    const int urgent = cb_Is_Urgent->isChecked() ? 1 : 0;
    save.Add(
        [=](long double n) {
            return Format(QStringLiteral("INSERT INTO Zaiavki Values ( %f, %d, %d, %d, %f, %d, %d, %d )"),
                          {n, docDay, site, forDay, total, paid, paidDay, urgent});
        },
        QStringLiteral("Грешка при актуализиране на Zaiavki."));
    int line = 0;
    for (int row = kFixedRows; row < GridGoods->RowCount(); ++row) {
        if (GridGoods->Cells(colCode, row).trimmed().isEmpty())
            continue;
        ++line;
        const long double code = StrToIntOrZero(GridGoods->Cells(colCode, row));
        const long double quantity = DotStrToFloat(GridGoods->Cells(colQuantity, row));
        const long double price = DotStrToFloat(GridGoods->Cells(colPrice, row));
        const long double percent = DotStrToFloat(GridGoods->Cells(colPercent, row));
        const long double discPrice = DotStrToFloat(GridGoods->Cells(colDiscPrice, row));
        const long double value = DotStrToFloat(GridGoods->Cells(colValue, row));
        save.Add(
            [=](long double n) {
                return Format(QStringLiteral("INSERT INTO Zaiavka_rows Values ( %f, %f, %.*f, %.*f, %f, %.*f, %f )"),
                              {n, code, ::QuantityPrecision, quantity, ::PricePrecision, price, percent, ::PricePrecision,
                               discPrice, value});
            },
            Format(LoadResString(rsUpdateRowError), {QStringLiteral("Zaiavka_rows"), line}));
    }
    if (!save.Run())
        return false;

    const long double proposed = DocumentNumber();
    FSavedNumber = save.Number();
    SetModified(false);
    if (IsNew && FSavedNumber != proposed)
        ShowWarning(Format(QStringLiteral("Документът е записан с номер %s."), {Pad10(FSavedNumber)}));
    if (!FSavingForPrint && AskOkCancel(LoadResString(rsPrintCreatedDocuments)) == mrOk)
        PrintStokovaRazpiska(this, FSavedNumber);
    if (IsNew) {
        SetDocNumber(FSavedNumber + 1);
        ClearGrid(*GridGoods, 0);
        CalculateTotals();
        edAmount->SetValue(0);
    }
    SetCaptionColor(clWindowText);
    return true;
}

bool TfrmStokovaRazpiska::DoPrint()
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
    const bool printed = PrintStokovaRazpiska(this, FSavedNumber);
    if (printed && !IsNew)
        QMetaObject::invokeMethod(this, [this] { Close(); }, Qt::QueuedConnection);
    return printed;
}

// ---------------------------------------------------------------- opening

TfrmStokovaRazpiska *OpenGoodsReceiptWindow()
{
    if (g_OpenForm)
        return g_OpenForm;
    if (QWidget *main = MainFormWidget())
        return main->findChild<TfrmStokovaRazpiska *>(kFormName);
    return nullptr;
}

namespace {

bool OpenGoodsReceipt(bool New, long double Number)
{
    if (OpenGoodsReceiptWindow()) {
        ShowError(LoadResString(rsOneNewDocumentOnly));
        return false;
    }
    auto *form = CreateQuorendForm<TfrmStokovaRazpiska>(MainFormWidget(), fsMDIChild);
    form->IsNew = New;
    if (!New)
        form->pnlDocNo->setText(Pad10(Number));
    g_OpenForm = form;
    if (!form->ShowForm())
        return false;
    if (QMdiSubWindow *sub = form->SubWindow())
        sub->showMaximized();
    else
        form->showMaximized();
    return true;
}

const bool registered = RegisterFormEntry(QStringLiteral("NewStokovaRazpiska"),
                                          [](QWidget *, const TFormParams &) { NewStokovaRazpiska(); });

} // namespace

bool NewStokovaRazpiska() { return OpenGoodsReceipt(true, 0); }

bool OpenStokovaRazpiska(long double Number) { return OpenGoodsReceipt(false, Number); }
