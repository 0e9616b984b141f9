#include "masterdata/CellMatrixForm.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <cmath>
#include <limits>

#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/LineConv.h"
#include "framework/DocumentSave.h"

TCellMatrixForm::TCellMatrixForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
{
    for (QAction *action : {actSave, actExecute})
        action->setEnabled(true);
}

bool TCellMatrixForm::InitForm()
{
    const bool result = TQuorendReadForm::InitForm();
    // The editor opens only on a value cell of a row that has a first cell.
    auto selectCell = Grid->OnSelectCell;
    Grid->OnSelectCell = [this, selectCell](QObject *Sender, int ACol, int ARow, bool &CanSelect) {
        if (selectCell)
            selectCell(Sender, ACol, ARow, CanSelect);
        if (CanSelect)
            UpdateEditing(ACol, ARow);
    };
    auto keyPress = Grid->OnKeyPress;
    Grid->OnKeyPress = [this, keyPress](QObject *Sender, QChar &Key) {
        if (keyPress)
            keyPress(Sender, Key);
        UpdateEditing(Grid->Col(), Grid->Row());
        const ushort c = Key.unicode();
        if (!(c == 8 || c == '\t' || c == '\n' || c == '\r' || c == '.' || (c >= '0' && c <= '9')))
            Key = QChar();
    };
    auto setEditText = Grid->OnSetEditText;
    Grid->OnSetEditText = [this, setEditText](QObject *Sender, int ACol, int ARow, const QString &Value) {
        if (setEditText)
            setEditText(Sender, ACol, ARow, Value);
        if (CellChanged(Value, KeptCell(ACol, ARow)))
            SetModified(true);
    };
    return result;
}

QString TCellMatrixForm::MonthName(int Month)
{
    static const char *const names[12] = {"Януари", "Февруари", "Март",      "Април",   "Май",      "Юни",
                                          "Юли",    "Август",   "Септември", "Октомври", "Ноември", "Декември"};
    return Month >= 1 && Month <= 12 ? QString::fromUtf8(names[Month - 1]) : QString();
}

bool TCellMatrixForm::IsValueRow(int Row) const
{
    return Row >= Grid->FixedRows() && Row < Grid->RowCount() && !Grid->Cells(0, Row).trimmed().isEmpty() &&
           !IsTotalsRow(Row);
}

bool TCellMatrixForm::CellEditable(int Col, int Row) const
{
    return Col >= 0 && Col < Grid->ColCount() && IsValueRow(Row) && IsValueCell(Col, Row);
}

void TCellMatrixForm::UpdateEditing(int Col, int Row)
{
    SetGridEditing(*Grid, CellEditable(Col, Row));
}

bool TCellMatrixForm::IsNumberText(const QString &Text)
{
    const QString s = Text.trimmed();
    int dots = 0, digits = 0;
    for (const QChar ch : s) {
        if (ch == QLatin1Char('.'))
            ++dots;
        else if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            ++digits;
        else
            return false;
    }
    return s.isEmpty() || (dots <= 1 && digits > 0);
}

bool TCellMatrixForm::CellChanged(const QString &Now, const QString &Kept) const { return Now != Kept; }

QString TCellMatrixForm::KeptCell(int Col, int Row) const
{
    if (!CellEditable(Col, Row))
        return QString();
    return FKept.value(CellKey(Col, Row)).Text;
}

void TCellMatrixForm::ForEachValueCell(const std::function<void(int Col, int Row)> &Visit) const
{
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        if (IsValueRow(r))
            for (int c = 0; c < Grid->ColCount(); ++c)
                if (IsValueCell(c, r))
                    Visit(c, r);
}

void TCellMatrixForm::KeepGrid(const QHash<QString, QString> &Stored)
{
    FKept.clear();
    ForEachValueCell([this, &Stored](int c, int r) {
        const QString key = CellKey(c, r);
        const auto stored = Stored.constFind(key);
        const bool isStored = stored != Stored.constEnd();
        FKept.insert(key, TKeptCell{Grid->Cells(c, r), isStored, isStored ? stored.value() : QString()});
    });
    FHasKept = !FKept.isEmpty();
}

void TCellMatrixForm::ForgetKeptCopy()
{
    FKept.clear();
    FHasKept = false;
}

void TCellMatrixForm::ClearMatrix()
{
    Grid->SetEditorMode(false);
    ClearGrid(*Grid, 0);
    ForgetKeptCopy();
    SetModified(false);
}

void TCellMatrixForm::FilterGrid()
{
    if (!FilterConditions() || FilterConditions()->Count() == 0)
        return;
    TDelimitedStringList rows;
    const QChar delimiter = rows.FieldDelimiter();
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        if (IsValueRow(r))
            rows.Add(Grid->Rows(r).join(delimiter));
    FilterRows(rows, QString());
    FillGridFromDelimitedStrings(*Grid, rows, true);
}

bool TCellMatrixForm::Execute()
{
    if (Modified() && !(BusyFlags() & qbShowing) && ConfirmSave() == mrCancel)
        return false;
    return TQuorendReadForm::Execute();
}

bool TCellMatrixForm::DoExecute()
{
    const bool result = TQuorendReadForm::DoExecute();
    ForgetKeptCopy();
    QHash<QString, QString> stored;
    if (LoadGrid(stored)) {
        FilterGrid();
        KeepGrid(stored);
    }
    SetModified(false);
    SetHeaderSort(true);
    UpdateEditing(Grid->Col(), Grid->Row());
    return result;
}

