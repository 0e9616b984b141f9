#include "framework/QuorendForm.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "components/DropDownForm.h"
#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/QuorendDateEdit.h"
#include "core/DialogsEx.h"
#include "core/uFormClasses.h"
#include "core/unRegistryFuncs.h"
#include "core/uHelpers.h"
#include "platform/ui/Colors.h"
#include "platform/ui/StringGrid.h"

std::function<void(const QString &FormKey)> TQuorendForm::HelpJump;

namespace {

// The caption panel's look.
constexpr TColor CaptionColor = 6447714;
constexpr TColor CaptionFontColor = 16041574;
constexpr int CaptionHeight = 21;
constexpr int MinimumFormWidth = 550;

// The nearest data form that holds Widget (Widget itself included).
TQuorendForm *FormOf(QObject *Object)
{
    for (QObject *o = Object; o; o = o->parent()) {
        if (auto *form = qobject_cast<TQuorendForm *>(o))
            return form;
        if (o->isWidgetType() && static_cast<QWidget *>(o)->isWindow()
            && !qobject_cast<QMdiSubWindow *>(o))
            break;
    }
    return nullptr;
}

// The string grid that Widget is or whose in-place editor it is.
platform::StringGrid *GridOf(QWidget *Widget)
{
    for (QWidget *w = Widget; w; w = w->parentWidget()) {
        if (auto *grid = qobject_cast<platform::StringGrid *>(w))
            return grid;
        if (qobject_cast<TQuorendForm *>(w))
            break;
    }
    return nullptr;
}

} // namespace

// The key preview and the popup menu of every data form, and the moments at
// which the class library updated the actions (after input): one filter on
// the application for all forms.
class QuorendFormEventFilter : public QObject
{
public:
    static void Install()
    {
        static QuorendFormEventFilter *filter = nullptr;
        if (!filter) {
            filter = new QuorendFormEventFilter(qApp);
            qApp->installEventFilter(filter);
            // A box a control shows on its own holds the control's window
            // as the window's actions hold it.
            TControlBoxHold::SetHolder([](QObject *Control) -> std::shared_ptr<void> {
                for (QObject *o = Control; o; o = o->parent())
                    if (auto *form = qobject_cast<TQuorendForm *>(o))
                        return std::make_shared<TQuorendForm::THold>(*form);
                return nullptr;
            });
        }
    }

protected:
    explicit QuorendFormEventFilter(QObject *parent) : QObject(parent) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return CloseByKey(watched, static_cast<QKeyEvent *>(event), true)
                   || PreviewKey(watched, static_cast<QKeyEvent *>(event));
        case QEvent::ShortcutOverride:
            return KeepEscInPopup(watched, static_cast<QKeyEvent *>(event))
                   || CloseByKey(watched, static_cast<QKeyEvent *>(event), false);
        case QEvent::ContextMenu:
            return PopupFor(watched, static_cast<QContextMenuEvent *>(event));
        case QEvent::FocusIn:
            if (TQuorendForm *form = FormOf(watched)) {
                form->WatchTyping(qobject_cast<QLineEdit *>(watched));
                form->ScheduleActionUpdate();
            }
            return false;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
            if (TQuorendForm *form = FormOf(watched))
                form->ScheduleActionUpdate();
            return false;
        default:
            return false;
        }
    }

private:
    // Esc in a popup of one of a form's controls (the calendar of a date)
    // closes the popup: the form's own Esc reaches into its controls'
    // popups and would close the form instead.
    static bool KeepEscInPopup(QObject *watched, QKeyEvent *event)
    {
        if (event->key() != Qt::Key_Escape || !watched->isWidgetType())
            return false;
        QWidget *window = static_cast<QWidget *>(watched)->window();
        if (window->windowType() != Qt::Popup || qobject_cast<TDropDownForm *>(window)
            || !FormOf(window->parentWidget()))
            return false;
        event->accept();
        return true;
    }

    // The keys that close a window of the work area where its own actions
    // do not reach: Ctrl+F4, the close of a child window, which not every
    // desktop binds to one, and Esc on a minimised window, whose form is
    // hidden: the keys are then on its title bar, on one of its controls
    // that had them before, or on the work area around it. Claimed before
    // the shortcuts are looked up (Close false), carried out on the key
    // itself.
    static bool CloseByKey(QObject *watched, QKeyEvent *event, bool Close)
    {
        if (!watched->isWidgetType() || watched != QApplication::focusWidget() || QWidget::keyboardGrabber())
            return false;
        QMdiSubWindow *frame = FrameWithTheKeys(static_cast<QWidget *>(watched));
        auto *form = frame ? qobject_cast<TQuorendForm *>(frame->widget()) : nullptr;
        if (!form)
            return false;
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        const bool ctrlF4 = event->key() == Qt::Key_F4 && modifiers == Qt::ControlModifier;
        const bool esc = event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier && frame->isMinimized();
        if (!ctrlF4 && !esc)
            return false;
        event->accept();
        if (Close && ctrlF4)
            form->Close();
        else if (Close && form->actExit->isEnabled())
            form->actExit->trigger();
        return true;
    }

    // The MDI frame that the keys at Focus belong to: the frame itself, the
    // frame around the control, or the active frame of the work area.
    static QMdiSubWindow *FrameWithTheKeys(QWidget *Focus)
    {
        for (QWidget *w = Focus; w && !w->isWindow(); w = w->parentWidget()) {
            if (auto *frame = qobject_cast<QMdiSubWindow *>(w))
                return frame;
            if (auto *area = qobject_cast<QMdiArea *>(w))
                return area->activeSubWindow();
        }
        return nullptr;
    }

    static bool PreviewKey(QObject *watched, QKeyEvent *event)
    {
        // A key travels from the focus widget up its parents; the form sees
        // it once, before the control.
        if (!watched->isWidgetType())
            return false;
        QWidget *focus = QApplication::focusWidget();
        if (watched != focus && !(focus == nullptr && qobject_cast<TQuorendForm *>(watched)))
            return false;
        TQuorendForm *form = FormOf(watched);
        if (!form)
            return false;
        QString text = event->text();
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            text = QStringLiteral("\r");
        if (text.size() != 1)
            return false;
        QChar key = text.at(0);
        try {
            form->KeyPress(key);
        } catch (const std::exception &E) {
            form->ShowFailure(E);
            return true;
        }
        return key == QChar(0);
    }

    static bool PopupFor(QObject *watched, QContextMenuEvent *event)
    {
        // Edits show their own menu unless told otherwise; on a data form
        // they show the form's, as the other controls do by passing the
        // event on to the form.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->contextMenuPolicy() != Qt::DefaultContextMenu)
            return false;
        if (!qobject_cast<QLineEdit *>(widget) && !qobject_cast<QAbstractSpinBox *>(widget)
            && !qobject_cast<QTextEdit *>(widget) && !qobject_cast<QPlainTextEdit *>(widget))
            return false;
        TQuorendForm *form = FormOf(widget);
        if (!form || !form->PopupMenu)
            return false;
        form->PopupMenu->popup(event->globalPos());
        return true;
    }
};

