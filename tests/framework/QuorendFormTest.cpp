// The base data form's contract: re-entry guards, action states around
// operations, the save question, failures at the action boundary, the key
// preview, the clipboard, modal and MDI showing.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "components/Formatters.h"
#include "components/ListEdit.h"
#include "components/QuorendDateEdit.h"
#include "components/RichGrid.h"
#include "framework/QuorendFormClasses.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "framework/QuorendEditForm.h"
#include "platform/ui/StringGrid.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

namespace {

// A data form that records the hooks it ran and can be told to fail.
class TTestForm : public TQuorendEditForm
{
    Q_OBJECT
public:
    TTestForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendEditForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmTest"));
        actExecute->setEnabled(true);
        actSave->setEnabled(true);
        actNew->setEnabled(true);
        actDelete->setEnabled(false);
        actEdit->setEnabled(true);
        SetPrintSettingsKey(QStringLiteral("frmTest_print_settings"));
    }

    int executes = 0;
    bool executeInBeforeShow = false;
    int saves = 0;
    int stops = 0;
    int dones = 0;
    int news = 0;
    int filters = 0;
    int deletes = 0;
    bool saveResult = true;
    bool executeResult = true;
    bool filterResult = true;
    bool canExecute = true;
    bool canSave = true;
    QString executeErrorText;
    QString saveErrorText;
    std::function<void()> duringEdit;
    std::function<void()> duringStop;
    // Steers actDelete through its Is...Enabled function when set.
    std::function<bool()> deleteEnabled;
    // Modified as the done-hook saw it (-1: not run).
    int modifiedAtDone = -1;
    QString throwInExecute;
    QString throwInBeforeShow;
    std::function<void()> duringExecute;
    // The states seen inside DoExecute.
    std::vector<bool> statesDuringExecute;
    unsigned char busyDuringExecute = 0;
    int waitDuringExecute = 0;

    bool CanExecute() override { return canExecute; }
    QString GetExecuteErrorText() override { return executeErrorText; }
    bool CanSave() override { return canSave; }
    QString GetSaveErrorText() override { return saveErrorText; }
    bool DoFilter() override
    {
        ++filters;
        return filterResult;
    }
    bool DoEdit() override
    {
        if (duringEdit)
            duringEdit();
        return true;
    }
    bool DoDelete() override
    {
        ++deletes;
        return true;
    }
    bool IsDeleteEnabled() override { return deleteEnabled ? deleteEnabled() : TQuorendEditForm::IsDeleteEnabled(); }

    bool DoExecute() override
    {
        ++executes;
        statesDuringExecute.clear();
        for (QAction *a : ToolbarActions())
            statesDuringExecute.push_back(a->isEnabled());
        busyDuringExecute = BusyFlags();
        waitDuringExecute = WaitCount();
        if (duringExecute)
            duringExecute();
        if (!throwInExecute.isEmpty())
            throw Exception(throwInExecute);
        return executeResult;
    }
    std::function<void()> duringSave;
    bool DoSave() override
    {
        ++saves;
        if (duringSave)
            duringSave();
        return saveResult;
    }
    bool DoNew() override
    {
        ++news;
        return true;
    }
    bool DoStop() override
    {
        ++stops;
        if (duringStop)
            duringStop();
        return true;
    }
    bool BeforeShow() override
    {
        TQuorendEditForm::BeforeShow();
        if (executeInBeforeShow)
            Execute();
        if (!throwInBeforeShow.isEmpty())
            throw Exception(throwInBeforeShow);
        return true;
    }
    bool FormDone() override
    {
        ++dones;
        modifiedAtDone = Modified() ? 1 : 0;
        return TQuorendEditForm::FormDone();
    }
    // A parameter panel locked while work runs, as the list forms lock
    // theirs.
    QWidget *lockPanel = nullptr;
    void EnableActions(bool Enable) override
    {
        TQuorendEditForm::EnableActions(Enable);
        if (lockPanel)
            EnableContainer(lockPanel, Enable);
    }
    using TQuorendForm::ToolbarActions;
};

// A read-only list form: a status form that does not ask on its own.
class TTestListForm : public TQuorendStatusForm
{
    Q_OBJECT
public:
    TTestListForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendStatusForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmTestList"));
        actExecute->setEnabled(true);
    }
};

// A form without a name, and one whose initialisation fails.
class TUnnamedForm : public TTestForm
{
    Q_OBJECT
public:
    TUnnamedForm(QWidget *AOwner, TFormStyle AFormStyle) : TTestForm(AOwner, AFormStyle) { setObjectName(QString()); }
};

class TBrokenForm : public TQuorendForm
{
    Q_OBJECT
public:
    static int alive;
    TBrokenForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmBroken"));
        ++alive;
    }
    ~TBrokenForm() override { --alive; }
    bool InitForm() override { throw Exception("Таблицата липсва"); }
};
int TBrokenForm::alive = 0;

void ProcessDeferredDeletes()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

std::vector<bool> States(TTestForm *form)
{
    std::vector<bool> states;
    for (QAction *a : form->ToolbarActions())
        states.push_back(a->isEnabled());
    return states;
}

// A main window with an MDI area, shown and active, as the program's.
class QuorendFormGui : public testsupport::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        main_ = std::make_unique<QMainWindow>();
        area_ = new QMdiArea(main_.get());
        main_->setCentralWidget(area_);
        main_->resize(1000, 700);
        main_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
        main_->activateWindow();
        QApplication::setActiveWindow(main_.get());
        SetMainForm(main_.get(), area_);
        SetFormShower(ShowQuorendForm);
    }
    void TearDown() override
    {
        SetFormShower(nullptr);
        SetMainForm(nullptr, nullptr);
        main_.reset();
        ProcessDeferredDeletes();
        DataTest::TearDown();
    }

    template <class T = TTestForm>
    T *Open()
    {
        T *form = CreateQuorendForm<T>(main_.get(), fsMDIChild);
        EXPECT_TRUE(form->ShowForm());
        area_->setActiveSubWindow(form->SubWindow());
        form->setFocus();
        QCoreApplication::processEvents();
        return form;
    }

    std::unique_ptr<QMainWindow> main_;
    QMdiArea *area_ = nullptr;
};

} // namespace

