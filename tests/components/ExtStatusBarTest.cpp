// The status bar: the shared timer, the gauge, fitted widths, immediate
// repainting, lock keys with and without the keyboard-monitor library.
#include <QApplication>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <dlfcn.h>
#include <memory>

#include "components/ExtStatusBar.h"
#include "platform/Exception.h"
#include "platform/system/KeyboardLocks.h"
#include "support/TestEnv.h"

namespace {


// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// A shown bar of a fixed size.
std::unique_ptr<TExtStatusBar> ShownBar(int width = 400)
{
    auto bar = std::make_unique<TExtStatusBar>();
    bar->resize(width, 24);
    bar->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    return bar;
}

TExtStatusPanel *AddGauge(TExtStatusBar &bar, int width)
{
    TExtStatusPanel *p = bar.Panels()->Add();
    p->SetPanelType(sptGauge);
    p->SetWidth(width);
    return p;
}

// The inside of panel i as it appears in a grab of the bar.
QRect Inner(TExtStatusBar &bar, int i)
{
    QRect r;
    bar.GetPanelRect(i, r);
    const int bw = bar.Panels()->GetItem(i)->BorderWidth();
    return r.adjusted(1 + bw, 1 + bw, -1 - bw, -1 - bw);
}

QImage Shot(TExtStatusBar &bar, const QRect &area)
{
    return bar.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(area);
}

// Whether some pixel has the colour, or comes within the tolerance of it
// (anti-aliased text rarely has a pixel of its pure colour).
bool HasColour(const QImage &image, const QRect &area, const QColor &colour, int tolerance = 0)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) +
                    qAbs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

} // namespace

TEST(ExtStatusBarTimer, IntervalFollowsTheMostDemandingPanel)
{
    {
        TExtStatusBar bar;
        TExtStatusPanels *panels = bar.Panels();
        EXPECT_EQ(nullptr, panels->Timer());

        panels->Add()->SetPanelType(sptDate);
        ASSERT_NE(nullptr, panels->Timer());
        EXPECT_EQ(60000, panels->Timer()->interval());
        EXPECT_TRUE(panels->Timer()->isActive());

        TExtStatusPanel *time = panels->Add();
        time->SetPanelType(sptTime);
        EXPECT_EQ(1000, panels->Timer()->interval());

        TExtStatusPanel *gauge = panels->Add();
        gauge->GaugeAttrs()->SetStyle(gsIndeterminate);
        gauge->SetPanelType(sptGauge);
        // A moving gauge waits, blank, until it is enabled.
        EXPECT_FALSE(gauge->Enabled());
        EXPECT_EQ(1000, panels->Timer()->interval());
        gauge->SetEnabled(true);
        EXPECT_EQ(50, panels->Timer()->interval());

        // A second date panel does not slow the timer down.
        panels->Add()->SetPanelType(sptDate);
        EXPECT_EQ(50, panels->Timer()->interval());
        EXPECT_EQ(QStringList{QStringLiteral("TExtStatusBar: Unbalanced timer registrations")},
                  ExtStatusBarConsistencyCheck());

        panels->Delete(gauge->Index());
        EXPECT_EQ(1000, panels->Timer()->interval());
        // A gauge turned to the percent style leaves the timer.
        TExtStatusPanel *second = panels->Add();
        second->SetPanelType(sptGauge);
        second->GaugeAttrs()->SetStyle(gsIndeterminate2);
        EXPECT_EQ(50, panels->Timer()->interval());
        second->GaugeAttrs()->SetStyle(gsPercent);
        EXPECT_EQ(1000, panels->Timer()->interval());

        panels->Delete(time->Index());
        EXPECT_EQ(60000, panels->Timer()->interval());
        panels->GetItem(0)->SetEnabled(false);
        panels->Delete(1);   // the second date panel
        EXPECT_EQ(nullptr, panels->Timer()) << "no registered panel left";
        panels->GetItem(0)->SetEnabled(true);
        EXPECT_EQ(60000, panels->Timer()->interval());

        // A disabled bar takes every panel off the timer.
        bar.setEnabled(false);
        EXPECT_EQ(nullptr, panels->Timer());
        bar.setEnabled(true);
        ASSERT_NE(nullptr, panels->Timer());
        EXPECT_EQ(60000, panels->Timer()->interval());
    }
    EXPECT_TRUE(ExtStatusBarConsistencyCheck().isEmpty()) << "freeing the bar pairs every registration";
}