// Sets busy bits for its lifetime.
class TQuorendForm::BusyScope
{
public:
    BusyScope(TQuorendForm *Form, unsigned char Bits) : form_(Form), bits_(Bits)
    {
        form_->FBusyFlags |= bits_;
    }
    ~BusyScope() { form_->FBusyFlags &= static_cast<unsigned char>(~bits_); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    TQuorendForm *form_;
    unsigned char bits_;
};

namespace {

// Switches one action off and on again when left.
class ActionOffScope
{
public:
    explicit ActionOffScope(QAction *Action) : action_(Action) { action_->setEnabled(false); }
    ~ActionOffScope() { action_->setEnabled(true); }
    ActionOffScope(const ActionOffScope &) = delete;
    ActionOffScope &operator=(const ActionOffScope &) = delete;

private:
    QAction *action_;
};

// Holds the ten toolbar actions off (EnableActions(False)) and gives them
// back (EnableActions(True)), on every path. Only the scope that saved the
// states gives them back, so an operation run inside another leaves them
// off until the outer one ends.
class ActionsOffScope
{
public:
    ActionsOffScope(TQuorendForm *Form, bool Active) : form_(Form)
    {
        if (!Active)
            return;
        owner_ = !form_->SavedActions().Saved;
        form_->EnableActions(false);
    }
    ~ActionsOffScope()
    {
        try {
            Release();
        } catch (...) {
        }
    }
    void Release()
    {
        if (owner_) {
            owner_ = false;
            form_->EnableActions(true);
        }
    }
    ActionsOffScope(const ActionsOffScope &) = delete;
    ActionsOffScope &operator=(const ActionsOffScope &) = delete;

private:
    TQuorendForm *form_;
    bool owner_ = false;
};

// The wait cursor with an early end.
class WaitHold
{
public:
    explicit WaitHold(const QString &Text = QString()) { ::BeginWait(Text); }
    ~WaitHold() { Release(); }
    void Release()
    {
        if (held_) {
            held_ = false;
            ::EndWait();
        }
    }
    WaitHold(const WaitHold &) = delete;
    WaitHold &operator=(const WaitHold &) = delete;

private:
    bool held_ = true;
};

} // namespace

// The modal host: a dialog around the form whose closing asks the form.
class TQuorendFormHost : public QDialog
{
public:
    TQuorendFormHost(TQuorendForm *Form, QWidget *Parent) : QDialog(Parent), form_(Form)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(Form);
        setWindowTitle(Form->windowTitle());
        resize(Form->size());
    }

    void done(int Result) override
    {
        if (form_ && !form_->FDoneRun) {
            if (form_->HoldCloseWhileActionRuns(Result))
                return;
            bool allowed = false;
            try {
                allowed = form_->CloseQuery();
            } catch (const std::exception &E) {
                form_->ShowFailure(E);
            }
            if (!allowed)
                return;
            form_->FModalResult = Result == QDialog::Rejected ? mrCancel : Result;
            form_->RunFormDone();
        }
        QDialog::done(Result);
    }

private:
    QPointer<TQuorendForm> form_;
};

// ---------------------------------------------------------------------------
// Construction

