#include "documents/SalesDocumentForm.h"

#include "components/QuorendDateEdit.h"
#include "components/FloatEdit.h"
#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/DocumentFormParts.h"
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
#include <QTabWidget>
#include <cmath>

namespace {

const QString kLineBreak = QStringLiteral("\n\r");

using namespace docparts;

// A statement of a fixed text around the document's number.
TStatementBuilder NumberedStatement(const char *Sql)
{
    return [Sql](long double n) { return Format(QString::fromUtf8(Sql), {n}); };
}

// The first field of the first record ("" when none).
QString FirstField(const TDelimitedStrings &List) { return List.Count() > 0 ? FieldOf(List, 0, 0) : QString(); }

} // namespace

// ---------------------------------------------------------------- creation

TSalesDocumentForm::TSalesDocumentForm(const TSalesDocumentKind &Kind, QWidget *AOwner, TFormStyle AFormStyle)
    : TQuorendForm(AOwner, AFormStyle), FKind(Kind)
{
    setObjectName(QString::fromUtf8(Kind.FormName));
    actSave->setEnabled(true);
    actEdit->setEnabled(true);
    actNew->setEnabled(true);
    actDelete->setEnabled(true);
    actPrint->setEnabled(true);
}

TSalesDocumentForm::~TSalesDocumentForm() = default;

void TSalesDocumentForm::AddNumberBar(const std::function<void(QWidget *, QHBoxLayout *)> &Extra)
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
    if (Extra)
        Extra(numberBar, bar);
    bar->addStretch(1);
    ClientLayout->addWidget(numberBar);
}

QGridLayout *TSalesDocumentForm::AddCustomerTab(const QString &CustomerCaption)
{
    pcMain = new QTabWidget(ClientArea);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    ClientLayout->addWidget(pcMain, 1);

    tabCustomer = new QWidget(pcMain);
    tabCustomer->setObjectName(QStringLiteral("tabCustomer"));
    auto *customer = new QGridLayout(tabCustomer);
    leCustomer = CodeEdit(tabCustomer, QStringLiteral("leCustomer"));
    panelCustomer = Panel(tabCustomer, QStringLiteral("panelCustomer"));
    leObject = CodeEdit(tabCustomer, QStringLiteral("leObject"));
    PanelObject = Panel(tabCustomer, QStringLiteral("PanelObject"));
    customer->addWidget(new QLabel(CustomerCaption, tabCustomer), 0, 0);
    customer->addWidget(leCustomer, 0, 1);
    customer->addWidget(panelCustomer, 0, 2);
    customer->addWidget(new QLabel(QStringLiteral("Обект:"), tabCustomer), 1, 0);
    customer->addWidget(leObject, 1, 1);
    customer->addWidget(PanelObject, 1, 2);
    customer->setColumnStretch(2, 1);
    pcMain->addTab(tabCustomer, QStringLiteral("Клиент"));
    return customer;
}

void TSalesDocumentForm::AddLineEditors(QWidget *Parent, QGridLayout *Layout, int First, const QString &PriceCaption)
{
    QWidget *p = Parent;
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
    labTotal = new QLabel(tabGoods);
    labTotal->setObjectName(QStringLiteral("labTotal"));
    QFont bold = labTotal->font();
    bold.setBold(true);
    labTotal->setFont(bold);

    Layout->addWidget(new QLabel(QStringLiteral("Изделие:"), p), First, 0);
    Layout->addWidget(leIzdelie, First, 1);
    Layout->addWidget(panel_Izdelie, First, 2, 1, 8);
    Layout->addWidget(new QLabel(QStringLiteral("Количество:"), p), First + 1, 0);
    Layout->addWidget(edAmount, First + 1, 1);
    Layout->addWidget(labMeasure, First + 1, 2);
    Layout->addWidget(new QLabel(PriceCaption, p), First + 1, 3);
    Layout->addWidget(edPrice, First + 1, 4);
    Layout->addWidget(cbDiscount, First + 1, 5);
    Layout->addWidget(cbOverValue, First + 1, 6);
    Layout->addWidget(new QLabel(QStringLiteral("Процент:"), p), First + 1, 7);
    Layout->addWidget(edDiscountPerc, First + 1, 8);
    Layout->addWidget(new QLabel(QStringLiteral("Цена с ТО/ТН:"), p), First + 2, 0);
    Layout->addWidget(edDiscountedPriceLeva, First + 2, 1);
    Layout->addWidget(new QLabel(QStringLiteral("Стойност:"), p), First + 2, 3);
    Layout->addWidget(edValue, First + 2, 4);
    Layout->setColumnStretch(9, 1);
}

