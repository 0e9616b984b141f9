#include "masterdata/un_Obekti.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterNomenklaturaClass<TfrmObekti>(QStringLiteral("TfrmObekti"));

} // namespace

TfrmObekti::TfrmObekti(QWidget *AOwner, TFormStyle AFormStyle) : TfrmSimple_Nomenklatura(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmObekti"));
    leCustomer = AddPicker(QStringLiteral("leCustomer"), QStringLiteral("Клиент:"), QStringLiteral("panelCustomer"), 120,
                           panelCustomer);
    edGrad = AddEdit(QStringLiteral("edGrad"), QStringLiteral("Град:"), 120);
    edAdres = AddEdit(QStringLiteral("edAdres"), QStringLiteral("Адрес:"), 160);
    edTelefon = AddEdit(QStringLiteral("edTelefon"), QStringLiteral("Телефон:"), 100);
    edPriel = AddEdit(QStringLiteral("edPriel"), QStringLiteral("Приел:"), 140);

    Grid->SetColCount(ColumnCount);
    Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Клиент"),
                      QStringLiteral("Име на клиент"), QStringLiteral("Град"), QStringLiteral("Адрес"),
                      QStringLiteral("Телефон"), QStringLiteral("Приел")});
}

bool TfrmObekti::InitForm()
{
    const bool result = TfrmSimple_Nomenklatura::InitForm();
    for (QLineEdit *edit : {edGrad, edAdres, edTelefon, edPriel})
        static_cast<TLimitedEdit *>(edit)->SetValidChars(NameValidChars);
    FillPicker(leCustomer, QStringLiteral("SELECT code_c, name_c FROM CustGroups ORDER BY name_c"));
    RestoreText(leCustomer);
    return result;
}

bool TfrmObekti::FormDone()
{
    RememberText(leCustomer);
    return TfrmSimple_Nomenklatura::FormDone();
}

QString TfrmObekti::SelectSql()
{
    return QStringLiteral("SELECT Obekti.code_of_object, Obekti.name_o, Obekti.code_of_CustGroup, CustGroups.name_c, "
                          "Obekti.grad, Obekti.adres, Obekti.telefon, Obekti.priel FROM CustGroups LEFT JOIN Obekti "
                          "ON CustGroups.code_c = Obekti.code_of_CustGroup WHERE (((Obekti.code_of_object)<>0)) "
                          "ORDER BY Obekti.code_of_object");
}

QString TfrmObekti::ValidateEditors()
{
    QString messages = TfrmSimple_Nomenklatura::ValidateEditors();
    // A code that is not in the list is no counterparty.
    if (PickedCode(leCustomer) == 0)
        messages += LoadResString(rsEnterCustomer) + QStringLiteral("\n\r");
    return messages;
}

QStringList TfrmObekti::EditorRow()
{
    return {EditorKey(),     edNaimenovanie->text(), QString::number(PickedCode(leCustomer)), PickedName(leCustomer),
            edGrad->text(), edAdres->text(),        edTelefon->text(),               edPriel->text()};
}

void TfrmObekti::LoadEditors(const QStringList &Row)
{
    TfrmSimple_Nomenklatura::LoadEditors(Row);
    leCustomer->setText(Row.value(colCustomer));
    // The allowed characters of a stored text; unchanged, it stays whole.
    static_cast<TLimitedEdit *>(edGrad)->SetText(Row.value(colGrad));
    static_cast<TLimitedEdit *>(edAdres)->SetText(Row.value(colAdres));
    static_cast<TLimitedEdit *>(edTelefon)->SetText(Row.value(colTelefon));
    static_cast<TLimitedEdit *>(edPriel)->SetText(Row.value(colPriel));
}

QList<TfrmSimple_Nomenklatura::TColumnValue> TfrmObekti::EditorColumns()
{
    return {{KeyField(), QString::number(static_cast<int>(feShifyr->Value()))},
            {QStringLiteral("code_of_CustGroup"), QString::number(PickedCode(leCustomer))},
            {NameField(), TextLiteral(edNaimenovanie->text())},
            {QStringLiteral("grad"), TextLiteral(edGrad->text())},
            {QStringLiteral("adres"), TextLiteral(edAdres->text())},
            {QStringLiteral("telefon"), TextLiteral(edTelefon->text())},
            {QStringLiteral("priel"), TextLiteral(edPriel->text())}};
}
