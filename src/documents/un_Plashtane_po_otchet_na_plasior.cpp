#include "documents/un_Plashtane_po_otchet_na_plasior.h"

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>

namespace {

const QString kRegBus = QStringLiteral("code_bus_Text");

// Each statement in parts: the save reads again the reports it pays, by
// their days (days of the period, as they were loaded) in place of the
// period, which would lead the search through every minibus's reports of
// the period.
const char16_t *const kSelectReports =
    u"SELECT date_doc,        Sum( value_izd ) AS SumOfvalue_izd FROM Otchet_plasiori WHERE ( code_bus = %d ) ";
const char16_t *const kGroupReports = u"GROUP BY date_doc ";
const char16_t *const kReportsPeriod = u"HAVING ( date_doc >= %d AND date_doc <= %d ) ";
const char16_t *const kOrderReports = u"ORDER BY date_doc";
const char16_t *const kSelectPaid =
    u"SELECT date_otchet, Sum( suma ) AS SumOfsuma FROM Plashtane_po_otchet_na_plasior WHERE ( c_bus = %d ) ";
const char16_t *const kGroupPaid = u"GROUP BY date_otchet ";
const char16_t *const kPaidPeriod = u"HAVING ( date_otchet >= %d And date_otchet <= %d ) ";
const char16_t *const kOrderPaid = u"ORDER BY date_otchet";
const char16_t *const kDaysIn = u"AND ( %s IN ( %s ) ) ";
const char16_t *const kNoReport = u"За плащане на дата %s не е попълнен отчет на пласьор.";
const char16_t *const kInsertPayment = u"Insert into %s values ( %d, %d, %d, %d, %.2f )";

const bool registered = RegisterQuorendFormClass<TfrmPlashtane_po_otchet_na_plasior>(
    QStringLiteral("TfrmPlashtane_po_otchet_na_plasior"));

} // namespace

TfrmPlashtane_po_otchet_na_plasior::TfrmPlashtane_po_otchet_na_plasior(QWidget *AOwner, TFormStyle AFormStyle)
    : TPaymentEntryForm(AOwner, AFormStyle, colCount, colValue, QStringLiteral(" Вид на отчетите: "))
{
    setObjectName(QStringLiteral("frmPlashtane_po_otchet_na_plasior"));
    code_bus = AddBusPicker(pnlParams, QStringLiteral("code_bus"), panelMicrobus);
    SetParty(code_bus, QStringLiteral("микробус"), kRegBus, FillBusesList);

    Grid->SetRows(0, {QStringLiteral("Отчет"), QString(), QStringLiteral("Платено"), QStringLiteral("Остатък"),
                      QStringLiteral("За плащане")});
    Grid->SetRows(1, {QStringLiteral("Дата"), QStringLiteral("Стойност"), QString(), QString(), QString()});
    Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0|2,0,2,1|3,0,3,1|4,0,4,1"));
}

TfrmPlashtane_po_otchet_na_plasior::~TfrmPlashtane_po_otchet_na_plasior() = default;

int TfrmPlashtane_po_otchet_na_plasior::BusCode() const { return StrToIntOrZero(code_bus->text()); }

void TfrmPlashtane_po_otchet_na_plasior::FetchDocuments(TDelimitedStringList &Records, QStringList &Warnings,
                                                        const QStringList *Keys)
{
    const int bus = BusCode();
    const int from = DateToDayNumber(dtp_From->date());
    const int to = DateToDayNumber(dtp_To->date());
    QString days;
    if (Keys) {
        for (const QString &key : *Keys)
            days += (days.isEmpty() ? QString() : QStringLiteral(", "))
                    + QString::number(DateToDayNumber(DisplayDateToDate(key)));
    }
    // The days read: those of the keys, or the period.
    auto statement = [&](const char16_t *Select, const char *Day, const char16_t *Group, const char16_t *Period,
                         const char16_t *Order) {
        QString sql = Format(QString::fromUtf16(Select), {bus});
        if (Keys)
            sql += Format(QString::fromUtf16(kDaysIn), {QString::fromLatin1(Day), days}) + QString::fromUtf16(Group);
        else
            sql += QString::fromUtf16(Group) + Format(QString::fromUtf16(Period), {from, to});
        return sql + QString::fromUtf16(Order);
    };
    SelectToList(this, DbConnection, statement(kSelectReports, "date_doc", kGroupReports, kReportsPeriod, kOrderReports),
                 Records);
    TDelimitedStringList paid;
    SelectToList(this, DbConnection, statement(kSelectPaid, "date_otchet", kGroupPaid, kPaidPeriod, kOrderPaid), paid);

    const QChar d = Records.FieldDelimiter();
    QHash<QString, int> byDate;
    for (int i = 0; i < Records.Count(); ++i) {
        QString record = Records.Strings(i);
        SetPieceCount(record, d, colCount);
        Records.SetStrings(i, record);
        QString date;
        GetPiece(record, d, colDate, date);
        byDate.insert(date, i);
    }
    for (int i = 0; i < paid.Count(); ++i) {
        QString date, sum;
        paid.GetField(i, 0, date);
        paid.GetField(i, 1, sum);
        const auto at = byDate.constFind(date);
        if (at == byDate.constEnd()) {
            Warnings << Format(QString::fromUtf16(kNoReport), {date});
            continue;
        }
        QString record = Records.Strings(at.value());
        SetPiece(record, d, colPaid, sum);
        Records.SetStrings(at.value(), record);
    }
}

TDocumentName TfrmPlashtane_po_otchet_na_plasior::RowDocumentName(int Row) const
{
    return {Format(QStringLiteral("Плащанията по отчета на микробус %d за %s"), {BusCode(), Grid->Cells(colDate, Row)}),
            ngPlural};
}

QString TfrmPlashtane_po_otchet_na_plasior::PaymentPartyError()
{
    if (ListedCode(code_bus) == 0)
        return QStringLiteral("Въвдетете микробус");
    return QString();
}

QString TfrmPlashtane_po_otchet_na_plasior::PaymentInsert(int Number, int Day, int Row, long double Amount) const
{
    const int report = DateToDayNumber(DisplayDateToDate(Grid->Cells(colDate, Row)));
    return Format(QString::fromUtf16(kInsertPayment), {PaymentTable(), Number, Day, BusCode(), report, Amount});
}
