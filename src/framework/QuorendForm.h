#pragma once
// The base of every data window: the caption panel, the toolbar of fixed
// keys, the popup menu, the fixed actions and the hook contract through
// which a data form does its work.
//
// A data form never handles a toolbar key itself: it overrides hooks
// (CanExecute, DoExecute, CanSave, DoSave, DoEdit, DoNew, DoDelete, DoPrint,
// DoFile, GetSubTitle, InitForm, FormDone, BeforeShow, the Is...Enabled
// functions) and the base runs them under its rules: no second action starts
// while one runs, the toolbar actions are off while work runs and get their
// states back afterwards, and the wait cursor is up meanwhile. Every one of
// those states is held by a scope guard, so a hook that throws leaves the
// form as it found it; the message is shown at the action's boundary.
//
// Creation is two-phase, because virtual hooks do not reach a derived class
// from a constructor: CreateQuorendForm<T> constructs the form and then runs
// AfterConstruction (bounds, InitControls, InitForm). ShowForm prepares the
// form (BeforeShow) and shows it as an MDI child of its owner's QMdiArea;
// ShowModal shows it in a modal QDialog host. The done-hook (FormDone) runs
// when a close is accepted.
//
// Every form class declares Q_OBJECT: its class name keys its stored
// window bounds.
#include <QAction>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QEvent>
#include <QMdiSubWindow>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "platform/ui/MessageBox.h"

class QMdiArea;
class TFloatFormatter;
class TQuorendForm;

// How a form is shown: fsMDIChild in the main window's MDI area, fsNormal
// as a window of its own (and for modal use).
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

// The bits of TQuorendForm::BusyFlags.
enum : unsigned char {
    qbConstructing = 1,   // the form is being constructed
    qbShowing = 2,        // ShowForm runs BeforeShow
    qbInitializing = 4,   // InitForm runs
    qbActionRunning = 8,  // an action handler runs
    qbStopping = 16       // the Stop handler runs
};

// The Enabled states of the ten toolbar actions, kept while they are
// switched off. The order is Save, Edit, New, Delete, Filter, Search,
// Execute, Print, File, Exit.
struct TSavedActions
{
    bool Saved = false;
    std::array<bool, 10> States{};
};

// The message a form sends to the main window when it is added or removed
// (QEvent::User + 50, wParam 0 added, 1 removed) and when it is activated
// (QEvent::User + 60). The main window does not act on them.
struct TFormNotifyRecord
{
    QString Caption;
    TQuorendForm *Form = nullptr;
};

class TQuorendFormNotifyEvent : public QEvent
{
public:
    static constexpr QEvent::Type ChildListType = QEvent::Type(QEvent::User + 50);
    static constexpr QEvent::Type ChildActivatedType = QEvent::Type(QEvent::User + 60);

    TQuorendFormNotifyEvent(QEvent::Type type, int wParam, const TFormNotifyRecord &record)
        : QEvent(type), WParam(wParam), Record(record)
    {
    }
    int WParam;
    TFormNotifyRecord Record;
};

