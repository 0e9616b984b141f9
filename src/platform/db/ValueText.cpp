#include "platform/db/ValueText.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

#include "platform/db/JetSql.h"

namespace platform {

Rendering RenderingOf(const char *declType)
{
    if (!declType || !*declType)
        return Rendering::ByValue;
    const QString t = QString::fromUtf8(declType);
    if (JetSql::IsFlagType(t))
        return Rendering::Flag;
    if (JetSql::IsDateType(t))
        return Rendering::Date;
    return Rendering::ByValue;
}

QString FormatGeneral(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 || std::isnan(value) ? QStringLiteral("0") : QString::number(value);
    // 15 significant digits in the shortest form, without the process locale.
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

namespace {

void AppendDigits(QString &out, int value, int width)
{
    char buf[16];
    int n = 0;
    unsigned v = static_cast<unsigned>(value < 0 ? -value : value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        out += QLatin1Char('-');
    for (int i = n; i < width; ++i)
        out += QLatin1Char('0');
    while (n)
        out += QLatin1Char(buf[--n]);
}

// Julian day number of 30.12.1899, the day 0 of the system's dates.
constexpr qint64 kDayZeroJulian = 2415019;

} // namespace

QString DayNumberText(double day)
{
    const double whole = std::floor(day);
    if (!std::isfinite(day) || std::fabs(whole) > 3.0e6)
        return FormatGeneral(day);
    const QDate date = QDate::fromJulianDay(kDayZeroJulian + static_cast<qint64>(whole));
    if (!date.isValid())
        return FormatGeneral(day);
    QString out;
    out.reserve(19);
    AppendDigits(out, date.day(), 2);
    out += QLatin1Char('.');
    AppendDigits(out, date.month(), 2);
    out += QLatin1Char('.');
    AppendDigits(out, date.year(), 4);
    const double fraction = day - whole;
    if (fraction > 0) {
        const int seconds = static_cast<int>(std::lround(fraction * 86400.0));
        if (seconds > 0 && seconds < 86400) {
            out += QLatin1Char(' ');
            AppendDigits(out, seconds / 3600, 2);
            out += QLatin1Char(':');
            AppendDigits(out, seconds / 60 % 60, 2);
            out += QLatin1Char(':');
            AppendDigits(out, seconds % 60, 2);
        }
    }
    return out;
}

QString RenderColumn(sqlite3_stmt *stmt, int col, Rendering rendering)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, col);
        if (rendering == Rendering::Flag)
            return v ? QStringLiteral("True") : QStringLiteral("False");
        if (rendering == Rendering::Date)
            return DayNumberText(static_cast<double>(v));
        return QString::number(v);
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, col);
        if (rendering == Rendering::Flag)
            return v != 0.0 ? QStringLiteral("True") : QStringLiteral("False");
        if (rendering == Rendering::Date)
            return DayNumberText(v);
        return FormatGeneral(v);
    }
    default: {
        const char *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
        const int bytes = sqlite3_column_bytes(stmt, col);
        return QString::fromUtf8(text, bytes);
    }
    }
}

} // namespace platform