TEST(ExtStatusBarTimer, DateAndTimeShowInTheProgramsFormats)
{
    TExtStatusBar bar;
    TExtStatusPanel *date = bar.Panels()->Add();
    date->SetPanelType(sptDate);
    TExtStatusPanel *both = bar.Panels()->Add();
    both->SetPanelType(sptDateTime);

    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(today, date->Text());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d{1,2}:\\d\\d:\\d\\d$"))
                    .match(both->Text())
                    .hasMatch())
        << both->Text().toStdString();
    EXPECT_TRUE(both->Text().startsWith(today + ' ') ||
                both->Text().startsWith(QDate::currentDate().addDays(1).toString("dd.MM.yyyy")));

    date->SetDateFormat(QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), date->Text());
    both->SetPanelType(sptTimeDate);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d \\d\\d\\.\\d\\d\\.\\d{4}$"))
                    .match(both->Text())
                    .hasMatch())
        << both->Text().toStdString();
}

TEST(ExtStatusBarTimer, TicksRefreshTimePanelsAndDatePanelsOnlyWhenTheDateChanges)
{
    TExtStatusBar bar;
    TExtStatusPanel *date = bar.Panels()->Add();
    date->SetPanelType(sptDate);
    TExtStatusPanel *time = bar.Panels()->Add();
    time->SetPanelType(sptTime);
    date->SetText(QStringLiteral("x"));
    const QString before = time->Text();
    ASSERT_TRUE(QTest::qWaitFor([&] { return time->Text() != before; }, 10000)) << "the time panel ticks";
    if (bar.Panels()->LastDate() == QDate::currentDate()) {
        EXPECT_EQ(QStringLiteral("x"), date->Text()) << "the same day: the date panel is left alone";
    }
}

TEST(ExtStatusBarGui, PercentGaugeSplitsItsFillAndText)
{
    auto bar = ShownBar();
    bar->Panels()->Add()->SetWidth(50);
    TExtStatusPanel *gauge = AddGauge(*bar, 104);   // 100 pixels inside
    gauge->GaugeAttrs()->SetColor(clRed);
    gauge->GaugeAttrs()->SetTextColor(clWhite);
    const QRect inner = Inner(*bar, 1);
    ASSERT_EQ(100, inner.width());
    const QColor red(255, 0, 0), white(255, 255, 255);
    const QColor barColour = platform::ToQColor(clBtnFace);
    const QColor fontColour = platform::ToQColor(clWindowText);

    gauge->GaugeAttrs()->SetPosition(37);
    QImage img = Shot(*bar, inner);
    for (int x = 0; x < 100; ++x)
        EXPECT_EQ(x < 37 ? red : barColour, img.pixelColor(x, 0)) << "column " << x;
    // The percentage is the text shown: the same picture as the text "37%".
    gauge->SetText(QStringLiteral("37%"));
    EXPECT_EQ(img, Shot(*bar, inner));
    gauge->SetText(QString());

    // The text takes the gauge's text colour over the fill, the bar's font
    // colour beyond it.
    gauge->GaugeAttrs()->SetPosition(50);
    gauge->SetText(QStringLiteral("WWWWWWWWWW"));
    img = Shot(*bar, inner);
    EXPECT_TRUE(HasColour(img, QRect(0, 0, 50, inner.height()), white));
    EXPECT_FALSE(HasColour(img, QRect(0, 0, 50, inner.height()), fontColour));
    EXPECT_TRUE(HasColour(img, QRect(50, 0, 50, inner.height()), fontColour));
    EXPECT_FALSE(HasColour(img, QRect(50, 0, 50, inner.height()), white));
    gauge->SetText(QString());

    // Past the end it is clamped: the whole inside filled, "100%" on it.
    gauge->GaugeAttrs()->SetPosition(250);
    EXPECT_EQ(100, gauge->GaugeAttrs()->Position());
    img = Shot(*bar, inner);
    for (int x = 0; x < 100; ++x)
        ASSERT_EQ(red, img.pixelColor(x, 0)) << "column " << x;
    EXPECT_TRUE(HasColour(img, img.rect(), white));
    gauge->SetText(QStringLiteral("100%"));
    EXPECT_EQ(img, Shot(*bar, inner));
    gauge->SetText(QString());

    // At 0: "0%" in the font colour, or nothing at all with BlankOnZero.
    gauge->GaugeAttrs()->SetPosition(-3);
    EXPECT_EQ(0, gauge->GaugeAttrs()->Position());
    img = Shot(*bar, inner);
    EXPECT_TRUE(HasColour(img, img.rect(), fontColour, 150));
    gauge->SetText(QStringLiteral("0%"));
    EXPECT_EQ(img, Shot(*bar, inner));
    gauge->SetText(QString());
    gauge->GaugeAttrs()->SetBlankOnZero(true);
    QImage blank(inner.size(), QImage::Format_RGB32);
    blank.fill(barColour);
    EXPECT_EQ(blank, Shot(*bar, inner));
}