QVBoxLayout *TSalesDocumentForm::AddGoodsTab()
{
    tabGoods = new QWidget(pcMain);
    tabGoods->setObjectName(QStringLiteral("tabGoods"));
    pcMain->addTab(tabGoods, QStringLiteral("Стоки"));
    return new QVBoxLayout(tabGoods);
}

void TSalesDocumentForm::AddGrid(QVBoxLayout *Layout)
{
    GridGoods = new TRichGrid(tabGoods);
    GridGoods->setObjectName(QStringLiteral("GridGoods"));
    GridGoods->SetColCount(kColCount);
    GridGoods->SetRowCount(kFixedRows + 1);
    GridGoods->SetFixedRows(kFixedRows);
    GridGoods->SetFixedCols(3);
    // A click on a line's number, code or name (the fixed columns) makes
    // that line the current one, so that F3 and F5 act on the line clicked.
    GridGoods->OnMouseDown = [this](QObject *, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
        if (Button != Qt::LeftButton)
            return;
        const TGridCoord cell = GridGoods->MouseCoord(X, Y);
        if (cell.X < 0 || cell.X >= GridGoods->FixedCols() || cell.Y < GridGoods->FixedRows() ||
            cell.Y >= GridGoods->RowCount())
            return;
        GridGoods->SetRow(cell.Y);
        // As after a click on a cell: the window's own click (a notice
        // switches its in-grid editing for the new line).
        if (GridGoods->OnClick)
            GridGoods->OnClick(GridGoods);
    };
    Layout->addWidget(GridGoods, 1);
}

QGridLayout *TSalesDocumentForm::AddPaymentTab(int PaidRow, const std::function<void(QWidget *)> &Before)
{
    tabPayment = new QWidget(pcMain);
    tabPayment->setObjectName(QStringLiteral("tabPayment"));
    auto *payment = new QGridLayout(tabPayment);
    if (Before)
        Before(tabPayment);
    cb_Is_paid = new QCheckBox(tabPayment);
    cb_Is_paid->setObjectName(QStringLiteral("cb_Is_paid"));
    dtp_Paid_on = new TQuorendDatePicker(tabPayment);
    dtp_Paid_on->setObjectName(QStringLiteral("dtp_Paid_on"));
    dtp_Paid_on->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    dtp_Paid_on->setCalendarPopup(true);
    payment->addWidget(cb_Is_paid, PaidRow, 0);
    payment->addWidget(new QLabel(QStringLiteral("Документът е платен на дата:"), tabPayment), PaidRow, 1);
    payment->addWidget(dtp_Paid_on, PaidRow, 2);
    payment->setColumnStretch(3, 1);
    payment->setRowStretch(2, 1);
    pcMain->addTab(tabPayment, QStringLiteral("Плащане"));
    return payment;
}

