#include "masterdata/unSimple_Nomenklatura.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <algorithm>
#include <cmath>
#include <set>
#include <limits>

#include "components/FloatEdit.h"
#include "components/GridUtils.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {

const bool registered = RegisterNomenklaturaClass<TfrmSimple_Nomenklatura>(QStringLiteral("TfrmSimple_Nomenklatura"));

constexpr long double MaxCode = std::numeric_limits<int>::max();

QString ShortText(long double X)
{
    QString s;
    FloatToDotStr(-1, s, X);
    return s;
}

// A table and column that hold codes of a master table, and what a clerk
// calls the rows there.
struct TCodeUse
{
    const char *Table;
    const char *Column;
    const char *Description;
};

// Where each master table's codes are used: the documents, the master rows
// that show the code's name, and the prices kept under the code (a price
// left under a code that is gone would be found by no sheet or receipt, or
// by the next row given that code).
const std::vector<TCodeUse> &CodeUses(const QString &Table)
{
    static const std::map<QString, std::vector<TCodeUse>> uses = {
        {QStringLiteral("izdelia"),
         {{"Zaiavka_rows", "izdelie", "стокови разписки"},
          {"Invoices_rows", "izdelie", "фактури и известия"},
          {"Zaiavki_za_expedicia", "code_izd", "заявки за експедиция"},
          {"Propusk_za_izvozvane", "code_izd", "пропуски за извозване"},
          {"Vyrnata_produkcia", "code_izd", "върната продукция"},
          {"Otchet_plasiori", "code_izd", "отчети на пласьори"},
          {"Akt_za_proizvedena_produkcia", "code_izd", "актове за произведена продукция"},
          {"Akt_za_brakuvana_produkcia", "code_izd", "актове за бракувана продукция"},
          {"Razhodni_normi", "code_izdelie", "разходни норми"},
          {"Prices_by_items_and_stores", "code_izd", "цени на изделия по обекти"}}},
        {QStringLiteral("custgroups"),
         {{"Obekti", "code_of_CustGroup", "обекти"},
          {"Dostavki", "code_supplier", "доставки"},
          {"Expedicia_na_surovini_i_materiali", "code_customer", "експедиция на суровини и материали"}}},
        {QStringLiteral("obekti"),
         {{"Zaiavki", "obekt", "стокови разписки"},
          {"Invoices", "obekt", "фактури и известия"},
          {"Prices_by_items_and_stores", "code_of_object", "цени на изделия по обекти"}}},
        {QStringLiteral("busses"),
         {{"Zaiavki_za_expedicia", "code_bus", "заявки за експедиция"},
          {"Propusk_za_izvozvane", "code_bus", "пропуски за извозване"},
          {"Vyrnata_produkcia", "code_bus", "върната продукция"},
          {"Otchet_plasiori", "code_bus", "отчети на пласьори"},
          {"Plashtane_po_otchet_na_plasior", "c_bus", "плащания по отчети на пласьори"},
          {"CustGroups", "c_bus", "контрагенти"}}},
        {QStringLiteral("merki"), {{"Izdelia", "mjarka", "изделия"}, {"Resources", "Miarka_r", "ресурси"}}},
        {QStringLiteral("groups"), {{"Izdelia", "group_izd", "изделия"}}},
        {QStringLiteral("subgroup"), {{"Izdelia", "subgroup", "изделия"}}},
        {QStringLiteral("resources"),
         {{"Dostavki", "code_r", "доставки"},
          {"Expedicia_na_surovini_i_materiali", "code_r", "експедиция на суровини и материали"},
          {"Iskane_za_otpuskane_na_surovini_i_materiali", "code_r", "искания за отпускане на суровини и материали"},
          {"Razhodni_normi", "code_resource", "разходни норми"},
          {"Resources_prices", "code_r", "цени на ресурси"}}},
        {QStringLiteral("ambalaj"),
         {{"Zaprihojdavane_na_ambalaj", "code_a", "заприхождаване на амбалаж"},
          {"Zaiavki_za_expedicia", "code_a", "заявки за експедиция"},
          {"Propusk_za_izvozvane", "code_a", "пропуски за извозване"},
          {"Vyrnata_produkcia", "code_a", "върната продукция"}}},
    };
    static const std::vector<TCodeUse> none;
    const auto found = uses.find(Table.toLower());
    return found != uses.end() ? found->second : none;
}

} // namespace

const QString TfrmSimple_Nomenklatura::NameValidChars =
    QStringLiteral("A-Z;А-Я;0-9;a-z;а-я;*;-;=;+;[;];.; ;:;/;,;--");