TEST(ExtStatusBarGui, ChangesPaintAtOnceAndOnlyWhenTheValueChanges)
{
    auto bar = ShownBar();
    TExtStatusPanel *text = bar->Panels()->Add();
    text->SetWidth(200);
    TExtStatusPanel *gauge = AddGauge(*bar, 100);
    QCoreApplication::processEvents();
    PaintCounter counter;
    bar->installEventFilter(&counter);

    text->SetText(QStringLiteral("Запис ..."));
    const int afterText = counter.count;
    EXPECT_GE(afterText, 1) << "painted without the event loop";
    text->SetText(QStringLiteral("Запис ..."));
    EXPECT_EQ(afterText, counter.count);
    gauge->GaugeAttrs()->SetPosition(40);
    EXPECT_EQ(afterText + 1, counter.count);
    gauge->GaugeAttrs()->SetPosition(40);
    EXPECT_EQ(afterText + 1, counter.count);
    bar->removeEventFilter(&counter);

    EXPECT_THROW(bar->PaintPanelNow(2), EStringListError);
}

TEST(ExtStatusBarGui, AutoFitPanelsFollowTheirContent)
{
    auto bar = ShownBar();
    TExtStatusPanel *p = bar->Panels()->Add();
    p->SetWidth(300);
    p->SetAutoFit(true);
    p->SetText(QStringLiteral("Готово"));
    const int textWidth = QFontMetrics(bar->font()).horizontalAdvance(QStringLiteral("Готово"));
    EXPECT_EQ(textWidth + 6, p->Width());
    p->SetWidth(300);
    EXPECT_EQ(textWidth + 6, p->Width()) << "AutoFit governs the width";
    p->SetBorderWidth(3);
    EXPECT_EQ(textWidth + 6 + 3, p->Width());

    QFont big = bar->font();
    big.setPointSize(big.pointSize() * 2);
    bar->setFont(big);
    EXPECT_EQ(QFontMetrics(big).horizontalAdvance(QStringLiteral("Готово")) + 9, p->Width());
    bar->setFont(QFont());

    // Lock keys fit their caption; a picture fits itself and its text.
    TExtStatusPanel *caps = bar->Panels()->Add();
    caps->SetPanelType(sptScrollLock);
    EXPECT_EQ(QStringLiteral(" SCROLL "), caps->Text());
    EXPECT_TRUE(caps->AutoFit());
    EXPECT_EQ(QFontMetrics(bar->font()).horizontalAdvance(QStringLiteral(" SCROLL ")) + 6, caps->Width());

    TExtStatusPanel *glyph = bar->Panels()->Add();
    glyph->SetBorderWidth(2);
    glyph->SetPanelType(sptGlyph);
    QPixmap picture(16, 12);
    picture.fill(Qt::green);
    glyph->SetGlyph(picture);
    EXPECT_EQ(16 + 2 + 4, glyph->Width());
    glyph->SetText(QStringLiteral("A"));
    EXPECT_EQ(QFontMetrics(bar->font()).horizontalAdvance(QStringLiteral("A")) + 2 + 4 + 16 + 4,
              glyph->Width());

    // Other types stop fitting.
    glyph->SetPanelType(sptNormal);
    EXPECT_FALSE(glyph->AutoFit());
    glyph->SetWidth(77);
    EXPECT_EQ(77, glyph->Width());
}

