#include "masterdata/unRazhodni_normi.h"

#include <QLabel>
#include <QLayout>

#include "components/FloatEdit.h"
#include "components/GridUtils.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterQuorendFormClass<TfrmRazhodni_normi>(QStringLiteral("TfrmRazhodni_normi"));

const QString ProductsSql = QStringLiteral(
    "SELECT Izdelia.code_izd, Izdelia.name_izd, Merki.v_Miarka FROM Merki LEFT JOIN Izdelia ON Merki.n_Miarka = "
    "Izdelia.mjarka Where Izdelia.code_izd <> 0 ORDER BY name_izd");
const QString ResourcesSql = QStringLiteral(
    "SELECT Resources.code_r, Resources.name_r, Merki.v_Miarka FROM Merki LEFT JOIN Resources ON Merki.n_Miarka = "
    "Resources.miarka_r ORDER BY name_r");
const QString ProductRestoreName = QStringLiteral("frmRazhodni_Normi_code_izdelie_Text");
const QString ResourceRestoreName = QStringLiteral("frmRazhodni_Normi_code_resource_Text");
const QString ProductSaveName = QStringLiteral("frmRazhodni_normi_code_izdelie_Text");
const QString ResourceSaveName = QStringLiteral("frmRazhodni_normi_code_resource_Text");

QString ShortText(long double X)
{
    QString s;
    FloatToDotStr(-1, s, X);
    return s;
}

// "product:resource" keys of the rows.
QString NormKey(int Product, const QString &Resource) { return QString::number(Product) + QLatin1Char(':') + Resource; }
void SplitKey(const QString &Key, int &Product, int &Resource)
{
    Product = StrToIntOrZero(Key.section(QLatin1Char(':'), 0, 0));
    Resource = StrToIntOrZero(Key.section(QLatin1Char(':'), 1, 1));
}

} // namespace

TfrmRazhodni_normi::TfrmRazhodni_normi(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmSimple_Nomenklatura(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmRazhodni_normi"));
    SetFormTitle(QStringLiteral("Разходна норма"));
    SetTableName(QStringLiteral("Razhodni_normi"));
    SetKeyField(QStringLiteral("code_resource"));
    SetNameField(QStringLiteral("quantity_rn"));
    SetItemNoun(QStringLiteral("разходна норма"));
    for (QWidget *w : {static_cast<QWidget *>(lblShifyr), static_cast<QWidget *>(feShifyr),
                       static_cast<QWidget *>(lblNaimenovanie), static_cast<QWidget *>(edNaimenovanie)})
        w->hide();

    auto addList = [this](const QString &Caption, const QString &Name, QLabel *&Label, TListEdit *&Edit,
                          QLabel *&NameLabel, QLabel *&UnitLabel) {
        Label = new QLabel(Caption, pnlParams);
        Edit = new TListEdit(pnlParams);
        Edit->setObjectName(Name);
        Edit->setFixedWidth(70);
        Label->setBuddy(Edit);
        NameLabel = new QLabel(pnlParams);
        NameLabel->setMinimumWidth(150);
        UnitLabel = new QLabel(pnlParams);
        UnitLabel->setMinimumWidth(40);
        Edit->SetDescrControl(NameLabel);
        Edit->SetDescrColumn(1);
        for (QWidget *w : {static_cast<QWidget *>(Label), static_cast<QWidget *>(Edit),
                           static_cast<QWidget *>(NameLabel), static_cast<QWidget *>(UnitLabel)})
            pnlParams->layout()->addWidget(w);
    };
    addList(QStringLiteral("Изделие:"), QStringLiteral("leIzdelie"), lblIzdelie, leIzdelie, lblIzdelieName,
            lblIzdelieUnit);
    addList(QStringLiteral("Ресурс:"), QStringLiteral("leResurs"), lblResurs, leResurs, lblResursName,
            lblResursUnit);
    lblKolichestvo = new QLabel(QStringLiteral("Количество:"), pnlParams);
    feKolichestvo = new TFloatEdit(pnlParams);
    feKolichestvo->setObjectName(QStringLiteral("feKolichestvo"));
    feKolichestvo->SetPrecision(4);
    feKolichestvo->setFixedWidth(90);
    lblKolichestvo->setBuddy(feKolichestvo);
    pnlParams->layout()->addWidget(lblKolichestvo);
    pnlParams->layout()->addWidget(feKolichestvo);

    Grid->SetColCount(4);
    Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Ресурс"), QStringLiteral("Мярка"),
                      QStringLiteral("Количество")});

    leIzdelie->OnChange = [this](QObject *) { ProductChanged(); };
    leResurs->OnChange = [this](QObject *) { ResourceChanged(); };
}

