#pragma once
// The one-line edit in which quantities, prices, percentages and sums are
// typed. It keeps the number beside its text: the text shows the value with
// a fixed number of decimals, typing turns the text into the value at every
// change, optional bounds clamp it, and a negative value shows in a colour of
// its own.
//
// The value is kept unrounded and read rounded to Precision decimals with the
// program's own rounding (half away from zero, never "-0"). Typed text and
// text set by SetText are cut to 14 characters, as the edits of the system
// always were; the text of a written Value is shown whole.
#include <QLineEdit>
#include <functional>

#include "platform/EnumSet.h"
#include "platform/ui/Colors.h"

class TFloatEdit;

enum TValueConstraint { vcMinValue, vcMaxValue };
using TValueConstraints = platform::EnumSet<TValueConstraint>;

// How an edit marks a negative value: its font takes NegativeColor.
class TFloatEditNegativeAttrs
{
public:
    explicit TFloatEditNegativeAttrs(TFloatEdit *Owner = nullptr) : FOwner(Owner) {}

    bool MarkNegative() const { return FMarkNegative; }
    void SetMarkNegative(bool Value);
    TColor NegativeColor() const { return FNegativeColor; }
    void SetNegativeColor(TColor Value);

    // Copies both values; the owner stays the one this object was made for,
    // so that the copy repaints its own edit.
    void Assign(const TFloatEditNegativeAttrs &Source);

private:
    void Changed();

    TFloatEdit *FOwner;
    bool FMarkNegative = true;
    TColor FNegativeColor = clRed;
};

class TFloatEdit : public QLineEdit
{
    Q_OBJECT
public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };

    // Texts longer than this are cut when set and refused when typed.
    static constexpr int MaxTextLength = 14;

    explicit TFloatEdit(QWidget *parent = nullptr);

    // The stored value rounded to Precision decimals.
    long double Value() const;
    // Clamps X to the active bounds, stores it and (unless the operator is
    // typing) shows it with Precision decimals.
    void SetValue(long double X);

    long double MinValue() const { return FMinValue; }
    void SetMinValue(long double X);
    long double MaxValue() const { return FMaxValue; }
    void SetMaxValue(long double X);
    TValueConstraints ValueConstraints() const { return FValueConstraints; }
    void SetValueConstraints(TValueConstraints Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    TFloatEditNegativeAttrs &NegativeAttrs() { return FNegativeAttrs; }
    const TFloatEditNegativeAttrs &NegativeAttrs() const { return FNegativeAttrs; }
    void SetNegativeAttrs(const TFloatEditNegativeAttrs &Value) { FNegativeAttrs.Assign(Value); }

    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    bool Modified() const { return isModified(); }
    void SetModified(bool Value) { setModified(Value); }
    QString Text() const { return text(); }
    // Whether leaving the edit shows its value rounded to Precision (the
    // default). Off, a typed text stays as typed, so that a check can see
    // and refuse what rounding would hide (a code typed as 12.5 is no 13).
    bool RoundOnExit() const { return FRoundOnExit; }
    void SetRoundOnExit(bool Value) { FRoundOnExit = Value; }
    // Sets the text as the window's own text setting does: cut to
    // MaxTextLength characters, then read into the value.
    void SetText(const QString &Value);

    // The colour the font shows now (NegativeColor or clWindowText).
    TColor FontColor() const { return FFontColor; }

    // Fired at every change of the text and when a write of Value changes
    // the rounded value.
    std::function<void(QObject *Sender)> OnChange;
    std::function<void(QObject *Sender)> OnEnter;
    std::function<void(QObject *Sender)> OnExit;
    std::function<void(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    std::function<void(QObject *Sender, QChar &Key)> OnKeyPress;
    std::function<void(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift)> OnKeyUp;

    // Repaints the font in the colour the value calls for.
    void UpdateFontColor();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void TextChanged();
    // Whether X, shown with Precision decimals, keeps its whole part within
    // MaxTextLength characters.
    bool Showable(long double X) const;
    // Leaving the edit: the value shown in its canonical form, OnExit.
    void LeaveEdit();
    void FocusMoved(QWidget *Now);
    long double Clamped(long double X) const;
    // The text shown for X: Precision decimals, or after an unreadable text
    // the shortest form of the value.
    QString ValueText(long double X) const;
    void ShowText(const QString &S, bool Cut = true);

    long double FValue = 0;
    long double FMinValue = 0;
    long double FMaxValue = 0;
    TValueConstraints FValueConstraints;
    int FPrecision = 2;
    TAlignment FAlignment = taRightJustify;
    TFloatEditNegativeAttrs FNegativeAttrs;
    bool FAutoSelect = true;
    bool FRoundOnExit = true;
    TColor FFontColor = clWindowText;

    bool FUpdating = false; // Value is writing the text
    bool FTyping = false;   // typed text is turning into the value
    bool FRepair = false;   // typed text was unreadable: show the value
    bool FAway = false;     // the focus is in a menu or another window
};

// The edit's value as '.'-decimal text with the edit's own precision.
void FloatEditText(const TFloatEdit &Edit, QString &Result);