TEST_F(QuorendFormGui, OpensAsMdiChildWithCaptionToolbarAndDesignedActionStates)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    ASSERT_NE(form->SubWindow(), nullptr);
    EXPECT_EQ(area_->subWindowList().size(), 1);
    EXPECT_EQ(form->pnlCaption->text(), "ЗАГЛАВИЕ");
    EXPECT_EQ(form->GetTitle(), "ЗАГЛАВИЕ");
    QStringList labels;
    for (QToolButton *b : {form->sbtnHelp, form->sbtnSave, form->sbtnEdit, form->sbtnNew, form->sbtnDelete,
                           form->sbtnFilter, form->sbtnSearch, form->sbtnExecute, form->sbtnPrint, form->sbtnFile,
                           form->sbtnExit})
        labels << b->text();
    EXPECT_EQ(labels.join(' '), "F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 Esc");
    EXPECT_EQ(form->actExecute->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_TRUE(form->actHelp->shortcut().isEmpty());
    EXPECT_EQ(form->actExecute->shortcutContext(), Qt::WidgetWithChildrenShortcut);
    EXPECT_EQ(form->actExit->toolTip(), "Затваряне на прозореца");
    // Designed states after ShowForm: the test form's own, Exit on.
    EXPECT_EQ(States(form), (std::vector<bool>{true, true, true, false, false, false, true, false, false, true}));
    EXPECT_FALSE(form->SavedActions().Saved);
    EXPECT_EQ(form->BusyFlags(), 0);
    EXPECT_TRUE(form->EditMode());
    EXPECT_EQ(form->GetPrintSettingsKey(), "frmTest_print_settings");
    EXPECT_TRUE(dialogs.Shown().empty());

    // The toolbar buttons follow their actions.
    EXPECT_TRUE(form->sbtnExecute->isEnabled());
    EXPECT_FALSE(form->sbtnDelete->isEnabled());
    QTest::mouseClick(form->sbtnExecute, Qt::LeftButton);
    EXPECT_EQ(form->executes, 1);
}

TEST_F(QuorendFormGui, F8DuringAnExecuteRunsNothingAndStatesComeBack)
{
    TTestForm *form = Open();
    const std::vector<bool> before = States(form);
    form->duringExecute = [form] {
        // A second F8, and the handler called directly, are both refused.
        QTest::keyClick(form, Qt::Key_F8);
        form->actExecuteExecute();
        // A state set meanwhile survives the restore.
        form->SetDeleteEnabled(true);
    };
    QTest::keyClick(form, Qt::Key_F8);
    EXPECT_EQ(form->executes, 1);
    EXPECT_EQ(form->statesDuringExecute, std::vector<bool>(10, false));
    EXPECT_EQ(form->busyDuringExecute, qbActionRunning);
    EXPECT_EQ(form->waitDuringExecute, 1);

    std::vector<bool> expected = before;
    expected[3] = true;   // Delete
    EXPECT_EQ(States(form), expected);
    EXPECT_EQ(form->BusyFlags(), 0);
    EXPECT_EQ(WaitCount(), 0);
    EXPECT_TRUE(form->actExecute->isEnabled());

    // Afterwards F8 runs again.
    form->duringExecute = nullptr;
    QTest::keyClick(form, Qt::Key_F8);
    EXPECT_EQ(form->executes, 2);
}

TEST_F(QuorendFormGui, ExecuteFromBeforeShowSkipsTheCheckAndShowFormRestoresTheStates)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = CreateQuorendForm<TTestForm>(main_.get(), fsMDIChild);
    form->executeInBeforeShow = true;
    form->canExecute = false;
    form->executeErrorText = "не";
    ASSERT_TRUE(form->ShowForm());
    EXPECT_EQ(form->executes, 1);
    EXPECT_EQ(form->statesDuringExecute, std::vector<bool>(10, false));
    EXPECT_EQ(form->busyDuringExecute, qbShowing);
    EXPECT_EQ(States(form), (std::vector<bool>{true, true, true, false, false, false, true, false, false, true}));
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, EscStopsAStoppableExecuteWithoutClosing)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    QPointer<TTestForm> alive(form);
    form->SetStopAllowed(true);
    bool stopEnabledInside = false;
    bool timerInside = false;
    form->duringExecute = [&] {
        stopEnabledInside = form->actStop->isEnabled();
        timerInside = form->Timer->isActive();
        QTest::keyClick(form, Qt::Key_Escape);
    };
    // Stop does not run again inside itself.
    form->duringStop = [form] { form->actStopExecute(); };
    QTest::keyClick(form, Qt::Key_F8);
    ProcessDeferredDeletes();
    ASSERT_TRUE(alive);
    EXPECT_TRUE(stopEnabledInside);
    EXPECT_TRUE(timerInside);
    EXPECT_EQ(form->stops, 1);
    EXPECT_FALSE(form->actStop->isEnabled());
    EXPECT_FALSE(form->Timer->isActive());
    EXPECT_TRUE(form->TimeText().startsWith(" Към: "));
    EXPECT_TRUE(dialogs.Shown().empty());

    // Without an execute, Esc is Exit: the form closes.
    QTest::keyClick(form, Qt::Key_Escape);
    ProcessDeferredDeletes();
    EXPECT_FALSE(alive);
}

TEST_F(QuorendFormGui, HookThatThrowsLeavesTheFormUsableAndClosable)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    QPointer<TTestForm> alive(form);
    const std::vector<bool> before = States(form);
    form->throwInExecute = "Грешка в заявката";
    QTest::keyClick(form, Qt::Key_F8);

    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Грешка в заявката.");
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_EQ(WaitCount(), 0);
    EXPECT_EQ(form->BusyFlags(), 0);
    EXPECT_EQ(States(form), before);
    EXPECT_FALSE(form->SavedActions().Saved);
    EXPECT_FALSE(form->actStop->isEnabled());

    // The next F8 runs again, and the form closes.
    form->throwInExecute.clear();
    QTest::keyClick(form, Qt::Key_F8);
    EXPECT_EQ(form->executes, 2);
    form->Close();
    ProcessDeferredDeletes();
    EXPECT_FALSE(alive);
}

