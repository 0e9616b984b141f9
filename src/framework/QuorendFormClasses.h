#pragma once
// The base data form on the main menu's form registry (core/uFormClasses.h):
// registering a form class, and showing the forms that the menu makes.
//
//   static const bool registered = RegisterQuorendFormClass<TfrmSimple_Nomenklatura>(
//       "TfrmSimple_Nomenklatura",
//       [](TfrmSimple_Nomenklatura *Form, const TFormParams &Params) {
//           Form->SetTitle(Params.Settings->Title); ...
//       });
#include "core/uFormClasses.h"
#include "framework/QuorendForm.h"

#include <functional>

// Registers T under ClassName: the menu makes it with CreateQuorendForm
// (the main window as owner, MDI child style), then runs Configure with the
// item's mode and settings, then shows it with ShowQuorendForm.
template <class T>
bool RegisterQuorendFormClass(const QString &ClassName,
                              std::function<void(T *Form, const TFormParams &Params)> Configure = {})
{
    TFormConfigure configure;
    if (Configure)
        configure = [Configure](QWidget *Form, const TFormParams &Params) { Configure(static_cast<T *>(Form), Params); };
    return RegisterFormClass(
        ClassName, [](QWidget *Owner) -> QWidget * { return CreateQuorendForm<T>(Owner, fsMDIChild); },
        std::move(configure));
}

// The main window's form shower: a TQuorendForm shows with ShowForm (an MDI
// child, maximised for the items that say so) or, for a modal item, with
// ShowModal and is freed when it closes; any other widget the default way.
void ShowQuorendForm(QWidget *Form, TFormShowKind Kind, const TFormParams &Params);
