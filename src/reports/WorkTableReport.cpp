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

TPeriodReportForm::TPeriodReportForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
{
    auto makeDate = [this](const QString &Name, const QString &Label, QLabel *&L) {
        L = new QLabel(Label, pnlParams);
        auto *edit = new QDateEdit(pnlParams);
        edit->setObjectName(Name);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setCalendarPopup(true);
        edit->setDate(QDate::currentDate());
        L->setBuddy(edit);
        pnlParams->layout()->addWidget(L);
        pnlParams->layout()->addWidget(edit);
        return edit;
    };
    dtp_From = makeDate(QStringLiteral("dtp_From"), QStringLiteral("От дата:"), lblFrom);
    dtp_To = makeDate(QStringLiteral("dtp_To"), QStringLiteral("До дата:"), lblTo);
    WatchParam(dtp_From);
    WatchParam(dtp_To);
    actExecute->setEnabled(true);
}

void TPeriodReportForm::SetReport(const QString &FormName, const QString &ACaption, const QString &FromValue,
                                  const QString &ToValue)
{
    setObjectName(FormName);
    Caption = ACaption;
    FFromValue = FromValue;
    FToValue = ToValue;
}

void TPeriodReportForm::AddParam(QWidget *Control)
{
    Control->setParent(pnlParams);
    pnlParams->layout()->addWidget(Control);
}

bool TPeriodReportForm::InitForm()
{
    setWindowTitle(Caption);
    pnlCaption->setText(Caption.toUpper());
    const QSignalBlocker blockFrom(dtp_From);
    const QSignalBlocker blockTo(dtp_To);
    dtp_From->setDate(QDate::currentDate());
    dtp_To->setDate(QDate::currentDate());
    QString text;
    GetRegistrySetting(FFromValue, text);
    if (!text.isEmpty())
        dtp_From->setDate(RegistryTextToDate(text));
    text.clear();
    GetRegistrySetting(FToValue, text);
    if (!text.isEmpty())
        dtp_To->setDate(RegistryTextToDate(text));
    return TQuorendReadForm::InitForm();
}

bool TPeriodReportForm::FormDone()
{
    SetRegistrySetting(FFromValue, DateToRegistryText(From()));
    SetRegistrySetting(FToValue, DateToRegistryText(To()));
    return TQuorendReadForm::FormDone();
}

QString TPeriodReportForm::GetSubTitle()
{
    return Format(QStringLiteral("от дата %s до дата %s"), {DateToDisplayText(From()), DateToDisplayText(To())});
}

QDate TPeriodReportForm::From() const { return dtp_From->date(); }
QDate TPeriodReportForm::To() const { return dtp_To->date(); }

void TPeriodReportForm::SetPeriod(const QDate &AFrom, const QDate &ATo)
{
    dtp_From->setDate(AFrom);
    dtp_To->setDate(ATo);
}

void TPeriodReportForm::ParamsChanged()
{
    if (Grid->RowCount() > Grid->FixedRows())
        Grid->ClearRowsAttributes(Grid->FixedRows(), Grid->RowCount() - 1, 2 | 4);
    ClearGrid(*Grid, 0);
}

void TPeriodReportForm::WatchParam(QDateEdit *Edit)
{
    connect(Edit, &QDateEdit::dateChanged, this, [this] { ParamsChanged(); });
}

TListEdit *TPeriodReportForm::AddListParam(const QString &Name, const QString &Label, const QString &PanelName,
                                           QLabel *&Panel)
{
    auto *caption = new QLabel(Label, pnlParams);
    auto *edit = new TListEdit(pnlParams);
    edit->setObjectName(Name);
    edit->setFixedWidth(80);
    caption->setBuddy(edit);
    Panel = new QLabel(pnlParams);
    Panel->setObjectName(PanelName);
    Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel->setMinimumWidth(140);
    edit->SetDescrControl(Panel);
    edit->OnChange = [this](QObject *) { ParamsChanged(); };
    pnlParams->layout()->addWidget(caption);
    pnlParams->layout()->addWidget(edit);
    pnlParams->layout()->addWidget(Panel);
    return edit;
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

bool TPeriodReportForm::Select(const QString &Sql, TDelimitedStringList &List)
{
    return SelectToList(this, DbConnection, Sql, List);
}

bool TPeriodReportForm::DropWorkTable(const QString &Name) { return DropTableIfExists(this, DbConnection, Name); }

void TPeriodReportForm::ShowRows(TDelimitedStrings &Rows)
{
    FilterRows(Rows, QString());
    FillGridFromDelimitedStrings(*Grid, Rows, true);
    SetHeaderSort(true);
}

void TPeriodReportForm::SetHeader(int ColCount, const std::vector<QStringList> &Texts, const QString &Merge)
{
    Grid->SetColCount(ColCount);
    Grid->SetRowCount(static_cast<int>(Texts.size()) + 1);
    Grid->SetFixedRows(static_cast<int>(Texts.size()));
    for (size_t r = 0; r < Texts.size(); ++r)
        Grid->SetRows(static_cast<int>(r), Texts[r]);
    Grid->SetMergeCellsStr(Merge);
}
