#include "masterdata/un_CustGroups.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/unSchema.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterNomenklaturaClass<TfrmCustGroups>(QStringLiteral("TfrmCustGroups"));

// The workstation switch that gives every new counterparty a site.
constexpr int NasNewSiteWithCustomer = 14;

QString StoredEmail(const QString &Shown) { return QString(Shown).replace(QLatin1Char('@'), QLatin1Char('~')); }
QString ShownEmail(const QString &Stored) { return QString(Stored).replace(QLatin1Char('~'), QLatin1Char('@')); }

} // namespace

TfrmCustGroups::TfrmCustGroups(QWidget *AOwner, TFormStyle AFormStyle) : TfrmSimple_Nomenklatura(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmCustGroups"));
    ed_NDR = AddEdit(QStringLiteral("ed_NDR"), QStringLiteral("ЕИН по ЗДДС:"), 110);
    ed_Bulstat = AddEdit(QStringLiteral("ed_Bulstat"), QStringLiteral("ЕИН:"), 110);
    ed_MOL = AddEdit(QStringLiteral("ed_MOL"), QStringLiteral("МОЛ:"), 150);
    auto *prefLabel = new QLabel(QStringLiteral("Преференция:"), pnlParams);
    sePref_code = new QSpinBox(pnlParams);
    sePref_code->setObjectName(QStringLiteral("sePref_code"));
    sePref_code->setRange(1, 5);
    prefLabel->setBuddy(sePref_code);
    pnlParams->layout()->addWidget(prefLabel);
    pnlParams->layout()->addWidget(sePref_code);
    ed_E_mail = AddEdit(QStringLiteral("ed_E_mail"), QStringLiteral("E-mail:"), 150);
    ed_GSM = AddEdit(QStringLiteral("ed_GSM"), QStringLiteral("GSM:"), 100);
    ed_Telephone = AddEdit(QStringLiteral("ed_Telephone"), QStringLiteral("Телефон:"), 100);
    ed_Fax = AddEdit(QStringLiteral("ed_Fax"), QStringLiteral("Факс:"), 100);
    ed_Adres = AddEdit(QStringLiteral("ed_Adres"), QStringLiteral("Адрес:"), 150);
    ed_Upravitel = AddEdit(QStringLiteral("ed_Upravitel"), QStringLiteral("Управител:"), 150);
    leMicrobus = AddPicker(QStringLiteral("leMicrobus"), QStringLiteral("Микробус:"), QStringLiteral("panelMicrobus"), 90,
                           panelMicrobus);
    ed_TD_na_NAP = AddEdit(QStringLiteral("ed_TD_na_NAP"), QStringLiteral("ТД на НАП:"), 110);
    Image_obekt = new QLabel(pnlParams);
    Image_obekt->setObjectName(QStringLiteral("Image_obekt"));
    Image_obekt->setToolTip(QStringLiteral("Нов обект"));
    Image_obekt->setText(QStringLiteral("⌂"));
    Image_obekt->setVisible(false);
    pnlParams->layout()->addWidget(Image_obekt);

    Grid->SetColCount(ColumnCount);
    Grid->SetFixedRows(2);
    const QStringList captions{QStringLiteral("Шифър"),     QStringLiteral("Наименование"),
                               QStringLiteral("ЕИН по ЗДДС"), QStringLiteral("ЕИН"),
                               QStringLiteral("МОЛ"),       QStringLiteral("Преференция"),
                               QStringLiteral("E-mail"),    QStringLiteral("GSM"),
                               QStringLiteral("Телефон"),   QStringLiteral("Факс"),
                               QStringLiteral("Адрес"),     QStringLiteral("Управител"),
                               QStringLiteral("Микробус"),  QString(),
                               QStringLiteral("ТД на НАП")};
    Grid->SetRows(0, captions);
    QStringList second = captions;
    second[colBus] = QStringLiteral("Шифър");
    second[colBusName] = QStringLiteral("Наименование");
    Grid->SetRows(1, second);
    // Columns 0-11 and 14 span both header rows; the minibus's code and
    // name share one cell of the first.
    QString merge;
    for (int c = colUpravitel; c >= 0; --c)
        merge += Format(QStringLiteral("%d,0,%d,1|"), {c, c});
    Grid->SetMergeCellsStr(Format(QStringLiteral("%s12,0,13,0|14,0,14,1|"), {merge}));
}