TQuorendForm::TQuorendForm(QWidget *AOwner, TFormStyle AFormStyle)
    : QWidget(AOwner, AOwner ? Qt::Window : Qt::WindowFlags()), FOwner(AOwner), FFormStyle(AFormStyle)
{
    QuorendFormEventFilter::Install();
    setMinimumWidth(MinimumFormWidth);
    setWindowTitle(QString());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pnlCaption = new QLabel(QStringLiteral("ЗАГЛАВИЕ"), this);
    pnlCaption->setObjectName(QStringLiteral("pnlCaption"));
    pnlCaption->setFixedHeight(CaptionHeight);
    pnlCaption->setAlignment(Qt::AlignCenter);
    pnlCaption->setAutoFillBackground(true);
    {
        QPalette palette = pnlCaption->palette();
        palette.setColor(QPalette::Window, platform::ToQColor(CaptionColor));
        palette.setColor(QPalette::WindowText, platform::ToQColor(CaptionFontColor));
        pnlCaption->setPalette(palette);
        QFont font = pnlCaption->font();
        font.setPixelSize(13);
        font.setBold(true);
        pnlCaption->setFont(font);
    }
    layout->addWidget(pnlCaption);

    // The actions, all off in the design but Help, Exit, Copy and Paste.
    actExecute = MakeAction(QStringLiteral("&Изпълнение"), QStringLiteral("Изпълнение"), Qt::Key_F8, false);
    actNew = MakeAction(QStringLiteral("Добавяне"), QStringLiteral("Добавяне"), Qt::Key_F4, false);
    actEdit = MakeAction(QStringLiteral("Редакция"), QStringLiteral("Редакция"), Qt::Key_F3, false);
    actSave = MakeAction(QStringLiteral("Запис"), QStringLiteral("Запис на въведените данни"), Qt::Key_F2, false);
    actDelete = MakeAction(QStringLiteral("Изтриване"), QStringLiteral("Изтриване"), Qt::Key_F5, false);
    actPrint = MakeAction(QStringLiteral("Печат"), QStringLiteral("Отпечатване"), Qt::Key_F9, false);
    actFile = MakeAction(QStringLiteral("Файл..."), QStringLiteral("Запис във файл"), Qt::Key_F10, false);
    actSearch = MakeAction(QStringLiteral("Търсене"), QStringLiteral("Търсене по поле"), Qt::Key_F7, false);
    actFilter = MakeAction(QStringLiteral("Филтър"), QStringLiteral("Филтриране на данните по признак"), Qt::Key_F6,
                           false);
    actHelp = MakeAction(QStringLiteral("Помощ"), QStringLiteral("Стартиране на системата за помощ"),
                         QKeySequence(), true);
    actExit = MakeAction(QStringLiteral("Изход"), QStringLiteral("Затваряне на прозореца"), Qt::Key_Escape, true);
    actCopy = MakeAction(QStringLiteral("Копиране"), QString(), QKeySequence(Qt::CTRL | Qt::Key_C), true);
    actPaste = MakeAction(QStringLiteral("Залепване"), QString(), QKeySequence(Qt::CTRL | Qt::Key_V), true);
    actStop = MakeAction(QString(), QString(), Qt::Key_Escape, false);
    actFilter->setCheckable(true);

    actExecute->setObjectName(QStringLiteral("actExecute"));
    actNew->setObjectName(QStringLiteral("actNew"));
    actEdit->setObjectName(QStringLiteral("actEdit"));
    actSave->setObjectName(QStringLiteral("actSave"));
    actDelete->setObjectName(QStringLiteral("actDelete"));
    actPrint->setObjectName(QStringLiteral("actPrint"));
    actFile->setObjectName(QStringLiteral("actFile"));
    actSearch->setObjectName(QStringLiteral("actSearch"));
    actFilter->setObjectName(QStringLiteral("actFilter"));
    actHelp->setObjectName(QStringLiteral("actHelp"));
    actExit->setObjectName(QStringLiteral("actExit"));
    actCopy->setObjectName(QStringLiteral("actCopy"));
    actPaste->setObjectName(QStringLiteral("actPaste"));
    actStop->setObjectName(QStringLiteral("actStop"));

    connect(actExecute, &QAction::triggered, this, [this] { actExecuteExecute(); });
    connect(actNew, &QAction::triggered, this, [this] { actNewExecute(); });
    connect(actEdit, &QAction::triggered, this, [this] { actEditExecute(); });
    connect(actSave, &QAction::triggered, this, [this] { actSaveExecute(); });
    connect(actDelete, &QAction::triggered, this, [this] { actDeleteExecute(); });
    connect(actPrint, &QAction::triggered, this, [this] { actPrintExecute(); });
    connect(actFile, &QAction::triggered, this, [this] { actFileExecute(); });
    connect(actSearch, &QAction::triggered, this, [this] { actSearchExecute(); });
    connect(actFilter, &QAction::triggered, this, [this] { actFilterExecute(); });
    connect(actHelp, &QAction::triggered, this, [this] { actHelpExecute(); });
    connect(actExit, &QAction::triggered, this, [this] { actExitExecute(); });
    connect(actCopy, &QAction::triggered, this, [this] { actCopyExecute(); });
    connect(actPaste, &QAction::triggered, this, [this] { actPasteExecute(); });
    connect(actStop, &QAction::triggered, this, [this] { actStopExecute(); });

    // The toolbar: flat buttons labelled with their keys.
    pnlToolBar = new QFrame(this);
    pnlToolBar->setObjectName(QStringLiteral("pnlToolBar"));
    auto *toolLayout = new QHBoxLayout(pnlToolBar);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    ToolBar = new QToolBar(pnlToolBar);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolLayout->addWidget(ToolBar);
    sbtnHelp = MakeButton(QStringLiteral("F1"), actHelp);
    sbtnSave = MakeButton(QStringLiteral("F2"), actSave);
    sbtnEdit = MakeButton(QStringLiteral("F3"), actEdit);
    sbtnNew = MakeButton(QStringLiteral("F4"), actNew);
    sbtnDelete = MakeButton(QStringLiteral("F5"), actDelete);
    sbtnFilter = MakeButton(QStringLiteral("F6"), actFilter, true);
    sbtnSearch = MakeButton(QStringLiteral("F7"), actSearch);
    sbtnExecute = MakeButton(QStringLiteral("F8"), actExecute);
    sbtnPrint = MakeButton(QStringLiteral("F9"), actPrint);
    sbtnFile = MakeButton(QStringLiteral("F10"), actFile);
    sbtnExit = MakeButton(QStringLiteral("Esc"), actExit);
    sbtnHelp->setObjectName(QStringLiteral("sbtnHelp"));
    sbtnSave->setObjectName(QStringLiteral("sbtnSave"));
    sbtnEdit->setObjectName(QStringLiteral("sbtnEdit"));
    sbtnNew->setObjectName(QStringLiteral("sbtnNew"));
    sbtnDelete->setObjectName(QStringLiteral("sbtnDelete"));
    sbtnFilter->setObjectName(QStringLiteral("sbtnFilter"));
    sbtnSearch->setObjectName(QStringLiteral("sbtnSearch"));
    sbtnExecute->setObjectName(QStringLiteral("sbtnExecute"));
    sbtnPrint->setObjectName(QStringLiteral("sbtnPrint"));
    sbtnFile->setObjectName(QStringLiteral("sbtnFile"));
    sbtnExit->setObjectName(QStringLiteral("sbtnExit"));
    layout->addWidget(pnlToolBar);

    ClientArea = new QWidget(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientLayout = new QVBoxLayout(ClientArea);
    ClientLayout->setContentsMargins(0, 0, 0, 0);
    ClientLayout->setSpacing(0);
    layout->addWidget(ClientArea, 1);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    PopupMenu->addAction(actCopy);
    PopupMenu->addAction(actPaste);
    PopupMenu->addSeparator();
    PopupMenu->addAction(actSave);
    PopupMenu->addAction(actEdit);
    PopupMenu->addAction(actNew);
    PopupMenu->addAction(actDelete);
    PopupMenu->addSeparator();
    PopupMenu->addAction(actFilter);
    PopupMenu->addAction(actSearch);
    PopupMenu->addAction(actExecute);
    PopupMenu->addAction(actPrint);
    PopupMenu->addAction(actFile);
    PopupMenu->addSeparator();
    PopupMenu->addAction(actHelp);
    PopupMenu->addAction(actExit);

    AmountFormatter = MakeFormatter(QStringLiteral("AmountFormatter"));
    ValueFormatter = MakeFormatter(QStringLiteral("ValueFormatter"));
    PriceFormatter = MakeFormatter(QStringLiteral("PriceFormatter"));
    CurrencyFormatter = MakeFormatter(QStringLiteral("CurrencyFormatter"));

    // Exit is off until the form is shown.
    actExit->setEnabled(false);
    resize(MinimumFormWidth, 400);
}

TQuorendForm::~TQuorendForm()
{
    // A form freed without an accepted close (its owner went first) still
    // does the base part of its done-hook: the derived part is gone by now.
    if (FConstructed && !FDoneRun) {
        FDoneRun = true;
        try {
            NotifyMainForm(true);
            StoreBounds();
        } catch (...) {
        }
    }
}

QAction *TQuorendForm::MakeAction(const QString &Caption, const QString &Hint, const QKeySequence &Key,
                                  bool Enabled)
{
    auto *action = new QAction(Caption, this);
    action->setToolTip(Hint.isEmpty() ? QString(Caption).remove(QLatin1Char('&')) : Hint);
    action->setStatusTip(Hint);
    action->setShortcut(Key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setEnabled(Enabled);
    addAction(action);
    return action;
}

TFloatFormatter *TQuorendForm::MakeFormatter(const QString &Name)
{
    auto *formatter = new TFloatFormatter(this);
    formatter->setObjectName(Name);
    formatter->SetMarkNegative(true);
    formatter->NegativeAttr()->SetForeColor(clRed);
    return formatter;
}

QToolButton *TQuorendForm::MakeButton(const QString &Label, QAction *Action, bool Checkable)
{
    auto *button = new QToolButton(ToolBar);
    button->setText(Label);
    button->setToolTip(Action->toolTip());
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCheckable(Checkable);
    button->setEnabled(Action->isEnabled());
    connect(Action, &QAction::changed, button, [button, Action, Checkable] {
        button->setEnabled(Action->isEnabled());
        if (Checkable)
            button->setChecked(Action->isChecked());
    });
    connect(button, &QToolButton::clicked, Action, [Action, button, Checkable] {
        // The button's own toggle follows the action, not the click.
        if (Checkable)
            button->setChecked(Action->isChecked());
        Action->trigger();
    });
    ToolBar->addWidget(button);
    return button;
}

QString TQuorendForm::ClassName() const
{
    return QString::fromLatin1(metaObject()->className());
}

void TQuorendForm::AfterConstruction()
{
    if (FConstructed)
        return;
    WaitHold wait(QStringLiteral("Инициализиране ..."));
    // The fields start as the class declares them; a derived constructor
    // may have set its own (FreeOnClose, PrintSettingsKey, ...).
    FBusyFlags = qbConstructing;
    // Kept for the destructor, where the class is the base class already.
    FClassName = ClassName();

    // The bounds stored under the class, when they are all 0 or more; they
    // are applied when the form is shown, inside the area it is shown in.
    if (!Name().isEmpty()) {
        QRect bounds(-1, -1, -1, -1);
        if (LoadFormPosition(ClassName(), bounds) && bounds.left() >= 0 && bounds.top() >= 0
            && bounds.width() > 0 && bounds.height() > 0) {
            FHasStoredBounds = true;
            FStoredBounds = bounds;
        }
    }

    InitControls();
    EnableActions(false);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    FBusyFlags = 0;
    FModified = false;
    FFiltered = false;
    CurrencyFormatter->SetPrecision(CurrencyPrecision);
    ValueFormatter->SetPrecision(ValuePrecision);
    AmountFormatter->SetPrecision(AmountPrecision);
    PriceFormatter->SetPrecision(PricePrecision);

    {
        BusyScope initializing(this, qbInitializing);
        InitForm();
    }
    FConstructed = true;
}

// ---------------------------------------------------------------------------
// Showing and closing

QMdiArea *TQuorendForm::FindMdiArea() const
{
    if (QMdiArea *area = MainMdiArea())
        return area;
    if (!FOwner)
        return nullptr;
    if (auto *area = qobject_cast<QMdiArea *>(FOwner.data()))
        return area;
    return FOwner->findChild<QMdiArea *>();
}

bool TQuorendForm::Prepare()
{
    try {
        {
            WaitHold wait;
            BusyScope showing(this, qbShowing);
            BeforeShow();
        }
        EnableActions(true);
        actExit->setEnabled(true);
        return true;
    } catch (const std::exception &E) {
        ShowFailure(E);
        return false;
    }
}

bool TQuorendForm::ShowForm()
{
    if (!Prepare()) {
        Discard();
        return false;
    }
    QMdiArea *area = FFormStyle == fsMDIChild ? FindMdiArea() : nullptr;
    if (area) {
        QMdiSubWindow *sub = area->addSubWindow(this);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        FSubWindow = sub;
        FFrame = sub;
        sub->installEventFilter(this);
        connect(sub, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                    if ((newState & Qt::WindowActive) && !(oldState & Qt::WindowActive))
                        FormActivate();
                });
        // As large as the form asks, within the work area: a parameter
        // panel wraps to the width it gets.
        QRect designed(QPoint(0, 0), sub->sizeHint().expandedTo(size()).boundedTo(area->viewport()->size()));
        sub->resize(designed.size());
        ApplyStoredBounds(sub, area->viewport()->rect());
        // Followed from here on (the work area may place it as it shows it).
        FFrameBounds = sub->geometry();
        sub->show();
    } else {
        if (FFreeOnClose)
            setAttribute(Qt::WA_DeleteOnClose);
        QScreen *screen = FOwner ? FOwner->screen() : QGuiApplication::primaryScreen();
        ApplyStoredBounds(this, screen ? screen->availableGeometry() : QRect());
        show();
    }
    return true;
}

TModalResult TQuorendForm::ShowModal()
{
    FFormStyle = fsNormal;
    if (!Prepare())
        return mrCancel;
    FModalResult = mrNone;
    auto *host = new TQuorendFormHost(this, FOwner ? FOwner->window() : nullptr);
    FHost = host;
    QScreen *screen = FOwner ? FOwner->screen() : QGuiApplication::primaryScreen();
    ApplyStoredBounds(host, screen ? screen->availableGeometry() : QRect());
    host->exec();
    // The form leaves its host hidden; the caller frees it.
    hide();
    setParent(FOwner, FOwner ? Qt::Window : Qt::WindowFlags());
    FHost = nullptr;
    delete host;
    return FModalResult == mrNone ? mrCancel : FModalResult;
}

void TQuorendForm::ApplyStoredBounds(QWidget *Window, const QRect &Area)
{
    if (!FHasStoredBounds)
        return;
    QRect bounds = FStoredBounds;
    if (!Area.isEmpty()) {
        // A position outside the area is not used; a size larger than the
        // area is cut to it.
        if (bounds.left() >= Area.width() || bounds.top() >= Area.height())
            return;
        bounds.setWidth(qMin(bounds.width(), Area.width()));
        bounds.setHeight(qMin(bounds.height(), Area.height()));
        bounds.moveTo(qMin(bounds.left(), Area.width() - bounds.width()) + (Window->isWindow() ? Area.left() : 0),
                      qMin(bounds.top(), Area.height() - bounds.height()) + (Window->isWindow() ? Area.top() : 0));
    }
    Window->setGeometry(bounds);
}

QWidget *TQuorendForm::HostWindow() const
{
    if (FSubWindow)
        return FSubWindow;
    if (FHost)
        return FHost;
    return const_cast<TQuorendForm *>(this);
}

void TQuorendForm::Close()
{
    // A form whose close was accepted is closed already.
    if (FDoneRun)
        return;
    if (FHost)
        FHost->reject();
    else if (FSubWindow)
        FSubWindow->close();
    else
        close();
}

void TQuorendForm::SetModalResult(TModalResult Value)
{
    FModalResult = Value;
    if (FHost && Value != mrNone)
        FHost->done(Value);
}

void TQuorendForm::FormCloseQuery(bool &CanClose)
{
    // No close while work holds the wait cursor.
    CanClose = WaitCount() <= 0;
}

bool TQuorendForm::CloseQuery()
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose)
        return false;
    // Unsaved data are asked about on every form, not only on editors: a
    // list whose grid was edited in place would otherwise lose the edits.
    return ConfirmSave() != mrCancel;
}

