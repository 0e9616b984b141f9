#include "reports/unNeobhodimi_Surovini.h"

#include <QLabel>

#include "components/ListEdit.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"
#include "reports/WorkTableReport.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmNeobhodimi_Surovini>(QStringLiteral("TfrmNeobhodimi_Surovini"));
}

TfrmNeobhodimi_Surovini::TfrmNeobhodimi_Surovini(QWidget *AOwner, TFormStyle AFormStyle)
    : TDayOrdersReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmNeobhodimi_Surovini"), QStringLiteral("Необходими суровини и материали"),
              QStringLiteral("Суровина/Материал"));
    leIzdelie = AddListParam(QStringLiteral("leIzdelie"), QStringLiteral("Изделие:"), QStringLiteral("panel_Izdelie"),
                             panel_Izdelie);
}

bool TfrmNeobhodimi_Surovini::InitForm()
{
    const bool ok = TDayOrdersReport::InitForm();
    LoadIzdelieList();
    return ok;
}

bool TfrmNeobhodimi_Surovini::FormDone()
{
    SetRegistrySetting(ValueName(QStringLiteral("leIzdelie_Text")), leIzdelie->text());
    return TDayOrdersReport::FormDone();
}

bool TfrmNeobhodimi_Surovini::LoadIzdelieList()
{
    QString sql;
    if (leGroup->text().isEmpty() && leSubGroup->text().isEmpty())
        sql = QStringLiteral("SELECT Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka FROM Merki LEFT JOIN Izdelia ON "
                             "Merki.n_Miarka = Izdelia.mjarka ORDER BY name_izd");
    else
        sql = Format(QStringLiteral("SELECT  Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka FROM Merki LEFT JOIN "
                                    "Izdelia ON Merki.n_Miarka = Izdelia.mjarka WHERE ( ( group_izd = %d ) and ( "
                                    "subgroup = %d ) ) ORDER BY name_izd"),
                     {StrToIntOrZero(leGroup->text()), StrToIntOrZero(leSubGroup->text())});
    return FillList(leIzdelie, sql, QStringLiteral("Шифър@Наименование@Мярка"),
                    ValueName(QStringLiteral("leIzdelie_Text")));
}

void TfrmNeobhodimi_Surovini::GroupChanged()
{
    TDayOrdersReport::GroupChanged();
    LoadIzdelieList();
}

QString TfrmNeobhodimi_Surovini::BuildGroupFilter()
{
    QString filter = TDayOrdersReport::BuildGroupFilter();
    if (!leIzdelie->text().trimmed().isEmpty())
        filter += Format(QStringLiteral(" ( Izdelia.code_izd = %d ) AND "), {StrToIntOrZero(leIzdelie->text())});
    return filter;
}

QString TfrmNeobhodimi_Surovini::GetSubTitle()
{
    QString title = TDayOrdersReport::GetSubTitle();
    if (!leIzdelie->text().trimmed().isEmpty())
        title += Format(QStringLiteral(" за изделие %s - %s "), {leIzdelie->text().trimmed(), panel_Izdelie->text()});
    return title;
}

QString TfrmNeobhodimi_Surovini::NormsSql(const QString &Table)
{
    return Format(QStringLiteral("SELECT Resources.code_r, Resources.Name_r, Sum([SumOfquantity]*[quantity_rn]) AS "
                                 "Vlojeni FROM Resources INNER JOIN ( %s INNER JOIN Razhodni_normi ON %s.code_izd = "
                                 "Razhodni_normi.code_izdelie) ON Resources.code_r = Razhodni_normi.code_resource GROUP "
                                 "BY Resources.code_r, Resources.Name_r ORDER BY Resources.code_r"),
                  {Table, Table});
}

bool TfrmNeobhodimi_Surovini::DoExecute()
{
    if (!TDayOrdersReport::DoExecute())
        return false;
    const QString TR = WorkTableName(QStringLiteral("_redovni"));
    const QString TU = WorkTableName(QStringLiteral("_urgent"));
    if (!DropTableIfExists(this, DbConnection, TR) || !DropTableIfExists(this, DbConnection, TU))
        return false;
    TDelimitedStringList MU, RR, UR;
    if (!Select(QStringLiteral("SELECT Resources.code_r, Merki.v_Miarka FROM Merki LEFT JOIN Resources ON "
                               "Merki.n_Miarka = Resources.miarka_r"),
                MU))
        return false;
    if (!ExecSQL(this, DbConnection, OrdersSql(TR, false)) || !Select(NormsSql(TR), RR))
        return false;
    if (!ExecSQL(this, DbConnection, OrdersSql(TU, true)) || !Select(NormsSql(TU), UR))
        return false;
    MergeAndShow(RR, UR, MU);
    if (DropTableIfExists(this, DbConnection, TR))
        DropTableIfExists(this, DbConnection, TU);
    return true;
}
