#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "platform/print/RecordedPage.h"

using platform::RecordedPage;

namespace {

QFont Mono(int pixels)
{
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixels);
    return font;
}

void DrawSample(QPainter &p)
{
    p.setFont(Mono(42));
    p.drawText(QPointF(10, 50), "Стока Ab 12");
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(0, 100, 500, 100);
    p.translate(100, 200);
    p.drawRect(QRect(0, 0, 50, 20));
    p.drawLine(0, 0, 10, 0);
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    p.drawImage(QRectF(0, 30, 8, 8), image);
}

} // namespace

TEST(RecordedPage, ReportsItsResolutionToFontsAndPainters)
{
    RecordedPage page(QSize(2400, 3150), 300, 600);
    EXPECT_EQ(page.width(), 2400);
    EXPECT_EQ(page.height(), 3150);
    EXPECT_EQ(page.logicalDpiX(), 300);
    EXPECT_EQ(page.logicalDpiY(), 600);
    // A 10-point font on this device is measured at its vertical resolution.
    QFont font("Courier New", 10);
    QFontMetrics metrics(font, &page);
    EXPECT_NEAR(metrics.height(), 10 * 600 / 72.0 * 1.13, 15);
}

TEST(RecordedPage, RecordsTextLinesShapesAndImagesWithTheirTransform)
{
    RecordedPage page(QSize(1000, 1000), 300, 300);
    {
        QPainter p(&page);
        DrawSample(p);
    }
    const auto runs = page.TextRuns();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].text, "Стока Ab 12");
    EXPECT_EQ(runs[0].baseline, QPointF(10, 50));
    EXPECT_EQ(runs[0].top, 50 - QFontMetrics(Mono(42), &page).ascent());

    const auto lines = page.LineSegments();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].line, QLineF(0, 100, 500, 100));
    EXPECT_EQ(lines[0].penWidth, 2);
    // The second line was drawn under a translation.
    EXPECT_EQ(lines[1].line, QLineF(100, 200, 110, 200));

    int rects = 0, images = 0;
    for (const auto &item : page.Items()) {
        if (item.kind == RecordedPage::Kind::Rects) {
            ++rects;
            EXPECT_EQ(page.StateOf(item).transform.map(item.rects.first()).boundingRect(), QRectF(100, 200, 50, 20));
        }
        if (item.kind == RecordedPage::Kind::Image) {
            ++images;
            EXPECT_EQ(item.image.pixelColor(1, 1), QColor(Qt::red));
        }
    }
    EXPECT_EQ(rects, 1);
    EXPECT_EQ(images, 1);
}

TEST(RecordedPage, ReplayDrawsWhatWasRecorded)
{
    RecordedPage page(QSize(700, 300), 300, 300);
    {
        QPainter p(&page);
        DrawSample(p);
    }
    // Replayed onto another recording: the same runs and lines.
    RecordedPage copy(QSize(700, 300), 300, 300);
    {
        QPainter p(&copy);
        page.Replay(p);
    }
    ASSERT_EQ(copy.TextRuns().size(), 1);
    EXPECT_EQ(copy.TextRuns()[0].text, page.TextRuns()[0].text);
    EXPECT_EQ(copy.TextRuns()[0].baseline, page.TextRuns()[0].baseline);
    ASSERT_EQ(copy.LineSegments().size(), page.LineSegments().size());
    for (int i = 0; i < copy.LineSegments().size(); ++i)
        EXPECT_EQ(copy.LineSegments()[i].line, page.LineSegments()[i].line);

    // Replayed onto an image at the painter's own scale: pixels where the
    // drawing put them, nothing elsewhere.
    QImage image(350, 150, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.scale(0.5, 0.5);
        page.Replay(p);
    }
    EXPECT_EQ(image.pixelColor(100, 50), QColor(Qt::black)); // the line at y 100
    EXPECT_EQ(image.pixelColor(52, 117), QColor(Qt::red));    // the image at (100, 230)
    EXPECT_EQ(image.pixelColor(300, 140), QColor(Qt::white));
}

TEST(RecordedPage, DrawingAfterAClipIsRestoredAwayIsNotClipped)
{
    platform::RecordedPage page(QSize(400, 400), 96, 96);
    {
        QPainter p(&page);
        p.save();
        p.setClipRect(QRect(0, 0, 400, 400));
        p.save();
        p.translate(10, 10);
        p.setClipRect(QRect(0, 0, 50, 50), Qt::IntersectClip);
        p.fillRect(QRect(0, 0, 100, 100), Qt::red);
        p.restore();
        p.fillRect(QRect(100, 100, 20, 20), Qt::green);
        p.restore();
        p.fillRect(QRect(200, 200, 50, 50), Qt::blue);
    }
    QImage image(400, 400, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        page.Replay(p);
    }
    EXPECT_EQ(QColor(Qt::red).rgb(), image.pixel(20, 20));
    EXPECT_EQ(QColor(Qt::white).rgb(), image.pixel(80, 80)); // cut by the inner clip
    EXPECT_EQ(QColor(Qt::green).rgb(), image.pixel(110, 110));
    EXPECT_EQ(QColor(Qt::blue).rgb(), image.pixel(220, 220));
}

// The preview replays a printer page onto the screen under a transform from
// printer to screen pixels: a font given in points keeps the size it had on
// the page, so 10-point text reads as 10 points at 100 %, not a tenth of it.
TEST(RecordedPage, ReplayOnTheScreenKeepsTheTextAtItsPrintedSize)
{
    RecordedPage page(QSize(4800, 1200), 600, 600);
    QFont font("DejaVu Sans");
    font.setPointSizeF(10);
    {
        QPainter p(&page);
        p.setFont(font);
        p.drawText(QPointF(100, 600), "ЖЖЖЖ");
    }
    QImage screen(800, 200, QImage::Format_RGB32);
    screen.setDotsPerMeterX(3780); // 96 dpi
    screen.setDotsPerMeterY(3780);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        p.scale(96.0 / 600, 96.0 / 600);
        page.Replay(p);
    }
    int top = screen.height(), bottom = -1, right = -1;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (qGray(screen.pixel(x, y)) < 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                right = std::max(right, x);
            }
    ASSERT_GE(bottom, 0) << "nothing was drawn";
    // A capital of a 10-point font is about 9.5 screen pixels high at 96 dpi
    // and four of them are about 50 pixels wide.
    EXPECT_NEAR(bottom - top + 1, 10, 2);
    EXPECT_NEAR(right - 100 * 96 / 600, 50, 12);

    // Replayed at the page's own resolution (the printer), nothing changes.
    RecordedPage copy(QSize(4800, 1200), 600, 600);
    {
        QPainter p(&copy);
        page.Replay(p);
    }
    ASSERT_EQ(copy.TextRuns().size(), 1);
    EXPECT_EQ(copy.TextRuns()[0].font.pointSizeF(), 10);
}