TfrmSimple_Nomenklatura::TfrmSimple_Nomenklatura(QWidget *AOwner, TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmSimple_Nomenklatura"));

    lblShifyr = new QLabel(QStringLiteral("Шифър:"), pnlParams);
    feShifyr = new TFloatEdit(pnlParams);
    feShifyr->setObjectName(QStringLiteral("feShifyr"));
    feShifyr->SetPrecision(0);
    // A typed fraction stays for CodeMessages to refuse.
    feShifyr->SetRoundOnExit(false);
    feShifyr->setFixedWidth(90);
    lblShifyr->setBuddy(feShifyr);
    lblNaimenovanie = new QLabel(QStringLiteral("Наименование:"), pnlParams);
    edNaimenovanie = new TLimitedEdit(pnlParams);
    edNaimenovanie->setObjectName(QStringLiteral("edNaimenovanie"));
    edNaimenovanie->setMaxLength(60);
    edNaimenovanie->setMinimumWidth(260);
    lblNaimenovanie->setBuddy(edNaimenovanie);
    for (QWidget *w : {static_cast<QWidget *>(lblShifyr), static_cast<QWidget *>(feShifyr),
                       static_cast<QWidget *>(lblNaimenovanie), static_cast<QWidget *>(edNaimenovanie)})
        pnlParams->layout()->addWidget(w);

    Grid->SetColCount(2);
    Grid->SetFixedRows(1);
    Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Наименование")});

    for (QAction *action : {actSave, actNew, actEdit, actFilter, actDelete, actExecute})
        action->setEnabled(true);

    // Whatever is queued is unsaved: closing asks first.
    FPending.OnChange = [this] { SetModified(true); };
}

TfrmSimple_Nomenklatura::~TfrmSimple_Nomenklatura() { FPending.OnChange = nullptr; }

// ---------------------------------------------------------------------------
// Hooks

bool TfrmSimple_Nomenklatura::InitForm()
{
    const bool result = TQuorendReadForm::InitForm();
    SetHeaderSort(true);
    edNaimenovanie->SetValidChars(NameValidChars);
    FEditMode = false;
    return result;
}

bool TfrmSimple_Nomenklatura::FormDone() { return TQuorendReadForm::FormDone(); }

bool TfrmSimple_Nomenklatura::BeforeShow()
{
    const bool result = TQuorendReadForm::BeforeShow();
    setWindowTitle(FFormTitle);
    pnlCaption->setText(FFormTitle.toUpper());
    ProposeCode();
    Execute();
    return result;
}

QString TfrmSimple_Nomenklatura::SelectSql()
{
    return Format(QStringLiteral("SELECT %s, %s FROM %s ORDER BY %s"), {FKeyField, FNameField, FTableName, FKeyField});
}

bool TfrmSimple_Nomenklatura::FetchRows(TDelimitedStringList &Rows)
{
    return SelectToList(this, DbConnection, SelectSql(), Rows);
}

bool TfrmSimple_Nomenklatura::ProposeCode()
{
    TDelimitedStringList rows;
    SelectToList(this, DbConnection, Format(QStringLiteral("Select max( %s ) from %s"), {FKeyField, FTableName}),
                 rows);
    QString first;
    if (rows.Count() > 0)
        rows.GetField(0, 0, first);
    feShifyr->SetValue(DotStrToFloat(first, 0) + 1);
    return true;
}

bool TfrmSimple_Nomenklatura::DoExecute()
{
    const bool result = TQuorendReadForm::DoExecute();
    TDelimitedStringList rows;
    FetchRows(rows);
    LoadStoredRows();
    const QChar delimiter = rows.FieldDelimiter();

    // The rows as they will be after the save: stored rows that a queued
    // line changes or deletes (or that are in edit) give way to the
    // queued rows, so that a refresh shows what the queue will write.
    std::set<QString> replaced;
    for (const auto &[line, pending] : FLineRows)
        if (FPending.IsStored(line))
            replaced.insert(FPending.OriginalKey(line));
    if (FEditMode && FPending.IsStored(FEditLine))
        replaced.insert(FEditOriginalKey);
    FAllRows.clear();
    for (int i = 0; i < rows.Count(); ++i) {
        QStringList row = rows.Strings(i).split(delimiter);
        if (!replaced.count(RowKey(row)))
            FAllRows << row;
    }
    for (const auto &[line, pending] : FLineRows)
        if (!pending.Deleted && !(FEditMode && line == FEditLine) && RowKey(pending.Row) == pending.Key)
            FAllRows << pending.Row;
    if (!FLineRows.empty() || FEditMode) {
        rows.BeginUpdate();
        rows.Clear();
        for (const QStringList &row : FAllRows)
            rows.Add(row.join(delimiter));
        rows.EndUpdate();
    }
    ShowRows(rows);
    return result;
}