TEST(ExtStatusBarGui, BallGaugeBouncesBetweenTheEnds)
{
    auto bar = ShownBar();
    TExtStatusPanel *gauge = AddGauge(*bar, 64);   // 60 pixels inside
    gauge->GaugeAttrs()->SetColor(clRed);
    gauge->GaugeAttrs()->SetSpeed(0);   // ignored
    EXPECT_EQ(4, gauge->GaugeAttrs()->Speed());
    gauge->GaugeAttrs()->SetSpeed(5);
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate);
    gauge->SetEnabled(true);
    const QRect inner = Inner(*bar, 0);
    ASSERT_EQ(60, inner.width());
    // A new width restarts the ball at the left, moving right.
    gauge->SetWidth(65);
    gauge->SetWidth(64);
    const int d = inner.height() - 2 * (inner.height() / 3);

    // Each paint moves the ball one step; its left edge tells where it is.
    QList<int> lefts;
    for (int step = 0; step < 30; ++step) {
        const QImage img = Shot(*bar, inner);
        int left = -1;
        for (int x = 0; x < img.width() && left < 0; ++x)
            for (int y = 0; y < img.height(); ++y)
                if (img.pixelColor(x, y) == QColor(255, 0, 0)) {
                    left = x;
                    break;
                }
        ASSERT_GE(left, 0);
        lefts << left;
    }
    // Position p shows its ball from p - 1: 5, 10, ... right up to the
    // point where p + d + 1 reaches the width, then back to below 2.
    int turn = 1;
    while (turn < lefts.size() && lefts[turn] > lefts[turn - 1])
        ++turn;
    const int rightmost = lefts[turn - 1] + 1;
    EXPECT_GE(rightmost + d + 1, 60);
    EXPECT_LT(rightmost - 5 + d + 1, 60);
    for (int i = 1; i < turn; ++i)
        EXPECT_EQ(5, lefts[i] - lefts[i - 1]);
    int back = turn;
    while (back < lefts.size() && lefts[back] < lefts[back - 1])
        ++back;
    ASSERT_LT(back, lefts.size()) << "turned again at the left";
    EXPECT_LT(lefts[back - 1] + 1, 2);
    EXPECT_GE(lefts[back - 1] + 1 + 5, 2);
}

TEST(ExtStatusBarGui, SweepingGaugeLeadsWithItsColourBothWays)
{
    auto bar = ShownBar();
    TExtStatusPanel *gauge = AddGauge(*bar, 204);   // 200 pixels inside
    gauge->GaugeAttrs()->SetColor(clRed);
    gauge->GaugeAttrs()->SetSpeed(10);
    gauge->GaugeAttrs()->SetStyle(gsIndeterminate2);
    EXPECT_EQ(50, bar->Panels()->Timer()->interval());
    const QRect inner = Inner(*bar, 0);
    ASSERT_EQ(200, inner.width());
    gauge->SetWidth(205);   // restarts it at the left, moving right
    gauge->SetWidth(204);

    // The picture: 100 columns from the bar's colour to the gauge colour.
    const QColor first = platform::ToQColor(clBtnFace), last(255, 0, 0);
    auto column = [&](int c) {
        auto ch = [c](int a, int b) { return qRound(a + (b - a) * c / 99.0); };
        return QColor(ch(first.red(), last.red()), ch(first.green(), last.green()),
                      ch(first.blue(), last.blue()));
    };
    // Each paint moves it one step; the first frame tells where it is (the
    // red end leads to the right).
    QImage img = Shot(*bar, inner);
    int red = -1;
    for (int x = 0; x < img.width(); ++x)
        if (img.pixelColor(x, 0) == last)
            red = x;
    ASSERT_GE(red, 99);
    int pos = red - 99, step = 10;
    int turns = 0;
    for (int frame = 0; frame < 60; ++frame) {
        if (frame > 0) {
            img = Shot(*bar, inner);
            pos += step;
            if (step > 0 && pos + 1 >= 200) {
                step = -10;
                ++turns;
            } else if (step < 0 && pos <= -100) {
                step = 10;
                ++turns;
            }
        }
        for (int x = 0; x < 200; ++x) {
            const int c = x - pos;
            const QColor expected = c < 0 || c > 99 ? first : column(step > 0 ? c : 99 - c);
            ASSERT_EQ(expected, img.pixelColor(x, img.height() / 2))
                << "frame " << frame << " column " << x << " picture at " << pos;
        }
    }
    EXPECT_EQ(2, turns) << "turned at the right and again at the left";
}

