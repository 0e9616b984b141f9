#include "framework/QuorendFormClasses.h"

#include <QMdiSubWindow>

void ShowQuorendForm(QWidget *Form, TFormShowKind Kind, const TFormParams &Params)
{
    auto *form = qobject_cast<TQuorendForm *>(Form);
    if (!form) {
        DefaultShowForm(Form, Kind, Params);
        return;
    }
    if (Kind == TFormShowKind::ModalDialog) {
        form->ShowModal();
        delete form;
        return;
    }
    if (!form->ShowForm())
        return;   // shown as failed; the form is gone
    if (Params.Maximized)
        if (auto *frame = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
            frame->showMaximized();
}
