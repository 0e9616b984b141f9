#pragma once
// The named print settings of a printed table: the print objects (page,
// table, title, filter, system information, subtitle, company header) with
// their fonts and margins, which columns print and which stretch, the
// orientation, and the one registry value per report that keeps them.
//
// The stored text: records joined by '°', fields by '@' in the order name,
// default ("1" or empty), visible columns ("1" or empty items joined by
// '|'), table font ("name|size|bold,italic"), "Portrait" or "Landscape",
// stretching columns (as the visible ones). The built-in entry 0 is never
// stored; only the table font of an entry is.
#include <QFont>
#include <QString>
#include <array>
#include <vector>

struct TPrintObjectData
{
    // A format text (system information, company header).
    QString Text;
    // Millimetres; -1: the object has no such margin.
    double Left = -1, Right = -1, Top = -1, Bottom = -1;
    QFont Font;
};

// The print objects of an entry, in their stored order.
enum TPrintObjectIndex {
    pobPage = 0,
    pobTable = 1,
    pobTitle = 2,
    pobFilter = 3,
    pobSystemInfo = 4,
    pobSubTitle = 5,
    pobCompanyHeader = 6,
};
constexpr int PrintObjectCount = 7;

using TVisibleCols = std::vector<bool>;
using TAutoResizeCols = std::vector<bool>;

struct TReportSettings
{
    QString Name;
    TVisibleCols VisibleCols;
    TAutoResizeCols AutoResizeCols;
    bool Default = false;
    std::array<TPrintObjectData, PrintObjectCount> Objects;
    // 0 portrait, 1 landscape
    int Orientation = 0;
};

using TSettings = std::vector<TReportSettings>;

// The name of the built-in entry 0.
extern const QString BuiltInSettingName; // "Основна настройка"
// The characters a setting's name may not hold: they separate the stored
// records, fields and items.
extern const QString SettingNameForbiddenChars; // ",@|~°"
bool IsValidSettingName(const QString &Name);

// The fonts and texts every new or loaded entry starts with ("Times New
// Roman" at the sizes of each object; texts of the system information and
// the company header). Margins are left as they are.
void SetDefaultPrintObjects(TReportSettings &Entry);
QFont DefaultPrintObjectFont(int Object);

// The stored text of entries 1 and above.
QString ReportSettingsToText(const TSettings &Settings);
// Appends the entries stored in Text, each with default print objects and
// column lists of ColCount items. Records of fewer than four fields are
// skipped; a font that does not read keeps the default table font.
void AppendReportSettingsFromText(const QString &Text, int ColCount, TSettings &Settings);

// Through the registry value Key ("" loads nothing, saves nothing).
void LoadReportSettings(const QString &Key, int ColCount, TSettings &Settings);
void SaveReportSettings(const QString &Key, const TSettings &Settings);
