#pragma once
// The data form with a status bar: a message panel, a progress gauge, a
// stop button and an elapsed-time clock that ticks while a stoppable
// Execute runs.
//
// Long work moves the gauge by posting PostProgress(done, total) to its
// form (from any thread): the gauge shows done·100/total when the message
// is handled.
#include <QDateTime>

#include "components/ExtStatusBar.h"
#include "framework/QuorendForm.h"

class QTimer;

class TQuorendStatusForm : public TQuorendForm
{
    Q_OBJECT
public:
    explicit TQuorendStatusForm(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TQuorendStatusForm() override;

    bool Execute() override;
    bool InitForm() override;
    void InitControls() override;

    void SetStatusText(const QString &Text);
    void SetTimeText(const QString &Text);
    QString StatusText() const;
    QString TimeText() const;
    void SetShowGauge(bool Value);
    // Moves the gauge only when P differs from its position.
    void SetGaugePosition(int P);
    int GaugePosition() const;
    void LayoutStatusBar();
    // The time panel's width when shown: 150 pixels, or what the longest
    // clock text needs in the bar's font.
    int TimePanelWidth() const;

    // Stop is allowed during Execute: the clock ticks and Esc runs Stop.
    bool StopAllowed() const { return FStopAllowed; }
    void SetStopAllowed(bool Value);
    bool ShowGauge() const { return FShowGauge; }
    bool ShowTime() const { return FShowTime; }
    void SetShowTime(bool Value);
    QDateTime StartTime() const { return FStartTime; }
    void SetStartTime(const QDateTime &Value) { FStartTime = Value; }

    // Queues a progress message to this form; safe from any thread.
    void PostProgress(int Done, int Total);
    // The progress message: the gauge goes to Done·100/Total (rounded,
    // within 0..100); a Total of 0 leaves it as it is.
    void WMProgress(int Done, int Total);
    // One tick of the clock: the time panel shows the time since StartTime.
    void TimerTimer();

    // " Изминало време: " and the elapsed time: "h:nn:ss" from an hour on,
    // "n:ss мин." from a minute on, "s сек." below.
    static QString ElapsedTimeText(qint64 Seconds);
    // " Към: " and the date and time of When ("dd.mm.yyyy, h:nn").
    static QString FinishedAtText(const QDateTime &When);
    // Done·100/Total, rounded half up, within 0..100.
    static int GaugePercent(qint64 Done, qint64 Total);

    TExtStatusBar *StatusBar = nullptr;
    QToolButton *buttonStop = nullptr;
    QTimer *Timer = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FStopAllowed = false;
    bool FShowGauge = false;
    bool FShowTime = true;
    QDateTime FStartTime;
};