bool TfrmRazhodni_normi::InitForm()
{
    const bool result = TfrmSimple_Nomenklatura::InitForm();
    const QString captions = LoadResString(rsCodeNameCaptions) + QStringLiteral("@Мярка");
    TDelimitedStringList products;
    SelectToList(this, DbConnection, ProductsSql, products);
    SetupListEdit(leIzdelie, captions, &products, 0);
    TDelimitedStringList resources;
    SelectToList(this, DbConnection, ResourcesSql, resources);
    SetupListEdit(leResurs, captions, &resources, 0);
    QString product;
    QString resource;
    GetRegistrySetting(ProductRestoreName, product);
    GetRegistrySetting(ResourceRestoreName, resource);
    leIzdelie->setText(product);
    leResurs->setText(resource);
    return result;
}

bool TfrmRazhodni_normi::FormDone()
{
    SetRegistrySetting(ProductSaveName, leIzdelie->text());
    SetRegistrySetting(ResourceSaveName, leResurs->text());
    return TfrmSimple_Nomenklatura::FormDone();
}

bool TfrmRazhodni_normi::BeforeShow()
{
    const bool result = TfrmSimple_Nomenklatura::BeforeShow();
    ProductChanged();
    return result;
}

QString TfrmRazhodni_normi::Lookup(TListEdit *Edit, int Col)
{
    QString result;
    const QString code = Edit->text().trimmed();
    if (!code.isEmpty())
        ListEditLookup(Edit, 0, Col, result, code);
    return result;
}

int TfrmRazhodni_normi::ProductCode() const
{
    return Lookup(leIzdelie, 0).isEmpty() ? 0 : StrToIntOrZero(leIzdelie->text());
}

int TfrmRazhodni_normi::ResourceCode() const
{
    return Lookup(leResurs, 0).isEmpty() ? 0 : StrToIntOrZero(leResurs->text());
}

int TfrmRazhodni_normi::EditedProduct() const { return FCommitProduct != 0 ? FCommitProduct : ProductCode(); }

bool TfrmRazhodni_normi::CommitEditToLoadedProduct()
{
    FCommitProduct = FLoadedProduct;
    bool committed = false;
    try {
        DoNew();
        committed = !EditMode();
    } catch (...) {
        FCommitProduct = 0;
        throw;
    }
    FCommitProduct = 0;
    return committed;
}

void TfrmRazhodni_normi::ProductChanged()
{
    lblIzdelieUnit->setText(Lookup(leIzdelie, 2));
    // Before the form is shown BeforeShow loads the rows.
    if (FRestoringProduct || !isVisible() || (BusyFlags() & qbShowing))
        return;
    if (ProductCode() == FLoadedProduct)
        return;
    // The norm in edit belongs to the product loaded: it is written there,
    // never shown under the new product.
    if (EditMode() && FLoadedProduct != 0 && !CommitEditToLoadedProduct()) {
        FRestoringProduct = true;
        leIzdelie->setText(QString::number(FLoadedProduct));
        FRestoringProduct = false;
        lblIzdelieUnit->setText(Lookup(leIzdelie, 2));
        return;
    }
    // The product edit keeps the focus through the reload, so that Tab
    // goes on to the resource.
    QWidget *focused = focusWidget();
    Execute();
    if (focused && focused->isEnabled() && focused->isVisible() && !focused->hasFocus())
        focused->setFocus(Qt::OtherFocusReason);
}

void TfrmRazhodni_normi::ResourceChanged() { lblResursUnit->setText(Lookup(leResurs, 2)); }

