// The whole program on a filled database: every window of the data menus
// opens from the main menu, runs its F8 on the period it opens with and
// closes again, with no error shown and nothing left behind.
#include "app/MenuWalkSupport.h"
#include "app/unMain.h"
#include "core/unSchema.h"
#include "core/unSettings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

// Every dialog recorded; the save question answered No while the windows
// close.
class SmokeDialogs : public testsupport::ClosingDialogAnswers
{
public:
    const QString ErrorCaption = LoadResString(rsErrorBoxCaption);

    // Errors and warnings: what a working window never shows here.
    QStringList Faults() const
    {
        QStringList faults;
        for (const testsupport::ShownDialog &d : Shown())
            if (!d.IsInputBox && (d.Kind == mtError || d.Kind == mtWarning || d.Caption == ErrorCaption))
                faults << d.Text;
        return faults;
    }

    QString Listed() const
    {
        QStringList lines;
        for (const testsupport::ShownDialog &d : Shown())
            lines << (d.IsInputBox ? QStringLiteral("input: ") + d.Prompt
                                   : QStringLiteral("kind %1: %2").arg(int(d.Kind)).arg(d.Text));
        return lines.join(QStringLiteral("\n"));
    }
};

class WholeProgramGui : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // The bakery's own data in place of the empty schema: a small
        // year of every kind of document, in the current year so that the
        // windows' default periods find some.
        ASSERT_NO_FATAL_FAILURE(UseSmallYear(400));
        // This workstation issued the documents: its counters stand on the
        // last numbers, as in an office that has worked the year.
        const std::pair<int, const char *> counters[] = {{NasGoodsReceiptCounter, "Query_num) FROM Zaiavki"},
                                                         {NasInvoiceCounter, "Invoice_num) FROM Invoices"}};
        for (const auto &[counter, last] : counters) {
            const QStringList number = Rows(QStringLiteral("SELECT max(") + QString::fromLatin1(last));
            ASSERT_EQ(number.size(), 1);
            Execute(Format(QString::fromLatin1(sqlInsertNas), {counter, GetLocalIPAddress(), number[0]}));
        }
        ASSERT_NO_FATAL_FAILURE(ShowMainWindow(1100, 750));
    }

    int ChildCount() const { return static_cast<int>(main_->MdiArea()->subWindowList().size()); }
};

// The F8 actions of a window: its execute or its refresh (those of its
// drop-down lists count while a list is shown).
QList<QAction *> F8Actions(QWidget *Window)
{
    QList<QAction *> found;
    for (QAction *action : Window->findChildren<QAction *>()) {
        const auto *owner = qobject_cast<QWidget *>(action->parent());
        if (action->shortcut() == QKeySequence(Qt::Key_F8) && owner && owner->isVisible())
            found << action;
    }
    return found;
}

} // namespace

TEST_F(WholeProgramGui, EveryDataWindowOpensRunsItsF8AndClosesWithoutAnError)
{
    int visited = 0;
    QStringList withoutF8;
    // The second round opens each window on what it remembered when it
    // closed the first time (periods, minibuses, bounds).
    for (int round = 1; round <= 2; ++round) {
        for (const TMenuItemDef &item : testsupport::DataMenuWindows()) {
            SCOPED_TRACE(QStringLiteral("round %1: %2 %3").arg(round).arg(item.Name, item.Caption).toStdString());
            QAction *menuItem = main_->MenuItem(item.Name);
            ASSERT_NE(menuItem, nullptr);
            // Every window of these menus is built.
            EXPECT_TRUE(menuItem->isEnabled());
            if (!menuItem->isEnabled())
                continue;

            SmokeDialogs dialogs;
            // A modal window nobody expects is noted and closed.
            testsupport::ModalWatch modals;
            QMdiSubWindow *child = OpenFromMenu(item.Name);
            ASSERT_NE(child, nullptr) << dialogs.Listed().toStdString();
            QPointer<QWidget> window = child->widget();
            ASSERT_FALSE(window.isNull());
            EXPECT_FALSE(window->windowTitle().isEmpty());

            // F8 as the operator presses it, on the control that has the focus.
            int triggered = 0;
            const QList<QAction *> f8 = F8Actions(window);
            bool enabled = false;
            for (QAction *action : f8) {
                enabled = enabled || action->isEnabled();
                QObject::connect(action, &QAction::triggered, window, [&triggered] { ++triggered; });
            }
            // The second round picks the first minibus where a window asks
            // for one, and runs F8 twice: the second run over a full window.
            if (round == 2) {
                for (auto *bus : window->findChildren<QLineEdit *>(QStringLiteral("leMicrobus")))
                    if (bus->isVisible() && bus->text().isEmpty())
                        bus->setText(QStringLiteral("1"));
            }
            QWidget *focus = QApplication::focusWidget();
            QWidget *target = focus && window->isAncestorOf(focus) ? focus : window.data();
            for (int run = 0; run < round && !window.isNull(); ++run) {
                QTest::keyClick(target, Qt::Key_F8);
                QTest::qWait(0);
            }
            ASSERT_FALSE(window.isNull()) << "the window went away on F8";
            if (enabled) {
                EXPECT_EQ(triggered, round) << "F8 did not reach the window";
            }
            if (!enabled)
                withoutF8 << item.Name;

            // The operator looks through what F8 gave: from control to
            // control with Tab, moving about in each.
            for (int stop = 0; stop < 8 && !window.isNull(); ++stop) {
                for (Qt::Key key : {Qt::Key_End, Qt::Key_Home, Qt::Key_PageDown, Qt::Key_Down, Qt::Key_Up}) {
                    focus = QApplication::focusWidget();
                    if (!focus || window.isNull() || !window->isAncestorOf(focus))
                        break;
                    QTest::keyClick(focus, key);
                }
                focus = QApplication::focusWidget();
                if (!focus || window.isNull() || !window->isAncestorOf(focus))
                    break;
                QTest::keyClick(focus, Qt::Key_Tab);
            }
            QTest::qWait(0);
            ASSERT_FALSE(window.isNull()) << "the window went away while moving about";

            // The first round closes the frame, the second presses Esc.
            dialogs.Closing = true;
            if (round == 1) {
                child->close();
            } else {
                focus = QApplication::focusWidget();
                QTest::keyClick(focus && window->isAncestorOf(focus) ? focus : window.data(), Qt::Key_Escape);
            }
            QTest::qWait(0);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(window.isNull()) << "the window stayed open";
            EXPECT_EQ(ChildCount(), 0);
            EXPECT_TRUE(dialogs.Faults().isEmpty()) << dialogs.Listed().toStdString();
            EXPECT_TRUE(modals.Seen.isEmpty()) << modals.Seen.join('\n').toStdString();
            // A window that did not close is closed for the next one.
            CloseAllWindows();
            ++visited;
        }
    }
    // Nomenclatures 14, documents 12, logistics 8, reports 20, twice.
    EXPECT_EQ(visited, 2 * 54);
    // Only the editors of goods receipts, invoices and notices have nothing
    // to run.
    const QStringList editors = {"Stokova_razpiska", "N_Invoice", "N_notice"};
    EXPECT_EQ(withoutF8, editors + editors);
}
