#include "components/ListEdit.h"

#include <QKeyEvent>
#include <QToolButton>

#include "core/DialogsEx.h"

TCustomListEdit::TCustomListEdit(QWidget *parent) : TCustomFormEdit(parent)
{
    BitButton()->setArrowType(Qt::DownArrow);
    connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
}

TCustomListEdit::~TCustomListEdit()
{
    if (TListForm *f = ListForm())
        if (f->ListEdit() == this)
            f->SetListEdit(nullptr);
}

TListForm *TCustomListEdit::ListForm() const
{
    return qobject_cast<TListForm *>(BoundForm());
}

TListForm *TCustomListEdit::Form()
{
    return qobject_cast<TListForm *>(TCustomFormEdit::Form());
}

void TCustomListEdit::SetForm(TListForm *Value)
{
    TCustomFormEdit::SetForm(Value);
    if (Value)
        Value->SetListEdit(this);
}

void TCustomListEdit::PushSettings(TListForm *F)
{
    F->SetListEdit(this);
    F->SetDropColumn(FDropColumn);
    F->SetDescrControl(FDescrControl);
    F->SetDescrColumn(FDescrColumn);
}

bool TCustomListEdit::EnsureFilled()
{
    TListForm *f = ListForm();
    if (!f)
        return false;
    if (!f->Filled())
        f->FillGrid();
    return f->Filled();
}

void TCustomListEdit::TrackStep(int Step)
{
    TListForm *f = Form();
    if (!f || !EnsureFilled())
        return;
    TRichGrid *grid = f->Grid();
    // Up walks towards the end of the list, Down towards its beginning.
    if (f->NextVisibleRow(grid->Row(), Step) < 0)
        return;
    PushSettings(f);
    QString t = text();
    f->LocateText(t, FDropColumn, grid->Row(), -Step);
    const int next = f->NextVisibleRow(grid->Row(), Step);
    if (next < 0)
        return;
    grid->SetRow(next);
    f->actOk->trigger();
}

void TCustomListEdit::UpClick()
{
    if (FTrackList && !isReadOnly())
        TrackStep(1);
    TCustomFormEdit::UpClick();
}

void TCustomListEdit::DownClick()
{
    if (FTrackList && !isReadOnly())
        TrackStep(-1);
    TCustomFormEdit::DownClick();
}

void TCustomListEdit::DropDown()
{
    if (TListForm *f = ListForm())
        PushSettings(f);
    TCustomFormEdit::DropDown();
}

int TCustomListEdit::FindCompletion(QString &Prefix, QString &Value)
{
    Value.clear();
    TListForm *f = ListForm();
    if (!f)
        return -1;
    TRichGrid *grid = f->Grid();
    int row = -1;
    if (f->RowPickable(grid->Row()) && grid->Cells(FDropColumn, grid->Row()) == Prefix)
        row = grid->Row();
    else if (f->LocateText(Prefix, FDropColumn, grid->FixedRows() - 1, 1))
        row = grid->Row();
    if (row >= 0)
        Value = grid->Cells(FDropColumn, row);
    return row;
}

void TCustomListEdit::Change()
{
    if (FInChange)
        return;
    TListForm *f = ListForm();
    if (!text().isEmpty() && f && !f->Filled())
        f->FillGrid();
    if (FSuggestText)
        CompleteText();
    if (FDescrControl && f && FDescrOnChanging)
        ShowDescription();
    if (OnChange)
        OnChange(this);
}

void TCustomListEdit::CompleteText()
{
    if (!FCompletionAllowed) {
        // One change after a deletion passes uncompleted.
        FCompletionAllowed = true;
        return;
    }
    if (text().isEmpty() || !ListForm())
        return;
    if (!EditorEnabled())
        setCursorPosition(static_cast<int>(text().size()));
    FInChange = true;
    QString prefix = text().left(cursorPosition());
    QString value;
    const int row = FindCompletion(prefix, value);
    // An editable edit takes a completion only when it is the typed text
    // itself (its case from the list); a code typed that the list lacks
    // stays as it was typed.
    const bool whole = prefix.size() == text().size() && text().size() == value.size();
    if (row >= 0 && (!EditorEnabled() || whole)) {
        setText(value);
        setSelection(static_cast<int>(prefix.size()), static_cast<int>(value.size() - prefix.size()));
    } else if (row < 0 && !EditorEnabled()) {
        setText(QString());
    }
    FInChange = false;
}