TEST_F(QuorendFormGui, FailedPreparationIsShownAndFreesTheForm)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = CreateQuorendForm<TTestForm>(main_.get(), fsMDIChild);
    QPointer<TTestForm> alive(form);
    form->throwInBeforeShow = "Няма връзка";
    EXPECT_FALSE(form->ShowForm());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Няма връзка."});
    EXPECT_EQ(WaitCount(), 0);
    ProcessDeferredDeletes();
    EXPECT_FALSE(alive);
    EXPECT_TRUE(area_->subWindowList().isEmpty());
}

TEST_F(QuorendFormGui, RefusalTextIsShownAsItStandsAndQuietExecuteShowsNothing)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    form->canExecute = false;
    form->executeErrorText = "Отстъпка 100% над %s";
    QTest::keyClick(form, Qt::Key_F8);
    EXPECT_EQ(form->executes, 0);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Отстъпка 100% над %s");
    EXPECT_EQ(dialogs.Shown()[0].Caption, "Грешка!");

    EXPECT_TRUE(form->ExecuteQuiet());
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(form->ShowValidationMessages());
}

TEST_F(QuorendFormGui, SaveQuestionOutcomes)
{
    const QString question = "Данните не са записани!\rЖелаете ли да ги запишете?";
    {
        // Not modified: closes without asking.
        testsupport::ScopedDialogAnswers dialogs;
        TTestForm *form = Open();
        QPointer<TTestForm> alive(form);
        form->Close();
        ProcessDeferredDeletes();
        EXPECT_FALSE(alive);
        EXPECT_TRUE(dialogs.Shown().empty());
    }
    {
        // Yes with a failing save: stays open, still modified.
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbYes);
        TTestForm *form = Open();
        QPointer<TTestForm> alive(form);
        form->SetModified(true);
        form->saveResult = false;
        QTest::keyClick(form, Qt::Key_Escape);
        ProcessDeferredDeletes();
        ASSERT_TRUE(alive);
        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_EQ(dialogs.Shown()[0].Text, question);
        EXPECT_EQ(dialogs.Shown()[0].Buttons, (std::vector<TMsgDlgBtn>{mbYes, mbNo, mbCancel}));
        EXPECT_EQ(dialogs.Shown()[0].DefaultButton, mbNo);
        EXPECT_EQ(dialogs.Shown()[0].EscapeButton, mbCancel);
        EXPECT_EQ(form->saves, 1);
        EXPECT_TRUE(form->Modified());
        EXPECT_EQ(form->dones, 0);

        // Yes with a save that succeeds: closes.
        dialogs.Press(mbYes);
        form->saveResult = true;
        form->Close();
        ProcessDeferredDeletes();
        EXPECT_FALSE(alive);
    }
    {
        // No: closes without saving; Cancel (Esc): stays.
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Escape().Press(mbNo);
        TTestForm *form = Open();
        QPointer<TTestForm> alive(form);
        form->SetModified(true);
        form->Close();
        ProcessDeferredDeletes();
        ASSERT_TRUE(alive);
        EXPECT_EQ(form->saves, 0);
        form->Close();
        ProcessDeferredDeletes();
        EXPECT_FALSE(alive);
        EXPECT_EQ(dialogs.Shown().size(), 2u);
    }
}

TEST_F(QuorendFormGui, ListFormWithUnsavedGridEditsAsksBeforeClosing)
{
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel);
    auto *form = Open<TTestListForm>();
    QPointer<TTestListForm> alive(form);
    form->SetModified(true);
    form->Close();
    ProcessDeferredDeletes();
    EXPECT_TRUE(alive);
    EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(QuorendFormGui, NoCloseWhileAWaitIsInProgress)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    QPointer<TTestForm> alive(form);
    {
        WaitScope wait;
        form->Close();
        ProcessDeferredDeletes();
        EXPECT_TRUE(alive);
    }
    form->Close();
    ProcessDeferredDeletes();
    EXPECT_FALSE(alive);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, NewAsksFirstAndGoesOnOnlyAfterASaveThatSucceeded)
{
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel).Press(mbNo).Press(mbYes).Press(mbYes);
    TTestForm *form = Open();
    form->SetModified(true);
    form->SetEditMode(false);
    // Cancel and No leave the form as it is: unsaved, not in edit mode.
    QTest::keyClick(form, Qt::Key_F4);
    EXPECT_EQ(form->news, 0);
    EXPECT_TRUE(form->Modified());
    QTest::keyClick(form, Qt::Key_F4);
    EXPECT_EQ(form->news, 0);
    EXPECT_EQ(form->saves, 0);
    EXPECT_TRUE(form->Modified());
    EXPECT_FALSE(form->EditMode());
    // Yes with a save that fails: no New either.
    form->saveResult = false;
    QTest::keyClick(form, Qt::Key_F4);
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->news, 0);
    EXPECT_TRUE(form->Modified());
    EXPECT_FALSE(form->EditMode());
    // Yes with a save that succeeds: New, in edit mode.
    form->saveResult = true;
    QTest::keyClick(form, Qt::Key_F4);
    EXPECT_EQ(form->saves, 2);
    EXPECT_EQ(form->news, 1);
    EXPECT_FALSE(form->Modified());
    EXPECT_TRUE(form->EditMode());
    // Nothing unsaved: no question.
    QTest::keyClick(form, Qt::Key_F4);
    EXPECT_EQ(form->news, 2);
    EXPECT_EQ(dialogs.Shown().size(), 4u);
}

TEST_F(QuorendFormGui, SaveClearsModifiedAndLeavesEditModeWhenAsked)
{
    TTestForm *form = Open();
    form->SetLeaveEditModeOnSave(true);
    form->SetModified(true);
    form->saveResult = false;
    QTest::keyClick(form, Qt::Key_F2);
    EXPECT_TRUE(form->Modified());
    EXPECT_TRUE(form->EditMode());
    form->saveResult = true;
    QTest::keyClick(form, Qt::Key_F2);
    EXPECT_FALSE(form->Modified());
    EXPECT_FALSE(form->EditMode());
    EXPECT_EQ(form->saves, 2);
}