TEST(ExtStatusBarGui, OwnerDrawnPanelIsDrawnByItsEventOnly)
{
    auto bar = ShownBar();
    bar->Panels()->Add()->SetWidth(100);
    TExtStatusPanel *drawn = bar->Panels()->Add();
    drawn->SetWidth(100);
    drawn->SetPanelType(sptOwnerDraw);
    QList<int> barCalls;
    bar->OnDrawPanel = [&](TExtStatusBar *, TExtStatusPanel *panel, const QRect &) {
        barCalls << panel->Index();
    };
    drawn->OnDrawPanel = [](TExtStatusBar *b, TExtStatusPanel *, const QRect &r) {
        b->Canvas()->fillRect(r.adjusted(1, 1, -1, -1), QColor(0, 255, 0));
    };
    const QRect inner = Inner(*bar, 1);
    QImage green(inner.size(), QImage::Format_RGB32);
    green.fill(QColor(0, 255, 0));
    EXPECT_EQ(green, Shot(*bar, inner));
    EXPECT_TRUE(barCalls.contains(0) && barCalls.contains(1)) << "the bar's event sees every panel";

    // Without its event nothing of the panel shows, not even a text.
    drawn->OnDrawPanel = nullptr;
    QImage blank(inner.size(), QImage::Format_RGB32);
    blank.fill(platform::ToQColor(clBtnFace));
    EXPECT_EQ(blank, Shot(*bar, inner));
}

TEST(ExtStatusBarGui, EllipsisPanelShowsItsFullTextAsHint)
{
    auto bar = ShownBar();
    TExtStatusPanel *path = bar->Panels()->Add();
    path->SetWidth(120);
    path->SetText(QStringLiteral("/home/office/archive/2024/very/long/folder/bread.db"));
    path->SetPanelType(sptEllipsisPath);
    EXPECT_EQ(QStringLiteral("..."), path->Hint());
    EXPECT_EQ(path->Text(), path->ReportedHint());
    path->OnHintText = [](TExtStatusBar *, TExtStatusPanel *, QString &hint) { hint += " !"; };
    EXPECT_EQ(path->Text() + " !", path->ReportedHint());

    QRect r;
    bar->GetPanelRect(0, r);
    QHelpEvent help(QEvent::ToolTip, r.center(), bar->mapToGlobal(r.center()));
    QApplication::sendEvent(bar.get(), &help);
    EXPECT_EQ(path->Text() + " !", QToolTip::text());
    QToolTip::hideText();
}

TEST(ExtStatusBarGui, ClickReachesThePanelUnderTheCursorThenTheBar)
{
    auto bar = ShownBar();
    for (int i = 0; i < 3; ++i)
        bar->Panels()->Add()->SetWidth(100);
    QStringList calls;
    for (int i = 0; i < 3; ++i)
        bar->Panels()->GetItem(i)->OnClick = [&calls, i](TExtStatusPanel *) {
            calls << QStringLiteral("panel %1").arg(i);
        };
    bar->OnClick = [&calls](TExtStatusBar *) { calls << QStringLiteral("bar"); };
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ((QStringList{"panel 1", "bar"}), calls);

    // Panels keep their order when one moves or goes.
    TExtStatusPanel *last = bar->Panels()->GetItem(2);
    last->SetIndex(0);
    EXPECT_EQ(last, bar->Panels()->GetItem(0));
    calls.clear();
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_EQ((QStringList{"panel 2", "bar"}), calls);
    bar->Panels()->Delete(0);
    EXPECT_EQ(2, bar->Panels()->Count());
    EXPECT_THROW(bar->Panels()->GetItem(2), EStringListError);
    EXPECT_THROW(TExtStatusPanel(nullptr), Exception);
}