void TCustomListEdit::ShowDescription()
{
    if (!EnsureFilled())
        return;
    TListForm *f = ListForm();
    TRichGrid *grid = f->Grid();
    // Only the row whose code is the text itself names it: a code that
    // merely begins like the text (120 for 12, 10 for 1) is another one.
    const QString t = text();
    const int row = t.isEmpty() ? -1 : f->RowOfCode(FDropColumn, t);
    if (row >= 0 && row != grid->Row() && f->RowPickable(row))
        grid->SetRow(row);
    SetControlText(FDescrControl, row >= 0 ? grid->Cells(FDescrColumn, row) : QString());
}

void TCustomListEdit::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if (key == Qt::Key_Backspace && FSuggestText && cursorPosition() > 0) {
        // The selected completion and the character before it go together.
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
        if (start > 0)
            setSelection(start - 1, end - start + 1);
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && FSuggestText && !EditorEnabled()
        && !text().isEmpty()) {
        FormOk();
        e->accept();
        return;
    }
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete) && FSuggestText && EditorEnabled())
        FCompletionAllowed = false;
    if (FSuggestText && !EditorEnabled() && key == Qt::Key_Backspace) {
        e->accept();
        return;
    }
    if (FSuggestText) {
        // Typed characters reach a pick-only edit, so that completion can
        // work on them.
        SetTypingOverride(true);
        TCustomFormEdit::keyPressEvent(e);
        SetTypingOverride(false);
        return;
    }
    TCustomFormEdit::keyPressEvent(e);
}

void TCustomListEdit::keyReleaseEvent(QKeyEvent *e)
{
    TCustomFormEdit::keyReleaseEvent(e);
    if (FSuggestText && EditorEnabled()
        && (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete))
        FCompletionAllowed = true;
}

void ListEditLookup(TCustomListEdit *ListEdit, int KeyCol, int ResultCol, QString &Result,
                    const QString &Key)
{
    Result.clear();
    TListForm *f = ListEdit ? ListEdit->ListForm() : nullptr;
    if (!f || !f->Grid())
        return;
    const int row = f->RowOfCode(KeyCol, Key);
    if (row >= 0)
        Result = f->Grid()->Cells(ResultCol, row);
}

int ListedCode(TCustomListEdit *Picker)
{
    return Picker ? ListedCode(Picker, Picker->text()) : 0;
}

int ListedCode(TCustomListEdit *Picker, const QString &Typed)
{
    bool number = false;
    const int code = Typed.trimmed().toInt(&number);
    TListForm *f = Picker ? Picker->ListForm() : nullptr;
    if (!number || code <= 0 || !f || !f->Grid())
        return 0;
    const TRichGrid *grid = f->Grid();
    for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
        if (grid->Cells(0, r).trimmed().toInt() == code)
            return code;
    return 0;
}

bool CodeToReadBy(TCustomListEdit *Picker, const QString &Message, bool Say)
{
    if (!Picker || Picker->text().trimmed().isEmpty() || ListedCode(Picker) > 0)
        return true;
    if (Say) {
        const TControlBoxHold hold(Picker);
        ShowMessage(Message);
    }
    return false;
}

void SetListEditTextToLastRow(TCustomListEdit *ListEdit)
{
    TListForm *f = ListEdit ? ListEdit->ListForm() : nullptr;
    if (!f || !f->Grid() || f->Grid()->RowCount() == 0)
        return;
    ListEdit->setText(f->Grid()->Cells(0, f->Grid()->RowCount() - 1));
}
