#include "reports/DayOrdersReport.h"

#include <QDateEdit>
#include <QLabel>
#include <QLayout>
#include <QSignalBlocker>

#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "reports/WorkTableReport.h"

TDayOrdersReport::TDayOrdersReport(QWidget *AOwner, TFormStyle AFormStyle) : TReportForm(AOwner, AFormStyle)
{
    QLabel *label = nullptr;
    dtp_For = AddDateParam(QStringLiteral("dtp_For"), QStringLiteral("За дата:"), label);
    leGroup = AddListParam(QStringLiteral("leGroup"), QStringLiteral("Група:"), QStringLiteral("pnlGroup"), pnlGroup);
    leSubGroup = AddListParam(QStringLiteral("leSubGroup"), QStringLiteral("Подгрупа:"), QStringLiteral("pnlSubGroup"),
                              pnlSubGroup);
    leGroup->OnChange = [this](QObject *) { GroupChanged(); };
    leSubGroup->OnChange = [this](QObject *) { GroupChanged(); };
    actExecute->setEnabled(true);
}

void TDayOrdersReport::SetReport(const QString &FormName, const QString &ACaption, const QString &RowCaption)
{
    setObjectName(FormName);
    Caption = ACaption;
    SetHeader(6,
              {{RowCaption, QString(), QString(), QStringLiteral("Количество по заявки"), QString(), QString()},
               {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                QStringLiteral("редовни"), QStringLiteral("извънредни"), QStringLiteral("общо")}},
              QStringLiteral("0,0,2,0|3,0,5,0|"));
}

QString TDayOrdersReport::ValueName(const QString &Control) const { return objectName() + QLatin1Char('_') + Control; }

bool TDayOrdersReport::FillList(TListEdit *Edit, const QString &Sql, const QString &Captions, const QString &Value)
{
    TDelimitedStringList list;
    if (!Select(Sql, list))
        return false;
    const QSignalBlocker block(Edit);
    SetupListEdit(Edit, Captions, &list);
    QString text;
    GetRegistrySetting(Value, text);
    Edit->setText(text);
    return true;
}

bool TDayOrdersReport::InitForm()
{
    setWindowTitle(Caption);
    pnlCaption->setText(Caption.toUpper());
    {
        const QSignalBlocker block(dtp_For);
        dtp_For->setDate(QDate::currentDate());
        RestoreDate(ValueName(QStringLiteral("dtp_For")), dtp_For);
    }
    const bool ok = TQuorendReadForm::InitForm();
    for (int c = 3; c <= 5; ++c)
        Grid->GetColAttributes(c)->SetFormatter(AmountFormatter);
    SetHeaderSort(true);
    FillList(leGroup, QStringLiteral("SELECT code_g, name_g FROM Groups"), QStringLiteral("Шифър@Наименование"),
             ValueName(QStringLiteral("leGroup_Text")));
    FillList(leSubGroup, QStringLiteral("SELECT code_s, name_s FROM SubGroup"), QStringLiteral("Шифър@Наименование"),
             ValueName(QStringLiteral("leSubGroup_Text")));
    return ok;
}

bool TDayOrdersReport::FormDone()
{
    SetRegistrySetting(ValueName(QStringLiteral("leGroup_Text")), leGroup->text());
    SetRegistrySetting(ValueName(QStringLiteral("leSubGroup_Text")), leSubGroup->text());
    StoreDate(ValueName(QStringLiteral("dtp_For")), ForDate());
    return TQuorendReadForm::FormDone();
}

QDate TDayOrdersReport::ForDate() const { return dtp_For->date(); }

void TDayOrdersReport::GroupChanged() { ParamsChanged(); }

QString TDayOrdersReport::BuildGroupFilter()
{
    const bool group = !leGroup->text().trimmed().isEmpty();
    const bool sub = !leSubGroup->text().trimmed().isEmpty();
    const int g = StrToIntOrZero(leGroup->text());
    const int s = StrToIntOrZero(leSubGroup->text());
    if (group && sub)
        return Format(QStringLiteral("((Groups.code_g)=%d) AND ((SubGroup.code_s)=%d) AND "), {g, s});
    if (group)
        return Format(QStringLiteral("((Groups.code_g)=%d) AND "), {g});
    if (sub)
        return Format(QStringLiteral("((SubGroup.code_s)=%d) AND "), {s});
    return QString();
}