TEST_F(QuorendFormGui, EnterMovesToTheNextControlButNotOutOfAnEditingGrid)
{
    TTestForm *form = Open();
    auto *first = new QLineEdit(form->ClientArea);
    auto *combo = new QComboBox(form->ClientArea);
    combo->addItems({"a", "b"});
    auto *grid = new platform::StringGrid(form->ClientArea);
    auto *last = new QLineEdit(form->ClientArea);
    for (QWidget *w : {static_cast<QWidget *>(first), static_cast<QWidget *>(combo), static_cast<QWidget *>(grid),
                       static_cast<QWidget *>(last)})
        form->ClientLayout->addWidget(w);
    QCoreApplication::processEvents();
    first->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), first);

    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), combo);
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_EQ(combo->currentIndex(), 0);

    // A grid without editing passes the focus on; with editing it keeps
    // Enter for its editor.
    TGridOptions options = grid->Options();
    options += goEditing;
    grid->SetOptions(options);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(grid->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == grid);
    grid->SetEditorMode(false);
    grid->setFocus();
    options -= goEditing;
    grid->SetOptions(options);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), last);
}

TEST_F(QuorendFormGui, CopyAndPasteGoThroughTheActiveControl)
{
    TTestForm *form = Open();
    auto *edit = new QLineEdit(form->ClientArea);
    auto *target = new QLineEdit(form->ClientArea);
    auto *grid = new platform::StringGrid(form->ClientArea);
    form->ClientLayout->addWidget(edit);
    form->ClientLayout->addWidget(target);
    form->ClientLayout->addWidget(grid);
    QCoreApplication::processEvents();
    edit->setText("Хляб Добруджа");
    edit->setFocus();
    ASSERT_EQ(form->ActiveControl(), edit);
    edit->setSelection(0, 4);
    form->actCopyExecute();
    EXPECT_EQ(QApplication::clipboard()->text(), "Хляб");

    target->setText("бял");
    target->setFocus();
    target->setCursorPosition(0);
    form->actPasteExecute();
    EXPECT_EQ(target->text(), "Хляббял");

    target->setReadOnly(true);
    form->actPasteExecute();
    EXPECT_EQ(target->text(), "Хляббял");

    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->SetCells(0, 1, "a");
    grid->SetCells(1, 1, "b");
    grid->SetCells(0, 2, "c");
    grid->SetCells(1, 2, "d");
    grid->SetSelection(TGridRect{0, 1, 1, 2});
    grid->setFocus();
    form->actCopyExecute();
    EXPECT_EQ(QApplication::clipboard()->text(), "a\tb\rc\td");
}

TEST_F(QuorendFormGui, MdiChildTellsTheMainWindowAndAModalFormDoesNot)
{
    struct Recorder : QObject
    {
        std::vector<std::pair<int, int>> seen;
        std::vector<TFormNotifyRecord> records;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == TQuorendFormNotifyEvent::ChildListType
                || e->type() == TQuorendFormNotifyEvent::ChildActivatedType) {
                auto *notify = static_cast<TQuorendFormNotifyEvent *>(e);
                seen.emplace_back(int(e->type()) - int(QEvent::User), notify->WParam);
                records.push_back(notify->Record);
            }
            return false;
        }
    } recorder;
    main_->installEventFilter(&recorder);

    TTestForm *form = CreateQuorendForm<TTestForm>(main_.get(), fsMDIChild);
    form->setWindowTitle("Стокови разписки");
    ASSERT_TRUE(form->ShowForm());
    area_->setActiveSubWindow(form->SubWindow());
    QCoreApplication::processEvents();
    form->Close();
    ProcessDeferredDeletes();
    ASSERT_GE(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen.front(), std::make_pair(50, 0));
    EXPECT_EQ(recorder.seen.back(), std::make_pair(50, 1));
    EXPECT_EQ(recorder.records.front().Caption, "Стокови разписки");
    EXPECT_EQ(recorder.records.front().Form, form);
    EXPECT_EQ(recorder.records.back().Form, form);
    for (std::size_t i = 0; i < recorder.seen.size(); ++i) {
        if (recorder.seen[i].first == 60) {
            EXPECT_TRUE(recorder.records[i].Caption.isEmpty());
        }
    }
    EXPECT_NE(std::find(recorder.seen.begin(), recorder.seen.end(), std::make_pair(60, 0)), recorder.seen.end());

    recorder.seen.clear();
    std::unique_ptr<TTestForm> modal(CreateQuorendForm<TTestForm>(main_.get(), fsMDIChild));
    QTimer::singleShot(0, modal.get(), [&] { modal->SetModalResult(mrOk); });
    EXPECT_EQ(modal->ShowModal(), mrOk);
    EXPECT_EQ(modal->FormStyle(), fsNormal);
    EXPECT_EQ(modal->dones, 1);
    EXPECT_TRUE(recorder.seen.empty());
    main_->removeEventFilter(&recorder);
}

TEST_F(QuorendFormGui, ModalFormClosesWithEscAndAsksAboutUnsavedData)
{
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel).Press(mbNo);
    std::unique_ptr<TTestForm> form(CreateQuorendForm<TTestForm>(main_.get(), fsNormal));
    form->SetModified(true);
    int escapes = 0;
    std::function<void()> pressEsc;
    pressEsc = [&] {
        ++escapes;
        QWidget *w = QApplication::activeModalWidget();
        if (w)
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
        if (escapes < 2)
            QTimer::singleShot(0, form.get(), pressEsc);
    };
    QTimer::singleShot(0, form.get(), pressEsc);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(escapes, 2);
    EXPECT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(form->dones, 1);
}

