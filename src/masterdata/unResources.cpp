#include "masterdata/unResources.h"

#include <QLabel>
#include <QLayout>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterNomenklaturaClass<TfrmResources>(QStringLiteral("TfrmResources"));

} // namespace

TfrmResources::TfrmResources(QWidget *AOwner, TFormStyle AFormStyle) : TfrmSimple_Nomenklatura(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmResources"));
    leMiarka = AddPicker(QStringLiteral("leMiarka"), QStringLiteral("Мярка:"), QStringLiteral("lblMiarkaName"), 90,
                         lblMiarkaName, &lblMiarka);

    Grid->SetColCount(3);
    Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка")});
}

bool TfrmResources::InitForm()
{
    const bool result = TfrmSimple_Nomenklatura::InitForm();
    FillPicker(leMiarka, QStringLiteral("SELECT n_miarka, v_miarka FROM Merki"));
    leMiarka->clear();
    return result;
}

QString TfrmResources::SelectSql()
{
    return QStringLiteral("SELECT Resources.code_r, Resources.Name_r, Merki.v_Miarka FROM Merki LEFT JOIN Resources ON "
                          "Merki.n_Miarka = Resources.Miarka_r WHERE (((Resources.code_r)<>0)) ORDER BY "
                          "Resources.code_r");
}

QString TfrmResources::ValidateEditors()
{
    QString messages = TfrmSimple_Nomenklatura::ValidateEditors();
    // A unit that is not in the list is no unit.
    if (PickedName(leMiarka).isEmpty())
        messages += LoadResString(rsEnterUnit) + QStringLiteral("\n\r");
    return messages;
}

QStringList TfrmResources::EditorRow() { return {EditorKey(), edNaimenovanie->text(), PickedName(leMiarka)}; }

void TfrmResources::LoadEditors(const QStringList &Row)
{
    TfrmSimple_Nomenklatura::LoadEditors(Row);
    // The grid shows the unit's name; its code is found again in the list.
    QString code;
    ListEditLookup(leMiarka, 1, 0, code, Row.value(2));
    leMiarka->setText(code);
}

QList<TfrmSimple_Nomenklatura::TColumnValue> TfrmResources::EditorColumns()
{
    QList<TColumnValue> columns = TfrmSimple_Nomenklatura::EditorColumns();
    columns << TColumnValue{QStringLiteral("Miarka_r"), QString::number(PickedCode(leMiarka))};
    return columns;
}
