#include "service/un_NAS.h"

#include "components/LimitedEdit.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/DocumentSave.h"
#include "framework/QuorendFormClasses.h"

#include <QButtonGroup>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>

namespace {

// The characters of the company's details and the printed texts: all but
// control characters, '"' and '@' (a record list drops the one and splits
// fields at the other) and '°' (it splits records). A company name and
// address need „ “ № ( ) & ' and the like.
const char16_t *const kDetailChars = u" -!#-?A-\u0407\u00B1-";
// Numbers that may be typed with a decimal comma.
const char16_t *const kNumberChars = u"0-9.,";

const char16_t *const kUpdateFailed = u"Грешка при актуализиране на %s на ред %d.";
// A row the load lacked, inserted only while it is still missing.
const char16_t *const kInsertMissingNas =
    u"Insert into nas Select %d, \"%s\", \"%s\" Where Not Exists ( Select * From nas Where n_nas = %d and "
    u"ip_address = \"%s\" )";
const char16_t *const kInsertMissingVa =
    u"Insert into VA Select %d, \"%s\" Where Not Exists ( Select * From VA Where code_va = %d )";
const char16_t *const kNotACounter = u"Полето \"%s\" трябва да съдържа цяло число от 0 до 9999999999.";
const char16_t *const kNotARate = u"Полето \"%s\" трябва да съдържа число: 0.2 за 20 %%.";
const char16_t *const kRateOutOfRange =
    u"Процентът ДДС %s е извън границите от 0 до 1 (0.2 за 20 %%).\n\rЖелаете ли да го запишете?";

bool IsCounter(int Number) { return Number == NasGoodsReceiptCounter || Number == NasInvoiceCounter; }

// A counter's text as the operator may give it: a whole number of at most
// ten digits ("7", "0000000007", "7.00"); "" counts as 0.
bool IsCounterText(const QString &Text)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*\\d{1,10}(?:[.,]0*)?\\s*$"));
    return Text.trimmed().isEmpty() || whole.match(Text).hasMatch();
}

// The VAT rate as typed ("0.2", "0,2", ".2"); nullopt when it does not read.
std::optional<long double> RateOf(const QString &Text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(?:\\d+(?:[.,]\\d*)?|[.,]\\d+)\\s*$"));
    if (!number.match(Text).hasMatch())
        return std::nullopt;
    return DotStrToFloat(Text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')));
}

QString NasLabel(int Number)
{
    switch (Number) {
    case 1: return QStringLiteral("1. Последен номер на стокова. разписка");
    case 2: return QStringLiteral("2. Последен номер на фактура/известие");
    case 3: return QStringLiteral("3. Служебна информация");
    case 4: return QStringLiteral("4. Съставил фактура");
    case 5: return QStringLiteral("5. Място на сделката");
    }
    return QString();
}

// A row of List with the key in field 0; -1 when none.
int RowOf(const TDelimitedStrings &List, int Key)
{
    return IndexOfFieldValue(QString::number(Key), &List, 0);
}

QString ValueOf(const TDelimitedStrings &List, int Key)
{
    QString value;
    LookupColumn(QString::number(Key), &List, 0, value, 1);
    return value;
}

const bool registered = RegisterQuorendFormClass<TfrmNAS>(QStringLiteral("TfrmNAS"));

} // namespace

const std::vector<int> &TfrmNAS::EditSettings()
{
    static const std::vector<int> numbers = {1, 2, 3, 4, 5};
    return numbers;
}

const std::vector<int> &TfrmNAS::ChoiceSettings()
{
    static const std::vector<int> numbers = {11, 12, 13, 14};
    return numbers;
}

