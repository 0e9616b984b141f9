#include "framework/QuorendEditForm.h"

TQuorendEditForm::TQuorendEditForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendStatusForm(AOwner, AFormStyle)
{
}

void TQuorendEditForm::SetEditMode(bool Value)
{
    FEditMode = Value;
    EditModeChanged();
}

void TQuorendEditForm::EditModeChanged() {}

bool TQuorendEditForm::New()
{
    // New starts only from saved data: after Yes (a save that succeeded) or
    // when nothing was unsaved. No and Cancel leave the form as it is.
    if (ConfirmSave() != mrYes)
        return false;
    const bool previousMode = FEditMode;
    SetEditMode(true);
    bool result = false;
    try {
        result = TQuorendStatusForm::New();
    } catch (...) {
        SetEditMode(previousMode);
        throw;
    }
    if (result)
        SetModified(false);
    else
        SetEditMode(previousMode);
    return result;
}

bool TQuorendEditForm::Execute()
{
    const bool result = TQuorendStatusForm::Execute();
    if (result)
        SetModified(false);
    return result;
}

bool TQuorendEditForm::Save()
{
    const bool saved = TQuorendStatusForm::Save();
    SetModified(!saved);
    if (FEditMode && FLeaveEditModeOnSave)
        SetEditMode(!saved);
    return saved;
}

bool TQuorendEditForm::InitForm()
{
    const bool result = TQuorendStatusForm::InitForm();
    if (result)
        SetEditMode(true);
    return result;
}