class TQuorendForm : public QWidget
{
    Q_OBJECT
public:
    // Phase one of the creation: builds the controls. The form is a hidden
    // window owned by AOwner (the main window), freed with it at the latest.
    // Use CreateQuorendForm<T>, which runs phase two.
    explicit TQuorendForm(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TQuorendForm() override;

    // Keeps the window while it lives, as every fixed action does: a close
    // asked for meanwhile (an Esc that reaches the window before the box of
    // the work has the keys) is refused and carried out, asking about
    // unsaved data as any close, once the last hold has ended. Handlers of
    // the window's own (its buttons and own actions, a header change that
    // asks about unsaved work) run under one, and so does a box a control
    // of the window shows on its own (TControlBoxHold).
    class THold
    {
    public:
        explicit THold(TQuorendForm &Form);
        ~THold();
        THold(const THold &) = delete;
        THold &operator=(const THold &) = delete;

    private:
        QPointer<TQuorendForm> form_;
    };
    // Runs Work under a hold; an exception is shown as at an action's end.
    void RunHeld(const std::function<void()> &Work);

    // Phase two: BeginWait("Инициализиране ..."); the stored bounds read and
    // checked; InitControls; all ten actions switched off with their states
    // saved; the precisions of the formatters; InitForm. Run once, by the
    // factory.
    void AfterConstruction();

    // --- the component's name and class
    QString Name() const { return objectName(); }
    void SetName(const QString &Value) { setObjectName(Value); }
    QString ClassName() const;
    QWidget *Owner() const { return FOwner; }
    TFormStyle FormStyle() const { return FFormStyle; }

    // --- showing and closing
    // Prepares (BeforeShow with the wait cursor), gives the actions their
    // designed states, switches Exit on and shows the form. A preparation
    // that throws shows the message and frees the form: the result is then
    // false and the form must not be touched.
    bool ShowForm();
    // The same preparation, then a modal loop in a dialog host; returns the
    // modal result (mrCancel when the preparation failed). The caller frees
    // the form afterwards.
    virtual TModalResult ShowModal();
    // Closes the form (its MDI sub-window, its modal host or its window)
    // when CloseQuery allows.
    void Close();
    // Ends a modal loop with Value once CloseQuery allows.
    void SetModalResult(TModalResult Value);
    TModalResult ModalResult() const { return FModalResult; }
    // The window the form lives in: its MDI sub-window, its modal host, or
    // the form itself.
    QWidget *HostWindow() const;
    QMdiSubWindow *SubWindow() const { return FSubWindow; }
    // Whether the form may close now: FormCloseQuery allows it (no wait in
    // progress), and unsaved data are answered (ConfirmSave). Asks the
    // operator.
    virtual bool CloseQuery();
    // The form's own close check: CanClose only while no wait is in
    // progress.
    void FormCloseQuery(bool &CanClose);
    // The form became the active window: tells the main window (an MDI
    // child only).
    void FormActivate();

    // --- fields readable by data forms
    unsigned char BusyFlags() const { return FBusyFlags; }
    bool Modified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    bool Filtered() const { return FFiltered; }
    bool CloseAfterSave() const { return FCloseAfterSave; }
    void SetCloseAfterSave(bool Value) { FCloseAfterSave = Value; }
    bool FreeOnClose() const { return FFreeOnClose; }
    void SetFreeOnClose(bool Value) { FFreeOnClose = Value; }
    bool ShowValidationMessages() const { return FShowValidationMessages; }
    void SetShowValidationMessages(bool Value) { FShowValidationMessages = Value; }
    QString PrintSettingsKey() const { return FPrintSettingsKey; }
    void SetPrintSettingsKey(const QString &Value) { FPrintSettingsKey = Value; }
    const TSavedActions &SavedActions() const { return FSavedActions; }
    // The bounds read at construction (all 0 or more), when there were any.
    bool HasStoredBounds() const { return FHasStoredBounds; }
    QRect StoredBounds() const { return FStoredBounds; }

    // --- virtual operations of the contract
    virtual int GetFormValue();
    virtual QString GetPrintSettingsKey();
    virtual QString GetFormKey();
    virtual QString GetExecuteErrorText();
    virtual QString GetSaveErrorText();
    virtual bool Execute();
    virtual bool Save();
    virtual bool Edit();
    virtual bool New();
    virtual bool Delete();
    virtual bool Filter();
    virtual bool Search();
    virtual bool Print();
    virtual bool File();
    virtual bool Stop();
    virtual bool IsExecuteEnabled();
    virtual bool IsSaveEnabled();
    virtual bool IsEditEnabled();
    virtual bool IsNewEnabled();
    virtual bool IsDeleteEnabled();
    virtual bool IsFilterEnabled();
    virtual bool IsSearchEnabled();
    virtual bool IsPrintEnabled();
    virtual bool IsFileEnabled();
    virtual bool IsExitEnabled();
    virtual bool IsCopyEnabled();
    virtual bool IsPasteEnabled();
    virtual void DisableActions();
    virtual void SaveActionsState(TSavedActions &Rec);
    virtual void RestoreActionsState(TSavedActions &Rec);
    // mrYes when nothing is unsaved or the save succeeded, mrNo when the
    // operator declines, mrCancel otherwise.
    virtual TModalResult ConfirmSave();
    virtual QString GetTitle();
    virtual QString GetSubTitle();
    virtual bool InitForm();
    virtual bool FormDone();
    virtual bool DoStop();
    virtual void CopyToClipboard(const QPoint &Point);
    virtual void PasteFromClipboard(const QPoint &Point);
    virtual void GetControlText(QWidget *Control, const QPoint &Point, QString &Text);
    virtual void SetControlText(QWidget *Control, const QPoint &Point, const QString &Text);
    virtual bool BeforeShow();
    virtual bool CanExecute();
    virtual bool CanSave();
    virtual bool DoExecute();
    virtual bool DoSave();
    virtual bool DoEdit();
    virtual bool DoNew();
    virtual bool DoDelete();
    virtual bool DoFilter();
    virtual bool DoSearch();
    virtual bool DoPrint();
    virtual bool DoFile();
    virtual bool CanExit();
    virtual void InitControls();
    virtual void EnableActions(bool Enable);
    // Gives every action the Enabled state its Is...Enabled function
    // returns (nothing while the actions are switched off and saved).
    virtual void UpdateActions();
    // Whether what the clerk types into Control is data that the form saves
    // (then typing marks the form modified while it can save, and closing
    // asks first). Base: every edit of the form.
    virtual bool TypingIsData(QWidget *Control);
    // The form's key preview, for printable keys and Enter: Enter moves the
    // focus to the next control. Setting Key to '\0' swallows it.
    virtual void KeyPress(QChar &Key);

    // --- non-virtual operations
    // Runs actExecute, when it is enabled, with the refusal messages off;
    // returns true.
    bool ExecuteQuiet();
    bool ValidateSave();
    void NotifyMainForm(bool Remove);
    // Sets the action's Enabled, or, while the actions are switched off and
    // saved, the saved copy, so that the state survives the restore.
    void SetNewEnabled(bool B);
    void SetDeleteEnabled(bool B);
    void SetEditEnabled(bool B);
    // Enabled of every control of the form inside Container (its direct
    // children first), then of Container itself.
    void EnableContainer(QWidget *Container, bool Enabled);
    void BeginWait(const QString &Text = QString());
    void EndWait();
    // Moves the focus to the next control of the form in tab order.
    void SelectNextControl();
    // The control of the form that has the focus (nullptr when none).
    QWidget *ActiveControl() const;

    // --- action handlers
    void actExecuteExecute();
    void actSaveExecute();
    void actEditExecute();
    void actNewExecute();
    void actDeleteExecute();
    void actPrintExecute();
    void actFileExecute();
    void actSearchExecute();
    void actFilterExecute();
    void actStopExecute();
    void actExitExecute();
    void actHelpExecute();
    void actCopyExecute();
    void actPasteExecute();

    // Called by the help action with GetFormKey; no help system is wired in
    // by default.
    static std::function<void(const QString &FormKey)> HelpJump;

    // --- controls
    QLabel *pnlCaption = nullptr;
    QFrame *pnlToolBar = nullptr;
    QToolBar *ToolBar = nullptr;
    QToolButton *sbtnHelp = nullptr;
    QToolButton *sbtnSave = nullptr;
    QToolButton *sbtnEdit = nullptr;
    QToolButton *sbtnNew = nullptr;
    QToolButton *sbtnDelete = nullptr;
    QToolButton *sbtnFilter = nullptr;
    QToolButton *sbtnSearch = nullptr;
    QToolButton *sbtnExecute = nullptr;
    QToolButton *sbtnPrint = nullptr;
    QToolButton *sbtnFile = nullptr;
    QToolButton *sbtnExit = nullptr;
    QMenu *PopupMenu = nullptr;
    // The data forms put their controls here, between the toolbar and the
    // bottom of the form.
    QWidget *ClientArea = nullptr;
    QVBoxLayout *ClientLayout = nullptr;

    // --- actions
    QAction *actExecute = nullptr;
    QAction *actNew = nullptr;
    QAction *actEdit = nullptr;
    QAction *actSave = nullptr;
    QAction *actDelete = nullptr;
    QAction *actPrint = nullptr;
    QAction *actFile = nullptr;
    QAction *actSearch = nullptr;
    QAction *actFilter = nullptr;
    QAction *actHelp = nullptr;
    QAction *actExit = nullptr;
    QAction *actCopy = nullptr;
    QAction *actPaste = nullptr;
    QAction *actStop = nullptr;

    // The number formatters of the grids, negatives in red: quantities,
    // values, prices and currency amounts.
    TFloatFormatter *AmountFormatter = nullptr;
    TFloatFormatter *ValueFormatter = nullptr;
    TFloatFormatter *PriceFormatter = nullptr;
    TFloatFormatter *CurrencyFormatter = nullptr;

    // The precisions of the four number formatters of the grids.
    static constexpr int AmountPrecision = 3;
    static constexpr int ValuePrecision = 2;
    static constexpr int PricePrecision = 4;
    static constexpr int CurrencyPrecision = 6;

protected:
    // A form action: caption, hint, key (reaching this window and its
    // children only) and its designed Enabled state.
    QAction *MakeAction(const QString &Caption, const QString &Hint, const QKeySequence &Key, bool Enabled);
    // The ten toolbar actions in the order of TSavedActions.
    std::array<QAction *, 10> ToolbarActions() const;
    // Sets the busy bits for the lifetime of the object, clears them after.
    class BusyScope;
    friend class BusyScope;
    void SetBusyFlags(unsigned char Value) { FBusyFlags = Value; }

    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool event(QEvent *event) override;
    // Follows the bounds of the form's MDI frame.
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Shows the message of an exception caught at an action's boundary.
    void ShowFailure(const std::exception &E);

private:
    friend class QuorendFormEventFilter;
    friend class TQuorendFormHost;

    TFloatFormatter *MakeFormatter(const QString &Name);
    QToolButton *MakeButton(const QString &Label, QAction *Action, bool Checkable = false);
    // Runs one action handler: refused while one of the Refuse bits is set;
    // Action is off for the handler's duration, Bits set meanwhile; an
    // exception is shown after everything was given back.
    void RunHandler(QAction *Action, unsigned char RefuseBits, unsigned char Bits,
                    const std::function<void()> &Work);
    void SetActionEnabledOrSaved(int Index, QAction *Action, bool B);
    // After an action the keys must reach the form again: when the focus
    // was left nowhere, on a control the action switched off, or outside
    // the form in its own window, it goes back to Before (the control that
    // had it), else to the grid, else to the next enabled control. Focus in
    // another window (a preview, another data window) stays there. A
    // window that was active as the action began (WasActive) is made
    // active again when the action left no window active.
    void KeepKeysInForm(QWidget *Before, bool WasActive);
    // Hears the clerk's typing in Edit (once per edit), for TypingIsData.
    void WatchTyping(QLineEdit *Edit);
    void KeepKeysInFormNow(QWidget *Before, bool WasActive);
    // Ends the typing in a date field that is or holds Control; false when
    // the typed text was refused.
    bool CommitTypedDate(QWidget *Control);
    void SetFilteredState(bool Value);
    // The accepted close: FormDone once (an exception is shown).
    void RunFormDone();
    // Stores the bounds when the form has a name (the base part of FormDone).
    void StoreBounds();
    // The bounds to store: those of the MDI frame as last seen in its normal
    // state, neither minimised nor maximised (the frame may be in its
    // destruction when the form is freed with it), else of the host or the
    // form itself.
    QRect BoundsToStore() const;
    void ApplyStoredBounds(QWidget *Window, const QRect &Area);
    QMdiArea *FindMdiArea() const;
    // Frees a form whose preparation failed.
    void Discard();
    // While an action runs the form neither closes nor goes: a close asked
    // for meanwhile (an Esc typed right after the action's key reaches the
    // form before the action's box has the keys) is remembered, with the
    // modal host's Result, and true is returned; the caller refuses the close.
    bool HoldCloseWhileActionRuns(int Result);
    // Carries out a close held while an action ran, once the last one ended.
    void CloseHeldClose();
    // ShowForm's preparation; false when it failed (the message was shown).
    bool Prepare();
    void ScheduleActionUpdate();

    QPointer<QWidget> FOwner;
    TFormStyle FFormStyle;
    unsigned char FBusyFlags = qbConstructing;
    bool FCloseAfterSave = false;
    bool FModified = false;
    bool FFiltered = false;
    QString FPrintSettingsKey;
    QString FFormKeyOverride;
    bool FFreeOnClose = false;
    bool FShowValidationMessages = true;
    TSavedActions FSavedActions;
    int FFormValue = 0;

    bool FConstructed = false;   // AfterConstruction completed
    bool FDoneRun = false;       // FormDone ran
    int FActionsRunning = 0;     // holds on the stack: actions (Stop nests), own handlers
    bool FCloseHeld = false;     // a close was asked for while one ran
    int FCloseHeldResult = 0;    // the modal host's result of that close
    bool FActionUpdateQueued = false;
    bool FHasStoredBounds = false;
    QRect FStoredBounds;
    TModalResult FModalResult = mrNone;
    QPointer<QMdiSubWindow> FSubWindow;
    QPointer<QDialog> FHost;
    QString FClassName;          // the class of the form as constructed
    QObject *FFrame = nullptr;   // the MDI frame watched for its bounds
    QRect FFrameBounds;          // its bounds as last seen
};

// Constructs a form of class T and runs its initialisation. A failure frees
// the half-made form and passes the exception on.
template <class T, class... Args>
T *CreateQuorendForm(QWidget *AOwner, TFormStyle AFormStyle, Args &&...args)
{
    std::unique_ptr<T> form(new T(AOwner, AFormStyle, std::forward<Args>(args)...));
    form->AfterConstruction();
    return form.release();
}