bool TfrmCustGroups::InitForm()
{
    const bool result = TfrmSimple_Nomenklatura::InitForm();
    for (QLineEdit *edit : {ed_NDR, ed_Bulstat, ed_MOL, ed_GSM, ed_Telephone, ed_Fax, ed_Adres, ed_Upravitel,
                            ed_TD_na_NAP})
        static_cast<TLimitedEdit *>(edit)->SetValidChars(NameValidChars);
    // '-' stands in many addresses (ivan-petrov@abv.bg).
    static_cast<TLimitedEdit *>(ed_E_mail)->SetValidChars(QStringLiteral("0-9_a-zA-Z@.--"));

    TDelimitedStringList nas;
    LoadNasSettings(this, GetLocalIPAddress(), nas);
    FSitesOn = NasSwitchOn(nas, NasNewSiteWithCustomer);
    Image_obekt->setVisible(FSitesOn);

    FillPicker(leMicrobus, QStringLiteral("SELECT c_bus, n_bus FROM Busses ORDER BY n_bus"));
    Grid->GetColAttributes(colBus)->SetAlignment(TCellAlignment{caCenter});
    RestoreText(leMicrobus);
    return result;
}

bool TfrmCustGroups::FormDone()
{
    RememberText(leMicrobus);
    return TfrmSimple_Nomenklatura::FormDone();
}

QString TfrmCustGroups::SelectSql()
{
    return Format(QStringLiteral("SELECT * FROM %s ORDER BY %s"), {TableName(), KeyField()});
}

bool TfrmCustGroups::FetchRows(TDelimitedStringList &Rows)
{
    TDelimitedStringList stored, buses;
    if (!SelectToList(this, DbConnection, SelectSql(), stored) ||
        !SelectToList(this, DbConnection, QStringLiteral("SELECT c_bus, n_bus FROM Busses ORDER BY n_bus"), buses))
        return false;
    std::map<QString, QString> busNames;
    QString code, name;
    for (int i = 0; i < buses.Count(); ++i) {
        buses.GetField(i, 0, code);
        buses.GetField(i, 1, name);
        busNames.emplace(code, name);
    }
    const QChar delimiter = stored.FieldDelimiter();
    for (int i = 0; i < stored.Count(); ++i) {
        QStringList row = stored.Strings(i).split(delimiter);
        while (row.size() < ColumnCount - 1)
            row << QString();
        // The minibus's name after its code; no minibus shows no code.
        const QString bus = row.value(colBus);
        QString busName;
        if (StrToIntOrZero(bus) > 0) {
            const auto found = busNames.find(bus);
            if (found != busNames.end())
                busName = found->second;
        }
        if (bus == QLatin1String("0"))
            row[colBus].clear();
        row.insert(colBusName, busName);
        Rows.Add(row.mid(0, ColumnCount).join(delimiter));
    }
    return true;
}

bool TfrmCustGroups::DoExecute()
{
    const bool result = TfrmSimple_Nomenklatura::DoExecute();
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        Grid->SetCells(colEmail, r, ShownEmail(Grid->Cells(colEmail, r)));
    return result;
}

QString TfrmCustGroups::ValidateEditors()
{
    const QString codeMessages = CodeMessages();
    const QString name = edNaimenovanie->text();
    const QString bulstat = ed_Bulstat->text();
    QString messages;
    if (codeMessages.isEmpty() && !name.trimmed().isEmpty() && !bulstat.trimmed().isEmpty()) {
        if (RowExists(colCode, EditorKey()))
            messages += Format(LoadResString(rsCodeExists), {EditorKey()}) + QStringLiteral("\n\r");
        if (RowExists(colName, name))
            messages += Format(LoadResString(rsNameExists), {name}) + QStringLiteral("\n\r");
        if (RowExists(colBulstat, bulstat))
            messages += Format(LoadResString(rsBulstatExists), {bulstat}) + QStringLiteral("\n\r");
    }
    messages += codeMessages;
    if (name.trimmed().isEmpty())
        messages += LoadResString(rsEnterName) + QStringLiteral("\n\r");
    if (bulstat.trimmed().isEmpty())
        messages += LoadResString(rsEnterValidEik) + QStringLiteral("\n\r");
    return messages;
}

QStringList TfrmCustGroups::EditorRow()
{
    const int bus = StrToIntOrZero(leMicrobus->text());
    return {EditorKey(),
            edNaimenovanie->text(),
            ed_NDR->text(),
            ed_Bulstat->text(),
            ed_MOL->text(),
            QString::number(sePref_code->value()),
            // As stored: the row may be joined into a record list again.
            StoredEmail(ed_E_mail->text()),
            ed_GSM->text(),
            ed_Telephone->text(),
            ed_Fax->text(),
            ed_Adres->text(),
            ed_Upravitel->text(),
            bus > 0 ? QString::number(bus) : QString(),
            bus > 0 ? panelMicrobus->text() : QString(),
            ed_TD_na_NAP->text()};
}

