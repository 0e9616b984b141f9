#include "reports/WorkTableReport.h"

#include <QDateEdit>
#include <QLabel>
#include <QLayout>

#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "framework/LookupLists.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"

QString WorkTableName(const QString &Suffix)
{
    const QString name = QStringLiteral("table_") + GetWindowsVolumeSerial() + Suffix;
    if (DbConnection)
        DbConnection->MarkTemporaryTable(name);
    return name;
}

QString DateToRegistryText(const QDate &D)
{
    QString s;
    FloatToDotStr(-1, s, DateToDayNumber(D));
    return s;
}

QDate RegistryTextToDate(const QString &S)
{
    if (S.trimmed().isEmpty())
        return QDate();
    return DayNumberToDate(StrToIntOrZero(S));
}

QString TotalsRecord(int FieldCount, const std::vector<int> &Fields, const std::vector<long double> &Sums,
                     const std::vector<int> &Decimals)
{
    QString record = QStringLiteral("¤Общо:");
    SetPieceCount(record, QLatin1Char('@'), FieldCount);
    for (size_t i = 0; i < Fields.size(); ++i)
        SetPiece(record, QLatin1Char('@'), Fields[i],
                 Format(QStringLiteral("%.*f"), {Decimals[i], Sums[i]}));
    return record;
}

// ---------------------------------------------------------------------------

TPeriodReportForm::TPeriodReportForm(QWidget *AOwner, TFormStyle AFormStyle) : TPeriodForm(AOwner, AFormStyle) {}

void TPeriodReportForm::SetReport(const QString &FormName, const QString &ACaption, const QString &FromValue,
                                  const QString &ToValue)
{
    setObjectName(FormName);
    Caption = ACaption;
    RememberDates(FromValue, ToValue);
}

bool TPeriodReportForm::InitForm()
{
    setWindowTitle(Caption);
    pnlCaption->setText(Caption.toUpper());
    const QSignalBlocker blockFrom(dtp_From);
    const QSignalBlocker blockTo(dtp_To);
    dtp_From->setDate(QDate::currentDate());
    dtp_To->setDate(QDate::currentDate());
    RestoreDates();
    return TQuorendReadForm::InitForm();
}

bool TPeriodReportForm::FormDone()
{
    StoreDates();
    return TQuorendReadForm::FormDone();
}

QString TPeriodReportForm::GetSubTitle()
{
    return Format(QStringLiteral("от дата %s до дата %s"), {DateToDisplayText(From()), DateToDisplayText(To())});
}

void TPeriodReportForm::WatchParam(QDateEdit *Edit)
{
    connect(Edit, &QDateEdit::dateChanged, this, [this] { ParamsChanged(); });
}

void TPeriodReportForm::FillListParam(TListEdit *Edit, const QString &Sql, const QString &Text)
{
    TDelimitedStringList list;
    if (!Select(Sql, list))
        return;
    SetupListEdit(Edit, QStringLiteral("Шифър@Наименование"), &list);
    Edit->setText(Text);
}

bool TPeriodReportForm::Exec(const QString &Sql) { return ExecSQL(this, DbConnection, Sql); }

bool TPeriodReportForm::DropWorkTable(const QString &Name) { return DropTableIfExists(this, DbConnection, Name); }
