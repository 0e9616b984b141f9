#include "documents/PaymentEntryForm.h"

#include "components/Formatters.h"
#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"

#include <QButtonGroup>
#include <QDate>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace {

QString Fixed2(long double X)
{
    QString s;
    FloatToFixedDotStr(2, s, X);
    return s;
}

} // namespace

TPaymentEntryForm::TPaymentEntryForm(QWidget *AOwner, TFormStyle AFormStyle, int ColCount, int ValueColumn,
                                     const QString &TypeCaption)
    : TQuorendReadForm(AOwner, AFormStyle), FColCount(ColCount), FValueColumn(ValueColumn)
{
    dtp_From = AddDatePicker(pnlParams, QStringLiteral("От дата:"), QStringLiteral("dtp_From"));
    dtp_To = AddDatePicker(pnlParams, QStringLiteral("до дата:"), QStringLiteral("dtp_To"));
    auto *params = pnlParams->layout();

    rg_Type = new QGroupBox(TypeCaption, pnlParams);
    rg_Type->setObjectName(QStringLiteral("rg_Type"));
    auto *typeLayout = new QHBoxLayout(rg_Type);
    typeLayout->setContentsMargins(4, 0, 4, 0);
    rg_TypeButtons = new QButtonGroup(rg_Type);
    const QStringList items = {QStringLiteral("всички"), QStringLiteral("неплатени"), QStringLiteral("платени")};
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], rg_Type);
        rg_TypeButtons->addButton(button, i);
        typeLayout->addWidget(button);
    }
    rg_TypeButtons->button(0)->setChecked(true);
    params->addWidget(rg_Type);

    Grid->SetColCount(ColCount);
    Grid->SetFixedRows(2);
    Grid->SetRowCount(3);

    FAmounts = std::make_unique<TGridAmountEntry>(Grid, TGridAmountEntry::akDecimal);
    FAmounts->SetEditableColumn(ToPayColumn());
    FAmounts->SumColumns = {ValueColumn, PaidColumn(), RemainingColumn(), ToPayColumn()};
    Grid->OnClick = [this](QObject *) { GridClick(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };
    // A typed amount is unsaved work: Esc, F8 and a change of the
    // parameters ask about it first.
    Grid->OnSetEditText = [this](QObject *, int, int, const QString &) {
        FAmounts->EditTextSet();
        SetModified(true);
    };

    connect(dtp_From, &QDateEdit::dateChanged, this, [this] { ParamsChange(); });
    connect(dtp_To, &QDateEdit::dateChanged, this, [this] { ParamsChange(); });
    connect(rg_TypeButtons, &QButtonGroup::idClicked, this, [this] { ParamsChange(); });

    actExecute->setEnabled(true);
    actSave->setEnabled(true);
    // The save reads again only the documents it pays; what it would tell
    // the clerk was told by the load.
    FLoaded.SetReader([this](TDelimitedStringList &Records) { FetchDocuments(Records, FFetchWarnings); },
                      TLoadedRows::FirstFields(1));
    FLoaded.SetKeysReader([this](const QStringList &Keys, TDelimitedStringList &Records) {
        QStringList warnings;
        FetchDocuments(Records, warnings, &Keys);
    });

    FSwitch.Read = [this] {
        return QStringList{FParty ? FParty->text() : QString(), dtp_From->date().toString(Qt::ISODate),
                           dtp_To->date().toString(Qt::ISODate), QString::number(TypeIndex())};
    };
    FSwitch.Write = [this](const QStringList &Params) {
        if (FParty)
            FParty->setText(Params.value(0));
        dtp_From->setDate(QDate::fromString(Params.value(1), Qt::ISODate));
        dtp_To->setDate(QDate::fromString(Params.value(2), Qt::ISODate));
        SetTypeIndex(Params.value(3).toInt());
    };
    FSwitch.Drop = [this] { SetModified(false); };
    AskBeforeReading(FSwitch.Drop);
}

TPaymentEntryForm::~TPaymentEntryForm() = default;

int TPaymentEntryForm::TypeIndex() const { return rg_TypeButtons->checkedId(); }