void TfrmSimple_Nomenklatura::LoadStoredRows()
{
    FStored.clear();
    if (FTableName.isEmpty() || !DbConnection)
        return;
    try {
        platform::Cursor rows = DbConnection->Select(Format(QStringLiteral("SELECT * FROM %s"), {FTableName}));
        const int columns = rows.ColumnCount();
        while (rows.Next()) {
            TStoredRow row;
            for (int c = 0; c < columns; ++c) {
                TStoredValue value;
                value.Column = rows.ColumnName(c);
                value.Text = rows.Text(c);
                value.Null = rows.IsNull(c);
                const QString type = rows.DeclType(c).toUpper();
                value.Kind = rows.IsTextColumn(c) ? TStoredValue::vkText
                             : type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("DOUBLE")) ||
                                     type.contains(QLatin1String("FLOAT"))
                                 ? TStoredValue::vkReal
                                 : TStoredValue::vkInteger;
                row << value;
            }
            // Keyed as the grid shows the key.
            FStored[CleanFieldValue(row.value(0).Text)] = row;
        }
    } catch (const std::exception &) {
        // Without the loaded values an update is keyed by its key alone.
        FStored.clear();
    }
}

bool TfrmSimple_Nomenklatura::CanSave()
{
    if (!TQuorendReadForm::CanSave())
        return false;
    return !FEditMode || CommitEditors();
}

bool TfrmSimple_Nomenklatura::CanExecute()
{
    if (!TQuorendReadForm::CanExecute())
        return false;
    if (!FEditMode)
        return true;
    switch (AskYesNoCancel(LoadResString(rsCommitRowInEdit))) {
    case mrYes:
        return DoNew() && !FEditMode;
    case mrNo:
        GiveUpEdit();
        return true;
    default:
        return false;
    }
}

void TfrmSimple_Nomenklatura::GiveUpEdit()
{
    FEditMode = false;
    const auto pending = FLineRows.find(FEditLine);
    if (pending != FLineRows.end() && !pending->second.Deleted)
        FLineOfKey[pending->second.Key] = FEditLine;
    SetCaptionColor(ChangedCaptionColor);
}

bool TfrmSimple_Nomenklatura::DoSave()
{
    if (!TQuorendReadForm::DoSave())
        return false;
    TDocumentSave save(this);
    save.IsNew = false;
    save.Add(FPending.Statements());
    // A code changed or deleted is looked for again under the write lock:
    // a document another workstation saved for it since F4 or F5 keeps it.
    save.Plan = [this](TDocumentSave &Save) {
        const QString used = UsedCodesAtSave();
        if (!used.isEmpty())
            Save.Refuse(used);
    };
    FBuildingLine = 0;
    FUsedCodeLines.clear();
    if (!save.Run()) {
        if (!FUsedCodeLines.empty())
            KeepUsedCodes();
        else
            HandleRefusedLine(save);
        return false;
    }
    FPending.Clear();
    FLineOfKey.clear();
    FLineRows.clear();
    SetModified(false);
    Execute();
    return true;
}

// ---------------------------------------------------------------------------
// Queued editing

QStringList TfrmSimple_Nomenklatura::GridRow(int Row) const
{
    QStringList cells;
    for (int c = 0; c < Grid->ColCount(); ++c)
        cells << Grid->Cells(c, Row);
    return cells;
}

void TfrmSimple_Nomenklatura::SetCaptionColor(TColor Color)
{
    QPalette palette = pnlCaption->palette();
    palette.setColor(QPalette::WindowText, platform::ToQColor(Color));
    pnlCaption->setPalette(palette);
}

bool TfrmSimple_Nomenklatura::RowExists(int Col, const QString &Text) const
{
    return std::any_of(FAllRows.begin(), FAllRows.end(),
                       [Col, &Text](const QStringList &row) { return row.value(Col) == Text; });
}

int TfrmSimple_Nomenklatura::LineOfKey(const QString &Key)
{
    const auto found = FLineOfKey.find(Key);
    return found != FLineOfKey.end() ? found->second : FPending.StoredLine(Key);
}

const QStringList *TfrmSimple_Nomenklatura::PendingRow(int Line) const
{
    const auto found = FLineRows.find(Line);
    return found == FLineRows.end() || found->second.Deleted ? nullptr : &found->second.Row;
}

