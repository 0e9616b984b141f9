#include "components/DropDownForm.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/ui/Colors.h"

// While the form is dropped, its own keys win. The form usually belongs to a
// data window whose actions take the same keys (Esc, F6, F7, F8) for the
// window and its children; both would match a key pressed in the form, and
// an ambiguous key fires neither. So the key of one of the form's own
// actions is claimed before the shortcuts are looked up, and runs that
// action.
class TDropDownForm::OwnKeys : public QObject
{
public:
    explicit OwnKeys(TDropDownForm *Form) : QObject(Form), form_(Form) {}

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Event->type() != QEvent::ShortcutOverride && Event->type() != QEvent::KeyPress)
            return false;
        auto *widget = qobject_cast<QWidget *>(Watched);
        if (!widget || (widget != form_ && !form_->isAncestorOf(widget)))
            return false;
        auto *key = static_cast<QKeyEvent *>(Event);
        QAction *action = form_->OwnActionFor(key);
        if (!action)
            return false;
        key->accept();
        if (Event->type() == QEvent::KeyPress)
            action->trigger();
        return true;
    }

private:
    TDropDownForm *form_;
};

TDropDownForm::TDropDownForm(QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("DropDownForm"));
    resize(315, 167);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, platform::ToQColor(clBtnFace));
    setPalette(pal);
    setAutoFillBackground(true);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    FBasePanel = new QFrame(this);
    FBasePanel->setObjectName(QStringLiteral("BasePanel"));
    FBasePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    FBasePanel->setLineWidth(2);
    outer->addWidget(FBasePanel);
    FBaseLayout = new QVBoxLayout(FBasePanel);
    FBaseLayout->setContentsMargins(2, 2, 2, 2);
    FBaseLayout->setSpacing(0);

    actOk = new QAction(QStringLiteral("Ok"), this);
    actOk->setObjectName(QStringLiteral("actOk"));
    actOk->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    actCancel = new QAction(QStringLiteral("Отказ"), this);
    actCancel->setObjectName(QStringLiteral("actCancel"));
    actCancel->setShortcut(QKeySequence(Qt::Key_Escape));
    actHelp = new QAction(QStringLiteral("Помощ"), this);
    actHelp->setObjectName(QStringLiteral("actHelp"));
    actHelp->setShortcut(QKeySequence(Qt::Key_F1));
    actHelp->setToolTip(QStringLiteral("Стартира системата за помощ"));
    actHelp->setStatusTip(actHelp->toolTip());
    for (QAction *a : {actOk, actCancel, actHelp}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(actOk, &QAction::triggered, this, [this] { actOkExecute(); });
    connect(actCancel, &QAction::triggered, this, [this] { actCancelExecute(); });

    FToolBar = new QToolBar(FBasePanel);
    FToolBar->setObjectName(QStringLiteral("ToolBar"));
    tbtnOk = new QToolButton(FToolBar);
    tbtnOk->setObjectName(QStringLiteral("tbtnOk"));
    tbtnOk->setDefaultAction(actOk);
    tbtnCancel = new QToolButton(FToolBar);
    tbtnCancel->setObjectName(QStringLiteral("tbtnCancel"));
    tbtnCancel->setDefaultAction(actCancel);
    FToolBar->addWidget(tbtnOk);
    FToolBar->addWidget(tbtnCancel);
    FToolBar->setVisible(false);
    FBaseLayout->addWidget(FToolBar);

    FPopupMenu = new QMenu(this);
    FPopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    miOk = actOk;
    miCancel = actCancel;
    miHelp = actHelp;
    FPopupMenu->addAction(miOk);
    FPopupMenu->addAction(miCancel);
    FPopupMenu->addSeparator();
    FPopupMenu->addAction(miHelp);
}

TDropDownForm::~TDropDownForm() = default;

