#pragma once
// The program's main window: the MDI frame with the menu that opens every
// business window, and the owner of the one shared database connection.
#include "core/uFormClasses.h"

#include <QMainWindow>
#include <QString>
#include <optional>
#include <vector>

class QAction;
class QMdiArea;
class QMenu;

// What a menu item does when chosen.
enum class TMenuCommand {
    OpenForm,        // make a registered form class, configure it, show it
    RunEntry,        // run a registered form entry (the window opens itself)
    Exit,            // close the main window
    Cascade,
    TileHorizontal,
    TileVertical,
    MinimizeAll,
    About            // the About box, modally
};

// One item of the main menu, as the menu table gives it.
struct TMenuItemDef
{
    QString Menu;        // caption of the menu it stands in
    QString Name;        // component name
    QString Caption;
    QString Shortcut;    // portable key text ("Ctrl+I"), "" for none
    TMenuCommand Command = TMenuCommand::OpenForm;
    QString Target;      // form class or entry name
    TFormShowKind Kind = TFormShowKind::MdiChild;
    bool Maximized = false;
    int Mode = 0;
    std::optional<TEditorSettings> Settings;
    bool SeparatorAfter = false;
};

// The menu table, in menu order. The window-menu items take their captions
// from their actions.
const std::vector<TMenuItemDef> &MainMenuItems();
// The menus in order.
const std::vector<QString> &MainMenuCaptions();

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // The caption before the company name.
    static QString ProductTitle();

    // Builds the window and runs FormCreate: opens the database (made at the
    // first start) and appends the company name to the caption.
    explicit TMainForm(QWidget *Parent = nullptr);
    // Frees the child windows, then runs FormDestroy (closes the database).
    ~TMainForm() override;

    // Whether the window opened the database. When not, the reason was
    // shown (or the clerk kept an empty database file) and the program
    // ends without showing the window.
    bool DatabaseOpened() const { return DatabaseOpened_; }
    QMdiArea *MdiArea() const { return MdiArea_; }
    // The menu entry of a menu-table item, or an action of the action list.
    QAction *MenuItem(const QString &Name) const;
    QAction *Action(const QString &Name) const;
    QMenu *Window1() const { return Window1_; }

    // Enables each item whose window is registered, disables the others.
    void UpdateMenuItems();
    // Enables the window commands while a child window is open.
    void UpdateWindowCommands();
    // Runs a menu-table item under the command guard.
    void MenuItemClick(const TMenuItemDef &Item);

protected:
    void closeEvent(QCloseEvent *Event) override;

private:
    void FormCreate();
    // Shows why the program's own database cannot serve and asks whether to
    // restore it now; runs the restore on Yes. Whether to check it again.
    bool OfferRestore(const QString &Refusal);
    void FormDestroy();
    void BuildActions();
    void BuildMenus();
    void FillWindowList();
    void ExecuteMenuItem(const TMenuItemDef &Item);
    void TileWindows(Qt::Orientation Orientation);
    void MinimizeAllWindows();
    void ClipboardCommand(int Which);

    QMdiArea *MdiArea_ = nullptr;
    bool DatabaseOpened_ = false;
    QObject *ActionList1_ = nullptr;
    QMenu *Window1_ = nullptr;
    std::vector<std::pair<QAction *, const TMenuItemDef *>> items_;
    std::vector<QAction *> windowListActions_;
};

// The application's main window while it lives.
extern TMainForm *MainForm;