TEST_F(QuorendFormGui, NumberFormattersShowTheirPrecisionAndNegativesInRed)
{
    TTestForm *form = Open();
    TRichGrid grid;
    grid.SetColCount(5);
    grid.SetRowCount(3);
    TFloatFormatter *formatters[] = {form->AmountFormatter, form->ValueFormatter, form->PriceFormatter,
                                     form->CurrencyFormatter};
    for (int c = 1; c <= 4; ++c) {
        grid.GetColAttributes(c)->SetFormatter(formatters[c - 1]);
        grid.SetCells(c, 1, "3.5");
        grid.SetCells(c, 2, "-1.25");
    }
    QStringList texts;
    for (int c = 1; c <= 4; ++c) {
        QString text;
        grid.GetDisplayText(c, 1, text);
        texts << text;
    }
    EXPECT_EQ(texts.join(' '), "3.500 3.50 3.5000 3.500000");
    TCellAttributes shown;
    QString text;
    grid.GetDisplayAttributes(2, 2, &shown, text);
    EXPECT_EQ(text, "-1.25");
    EXPECT_EQ(shown.ForeColor(), clRed);
    grid.GetDisplayAttributes(2, 1, &shown, text);
    EXPECT_NE(shown.ForeColor(), clRed);
}

TEST_F(QuorendFormGui, MenuFactoryOpensARegisteredFormAsMdiChild)
{
    testsupport::ScopedDialogAnswers dialogs;
    ScopedFormClass registration("TTestForm", nullptr);
    RegisterQuorendFormClass<TTestForm>("TTestForm", [](TTestForm *Form, const TFormParams &Params) {
        Form->pnlCaption->setText(Params.Settings->Title);
    });
    TFormParams params;
    params.Maximized = true;
    params.Settings = TEditorSettings{"Мерки", "Merki", "n_miarka", "v_miarka", "мярка"};
    auto *form = qobject_cast<TTestForm *>(OpenRegisteredForm("TTestForm", TFormShowKind::MdiChild, params));
    ASSERT_NE(form, nullptr);
    ASSERT_NE(form->SubWindow(), nullptr);
    EXPECT_EQ(form->SubWindow()->mdiArea(), area_);
    EXPECT_TRUE(form->SubWindow()->isMaximized());
    EXPECT_EQ(form->GetTitle(), "Мерки");
    EXPECT_TRUE(form->actExit->isEnabled());
    EXPECT_TRUE(form->EditMode());

    // The same class shown modally is freed when it closes.
    testsupport::OnNextModal([](QWidget *host) {
        auto *modal = host->findChild<TTestForm *>();
        ASSERT_NE(modal, nullptr);
        modal->SetModalResult(mrOk);
    });
    params.Maximized = false;
    EXPECT_EQ(OpenRegisteredForm("TTestForm", TFormShowKind::ModalDialog, params), nullptr);
    ProcessDeferredDeletes();
    EXPECT_EQ(main_->findChildren<TTestForm *>().size(), 1);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, FailedInitialisationFreesTheFormAndPassesTheError)
{
    ScopedFormClass registration("TBrokenForm", nullptr);
    RegisterQuorendFormClass<TBrokenForm>("TBrokenForm");
    EXPECT_THROW(OpenRegisteredForm("TBrokenForm", TFormShowKind::MdiChild, TFormParams()), Exception);
    EXPECT_EQ(TBrokenForm::alive, 0);
    EXPECT_EQ(WaitCount(), 0);
    EXPECT_TRUE(area_->subWindowList().isEmpty());
}

TEST_F(QuorendFormGui, BoundsAreStoredUnderTheClassAndRestored)
{
    TTestForm *form = Open();
    form->SubWindow()->setGeometry(30, 40, 600, 350);
    form->SubWindow()->showMinimized();   // closed minimised, or maximised below: the normal bounds are stored
    form->Close();
    ProcessDeferredDeletes();
    QRect stored;
    ASSERT_TRUE(LoadFormPosition("TTestForm", stored));
    EXPECT_EQ(stored, QRect(30, 40, 600, 350));

    form = Open();
    EXPECT_TRUE(form->HasStoredBounds());
    EXPECT_EQ(form->SubWindow()->geometry(), QRect(30, 40, 600, 350));
    form->SubWindow()->showMaximized();
    form->Close();
    ProcessDeferredDeletes();
    ASSERT_TRUE(LoadFormPosition("TTestForm", stored));
    EXPECT_EQ(stored, QRect(30, 40, 600, 350));

    // A position outside the area is not used; a size larger than the area
    // is cut to it; a missing value (-1) leaves the designed bounds.
    const QSize area = area_->viewport()->size();
    ASSERT_TRUE(SaveFormPosition("TTestForm", QRect(area.width() + 10, 10, 600, 350)));
    form = Open();
    EXPECT_NE(form->SubWindow()->x(), area.width() + 10);
    form->Close();
    ProcessDeferredDeletes();
    ASSERT_TRUE(SaveFormPosition("TTestForm", QRect(20, 10, area.width() + 500, 350)));
    form = Open();
    EXPECT_EQ(form->SubWindow()->geometry(), QRect(0, 10, area.width(), 350));
    form->Close();
    ProcessDeferredDeletes();
    ASSERT_TRUE(SaveFormPosition("TTestForm", QRect(20, -1, 600, 350)));
    std::unique_ptr<TTestForm> unshown(CreateQuorendForm<TTestForm>(main_.get(), fsMDIChild));
    EXPECT_FALSE(unshown->HasStoredBounds());
}

TEST_F(QuorendFormGui, FormFreedWithItsFrameStoresTheFramesLastBounds)
{
    // The main window frees its frames with the forms in them: the form's
    // destructor runs while the frame is being destroyed.
    TTestForm *form = Open();
    form->SubWindow()->setGeometry(35, 45, 620, 330);
    delete form->SubWindow();
    QRect stored;
    ASSERT_TRUE(LoadFormPosition("TTestForm", stored));
    EXPECT_EQ(stored, QRect(35, 45, 620, 330));
}