void TfrmSimple_Nomenklatura::HandleRefusedLine(const TDocumentSave &Save)
{
    const int line = FBuildingLine;
    const auto pending = FLineRows.find(line);
    if (pending == FLineRows.end() || pending->second.RefusalMessage.isEmpty() ||
        !Save.Messages().contains(pending->second.RefusalMessage))
        return;
    if (!FPending.IsStored(line)) {
        Renumber(line);
        return;
    }
    // Changed elsewhere: the clerk's change is given up; the row shows as
    // it is stored now.
    FPending.Forget(line);
    FLineOfKey.erase(pending->second.Key);
    FLineRows.erase(pending);
    Execute();
}

void TfrmSimple_Nomenklatura::Renumber(int Line)
{
    TPendingRow &pending = FLineRows[Line];
    // Only a numeric code has a next one.
    if (pending.Columns.isEmpty() || pending.Columns[0].Literal.startsWith(QLatin1Char('"')))
        return;
    TDelimitedStringList rows;
    SelectToList(this, DbConnection, Format(QStringLiteral("Select max( %s ) from %s"), {FKeyField, FTableName}), rows);
    QString max;
    if (rows.Count() > 0)
        rows.GetField(0, 0, max);
    int next = StrToIntOrZero(max) + 1;
    for (const QStringList &row : FAllRows)
        next = std::max(next, StrToIntOrZero(row.value(0)) + 1);
    const QString oldKey = pending.Key;
    const QString newKey = QString::number(next);
    pending.Key = newKey;
    pending.Row[0] = newKey;
    pending.Columns[0].Literal = newKey;
    FLineOfKey.erase(oldKey);
    FLineOfKey[newKey] = Line;
    for (QStringList &row : FAllRows)
        if (row.value(0) == oldKey)
            row[0] = newKey;
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        if (Grid->Cells(0, r) == oldKey)
            Grid->SetCells(0, r, newKey);
    PutInsert(Line);
    if (feShifyr->Value() <= next)
        feShifyr->SetValue(next + 1);
}

void TfrmSimple_Nomenklatura::PutInsert(int Line)
{
    TPendingRow &pending = FLineRows[Line];
    // Only a numeric code has a next one to take.
    const bool textKey = pending.Columns.value(0).Literal.startsWith(QLatin1Char('"'));
    pending.RefusalMessage = textKey ? Format(LoadResString(rsKeyTakenElsewhere), {pending.Key})
                                     : Format(LoadResString(rsCodeTakenElsewhere), {pending.Key, RowCaption(pending.Row)});
    FPending.Put(
        Line, [this, Line](long double) { return InsertStatement(Line); }, nullptr, QString(),
        pending.RefusalMessage);
}

void TfrmSimple_Nomenklatura::PutUpdate(int Line, const QString &Caption)
{
    TPendingRow &pending = FLineRows[Line];
    pending.RefusalMessage = Format(LoadResString(rsRowChangedElsewhere), {Caption});
    FPending.Put(
        Line, nullptr, [this, Line](long double) { return UpdateStatement(Line); }, QString(),
        pending.RefusalMessage);
}

QString TfrmSimple_Nomenklatura::InsertStatement(int Line)
{
    FBuildingLine = Line;
    const TPendingRow &pending = FLineRows.at(Line);
    QStringList values;
    for (const TColumnValue &column : pending.Columns)
        values << column.Literal;
    // Refused (no row written) when another workstation took the code.
    return Format(QStringLiteral("Insert into %s Select %s Where Not Exists ( Select * From %s Where %s = %s )"),
                  {FTableName, values.join(QStringLiteral(", ")), FTableName, pending.Columns[0].Column,
                   pending.Columns[0].Literal});
}