TfrmNAS::TfrmNAS(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmNAS"));
    actExecute->setEnabled(true);
    actSave->setEnabled(true);

    PageControl = new QTabWidget(ClientArea);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    ClientLayout->addWidget(PageControl);

    // This workstation.
    auto *station = new QWidget;
    station->setObjectName(QStringLiteral("tsStation"));
    auto *stationLayout = new QGridLayout(station);
    int row = 0;
    for (int n : EditSettings()) {
        const bool digits = n <= 3;
        // A counter takes '.' and ',' too, so that a "7.00" typed or pasted
        // is read as 7 (or refused), never as 700.
        const QString chars = IsCounter(n) ? QString::fromUtf16(kNumberChars)
                              : digits     ? QStringLiteral("0-9")
                                           : QString::fromUtf16(kDetailChars);
        TLimitedEdit *edit = MakeEdit(station, QStringLiteral("ed_NAS_%1").arg(n), chars, digits ? 10 : 0);
        auto *label = new QLabel(NasLabel(n), station);
        label->setBuddy(edit);
        stationLayout->addWidget(label, row, 0);
        stationLayout->addWidget(edit, row, 1);
        ed_NAS[n] = edit;
        ++row;
    }
    const QStringList noYes = {QStringLiteral("не"), QStringLiteral("да")};
    rg_NAS[11] = MakeChoice(station, QStringLiteral("rg_NAS_11"), QStringLiteral(" 11. Вид печат "),
                            {QStringLiteral("матричен"), QStringLiteral("лазерен")});
    rg_NAS[12] = MakeChoice(station, QStringLiteral("rg_NAS_12"), QStringLiteral(" 12. Разстояние между редовете "),
                            {QStringLiteral("единично"), QStringLiteral("ред и половина")});
    rg_NAS[13] = MakeChoice(station, QStringLiteral("rg_NAS_13"), QStringLiteral(" 13. Печат на телефон "), noYes);
    rg_NAS[14] =
        MakeChoice(station, QStringLiteral("rg_NAS_14"), QStringLiteral(" 14. Автоматично създаване на обект "), noYes);
    rg_Registry_21 = MakeChoice(station, QStringLiteral("rg_Registry_21"), QStringLiteral("21. Вход с парола"),
                                {QStringLiteral("да"), QStringLiteral("не")});
    int column = 0;
    for (QGroupBox *group : {rg_NAS[11], rg_NAS[12], rg_NAS[13], rg_NAS[14], rg_Registry_21}) {
        stationLayout->addWidget(group, row, column);
        if (++column == 2) {
            column = 0;
            ++row;
        }
    }
    stationLayout->setRowStretch(row + 1, 1);
    PageControl->addTab(station, QStringLiteral("За станцията"));

    // The company.
    auto *company = new QWidget;
    company->setObjectName(QStringLiteral("tsCompany"));
    auto *companyLayout = new QGridLayout(company);
    for (int code = 1; code <= 14; ++code) {
        QString chars = QString::fromUtf16(kDetailChars);
        int length = 0;
        switch (code) {
        case 3: length = 13; break;
        case 8: chars = QStringLiteral("0-9"); length = 4; break;
        case 9: chars = QString::fromUtf16(kNumberChars); length = 5; break;
        case 10: length = 8; break;
        case 11:
        case 12: length = 27; break;
        default: break;
        }
        TLimitedEdit *edit = MakeEdit(company, QStringLiteral("ed_VA_%1").arg(code), chars, length);
        auto *label = new QLabel(VaSettingLabel(code), company);
        label->setBuddy(edit);
        companyLayout->addWidget(label, code - 1, 0);
        companyLayout->addWidget(edit, code - 1, 1);
        ed_VA[code] = edit;
    }
    companyLayout->setRowStretch(14, 1);
    PageControl->addTab(company, QStringLiteral("За фирмата"));
}

TLimitedEdit *TfrmNAS::MakeEdit(QWidget *Page, const QString &Name, const QString &ValidChars, int MaxLength)
{
    auto *edit = new TLimitedEdit(Page);
    edit->setObjectName(Name);
    edit->SetValidChars(ValidChars);
    if (MaxLength > 0)
        edit->setMaxLength(MaxLength);
    connect(edit, &QLineEdit::textEdited, this, [this] { SetModified(true); });
    return edit;
}

QGroupBox *TfrmNAS::MakeChoice(QWidget *Page, const QString &Name, const QString &Title, const QStringList &Items)
{
    auto *group = new QGroupBox(Title, Page);
    group->setObjectName(Name);
    auto *layout = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(group);
    for (int i = 0; i < Items.size(); ++i) {
        auto *radio = new QRadioButton(Items[i], group);
        buttons->addButton(radio, i);
        layout->addWidget(radio);
    }
    connect(buttons, &QButtonGroup::idClicked, this, [this] { SetModified(true); });
    return group;
}

int TfrmNAS::ItemIndex(const QGroupBox *Group)
{
    const auto *buttons = Group->findChild<QButtonGroup *>();
    return buttons ? buttons->checkedId() : -1;
}

void TfrmNAS::SetItemIndex(QGroupBox *Group, int Index)
{
    auto *buttons = Group->findChild<QButtonGroup *>();
    if (!buttons)
        return;
    if (QAbstractButton *button = buttons->button(Index)) {
        button->setChecked(true);
        return;
    }
    // No such item: none is selected.
    buttons->setExclusive(false);
    for (QAbstractButton *button : buttons->buttons())
        button->setChecked(false);
    buttons->setExclusive(true);
}