TEST_F(QuorendFormGui, FormWithoutANameKeepsNoBounds)
{
    ASSERT_TRUE(SaveFormPosition("TUnnamedForm", QRect(30, 40, 600, 350)));
    auto *form = Open<TUnnamedForm>();
    EXPECT_FALSE(form->HasStoredBounds());
    form->SubWindow()->setGeometry(50, 60, 610, 360);
    form->Close();
    ProcessDeferredDeletes();
    QRect stored;
    ASSERT_TRUE(LoadFormPosition("TUnnamedForm", stored));
    EXPECT_EQ(stored, QRect(30, 40, 600, 350));
}

TEST_F(QuorendFormGui, GrabOfAStatusFormLooksRight)
{
    TTestForm *form = Open();
    form->pnlCaption->setText("СТОКОВИ РАЗПИСКИ");
    form->StatusBar->show();
    form->SetShowGauge(true);
    form->SetStopAllowed(true);
    form->SetStatusText("Общо: 12 реда");
    form->SetGaugePosition(38);
    form->SetTimeText(TQuorendStatusForm::ElapsedTimeText(75));
    form->SubWindow()->resize(700, 300);
    QCoreApplication::processEvents();
    const QImage image = main_->grab().toImage();
    EXPECT_TRUE(image.save(testsupport::OutputPath("QuorendForm.png")));
}

TEST_F(QuorendFormGui, ActionsCarryTheirCaptionsHintsKeysAndDesignedStates)
{
    std::unique_ptr<TQuorendForm> form(CreateQuorendForm<TQuorendForm>(main_.get(), fsMDIChild));
    struct Row
    {
        QAction *Action;
        QString Caption;
        QString Hint;
        QKeySequence Key;
    };
    const std::vector<Row> rows = {
        {form->actExecute, "&Изпълнение", "Изпълнение", QKeySequence(Qt::Key_F8)},
        {form->actNew, "Добавяне", "Добавяне", QKeySequence(Qt::Key_F4)},
        {form->actEdit, "Редакция", "Редакция", QKeySequence(Qt::Key_F3)},
        {form->actSave, "Запис", "Запис на въведените данни", QKeySequence(Qt::Key_F2)},
        {form->actDelete, "Изтриване", "Изтриване", QKeySequence(Qt::Key_F5)},
        {form->actPrint, "Печат", "Отпечатване", QKeySequence(Qt::Key_F9)},
        {form->actFile, "Файл...", "Запис във файл", QKeySequence(Qt::Key_F10)},
        {form->actSearch, "Търсене", "Търсене по поле", QKeySequence(Qt::Key_F7)},
        {form->actFilter, "Филтър", "Филтриране на данните по признак", QKeySequence(Qt::Key_F6)},
        {form->actHelp, "Помощ", "Стартиране на системата за помощ", QKeySequence()},
        {form->actExit, "Изход", "Затваряне на прозореца", QKeySequence(Qt::Key_Escape)},
        {form->actCopy, "Копиране", "", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {form->actPaste, "Залепване", "", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {form->actStop, "", "", QKeySequence(Qt::Key_Escape)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.Action->objectName().toStdString());
        EXPECT_EQ(row.Action->text(), row.Caption);
        EXPECT_EQ(row.Action->statusTip(), row.Hint);
        EXPECT_EQ(row.Action->shortcut(), row.Key);
        EXPECT_EQ(row.Action->shortcutContext(), Qt::WidgetWithChildrenShortcut);
    }
    EXPECT_EQ(form->actFilter->toolTip(), "Филтриране на данните по признак");
    EXPECT_TRUE(form->actFilter->isCheckable());
    EXPECT_TRUE(form->sbtnFilter->isCheckable());

    // Before showing: the ten toolbar actions are off, their designed states
    // kept (Exit on, switched off at construction only for the time being).
    EXPECT_TRUE(form->SavedActions().Saved);
    EXPECT_EQ(form->SavedActions().States, (std::array<bool, 10>{false, false, false, false, false, false, false,
                                                                  false, false, false}));
    for (QAction *a : {form->actSave, form->actEdit, form->actNew, form->actDelete, form->actFilter,
                       form->actSearch, form->actExecute, form->actPrint, form->actFile, form->actExit})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(form->actHelp->isEnabled());
    EXPECT_TRUE(form->actCopy->isEnabled());
    EXPECT_TRUE(form->actPaste->isEnabled());
    EXPECT_FALSE(form->actStop->isEnabled());

    // Shown: Exit on, the rest as designed (off in the base form).
    ASSERT_TRUE(form->ShowForm());
    EXPECT_TRUE(form->actExit->isEnabled());
    EXPECT_FALSE(form->actSave->isEnabled());
    EXPECT_FALSE(form->actExecute->isEnabled());
    EXPECT_FALSE(form->SavedActions().Saved);
    EXPECT_EQ(form->pnlCaption->height(), 21);
    EXPECT_GE(form->minimumWidth(), 550);
    form.release();   // the MDI area owns it now
}

TEST_F(QuorendFormGui, PopupMenuListsTheActionsInTheirOrder)
{
    TTestForm *form = Open();
    QStringList items;
    for (QAction *a : form->PopupMenu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(items.join(' '), "actCopy actPaste - actSave actEdit actNew actDelete - actFilter actSearch actExecute "
                               "actPrint actFile - actHelp actExit");
}

TEST_F(QuorendFormGui, FilterResultIsMirroredInTheActionAndItsButton)
{
    TTestForm *form = Open();
    form->actFilter->setEnabled(true);
    QTest::keyClick(form, Qt::Key_F6);
    EXPECT_EQ(form->filters, 1);
    EXPECT_TRUE(form->Filtered());
    EXPECT_TRUE(form->actFilter->isChecked());
    EXPECT_TRUE(form->sbtnFilter->isChecked());
    EXPECT_TRUE(form->actFilter->isEnabled());

    // A filter that sets no condition clears the mark, by key or by button.
    form->filterResult = false;
    QTest::mouseClick(form->sbtnFilter, Qt::LeftButton);
    EXPECT_EQ(form->filters, 2);
    EXPECT_FALSE(form->Filtered());
    EXPECT_FALSE(form->actFilter->isChecked());
    EXPECT_FALSE(form->sbtnFilter->isChecked());

    // Refused while another action runs: nothing runs and the mark stays.
    form->duringEdit = [form] { form->actFilter->trigger(); };
    QTest::keyClick(form, Qt::Key_F3);
    EXPECT_EQ(form->filters, 2);
    EXPECT_FALSE(form->actFilter->isChecked());
    EXPECT_FALSE(form->sbtnFilter->isChecked());
}

TEST_F(QuorendFormGui, SaveRefusalTextIsShownUnlessQuietAndNothingIsSaved)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    form->SetModified(true);
    form->canSave = false;
    form->saveErrorText = "Липсва клиент!\n\r";
    QTest::keyClick(form, Qt::Key_F2);
    EXPECT_EQ(form->saves, 0);
    EXPECT_TRUE(form->Modified());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Липсва клиент!\n\r");
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_TRUE(form->actSave->isEnabled());

    form->SetShowValidationMessages(false);
    QTest::keyClick(form, Qt::Key_F2);
    EXPECT_EQ(form->saves, 0);
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    form->SetShowValidationMessages(true);
    form->SetModified(false);
}

TEST_F(QuorendFormGui, SaveClosesACloseAfterSaveFormOnlyWhenItSucceeded)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    QPointer<TTestForm> alive(form);
    form->SetCloseAfterSave(true);
    form->SetModified(true);

    // A failed save keeps the form and its data.
    form->saveResult = false;
    QTest::keyClick(form, Qt::Key_F2);
    ProcessDeferredDeletes();
    ASSERT_TRUE(alive);
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->dones, 0);

    // A save that succeeded closes the form, and does not ask whether to
    // save what was just saved.
    form->saveResult = true;
    QTest::keyClick(form, Qt::Key_F2);
    ProcessDeferredDeletes();
    EXPECT_FALSE(alive);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, SaveOfAModalCloseAfterSaveFormEndsItsLoop)
{
    testsupport::ScopedDialogAnswers dialogs;
    std::unique_ptr<TTestForm> form(CreateQuorendForm<TTestForm>(main_.get(), fsNormal));
    form->SetCloseAfterSave(true);
    form->SetModified(true);
    QTimer::singleShot(0, form.get(), [&] { form->actSaveExecute(); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->dones, 1);
    EXPECT_EQ(form->modifiedAtDone, 0);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, QuietExecuteRunsOnlyAnEnabledExecute)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    form->actExecute->setEnabled(false);
    EXPECT_TRUE(form->ExecuteQuiet());
    EXPECT_EQ(form->executes, 0);
    form->actExecute->setEnabled(true);
    EXPECT_TRUE(form->ExecuteQuiet());
    EXPECT_EQ(form->executes, 1);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, ActionStatesFollowTheirIsEnabledFunctions)
{
    TTestForm *form = Open();
    bool onDataRow = true;
    form->deleteEnabled = [&] { return onDataRow; };
    form->UpdateActions();
    EXPECT_TRUE(form->actDelete->isEnabled());

    // Delete brings the states up to date: the last row went.
    form->duringExecute = nullptr;
    onDataRow = false;
    QTest::keyClick(form, Qt::Key_F5);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->deletes, 1);
    EXPECT_FALSE(form->actDelete->isEnabled());

    // While work holds the actions off nothing is updated; afterwards the
    // functions decide again.
    onDataRow = true;
    form->duringExecute = [form] {
        form->UpdateActions();
        EXPECT_FALSE(form->actDelete->isEnabled());
    };
    QTest::keyClick(form, Qt::Key_F8);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->actDelete->isEnabled());
}

