#include "masterdata/unIzdelia.h"

#include <QLabel>
#include <QLayout>
#include <map>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/Formatters.h"
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

const bool registered = RegisterQuorendFormClass<TfrmIzdelia>(QStringLiteral("TfrmIzdelia"));

const char *const kGroupValue = "frmIzdelia_leGroup_Text";
const char *const kUnitValue = "frmIzdelia_leMjarka_Text";
const char *const kSubGroupValue = "frmIzdelia_leSubGroup_Text";

QString ShortText(long double X)
{
    QString s;
    FloatToDotStr(-1, s, X);
    return s;
}

// A code-to-name map of a code-and-name list.
std::map<QString, QString> NamesByCode(const TDelimitedStringList &List)
{
    std::map<QString, QString> names;
    QString code, name;
    for (int i = 0; i < List.Count(); ++i) {
        List.GetField(i, 0, code);
        List.GetField(i, 1, name);
        names.emplace(code, name);
    }
    return names;
}

QString NameOf(const std::map<QString, QString> &Names, const QString &Code)
{
    const auto found = Names.find(Code);
    return found != Names.end() ? found->second : QString();
}

} // namespace

TfrmIzdelia::TfrmIzdelia(QWidget *AOwner, TFormStyle AFormStyle) : TfrmSimple_Nomenklatura(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmIzdelia"));
    SetFormTitle(QStringLiteral("Изделия"));
    SetTableName(QStringLiteral("Izdelia"));
    SetKeyField(QStringLiteral("code_izd"));
    SetNameField(QStringLiteral("name_izd"));
    SetItemNoun(LoadResString(rsProductNoun));

    leGroup = MakePicker(QStringLiteral("leGroup"), QStringLiteral("Група:"), lblGroup, pnl_Group,
                         QStringLiteral("pnl_Group"));
    leSubGroup = MakePicker(QStringLiteral("leSubGroup"), QStringLiteral("Подгрупа:"), lblSubGroup, pnl_SubGroup,
                            QStringLiteral("pnl_SubGroup"));
    leMjarka = MakePicker(QStringLiteral("leMjarka"), QStringLiteral("Мярка:"), lblMjarka, pnlMjarka,
                          QStringLiteral("pnlMjarka"));
    for (int i = 0; i < 5; ++i) {
        lblPrice[i] = new QLabel(Format(QStringLiteral("Цена %d:"), {i + 1}), pnlParams);
        edPrice[i] = new TFloatEdit(pnlParams);
        edPrice[i]->setObjectName(Format(QStringLiteral("edPrice_%d"), {i + 1}));
        edPrice[i]->SetPrecision(PricePrecision);
        edPrice[i]->setFixedWidth(80);
        lblPrice[i]->setBuddy(edPrice[i]);
        pnlParams->layout()->addWidget(lblPrice[i]);
        pnlParams->layout()->addWidget(edPrice[i]);
    }

    Grid->SetColCount(ColumnCount);
    Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Група"),
                      QStringLiteral("Група"), QStringLiteral("Подгрупа"), QStringLiteral("Подгрупа"),
                      QStringLiteral("Мярка"), QStringLiteral("Цена 1"), QStringLiteral("Цена 2"),
                      QStringLiteral("Цена 3"), QStringLiteral("Цена 4"), QStringLiteral("Цена 5"), QString()});
    Grid->SetColWidths(colUnitCode, 0);
}

TListEdit *TfrmIzdelia::MakePicker(const QString &Name, const QString &Caption, QLabel *&Label, QLabel *&Panel,
                                   const QString &PanelName)
{
    Label = new QLabel(Caption, pnlParams);
    auto *edit = new TListEdit(pnlParams);
    edit->setObjectName(Name);
    // A pick-only code: typing completes a code of the list and keeps only
    // what continues one; the arrows do not walk the list.
    edit->SetSuggestText(true);
    edit->SetEditorEnabled(false);
    edit->SetTrackList(false);
    edit->SetSpinButtonVisible(false);
    edit->SetDescrColumn(1);
    edit->setMaxLength(30);
    edit->setFixedWidth(70);
    Label->setBuddy(edit);
    Panel = new QLabel(pnlParams);
    Panel->setObjectName(PanelName);
    Panel->setMinimumWidth(90);
    edit->SetDescrControl(Panel);
    pnlParams->layout()->addWidget(Label);
    pnlParams->layout()->addWidget(edit);
    pnlParams->layout()->addWidget(Panel);
    return edit;
}

bool TfrmIzdelia::InitForm()
{
    const bool result = TfrmSimple_Nomenklatura::InitForm();
    for (int c = colPrice1; c < colPrice1 + 5; ++c)
        Grid->GetColAttributes(c)->SetFormatter(PriceFormatter);
    Grid->GetColAttributes(colName)->SetAlignment(TCellAlignment{caLeft});
    Grid->GetColAttributes(colGroup)->SetAlignment(TCellAlignment{caCenter});
    Grid->GetColAttributes(colSubGroup)->SetAlignment(TCellAlignment{caCenter});

    const struct
    {
        TListEdit *Edit;
        const char *Sql;
        const char *Value;
    } pickers[] = {{leGroup, "SELECT code_g, name_g FROM Groups", kGroupValue},
                   {leMjarka, "SELECT n_miarka, v_miarka FROM Merki", kUnitValue},
                   {leSubGroup, "SELECT code_s, name_s FROM SubGroup", kSubGroupValue}};
    for (const auto &picker : pickers) {
        TDelimitedStringList list;
        SelectToList(this, DbConnection, QString::fromUtf8(picker.Sql), list);
        SetupListEdit(picker.Edit, LoadResString(rsCodeNameCaptions), &list, 0);
        QString text;
        GetRegistrySetting(QString::fromLatin1(picker.Value), text);
        picker.Edit->setText(text);
    }
    return result;
}

