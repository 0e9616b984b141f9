// The keyboard never dead-ends, in every data window of the main menu on a
// filled database: a dropped picker (a list, a period, a date's calendar)
// closes with Esc and leaves its window open; from each parameter control F8 runs and F9 opens the preview, which
// Esc closes; Esc closes the window, asking first where something typed is
// data to save.
//
// Which typing must be asked about: a window holds data to save when its F2
// can save (enabled as it opens, or once something is typed). Typing into
// the parameter panel of a list or report (a period, a minibus, a code)
// only chooses what is shown and is never asked about; in a window with
// data, a value typed into its first editable field outside the parameter
// panel (an edit, or a cell of an editing grid) is.
#include "app/unMain.h"
#include "components/FormEdit.h"
#include "components/QuorendDateEdit.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendReadForm.h"
#include "platform/ui/StringGrid.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"
#include "app/MenuWalkSupport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QEventLoop>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

const QString SaveQuestion = QStringLiteral("Данните не са записани!\rЖелаете ли да ги запишете?");

// A control of the window that the clerk can reach with the keys.
bool Reachable(const QWidget *W)
{
    return W->isVisible() && W->isEnabled() && (W->focusPolicy() & Qt::TabFocus);
}

using testsupport::Inside;
using testsupport::PressOnFocus;

class KeysGui : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(UseSmallYear(60));
        ASSERT_NO_FATAL_FAILURE(ShowMainWindow());
    }

    // Opens the menu item's window; null when none opened.
    TQuorendForm *Open(const TMenuItemDef &Item)
    {
        QMdiSubWindow *child = OpenFromMenu(Item.Name);
        return child ? qobject_cast<TQuorendForm *>(child->widget()) : nullptr;
    }

};

// The save question: Cancel the first time, No after that; every other
// dialog as Enter answers it.
class SaveQuestionDialogs : public testsupport::ScopedDialogAnswers
{
public:
    int Asked = 0;
    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        if (Request.Text == SaveQuestion)
            Press(Asked++ == 0 ? mbCancel : mbNo);
        return ScopedDialogAnswers::ShowMessageBox(Request);
    }
};

// Runs Action; a modal window that it opens gets Esc, as the clerk presses
// it. The class of the window that came ("" when none).
QString EscOnModalDuring(const std::function<void()> &Action)
{
    QString seen;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&seen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        seen = QString::fromLatin1(modal->metaObject()->className());
        PressOnFocus(modal, Qt::Key_Escape);
    });
    timer.start();
    Action();
    timer.stop();
    return seen;
}

// An Esc typed right after an action's key, as a fast clerk types it: it
// reaches the window from inside the event loop of the action's first box
// or modal window, so that what it frees is freed there, as a real box's
// loop frees it. Boxes are then answered with Esc, modal windows closed
// with Esc, the save question of the close after the action with No.
class EscDuringAction : public testsupport::ScopedDialogAnswers
{
public:
    explicit EscDuringAction(TQuorendForm *Form) : form_(Form) {}

    bool CloseAsked = false;  // the Esc came with the window's Esc on (a save holds it off)
    bool Outlived = true;     // the window was there whenever the action's box was answered

    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        if (Request.Text == SaveQuestion)
            return Press(mbNo), ScopedDialogAnswers::ShowMessageBox(Request);
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [this] { EscOnWindow(); });
        QTimer::singleShot(30, &loop, &QEventLoop::quit);
        loop.exec();
        Outlived = Outlived && !form_.isNull();
        return Escape(), ScopedDialogAnswers::ShowMessageBox(Request);
    }

    void During(const std::function<void()> &Action)
    {
        QTimer timer;
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            if (!reached_)
                return EscOnWindow();
            Outlived = Outlived && !form_.isNull();
            PressOnFocus(modal, Qt::Key_Escape);
        });
        timer.start();
        Action();
        timer.stop();
    }

private:
    void EscOnWindow()
    {
        if (reached_ || form_.isNull())
            return;
        reached_ = true;
        CloseAsked = form_->actExit->isEnabled();
        QWidget *focus = QApplication::focusWidget();
        if (QApplication::activeWindow() == form_->window() && Inside(form_, focus))
            QTest::keyClick(focus, Qt::Key_Escape);
        else
            form_->actExit->trigger();  // the key's action, where a modal window has the keys
    }

    bool reached_ = false;
    QPointer<TQuorendForm> form_;
};

} // namespace

