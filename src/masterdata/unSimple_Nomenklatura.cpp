#include "masterdata/unSimple_Nomenklatura.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <algorithm>
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

bool TfrmSimple_Nomenklatura::DoSave()
{
    if (!TQuorendReadForm::DoSave())
        return false;
    TDocumentSave save(this);
    save.IsNew = false;
    save.Add(FPending.Statements());
    if (!save.Run())
        return false;
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
    const long double code = feShifyr->Value();
    const QString name = edNaimenovanie->text();
    QString messages;
    if (code != 0 && !name.trimmed().isEmpty()) {
        if (RowExists(0, ShortText(code)))
            messages += Format(LoadResString(rsCodeExists), {ShortText(code)}) + QStringLiteral("\n\r");
        if (RowExists(1, name))
            messages += Format(LoadResString(rsNameExists), {name}) + QStringLiteral("\n\r");
    }
    if (code == 0)
        messages += LoadResString(rsEnterCode) + QStringLiteral("\n\r");
    else if (code < 1 || code > MaxCode)
        messages += QStringLiteral("Шифърът трябва да е между 1 и 2147483647!\n\r");
    if (name.trimmed().isEmpty())
        messages += LoadResString(rsEnterName) + QStringLiteral("\n\r");
    return messages;
}

QString TfrmSimple_Nomenklatura::EditorKey() { return ShortText(feShifyr->Value()); }
QString TfrmSimple_Nomenklatura::RowKey(const QStringList &Row) { return Row.value(0); }

QStringList TfrmSimple_Nomenklatura::EditorRow() { return {EditorKey(), edNaimenovanie->text()}; }

void TfrmSimple_Nomenklatura::LoadEditors(const QStringList &Row)
{
    feShifyr->SetValue(DotStrToFloat(Row.value(0), 0));
    edNaimenovanie->setText(Row.value(1));
}

QString TfrmSimple_Nomenklatura::InsertSql()
{
    return Format(QStringLiteral("Insert into %s values ( %d, \"%s\" )"),
                  {FTableName, static_cast<int>(feShifyr->Value()), SqlEscape(edNaimenovanie->text())});
}

QString TfrmSimple_Nomenklatura::UpdateSql(const QString &OriginalKey)
{
    return Format(QStringLiteral("Update %s Set %s = %d, %s = \"%s\" Where ( %s = %d )"),
                  {FTableName, FKeyField, static_cast<int>(feShifyr->Value()), FNameField,
                   SqlEscape(edNaimenovanie->text()), FKeyField, StrToIntOrZero(OriginalKey)});
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
    const QString messages = ValidateEditors();
    if (!messages.isEmpty()) {
        ShowError(messages);
        return false;
    }
    const QString key = EditorKey();
    const QStringList row = EditorRow();
    int line;
    if (FEditMode) {
        line = FEditLine;
        FPending.Put(line, InsertSql(), FPending.IsStored(line) ? UpdateSql(FEditOriginalKey) : QString());
    } else {
        line = FPending.NewLine();
        FPending.Put(line, InsertSql(), QString());
    }
    FLineOfKey[key] = line;
    FLineRows[line] = TPendingRow{key, row, false};
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

    const bool wasEdit = FEditMode;
    FEditMode = false;
    AfterCommit(wasEdit);
    SetCaptionColor(ChangedCaptionColor);
    return result;
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
    FLineOfKey.erase(key);
    RemoveFromAllRows(key);
    FEditMode = true;
    SetCaptionColor(EditingCaptionColor);
    LoadEditors(cells);
    Grid->ClearRowsAttributes(row, row, 2 | 4);
    DeleteGridRow(*Grid, row);
    return result;
}

bool TfrmSimple_Nomenklatura::DoDelete()
{
    const bool result = TQuorendReadForm::DoDelete();
    const int row = Grid->Row();
    const QStringList cells = GridRow(row);
    if (row < Grid->FixedRows() || !IsEditableRow(cells))
        return result;
    if (AskYesNoCancel(DeleteQuestion(cells)) != mrYes)
        return result;
    const QString key = RowKey(cells);
    const int line = LineOfKey(key);
    FPending.Remove(line, DeleteSql(FPending.IsStored(line) ? FPending.OriginalKey(line) : key));
    if (FPending.IsStored(line))
        FLineRows[line] = TPendingRow{key, cells, true};
    else
        FLineRows.erase(line);
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