bool TfrmIzdelia::FormDone()
{
    SetRegistrySetting(QString::fromLatin1(kGroupValue), leGroup->text());
    SetRegistrySetting(QString::fromLatin1(kUnitValue), leMjarka->text());
    SetRegistrySetting(QString::fromLatin1(kSubGroupValue), leSubGroup->text());
    return TfrmSimple_Nomenklatura::FormDone();
}

bool TfrmIzdelia::FetchRows(TDelimitedStringList &Rows)
{
    TDelimitedStringList groups, subgroups, units, products;
    if (!SelectToList(this, DbConnection, QStringLiteral("SELECT * FROM Groups"), groups) ||
        !SelectToList(this, DbConnection, QStringLiteral("SELECT * FROM SubGroup"), subgroups) ||
        !SelectToList(this, DbConnection, QStringLiteral("SELECT * FROM Merki"), units) ||
        !SelectToList(this, DbConnection, QStringLiteral("SELECT * FROM Izdelia"), products))
        return false;
    const auto groupNames = NamesByCode(groups);
    const auto subgroupNames = NamesByCode(subgroups);
    const auto unitNames = NamesByCode(units);

    const QChar delimiter = products.FieldDelimiter();
    for (int i = 0; i < products.Count(); ++i) {
        const QStringList p = products.Strings(i).split(delimiter);
        // The reserved row of code 0 stands for "no product".
        if (StrToIntOrZero(p.value(0)) == 0)
            continue;
        QStringList row{p.value(0), p.value(1), p.value(2), NameOf(groupNames, p.value(2)), p.value(3),
                        NameOf(subgroupNames, p.value(3)), NameOf(unitNames, p.value(4))};
        for (int k = 0; k < 5; ++k)
            row << p.value(5 + k);
        row << p.value(4);
        Rows.Add(row.join(delimiter));
    }
    return true;
}

int TfrmIzdelia::PickedCode(TListEdit *Edit) { return PickedName(Edit).isEmpty() ? 0 : StrToIntOrZero(Edit->text()); }

QString TfrmIzdelia::PickedName(TListEdit *Edit)
{
    QString name;
    if (!Edit->text().trimmed().isEmpty())
        ListEditLookup(Edit, 0, 1, name, Edit->text().trimmed());
    return name;
}

long double TfrmIzdelia::Price(int I) const { return edPrice[I]->Value(); }

QString TfrmIzdelia::ValidateEditors()
{
    QString messages = TfrmSimple_Nomenklatura::ValidateEditors();
    // A code that is not in its list is no choice.
    if (PickedCode(leMjarka) == 0)
        messages += LoadResString(rsEnterUnit) + QStringLiteral("\n\r");
    if (PickedCode(leGroup) == 0)
        messages += LoadResString(rsEnterGroup) + QStringLiteral("\n\r");
    if (PickedCode(leSubGroup) == 0)
        messages += LoadResString(rsEnterSubgroup) + QStringLiteral("\n\r");
    return messages;
}

QStringList TfrmIzdelia::EditorRow()
{
    QStringList row{EditorKey(),
                    edNaimenovanie->text(),
                    QString::number(PickedCode(leGroup)),
                    PickedName(leGroup),
                    QString::number(PickedCode(leSubGroup)),
                    PickedName(leSubGroup),
                    PickedName(leMjarka)};
    // The grid shows the prices as they will be stored.
    for (int i = 0; i < 5; ++i)
        row << ShortText(DotStrToFloat(Format(QStringLiteral("%.*f"), {PricePrecision, Price(i)}), 0));
    row << QString::number(PickedCode(leMjarka));
    return row;
}

void TfrmIzdelia::LoadEditors(const QStringList &Row)
{
    TfrmSimple_Nomenklatura::LoadEditors(Row);
    leGroup->setText(Row.value(colGroup));
    leSubGroup->setText(Row.value(colSubGroup));
    leMjarka->setText(Row.value(colUnitCode));
    for (int i = 0; i < 5; ++i)
        edPrice[i]->SetValue(DotStrToFloat(Row.value(colPrice1 + i), 0));
}

QList<TfrmSimple_Nomenklatura::TColumnValue> TfrmIzdelia::EditorColumns()
{
    QList<TColumnValue> columns = TfrmSimple_Nomenklatura::EditorColumns();
    columns << TColumnValue{QStringLiteral("group_izd"), QString::number(PickedCode(leGroup))}
            << TColumnValue{QStringLiteral("subgroup"), QString::number(PickedCode(leSubGroup))}
            << TColumnValue{QStringLiteral("mjarka"), QString::number(PickedCode(leMjarka))};
    // Each price as stored: with the price precision, whatever is shown.
    for (int i = 0; i < 5; ++i)
        columns << TColumnValue{Format(QStringLiteral("price_%d"), {i + 1}),
                                Format(QStringLiteral("%.*f"), {PricePrecision, Price(i)})};
    return columns;
}
