#include "masterdata/CellMatrixForm.h"

#include <QAction>
#include <QLabel>
#include <QLayout>

#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
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

bool TCellMatrixForm::CellEditable(int Col, int Row) const
{
    return Row >= Grid->FixedRows() && Row < Grid->RowCount() && Col >= 0 && Col < Grid->ColCount() &&
           !Grid->Cells(0, Row).trimmed().isEmpty() && IsValueCell(Col, Row);
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
    const int r = Row - Grid->FixedRows();
    if (Col < 0 || Col >= FKeptCols || r < 0 || r >= FKeptRows)
        return QString();
    return FKept[size_t(r) * size_t(FKeptCols) + size_t(Col)];
}

void TCellMatrixForm::KeepGrid()
{
    FKeptCols = Grid->ColCount();
    FKeptRows = Grid->RowCount() - Grid->FixedRows();
    FKept.clear();
    FKept.reserve(size_t(FKeptCols) * size_t(FKeptRows));
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        for (int c = 0; c < FKeptCols; ++c)
            FKept.push_back(Grid->Cells(c, r));
}

void TCellMatrixForm::ClearMatrix()
{
    Grid->SetEditorMode(false);
    ClearGrid(*Grid, 0);
    FKept.clear();
    FKeptCols = FKeptRows = 0;
    SetModified(false);
}

bool TCellMatrixForm::DoExecute()
{
    const bool result = TQuorendReadForm::DoExecute();
    FKept.clear();
    FKeptCols = FKeptRows = 0;
    if (LoadGrid())
        KeepGrid();
    SetModified(false);
    UpdateEditing(Grid->Col(), Grid->Row());
    return result;
}

QString TCellMatrixForm::CheckCells() const
{
    QString messages;
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
        if (Grid->Cells(0, r).trimmed().isEmpty())
            continue;
        for (int c = 0; c < Grid->ColCount(); ++c) {
            if (!IsValueCell(c, r))
                continue;
            const QString &text = Grid->Cells(c, r);
            if (!IsNumberText(text) && CellChanged(text, KeptCell(c, r)))
                messages += Format(QStringLiteral("Стойността \"%s\" за %s не е число!\n\r"), {text, CellName(c, r)});
        }
    }
    return messages;
}

bool TCellMatrixForm::BuildStatements(QStringList &Statements, std::vector<TWrittenCell> *Written)
{
    QSet<qint64> keys;
    if (!ReadStoredKeys(keys))
        return false;
    const int decimals = ValueDecimals();
    QString value;
    for (int r = Grid->FixedRows(); r < Grid->RowCount() && r - Grid->FixedRows() < FKeptRows; ++r) {
        if (Grid->Cells(0, r).trimmed().isEmpty())
            continue;
        for (int c = 0; c < Grid->ColCount() && c < FKeptCols; ++c) {
            if (!IsValueCell(c, r))
                continue;
            const QString &text = Grid->Cells(c, r);
            if (!CellChanged(text, KeptCell(c, r)))
                continue;
            FormatDotStr(text.trimmed(), decimals, value);
            Statements << (keys.contains(CellKey(c, r)) ? UpdateSql(c, r, value) : InsertSql(c, r, value));
            if (Written)
                Written->push_back({c, r, value});
        }
    }
    return true;
}

QStringList TCellMatrixForm::SaveStatements()
{
    QStringList statements;
    if (!FKept.empty() && CheckCells().isEmpty())
        BuildStatements(statements);
    return statements;
}

bool TCellMatrixForm::DoSave()
{
    if (!TQuorendReadForm::DoSave() || FKept.empty())
        return false;
    Grid->SetEditorMode(false);
    const QString messages = CheckCells();
    if (!messages.isEmpty()) {
        ShowError(messages);
        return false;
    }
    QStringList statements;
    std::vector<TWrittenCell> written;
    if (!BuildStatements(statements, &written))
        return false;
    if (!statements.isEmpty()) {
        TDocumentSave save(this);
        save.IsNew = false;
        for (const QString &sql : statements)
            save.Add(sql);
        if (!save.Run())
            return false;
    }
    // The grid and its copy show what was written, as a reload would show
    // it, without reading every cell again (F8 reloads).
    for (const TWrittenCell &cell : written) {
        Grid->SetCells(cell.Col, cell.Row, cell.Value);
        FKept[size_t(cell.Row - Grid->FixedRows()) * size_t(FKeptCols) + size_t(cell.Col)] = cell.Value;
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
    Picker->OnChange = [this, Chosen, &Loaded](QObject *) {
        if (HasKeptCopy() && Chosen() != Loaded) {
            ClearMatrix();
            Loaded = 0;
        }
    };
}