void TQuorendForm::closeEvent(QCloseEvent *event)
{
    if (FDoneRun) {
        event->accept();
        return;
    }
    if (HoldCloseWhileActionRuns(QDialog::Rejected)) {
        event->ignore();
        return;
    }
    bool allowed = false;
    try {
        allowed = CloseQuery();
    } catch (const std::exception &E) {
        ShowFailure(E);
    }
    if (!allowed) {
        event->ignore();
        return;
    }
    RunFormDone();
    event->accept();
}

bool TQuorendForm::HoldCloseWhileActionRuns(int Result)
{
    if (FActionsRunning <= 0)
        return false;
    // The last close asked for wins: a modal result set by the action itself
    // is not overwritten by an Esc's rejection that came before it.
    if (!FCloseHeld || Result != QDialog::Rejected)
        FCloseHeldResult = Result;
    FCloseHeld = true;
    return true;
}

void TQuorendForm::CloseHeldClose()
{
    if (!FCloseHeld || FActionsRunning > 0)
        return;
    FCloseHeld = false;
    const int result = FCloseHeldResult;
    // Queued, as every close the form asks of itself: the action's own
    // bookkeeping after the handler (focus, action states) is done first.
    // The close then asks about unsaved data as any close does.
    QTimer::singleShot(0, this, [this, result] {
        if (FDoneRun)
            return;
        if (FHost)
            FHost->done(result);
        else
            Close();
    });
}

