#include "documents/unStokovaRazpiska.h"

#include "components/QuorendDateEdit.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/DocumentFormParts.h"
#include "documents/unPrintStokovaRazpiska.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>

namespace {

const QString kLineBreak = QStringLiteral("\n\r");

const TSalesDocumentKind kGoodsReceipt = {
    "frmStokovaRazpiska",
    NasGoodsReceiptCounter,
    StokovaRazpiskaNumberText,
    sqlZaiavkiExists,
    sqlZaiavka_rowsExists,
    "Zaiavki",
    "Zaiavka_rows",
    "Query_num",
    sqlDeleteZaiavka_rows,
    sqlDeleteZaiavki,
    "SELECT code_of_object, name_o FROM Obekti WHERE ( code_of_CustGroup = %d )",
    true,
    LoadStokovaRazpiska,
    PrintStokovaRazpiska,
};

QPointer<TfrmStokovaRazpiska> g_OpenForm;

using namespace docparts;

} // namespace

// ---------------------------------------------------------------- creation

TfrmStokovaRazpiska::TfrmStokovaRazpiska(QWidget *AOwner, TFormStyle AFormStyle)
    : TSalesDocumentForm(kGoodsReceipt, AOwner, AFormStyle)
{
    BuildControls();
}

TfrmStokovaRazpiska::~TfrmStokovaRazpiska() = default;

void TfrmStokovaRazpiska::BuildControls()
{
    AddNumberBar([this](QWidget *Bar, QHBoxLayout *Layout) {
        Layout->addWidget(new QLabel(QStringLiteral("За дата:"), Bar));
        dtpInvoiceNoDate = new TQuorendDatePicker(Bar);
        dtpInvoiceNoDate->setObjectName(QStringLiteral("dtpInvoiceNoDate"));
        dtpInvoiceNoDate->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        dtpInvoiceNoDate->setCalendarPopup(true);
        Layout->addWidget(dtpInvoiceNoDate);
    });
    AddCustomerTab(QStringLiteral("Шифър:"))->setRowStretch(2, 1);

    // Goods: the group and subgroup filter over the line editors.
    QVBoxLayout *goods = AddGoodsTab();
    auto *editors = new QGridLayout();
    leGroup = CodeEdit(tabGoods, QStringLiteral("leGroup"));
    panelGroup = Panel(tabGoods, QStringLiteral("panelGroup"));
    leSubGroup = CodeEdit(tabGoods, QStringLiteral("leSubGroup"));
    panelSubGroup = Panel(tabGoods, QStringLiteral("panelSubGroup"));
    AddLineEditors(tabGoods, editors, 1, QStringLiteral("Цена:"));
    edDiscountPerc->SetValueConstraints(TValueConstraints{vcMinValue});
    edDiscountPerc->SetMinValue(0);
    editors->addWidget(new QLabel(QStringLiteral("Група:"), tabGoods), 0, 0);
    editors->addWidget(leGroup, 0, 1);
    editors->addWidget(panelGroup, 0, 2, 1, 3);
    editors->addWidget(new QLabel(QStringLiteral("Подгрупа:"), tabGoods), 0, 5);
    editors->addWidget(leSubGroup, 0, 6);
    editors->addWidget(panelSubGroup, 0, 7, 1, 3);
    editors->addWidget(labTotal, 3, 5, 1, 5);
    goods->addLayout(editors);
    AddGrid(goods);
    GridGoods->SetOptions(GridGoods->Options() + goRangeSelect);

    QGridLayout *payment = AddPaymentTab(0);
    cb_Is_Urgent = new QCheckBox(QStringLiteral("Извънреден документ"), tabPayment);
    cb_Is_Urgent->setObjectName(QStringLiteral("cb_Is_Urgent"));
    payment->addWidget(cb_Is_Urgent, 1, 0, 1, 3);

    ConnectControls({{leCustomer, panelCustomer},
                     {leObject, PanelObject},
                     {leGroup, panelGroup},
                     {leSubGroup, panelSubGroup},
                     {leIzdelie, panel_Izdelie}});
    connect(leGroup, &QLineEdit::textChanged, this, [this] { LoadProductList(); });
    connect(leSubGroup, &QLineEdit::textChanged, this, [this] { LoadProductList(); });
    connect(cb_Is_Urgent, &QCheckBox::clicked, this, [this] { RunHeld([this] { cb_Is_paidClick(); }); });
}

QString TfrmStokovaRazpiska::ListName(const TDelimitedStringList &List, const QString &Code) const
{
    const int row = RowOfCode(List, Code);
    return row < 0 ? QString() : FieldOf(List, row, 1);
}

// ---------------------------------------------------------------- hooks

void TfrmStokovaRazpiska::InitWindow()
{
    SetTitle(QStringLiteral("Стокова разписка"));
    SetupGridHeader({QStringLiteral("N:"), QStringLiteral("Артикул"), QString(), QString(), QStringLiteral("От склад"),
                     QStringLiteral("Количество"), QStringLiteral("Цена"), QStringLiteral("%"), QStringLiteral("Цена"),
                     QStringLiteral("Стойност")},
                    {QString(), QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                     QString(), QString(), QStringLiteral("без ТО/ТН"), QStringLiteral("ТО/ТН"),
                     QStringLiteral("с ТО/ТН"), QString()});
    GridGoods->MergeCells(colStore, 0, colStore, 1);
    GridGoods->MergeCells(colValue, 0, colValue, 1);
    GridGoods->SetColWidths(colNo, 36);
    GridGoods->SetColWidths(colCode, 64);
    GridGoods->SetColWidths(colName, 300);
    GridGoods->SetColWidths(colUnit, 56);
    for (int c = colQuantity; c <= colValue; ++c)
        GridGoods->SetColWidths(c, 92);
    dtpInvoiceNoDate->setDate(QDate::currentDate().addDays(1));
    FDocumentTotal = 0;
}

