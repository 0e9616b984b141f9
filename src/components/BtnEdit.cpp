#include "components/BtnEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

TBeepHandler &BeepHandler()
{
    static TBeepHandler handler;
    return handler;
}

} // namespace

void SoundBeep(TBeepKind Kind)
{
    if (BeepHandler())
        BeepHandler()(Kind);
    else
        QApplication::beep();
}

TBeepHandler SetBeepHandler(TBeepHandler Handler)
{
    TBeepHandler old = BeepHandler();
    BeepHandler() = std::move(Handler);
    return old;
}

TCustomButtonEdit::TCustomButtonEdit(QWidget *parent) : QLineEdit(parent)
{
    // The spin button: two arrow buttons one above the other.
    FSpinButton = new QWidget(this);
    auto *spinLayout = new QVBoxLayout(FSpinButton);
    spinLayout->setContentsMargins(0, 0, 0, 0);
    spinLayout->setSpacing(0);
    FUpButton = new QToolButton(FSpinButton);
    FDownButton = new QToolButton(FSpinButton);
    FUpButton->setArrowType(Qt::UpArrow);
    FDownButton->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {FUpButton, FDownButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setAutoRaise(false);
        spinLayout->addWidget(b);
    }
    connect(FUpButton, &QToolButton::clicked, this, [this] { UpClick(); });
    connect(FDownButton, &QToolButton::clicked, this, [this] { DownClick(); });

    FBitButton = new QToolButton(this);
    FBitButton->setFocusPolicy(Qt::NoFocus);
    FBitButton->setText(QStringLiteral("…"));
    connect(FBitButton, &QToolButton::clicked, this, [this] { BitButtonClick(); });

    FSpinButton->resize(ButtonWidth, ButtonHeight);
    FBitButton->resize(ButtonWidth, ButtonHeight);
    setMinimumHeight(MinimumEditHeight());
    LayoutButtons();
}

TCustomButtonEdit::~TCustomButtonEdit() = default;

void TCustomButtonEdit::SetReadOnly(bool Value)
{
    FSpinButton->setEnabled(!Value);
    FBitButton->setEnabled(!Value);
    setReadOnly(Value);
}

void TCustomButtonEdit::SetSpinButtonVisible(bool Value)
{
    FSpinVisible = Value;
    FSpinButton->setVisible(Value);
    LayoutButtons();
}

void TCustomButtonEdit::SetBitButtonVisible(bool Value)
{
    FBitVisible = Value;
    FBitButton->setVisible(Value);
    LayoutButtons();
}

void TCustomButtonEdit::SetGlyph(const QPixmap &Value)
{
    FGlyph = Value;
    if (Value.isNull()) {
        FBitButton->setIcon(QIcon());
        FBitButton->setText(QStringLiteral("…"));
    } else {
        FBitButton->setIcon(QIcon(Value));
        FBitButton->setText(QString());
    }
}

bool TCustomButtonEdit::IsValidChar(QChar Key) const
{
    return Key != QChar('*');
}

void TCustomButtonEdit::UpClick()
{
    if (isReadOnly()) {
        SoundBeep(bkError);
        return;
    }
    if (OnUpClick)
        OnUpClick(this);
}

void TCustomButtonEdit::DownClick()
{
    if (isReadOnly()) {
        SoundBeep(bkError);
        return;
    }
    if (OnDownClick)
        OnDownClick(this);
}

void TCustomButtonEdit::BitButtonClick()
{
    if (OnBitButtonClick)
        OnBitButtonClick(this);
}

void TCustomButtonEdit::keyPressEvent(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->key() == Qt::Key_Up && mods == Qt::NoModifier) {
        UpClick();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Down && mods == Qt::NoModifier) {
        DownClick();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Asterisk && (e->modifiers() & Qt::KeypadModifier)) {
        BitButtonClick();
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut)) {
        if (!TextChangeAllowed()) {
            e->accept();
            return;
        }
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (!TypingAllowed() && (e->key() == Qt::Key_Delete || e->matches(QKeySequence::Undo)
                            || e->matches(QKeySequence::Redo))) {
        e->accept();
        return;
    }
    const QString text = e->text();
    if (text.size() == 1 && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        const QChar c = text[0];
        const bool typed = c.isPrint() || c == QChar('\b');
        if (typed && (!TypingAllowed() || !IsValidChar(c))) {
            SoundBeep(bkDefault);
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TCustomButtonEdit::inputMethodEvent(QInputMethodEvent *e)
{
    if (!TypingAllowed() && !e->commitString().isEmpty()) {
        e->accept();
        return;
    }
    QLineEdit::inputMethodEvent(e);
}

void TCustomButtonEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    if (e->reason() == Qt::MouseFocusReason || e->reason() == Qt::PopupFocusReason
        || e->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (FAutoSelect)
        selectAll();
    else
        deselect();
}

void TCustomButtonEdit::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu *menu = createStandardContextMenu();
    if (!TextChangeAllowed()) {
        for (QAction *a : menu->actions()) {
            const QString name = a->objectName();
            if (name == QLatin1String("edit-paste") || name == QLatin1String("edit-cut")
                || name == QLatin1String("edit-delete") || name == QLatin1String("edit-undo")
                || name == QLatin1String("edit-redo"))
                a->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TCustomButtonEdit::resizeEvent(QResizeEvent *e)
{
    QLineEdit::resizeEvent(e);
    const int minimum = MinimumEditHeight();
    if (height() < minimum)
        resize(width(), minimum);
    LayoutButtons();
}

void TCustomButtonEdit::changeEvent(QEvent *e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        FSpinButton->setEnabled(isEnabled());
        FBitButton->setEnabled(isEnabled());
    } else if (e->type() == QEvent::FontChange) {
        setMinimumHeight(MinimumEditHeight());
    }
}

int TCustomButtonEdit::MinimumEditHeight() const
{
    const int font = fontMetrics().height();
    const int system = QFontMetrics(QApplication::font()).height();
    return 4 * 1 + font + std::min(system, font) / 4 + 1;
}

void TCustomButtonEdit::LayoutButtons()
{
    const int spin = FSpinVisible ? ButtonWidth : 0;
    const int bit = FBitVisible ? ButtonWidth : 0;
    const int total = spin + bit;
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
    int x = width() - total - frame;
    const int y = frame;
    const int h = std::max(1, height() - 2 * frame);
    if (FSpinVisible) {
        FSpinButton->setGeometry(x, y, ButtonWidth, h);
        x += ButtonWidth;
    }
    if (FBitVisible)
        FBitButton->setGeometry(x, y, ButtonWidth, h);
    setTextMargins(0, 0, total, 0);
}
