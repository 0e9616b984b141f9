#include "components/FormEdit.h"

#include <QToolButton>

TCustomFormEdit::TCustomFormEdit(QWidget *parent) : TCustomButtonEdit(parent) {}

TCustomFormEdit::~TCustomFormEdit()
{
    // A form that outlives the edit must not call back into it.
    if (FForm && FForm->OwnerControl() == this) {
        FForm->OnOkCallback = nullptr;
        FForm->OnCancelCallback = nullptr;
        FForm->SetOwnerControl(nullptr);
    }
}

void TCustomFormEdit::PointCallbacks()
{
    if (!FForm)
        return;
    QPointer<TCustomFormEdit> self(this);
    FForm->OnOkCallback = [self](QObject *) {
        if (self)
            self->FormOk();
    };
    FForm->OnCancelCallback = [self](QObject *) {
        if (self)
            self->FormCancel();
    };
}

TDropDownForm *TCustomFormEdit::Form()
{
    PointCallbacks();
    return FForm;
}

void TCustomFormEdit::SetForm(TDropDownForm *F)
{
    FForm = F;
    if (F) {
        F->SetOwnerControl(this);
        PointCallbacks();
    }
}

void TCustomFormEdit::FormOk()
{
    if (OnFormOk)
        OnFormOk(this);
}

void TCustomFormEdit::FormCancel()
{
    if (OnFormCancel)
        OnFormCancel(this);
}

void TCustomFormEdit::DropDown()
{
    if (FForm && BitButton()->isEnabled()) {
        // The form drops under the edit that opens it, whichever edit it
        // was bound to first.
        FForm->SetOwnerControl(this);
        Form()->Execute();
    }
}

void TCustomFormEdit::BitButtonClick()
{
    TCustomButtonEdit::BitButtonClick();
    DropDown();
}