// What a clerk presses in a window, when the window offers it: the fixed
// keys whose actions show a box or a window, F8 over a date that is none,
// the window's own buttons and its own keys.
std::vector<std::pair<QString, std::function<bool(TQuorendForm &)>>> Presses(TQuorendForm &Form)
{
    std::vector<std::pair<QString, std::function<bool(TQuorendForm &)>>> presses;
    const auto key = [](Qt::Key Key, QAction *TQuorendForm::*Action) {
        return [Key, Action](TQuorendForm &F) {
            return (F.*Action)->isEnabled() && (PressOnFocus(&F, Key), true);
        };
    };
    presses = {{"F5", key(Qt::Key_F5, &TQuorendForm::actDelete)}, {"F2", key(Qt::Key_F2, &TQuorendForm::actSave)},
               {"F7", key(Qt::Key_F7, &TQuorendForm::actSearch)}, {"F9", key(Qt::Key_F9, &TQuorendForm::actPrint)},
               {"F10", key(Qt::Key_F10, &TQuorendForm::actFile)}};
    presses.push_back({"31.04 F8", [](TQuorendForm &F) {
                           auto *date = F.findChild<TQuorendDatePicker *>();
                           if (!date || !Reachable(date) || !F.actExecute->isEnabled())
                               return false;
                           QLineEdit *edit = date->findChild<QLineEdit *>();
                           edit->setFocus();
                           QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                           QTest::keyClicks(edit, "31.04.2024");
                           PressOnFocus(&F, Qt::Key_F8);
                           return true;
                       }});
    // Every date field: a day that is none (90.mm.yyyy) and Return, whose check shows its box with no action.
    for (TQuorendDatePicker *date : Form.findChildren<TQuorendDatePicker *>())
        if (Reachable(date) && !date->objectName().isEmpty())
            presses.push_back({date->objectName() + " 9,0, Return", [name = date->objectName()](TQuorendForm &F) {
                                   auto *picker = F.findChild<TQuorendDatePicker *>(name);
                                   if (!picker || !Reachable(picker))
                                       return false;
                                   QApplication::setActiveWindow(F.window());
                                   picker->setFocus();
                                   QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
                                   QTest::keyClicks(QApplication::focusWidget(), "9,0,");
                                   return PressOnFocus(&F, Qt::Key_Return), true;
                               }});
    for (QPushButton *button : Form.findChildren<QPushButton *>())
        if (Reachable(button) && !button->objectName().isEmpty())
            presses.push_back({button->objectName(), [name = button->objectName()](TQuorendForm &F) {
                                   auto *b = F.findChild<QPushButton *>(name);
                                   return b && b->isEnabled() && (QTest::mouseClick(b, Qt::LeftButton), true);
                               }});
    const QStringList fixed = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "Esc", "Ctrl+C", "Ctrl+V"};
    for (QAction *action : Form.actions())
        if (!action->shortcut().isEmpty() && !fixed.contains(action->shortcut().toString())
            && !action->objectName().isEmpty())
            presses.push_back({action->objectName(), [name = action->objectName()](TQuorendForm &F) {
                                   for (QAction *a : F.actions())
                                       if (a->objectName() == name && a->isEnabled())
                                           return a->trigger(), true;
                                   return false;
                               }});
    return presses;
}

TEST_F(KeysGui, EscRightAfterAnActionKeyClosesTheWindowOnlyWhenTheActionHasEnded)
{
    std::vector<TMenuItemDef> items = testsupport::DataMenuWindows();
    for (const TMenuItemDef &item : MainMenuItems())
        if (item.Target == QStringLiteral("TfrmNAS"))
            items.push_back(item);
    int closes = 0;
    QStringList own;
    for (const TMenuItemDef &item : items) {
        testsupport::ScopedDialogAnswers opening;
        QPointer<TQuorendForm> form = Open(item);
        ASSERT_FALSE(form.isNull());
        PressOnFocus(form, Qt::Key_F8);
        for (const auto &[name, press] : Presses(*form)) {
            SCOPED_TRACE(item.Name.toStdString() + " " + name.toStdString());
            if (form.isNull()) {
                form = Open(item);
                // The list read, so that the window's own keys have a row.
                PressOnFocus(form, Qt::Key_F8);
            }
            EscDuringAction dialogs(form);
            bool pressed = false;
            dialogs.During([&form, &pressed, press = press] { pressed = press(*form); });
            if (!pressed)
                continue;
            EXPECT_TRUE(dialogs.Outlived) << "the window went while its action ran";
            EXPECT_TRUE(!name.endsWith("Return") || dialogs.Texts().join('|').contains("Невалидна дата")) << name.toStdString();
            // The close the Esc asked for comes once the action has ended.
            QTest::qWait(10);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            closes += dialogs.CloseAsked;
            if (dialogs.CloseAsked && !name.startsWith('F'))
                own << name;
            EXPECT_TRUE(!dialogs.CloseAsked || form.isNull()) << dialogs.Texts().join(" | ").toStdString();
            CloseAllWindows();
        }
        CloseAllWindows();
    }
    EXPECT_GT(closes, 150);
    // A date that is none, the lists' printing of a document, the payments' cash order.
    own.removeDuplicates();
    EXPECT_GE(own.size(), 4) << own.join(' ').toStdString();
}

