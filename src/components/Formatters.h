#pragma once
// Cell value formatters: attached to grid cells, columns or rows through
// their attributes, they read a cell's text (or the value stored in the
// cell) as a typed value and show it uniformly: numbers right-aligned with a
// fixed number of decimals and negatives tinted, dates as dd.MM.yyyy.
//
// A text that does not read as a number is "no value"; with
// NoChangeOnNoValue False (ZeroOnNoValue, the default of the number
// formatters) an empty or unreadable numeric cell shows 0 with the
// decimals. Nothing here throws while a grid paints.
#include <QVariant>
#include <memory>

#include "components/RichGrid.h"

// The type of value a formatter reads and shows.
enum class TValueType { vtText, vtNumber, vtDate };

class TCustomValueFormatter : public TCellFormatter
{
public:
    explicit TCustomValueFormatter(QObject *AOwner = nullptr);

    QVariant Value() const { return value_; }
    bool HaveValue() const { return haveValue_; }
    TValueType ValueType() const { return valueType_; }
    QVariant DefaultValue() const { return defaultValue_; }
    bool NoChangeOnNoValue() const { return noChangeOnNoValue_; }
    void SetNoChangeOnNoValue(bool value);
    // With it the value read is also stored into the cell.
    bool SetGridValue() const { return setGridValue_; }
    void SetSetGridValue(bool value) { setGridValue_ = value; }

    // May change the value read from CellText, or supply one.
    std::function<void(QObject *Sender, const QString &CellText, QVariant &Value, bool &HaveValue)> OnGetValue;

    void FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                    TCellAttributes &ACellAttributes) override;
    // DefaultValue converted to the value type.
    virtual void GetDefaultValue(QVariant &V) const;
    virtual void SetDefaultValue(const QVariant &V);
    // Reads the value of the text being formatted, then fires OnGetValue; a
    // value of another type than the formatter's counts as none.
    virtual void DoGetValue();

protected:
    // The value of the text being formatted by the formatter's own rule.
    virtual void ReadValue();
    // The text of a value as the plain formatter writes it.
    virtual QString ValueText() const;
    bool IsOfValueType(const QVariant &V) const;

    TValueType valueType_ = TValueType::vtText;
    QVariant value_;
    bool haveValue_ = false;
    QVariant defaultValue_;
    bool noChangeOnNoValue_ = true;
    bool setGridValue_ = false;
    // the text being formatted
    QString cellText_;
};

class TNumberFormatter : public TCustomValueFormatter
{
public:
    explicit TNumberFormatter(QObject *AOwner = nullptr);
    ~TNumberFormatter() override;

    bool MarkNegative() const { return markNegative_; }
    void SetMarkNegative(bool value);
    // Laid over a cell whose value is below 0 (with MarkNegative); its own
    // values only, BackColor $CFCDF5 to begin with.
    TCellAttributes *NegativeAttr() const { return negativeAttr_.get(); }
    bool ZeroOnNoValue() const { return !noChangeOnNoValue_; }
    void SetZeroOnNoValue(bool value) { SetNoChangeOnNoValue(!value); }

    void FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                    TCellAttributes &ACellAttributes) override;

protected:
    void ReadValue() override;
    // The value as a number (0 without a value).
    long double Number() const;
    // Whether the value counts as below 0 as shown.
    virtual bool IsNegativeValue() const;

private:
    bool markNegative_ = false;
    std::unique_ptr<TCellAttributes> negativeAttr_;
};

class TFloatFormatter : public TNumberFormatter
{
public:
    explicit TFloatFormatter(QObject *AOwner = nullptr);

    int Precision() const { return precision_; }
    void SetPrecision(int value);

    void FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                    TCellAttributes &ACellAttributes) override;

protected:
    bool IsNegativeValue() const override;

private:
    int precision_ = 2;
};

class TDateValueFormatter : public TCustomValueFormatter
{
public:
    explicit TDateValueFormatter(QObject *AOwner = nullptr);

    void FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                    TCellAttributes &ACellAttributes) override;

protected:
    void ReadValue() override;
    QString ValueText() const override;
};