QString TDayOrdersReport::GetSubTitle()
{
    const QString date = DateToDisplayText(ForDate());
    const QString g = leGroup->text().trimmed();
    const QString s = leSubGroup->text().trimmed();
    if (!g.isEmpty() && !s.isEmpty())
        return Format(QStringLiteral("за група %s - %s, подгрупа %s - %s, към дата %s"),
                      {g, pnlGroup->text(), s, pnlSubGroup->text(), date});
    if (!g.isEmpty())
        return Format(QStringLiteral("за група %s - %s, към дата %s"), {g, pnlGroup->text(), date});
    if (!s.isEmpty())
        return Format(QStringLiteral("за подгрупа %s - %s, към дата %s"), {s, pnlSubGroup->text(), date});
    return Format(QStringLiteral("към дата %s"), {date});
}

QString TDayOrdersReport::OrdersSql(const QString &Into, bool Urgent)
{
    QString sql = QStringLiteral("SELECT Izdelia.code_izd, Izdelia.name_izd, Sum(Zaiavka_rows.quantity_izd) AS "
                                 "SumOfquantity");
    if (!Into.isEmpty())
        sql += QStringLiteral(" INTO ") + Into;
    sql += QStringLiteral(" FROM Zaiavki INNER JOIN (SubGroup INNER JOIN ((Groups INNER JOIN Izdelia ON Groups.code_g = "
                          "Izdelia.group_izd) INNER JOIN Zaiavka_rows ON Izdelia.code_izd = Zaiavka_rows.izdelie) ON "
                          "SubGroup.code_s = Izdelia.subgroup) ON Zaiavki.Query_num = Zaiavka_rows.Query_num GROUP BY  "
                          "Groups.code_g, SubGroup.code_s, Izdelia.code_izd, Izdelia.name_izd, Zaiavki.Is_urgent, "
                          "Zaiavki.for_date HAVING ( %s ((Zaiavki.Is_urgent)=%d) AND ((Zaiavki.for_date)=%d)) ORDER BY "
                          "Izdelia.name_izd ");
    return Format(sql, {BuildGroupFilter(), Urgent ? -1 : 0, DateToDayNumber(ForDate())});
}

void TDayOrdersReport::MergeAndShow(TDelimitedStringList &Regular, TDelimitedStringList &Urgent,
                                    TDelimitedStringList &Measures)
{
    TDelimitedStringList R;
    for (int i = 0; i < Regular.Count(); ++i) {
        QString code, name, quantity;
        Regular.GetField(i, 0, code);
        Regular.GetField(i, 1, name);
        Regular.GetField(i, 2, quantity);
        R.Add(code + QLatin1Char('@') + name + QStringLiteral("@@") + quantity + QStringLiteral("@@"));
    }
    for (int i = 0; i < Urgent.Count(); ++i) {
        QString code, name, quantity;
        Urgent.GetField(i, 0, code);
        Urgent.GetField(i, 1, name);
        Urgent.GetField(i, 2, quantity);
        const int at = IndexOfFieldValue(code, &R, 0);
        if (at >= 0)
            R.SetField(at, 4, quantity);
        else
            R.Add(code + QLatin1Char('@') + name + QStringLiteral("@@@") + quantity + QLatin1Char('@'));
    }
    SortDelimitedList(&R, 1);
    for (int i = 0; i < R.Count(); ++i) {
        QString code, regular, urgent, total, measure;
        R.GetField(i, 0, code);
        R.GetField(i, 3, regular);
        R.GetField(i, 4, urgent);
        AddDotStr(urgent, regular, total);
        R.SetField(i, 5, total);
        LookupColumn(code, &Measures, 0, measure, 1);
        R.SetField(i, 2, measure);
    }
    ShowRows(R);
}