void TPaymentEntryForm::SetTypeIndex(int Index)
{
    if (QAbstractButton *button = rg_TypeButtons->button(Index))
        button->setChecked(true);
}

void TPaymentEntryForm::SetParty(TListEdit *Picker, const QString &Noun, const QString &RegistryValue,
                                 TFillList Fill)
{
    FParty = Picker;
    FPartyNoun = Noun;
    FPartyRegistryValue = RegistryValue;
    FFillParty = Fill;
    connect(FParty, &QLineEdit::textChanged, this, [this] { ParamsChange(); });
}

bool TPaymentEntryForm::InitForm()
{
    const bool loading = FLoading;
    FLoading = true;
    if (FParty && FFillParty)
        FFillParty(this, FParty);
    dtp_From->setDate(QDate::currentDate());
    dtp_To->setDate(QDate::currentDate());
    for (int col = ValueColumn(); col <= ToPayColumn(); ++col)
        Grid->GetColAttributes(col)->SetFormatter(ValueFormatter);
    FLoading = loading;
    return TQuorendReadForm::InitForm();
}

bool TPaymentEntryForm::FormDone()
{
    if (FParty)
        SetRegistrySetting(FPartyRegistryValue, FParty->text());
    return TQuorendReadForm::FormDone();
}

QString TPaymentEntryForm::GetSubTitle()
{
    if (!FParty)
        return TQuorendReadForm::GetSubTitle();
    QString name;
    ListEditLookup(FParty, 0, 1, name, FParty->text().trimmed());
    return Format(QStringLiteral(" за %s %s - %s, от дата %s, до дата %s"),
                  {FPartyNoun, FParty->text(), name, DateToDisplayText(dtp_From->date()),
                   DateToDisplayText(dtp_To->date())});
}

bool TPaymentEntryForm::BeforeShow()
{
    if (!TQuorendReadForm::BeforeShow())
        return false;
    const QString caption = CaptionText();
    setWindowTitle(caption);
    pnlCaption->setText(caption.toUpper());
    Execute();
    return true;
}

bool TPaymentEntryForm::CanExecute()
{
    // An unlisted party's message is the save's own.
    return CodeToReadBy(FParty, PaymentPartyError(), ShowValidationMessages()) && TQuorendReadForm::CanExecute();
}

bool TPaymentEntryForm::DoExecute()
{
    // What the save compares is what is shown: the documents are read once.
    TDelimitedStringList rows;
    FFetchWarnings.clear();
    FLoaded.Read(&rows);
    const QStringList warnings = FFetchWarnings;
    FFetchWarnings.clear();
    for (const QString &w : warnings)
        ShowError(w);

    const QChar d = rows.FieldDelimiter();
    TDelimitedStringList kept;
    for (int i = 0; i < rows.Count(); ++i) {
        QString record = rows.Strings(i);
        SetPieceCount(record, d, FColCount);
        QString value, paid;
        GetPiece(record, d, ValueColumn(), value);
        GetPiece(record, d, PaidColumn(), paid);
        const long double v = RoundFloat(2, DotStrToFloat(value));
        const long double p = RoundFloat(2, DotStrToFloat(paid));
        const long double remaining = RoundFloat(2, v - p);
        if ((TypeIndex() == 1 && remaining == 0) || (TypeIndex() == 2 && remaining != 0))
            continue;
        SetPiece(record, d, ValueColumn(), Fixed2(v));
        SetPiece(record, d, PaidColumn(), Fixed2(p));
        SetPiece(record, d, RemainingColumn(), Fixed2(remaining));
        SetPiece(record, d, ToPayColumn(), Fixed2(remaining));
        kept.Add(record);
    }
    // The filter's conditions first, so that the totals are those of the
    // documents shown.
    QStringList sumColumns;
    for (int col = ValueColumn(); col <= ToPayColumn(); ++col)
        sumColumns << QString::number(col);
    FilterRows(kept, sumColumns.join(QChar(',')));
    long double sums[4] = {0, 0, 0, 0};
    for (int i = 0; i < kept.Count(); ++i) {
        QString first;
        kept.GetField(i, 0, first);
        if (first == FilterTotalsMarker)
            continue;
        for (int c = 0; c < 4; ++c) {
            QString field;
            kept.GetField(i, ValueColumn() + c, field);
            sums[c] += RoundFloat(2, DotStrToFloat(field));
        }
    }
    QString totals = QString(HighlightMarker) + QStringLiteral("Общо:");
    SetPieceCount(totals, d, FColCount);
    for (int c = 0; c < 4; ++c)
        SetPiece(totals, d, ValueColumn() + c, Format(QStringLiteral("%.2f"), {sums[c]}));
    kept.Add(totals);
    FillGridFromDelimitedStrings(*Grid, kept, true);
    SetHeaderSort(true);
    FAmounts->RecalcTotals();
    SetModified(false);
    FSwitch.Shown();
    return true;
}