QString TCellMatrixForm::CheckCells() const
{
    QString messages;
    ForEachValueCell([this, &messages](int c, int r) {
        const QString &text = Grid->Cells(c, r);
        if (!IsNumberText(text) && CellChanged(text, KeptCell(c, r)))
            messages += Format(LoadResString(rsNotANumberFmt), {text, CellName(c, r)}) + QStringLiteral("\n\r");
    });
    return messages;
}

std::vector<TCellMatrixForm::TChangedCell> TCellMatrixForm::ChangedCells() const
{
    std::vector<TChangedCell> cells;
    const int decimals = ValueDecimals();
    ForEachValueCell([&](int c, int r) {
        const QString key = CellKey(c, r);
        const auto kept = FKept.constFind(key);
        const QString &text = Grid->Cells(c, r);
        // A cell that was not loaded is no cell of this window's.
        if (kept == FKept.constEnd() || !CellChanged(text, kept->Text))
            return;
        QString value;
        FormatDotStr(text.trimmed(), decimals, value);
        cells.push_back({c, r, key, value});
    });
    return cells;
}

bool TCellMatrixForm::SameStored(const QString &A, const QString &B)
{
    if (A == B)
        return true;
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double a = DotStrToFloat(A, nan);
    const long double b = DotStrToFloat(B, nan);
    return !std::isnan(a) && !std::isnan(b) && a == b;
}

QStringList TCellMatrixForm::BuildStatements(const std::vector<TChangedCell> &Cells,
                                             const QHash<QString, QString> &Now, QString &Conflicts) const
{
    QStringList statements;
    for (const TChangedCell &cell : Cells) {
        const TKeptCell &kept = FKept[cell.Key];
        const auto stored = Now.constFind(cell.Key);
        const bool isStored = stored != Now.constEnd();
        // Another workstation wrote the cell since it was loaded: writing
        // what this window holds would undo that change unseen.
        if (isStored != kept.Stored || (isStored && !SameStored(stored.value(), kept.StoredText))) {
            Conflicts += Format(LoadResString(rsCellChangedElsewhere), {CellName(cell.Col, cell.Row)}) +
                         QStringLiteral("\n\r");
            continue;
        }
        statements << (isStored ? UpdateSql(cell.Col, cell.Row, cell.Value)
                                : InsertSql(cell.Col, cell.Row, cell.Value));
    }
    return statements;
}

QStringList TCellMatrixForm::SaveStatements()
{
    QStringList statements;
    if (!FHasKept || !CheckCells().isEmpty())
        return statements;
    QHash<QString, QString> now;
    if (!ReadStored(now))
        return statements;
    QString conflicts;
    statements = BuildStatements(ChangedCells(), now, conflicts);
    return conflicts.isEmpty() ? statements : QStringList();
}

bool TCellMatrixForm::DoSave()
{
    if (!TQuorendReadForm::DoSave() || !FHasKept)
        return false;
    Grid->SetEditorMode(false);
    const QString messages = CheckCells();
    if (!messages.isEmpty()) {
        ShowError(messages);
        return false;
    }
    const std::vector<TChangedCell> cells = ChangedCells();
    if (!cells.empty()) {
        TDocumentSave save(this);
        save.IsNew = false;
        // The stored values are read under the save's write lock, so that
        // no other workstation writes between the comparison and the
        // statements.
        save.Plan = [this, &cells](TDocumentSave &Save) {
            QHash<QString, QString> now;
            ReadStored(now);
            QString conflicts;
            const QStringList statements = BuildStatements(cells, now, conflicts);
            if (!conflicts.isEmpty())
                Save.Refuse(conflicts);
            for (const QString &sql : statements)
                Save.Add(sql);
        };
        if (!save.Run())
            return false;
    }
    // The grid and its copy show what was written, as a reload would show
    // it, without reading every cell again (F8 reloads).
    for (const TChangedCell &cell : cells) {
        Grid->SetCells(cell.Col, cell.Row, cell.Value);
        FKept[cell.Key] = TKeptCell{cell.Value, true, cell.Value};
    }
    SetModified(false);
    return true;
}

void TCellMatrixForm::SetTitle(const QString &Title)
{
    setWindowTitle(Title);
    pnlCaption->setText(Title.toUpper());
}

TListEdit *TCellMatrixForm::AddKeyPicker(const QString &Name, const QString &Caption, const QString &PanelName,
                                         int Width, int PanelWidth, QLabel *&Label, QLabel *&Panel)
{
    Label = new QLabel(Caption, pnlParams);
    auto *picker = new TListEdit(pnlParams);
    picker->setObjectName(Name);
    picker->setFixedWidth(Width);
    Label->setBuddy(picker);
    Panel = new QLabel(pnlParams);
    Panel->setObjectName(PanelName);
    Panel->setMinimumWidth(PanelWidth);
    picker->SetDescrControl(Panel);
    picker->SetDescrColumn(1);
    pnlParams->layout()->addWidget(Label);
    pnlParams->layout()->addWidget(picker);
    pnlParams->layout()->addWidget(Panel);
    return picker;
}

void TCellMatrixForm::ClearOnOtherKey(TListEdit *Picker, const std::function<int()> &Chosen, int &Loaded)
{
    Picker->OnChange = [this, Picker, Chosen, &Loaded](QObject *) {
        if (FRestoringKey || !HasKeptCopy() || Chosen() == Loaded)
            return;
        if (ConfirmSave() == mrCancel) {
            FRestoringKey = true;
            Picker->setText(QString::number(Loaded));
            FRestoringKey = false;
            return;
        }
        ClearMatrix();
        Loaded = 0;
    };
}