TEST_F(KeysGui, EveryPickerClosesWithEscAndLeavesItsWindowOpen)
{
    int pickers = 0;
    for (const TMenuItemDef &item : testsupport::DataMenuWindows()) {
        SCOPED_TRACE(item.Name.toStdString());
        testsupport::ScopedDialogAnswers dialogs;
        QPointer<TQuorendForm> form = Open(item);
        ASSERT_FALSE(form.isNull());
        for (TCustomFormEdit *edit : form->findChildren<TCustomFormEdit *>()) {
            if (!Reachable(edit) || !edit->BitButton()->isEnabled())
                continue;
            edit->setFocus();
            edit->DropDown();
            QPointer<TDropDownForm> picker = edit->Form();
            if (!picker || !picker->isVisible())
                continue;
            ++pickers;
            PressOnFocus(picker, Qt::Key_Escape);
            QTest::qWait(0);
            EXPECT_FALSE(picker && picker->isVisible()) << edit->objectName().toStdString();
            ASSERT_FALSE(form.isNull()) << edit->objectName().toStdString();
            EXPECT_TRUE(form->isVisible());
            // The keys are the window's again.
            EXPECT_TRUE(Inside(form, QApplication::focusWidget())) << edit->objectName().toStdString();
        }
        // The calendars of the dates are pickers too.
        for (QDateEdit *date : form->findChildren<QDateEdit *>()) {
            if (!Reachable(date) || !date->calendarPopup())
                continue;
            date->setFocus();
            QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 6, date->height() / 2));
            QPointer<QWidget> calendar = date->calendarWidget()->window();
            if (!calendar->isVisible())
                continue;
            ++pickers;
            PressOnFocus(calendar, Qt::Key_Escape);
            QTest::qWait(0);
            EXPECT_FALSE(calendar && calendar->isVisible()) << date->objectName().toStdString();
            ASSERT_FALSE(form.isNull()) << date->objectName().toStdString();
            EXPECT_TRUE(form->isVisible());
        }
        CloseAllWindows();
    }
    EXPECT_GT(pickers, 20);
}

TEST_F(KeysGui, FromEveryParameterF8RunsF9PreviewsAndEscCloses)
{
    int previews = 0;
    QStringList missed;
    for (const TMenuItemDef &item : testsupport::DataMenuWindows()) {
        SCOPED_TRACE(item.Name.toStdString());
        testsupport::ScopedDialogAnswers dialogs;
        QPointer<TQuorendForm> form = Open(item);
        ASSERT_FALSE(form.isNull());
        auto *read = qobject_cast<TQuorendReadForm *>(form.data());
        QList<QWidget *> params;
        if (read)
            for (QWidget *w : read->pnlParams->findChildren<QWidget *>())
                if (Reachable(w) && !w->focusProxy() && !qobject_cast<QLineEdit *>(w->parentWidget())
                    && !qobject_cast<QAbstractSpinBox *>(w->parentWidget())
                    && !qobject_cast<QComboBox *>(w->parentWidget()))
                    params << w;
        for (QWidget *param : params) {
            if (form.isNull() || !Reachable(param))
                continue;
            SCOPED_TRACE(param->objectName().toStdString());
            param->setFocus();
            PressOnFocus(form, Qt::Key_F8);
            QTest::qWait(0);
            ASSERT_FALSE(form.isNull());
            // The keys reach the window after the run.
            QWidget *focus = QApplication::focusWidget();
            EXPECT_TRUE(Inside(form, focus) && focus->isEnabled())
                << (focus ? focus->metaObject()->className() : "no focus");
            if (!form->actPrint->isEnabled())
                continue;
            const size_t told = dialogs.Shown().size();
            const QString shown = EscOnModalDuring([&form] { PressOnFocus(form, Qt::Key_F9); });
            QTest::qWait(0);
            // A document not saved yet is not printed: the clerk is told.
            if (!shown.isEmpty())
                ++previews;
            else if (dialogs.Shown().size() == told)
                missed << item.Name;
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "Esc left the preview open";
            ASSERT_FALSE(form.isNull());
            EXPECT_TRUE(Inside(form, QApplication::focusWidget())) << "the keys did not come back";
        }
        if (form.isNull())
            continue;
        // Esc closes the window (a question, if any, is answered as Enter
        // answers it: No).
        PressOnFocus(form, Qt::Key_Escape);
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull()) << "Esc did not close the window";
        CloseAllWindows();
        // Minimised with Прозорци → Minimize All, it closes from the keys all the same.
        for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::ControlModifier | Qt::Key_F4}) {
            form = Open(item);
            main_->MenuItem(QStringLiteral("WindowArrangeItem"))->trigger();
            ASSERT_TRUE(form->SubWindow()->isMinimized());
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(form.isNull()) << QKeySequence(key).toString().toStdString() << " left it open";
            CloseAllWindows();
        }
    }
    missed.removeDuplicates();
    EXPECT_TRUE(missed.isEmpty()) << "F9 opened no preview: " << missed.join(' ').toStdString();
    EXPECT_GT(previews, 40);
}