void TSalesDocumentForm::ConnectControls(std::initializer_list<std::pair<TListEdit *, QLabel *>> Described)
{
    for (const auto &[edit, panel] : Described) {
        edit->SetDescrControl(panel);
        edit->SetDescrColumn(1);
    }
    connect(leCustomer, &QLineEdit::textChanged, this, [this] { leCustomerChange(); });
    connect(leIzdelie, &QLineEdit::textChanged, this, [this] { leIzdelieChange(); });
    connect(leIzdelie, &TCustomListEdit::Picked, this, [this] { leIzdelieChange(); });
    connect(cbDiscount, &QCheckBox::clicked, this, [this] { RunHeld([this] { cbDiscountClick(); }); });
    connect(cbOverValue, &QCheckBox::clicked, this, [this] { RunHeld([this] { cbOverValueClick(); }); });
    connect(cb_Is_paid, &QCheckBox::clicked, this, [this] { RunHeld([this] { cb_Is_paidClick(); }); });
    edDiscountPerc->OnChange = [this](QObject *) { edDiscountPercChange(); };
    edAmount->OnChange = [this](QObject *) { RecalculateValue(); };
    edPrice->OnChange = [this](QObject *) { RecalculateValue(); };
    GridGoods->OnDblClick = [this](QObject *) {
        if (LinesTyped())
            actEditExecute();
    };
}

// ---------------------------------------------------------------- helpers

void TSalesDocumentForm::SetTitle(const QString &Title)
{
    setWindowTitle(Title);
    QString upper;
    UpperCaseChars(windowTitle(), upper);
    pnlCaption->setText(upper);
}

bool TSalesDocumentForm::StoredDate(const QString &Text, QDate &Date)
{
    QString digits;
    DisplayDateToYyyymmdd(Text, digits);
    return TryDigitsToDate(digits, 2, Date);
}

void TSalesDocumentForm::SetupGridHeader(const QStringList &Row0, const QStringList &Row1)
{
    GridGoods->SetRows(0, Row0);
    GridGoods->SetRows(1, Row1);
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
    WidenColumnsToHeaders(*GridGoods);
}

void TSalesDocumentForm::SetEditText(QLineEdit *Edit, const QString &Text)
{
    if (Edit->text() == Text) {
        // The same text still counts as a change, as a pick does.
        emit Edit->textChanged(Text);
        return;
    }
    Edit->setText(Text);
}

void TSalesDocumentForm::SetCaptionColor(unsigned Color)
{
    QPalette p = pnlCaption->palette();
    p.setColor(QPalette::WindowText, platform::ToQColor(TColor(Color)));
    pnlCaption->setPalette(p);
}

long double TSalesDocumentForm::DocumentNumber() const { return DotStrToFloat(pnlDocNo->text()); }

void TSalesDocumentForm::SetDocNumber(long double Number) { pnlDocNo->setText(NumberText(Number)); }

int TSalesDocumentForm::DataLineCount() const { return GridGoods->RowCount() - kFixedRows; }

long double TSalesDocumentForm::AdjustedPrice(long double Price, long double Percent, bool Discount, bool Markup)
{
    if (Percent < 0 || Percent >= 100 || (!Discount && !Markup))
        return Price;
    const long double factor = Discount ? (100 - Percent) : (100 + Percent);
    return RoundFloat(::PricePrecision, Price * factor / 100);
}

long double TSalesDocumentForm::CounterProposal()
{
    // Read as the save reads it: what the clerk is shown is what is stored.
    return ReadNasCounter(this, FKind.Counter, GetLocalIPAddress()).Number + 1;
}

std::vector<TNumberColumn> TSalesDocumentForm::NumberColumns() const
{
    const QString number = QString::fromUtf8(FKind.NumberColumn);
    return {{QString::fromUtf8(FKind.HeaderTable), number}, {QString::fromUtf8(FKind.RowsTable), number}};
}

void TSalesDocumentForm::ProposeFreeNumber(long double From)
{
    SetDocNumber(From);
    FFoundFree = 0;
    TDocumentSave probe(this);
    probe.NumberColumns = NumberColumns();
    try {
        FFoundFree = probe.FirstFreeNumber(From);
        SetDocNumber(FFoundFree);
    } catch (const Exception &) {
        // From stays proposed, unchecked. Not shown: at opening the reads
        // before this one have reported the failure, and the save checks
        // the number again under its lock (the next free one, or the
        // database's error).
    }
}

