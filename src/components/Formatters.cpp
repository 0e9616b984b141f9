#include "components/Formatters.h"

#include <QDate>
#include <QDateTime>
#include <cmath>
#include <limits>

#include "core/uHelpers.h"

namespace {

bool IsNumberType(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool IsDateType(const QVariant &v)
{
    const int id = v.metaType().id();
    return id == QMetaType::QDate || id == QMetaType::QDateTime;
}

QDate DateOf(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return v.toDate();
}

// "d.m.yyyy" (a time after a blank is ignored); an invalid date otherwise.
QDate ReadDisplayDate(const QString &text)
{
    const QString date = text.trimmed().section(QLatin1Char(' '), 0, 0);
    const QStringList parts = date.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return QDate();
    int n[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        n[i] = parts[i].toInt(&ok);
        if (!ok || parts[i].isEmpty())
            return QDate();
    }
    return QDate(n[2], n[1], n[0]);
}

} // namespace

// ===========================================================================
// TCustomValueFormatter

TCustomValueFormatter::TCustomValueFormatter(QObject *AOwner) : TCellFormatter(AOwner) {}

void TCustomValueFormatter::SetNoChangeOnNoValue(bool value)
{
    if (noChangeOnNoValue_ == value)
        return;
    noChangeOnNoValue_ = value;
    Changed();
}

void TCustomValueFormatter::SetDefaultValue(const QVariant &V)
{
    if (defaultValue_.metaType() == V.metaType() && defaultValue_ == V)
        return;
    defaultValue_ = V;
    Changed();
}

void TCustomValueFormatter::GetDefaultValue(QVariant &V) const
{
    switch (valueType_) {
    case TValueType::vtNumber: {
        bool ok = false;
        const double d = defaultValue_.toDouble(&ok);
        V = QVariant(ok ? d : 0.0);
        break;
    }
    case TValueType::vtDate:
        V = IsDateType(defaultValue_) ? QVariant(DateOf(defaultValue_)) : QVariant(QDate());
        break;
    case TValueType::vtText:
        V = QVariant(defaultValue_.toString());
        break;
    }
}

bool TCustomValueFormatter::IsOfValueType(const QVariant &V) const
{
    if (!V.isValid())
        return false;
    switch (valueType_) {
    case TValueType::vtNumber:
        return IsNumberType(V);
    case TValueType::vtDate:
        return IsDateType(V) && DateOf(V).isValid();
    case TValueType::vtText:
        return V.metaType().id() == QMetaType::QString;
    }
    return false;
}

void TCustomValueFormatter::ReadValue()
{
    value_ = QVariant();
    haveValue_ = false;
    if (valueType_ == TValueType::vtText) {
        value_ = QVariant(cellText_);
        haveValue_ = true;
    }
}

void TCustomValueFormatter::DoGetValue()
{
    ReadValue();
    if (OnGetValue)
        OnGetValue(this, cellText_, value_, haveValue_);
    if (haveValue_ && !IsOfValueType(value_))
        haveValue_ = false;
}

QString TCustomValueFormatter::ValueText() const
{
    switch (valueType_) {
    case TValueType::vtNumber: {
        QString s;
        FloatToDotStr(-1, s, static_cast<long double>(value_.toDouble()));
        return s;
    }
    case TValueType::vtDate:
        return DateToDisplayText(DateOf(value_));
    case TValueType::vtText:
        return value_.toString();
    }
    return QString();
}

void TCustomValueFormatter::FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                                       TCellAttributes &ACellAttributes)
{
    TCellFormatter::FormatCell(AGrid, ACol, ARow, ACellText, ACellAttributes);
    value_ = QVariant();
    haveValue_ = false;
    const QVariant stored = AGrid.GetCellValue(ACol, ARow);
    if (IsOfValueType(stored)) {
        value_ = stored;
        haveValue_ = true;
    } else {
        cellText_ = ACellText;
        DoGetValue();
        if (!haveValue_) {
            if (!noChangeOnNoValue_) {
                GetDefaultValue(value_);
                haveValue_ = IsOfValueType(value_);
            } else {
                value_ = QVariant();
            }
        }
    }
    if (haveValue_) {
        ACellText = ValueText();
        if (setGridValue_)
            AGrid.SetCellValue(ACol, ARow, value_);
    }
}