TEST_F(QuorendFormGui, HelpJumpsWithTheFormKey)
{
    QStringList keys;
    TQuorendForm::HelpJump = [&](const QString &Key) { keys << Key; };
    TTestForm *form = Open();
    form->actHelp->trigger();
    QTest::mouseClick(form->sbtnHelp, Qt::LeftButton);
    TQuorendForm::HelpJump = nullptr;
    EXPECT_EQ(keys, (QStringList{"frmTest", "frmTest"}));
}

TEST_F(QuorendFormGui, EnableContainerSwitchesItsControlsAndItself)
{
    TTestForm *form = Open();
    auto *panel = new QWidget(form->ClientArea);
    auto *edit = new QLineEdit(panel);
    auto *combo = new QComboBox(panel);
    form->ClientLayout->addWidget(panel);
    form->EnableContainer(panel, false);
    EXPECT_FALSE(panel->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(combo->isEnabled());
    form->EnableContainer(panel, true);
    EXPECT_TRUE(panel->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_TRUE(combo->isEnabled());
}

TEST_F(QuorendFormGui, FixedKeysReachTheFormFromItsControls)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    QPointer<TTestForm> alive(form);
    auto *edit = new QLineEdit(form->ClientArea);
    auto *combo = new QComboBox(form->ClientArea);
    combo->setEditable(true);
    combo->addItems({"a", "b"});
    form->ClientLayout->addWidget(edit);
    form->ClientLayout->addWidget(combo);
    QCoreApplication::processEvents();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F8);
    EXPECT_EQ(form->executes, 1);
    combo->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);
    EXPECT_EQ(form->executes, 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ProcessDeferredDeletes();
    EXPECT_FALSE(alive);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, ExecuteThatSucceededLeavesNothingUnsavedOnAnEditForm)
{
    TTestForm *form = Open();
    form->SetModified(true);
    form->executeResult = false;
    QTest::keyClick(form, Qt::Key_F8);
    EXPECT_EQ(form->executes, 1);
    EXPECT_TRUE(form->Modified());
    form->executeResult = true;
    QTest::keyClick(form, Qt::Key_F8);
    EXPECT_EQ(form->executes, 2);
    EXPECT_FALSE(form->Modified());
}