QString TSalesDocumentForm::NumberProblem() const
{
    const QString number = pnlDocNo->text().trimmed();
    if (number.isEmpty() || number == QLatin1String("0000000000"))
        return QStringLiteral("Въведете номер на документ.") + kLineBreak;
    return QString();
}

QString TSalesDocumentForm::CustomerAndSiteProblems() const
{
    // A customer or site that is not in its picker's list is none: the
    // document would be stored for a site that does not exist.
    QString text;
    if (ListedCode(leCustomer) == 0)
        text += QStringLiteral("Въведете клиент.") + kLineBreak;
    if (ListedCode(leObject) == 0)
        text += QStringLiteral("Въведете обект.") + kLineBreak;
    return text;
}

QString TSalesDocumentForm::Remembered(const QLineEdit *Edit) const
{
    return RegistryText(objectName() + QLatin1Char('_') + Edit->objectName() + QStringLiteral("_Text"));
}

void TSalesDocumentForm::Remember(const QLineEdit *Edit) const
{
    SetRegistrySetting(objectName() + QLatin1Char('_') + Edit->objectName() + QStringLiteral("_Text"), Edit->text());
}

QStringList TSalesDocumentForm::GridRecordsOf(const TDelimitedStrings &Lines)
{
    auto lookUp = [this](auto Get, int Code) {
        QString text;
        try {
            Get(this, DbConnection, Code, text);
        } catch (const std::exception &) {
            text.clear();
        }
        return text;
    };
    QStringList records;
    for (int i = 0; i < Lines.Count(); ++i) {
        const int code = StrToIntOrZero(FieldOf(Lines, i, 1));
        QStringList fields = {QString::number(i + 1), FieldOf(Lines, i, 1), lookUp(GetProductName, code),
                              lookUp(GetProductUnit, code), QString()};
        for (int f = 2; f <= 6; ++f)
            fields << FieldOf(Lines, i, f);
        // The percent shows its kind as a typed line does: a stored markup
        // is a positive number, which the grid shows with its '+'.
        QString &percent = fields[colPercent];
        if (DotStrToFloat(percent) > 0 && !percent.startsWith(QLatin1Char('+')))
            percent.prepend(QLatin1Char('+'));
        records << fields.join(QLatin1Char('@'));
    }
    return records;
}

void TSalesDocumentForm::FillGrid(const QStringList &Records)
{
    TDelimitedStringList rows;
    for (const QString &record : Records)
        rows.Add(record);
    if (rows.Count() > 0)
        FillGridFromDelimitedStrings(*GridGoods, rows, true);
}

void TSalesDocumentForm::ShowDatabaseError(const Exception &E, const QString &Sql)
{
    ShowError(LoadResString(rsDatabaseError) + kLineBreak + E.Message() + (Sql.isEmpty() ? QString() : kLineBreak + Sql));
}

// ---------------------------------------------------------------- hooks

bool TSalesDocumentForm::InitForm()
{
    if (!TQuorendForm::InitForm())
        return false;
    SetFreeOnClose(true);
    labMeasure->clear();
    InitWindow();
    FPriceList = 1;
    FLineInEdit = false;
    FRecalculating = false;
    FSavingForPrint = false;
    pcMain->setCurrentWidget(tabCustomer);
    dtp_Paid_on->setEnabled(false);
    Colour(dtp_Paid_on, clBtnFace);
    dtp_Paid_on->setDate(QDate::currentDate());
    ApplyDiscountSwitches();

    // A failed query ends the initialisation at its step.
    try {
        SelectToList(this, DbConnection, QStringLiteral("SELECT code_c, name_c FROM CustGroups ORDER BY name_c"),
                     FCustomers);
        SetupListEdit(leCustomer, LoadResString(rsCodeNameCaptions), &FCustomers);
        SetEditText(leCustomer, Remembered(leCustomer));
        SetDocNumber(CounterProposal());
        LoadLists();
    } catch (const Exception &e) {
        ShowDatabaseError(e);
    }
    CalculateTotals();
    SetModified(false);
    return true;
}

