#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QFontInfo>

#include "framework/TextPagePrinter.h"
#include "support/TestPrinter.h"

using testsupport::TestPrinterDevice;

TEST(TextPagePrinterProbe, Numbers)
{
    TestPrinterDevice printer;
    TTextPagePrinter page(nullptr, &printer);
    page.BeginDoc();
    page.WriteLine("Hello, world");
    page.NewLine();
    page.WriteLine("Здравей");
    page.EndDoc();
    const auto runs = page.Pages().Items(0)->TextRuns();
    for (const auto &r : runs)
        printf("run '%s' x=%g base=%g top=%d w=%g family=%s px=%d\n", qPrintable(r.text), r.baseline.x(), r.baseline.y(), r.top, r.width,
               qPrintable(QFontInfo(r.font).family()), r.font.pixelSize());
    printf("lh=%d pw=%d ph=%d\n", page.LineHeight(), page.PrintableWidthPixels(), page.PrintableHeightPixels());
    QFont f = page.Canvas()->font();
    QFontMetrics fm = page.Canvas()->fontMetrics();
    printf("font %s asc=%d desc=%d lead=%d blank=%d w80=%d\n", qPrintable(QFontInfo(f).family()), fm.ascent(), fm.descent(), fm.leading(), fm.horizontalAdvance(' '), fm.horizontalAdvance(QString(80, 'x')));
}
