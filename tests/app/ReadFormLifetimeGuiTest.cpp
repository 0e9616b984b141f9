// A list or report window deleted at once (its sub-window destroyed without
// the usual close) leaves nothing behind that a later window or its print
// preview reads: every read window of the menus is opened, deleted, opened
// again and printed. Run under AddressSanitizer, this is where a pointer
// kept past its window shows.
#include "app/unMain.h"
#include "components/RichGrid.h"
#include "framework/QuorendReadForm.h"
#include "framework/unPrintPreview.h"
#include "platform/print/PrinterDevice.h"
#include "support/ScopedDialogAnswers.h"
#include "app/MenuWalkSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

class ReadFormLifetimeGui : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetPrintGridPrinter(&noPrinter_);
        ASSERT_NO_FATAL_FAILURE(ShowMainWindow());
    }

    void TearDown() override
    {
        main_.reset();
        SetPrintGridPrinter(nullptr);
        MainWindowTest::TearDown();
    }

    // Opens the window of the menu item; its read form, or null.
    TQuorendReadForm *Open(QAction *item)
    {
        item->trigger();
        QTest::qWait(0);
        const auto children = main_->MdiArea()->subWindowList();
        if (children.isEmpty())
            return nullptr;
        return qobject_cast<TQuorendReadForm *>(children.constLast()->widget());
    }

    platform::NoPrinterDevice noPrinter_;
};

} // namespace

TEST_F(ReadFormLifetimeGui, AReadWindowDeletedAtOnceLeavesNothingTheNextOnePrintsFrom)
{
    int visited = 0;
    for (const TMenuItemDef &item : MainMenuItems()) {
        // The lists and reports: their F9 prints the grid (a document window's
        // prints its document).
        if (item.Kind != TFormShowKind::MdiChild || item.Command != TMenuCommand::OpenForm
            || (item.Menu != QStringLiteral("Номенклатури") && item.Menu != QStringLiteral("Справки")))
            continue;
        QAction *menuItem = main_->MenuItem(item.Name);
        if (!menuItem || !menuItem->isEnabled())
            continue;
        SCOPED_TRACE((item.Name + ' ' + item.Caption).toStdString());
        testsupport::ScopedDialogAnswers dialogs;
        TQuorendReadForm *first = Open(menuItem);
        if (!first) {
            // Not a list or report window: close it the usual way.
            for (QMdiSubWindow *w : main_->MdiArea()->subWindowList())
                delete w;
            continue;
        }
        ++visited;
        delete main_->MdiArea()->subWindowList().constLast();
        QTest::qWait(0);
        ASSERT_TRUE(main_->MdiArea()->subWindowList().isEmpty());

        TQuorendReadForm *second = Open(menuItem);
        ASSERT_NE(second, nullptr);
        QPointer<QMdiSubWindow> child = main_->MdiArea()->subWindowList().constLast();
        main_->MdiArea()->setActiveSubWindow(child);
        QTest::mouseClick(second->Grid->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : second, Qt::Key_F8);
        // F9: no printer is said, then the preview opens; it is left at once.
        bool previewed = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto *preview = qobject_cast<TfmPrintPreview *>(QApplication::activeModalWidget())) {
                previewed = true;
                preview->reject();
            }
        });
        closer.start(10);
        QAction *print = nullptr;
        for (QAction *a : second->findChildren<QAction *>())
            if (a->shortcut() == QKeySequence(Qt::Key_F9))
                print = a;
        ASSERT_NE(print, nullptr);
        ASSERT_TRUE(print->isEnabled());
        print->trigger();
        closer.stop();
        EXPECT_TRUE(previewed);
        bool saidNoPrinter = false;
        for (const auto &d : dialogs.Shown())
            saidNoPrinter = saidNoPrinter || d.Text == QStringLiteral("Няма инсталиран принтер!");
        EXPECT_TRUE(saidNoPrinter);
        delete child.data();
        QTest::qWait(0);
    }
    EXPECT_GT(visited, 20);
}