QString TfrmRazhodni_normi::SelectSql()
{
    return Format(QStringLiteral("SELECT Razhodni_normi.code_resource,        Resources.Name_r,        "
                                 "Merki.v_Miarka,        Razhodni_normi.quantity_rn FROM (Merki LEFT JOIN "
                                 "Resources ON Merki.n_Miarka = Resources.Miarka_r) LEFT JOIN Razhodni_normi ON "
                                 "Resources.code_r = Razhodni_normi.code_resource WHERE "
                                 "(((Razhodni_normi.code_izdelie)= %d )) ORDER BY Resources.Name_r"),
                  {ProductCode()});
}

bool TfrmRazhodni_normi::DoExecute()
{
    FLoadedProduct = ProductCode();
    if (FLoadedProduct == 0) {
        // No product: no norms to show.
        ClearGrid(*Grid, 0);
        return true;
    }
    return TfrmSimple_Nomenklatura::DoExecute();
}

bool TfrmRazhodni_normi::ProposeCode() { return false; }

QString TfrmRazhodni_normi::GetSubTitle()
{
    if (ProductCode() == 0)
        return QString();
    return Format(QStringLiteral(" за изделие %s - %s "), {leIzdelie->text().trimmed(), Lookup(leIzdelie, 1)});
}

QString TfrmRazhodni_normi::ValidateEditors()
{
    const QString end = QStringLiteral("\n\r");
    QString messages;
    const QString resource = leResurs->text().trimmed();
    if (ResourceCode() != 0 && EditedProduct() == FLoadedProduct && RowExists(0, resource))
        messages += Format(LoadResString(rsCodeExists), {resource}) + end;
    if (EditedProduct() == 0)
        messages += LoadResString(rsEnterProduct) + end;
    if (ResourceCode() == 0)
        messages += LoadResString(rsEnterResource) + end;
    if (feKolichestvo->Value() == 0)
        messages += LoadResString(rsEnterQuantity) + end;
    return messages;
}

QString TfrmRazhodni_normi::EditorKey() { return NormKey(EditedProduct(), QString::number(ResourceCode())); }

QString TfrmRazhodni_normi::RowKey(const QStringList &Row) { return NormKey(FLoadedProduct, Row.value(0)); }

QStringList TfrmRazhodni_normi::EditorRow()
{
    return {QString::number(ResourceCode()), Lookup(leResurs, 1), Lookup(leResurs, 2),
            ShortText(feKolichestvo->Value())};
}

void TfrmRazhodni_normi::LoadEditors(const QStringList &Row)
{
    leResurs->setText(Row.value(0));
    feKolichestvo->SetValue(DotStrToFloat(Row.value(3), 0));
}

QString TfrmRazhodni_normi::InsertSql()
{
    return Format(QStringLiteral("Insert into %s values ( %d, %d, %.4f )"),
                  {TableName(), EditedProduct(), ResourceCode(), feKolichestvo->Value()});
}

QString TfrmRazhodni_normi::UpdateSql(const QString &OriginalKey)
{
    int product = 0;
    int resource = 0;
    SplitKey(OriginalKey, product, resource);
    // Keyed by the row as it was loaded; a changed resource is written too.
    return Format(QStringLiteral("Update %s Set %s = %d, %s = %.4f Where ( %s = %d AND %s = %d )"),
                  {TableName(), QStringLiteral("code_resource"), ResourceCode(), QStringLiteral("quantity_rn"),
                   feKolichestvo->Value(), QStringLiteral("code_izdelie"), product, QStringLiteral("code_resource"),
                   resource});
}

QString TfrmRazhodni_normi::DeleteSql(const QString &OriginalKey)
{
    int product = 0;
    int resource = 0;
    SplitKey(OriginalKey, product, resource);
    return Format(QStringLiteral("Delete * from %s Where ( %s = %d AND %s = %d )"),
                  {TableName(), QStringLiteral("code_izdelie"), product, QStringLiteral("code_resource"), resource});
}

QString TfrmRazhodni_normi::DeleteQuestion(const QStringList &Row)
{
    return Format(LoadResString(rsConfirmDelete), {ItemNoun(), Row.value(0), Row.value(1)});
}

void TfrmRazhodni_normi::AfterCommit(bool)
{
    leResurs->clear();
    feKolichestvo->SetValue(0);
}
