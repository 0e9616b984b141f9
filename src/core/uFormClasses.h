#pragma once
// The registry through which the main window's menu reaches the windows of
// the program. The menu names the form class (or the form's own entry)
// that each item opens; a unit that builds such a window registers it here,
// and the item becomes live. An item whose window nobody registered stays in
// the menu, disabled.
//
// A unit registers at its initialisation, with a namespace-scope
//   static const bool registered = RegisterFormClass("TfrmIzdelia",
//       [](QWidget *Owner) { return new TfrmIzdelia(Owner); });
// (the program links every unit, so these run before main). A test that
// needs a registration makes it itself, or keeps it for a scope with
// ScopedFormClass.
//
// Showing is separate from making: the menu creates the form, configures it
// (mode, the five settings of a configured editor), then hands it to the
// form shower for its kind. The default shower puts an MDI child into the
// main window's MDI area (maximised when the menu says so) and runs a modal
// form in a dialog, freeing it when it closes; the base data form installs
// its own ShowForm with SetFormShower.
#include <QString>
#include <functional>
#include <optional>

class QMdiArea;
class QWidget;

// How a menu command shows the window it made.
enum class TFormShowKind { MdiChild, ModalDialog };

// The five settings of a configured code-and-name editor, in the order they
// are set right after construction.
struct TEditorSettings
{
    QString Title;
    QString Table;
    QString KeyField;
    QString NameField;
    QString Noun;   // singular, used in the editor's messages

    bool operator==(const TEditorSettings &Other) const
    {
        return Title == Other.Title && Table == Other.Table && KeyField == Other.KeyField
            && NameField == Other.NameField && Noun == Other.Noun;
    }
};

// What a menu item hands to the window it opens.
struct TFormParams
{
    int Mode = 0;                             // e.g. invoice 0 / notice 1, archive 0 / restore 1
    std::optional<TEditorSettings> Settings;  // the configured editors only
    bool Maximized = false;                   // the items marked "max"
};

// Makes a new instance with Owner (the main window) as its owner.
using TFormFactory = std::function<QWidget *(QWidget *Owner)>;
// Applies the menu's parameters to a form just made (before it is shown).
using TFormConfigure = std::function<void(QWidget *Form, const TFormParams &Params)>;
// A window that opens itself through its unit's own entry (checks, numbering
// and showing included), e.g. a new invoice.
using TFormEntry = std::function<void(QWidget *MainForm, const TFormParams &Params)>;
// Shows a form that the menu made and configured.
using TFormShower = std::function<void(QWidget *Form, TFormShowKind Kind, const TFormParams &Params)>;

// Register under the name the menu uses; a second registration of one name
// replaces the first. They return true so that they can initialise a
// static.
bool RegisterFormClass(const QString &ClassName, TFormFactory Create, TFormConfigure Configure = {});
bool RegisterFormEntry(const QString &EntryName, TFormEntry Entry);
void UnregisterFormClass(const QString &ClassName);
void UnregisterFormEntry(const QString &EntryName);
bool IsFormClassRegistered(const QString &ClassName);
bool IsFormEntryRegistered(const QString &EntryName);

// Makes, configures and shows an instance of a registered class; nullptr
// when the class is not registered. Exceptions pass to the caller (the
// menu's guard shows them); a form made but not yet shown is freed first.
QWidget *OpenRegisteredForm(const QString &ClassName, TFormShowKind Kind, const TFormParams &Params);
// Runs a registered entry; false when it is not registered.
bool RunRegisteredEntry(const QString &EntryName, const TFormParams &Params);

// The shower in use; SetFormShower(nullptr) brings back the default.
void SetFormShower(TFormShower Shower);
void DefaultShowForm(QWidget *Form, TFormShowKind Kind, const TFormParams &Params);

// The main window and its MDI area while it lives (set by the main window),
// the owner of every form the menu makes.
QWidget *MainFormWidget();
QMdiArea *MainMdiArea();
void SetMainForm(QWidget *MainForm, QMdiArea *MdiArea);

// Keeps a registration for the lifetime of the object and then restores
// what was there before (tests).
class ScopedFormClass
{
public:
    ScopedFormClass(const QString &ClassName, TFormFactory Create, TFormConfigure Configure = {});
    ~ScopedFormClass();
    ScopedFormClass(const ScopedFormClass &) = delete;
    ScopedFormClass &operator=(const ScopedFormClass &) = delete;

private:
    QString name_;
    bool hadPrevious_ = false;
    TFormFactory previousCreate_;
    TFormConfigure previousConfigure_;
};