void TQuorendForm::RunFormDone()
{
    if (FDoneRun)
        return;
    FDoneRun = true;
    try {
        FormDone();
    } catch (const std::exception &E) {
        ShowFailure(E);
    }
}

void TQuorendForm::Discard()
{
    RunFormDone();
    hide();
    deleteLater();
}

QRect TQuorendForm::BoundsToStore() const
{
    return FFrame ? FFrameBounds : HostWindow()->geometry();
}

void TQuorendForm::StoreBounds()
{
    if (Name().isEmpty())
        return;
    SaveFormPosition(FClassName.isEmpty() ? ClassName() : FClassName, BoundsToStore());
}

bool TQuorendForm::eventFilter(QObject *watched, QEvent *event)
{
    // The frame's bounds are kept as they change, so that a form freed
    // together with its frame stores them without reaching into a frame
    // that is being destroyed. Only its normal bounds: minimised or
    // maximised, it keeps those it comes back to, and they are the ones
    // stored (a minimised strip would open as one next time).
    if (watched == FFrame && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        auto *frame = static_cast<QWidget *>(watched);
        if (!(frame->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            FFrameBounds = frame->geometry();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Messages to the main window

void TQuorendForm::NotifyMainForm(bool Remove)
{
    QWidget *main = MainFormWidget();
    if (!main || FFormStyle != fsMDIChild)
        return;
    TFormNotifyRecord record{windowTitle(), this};
    TQuorendFormNotifyEvent event(TQuorendFormNotifyEvent::ChildListType, Remove ? 1 : 0, record);
    QCoreApplication::sendEvent(main, &event);
}

void TQuorendForm::FormActivate()
{
    QWidget *main = MainFormWidget();
    if (!main || FFormStyle != fsMDIChild)
        return;
    TQuorendFormNotifyEvent event(TQuorendFormNotifyEvent::ChildActivatedType, 0, TFormNotifyRecord{QString(), this});
    QCoreApplication::sendEvent(main, &event);
}

bool TQuorendForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !FSubWindow)
        FormActivate();
    return QWidget::event(event);
}

// ---------------------------------------------------------------------------
// Hooks and their defaults

int TQuorendForm::GetFormValue() { return FFormValue; }
QString TQuorendForm::GetPrintSettingsKey() { return FPrintSettingsKey; }
QString TQuorendForm::GetFormKey() { return FFormKeyOverride.isEmpty() ? Name() : FFormKeyOverride; }
QString TQuorendForm::GetExecuteErrorText() { return QString(); }
QString TQuorendForm::GetSaveErrorText() { return QString(); }

bool TQuorendForm::Execute()
{
    if (FBusyFlags & qbConstructing)
        return false;
    WaitHold wait;
    ActionsOffScope actions(this, !(FBusyFlags & qbShowing));
    const bool result = DoExecute();
    wait.Release();
    actions.Release();
    UpdateActions();
    return result;
}

bool TQuorendForm::ValidateSave()
{
    if (CanSave())
        return true;
    if (!(FBusyFlags & qbShowing)) {
        const QString text = GetSaveErrorText();
        if (!text.isEmpty() && FShowValidationMessages)
            ShowError(text);
    }
    return false;
}

bool TQuorendForm::Save()
{
    if (!ValidateSave())
        return false;
    WaitHold wait;
    ActionsOffScope actions(this, true);
    const bool result = DoSave();
    wait.Release();
    actions.Release();
    // Only a save that succeeded may close the form: a failed one keeps the
    // data on screen. The close waits until the save and its action have
    // ended, so that the form's own bookkeeping after the save (Modified,
    // edit mode) is done before the close asks about unsaved data and runs
    // the done-hook.
    if (result && FCloseAfterSave)
        QMetaObject::invokeMethod(this, [this] { Close(); }, Qt::QueuedConnection);
    return result;
}

bool TQuorendForm::Edit() { return DoEdit(); }
bool TQuorendForm::New() { return DoNew(); }

bool TQuorendForm::Delete()
{
    const bool result = DoDelete();
    UpdateActions();
    return result;
}

bool TQuorendForm::Filter()
{
    const bool result = DoFilter();
    SetFilteredState(result);
    return result;
}

void TQuorendForm::SetFilteredState(bool Value)
{
    FFiltered = Value;
    actFilter->setChecked(Value);
    sbtnFilter->setChecked(Value);
}

bool TQuorendForm::Search() { return DoSearch(); }
bool TQuorendForm::Print() { return DoPrint(); }
bool TQuorendForm::File() { return DoFile(); }
bool TQuorendForm::Stop() { return DoStop(); }

bool TQuorendForm::IsExecuteEnabled() { return actExecute->isEnabled(); }
bool TQuorendForm::IsSaveEnabled() { return actSave->isEnabled(); }
bool TQuorendForm::IsEditEnabled() { return actEdit->isEnabled(); }
bool TQuorendForm::IsNewEnabled() { return actNew->isEnabled(); }
bool TQuorendForm::IsDeleteEnabled() { return actDelete->isEnabled(); }
bool TQuorendForm::IsFilterEnabled() { return actFilter->isEnabled(); }
bool TQuorendForm::IsSearchEnabled() { return actSearch->isEnabled(); }
bool TQuorendForm::IsPrintEnabled() { return actPrint->isEnabled(); }
bool TQuorendForm::IsFileEnabled() { return actFile->isEnabled(); }
bool TQuorendForm::IsExitEnabled() { return actExit->isEnabled(); }
bool TQuorendForm::IsCopyEnabled() { return true; }
bool TQuorendForm::IsPasteEnabled() { return true; }

std::array<QAction *, 10> TQuorendForm::ToolbarActions() const
{
    return {actSave, actEdit, actNew, actDelete, actFilter, actSearch, actExecute, actPrint, actFile, actExit};
}

void TQuorendForm::DisableActions()
{
    for (QAction *action : ToolbarActions())
        action->setEnabled(false);
}

void TQuorendForm::SaveActionsState(TSavedActions &Rec)
{
    if (Rec.Saved)
        return;
    const auto actions = ToolbarActions();
    for (std::size_t i = 0; i < actions.size(); ++i)
        Rec.States[i] = actions[i]->isEnabled();
    Rec.Saved = true;
}

void TQuorendForm::RestoreActionsState(TSavedActions &Rec)
{
    if (!Rec.Saved)
        return;
    const auto actions = ToolbarActions();
    for (std::size_t i = 0; i < actions.size(); ++i)
        actions[i]->setEnabled(Rec.States[i]);
    Rec.Saved = false;
}

void TQuorendForm::EnableActions(bool Enable)
{
    if (Enable) {
        RestoreActionsState(FSavedActions);
    } else {
        SaveActionsState(FSavedActions);
        DisableActions();
    }
}

void TQuorendForm::UpdateActions()
{
    // While the actions are held off their states live in the saved copy.
    if (FSavedActions.Saved)
        return;
    actExecute->setEnabled(IsExecuteEnabled());
    actSave->setEnabled(IsSaveEnabled());
    actEdit->setEnabled(IsEditEnabled());
    actNew->setEnabled(IsNewEnabled());
    actDelete->setEnabled(IsDeleteEnabled());
    actFilter->setEnabled(IsFilterEnabled());
    actSearch->setEnabled(IsSearchEnabled());
    actPrint->setEnabled(IsPrintEnabled());
    actFile->setEnabled(IsFileEnabled());
    actExit->setEnabled(IsExitEnabled());
    actCopy->setEnabled(IsCopyEnabled());
    actPaste->setEnabled(IsPasteEnabled());
}

void TQuorendForm::ScheduleActionUpdate()
{
    if (FActionUpdateQueued)
        return;
    FActionUpdateQueued = true;
    QTimer::singleShot(0, this, [this] {
        FActionUpdateQueued = false;
        if (FBusyFlags != 0)
            return;
        try {
            UpdateActions();
        } catch (const std::exception &E) {
            ShowFailure(E);
        }
    });
}

TModalResult TQuorendForm::ConfirmSave()
{
    if (!FModified)
        return mrYes;
    switch (AskYesNoCancel(QStringLiteral("Данните не са записани!\rЖелаете ли да ги запишете?"))) {
    case mrYes:
        return Save() ? mrYes : mrCancel;
    case mrNo:
        return mrNo;
    default:
        return mrCancel;
    }
}

QString TQuorendForm::GetTitle() { return pnlCaption->text(); }
QString TQuorendForm::GetSubTitle() { return QString(); }

bool TQuorendForm::InitForm()
{
    FModified = false;
    UpdateActions();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

bool TQuorendForm::FormDone()
{
    NotifyMainForm(true);
    StoreBounds();
    return true;
}

bool TQuorendForm::DoStop() { return true; }

bool TQuorendForm::BeforeShow()
{
    NotifyMainForm(false);
    return true;
}

bool TQuorendForm::CanExecute() { return true; }
bool TQuorendForm::CanSave() { return true; }
bool TQuorendForm::DoExecute() { return true; }
bool TQuorendForm::DoSave() { return true; }
bool TQuorendForm::DoEdit() { return true; }
bool TQuorendForm::DoNew() { return true; }
bool TQuorendForm::DoDelete() { return true; }
bool TQuorendForm::DoFilter() { return true; }
bool TQuorendForm::DoSearch() { return true; }
bool TQuorendForm::DoPrint() { return true; }
bool TQuorendForm::DoFile() { return true; }
bool TQuorendForm::CanExit() { return true; }
void TQuorendForm::InitControls() {}

// ---------------------------------------------------------------------------
// Clipboard

QWidget *TQuorendForm::ActiveControl() const
{
    QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == this || isAncestorOf(focus)))
        return focus;
    return nullptr;
}

namespace {

QWidget *ControlAt(TQuorendForm *Form, const QPoint &Point)
{
    if (Point.x() >= 0 && Point.y() >= 0)
        return Form->childAt(Point);
    return Form->ActiveControl();
}

} // namespace

void TQuorendForm::CopyToClipboard(const QPoint &Point)
{
    QWidget *control = ControlAt(this, Point);
    if (!control)
        return;
    QString text;
    GetControlText(control, Point, text);
    QApplication::clipboard()->setText(text);
}

void TQuorendForm::PasteFromClipboard(const QPoint &Point)
{
    QWidget *control = ControlAt(this, Point);
    if (!control)
        return;
    SetControlText(control, Point, QApplication::clipboard()->text());
}

void TQuorendForm::GetControlText(QWidget *Control, const QPoint &Point, QString &Text)
{
    if (auto *combo = qobject_cast<QComboBox *>(Control)) {
        Text = combo->isEditable() && combo->lineEdit() ? combo->lineEdit()->selectedText() : combo->currentText();
    } else if (auto *edit = qobject_cast<QLineEdit *>(Control)) {
        // A combo box's own edit answers for the combo box.
        if (auto *owner = qobject_cast<QComboBox *>(edit->parentWidget()))
            GetControlText(owner, Point, Text);
        else
            Text = edit->selectedText();
    } else if (auto *list = qobject_cast<QListWidget *>(Control)) {
        QListWidgetItem *item = list->currentItem();
        Text = item && item->isSelected() ? item->text() : QString();
    } else if (auto *view = qobject_cast<QListView *>(Control)) {
        const QModelIndex index = view->currentIndex();
        Text = index.isValid() ? index.data().toString() : QString();
    } else if (platform::StringGrid *grid = GridOf(Control)) {
        if (Point.x() < 0 || Point.y() < 0)
            GridSelectionAsText(*grid, Text);
    }
}

void TQuorendForm::SetControlText(QWidget *Control, const QPoint &Point, const QString &Text)
{
    if (auto *combo = qobject_cast<QComboBox *>(Control)) {
        if (combo->isEditable() && combo->lineEdit() && !combo->lineEdit()->isReadOnly())
            combo->lineEdit()->insert(Text);
    } else if (auto *edit = qobject_cast<QLineEdit *>(Control)) {
        if (auto *owner = qobject_cast<QComboBox *>(edit->parentWidget()))
            SetControlText(owner, Point, Text);
        else if (!edit->isReadOnly() && !GridOf(edit))
            edit->insert(Text);
    }
}

// ---------------------------------------------------------------------------
// Typed data

bool TQuorendForm::TypingIsData(QWidget *Control)
{
    return Control != nullptr;
}

void TQuorendForm::WatchTyping(QLineEdit *Edit)
{
    if (!Edit || Edit->property("QuorendTypingWatched").toBool())
        return;
    Edit->setProperty("QuorendTypingWatched", true);
    // Only what the clerk types: texts the form sets itself do not count.
    connect(Edit, &QLineEdit::textEdited, this, [this, Edit] {
        const bool canSave = FSavedActions.Saved ? FSavedActions.States[0] : actSave->isEnabled();
        if (canSave && !Edit->isReadOnly() && TypingIsData(Edit))
            FModified = true;
    });
}

// ---------------------------------------------------------------------------
// Keys and the popup menu

void TQuorendForm::KeyPress(QChar &Key)
{
    if (Key != QLatin1Char('\r'))
        return;
    QWidget *control = ActiveControl();
    if (platform::StringGrid *grid = GridOf(control)) {
        // An editing grid takes Enter itself (it opens and closes its
        // editor).
        if (grid->Options().Contains(goEditing))
            return;
    }
    if (qobject_cast<QComboBox *>(control) || (control && qobject_cast<QComboBox *>(control->parentWidget())))
        Key = QChar(0);
    SelectNextControl();
}

void TQuorendForm::SelectNextControl()
{
    QWidget *current = ActiveControl();
    QWidget *start = current ? current : this;
    QWidget *w = start->nextInFocusChain();
    for (int guard = 0; w && w != start && guard < 10000; ++guard, w = w->nextInFocusChain()) {
        if (!isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this)
            && !w->focusProxy()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void TQuorendForm::keyPressEvent(QKeyEvent *event)
{
    // Enter that reached the form was handled by the key preview; it must
    // not travel on to a dialog host's default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TQuorendForm::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu->popup(event->globalPos());
    event->accept();
}

// ---------------------------------------------------------------------------
// Action handlers

void TQuorendForm::ShowFailure(const std::exception &E)
{
    platform::ShowException(E);
}

TQuorendForm::THold::THold(TQuorendForm &Form) : form_(&Form) { ++Form.FActionsRunning; }

TQuorendForm::THold::~THold()
{
    // A window freed all the same (with its owner) has nothing to carry out.
    if (!form_)
        return;
    --form_->FActionsRunning;
    form_->CloseHeldClose();
}

void TQuorendForm::RunHeld(const std::function<void()> &Work)
{
    THold hold(*this);
    try {
        Work();
    } catch (const std::exception &E) {
        ShowFailure(E);
    }
}

void TQuorendForm::RunHandler(QAction *Action, unsigned char RefuseBits, unsigned char Bits,
                              const std::function<void()> &Work)
{
    if (FBusyFlags & RefuseBits)
        return;
    // Held from here on: the refusal of a typed date below shows a box too.
    THold hold(*this);
    QPointer<QWidget> before = ActiveControl();
    const bool wasActive = window()->isActiveWindow();
    // A date being typed ends first: the action reads what the screen
    // shows, and a text that is no date is refused before anything runs.
    if (Action != actStop && !CommitTypedDate(before))
        return;
    try {
        ActionOffScope own(Action);
        BusyScope busy(this, Bits);
        Work();
    } catch (const std::exception &E) {
        // Everything is given back by now; the form stays usable.
        ShowFailure(E);
    }
    ScheduleActionUpdate();
    KeepKeysInForm(before, wasActive);
}

bool TQuorendForm::CommitTypedDate(QWidget *Control)
{
    for (QWidget *w = Control; w && w != this; w = w->parentWidget())
        if (auto *picker = qobject_cast<TQuorendDatePicker *>(w))
            return picker->Commit();
    return true;
}

namespace {

bool TakesKeys(const QWidget *Widget)
{
    return Widget && Widget->isEnabled() && Widget->isVisible() && (Widget->focusPolicy() & Qt::TabFocus);
}

} // namespace

void TQuorendForm::KeepKeysInForm(QWidget *Before, bool WasActive)
{
    KeepKeysInFormNow(Before, WasActive);
    // Some controls give the focus up later (an in-place editor that goes
    // after its edit ended, a dialog's window that goes): once more when
    // the events have run.
    QPointer<QWidget> before(Before);
    QTimer::singleShot(0, this, [this, before, WasActive] { KeepKeysInFormNow(before, WasActive); });
}

void TQuorendForm::KeepKeysInFormNow(QWidget *Before, bool WasActive)
{
    if (FDoneRun || !isVisible())
        return;
    // The window had the keys when the action began; a dialog of the
    // action that closed may leave no window active at all.
    QWidget *active = QApplication::activeWindow();
    if (WasActive && (!active || !active->isVisible())) {
        window()->activateWindow();
        QApplication::setActiveWindow(window());
    }
    QWidget *focus = QApplication::focusWidget();
    if (focus && (focus == this || isAncestorOf(focus)) && focus->isEnabled() && focus->isVisible())
        return;
    // Another window has the keys: a preview, a dialog, another form.
    if (QApplication::activeWindow() && QApplication::activeWindow() != window())
        return;
    if (focus && focus->window() != window())
        return;
    if (focus && FormOf(focus) && FormOf(focus) != this)
        return;
    QWidget *target = nullptr;
    if (Before && isAncestorOf(Before) && TakesKeys(Before))
        target = Before;
    if (!target) {
        for (platform::StringGrid *grid : findChildren<platform::StringGrid *>())
            if (TakesKeys(grid)) {
                target = grid;
                break;
            }
    }
    if (!target) {
        QWidget *start = Before && isAncestorOf(Before) ? Before : this;
        for (QWidget *w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain())
            if (isAncestorOf(w) && TakesKeys(w) && !w->focusProxy()) {
                target = w;
                break;
            }
    }
    if (target)
        target->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

namespace {
constexpr unsigned char ActionRefuse = qbConstructing | qbInitializing | qbActionRunning;
}

void TQuorendForm::actExecuteExecute()
{
    RunHandler(actExecute, ActionRefuse, qbActionRunning, [this] {
        if (CanExecute()) {
            Execute();
        } else if (!(FBusyFlags & qbShowing)) {
            const QString text = GetExecuteErrorText();
            if (!text.isEmpty() && FShowValidationMessages)
                ShowError(text);
        }
    });
}

void TQuorendForm::actSaveExecute() { RunHandler(actSave, ActionRefuse, qbActionRunning, [this] { Save(); }); }
void TQuorendForm::actEditExecute() { RunHandler(actEdit, ActionRefuse, qbActionRunning, [this] { Edit(); }); }
void TQuorendForm::actNewExecute() { RunHandler(actNew, ActionRefuse, qbActionRunning, [this] { New(); }); }
void TQuorendForm::actDeleteExecute()
{
    RunHandler(actDelete, ActionRefuse, qbActionRunning, [this] { Delete(); });
}
void TQuorendForm::actPrintExecute() { RunHandler(actPrint, ActionRefuse, qbActionRunning, [this] { Print(); }); }
void TQuorendForm::actFileExecute() { RunHandler(actFile, ActionRefuse, qbActionRunning, [this] { File(); }); }
void TQuorendForm::actSearchExecute()
{
    RunHandler(actSearch, ActionRefuse, qbActionRunning, [this] { DoSearch(); });
}
void TQuorendForm::actFilterExecute()
{
    RunHandler(actFilter, ActionRefuse, 0, [this] { Filter(); });
    // The action's check mark toggled with the key or click; it shows the
    // last Filter's result, also when this one was refused or failed.
    SetFilteredState(FFiltered);
}

void TQuorendForm::actStopExecute()
{
    RunHandler(actStop, qbConstructing | qbInitializing | qbStopping, qbStopping, [this] { Stop(); });
}

void TQuorendForm::actExitExecute()
{
    try {
        if (CanExit())
            Close();
    } catch (const std::exception &E) {
        ShowFailure(E);
    }
}

void TQuorendForm::actHelpExecute()
{
    if (HelpJump)
        HelpJump(GetFormKey());
}

void TQuorendForm::actCopyExecute() { CopyToClipboard(QPoint(-1, -1)); }
void TQuorendForm::actPasteExecute() { PasteFromClipboard(QPoint(-1, -1)); }

bool TQuorendForm::ExecuteQuiet()
{
    // As the action's own Execute: its state is brought up to date first,
    // and a disabled action runs nothing.
    if (!FSavedActions.Saved)
        actExecute->setEnabled(IsExecuteEnabled());
    if (!actExecute->isEnabled())
        return true;
    const bool previous = FShowValidationMessages;
    FShowValidationMessages = false;
    actExecuteExecute();
    FShowValidationMessages = previous;
    return true;
}

// ---------------------------------------------------------------------------
// Action states that survive a restore

void TQuorendForm::SetActionEnabledOrSaved(int Index, QAction *Action, bool B)
{
    if (FSavedActions.Saved)
        FSavedActions.States[static_cast<std::size_t>(Index)] = B;
    else
        Action->setEnabled(B);
}

void TQuorendForm::SetNewEnabled(bool B) { SetActionEnabledOrSaved(2, actNew, B); }
void TQuorendForm::SetDeleteEnabled(bool B) { SetActionEnabledOrSaved(3, actDelete, B); }
void TQuorendForm::SetEditEnabled(bool B) { SetActionEnabledOrSaved(1, actEdit, B); }

void TQuorendForm::EnableContainer(QWidget *Container, bool Enabled)
{
    if (!Container)
        return;
    for (QWidget *child : Container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        child->setEnabled(Enabled);
    Container->setEnabled(Enabled);
}

void TQuorendForm::BeginWait(const QString &Text) { ::BeginWait(Text); }
void TQuorendForm::EndWait() { ::EndWait(); }
