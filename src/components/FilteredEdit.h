#pragma once
// The edit that keeps its text acceptable to a validator while it is typed:
// a keystroke, deletion or paste that would make the text invalid changes
// nothing. The font colour shows the state (valid, still valid, invalid) and
// an info label, when given, the state in words.
#include <QLineEdit>
#include <QPointer>
#include <functional>

#include "components/MyValidators.h"
#include "platform/ui/Colors.h"

#include <QLabel>

class TCustomFilteredEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TCustomFilteredEdit(QWidget *parent = nullptr);
    ~TCustomFilteredEdit() override;

    // The owned validator; giving one frees the previous one and switches
    // the validator on. Null: none.
    TCustomValidator *Validator() const { return FValidator; }
    void SetValidator(TCustomValidator *Value);
    bool ValidatorOff() const { return FValidatorOff; }
    void SetValidatorOff(bool Value);
    TValidateState DataState() const { return FDataState; }

    TColor InvalidColor() const { return FInvalidColor; }
    void SetInvalidColor(TColor Value) { FInvalidColor = Value; UpdateLook(); }
    TColor StillValidColor() const { return FStillValidColor; }
    void SetStillValidColor(TColor Value) { FStillValidColor = Value; UpdateLook(); }
    TColor ValidColor() const { return FValidColor; }
    void SetValidColor(TColor Value) { FValidColor = Value; UpdateLook(); }
    TColor OtherColor() const { return FOtherColor; }
    void SetOtherColor(TColor Value) { FOtherColor = Value; UpdateLook(); }
    // The label that shows the state text (none by default).
    QLabel *InfoPanel() const { return FInfoPanel; }
    void SetInfoPanel(QLabel *Value);
    // Whether the font colour follows the state.
    bool Colouring() const { return FColouring; }
    void SetColouring(bool Value) { FColouring = Value; UpdateLook(); }
    // The colour the state gives the font now.
    TColor StateColor() const;

    QString Text() const { return text(); }
    // Sets the text, marks the edit modified and checks the state.
    void SetText(const QString &Value);
    bool Modified() const { return isModified(); }
    void SetModified(bool Value) { setModified(Value); }

    // An optional conversion of typed characters.
    std::function<QChar(QChar C)> CharConverter;
    // Runs first at a typed character; the handler may change it (a null
    // character drops the key).
    std::function<void(QObject *Sender, QChar &Key)> OnKeyPress;
    std::function<void(QObject *Sender)> OnChange;

    // CharConverter, or C itself.
    virtual QChar ConvertChar(QChar C);
    // The validator's state of S, or vsValid without a validator.
    virtual TValidateState Validate(const QString &S);
    // Whether C may be typed after Prefix: the validator's character check
    // (always with the validator off).
    virtual bool IsCharAcceptable(const QString &Prefix, QChar C);
    // DataState := Validate(text); false when the validator is on and the
    // state is invalid.
    virtual bool CheckState();

    // The text after typing C into Text (selection Start..Start+Length, the
    // caret at Caret when nothing is selected), with the caret after it:
    // the selection is replaced, else C is inserted at the caret.
    virtual void TypeChar(QString &Text, int Start, int Length, int &Caret, QChar C);

    // Replaces the selection with the clipboard text when the result is
    // acceptable; otherwise nothing changes.
    void PasteChecked();

protected:
    void keyPressEvent(QKeyEvent *e) override;

    // Puts NewText with the caret at Caret when the state accepts it; else
    // the old text and selection stay. True when the text was put.
    bool TryText(const QString &NewText, int Caret);
    void UpdateLook();

private:
    void TextChanged();

    TCustomValidator *FValidator = nullptr;
    bool FValidatorOff = true;
    TValidateState FDataState = vsValid;
    TColor FInvalidColor = 0x0000FF;
    TColor FStillValidColor = 0xFF0000;
    TColor FValidColor = 0;
    TColor FOtherColor = 0;
    QPointer<QLabel> FInfoPanel;
    bool FColouring = true;
    bool FSetting = false;   // the program is writing the text
    QString FLastGood;       // the last text the state accepted
};

class TFilteredEdit : public TCustomFilteredEdit
{
    Q_OBJECT
public:
    explicit TFilteredEdit(QWidget *parent = nullptr) : TCustomFilteredEdit(parent) {}
};