TEST(ExtStatusBarGui, LockKeyPanelsRepaintOnTheirKeyThroughTheHook)
{
    {
        auto bar = ShownBar();
        TExtStatusPanel *caps = bar->Panels()->Add();
        caps->SetPanelType(sptCapsLock);
        bar->Panels()->Add()->SetPanelType(sptNumLock);
        EXPECT_EQ(QStringList{QStringLiteral("TExtStatusBar: Keyboard hook still installed")},
                  ExtStatusBarConsistencyCheck());
        QCoreApplication::processEvents();
        QTest::keyClick(bar.get(), Qt::Key_A);   // clears a pending repaint-all
        QCoreApplication::processEvents();
        PaintCounter counter;
        bar->installEventFilter(&counter);
        QTest::keyClick(bar.get(), Qt::Key_A);
        EXPECT_EQ(0, counter.count);
        QTest::keyPress(bar.get(), Qt::Key_CapsLock);
        EXPECT_GE(counter.count, 1);
        bar->removeEventFilter(&counter);

        // Off where no keyboard indicators can be read: grey text, no
        // bar-coloured text.
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            EXPECT_FALSE(platform::LockKeyToggled(platform::VK_CAPITAL));
            const QRect inner = Inner(*bar, 0);
            const QImage img = Shot(*bar, inner);
            EXPECT_TRUE(HasColour(img, img.rect(),
                                  platform::ToQColor(clGrayText)));
            EXPECT_FALSE(HasColour(img, img.rect(), platform::ToQColor(clWindowText)));
        }
        caps->SetEnabled(false);
        EXPECT_EQ(QStringList{QStringLiteral("TExtStatusBar: Keyboard hook still installed")},
                  ExtStatusBarConsistencyCheck())
            << "the Num Lock panel still listens";
    }
    EXPECT_TRUE(ExtStatusBarConsistencyCheck().isEmpty());
}

TEST(ExtStatusBarGui, MonitorLibraryMissingFallsBackToTheHook)
{
    const QString previous = KbMonitorFileName();
    SetKbMonitorFileName(QStringLiteral("/nonexistent/KbMonitor"));
    {
        auto bar = ShownBar();
        bar->SetUseMonitorDLL(true);
        EXPECT_FALSE(bar->UseMonitorDLL()) << "no lock-key panel asked for it";
        bar->Panels()->Add()->SetPanelType(sptCapsLock);
        bar->SetUseMonitorDLL(true);
        EXPECT_FALSE(bar->UseMonitorDLL());
        EXPECT_FALSE(KbMonitorLoaded());
        EXPECT_EQ(QStringList{QStringLiteral("TExtStatusBar: Keyboard hook still installed")},
                  ExtStatusBarConsistencyCheck())
            << "the panel went back to the keyboard hook";
    }
    EXPECT_TRUE(ExtStatusBarConsistencyCheck().isEmpty());
    SetKbMonitorFileName(previous);
}

TEST(ExtStatusBarGui, MonitorLibraryWithoutTheEntryPointsStaysLoaded)
{
    const QString previous = KbMonitorFileName();
    SetKbMonitorFileName(QStringLiteral("libz.so.1"));   // loads, exports neither call
    {
        auto bar = ShownBar();
        bar->Panels()->Add()->SetPanelType(sptCapsLock);
        bar->SetUseMonitorDLL(true);
        EXPECT_TRUE(bar->UseMonitorDLL());
        EXPECT_TRUE(KbMonitorLoaded());
        EXPECT_TRUE(ExtStatusBarConsistencyCheck().isEmpty()) << "the panel left the keyboard hook";
        bar->SetUseMonitorDLL(false);
        EXPECT_FALSE(KbMonitorLoaded());
        bar->SetUseMonitorDLL(true);
    }
    EXPECT_FALSE(KbMonitorLoaded()) << "a freed bar lets the library go";
    EXPECT_TRUE(ExtStatusBarConsistencyCheck().isEmpty());
    SetKbMonitorFileName(previous);
}