void TfrmStokovaRazpiska::LoadLists()
{
    SelectToList(this, DbConnection, QStringLiteral("SELECT code_g, name_g FROM Groups"), FGroups);
    SelectToList(this, DbConnection, QStringLiteral("SELECT code_s, name_s FROM SubGroup"), FSubGroups);
    SetupListEdit(leGroup, LoadResString(rsCodeNameCaptions), &FGroups);
    SetupListEdit(leSubGroup, LoadResString(rsCodeNameCaptions), &FSubGroups);
    {
        const QSignalBlocker g(leGroup);
        const QSignalBlocker s(leSubGroup);
        leGroup->setText(Remembered(leGroup));
        leSubGroup->setText(Remembered(leSubGroup));
    }
    panelGroup->setText(ListName(FGroups, leGroup->text().trimmed()));
    panelSubGroup->setText(ListName(FSubGroups, leSubGroup->text().trimmed()));
    LoadProductList();
}

bool TfrmStokovaRazpiska::FormDone()
{
    Remember(leGroup);
    Remember(leSubGroup);
    return TSalesDocumentForm::FormDone();
}

void TfrmStokovaRazpiska::ShowStored(const TDelimitedStrings &Header, const QStringList &Records)
{
    QDate date;
    if (Header.Count() > 3 && StoredDate(Header.Strings(3), date))
        dtpInvoiceNoDate->setDate(date);
    cb_Is_Urgent->setChecked(Header.Count() > 7 && Header.Strings(7) == QLatin1String("True"));
    FStoredTotal = Header.Count() > 4 ? DotStrToFloat(Header.Strings(4)) : 0;
    FillGrid(Records);
}

QString TfrmStokovaRazpiska::ProductListSql() const
{
    const QString group = leGroup->text().trimmed();
    const QString subGroup = leSubGroup->text().trimmed();
    if (group.isEmpty() && subGroup.isEmpty())
        return Format(QStringLiteral("SELECT Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka, Izdelia.price_%d FROM "
                                     "Merki LEFT JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka Where Izdelia.code_izd "
                                     "<> 0 ORDER BY name_izd"),
                      {FPriceList});
    return Format(QStringLiteral("SELECT  Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka, Izdelia.price_%d FROM "
                                 "Merki LEFT JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka WHERE ( ( group_izd = "
                                 "%d ) and ( subgroup = %d ) ) ORDER BY Izdelia.name_izd"),
                  {FPriceList, StrToIntOrZero(group), StrToIntOrZero(subGroup)});
}

void TfrmStokovaRazpiska::BeforeLineEdit()
{
    // A line taken back lists every product again.
    const QSignalBlocker g(leGroup);
    const QSignalBlocker s(leSubGroup);
    leGroup->clear();
    leSubGroup->clear();
    panelGroup->clear();
    panelSubGroup->clear();
}

void TfrmStokovaRazpiska::ShowTotal(long double Total)
{
    // Lines as stored keep the total they were stored with, even one
    // summed by another rule.
    FDocumentTotal = LinesAsStored() ? FStoredTotal : Total;
    labTotal->setText(Format(QStringLiteral("Общо: %10.2n лв."), {FDocumentTotal}));
}

// ---------------------------------------------------------------- save

bool TfrmStokovaRazpiska::CanSave()
{
    if (!TSalesDocumentForm::CanSave())
        return false;
    PrepareLines();
    QString text = NumberProblem();
    text += CustomerAndSiteProblems();
    if (DotStrToFloat(GridGoods->Cells(colValue, kFixedRows)) == 0)
        text += QStringLiteral("Не са въведени редове на документа.") + kLineBreak;
    if (text.isEmpty())
        return true;
    ShowError(text);
    return false;
}

void TfrmStokovaRazpiska::AddStatements(TDocumentSave &save)
{
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
}

// ---------------------------------------------------------------- opening

TfrmStokovaRazpiska *OpenGoodsReceiptWindow() { return FindSalesWindow(g_OpenForm); }

namespace {

bool OpenGoodsReceipt(bool New, long double Number)
{
    return TSalesDocumentForm::OpenWindow(
        OpenGoodsReceiptWindow(),
        [] {
            g_OpenForm = CreateQuorendForm<TfrmStokovaRazpiska>(MainFormWidget(), fsMDIChild);
            return g_OpenForm.data();
        },
        New, Number);
}

const bool registered = RegisterFormEntry(QStringLiteral("NewStokovaRazpiska"),
                                          [](QWidget *, const TFormParams &) { NewStokovaRazpiska(); });

} // namespace

bool NewStokovaRazpiska() { return OpenGoodsReceipt(true, 0); }

bool OpenStokovaRazpiska(long double Number) { return OpenGoodsReceipt(false, Number); }