QString TfrmSimple_Nomenklatura::UpdateStatement(int Line)
{
    FBuildingLine = Line;
    const TPendingRow &pending = FLineRows.at(Line);
    QStringList sets;
    for (const TColumnValue &column : pending.Changed)
        sets << column.Column + QStringLiteral(" = ") + column.Literal;
    // The row as it was loaded: changed or deleted since, it is not found.
    QStringList conditions;
    for (const TStoredValue &value : pending.Loaded) {
        if (value.Null)
            conditions << Format(QStringLiteral("( %s Is Null )"), {value.Column});
        else if (value.Kind == TStoredValue::vkText)
            conditions << Format(QStringLiteral("( %s = %s )"), {value.Column, TextLiteral(value.Text)});
        else if (value.Kind == TStoredValue::vkReal)
            conditions << Format(QStringLiteral("( Abs( %s - %s ) < 0.000001 )"), {value.Column, value.Text});
        else
            conditions << Format(QStringLiteral("( %s = %s )"), {value.Column, value.Text});
    }
    const TColumnValue &key = pending.Columns[0];
    if (conditions.isEmpty()) {
        const QString original = FPending.OriginalKey(Line);
        conditions << Format(QStringLiteral("( %s = %s )"),
                             {key.Column, key.Literal.startsWith(QLatin1Char('"'))
                                              ? TextLiteral(original)
                                              : QString::number(StrToIntOrZero(original))});
    }
    // A new code that another workstation took meanwhile refuses it too.
    if (std::any_of(pending.Changed.begin(), pending.Changed.end(),
                    [&key](const TColumnValue &c) { return c.Column == key.Column; }))
        conditions << Format(QStringLiteral("Not Exists ( Select * From %s Where %s = %s )"),
                             {FTableName, key.Column, key.Literal});
    return Format(QStringLiteral("Update %s Set %s Where %s"),
                  {FTableName, sets.join(QStringLiteral(", ")), conditions.join(QStringLiteral(" And "))});
}

void TfrmSimple_Nomenklatura::RemoveFromAllRows(const QString &Key)
{
    for (int i = 0; i < FAllRows.size(); ++i)
        if (RowKey(FAllRows[i]) == Key) {
            FAllRows.removeAt(i);
            return;
        }
}

QString TfrmSimple_Nomenklatura::ValidateEditors()
{
    const QString codeMessages = CodeMessages();
    const QString name = edNaimenovanie->text();
    QString messages;
    if (codeMessages.isEmpty() && !name.trimmed().isEmpty()) {
        if (RowExists(0, EditorKey()))
            messages += Format(LoadResString(rsCodeExists), {EditorKey()}) + QStringLiteral("\n\r");
        if (RowExists(1, name))
            messages += Format(LoadResString(rsNameExists), {name}) + QStringLiteral("\n\r");
    }
    messages += codeMessages;
    if (name.trimmed().isEmpty())
        messages += LoadResString(rsEnterName) + QStringLiteral("\n\r");
    return messages;
}

QString TfrmSimple_Nomenklatura::CodeMessages() const
{
    // The editor reads its text rounded to no decimals; a code is a whole
    // number: 123.5 is refused, never stored as 124.
    const long double code = feShifyr->Value();
    const long double typed = DotStrToFloat(feShifyr->text().trimmed(), code);
    if (typed != std::floor(typed))
        return LoadResString(rsWholeCodeOnly) + QStringLiteral("\n\r");
    if (code == 0)
        return LoadResString(rsEnterCode) + QStringLiteral("\n\r");
    if (code < 1 || code > MaxCode)
        return QStringLiteral("Шифърът трябва да е между 1 и 2147483647!\n\r");
    return QString();
}

QString TfrmSimple_Nomenklatura::EditorKey() { return ShortText(feShifyr->Value()); }
QString TfrmSimple_Nomenklatura::RowKey(const QStringList &Row) { return Row.value(0); }

QStringList TfrmSimple_Nomenklatura::EditorRow() { return {EditorKey(), edNaimenovanie->text()}; }

void TfrmSimple_Nomenklatura::LoadEditors(const QStringList &Row)
{
    feShifyr->SetValue(DotStrToFloat(Row.value(0), 0));
    // Only the characters the field allows: a stored name with others
    // (imported data) still loads, and is written only when renamed.
    edNaimenovanie->SetText(Row.value(1));
}

QList<TfrmSimple_Nomenklatura::TColumnValue> TfrmSimple_Nomenklatura::EditorColumns()
{
    return {{FKeyField, QString::number(static_cast<int>(feShifyr->Value()))},
            {FNameField, TextLiteral(edNaimenovanie->text())}};
}

QString TfrmSimple_Nomenklatura::TextLiteral(const QString &Text)
{
    return QLatin1Char('"') + SqlEscape(Text) + QLatin1Char('"');
}

QString TfrmSimple_Nomenklatura::InsertSql() { return QString(); }

QString TfrmSimple_Nomenklatura::UpdateSql(const QString &) { return QString(); }

QString TfrmSimple_Nomenklatura::RowCaption(const QStringList &Row)
{
    return QLatin1Char('"') + Row.value(0) + QStringLiteral(" - ") + Row.value(1) + QLatin1Char('"');
}