bool TfrmNAS::InitForm()
{
    FAddress = GetLocalIPAddress();
    const QString caption = QStringLiteral("Настройки за ") + FAddress;
    setWindowTitle(caption);
    pnlCaption->setText(caption.toUpper());
    PageControl->setCurrentIndex(0);
    DoExecute();
    if (ed_VA[VaYear]->text().isEmpty())
        ed_VA[VaYear]->SetText(QString::number(QDate::currentDate().year()));
    if (ed_VA[VaVatPercent]->text().isEmpty())
        ed_VA[VaVatPercent]->SetText(QStringLiteral("0.2"));
    return TQuorendForm::InitForm();
}

bool TfrmNAS::CanExecute()
{
    return TQuorendForm::CanExecute() && ConfirmReload(*this, [this] { SetModified(false); });
}

bool TfrmNAS::DoExecute()
{
    FLoading = true;
    struct Done
    {
        bool &flag;
        ~Done() { flag = false; }
    } done{FLoading};
    // What is shown is what the save compares: the rows are read once.
    FNasLoaded.SetQuery(this,
                        Format(QStringLiteral("SELECT n_nas, Value_nas FROM Nas WHERE IP_Address = \"%s\""),
                               {SqlEscape(FAddress)}),
                        TLoadedRows::FirstFields(1));
    FNasLoaded.Read(&FNas);
    FShownText.clear();
    FShownIndex.clear();
    for (int n : EditSettings()) {
        QString value = ValueOf(FNas, n);
        // A counter shows the counters' one form, whichever a writer left.
        if (IsCounter(n) && !value.trimmed().isEmpty())
            value = NasCounterText(NasCounterNumber(value));
        ed_NAS[n]->SetText(value);
        FShownText[ed_NAS[n]] = ed_NAS[n]->text();
    }
    for (int n : ChoiceSettings()) {
        SetItemIndex(rg_NAS[n], StrToIntOrZero(ValueOf(FNas, n)));
        FShownIndex[rg_NAS[n]] = ItemIndex(rg_NAS[n]);
    }
    QString registry;
    GetRegistrySetting(QStringLiteral("rg_Registry_21"), registry);
    SetItemIndex(rg_Registry_21, StrToIntOrZero(registry));
    FVaLoaded.SetQuery(this, QStringLiteral("SELECT code_VA, value_VA FROM VA"), TLoadedRows::FirstFields(1));
    FVaLoaded.Read(&FVa);
    for (int code = 1; code <= 14; ++code) {
        ed_VA[code]->SetText(ValueOf(FVa, code));
        FShownText[ed_VA[code]] = ed_VA[code]->text();
    }
    SetModified(false);
    return true;
}

bool TfrmNAS::EditChanged(const TLimitedEdit *Edit) const
{
    const auto shown = FShownText.find(Edit);
    return shown == FShownText.end() || shown->second != Edit->text();
}

bool TfrmNAS::EditWritten(const TLimitedEdit *Edit, const TDelimitedStrings &Rows, int Key) const
{
    return RowOf(Rows, Key) < 0 || EditChanged(Edit);
}

QString TfrmNAS::EditValue(const TLimitedEdit *Edit) const
{
    const QString text = Edit->text();
    for (int n : EditSettings())
        if (IsCounter(n) && ed_NAS.at(n) == Edit)
            return text.trimmed().isEmpty() ? QString() : NasCounterText(NasCounterNumber(text));
    if (Edit == ed_VA.at(VaVatPercent)) {
        const std::optional<long double> rate = RateOf(text);
        if (!rate)
            return text;
        QString value;
        FloatToDotStr(-1, value, *rate);
        return value;
    }
    return text;
}

QString TfrmNAS::InvalidValues() const
{
    QString messages;
    for (int n : EditSettings()) {
        const TLimitedEdit *edit = ed_NAS.at(n);
        if (IsCounter(n) && EditWritten(edit, FNas, n) && !IsCounterText(edit->text()))
            messages += Format(QString::fromUtf16(kNotACounter), {NasLabel(n)}) + QStringLiteral("\n\r");
    }
    const TLimitedEdit *rate = ed_VA.at(VaVatPercent);
    if (EditWritten(rate, FVa, VaVatPercent) && !RateOf(rate->text()))
        messages += Format(QString::fromUtf16(kNotARate), {VaSettingLabel(VaVatPercent)}) + QStringLiteral("\n\r");
    return messages;
}