TEST_F(QuorendFormGui, DroppedPickerTakesItsOwnKeysAndEscClosesOnlyThePicker)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    QPointer<TTestForm> alive(form);
    form->actFilter->setEnabled(true);
    form->actSearch->setEnabled(true);
    auto *edit = new TListEdit(form->ClientArea);
    auto *descr = new QLabel(form->ClientArea);
    form->ClientLayout->addWidget(edit);
    form->ClientLayout->addWidget(descr);
    auto *picker = new TListForm(form);
    edit->SetForm(picker);
    edit->SetDescrControl(descr);
    picker->OnFillGrid = [picker](QObject *, bool &) {
        picker->Grid()->SetRowCount(3);
        picker->Grid()->SetCells(0, 0, "1");
        picker->Grid()->SetCells(1, 0, "Хляб");
        picker->Grid()->SetCells(0, 1, "2");
        picker->Grid()->SetCells(1, 1, "Питка");
        picker->Grid()->SetCells(0, 2, "3");
        picker->Grid()->SetCells(1, 2, "Кифла");
    };
    int refreshes = 0;
    QObject::connect(picker->actRefresh, &QAction::triggered, [&refreshes] { ++refreshes; });
    QCoreApplication::processEvents();
    edit->setFocus();
    edit->DropDown();
    ASSERT_TRUE(picker->isVisible());
    auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };

    press(Qt::Key_F7);
    EXPECT_TRUE(picker->SearchMode());
    press(Qt::Key_F7);
    EXPECT_FALSE(picker->SearchMode());
    press(Qt::Key_F6);
    EXPECT_TRUE(picker->FilterMode());
    press(Qt::Key_F6);
    EXPECT_FALSE(picker->FilterMode());
    press(Qt::Key_F8);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(picker->isVisible());
    // The window's own F6, F7 and F8 stayed still.
    EXPECT_EQ(form->executes, 0);
    EXPECT_EQ(form->filters, 0);

    press(Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(picker->isVisible());
    ProcessDeferredDeletes();
    ASSERT_TRUE(alive);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->dones, 0);
    // The keys are the window's again, from the edit that got the focus back.
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), edit);
    press(Qt::Key_F8);
    EXPECT_EQ(form->executes, 1);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, F2InAnOpenCellEditorSavesWhatWasTypedAndKeepsTheKeys)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    auto *grid = new TRichGrid(form->ClientArea);
    grid->SetColCount(2);
    grid->SetRowCount(3);
    grid->SetFixedRows(1);
    grid->SetFixedCols(0);
    TGridOptions options = grid->Options();
    options.Include(goEditing);
    grid->SetOptions(options);
    form->ClientLayout->addWidget(grid);
    QString seen;
    form->duringSave = [&] { seen = grid->Cells(1, 1); };
    QCoreApplication::processEvents();
    grid->setFocus();
    grid->SetRow(1);
    grid->SetCol(1);
    QTest::keyClicks(grid, "5");
    ASSERT_TRUE(grid->EditorMode());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(seen, "5");
    QWidget *focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(form->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_F8);
    EXPECT_EQ(form->executes, 1);
}

TEST_F(QuorendFormGui, EscClosesADatesCalendarAndNotTheForm)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    QPointer<TTestForm> alive(form);
    auto *date = new TQuorendDatePicker(form->ClientArea);
    date->setCalendarPopup(true);
    form->ClientLayout->addWidget(date);
    QCoreApplication::processEvents();
    date->setFocus();
    QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 6, date->height() / 2));
    QWidget *calendar = date->calendarWidget()->window();
    ASSERT_TRUE(calendar->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ProcessDeferredDeletes();
    ASSERT_TRUE(alive);
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->dones, 0);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, KeysReachTheFormAfterAnActionLockedTheFocusedControl)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    auto *panel = new QWidget(form->ClientArea);
    auto *layout = new QHBoxLayout(panel);
    auto *date = new QDateEdit(panel);
    auto *code = new QLineEdit(panel);
    layout->addWidget(date);
    layout->addWidget(code);
    auto *grid = new TRichGrid(form->ClientArea);
    form->ClientLayout->addWidget(panel);
    form->ClientLayout->addWidget(grid);
    form->lockPanel = panel;
    QCoreApplication::processEvents();
    for (QWidget *control : {static_cast<QWidget *>(date), static_cast<QWidget *>(code)}) {
        SCOPED_TRACE(control->metaObject()->className());
        const int executes = form->executes;
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F8);
        QCoreApplication::processEvents();
        EXPECT_EQ(form->executes, executes + 1);
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(form->isAncestorOf(focus));
        EXPECT_TRUE(focus->isEnabled());
        QTest::keyClick(focus, Qt::Key_F8);
        EXPECT_EQ(form->executes, executes + 2);
    }
    // A control the action did not lock keeps the focus.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F8);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), grid);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(QuorendFormGui, ActionsReadTheDateAsTypedAndRefuseOneThatIsNoDate)
{
    testsupport::ScopedDialogAnswers dialogs;
    TTestForm *form = Open();
    auto *label = new QLabel(QStringLiteral("До дата:"), form->ClientArea);
    auto *date = new TQuorendDatePicker(form->ClientArea);
    label->setBuddy(date);
    form->ClientLayout->addWidget(label);
    form->ClientLayout->addWidget(date);
    date->setDate(QDate(2026, 4, 30));
    QDate seen;
    form->duringExecute = [&] { seen = date->date(); };
    QCoreApplication::processEvents();
    date->setFocus();
    QTest::keyClick(date, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(date, "3.5");
    QTest::keyClick(date, Qt::Key_F8);
    EXPECT_EQ(form->executes, 1);
    const QDate third(QDate::currentDate().year(), 5, 3);
    EXPECT_EQ(seen, third);
    // A text that is no date runs nothing and is named.
    QTest::keyClick(date, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(date, "31.04.2026");
    QTest::keyClick(date, Qt::Key_F8);
    EXPECT_EQ(form->executes, 1);
    EXPECT_EQ(dialogs.Texts(), QStringList{"Невалидна дата \"31.04.2026\" в поле \"До дата\"!"});
    EXPECT_EQ(date->date(), third);
    EXPECT_EQ(date->findChild<QLineEdit *>()->text(), third.toString(QStringLiteral("dd.MM.yyyy")));
}

#include "QuorendFormTest.moc"
