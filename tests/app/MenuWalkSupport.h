#pragma once
// What the walks through every window of the main menu share: the main
// window on a database holding a small year of the bakery's own data,
// dialog answers that say No to the save question while the windows close,
// and a watch on the modal windows that come up.
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDialog>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/unMain.h"
#include "core/un_Ado_Connection.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"
#include "support/YearOfData.h"

namespace testsupport {

// A small year of every kind of document, in the current year so that the
// windows' default periods find some.
inline bench::YearSpec SmallYearSpec(int Receipts)
{
    bench::YearSpec spec;
    spec.year = QDate::currentDate().year();
    spec.sites = 12;
    spec.customers = 5;
    spec.products = 30;
    spec.resources = 10;
    spec.minibuses = 3;
    spec.receipts = Receipts;
    spec.linesPerReceipt = 5;
    return spec;
}

// A small year (SmallYearSpec) at Path.
inline bench::YearCounts GenerateSmallYear(const QString &Path, int Receipts)
{
    return bench::GenerateYear(Path, SmallYearSpec(Receipts));
}

// A year made once per test program for each Key and copied to Path for
// every test that asks for it, so that a walk of many cases generates it
// once. False when the copy fails.
inline bool CopyYearMadeOnce(const QString &Key, const bench::YearSpec &Spec, const QString &Path)
{
    static QTemporaryDir dir;
    static std::map<QString, QString> made;
    auto it = made.find(Key);
    if (it == made.end()) {
        const QString year = dir.filePath(Key + QStringLiteral(".db"));
        bench::GenerateYear(year, Spec);
        it = made.emplace(Key, year).first;
    }
    QFile::remove(Path);
    return QFile::copy(it->second, Path);
}

// The data windows of the main menu: those of its data menus that open
// in the work area.
inline std::vector<TMenuItemDef> DataMenuWindows()
{
    const QStringList menus = {QStringLiteral("Номенклатури"), QStringLiteral("Документи"),
                               QStringLiteral("Логистика"), QStringLiteral("Справки")};
    std::vector<TMenuItemDef> items;
    for (const TMenuItemDef &item : MainMenuItems())
        if (menus.contains(item.Menu) && item.Kind == TFormShowKind::MdiChild
            && (item.Command == TMenuCommand::OpenForm || item.Command == TMenuCommand::RunEntry))
            items.push_back(item);
    return items;
}

// Whether W is Window or one of its controls.
inline bool Inside(const QWidget *Window, const QWidget *W)
{
    return W && Window && (W == Window || Window->isAncestorOf(W));
}

// Key pressed as the clerk presses it: on the control of Window that has
// the focus, else on the window.
inline void PressOnFocus(QWidget *Window, Qt::Key Key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(Inside(Window, focus) ? focus : Window, Key);
}

// A database test with the program's main window, as the walks through its
// menu drive it.
class MainWindowTest : public DatabaseTest
{
protected:
    void TearDown() override
    {
        main_.reset();
        DatabaseTest::TearDown();
    }

    // The test's empty database replaced with a small year of data holding
    // invoices (GenerateSmallYear), and opened again.
    void UseSmallYear(int Receipts)
    {
        CloseDatabase();
        ASSERT_TRUE(QFile::remove(DatabasePath()));
        ASSERT_GT(GenerateSmallYear(DatabasePath(), Receipts).invoices, 0);
        OpenDatabase(QCoreApplication::instance(), nullptr, true);
    }

    // The main window made, shown at Width x Height and active.
    void ShowMainWindow(int Width = 1024, int Height = 768)
    {
        main_ = std::make_unique<TMainForm>();
        main_->resize(Width, Height);
        main_->show();
        main_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    }

    // The window that the menu item Name opens, made the active one; null
    // unless exactly one window is open.
    QMdiSubWindow *OpenFromMenu(const QString &Name)
    {
        main_->MenuItem(Name)->trigger();
        QTest::qWait(0);
        const QList<QMdiSubWindow *> children = main_->MdiArea()->subWindowList();
        if (children.size() != 1)
            return nullptr;
        main_->MdiArea()->setActiveSubWindow(children.constFirst());
        return children.constFirst();
    }

    // Every window of the work area closed, and gone.
    void CloseAllWindows()
    {
        main_->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<TMainForm> main_;
};

// Records every dialog; while the windows close (Closing), a question that
// offers No (the save question) gets No, so that nothing is written.
class ClosingDialogAnswers : public ScopedDialogAnswers
{
public:
    bool Closing = false;

    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        if (Closing && std::any_of(Request.Buttons.begin(), Request.Buttons.end(),
                                   [](const platform::DialogButtonSpec &b) { return b.Button == mbNo; }))
            Press(mbNo);
        return ScopedDialogAnswers::ShowMessageBox(Request);
    }
};

// While it lives, each modal window that comes up (a real dialog's exec) is
// noted in Seen, given to Check, and then closed, so that a run never hangs
// on it.
class ModalWatch
{
public:
    explicit ModalWatch(std::function<void(QWidget *)> Check = {}) : check_(std::move(Check))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            Seen << QString::fromLatin1(modal->metaObject()->className()) + ' ' + modal->windowTitle();
            if (check_)
                check_(modal);
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        });
        timer_.start();
    }
    QStringList Seen;

private:
    std::function<void(QWidget *)> check_;
    QTimer timer_;
};

} // namespace testsupport