// ===========================================================================
// TNumberFormatter

TNumberFormatter::TNumberFormatter(QObject *AOwner) : TCustomValueFormatter(AOwner)
{
    valueType_ = TValueType::vtNumber;
    noChangeOnNoValue_ = false;
    defaultValue_ = QVariant(0.0);
    negativeAttr_ = std::make_unique<TCellAttributes>();
    negativeAttr_->SetBackColor(0xCFCDF5);
    negativeAttr_->OnChange = [this](TCellAttributes &, int, int) { Changed(); };
}

TNumberFormatter::~TNumberFormatter() = default;

void TNumberFormatter::SetMarkNegative(bool value)
{
    if (markNegative_ == value)
        return;
    markNegative_ = value;
    Changed();
}

void TNumberFormatter::ReadValue()
{
    // '.' is the decimal separator of every number text; the number is what
    // is left of the digits, '-' and '.', and only a whole number reading
    // counts as a value.
    QString digits;
    KeepNumericChars(cellText_, digits);
    value_ = QVariant();
    haveValue_ = false;
    if (!digits.isEmpty()) {
        const long double n = DotStrToFloat(digits, std::numeric_limits<long double>::quiet_NaN());
        // A value is a double: a number past its range reads as none
        // rather than as "inf".
        const double d = static_cast<double>(n);
        if (std::isfinite(d)) {
            value_ = QVariant(d);
            haveValue_ = true;
        }
    }
}

long double TNumberFormatter::Number() const
{
    bool ok = false;
    const double d = value_.toDouble(&ok);
    return ok ? static_cast<long double>(d) : 0.0L;
}

bool TNumberFormatter::IsNegativeValue() const
{
    return haveValue_ && Number() < 0;
}

void TNumberFormatter::FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                                  TCellAttributes &ACellAttributes)
{
    TCustomValueFormatter::FormatCell(AGrid, ACol, ARow, ACellText, ACellAttributes);
    if (!haveValue_ && ZeroOnNoValue() && setGridValue_)
        AGrid.SetCellValue(ACol, ARow, QVariant(0.0));
    if (haveValue_ || ZeroOnNoValue())
        ACellAttributes.SetAlignment(TCellAlignment{caRight, caCenter});
    if (markNegative_ && IsNegativeValue())
        negativeAttr_->ApplyTo(ACellAttributes);
}

// ===========================================================================
// TFloatFormatter

TFloatFormatter::TFloatFormatter(QObject *AOwner) : TNumberFormatter(AOwner) {}

void TFloatFormatter::SetPrecision(int value)
{
    if (precision_ == value)
        return;
    precision_ = value;
    Changed();
}

bool TFloatFormatter::IsNegativeValue() const
{
    // A value that shows as 0.00 is not marked as a negative one.
    return haveValue_ && RoundFloat(precision_, Number()) < 0;
}

void TFloatFormatter::FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                                 TCellAttributes &ACellAttributes)
{
    TNumberFormatter::FormatCell(AGrid, ACol, ARow, ACellText, ACellAttributes);
    if (haveValue_ || ZeroOnNoValue())
        FloatToDotStr(precision_, ACellText, haveValue_ ? Number() : 0.0L);
}

// ===========================================================================
// TDateValueFormatter

TDateValueFormatter::TDateValueFormatter(QObject *AOwner) : TCustomValueFormatter(AOwner)
{
    valueType_ = TValueType::vtDate;
}

void TDateValueFormatter::ReadValue()
{
    const QDate d = ReadDisplayDate(cellText_);
    value_ = d.isValid() ? QVariant(d) : QVariant();
    haveValue_ = d.isValid();
}

QString TDateValueFormatter::ValueText() const
{
    return DateToDisplayText(DateOf(value_));
}

void TDateValueFormatter::FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                                     TCellAttributes &ACellAttributes)
{
    TCustomValueFormatter::FormatCell(AGrid, ACol, ARow, ACellText, ACellAttributes);
    if (haveValue_)
        ACellText = ValueText();
}
