#pragma once
// The data form with an edit mode: a form in which the operator enters or
// changes data. Unsaved data are asked about on closing (as on every data
// form) and before New.
#include "framework/QuorendStatusForm.h"

class TQuorendEditForm : public TQuorendStatusForm
{
    Q_OBJECT
public:
    explicit TQuorendEditForm(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    bool EditMode() const { return FEditMode; }
    // Stores the mode, then EditModeChanged.
    void SetEditMode(bool Value);
    bool LeaveEditModeOnSave() const { return FLeaveEditModeOnSave; }
    void SetLeaveEditModeOnSave(bool Value) { FLeaveEditModeOnSave = Value; }

    // New asks about unsaved data first; it goes on, in edit mode, only when
    // nothing is left unsaved (a Yes whose save succeeded); No and Cancel
    // stop it. A failed New gives the mode back.
    bool New() override;
    // A successful Execute leaves nothing unsaved.
    bool Execute() override;
    // Modified follows the result; with LeaveEditModeOnSave a successful
    // save leaves edit mode.
    bool Save() override;
    // In edit mode once initialised.
    bool InitForm() override;

protected:
    virtual void EditModeChanged();

private:
    bool FEditMode = false;
    bool FLeaveEditModeOnSave = false;
};
