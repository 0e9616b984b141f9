#pragma once
// The borderless form that drops down under the edit that owns it (a list of
// codes, a period) and ends with Ok (Enter, a pick) or Cancel (Esc, or a
// click anywhere outside it). It is a Qt popup window: placed below its edit,
// or above it when the screen's work area has no room below.
//
// Descendants override the hooks in this order: Popup (size and place),
// Ok, Cancel, Execute, PrepareShow (fill the content; false keeps the form
// closed). The form edit that owns the form sets the Ok and Cancel
// callbacks (TCustomFormEdit::SetForm).
#include <QAction>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

#include "platform/ui/MessageBox.h"

class QFrame;
class QKeyEvent;
class QVBoxLayout;
class QMenu;
class QToolBar;
class QToolButton;

class TDropDownForm : public QWidget
{
    Q_OBJECT
public:
    explicit TDropDownForm(QWidget *parent = nullptr);
    ~TDropDownForm() override;

    // The control under which the form drops down (set by the form edit).
    QWidget *OwnerControl() const { return FOwnerControl; }
    void SetOwnerControl(QWidget *Value) { FOwnerControl = Value; }
    // Offsets of the form from the point under the owning control.
    int HorzOffset() const { return FHorzOffset; }
    void SetHorzOffset(int Value) { FHorzOffset = Value; }
    int VertOffset() const { return FVertOffset; }
    void SetVertOffset(int Value) { FVertOffset = Value; }

    // Called by Ok and Cancel before the modal result is set.
    std::function<void(QObject *Sender)> OnOkCallback;
    std::function<void(QObject *Sender)> OnCancelCallback;

    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    // Whether the form is running its Ok action.
    bool InOk() const { return FInOk; }

    // Places the form under (or above) its owning control inside the
    // screen's work area.
    virtual void Popup();
    // The Ok callback, then the modal result mrOk.
    virtual void Ok();
    // The Cancel callback, then the modal result mrCancel.
    virtual void Cancel();
    // Shows the form (not modal) when PrepareShow agrees; returns its answer.
    virtual bool Execute();
    // Base: Popup, true.
    virtual bool PrepareShow();

    // The bounds Popup gives a form of the size Form.size() (its position
    // counts when there is no owner) within WorkArea; Owner is the owning
    // control's rectangle in screen coordinates, or null.
    static QRect PlaceForm(const QRect &WorkArea, const QRect *Owner, QRect Form, int Dx,
                           int Dy);

    // The parts of the form.
    QFrame *BasePanel() const { return FBasePanel; }
    // The base panel's layout: descendants put their controls above the
    // tool bar (insertWidget(0, ...)).
    QVBoxLayout *BaseLayout() const { return FBaseLayout; }
    QToolBar *ToolBar() const { return FToolBar; }
    QMenu *PopupMenu() const { return FPopupMenu; }
    QAction *actOk = nullptr;
    QAction *actCancel = nullptr;
    QAction *actHelp = nullptr;
    QAction *miOk = nullptr;
    QAction *miCancel = nullptr;
    QAction *miHelp = nullptr;
    QToolButton *tbtnOk = nullptr;
    QToolButton *tbtnCancel = nullptr;

    // The screen's work area the form drops into.
    QRect WorkArea() const;

protected:
    // Enter: Ok, then the form closes. Esc: Cancel, then the form closes.
    void actOkExecute();
    void actCancelExecute();
    // Closes the form without running Cancel.
    void CloseQuietly();

    void showEvent(QShowEvent *e) override;
    bool event(QEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    class OwnKeys;
    friend class OwnKeys;
    // The enabled action of this form whose key the event is; null when
    // none.
    QAction *OwnActionFor(const QKeyEvent *e) const;

    OwnKeys *FOwnKeys = nullptr;   // installed while the form is shown
    QPointer<QWidget> FOwnerControl;
    int FHorzOffset = 0;
    int FVertOffset = 0;
    TModalResult FModalResult = mrNone;
    bool FInOk = false;
    bool FClosing = false;   // an action closes the form: no Cancel on hiding
    QFrame *FBasePanel = nullptr;
    QVBoxLayout *FBaseLayout = nullptr;
    QToolBar *FToolBar = nullptr;
    QMenu *FPopupMenu = nullptr;
};
