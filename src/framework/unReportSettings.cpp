#include "framework/unReportSettings.h"

#include <QStringList>

#include "core/unRegistryFuncs.h"

const QString BuiltInSettingName = QStringLiteral("Основна настройка");
const QString SettingNameForbiddenChars = QStringLiteral(",@|~\u00B0");

namespace {

const QChar RecordDelimiter(0x00B0);
const QChar FieldDelimiter('@');
const QChar ItemDelimiter('|');

QString ColsToText(const std::vector<bool> &Cols)
{
    QStringList items;
    items.reserve(int(Cols.size()));
    for (bool on : Cols)
        items << (on ? QStringLiteral("1") : QString());
    return items.join(ItemDelimiter);
}

std::vector<bool> ColsFromText(const QString &Text, int ColCount)
{
    std::vector<bool> cols(size_t(std::max(0, ColCount)), false);
    const QStringList items = Text.split(ItemDelimiter);
    for (int i = 0; i < items.size() && i < ColCount; ++i)
        cols[size_t(i)] = items[i] == QLatin1String("1");
    return cols;
}

// "name|size|bold,italic"; a part that does not read leaves the font's own.
void FontFromText(const QString &Text, QFont &Font)
{
    const QStringList parts = Text.split(ItemDelimiter);
    if (!parts.value(0).trimmed().isEmpty())
        Font.setFamily(parts.value(0));
    bool ok = false;
    const int size = parts.value(1).trimmed().toInt(&ok);
    if (ok && size > 0 && size <= 1638)
        Font.setPointSize(size);
    const QStringList flags = parts.value(2).split(QLatin1Char(','));
    Font.setBold(flags.value(0) == QLatin1String("1"));
    Font.setItalic(flags.value(1) == QLatin1String("1"));
}

QString FontToText(const QFont &Font)
{
    return Font.family() + ItemDelimiter + QString::number(Font.pointSize()) + ItemDelimiter
           + (Font.bold() ? QStringLiteral("1") : QStringLiteral("0")) + QLatin1Char(',')
           + (Font.italic() ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace

bool IsValidSettingName(const QString &Name)
{
    for (QChar ch : Name)
        if (SettingNameForbiddenChars.contains(ch))
            return false;
    return true;
}

QFont DefaultPrintObjectFont(int Object)
{
    static const int sizes[PrintObjectCount] = {8, 8, 14, 12, 10, 12, 10};
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(Object >= 0 && Object < PrintObjectCount ? sizes[Object] : 8);
    return font;
}

void SetDefaultPrintObjects(TReportSettings &Entry)
{
    for (int i = 0; i < PrintObjectCount; ++i) {
        Entry.Objects[size_t(i)].Font = DefaultPrintObjectFont(i);
        Entry.Objects[size_t(i)].Text.clear();
    }
    Entry.Objects[pobSystemInfo].Text = QStringLiteral("Стр.: %d / %d");
    Entry.Objects[pobCompanyHeader].Text = QStringLiteral("%s\r№ по НДР: %s\rБулстат: %s");
}

QString ReportSettingsToText(const TSettings &Settings)
{
    QStringList records;
    for (size_t i = 1; i < Settings.size(); ++i) {
        const TReportSettings &s = Settings[i];
        QStringList fields;
        fields << s.Name << (s.Default ? QStringLiteral("1") : QString()) << ColsToText(s.VisibleCols)
               << FontToText(s.Objects[pobTable].Font)
               << (s.Orientation == 0 ? QStringLiteral("Portrait") : QStringLiteral("Landscape"))
               << ColsToText(s.AutoResizeCols);
        records << fields.join(FieldDelimiter);
    }
    return records.join(RecordDelimiter);
}

void AppendReportSettingsFromText(const QString &Text, int ColCount, TSettings &Settings)
{
    if (Text.isEmpty())
        return;
    for (const QString &record : Text.split(RecordDelimiter)) {
        const QStringList fields = record.split(FieldDelimiter);
        if (fields.size() < 4)
            continue;
        TReportSettings s;
        SetDefaultPrintObjects(s);
        s.Name = fields[0];
        s.Default = fields[1] == QLatin1String("1");
        s.VisibleCols = ColsFromText(fields[2], ColCount);
        FontFromText(fields[3], s.Objects[pobTable].Font);
        s.Orientation = fields.value(4) == QLatin1String("Portrait") ? 0 : 1;
        s.AutoResizeCols = ColsFromText(fields.value(5), ColCount);
        Settings.push_back(std::move(s));
    }
}

void LoadReportSettings(const QString &Key, int ColCount, TSettings &Settings)
{
    if (Key.isEmpty())
        return;
    QString text;
    GetRegistrySetting(Key, text);
    AppendReportSettingsFromText(text, ColCount, Settings);
}

void SaveReportSettings(const QString &Key, const TSettings &Settings)
{
    if (Key.isEmpty())
        return;
    SetRegistrySetting(Key, ReportSettingsToText(Settings));
}