void TfrmCustGroups::LoadEditors(const QStringList &Row)
{
    TfrmSimple_Nomenklatura::LoadEditors(Row);
    // The allowed characters of each stored text; unchanged, it stays whole.
    auto load = [](QLineEdit *Edit, const QString &Text) { static_cast<TLimitedEdit *>(Edit)->SetText(Text); };
    load(ed_NDR, Row.value(colNDR));
    load(ed_Bulstat, Row.value(colBulstat));
    load(ed_MOL, Row.value(colMOL));
    sePref_code->setValue(StrToIntOrZero(Row.value(colPref)));
    load(ed_E_mail, ShownEmail(Row.value(colEmail)));
    load(ed_GSM, Row.value(colGSM));
    load(ed_Telephone, Row.value(colTelephone));
    load(ed_Fax, Row.value(colFax));
    load(ed_Adres, Row.value(colAdres));
    load(ed_Upravitel, Row.value(colUpravitel));
    leMicrobus->setText(Row.value(colBus));
    load(ed_TD_na_NAP, Row.value(colTD));
}

QList<TfrmSimple_Nomenklatura::TColumnValue> TfrmCustGroups::EditorColumns()
{
    QList<TColumnValue> columns = TfrmSimple_Nomenklatura::EditorColumns();
    columns << TColumnValue{QStringLiteral("NDR"), TextLiteral(ed_NDR->text())}
            << TColumnValue{QStringLiteral("Bulstat"), TextLiteral(ed_Bulstat->text())}
            << TColumnValue{QStringLiteral("MOL"), TextLiteral(ed_MOL->text())}
            << TColumnValue{QStringLiteral("Pref_code"), QString::number(sePref_code->value())}
            << TColumnValue{QStringLiteral("e_mail_c"), TextLiteral(StoredEmail(ed_E_mail->text()))}
            << TColumnValue{QStringLiteral("GSM"), TextLiteral(ed_GSM->text())}
            << TColumnValue{QStringLiteral("telephone"), TextLiteral(ed_Telephone->text())}
            << TColumnValue{QStringLiteral("fax"), TextLiteral(ed_Fax->text())}
            << TColumnValue{QStringLiteral("grad"), TextLiteral(ed_Adres->text())}
            << TColumnValue{QStringLiteral("Upravitel"), TextLiteral(ed_Upravitel->text())}
            << TColumnValue{QStringLiteral("c_bus"), QString::number(StrToIntOrZero(leMicrobus->text()))}
            << TColumnValue{QStringLiteral("TD_na_NAP"), TextLiteral(ed_TD_na_NAP->text())};
    return columns;
}

QString TfrmCustGroups::SiteInsertSql(int SiteCode, int Customer, const QString &Name, const QString &Address,
                                      const QString &Telephone, const QString &Receiver)
{
    return Format(QStringLiteral("Insert into Obekti values (  %d, %d, \"%s\", \"%s\", \"%s\", \"%s\", \"%s\" )"),
                  {SiteCode, Customer, SqlEscape(Name), SqlEscape(Name), SqlEscape(Address), SqlEscape(Telephone),
                   SqlEscape(Receiver)});
}

bool TfrmCustGroups::DoNew()
{
    const bool wasEdit = EditMode();
    const QString key = EditorKey();
    if (!TfrmSimple_Nomenklatura::DoNew())
        return false;
    Grid->SetCells(colEmail, Grid->Row(), ShownEmail(Grid->Cells(colEmail, Grid->Row())));
    if (wasEdit || !FSitesOn)
        return true;
    // The site's number is read when the statement is built, inside the
    // save's transaction, after the sites queued before it were written;
    // its code, name and address are the counterparty's as they are then.
    const int customerLine = LineOfKey(key);
    TQueuedStatements &queue = PendingQueue();
    const int line = queue.NewLine();
    queue.Put(line,
              [this, customerLine](long double) {
                  TDelimitedStringList rows;
                  SelectToList(this, DbConnection, QStringLiteral("Select max( code_of_object ) from obekti"), rows);
                  QString max;
                  if (rows.Count() > 0)
                      rows.GetField(0, 0, max);
                  const QStringList customer = PendingRow(customerLine) ? *PendingRow(customerLine) : QStringList();
                  return SiteInsertSql(StrToIntOrZero(max) + 1, StrToIntOrZero(customer.value(colCode)),
                                       customer.value(colName), customer.value(colAdres),
                                       customer.value(colTelephone), customer.value(colMOL));
              },
              nullptr);
    FSiteLines[customerLine] = line;
    return true;
}

bool TfrmCustGroups::DoDelete()
{
    const int row = Grid->Row();
    const int customerLine = row >= Grid->FixedRows() && StrToIntOrZero(Grid->Cells(colCode, row)) != 0
                                 ? LineOfKey(Grid->Cells(colCode, row))
                                 : 0;
    const bool result = TfrmSimple_Nomenklatura::DoDelete();
    // A counterparty dropped before the save takes its queued site along.
    const auto site = FSiteLines.find(customerLine);
    if (site != FSiteLines.end() && !PendingRow(customerLine)) {
        PendingQueue().Remove(site->second, QString());
        FSiteLines.erase(site);
    }
    return result;
}

bool TfrmCustGroups::DoSave()
{
    const bool result = TfrmSimple_Nomenklatura::DoSave();
    if (result && Pending().IsEmpty())
        FSiteLines.clear();
    return result;
}