TEST_F(KeysGui, TypedDataIsAskedAboutBeforeEscClosesTheWindow)
{
    int asked = 0;
    QStringList unasked;
    for (const TMenuItemDef &item : testsupport::DataMenuWindows()) {
        SCOPED_TRACE(item.Name.toStdString());
        SaveQuestionDialogs dialogs;
        QPointer<TQuorendForm> form = Open(item);
        ASSERT_FALSE(form.isNull());
        auto *read = qobject_cast<TQuorendReadForm *>(form.data());
        auto inParams = [read](QWidget *W) { return read && read->pnlParams->isAncestorOf(W); };
        // The first field of data: an editing grid's cell, else an edit.
        bool typed = false;
        QString where;
        for (platform::StringGrid *grid : form->findChildren<platform::StringGrid *>()) {
            if (!Reachable(grid) || !grid->Options().Contains(goEditing) || grid->RowCount() <= grid->FixedRows())
                continue;
            grid->setFocus();
            for (int c = grid->FixedCols(); c < grid->ColCount() && !typed; ++c) {
                grid->SetRow(grid->FixedRows());
                grid->SetCol(c);
                QTest::keyClicks(grid, "7");
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                typed = form->Modified();
                where = grid->objectName();
            }
            break;
        }
        if (!typed)
            for (QLineEdit *edit : form->findChildren<QLineEdit *>()) {
                if (!Reachable(edit) || edit->isReadOnly() || inParams(edit)
                    || qobject_cast<QAbstractSpinBox *>(edit->parentWidget()))
                    continue;
                edit->setFocus();
                QTest::keyClicks(edit, "7");
                typed = true;
                where = edit->objectName();
                break;
            }
        QPointer<QWidget> typedInto = QApplication::focusWidget();
        const bool data = form->actSave->isEnabled() || form->Modified();
        if (!typed || !data) {
            CloseAllWindows();
            continue;
        }
        // Esc asks; Cancel keeps the window and what was typed; then No.
        PressOnFocus(form, Qt::Key_Escape);
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (form.isNull() || dialogs.Asked == 0) {
            unasked << item.Name + QStringLiteral(" ") + where;
            CloseAllWindows();
            continue;
        }
        ++asked;
        // Beside another window, all minimised (from maximised too): Esc closes that one, then asks here again.
        main_->MenuItem(QStringLiteral("N16"))->trigger();
        main_->MenuItem(QStringLiteral("WindowArrangeItem"))->trigger();
        ASSERT_TRUE(form->SubWindow()->isMinimized());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        typedInto->setFocus();
        QTest::keyClick(typedInto, Qt::Key_Escape);
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
        EXPECT_EQ(dialogs.Asked, 2);
        CloseAllWindows();
    }
    EXPECT_TRUE(unasked.isEmpty()) << "closed without the question: " << unasked.join(", ").toStdString();
    // The editors of goods receipts, invoices and notices can save as they
    // open; the other windows save only after F3 or F4.
    EXPECT_GE(asked, 3);
}