bool TSalesDocumentForm::FormDone()
{
    Remember(leCustomer);
    Remember(leObject);
    Remember(leIzdelie);
    return TQuorendForm::FormDone();
}

bool TSalesDocumentForm::BeforeShow()
{
    if (!TQuorendForm::BeforeShow())
        return false;
    // An opened document closes after it was saved; a new one stays on the
    // next number.
    SetCloseAfterSave(!IsNew);
    if (!BeforeDocument())
        return true;
    if (IsNew) {
        panelDateOfDoc->setText(DateToDisplayText(QDate::currentDate()));
        // A number taken by a document of another workstation (each counts
        // on its own) is not proposed: nobody could save under it.
        ProposeFreeNumber(DocumentNumber());
    } else {
        QPalette red = pnlDocNo->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        pnlDocNo->setPalette(red);
        panelDateOfDoc->setPalette(red);
        if (!LoadDocument())
            return true;
    }
    AfterDocument();
    SetModified(false);
    return true;
}

bool TSalesDocumentForm::LoadDocument()
{
    // What the save compares (the header with its paid mark, and the
    // lines) is read before what is shown: a save of another workstation
    // in between makes this window's save refuse, never overwrite.
    const long double number = DocumentNumber();
    const QString headerSql = Format(QString::fromUtf8(FKind.ExistsHeaderSql), {number});
    const QString linesSql = Format(QString::fromUtf8(FKind.ExistsRowsSql), {number});
    FLoaded.SetReader([this, headerSql, linesSql](TDelimitedStringList &Rows) {
        TDelimitedStringList lines;
        SelectToList(this, DbConnection, headerSql, Rows);
        SelectToList(this, DbConnection, linesSql, lines);
        for (int i = 0; i < lines.Count(); ++i)
            Rows.Add(lines.Strings(i));
    });
    try {
        FLoaded.Read();
    } catch (const Exception &e) {
        ShowDatabaseError(e);
        return false;
    }
    TDelimitedStringList header;
    TDelimitedStringList lines;
    if (!FKind.Load(this, number, header, lines))
        return false;
    auto item = [&](int i) { return i < header.Count() ? header.Strings(i) : QString(); };
    panelDateOfDoc->setText(item(1));
    try {
        TDelimitedStringList customer;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("SELECT CustGroups.code_c FROM CustGroups LEFT JOIN Obekti ON "
                                           "CustGroups.code_c = Obekti.code_of_CustGroup WHERE ( "
                                           "Obekti.code_of_object = %d )"),
                            {StrToIntOrZero(item(2))}),
                     customer);
        SetEditText(leCustomer, FirstField(customer));
    } catch (const Exception &e) {
        ShowDatabaseError(e);
        return false;
    }
    SetEditText(leObject, item(2));
    cb_Is_paid->setChecked(item(5) == QLatin1String("True"));
    QDate paid;
    if (cb_Is_paid->isChecked()) {
        // Paid without a date is day 0 (30.12.1899), shown and saved so,
        // not today.
        dtp_Paid_on->setDate(StoredDate(item(6), paid) ? paid : QDate(1899, 12, 30));
    }
    const QStringList records = GridRecordsOf(lines);
    FStoredLines.clear();
    for (const QString &record : records) {
        const QStringList fields = record.split(QLatin1Char('@'));
        FStoredLines[fields.value(colCode)] = fields;
    }
    ShowStored(header, records);
    cb_Is_paidClick();
    CalculateTotals();
    return true;
}

bool TSalesDocumentForm::DoExecute()
{
    if (IsNew)
        return false;
    // Unsaved changes are asked about first: Yes saves them (and the saved
    // document's window closes), No drops them, Cancel keeps them.
    if (Modified() && ConfirmSave() != mrNo)
        return false;
    if (FLineInEdit) {
        FLineInEdit = false;
        edAmount->SetValue(0);
        SetCaptionColor(0xF4C666);
    }
    ClearGrid(*GridGoods, 0);
    const bool loaded = LoadDocument();
    AfterDocument();
    SetModified(false);
    return loaded;
}

