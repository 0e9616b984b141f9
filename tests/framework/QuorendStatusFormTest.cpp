// The status form's texts, its clock and its gauge.
#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

#include "components/ExtStatusBar.h"
#include "framework/QuorendStatusForm.h"

TEST(QuorendStatusForm, ElapsedTimeTexts)
{
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(0), " Изминало време: 0 сек.");
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(5), " Изминало време: 5 сек.");
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(59), " Изминало време: 59 сек.");
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(60), " Изминало време: 1:00 мин.");
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(75), " Изминало време: 1:15 мин.");
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(3599), " Изминало време: 59:59 мин.");
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(3725), " Изминало време: 1:02:05");
    EXPECT_EQ(TQuorendStatusForm::ElapsedTimeText(26 * 3600 + 7), " Изминало време: 26:00:07");
}

TEST(QuorendStatusForm, FinishedAtText)
{
    EXPECT_EQ(TQuorendStatusForm::FinishedAtText(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 41))),
              " Към: 07.03.2024, 9:05");
    EXPECT_EQ(TQuorendStatusForm::FinishedAtText(QDateTime(QDate(2008, 12, 31), QTime(23, 59))),
              " Към: 31.12.2008, 23:59");
}

TEST(QuorendStatusForm, GaugeArithmetic)
{
    EXPECT_EQ(TQuorendStatusForm::GaugePercent(3, 8), 38);
    EXPECT_EQ(TQuorendStatusForm::GaugePercent(1, 8), 13);
    EXPECT_EQ(TQuorendStatusForm::GaugePercent(1, 3), 33);
    EXPECT_EQ(TQuorendStatusForm::GaugePercent(8, 8), 100);
    EXPECT_EQ(TQuorendStatusForm::GaugePercent(12, 8), 100);
    EXPECT_EQ(TQuorendStatusForm::GaugePercent(-1, 8), 0);
    EXPECT_EQ(TQuorendStatusForm::GaugePercent(3000000000LL, 4000000000LL), 75);
}

namespace {
class TGaugeForm : public TQuorendStatusForm
{
public:
    TGaugeForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendStatusForm(AOwner, AFormStyle)
    {
        setObjectName("frmGauge");
    }
};
} // namespace

TEST(QuorendStatusFormGui, ProgressMessageIsQueuedAndIgnoresTotalZero)
{
    std::unique_ptr<TGaugeForm> form(CreateQuorendForm<TGaugeForm>(nullptr, fsNormal));
    form->PostProgress(3, 8);
    EXPECT_EQ(form->GaugePosition(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->GaugePosition(), 38);
    form->PostProgress(5, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->GaugePosition(), 38);
    form->PostProgress(9, 8);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->GaugePosition(), 100);

    // From a worker thread as well.
    std::unique_ptr<QThread> worker(QThread::create([&] { form->PostProgress(1, 4); }));
    worker->start();
    worker->wait();
    QCoreApplication::processEvents();
    EXPECT_EQ(form->GaugePosition(), 25);

    // An execute ends with the gauge at 0.
    form->Execute();
    EXPECT_EQ(form->GaugePosition(), 0);
}

TEST(QuorendStatusFormGui, ClockShowsTheTimeSinceTheStart)
{
    std::unique_ptr<TGaugeForm> form(CreateQuorendForm<TGaugeForm>(nullptr, fsNormal));
    EXPECT_EQ(form->TimeText(), "");
    // The tick reads the wall clock: a machine that stalls between the
    // lines below may see a second or more pass, never fewer.
    for (const qint64 ago : {75, 3725, 5}) {
        const QDateTime start = QDateTime::currentDateTime().addSecs(-ago);
        form->SetStartTime(start);
        form->TimerTimer();
        const qint64 upTo = start.secsTo(QDateTime::currentDateTime());
        QStringList possible;
        for (qint64 s = ago; s <= upTo; ++s)
            possible << TQuorendStatusForm::ElapsedTimeText(s);
        EXPECT_TRUE(possible.contains(form->TimeText())) << form->TimeText().toStdString();
    }
}

TEST(QuorendStatusFormGui, PanelsFollowTheirSwitches)
{
    std::unique_ptr<TGaugeForm> form(CreateQuorendForm<TGaugeForm>(nullptr, fsNormal));
    form->StatusBar->show();
    form->resize(800, 300);
    form->StatusBar->resize(800, form->StatusBar->height());
    form->LayoutStatusBar();
    TExtStatusPanels *panels = form->StatusBar->Panels();
    EXPECT_EQ(panels->GetItem(1)->Width(), 0);
    EXPECT_EQ(panels->GetItem(2)->Width(), 0);
    const int time = form->TimePanelWidth();
    EXPECT_GE(time, 150);
    EXPECT_GE(time, form->StatusBar->MeasureText(" Изминало време: 59:59 мин.").width());
    EXPECT_EQ(panels->GetItem(3)->Width(), time);
    EXPECT_EQ(panels->GetItem(0)->Width(), 800 - time);
    form->SetShowGauge(true);
    form->SetStopAllowed(true);
    EXPECT_EQ(panels->GetItem(1)->Width(), 100);
    EXPECT_EQ(panels->GetItem(2)->Width(), 20);
    EXPECT_EQ(panels->GetItem(0)->Width(), 800 - time - 120);
    EXPECT_EQ(form->buttonStop->x(), 800 - time - 120 + 100 + 3);
    form->SetShowTime(false);
    EXPECT_EQ(panels->GetItem(3)->Width(), 0);
    EXPECT_EQ(panels->GetItem(0)->Width(), 800 - 120);
    EXPECT_FALSE(form->buttonStop->isHidden());
}
