#pragma once
// The code edit of the data forms: a button edit that drops down its list
// form, keeps its text in step with the list (spin buttons walk the list
// with TrackList), completes typed text from the list (SuggestText), and
// shows the name of the picked code in a description control.
//
// A pick-only edit (EditorEnabled off with SuggestText) takes typed
// characters only while they continue a code of the list.
#include <QPointer>

#include "components/FormEdit.h"
#include "components/ListForm.h"

class TCustomListEdit : public TCustomFormEdit
{
    Q_OBJECT
public:
    explicit TCustomListEdit(QWidget *parent = nullptr);
    ~TCustomListEdit() override;

    // The bound list form (null when none).
    TListForm *Form();
    // Binds the form and makes this edit its list edit.
    void SetForm(TListForm *Value);
    // The bound list form without taking its answers over.
    TListForm *ListForm() const;

    int DropColumn() const { return FDropColumn; }
    void SetDropColumn(int Value) { FDropColumn = Value; }
    bool TrackList() const { return FTrackList; }
    void SetTrackList(bool Value) { FTrackList = Value; }
    bool SuggestText() const { return FSuggestText; }
    void SetSuggestText(bool Value) { FSuggestText = Value; }
    bool DescrOnChanging() const { return FDescrOnChanging; }
    void SetDescrOnChanging(bool Value) { FDescrOnChanging = Value; }
    QWidget *DescrControl() const { return FDescrControl; }
    void SetDescrControl(QWidget *Value) { FDescrControl = Value; }
    int DescrColumn() const { return FDescrColumn; }
    void SetDescrColumn(int Value) { FDescrColumn = Value; }
    // The grid row of the last pick; -1 after a cancel.
    int SelectedRow() const { return FSelectedRow; }
    void SetSelectedRow(int Value) { FSelectedRow = Value; }

    // Fired after every change of the text (typed or set).
    std::function<void(QObject *Sender)> OnChange;
    // Sent by the list form after a pick has written the text.
    void NotifyPicked() { emit Picked(); }

signals:
    // A row of the list was picked into the text (Enter, a click, a spin
    // step of TrackList).
    void Picked();

public:

    // Spin up (Up arrow): with TrackList, the next row of the list is picked.
    void UpClick() override;
    // Spin down (Down arrow): with TrackList, the previous row is picked.
    void DownClick() override;
    // Pushes this edit's settings into the form, then drops it down.
    void DropDown() override;
    // The row of the list that completes Prefix (cut to the shared part),
    // with its drop-column text in Value; -1 when none.
    virtual int FindCompletion(QString &Prefix, QString &Value);

protected:
    // The text changed: fill the list, complete, show the description.
    virtual void Change();
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

private:
    void CompleteText();
    void ShowDescription();
    // Fills the form when it is not filled yet; whether it is filled.
    bool EnsureFilled();
    // Steps the list one shown row in Step's direction and picks it.
    void TrackStep(int Step);
    // This edit's list settings into the form.
    void PushSettings(TListForm *F);

    int FDropColumn = 0;
    bool FTrackList = false;
    bool FSuggestText = false;
    bool FDescrOnChanging = true;
    QPointer<QWidget> FDescrControl;
    int FDescrColumn = 1;
    int FSelectedRow = -1;
    bool FInChange = false;
    bool FCompletionAllowed = true;
};

class TListEdit : public TCustomListEdit
{
    Q_OBJECT
public:
    explicit TListEdit(QWidget *parent = nullptr) : TCustomListEdit(parent) {}
};

// The cell in ResultCol of the first data row of the edit's list whose cell
// in KeyCol equals Key; "" when there is none (or no list).
void ListEditLookup(TCustomListEdit *ListEdit, int KeyCol, int ResultCol, QString &Result,
                    const QString &Key);
// The code typed in the picker when it is a positive whole number whose row
// its list holds, compared as a number ("012" is 12); 0 for an empty text,
// letters, 0, a negative or an unlisted code. A header code that is not
// listed names nothing and must never be stored.
int ListedCode(TCustomListEdit *Picker);
int ListedCode(TCustomListEdit *Picker, const QString &Typed);
// Whether F8 may read by the code typed in Picker: an empty text reads
// without it, a listed code by it; a text its list lacks is refused, with
// Message when Say (a read the window starts itself says nothing).
bool CodeToReadBy(TCustomListEdit *Picker, const QString &Message, bool Say);
// The edit's text becomes the first cell of the list's last row.
void SetListEditTextToLastRow(TCustomListEdit *ListEdit);