QString TfrmSimple_Nomenklatura::UsesOfRow(const QString &OriginalKey)
{
    return UsesOfCode(StrToIntOrZero(OriginalKey));
}

QString TfrmSimple_Nomenklatura::UsedCodeMessage(const QString &OriginalKey, bool Deleted)
{
    const QString uses = UsesOfRow(OriginalKey);
    if (uses.isEmpty())
        return QString();
    return Format(LoadResString(Deleted ? rsCodeInUse : rsUsedCodeNotChanged), {OriginalKey, uses});
}

QString TfrmSimple_Nomenklatura::UsedCodesAtSave()
{
    // Kept only when every query answered: a failed one refuses the save
    // with the database's error and gives nothing up.
    std::vector<int> used;
    QString messages;
    for (const auto &[line, pending] : FLineRows) {
        if (!FPending.IsStored(line))
            continue;
        const QString original = FPending.OriginalKey(line);
        if (!pending.Deleted && pending.Key == original)
            continue;
        const QString message = UsedCodeMessage(original, pending.Deleted);
        if (!message.isEmpty()) {
            messages += message + QStringLiteral("\n\r");
            used.push_back(line);
        }
    }
    FUsedCodeLines = used;
    return messages;
}

void TfrmSimple_Nomenklatura::KeepUsedCodes()
{
    for (const int line : FUsedCodeLines) {
        const auto found = FLineRows.find(line);
        if (found == FLineRows.end())
            continue;
        TPendingRow &pending = found->second;
        const QString original = FPending.OriginalKey(line);
        FLineOfKey.erase(pending.Key);
        if (!pending.Deleted && pending.FromColumns && !pending.Columns.isEmpty()) {
            // Only the code goes back: the rest the clerk changed stays
            // queued.
            const QString column = pending.Columns[0].Column;
            pending.Changed.erase(std::remove_if(pending.Changed.begin(), pending.Changed.end(),
                                                 [&column](const TColumnValue &c) { return c.Column == column; }),
                                  pending.Changed.end());
            pending.Columns[0].Literal = QString::number(StrToIntOrZero(original));
            pending.Key = original;
            if (!pending.Row.isEmpty())
                pending.Row[0] = original;
            if (!pending.Changed.isEmpty()) {
                FLineOfKey[original] = line;
                continue;
            }
        }
        FPending.Forget(line);
        FLineRows.erase(found);
    }
    FUsedCodeLines.clear();
    SetModified(!FPending.IsEmpty());
    Execute();
}

QString TfrmSimple_Nomenklatura::UsesOfCode(int Code)
{
    // The message names the places, not how often: each stops at its first
    // row (it runs under the save's write lock, over year-sized tables).
    QStringList places;
    for (const TCodeUse &use : CodeUses(FTableName)) {
        const QString place = QString::fromUtf8(use.Description);
        if (places.contains(place))
            continue;
        TDelimitedStringList rows;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("SELECT 1 FROM %s WHERE %s = %d LIMIT 1"),
                            {QString::fromLatin1(use.Table), QString::fromLatin1(use.Column), Code}),
                     rows);
        if (rows.Count() > 0)
            places << place;
    }
    return places.join(QStringLiteral(", "));
}

QString TfrmSimple_Nomenklatura::DeleteSql(const QString &OriginalKey)
{
    return Format(QStringLiteral("Delete * from %s Where %s = %d"), {FTableName, FKeyField, StrToIntOrZero(OriginalKey)});
}

QString TfrmSimple_Nomenklatura::DeleteQuestion(const QStringList &Row)
{
    return Format(LoadResString(rsConfirmDelete), {FItemNoun, Row.value(0), Row.value(1)});
}

bool TfrmSimple_Nomenklatura::IsEditableRow(const QStringList &Row)
{
    return StrToIntOrZero(Row.value(0)) != 0;
}

void TfrmSimple_Nomenklatura::AfterCommit(bool WasEdit)
{
    if (!WasEdit)
        feShifyr->SetValue(feShifyr->Value() + 1);
}

bool TfrmSimple_Nomenklatura::DoNew()
{
    const bool result = TQuorendReadForm::DoNew();
    return CommitEditors() && result;
}