void TSalesDocumentForm::UpdateActions()
{
    // The window's actions keep the states it gives them.
}

// ---------------------------------------------------------------- customer, products

void TSalesDocumentForm::leCustomerChange()
{
    const int customer = StrToIntOrZero(leCustomer->text());
    try {
        SelectToList(this, DbConnection, Format(QString::fromUtf8(FKind.SitesSql), {customer}), FObjects);
        SetupListEdit(leObject, LoadResString(rsCodeNameCaptions), &FObjects);
        const int proposed = FKind.ProposesLastSite ? FObjects.Count() - 1 : 0;
        SetEditText(leObject, FObjects.Count() > 0 ? FieldOf(FObjects, proposed, 0) : QString());
        TDelimitedStringList prefs;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("Select Pref_code FROM CustGroups WHERE ( code_c = %d )"), {customer}), prefs);
        FPriceList = StrToIntOrZero(FirstField(prefs));
    } catch (const Exception &e) {
        ShowDatabaseError(e);
        return;
    }
    LoadProductList();
    edPrice->SetValue(0);
}

void TSalesDocumentForm::LoadProductList()
{
    if (FPriceList <= 0 || FPriceList > 5)
        FPriceList = 1;
    const QString sql = ProductListSql();
    try {
        SelectToList(this, DbConnection, sql, FProducts);
    } catch (const Exception &e) {
        ShowDatabaseError(e, sql);
        return;
    }
    SetupListEdit(leIzdelie, LoadResString(rsCodeNameCaptions) + QStringLiteral("@Мярка@Цена"), &FProducts);
    if (TListForm *list = leIzdelie->Form())
        list->Grid()->GetColAttributes(3)->SetFormatter(PriceFormatter);
    const QString remembered = Remembered(leIzdelie);
    SetEditText(leIzdelie, remembered.isEmpty() ? leIzdelie->text() : remembered);
}

long double TSalesDocumentForm::ListPrice(const QString &Text) const { return DotStrToFloat(Text); }

void TSalesDocumentForm::leIzdelieChange()
{
    const int row = RowOfCode(FProducts, leIzdelie->text().trimmed());
    labMeasure->setText(row < 0 ? QString() : FieldOf(FProducts, row, 2));
    edPrice->SetValue(row < 0 ? 0 : ListPrice(FieldOf(FProducts, row, 3)));
    RecalculateValue();
}

// ---------------------------------------------------------------- discount and value

void TSalesDocumentForm::ApplyDiscountSwitches()
{
    const bool on = cbDiscount->isChecked() || cbOverValue->isChecked();
    edDiscountPerc->setEnabled(on);
    Colour(edDiscountPerc, on ? clWindow : cl3DLight);
    if (!on)
        edDiscountPerc->SetValue(0);
    edDiscountPercChange();
}

void TSalesDocumentForm::cbDiscountClick()
{
    if (cbDiscount->isChecked()) {
        const bool was = FRecalculating;
        FRecalculating = true;
        cbOverValue->setChecked(false);
        FRecalculating = was;
    }
    ApplyDiscountSwitches();
}

void TSalesDocumentForm::cbOverValueClick()
{
    if (cbOverValue->isChecked()) {
        const bool was = FRecalculating;
        FRecalculating = true;
        cbDiscount->setChecked(false);
        FRecalculating = was;
    }
    ApplyDiscountSwitches();
}

void TSalesDocumentForm::edDiscountPercChange()
{
    edDiscountedPriceLeva->SetValue(AdjustedPrice(edPrice->Value(), edDiscountPerc->Value(), cbDiscount->isChecked(),
                                                  cbOverValue->isChecked()));
    RecalculateValue();
}

void TSalesDocumentForm::RecalculateValue()
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

void TSalesDocumentForm::cb_Is_paidClick()
{
    const bool paid = cb_Is_paid->isChecked();
    dtp_Paid_on->setEnabled(paid);
    Colour(dtp_Paid_on, paid ? clWindow : clBtnFace);
}

