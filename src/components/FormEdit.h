#pragma once
// A button edit whose button (or the numeric-pad '*') drops down a bound
// form and hears its answer: OnFormOk after a pick, OnFormCancel after Esc
// or a click outside the form.
//
// Descendants override, in this order, FormOk and FormCancel (take the
// chosen value from the form) and DropDown (prepare the form before it
// shows, then call the inherited DropDown); UpClick and DownClick of the
// button edit step the value.
#include <QPointer>

#include "components/BtnEdit.h"
#include "components/DropDownForm.h"

class TCustomFormEdit : public TCustomButtonEdit
{
    Q_OBJECT
public:
    explicit TCustomFormEdit(QWidget *parent = nullptr);
    ~TCustomFormEdit() override;

    // The bound form, with its Ok and Cancel callbacks pointed at this edit
    // again: one form may serve several edits, and the edit that last
    // touched it hears its answer. Null when none is bound (or the bound
    // form was freed).
    TDropDownForm *Form();
    // Binds F: its owning control becomes this edit and its callbacks call
    // FormOk and FormCancel. Null unbinds.
    void SetForm(TDropDownForm *F);

    std::function<void(QObject *Sender)> OnFormOk;
    std::function<void(QObject *Sender)> OnFormCancel;

    // OnFormOk.
    virtual void FormOk();
    // OnFormCancel.
    virtual void FormCancel();
    // Runs the form's Execute when a form is bound and the button is
    // enabled (the edit is neither disabled nor read-only).
    virtual void DropDown();
    // OnBitButtonClick, then DropDown.
    void BitButtonClick() override;

protected:
    // The bound form, callbacks left as they are.
    TDropDownForm *BoundForm() const { return FForm; }

private:
    void PointCallbacks();

    QPointer<TDropDownForm> FForm;
};