bool TfrmSimple_Nomenklatura::CommitEditors()
{
    QString messages = ValidateEditors();
    // A code that documents or other rows use keeps it: they would point
    // at no row.
    if (FEditMode && FPending.IsStored(FEditLine) && EditorKey() != FEditOriginalKey) {
        const QString used = UsedCodeMessage(FEditOriginalKey, false);
        if (!used.isEmpty())
            messages += used + QStringLiteral("\n\r");
    }
    if (!messages.isEmpty()) {
        ShowError(messages);
        return false;
    }
    const QString key = EditorKey();
    QStringList row = EditorRow();
    const bool wasEdit = FEditMode;
    const bool stored = wasEdit && FPending.IsStored(FEditLine);
    const QString ownInsert = stored ? QString() : InsertSql();
    const QString ownUpdate = stored ? UpdateSql(FEditOriginalKey) : QString();
    const int line = wasEdit ? FEditLine : FPending.NewLine();
    bool queued = true;
    if (!ownInsert.isEmpty() || !ownUpdate.isEmpty()) {
        FPending.Put(line, ownInsert, ownUpdate);
        TPendingRow &pending = FLineRows[line];
        pending.Key = key;
        pending.Row = row;
    } else if (!stored) {
        TPendingRow &pending = FLineRows[line];
        pending.Key = key;
        pending.Row = row;
        pending.FromColumns = true;
        pending.Columns = EditorColumns();
        PutInsert(line);
    } else {
        const QList<TColumnValue> columns = EditorColumns();
        if (!FLineRows.count(line))
            FLineRows[line].Loaded = FEditStored;
        TPendingRow &pending = FLineRows[line];
        // Only what the clerk changed is written.
        for (int i = 0; i < columns.size() && i < FEditColumns.size(); ++i) {
            if (columns[i].Literal == FEditColumns[i].Literal)
                continue;
            const auto same = std::find_if(pending.Changed.begin(), pending.Changed.end(),
                                           [&](const TColumnValue &c) { return c.Column == columns[i].Column; });
            if (same != pending.Changed.end())
                same->Literal = columns[i].Literal;
            else
                pending.Changed << columns[i];
        }
        pending.Key = key;
        pending.FromColumns = true;
        pending.Columns = columns;
        if (pending.Changed.isEmpty()) {
            // Put back unchanged: nothing is written, the row shows as it
            // was.
            row = FEditCells;
            FLineRows.erase(line);
            FPending.Forget(line);
            queued = false;
        } else {
            // A cell the clerk left as it was shows as it did (a name the
            // editor cannot show whole stays whole); a cell with '@' would
            // split the record list of a refresh.
            for (int i = 0; i < row.size() && i < FEditRow.size() && i < FEditCells.size(); ++i)
                if (row[i] == FEditRow[i] && !FEditCells[i].contains(QLatin1Char('@')))
                    row[i] = FEditCells[i];
            pending.Row = row;
            PutUpdate(line, RowCaption(FEditCells));
        }
    }
    if (queued)
        FLineOfKey[key] = line;
    else
        FLineOfKey.erase(key);
    FAllRows << row;

    // The grid shows the row at once: in the blank row an empty table
    // leaves, or below the others.
    const int first = Grid->FixedRows();
    int r = Grid->RowCount();
    if (Grid->RowCount() - first == 1 && Grid->Cells(1, first).trimmed().isEmpty())
        r = first;
    else
        Grid->SetRowCount(r + 1);
    Grid->ClearRowsAttributes(r, r, 2 | 4);
    Grid->SetRows(r, row);
    Grid->SetRow(r);

    FEditMode = false;
    AfterCommit(wasEdit);
    SetCaptionColor(ChangedCaptionColor);
    SetModified(!FPending.IsEmpty());
    return true;
}

bool TfrmSimple_Nomenklatura::DoEdit()
{
    const bool result = TQuorendReadForm::DoEdit();
    if (FEditMode) {
        ShowError(LoadResString(rsOneRowInEdit));
        return result;
    }
    const int row = Grid->Row();
    const QStringList cells = GridRow(row);
    if (row < Grid->FixedRows() || !IsEditableRow(cells))
        return result;
    const QString key = RowKey(cells);
    FEditLine = LineOfKey(key);
    FEditOriginalKey = FPending.IsStored(FEditLine) ? FPending.OriginalKey(FEditLine) : QString();
    const auto stored = FStored.find(FEditOriginalKey);
    FEditStored = stored != FStored.end() ? stored->second : TStoredRow();
    FEditCells = cells;
    FLineOfKey.erase(key);
    RemoveFromAllRows(key);
    FEditMode = true;
    SetCaptionColor(EditingCaptionColor);
    LoadEditors(cells);
    FEditRow = EditorRow();
    FEditColumns = EditorColumns();
    Grid->ClearRowsAttributes(row, row, 2 | 4);
    DeleteGridRow(*Grid, row);
    // The row is out of the grid: closing now asks.
    SetModified(true);
    return result;
}