// ---------------------------------------------------------------- lines

long double TSalesDocumentForm::LinesTotal()
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
    return total;
}

void TSalesDocumentForm::CalculateTotals() { ShowTotal(RoundFloat(::AmountPrecision, LinesTotal())); }

bool TSalesDocumentForm::LineValidation()
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
    // A percent the price would not follow is refused, not shown unapplied.
    const long double percent = edDiscountPerc->Value();
    if ((cbDiscount->isChecked() || cbOverValue->isChecked()) && (percent < 0 || percent >= 100))
        text += LoadResString(rsPercentOutOfRange) + kLineBreak;
    if (text.isEmpty())
        return true;
    ShowError(text);
    return false;
}

bool TSalesDocumentForm::DoNew()
{
    if (!LinesTyped())
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
    KeepStoredLine(row);
    CalculateTotals();
    edAmount->SetValue(0);
    leIzdelie->setFocus();
    FLineInEdit = false;
    SetCaptionColor(0xF4C666);
    SetModified(true);
    return true;
}

void TSalesDocumentForm::RemoveLine(int Row)
{
    GridGoods->ClearRowsAttributes(Row, Row, 7);
    if (DataLineCount() > 1)
        DeleteGridRow(*GridGoods, Row);
    else
        ClearGrid(*GridGoods, 0);
    CalculateTotals();
    SetModified(true);
}

bool TSalesDocumentForm::DoEdit()
{
    if (!LinesTyped() || pcMain->currentWidget() != tabGoods)
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
    BeforeLineEdit();
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
    RemoveLine(row);
    return true;
}

bool TSalesDocumentForm::DoDelete()
{
    if (!LinesTyped() || pcMain->currentWidget() != tabGoods)
        return false;
    const int row = GridGoods->Row();
    if (row < kFixedRows || StrToIntOrZero(GridGoods->Cells(colNo, row)) == 0)
        return false;
    if (AskYesNoCancel(QStringLiteral("Желаете ли да изтриете този ред ?")) != mrYes)
        return false;
    RemoveLine(row);
    return true;
}

bool TSalesDocumentForm::KeepStoredLine(int Row)
{
    // A stored line whose typed cells (quantity, price, percent) are as
    // stored keeps the prices and value it was stored with, even where they
    // were computed by another rule: re-saving never changes a stored line.
    const auto stored = FStoredLines.find(GridGoods->Cells(colCode, Row).trimmed());
    if (stored == FStoredLines.end())
        return false;
    for (int c : {colQuantity, colPrice, colPercent})
        if (DotStrToFloat(GridGoods->Cells(c, Row)) != DotStrToFloat(stored->second.value(c)))
            return false;
    for (int c = colQuantity; c <= colValue; ++c)
        GridGoods->SetCells(c, Row, stored->second.value(c));
    return true;
}

bool TSalesDocumentForm::LinesAsStored() const
{
    if (IsNew || FStoredLines.empty())
        return false;
    std::size_t lines = 0;
    for (int row = kFixedRows; row < GridGoods->RowCount(); ++row) {
        const QString code = GridGoods->Cells(colCode, row).trimmed();
        if (code.isEmpty())
            continue;
        const auto stored = FStoredLines.find(code);
        if (stored == FStoredLines.end())
            return false;
        for (int c = colQuantity; c <= colValue; ++c)
            if (DotStrToFloat(GridGoods->Cells(c, row)) != DotStrToFloat(stored->second.value(c)))
                return false;
        ++lines;
    }
    return lines == FStoredLines.size();
}

