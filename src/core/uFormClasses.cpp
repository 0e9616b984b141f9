#include "core/uFormClasses.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QVBoxLayout>
#include <map>

namespace {

struct FormClass
{
    TFormFactory create;
    TFormConfigure configure;
};

std::map<QString, FormClass> &Classes()
{
    static std::map<QString, FormClass> classes;
    return classes;
}

std::map<QString, TFormEntry> &Entries()
{
    static std::map<QString, TFormEntry> entries;
    return entries;
}

TFormShower &Shower()
{
    static TFormShower shower;
    return shower;
}

QPointer<QWidget> &MainForm()
{
    static QPointer<QWidget> mainForm;
    return mainForm;
}

QPointer<QMdiArea> &MdiArea()
{
    static QPointer<QMdiArea> area;
    return area;
}

// Frees a form whose showing failed, with the MDI frame it may have got.
void FreeForm(QWidget *Form)
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(Form->parentWidget())) {
        if (frame->mdiArea())
            frame->mdiArea()->removeSubWindow(frame);
        delete frame;
        return;
    }
    delete Form;
}

} // namespace

bool RegisterFormClass(const QString &ClassName, TFormFactory Create, TFormConfigure Configure)
{
    Classes()[ClassName] = FormClass{std::move(Create), std::move(Configure)};
    return true;
}

bool RegisterFormEntry(const QString &EntryName, TFormEntry Entry)
{
    Entries()[EntryName] = std::move(Entry);
    return true;
}

void UnregisterFormClass(const QString &ClassName) { Classes().erase(ClassName); }
void UnregisterFormEntry(const QString &EntryName) { Entries().erase(EntryName); }

bool IsFormClassRegistered(const QString &ClassName)
{
    const auto it = Classes().find(ClassName);
    return it != Classes().end() && it->second.create;
}

bool IsFormEntryRegistered(const QString &EntryName)
{
    const auto it = Entries().find(EntryName);
    return it != Entries().end() && it->second;
}

QWidget *OpenRegisteredForm(const QString &ClassName, TFormShowKind Kind, const TFormParams &Params)
{
    if (!IsFormClassRegistered(ClassName))
        return nullptr;
    // Copies: a form may register or unregister classes while it is made.
    const FormClass formClass = Classes()[ClassName];
    QPointer<QWidget> form = formClass.create(MainFormWidget());
    if (!form)
        return nullptr;
    try {
        if (formClass.configure)
            formClass.configure(form, Params);
        if (Shower())
            Shower()(form, Kind, Params);
        else
            DefaultShowForm(form, Kind, Params);
    } catch (...) {
        if (form)
            FreeForm(form);
        throw;
    }
    return form;
}

bool RunRegisteredEntry(const QString &EntryName, const TFormParams &Params)
{
    if (!IsFormEntryRegistered(EntryName))
        return false;
    const TFormEntry entry = Entries()[EntryName];
    entry(MainFormWidget(), Params);
    return true;
}

void SetFormShower(TFormShower Shower_) { Shower() = std::move(Shower_); }

void DefaultShowForm(QWidget *Form, TFormShowKind Kind, const TFormParams &Params)
{
    if (Kind == TFormShowKind::ModalDialog) {
        // Shown modally and freed when it closes.
        if (auto *dialog = qobject_cast<QDialog *>(Form)) {
            dialog->setAttribute(Qt::WA_DeleteOnClose, false);
            dialog->exec();
            delete dialog;
            return;
        }
        QDialog host(MainFormWidget());
        host.setWindowTitle(Form->windowTitle());
        auto *layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(Form);
        host.exec();
        return;
    }
    QMdiArea *area = MainMdiArea();
    if (!area) {
        Form->setAttribute(Qt::WA_DeleteOnClose);
        Params.Maximized ? Form->showMaximized() : Form->show();
        return;
    }
    QMdiSubWindow *frame = area->addSubWindow(Form);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    if (Params.Maximized)
        frame->showMaximized();
    else
        frame->show();
    area->setActiveSubWindow(frame);
}

QWidget *MainFormWidget() { return MainForm(); }
QMdiArea *MainMdiArea() { return MdiArea(); }

void SetMainForm(QWidget *MainForm_, QMdiArea *MdiArea_)
{
    MainForm() = MainForm_;
    MdiArea() = MdiArea_;
}

ScopedFormClass::ScopedFormClass(const QString &ClassName, TFormFactory Create, TFormConfigure Configure)
    : name_(ClassName)
{
    const auto it = Classes().find(ClassName);
    if (it != Classes().end()) {
        hadPrevious_ = true;
        previousCreate_ = it->second.create;
        previousConfigure_ = it->second.configure;
    }
    RegisterFormClass(ClassName, std::move(Create), std::move(Configure));
}

ScopedFormClass::~ScopedFormClass()
{
    if (hadPrevious_)
        RegisterFormClass(name_, previousCreate_, previousConfigure_);
    else
        UnregisterFormClass(name_);
}