QRect TDropDownForm::WorkArea() const
{
    QScreen *s = nullptr;
    if (FOwnerControl)
        s = FOwnerControl->screen();
    if (!s)
        s = screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect TDropDownForm::PlaceForm(const QRect &WorkArea, const QRect *Owner, QRect Form, int Dx,
                               int Dy)
{
    const int left = WorkArea.left();
    const int top = WorkArea.top();
    const int right = WorkArea.left() + WorkArea.width();    // first column outside
    const int bottom = WorkArea.top() + WorkArea.height();   // first row outside
    int x = Form.left(), y = Form.top(), w = Form.width(), h = Form.height();
    if (Owner) {
        const int px = Owner->left(), py = Owner->top(), ch = Owner->height();
        x = px + Dx;
        if (py + ch + Dy + h <= bottom) {
            y = py + ch + Dy;
        } else if (py - Dy - h >= top) {
            y = py - Dy - h;
        } else {
            const int below = bottom - (py + ch + Dy);
            const int above = py - Dy - top;
            if (below <= above) {
                y = top;
                h = py - top - Dy;
            } else {
                y = py + ch + Dy;
                h = bottom - y;
            }
        }
        if (x + w > right) {
            if (w <= WorkArea.width()) {
                x = right - w;
            } else {
                x = left;
                w = WorkArea.width();
            }
        }
    } else {
        // Each axis alone: where it is, else on the other side of that
        // point, else against the far edge, else the whole extent.
        auto axis = [](int &pos, int &size, int offset, int near, int far) {
            const int p = pos + offset;
            if (p >= near && p + size <= far)
                pos = p;
            else if (p - size >= near && p <= far)
                pos = p - size;
            else if (size <= far - near)
                pos = far - size;
            else {
                pos = near;
                size = far - near;
            }
        };
        axis(x, w, Dx, left, right);
        axis(y, h, Dy, top, bottom);
    }
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    return QRect(x, y, w, h);
}

void TDropDownForm::Popup()
{
    if (FOwnerControl) {
        const QRect owner(FOwnerControl->mapToGlobal(QPoint(0, 0)), FOwnerControl->size());
        setGeometry(PlaceForm(WorkArea(), &owner, geometry(), FHorzOffset, FVertOffset));
    } else {
        setGeometry(PlaceForm(WorkArea(), nullptr, geometry(), FHorzOffset, FVertOffset));
    }
}

void TDropDownForm::Ok()
{
    if (OnOkCallback)
        OnOkCallback(this);
    FModalResult = mrOk;
}

void TDropDownForm::Cancel()
{
    if (OnCancelCallback)
        OnCancelCallback(this);
    FModalResult = mrCancel;
}

bool TDropDownForm::Execute()
{
    const bool result = PrepareShow();
    if (result) {
        FModalResult = mrNone;
        // A popup takes the keys while it shows without becoming the
        // active window: asking for that too could make it active after it
        // has closed, and leave its owner's window without the keys.
        show();
        raise();
    }
    return result;
}

bool TDropDownForm::PrepareShow()
{
    Popup();
    return true;
}

void TDropDownForm::actOkExecute()
{
    FInOk = true;
    try {
        Ok();
    } catch (...) {
        FInOk = false;
        throw;
    }
    FInOk = false;
    CloseQuietly();
}

void TDropDownForm::actCancelExecute()
{
    Cancel();
    CloseQuietly();
}

void TDropDownForm::CloseQuietly()
{
    FClosing = true;
    close();
    FClosing = false;
}

QAction *TDropDownForm::OwnActionFor(const QKeyEvent *e) const
{
    const QKeyCombination combination(e->modifiers() & ~Qt::KeypadModifier, Qt::Key(e->key()));
    for (QAction *action : actions()) {
        if (!action->isEnabled())
            continue;
        for (const QKeySequence &sequence : action->shortcuts())
            if (sequence.count() == 1 && sequence[0] == combination)
                return action;
    }
    return nullptr;
}

bool TDropDownForm::event(QEvent *e)
{
    // The platform may make the form the active window late, after it has
    // closed already (an activation asked for as it showed): the keys then
    // belong to its owner's window again.
    if (e->type() == QEvent::WindowActivate && !isVisible() && FOwnerControl && FOwnerControl->isVisible()) {
        QApplication::setActiveWindow(FOwnerControl->window());
        FOwnerControl->setFocus(Qt::PopupFocusReason);
    }
    return QWidget::event(e);
}

void TDropDownForm::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!FOwnKeys) {
        FOwnKeys = new OwnKeys(this);
        qApp->installEventFilter(FOwnKeys);
    }
}

void TDropDownForm::hideEvent(QHideEvent *e)
{
    QWidget::hideEvent(e);
    if (FOwnKeys) {
        // The form may hide from inside the filter (Esc): it goes later.
        qApp->removeEventFilter(FOwnKeys);
        FOwnKeys->deleteLater();
        FOwnKeys = nullptr;
    }
    // Hidden otherwise than by its own actions (a click outside, the
    // owning window going away): that is a Cancel.
    if (!FClosing && !FInOk) {
        FClosing = true;
        try {
            Cancel();
        } catch (...) {
            FClosing = false;
            throw;
        }
        FClosing = false;
    }
    if (FOwnerControl && FOwnerControl->isVisible()) {
        // The keys go back to the owner's window, also where the platform
        // made the form the active window while it was dropped.
        QWidget *window = FOwnerControl->window();
        if (!QApplication::activeWindow() || QApplication::activeWindow() == this)
            window->activateWindow();
        FOwnerControl->setFocus(Qt::PopupFocusReason);
    }
}

void TDropDownForm::keyPressEvent(QKeyEvent *e)
{
    // Keys that no child took: Enter and Esc act as the shortcuts do.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (actOk->isEnabled())
            actOk->trigger();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (actCancel->isEnabled())
            actCancel->trigger();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TDropDownForm::contextMenuEvent(QContextMenuEvent *e)
{
    FPopupMenu->popup(e->globalPos());
    e->accept();
}