std::vector<TfrmNAS::TPlanned> TfrmNAS::Plan() const
{
    std::vector<TPlanned> plan;
    const QString address = SqlEscape(FAddress);
    const QString nas = QStringLiteral("NAS");
    // A setting the operator changed: inserted where the load found no
    // row, else updated (the save has checked the row is as loaded). One
    // left as shown is written only to make the row the load lacked.
    auto nasRow = [&](int n, bool changed, const QString &value) {
        if (changed && RowOf(FNas, n) < 0)
            plan.push_back({Format(QStringLiteral("Insert into nas values ( %d, \"%s\", \"%s\" )"), {n, address, value}),
                            nas, n, true});
        else if (changed)
            plan.push_back(
                {Format(QStringLiteral("Update nas set value_nas = \"%s\" where n_nas = %d and ip_address = \"%s\""),
                        {value, n, address}),
                 nas, n, true});
        else if (RowOf(FNas, n) < 0)
            plan.push_back({Format(QString::fromUtf16(kInsertMissingNas), {n, address, value, n, address}), nas, n, false});
    };
    for (int n : EditSettings())
        nasRow(n, EditChanged(ed_NAS.at(n)), SqlEscape(EditValue(ed_NAS.at(n))));
    for (int n : ChoiceSettings()) {
        const int index = ItemIndex(rg_NAS.at(n));
        const auto shown = FShownIndex.find(rg_NAS.at(n));
        nasRow(n, shown == FShownIndex.end() || shown->second != index, QString::number(index));
    }
    for (int code = 1; code <= 14; ++code) {
        const TLimitedEdit *edit = ed_VA.at(code);
        const bool changed = EditChanged(edit);
        const QString value = SqlEscape(EditValue(edit));
        if (changed && RowOf(FVa, code) < 0)
            plan.push_back({Format(QStringLiteral("Insert into VA values ( %d, \"%s\" )"), {code, value}),
                            QStringLiteral("VA"), code, true});
        else if (changed)
            plan.push_back({Format(QStringLiteral("Update va set value_va = \"%s\" where code_va = %d"), {value, code}),
                            QStringLiteral("VA"), code, true});
        else if (RowOf(FVa, code) < 0)
            plan.push_back({Format(QString::fromUtf16(kInsertMissingVa), {code, value, code}), QStringLiteral("VA"),
                            code, false});
    }
    return plan;
}

QStringList TfrmNAS::SaveStatements() const
{
    QStringList out;
    for (const TPlanned &p : Plan())
        out << p.Sql;
    return out;
}

bool TfrmNAS::CanSave() { return InvalidValues().isEmpty(); }

QString TfrmNAS::GetSaveErrorText() { return InvalidValues(); }

bool TfrmNAS::DoSave()
{
    // A rate outside 0 to 1 is most likely a percent typed as such (20 for
    // 0.2): it goes into every invoice, so the operator confirms it first.
    const TLimitedEdit *rateEdit = ed_VA[VaVatPercent];
    if (EditWritten(rateEdit, FVa, VaVatPercent)) {
        const std::optional<long double> rate = RateOf(rateEdit->text());
        if (rate && (*rate < 0 || *rate > 1)
            && AskYesNoCancel(Format(QString::fromUtf16(kRateOutOfRange), {EditValue(rateEdit)})) != mrYes) {
            ed_VA[VaVatPercent]->setFocus();
            return false;
        }
    }
    // One transaction: a failed statement leaves every setting as it was,
    // and its message names the table and the setting. A setting changed is
    // written only over the row as it was loaded: a change another
    // workstation saved meanwhile refuses the save.
    TDocumentSave save(this);
    save.NumberGiven(0);
    QStringList nasKeys, vaKeys;
    for (const TPlanned &p : Plan()) {
        save.Add(p.Sql, Format(QString::fromUtf16(kUpdateFailed), {p.Table, p.Number}));
        if (p.Changed)
            (p.Table == QLatin1String("VA") ? vaKeys : nasKeys) << QString::number(p.Number);
    }
    if (!nasKeys.isEmpty())
        save.ExpectLoaded(FNasLoaded, nasKeys, {QStringLiteral("Настройките на станцията"), ngPlural});
    if (!vaKeys.isEmpty())
        save.ExpectLoaded(FVaLoaded, vaKeys, {QStringLiteral("Настройките на фирмата"), ngPlural});
    // The window reads everything again after the save.
    save.WindowReadsAgain = true;
    if (!save.Run())
        return false;
    const bool stored =
        SetRegistrySetting(QStringLiteral("rg_Registry_21"), QString::number(ItemIndex(rg_Registry_21)))
        && SetRegistrySetting(QStringLiteral("Print_Laser"), QString::number(ItemIndex(rg_NAS[NasPrintKind])));
    DoExecute();
    if (!stored) {
        ShowError(QStringLiteral("Настройките \"21. Вход с парола\" и \"11. Вид печат\" не можаха да бъдат "
                                 "записани в настройките на потребителя."));
        return false;
    }
    return true;
}