TEST(ExtStatusBarGui, MonitorLibraryReportsLockKeyChanges)
{
    const QString previous = KbMonitorFileName();
    SetKbMonitorFileName(QStringLiteral(TOLVEX_KBMONITOR_STUB));
    // The test's own hold keeps the stub mapped (and its state with it)
    // while the bar loads and frees it.
    void *stub = dlopen(TOLVEX_KBMONITOR_STUB, RTLD_NOW);
    ASSERT_NE(nullptr, stub) << dlerror();
    auto toggle = reinterpret_cast<void (*)(unsigned, int)>(dlsym(stub, "StubToggleKey"));
    auto registered = reinterpret_cast<int (*)()>(dlsym(stub, "StubRegisteredWindows"));
    ASSERT_TRUE(toggle && registered);
    {
        auto bar = ShownBar();
        TExtStatusPanel *num = bar->Panels()->Add();
        num->SetPanelType(sptNumLock);
        bar->SetUseMonitorDLL(true);
        ASSERT_TRUE(bar->UseMonitorDLL());
        EXPECT_TRUE(KbMonitorLoaded());
        EXPECT_EQ(1, registered());
        EXPECT_TRUE(ExtStatusBarConsistencyCheck().isEmpty()) << "no keyboard hook with the library";

        const QRect inner = Inner(*bar, 0);
        const QColor on = platform::ToQColor(clWindowText);
        toggle(platform::VK_NUMLOCK, 1);
        QCoreApplication::processEvents();
        QImage img = Shot(*bar, inner);
        EXPECT_TRUE(HasColour(img, img.rect(), on)) << "Num Lock reads on";
        toggle(platform::VK_CAPITAL, 1);   // another key's panel is not there
        toggle(platform::VK_NUMLOCK, 0);
        QCoreApplication::processEvents();
        img = Shot(*bar, inner);
        EXPECT_FALSE(HasColour(img, img.rect(), on)) << "Num Lock reads off";

        bar->SetUseMonitorDLL(false);
        EXPECT_EQ(0, registered());
        EXPECT_FALSE(KbMonitorLoaded());
        bar->SetUseMonitorDLL(true);
        EXPECT_EQ(1, registered());
    }
    EXPECT_EQ(0, registered()) << "a freed bar leaves the library";
    EXPECT_FALSE(KbMonitorLoaded());
    SetKbMonitorFileName(previous);
    dlclose(stub);
}

TEST(ExtStatusBarGui, StatusFormLayoutRendersWithGaugeDateAndTime)
{
    QWidget form;
    form.resize(640, 120);
    auto *layout = new QVBoxLayout(&form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Стокови разписки"), &form), 1);
    auto *bar = new TExtStatusBar(&form);
    layout->addWidget(bar);
    TExtStatusPanel *message = bar->Panels()->Add();
    message->SetBorderWidth(2);
    message->SetWidth(240);
    TExtStatusPanel *gauge = AddGauge(*bar, 100);
    gauge->GaugeAttrs()->SetBlankOnZero(true);
    TExtStatusPanel *date = bar->Panels()->Add();
    date->SetPanelType(sptDate);
    date->SetWidth(110);
    TExtStatusPanel *time = bar->Panels()->Add();
    time->SetPanelType(sptTime);
    time->SetAlignment(TExtStatusPanel::taRightJustify);
    time->SetWidth(150);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    message->SetText(QStringLiteral("Зареждане на данните ..."));
    gauge->GaugeAttrs()->SetPosition(60);
    EXPECT_EQ(sptGauge, gauge->PanelType());
    EXPECT_EQ(TExtStatusPanel::taCenter, gauge->Alignment());
    EXPECT_EQ(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")), date->Text());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d$")).match(time->Text()).hasMatch());
    EXPECT_EQ(QStringLiteral("TExtStatusBar v1.0"), bar->Version());

    const QImage image = form.grab().toImage();
    const QString file = testsupport::OutputPath(QStringLiteral("ext_status_bar.png"));
    ASSERT_TRUE(image.save(file));
    // 60 % of the gauge's 96 inner pixels, rounded: 58 filled.
    const QRect inner = Inner(*bar, 1).translated(bar->pos());
    const QColor highlight = platform::ToQColor(clHighlight);
    EXPECT_EQ(highlight, image.pixelColor(inner.left() + 57, inner.top()));
    EXPECT_NE(highlight, image.pixelColor(inner.left() + 60, inner.top()));
}
