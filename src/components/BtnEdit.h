#pragma once
// The one-line edit with a spin button and a small button inside its right
// edge, on which the look-up fields (list edits, period edits) are built.
//
// Keys: Up and Down call UpClick and DownClick; the numeric-pad '*' calls
// BitButtonClick and goes no further. A typed character reaches the text only
// while EditorEnabled is on and IsValidChar accepts it; otherwise it is
// dropped with a beep. Paste and cut work only while EditorEnabled is on and
// the edit is not read-only. A read-only edit disables its buttons and
// beeps at Up and Down.
#include <QLineEdit>
#include <QPixmap>
#include <functional>

class QToolButton;

// The sounds of the edits: the default beep (a refused key) and the error
// beep (a refused action). Tests may replace the sound to count it.
enum TBeepKind { bkDefault = 0, bkError = 16 };
void SoundBeep(TBeepKind Kind);
using TBeepHandler = std::function<void(TBeepKind Kind)>;
// Installs Handler in place of the sound; returns the previous one. An
// empty handler plays the sound again.
TBeepHandler SetBeepHandler(TBeepHandler Handler);

class TCustomButtonEdit : public QLineEdit
{
    Q_OBJECT
public:
    // The size of each button.
    static constexpr int ButtonWidth = 15;
    static constexpr int ButtonHeight = 17;

    explicit TCustomButtonEdit(QWidget *parent = nullptr);
    ~TCustomButtonEdit() override;

    // Whether text may be typed, pasted or cut.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    // Read-only disables both buttons; leaving it enables them again.
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool Value);
    bool SpinButtonVisible() const { return FSpinVisible; }
    void SetSpinButtonVisible(bool Value);
    bool BitButtonVisible() const { return FBitVisible; }
    void SetBitButtonVisible(bool Value);
    QPixmap Glyph() const { return FGlyph; }
    void SetGlyph(const QPixmap &Value);
    // On entry other than by a mouse click the whole text is selected.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    QString Text() const { return text(); }
    void SetText(const QString &Value) { setText(Value); }

    QToolButton *UpButton() const { return FUpButton; }
    QToolButton *DownButton() const { return FDownButton; }
    QToolButton *BitButton() const { return FBitButton; }

    std::function<void(QObject *Sender)> OnUpClick;
    std::function<void(QObject *Sender)> OnDownClick;
    std::function<void(QObject *Sender)> OnBitButtonClick;

    // Whether a typed character may enter the text: every character but
    // '*', which is the key that drops a look-up down.
    virtual bool IsValidChar(QChar Key) const;
    // Up arrow or spin up: an error beep when read-only, else OnUpClick.
    virtual void UpClick();
    // Down arrow or spin down: an error beep when read-only, else OnDownClick.
    virtual void DownClick();
    // The small button (or numeric-pad '*'): OnBitButtonClick.
    virtual void BitButtonClick();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;

    // Puts the visible buttons inside the right edge and keeps the text
    // clear of them.
    void LayoutButtons();
    // The lowest height that shows the font whole.
    int MinimumEditHeight() const;
    // Whether the edit may change its text now (typing, paste, cut).
    bool TextChangeAllowed() const { return TypingAllowed() && !isReadOnly(); }
    // EditorEnabled, or the override a descendant sets for one key.
    bool TypingAllowed() const { return FEditorEnabled || FTypingOverride; }
    // While set, keys reach the text as if EditorEnabled were on (the
    // property itself still reads as it is).
    void SetTypingOverride(bool Value) { FTypingOverride = Value; }

private:
    bool FEditorEnabled = true;
    bool FTypingOverride = false;
    bool FSpinVisible = true;
    bool FBitVisible = true;
    bool FAutoSelect = true;
    QPixmap FGlyph;
    QWidget *FSpinButton = nullptr;
    QToolButton *FUpButton = nullptr;
    QToolButton *FDownButton = nullptr;
    QToolButton *FBitButton = nullptr;
};