void TPaymentEntryForm::ParamsChange()
{
    if (FLoading)
        return;
    // Typed amounts belong to the documents shown so far: asked about
    // first.
    if (!FSwitch.Confirm(*this))
        return;
    SetModified(false);
    ClearGrid(*Grid, 0);
}

void TPaymentEntryForm::GridClick() { FAmounts->Click(); }
void TPaymentEntryForm::GridKeyPress(QChar &Key) { FAmounts->KeyPress(Key); }

std::vector<std::pair<int, long double>> TPaymentEntryForm::PaymentRows() const
{
    std::vector<std::pair<int, long double>> rows;
    for (int row = Grid->FixedRows(); row < Grid->RowCount() - 1; ++row) {
        if (IsTotalsRow(row))
            continue;
        const long double amount = RoundFloat(2, DotStrToFloat(Grid->Cells(ToPayColumn(), row)));
        if (amount > 0)
            rows.emplace_back(row, amount);
    }
    return rows;
}

bool TPaymentEntryForm::CanSave()
{
    FSaveError.clear();
    if (!TQuorendReadForm::CanSave())
        return false;
    FSaveError = PaymentPartyError();
    if (!FSaveError.isEmpty())
        return false;
    // An amount typed is a number, or nothing is saved.
    for (int row = Grid->FixedRows(); row < Grid->RowCount() - 1; ++row)
        if (!IsTotalsRow(row))
            FSaveError += AmountTextError(Grid->Cells(ToPayColumn(), row),
                                          Format(QStringLiteral("сумата за плащане на \"%s\""),
                                                 {Grid->Cells(0, row).trimmed()}));
    if (!FSaveError.isEmpty())
        return false;
    long double sum = 0;
    for (const auto &row : PaymentRows())
        sum += row.second;
    if (!(sum > 0)) {
        FSaveError = QStringLiteral("Не са въведени данни, които да се запишат в базата данни");
        return false;
    }
    return true;
}

bool TPaymentEntryForm::SavePayments()
{
    // The amounts as they stand now (the last one typed included); the
    // payments' numbers are taken inside the save's transaction, one each.
    const auto rows = PaymentRows();
    if (rows.empty())
        return false;
    const int day = DateToDayNumber(QDate::currentDate());
    const QString table = PaymentTable();
    TDocumentSave save(this);
    save.NumberFromNextCode(QStringLiteral("docno"), table);
    // What was paid on each row paid now must be what the amounts were
    // typed against: a payment saved meanwhile elsewhere refuses the save,
    // so that nothing is paid twice. Only the documents paid are read
    // again, and not after the statements: the reload reads them all.
    for (const auto &paid : rows)
        save.ExpectLoaded(FLoaded, {Grid->Cells(0, paid.first).trimmed()}, RowDocumentName(paid.first));
    save.WindowReadsAgain = true;
    for (int i = 0; i < int(rows.size()); ++i) {
        const int row = rows[size_t(i)].first;
        const long double amount = rows[size_t(i)].second;
        save.Add([=](long double n) { return PaymentInsert(int(n) + i, day, row, amount); },
                 Format(LoadResString(rsUpdateRowError), {table, i + 1}));
    }
    return save.Run();
}

bool TPaymentEntryForm::DoSave()
{
    if (!SavePayments())
        return false;
    SetModified(false);
    Execute();
    return true;
}