bool TfrmSimple_Nomenklatura::DoDelete()
{
    const bool result = TQuorendReadForm::DoDelete();
    const int row = Grid->Row();
    const QStringList cells = GridRow(row);
    if (row < Grid->FixedRows() || !IsEditableRow(cells))
        return result;
    const QString key = RowKey(cells);
    const int line = LineOfKey(key);
    if (FPending.IsStored(line)) {
        // Documents that use the code would show it without a name.
        const QString message = UsedCodeMessage(FPending.OriginalKey(line), true);
        if (!message.isEmpty()) {
            ShowError(message);
            return false;
        }
    }
    if (AskYesNoCancel(DeleteQuestion(cells)) != mrYes)
        return result;
    FPending.Remove(line, DeleteSql(FPending.IsStored(line) ? FPending.OriginalKey(line) : key));
    if (FPending.IsStored(line)) {
        TPendingRow &pending = FLineRows[line];
        pending = TPendingRow();
        pending.Key = key;
        pending.Row = cells;
        pending.Deleted = true;
    } else {
        FLineRows.erase(line);
    }
    FLineOfKey.erase(key);
    RemoveFromAllRows(key);
    Grid->ClearRowsAttributes(row, row, 2 | 4);
    if (Grid->RowCount() > Grid->FixedRows())
        DeleteGridRow(*Grid, row);
    SetCaptionColor(ChangedCaptionColor);
    return result;
}

// ---------------------------------------------------------------- pieces of the editors

void TfrmSimple_Nomenklatura::Configure(const TFormParams &Params)
{
    if (!Params.Settings)
        return;
    SetFormTitle(Params.Settings->Title);
    SetTableName(Params.Settings->Table);
    SetKeyField(Params.Settings->KeyField);
    SetNameField(Params.Settings->NameField);
    SetItemNoun(Params.Settings->Noun);
}

QLineEdit *TfrmSimple_Nomenklatura::AddEdit(const QString &Name, const QString &Caption, int Width)
{
    auto *label = new QLabel(Caption, pnlParams);
    auto *edit = new TLimitedEdit(pnlParams);
    edit->setObjectName(Name);
    edit->setMaxLength(50);
    edit->setFixedWidth(Width);
    label->setBuddy(edit);
    pnlParams->layout()->addWidget(label);
    pnlParams->layout()->addWidget(edit);
    return edit;
}

TListEdit *TfrmSimple_Nomenklatura::AddPicker(const QString &Name, const QString &Caption, const QString &PanelName,
                                              int PanelWidth, QLabel *&Panel, QLabel **Label)
{
    auto *label = new QLabel(Caption, pnlParams);
    auto *picker = new TListEdit(pnlParams);
    picker->setObjectName(Name);
    picker->setFixedWidth(70);
    label->setBuddy(picker);
    Panel = new QLabel(pnlParams);
    Panel->setObjectName(PanelName);
    Panel->setMinimumWidth(PanelWidth);
    picker->SetDescrControl(Panel);
    picker->SetDescrColumn(1);
    pnlParams->layout()->addWidget(label);
    pnlParams->layout()->addWidget(picker);
    pnlParams->layout()->addWidget(Panel);
    if (Label)
        *Label = label;
    return picker;
}

void TfrmSimple_Nomenklatura::FillPicker(TListEdit *Picker, const QString &Sql)
{
    TDelimitedStringList rows;
    SelectToList(this, DbConnection, Sql, rows);
    SetupListEdit(Picker, LoadResString(rsCodeNameCaptions), &rows, 0);
}

QString TfrmSimple_Nomenklatura::PickedName(TListEdit *Picker)
{
    QString name;
    if (!Picker->text().trimmed().isEmpty())
        ListEditLookup(Picker, 0, 1, name, Picker->text().trimmed());
    return name;
}

int TfrmSimple_Nomenklatura::PickedCode(TListEdit *Picker)
{
    return PickedName(Picker).isEmpty() ? 0 : StrToIntOrZero(Picker->text());
}

void TfrmSimple_Nomenklatura::RestoreText(QLineEdit *Edit)
{
    QString text;
    GetRegistrySetting(objectName() + QLatin1Char('_') + Edit->objectName() + QStringLiteral("_Text"), text);
    Edit->setText(text);
}

void TfrmSimple_Nomenklatura::RememberText(const QLineEdit *Edit)
{
    SetRegistrySetting(objectName() + QLatin1Char('_') + Edit->objectName() + QStringLiteral("_Text"), Edit->text());
}