void TSalesDocumentForm::RecalculateLines()
{
    // Derived cells follow the typed ones: the discounted price and the
    // value of each line, then the total.
    for (int row = kFixedRows; row < GridGoods->RowCount(); ++row) {
        if (GridGoods->Cells(colCode, row).trimmed().isEmpty() || KeepStoredLine(row))
            continue;
        // The kind of the line is the sign of its percent, as it is stored:
        // negative a discount, positive a markup, with or without a '+'.
        const long double signedPercent = DotStrToFloat(GridGoods->Cells(colPercent, row));
        const long double price = AdjustedPrice(DotStrToFloat(GridGoods->Cells(colPrice, row)), std::fabs(signedPercent),
                                                signedPercent < 0, signedPercent > 0);
        const long double quantity = DotStrToFloat(GridGoods->Cells(colQuantity, row));
        GridGoods->SetCells(colDiscPrice, row, FixedText(::PricePrecision, price));
        GridGoods->SetCells(colValue, row, FixedText(::AmountPrecision, RoundFloat(::AmountPrecision, quantity * price)));
    }
    CalculateTotals();
}

// ---------------------------------------------------------------- save and print

bool TSalesDocumentForm::CanSave() { return TQuorendForm::CanSave() && (!FLineInEdit || DoNew()); }

bool TSalesDocumentForm::DoSave()
{
    PrepareLines();
    TDocumentSave save(this);
    save.IsNew = IsNew;
    save.NumberText = FKind.NumberText;
    if (IsNew) {
        save.NumberFromCounter(FKind.Counter, QString(), QStringLiteral("Грешка при актуализиране на NAS."));
        save.NumberColumns = NumberColumns();
        save.FoundFree = FFoundFree;
    } else {
        save.NumberGiven(DocumentNumber());
        // Never over a change saved elsewhere after the load (lines, the
        // paid mark), nor a document deleted meanwhile.
        save.ExpectLoaded(FLoaded, {windowTitle() + QLatin1Char(' ') + NumberText(DocumentNumber()), TitleGender()});
        save.AddReplacing(NumberedStatement(FKind.DeleteRowsSql));
        save.AddReplacing(NumberedStatement(FKind.DeleteHeaderSql));
    }
    AddStatements(save);
    // The number the clerk sees; the save takes the counter's, which
    // another window of this workstation may have moved meanwhile.
    const long double shown = DocumentNumber();
    if (!save.Run())
        return false;

    FSavedNumber = save.Number();
    SetModified(false);
    if (IsNew && FSavedNumber != shown)
        ShowWarning(Format(QStringLiteral("Документът е записан с номер %s."), {NumberText(FSavedNumber)}));
    if (!FSavingForPrint && AskOkCancel(LoadResString(rsPrintCreatedDocuments)) == mrOk)
        FKind.Print(this, FSavedNumber);
    if (IsNew) {
        ProposeFreeNumber(FSavedNumber + 1);
        ClearGrid(*GridGoods, 0);
        CalculateTotals();
        edAmount->SetValue(0);
    }
    SetCaptionColor(clWindowText);
    return true;
}

bool TSalesDocumentForm::DoPrint()
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
    const bool printed = FKind.Print(this, FSavedNumber);
    if (printed && !IsNew)
        QMetaObject::invokeMethod(this, [this] { Close(); }, Qt::QueuedConnection);
    return printed;
}

// ---------------------------------------------------------------- opening

bool TSalesDocumentForm::OpenWindow(TSalesDocumentForm *Open, const std::function<TSalesDocumentForm *()> &Make,
                                    bool New, long double Number)
{
    if (Open) {
        ShowError(LoadResString(rsOneNewDocumentOnly));
        return false;
    }
    QPointer<TSalesDocumentForm> form;
    try {
        form = Make();
        form->IsNew = New;
        if (!New)
            form->pnlDocNo->setText(form->NumberText(Number));
        if (!form->ShowForm())
            return false;
        // F8 reads an opened document again (set once the showing has
        // given the actions back their states).
        form->actExecute->setEnabled(!New);
        form->AfterShown();
    } catch (const std::exception &e) {
        const QString message = dynamic_cast<const Exception *>(&e) ? static_cast<const Exception &>(e).Message()
                                                                    : QString::fromUtf8(e.what());
        ShowErrorBox(QStringLiteral("Грешка при отваряне на документа:\r\r") + message);
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
