#include "framework/QuorendStatusForm.h"

#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QTimer>
#include <QToolButton>

#include "components/ExtStatusBar.h"
#include "core/uHelpers.h"

namespace {

constexpr int MessagePanel = 0;
constexpr int GaugePanel = 1;
constexpr int StopPanel = 2;
constexpr int TimePanel = 3;

constexpr int GaugeWidth = 100;
constexpr int StopWidth = 20;
constexpr int TimeWidth = 150;

// Restores the status form's state after an Execute, on every path.
class ExecuteEpilogue
{
public:
    explicit ExecuteEpilogue(TQuorendStatusForm *Form) : form_(Form) {}
    ~ExecuteEpilogue()
    {
        try {
            form_->actStop->setEnabled(false);
            form_->Timer->stop();
            form_->SetTimeText(TQuorendStatusForm::FinishedAtText(QDateTime::currentDateTime()));
            form_->SetGaugePosition(0);
        } catch (...) {
        }
    }
    ExecuteEpilogue(const ExecuteEpilogue &) = delete;
    ExecuteEpilogue &operator=(const ExecuteEpilogue &) = delete;

private:
    TQuorendStatusForm *form_;
};

} // namespace

TQuorendStatusForm::TQuorendStatusForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendForm(AOwner, AFormStyle)
{
    StatusBar = new TExtStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    TExtStatusPanels *panels = StatusBar->Panels();
    panels->Add();                                  // message
    TExtStatusPanel *gauge = panels->Add();
    gauge->SetPanelType(sptGauge);
    gauge->SetAlignment(TExtStatusPanel::taCenter);
    gauge->GaugeAttrs()->SetBlankOnZero(true);
    panels->Add();                                  // the stop button's slot
    panels->Add();                                  // time
    layout()->addWidget(StatusBar);
    StatusBar->hide();
    StatusBar->installEventFilter(this);

    buttonStop = new QToolButton(StatusBar);
    buttonStop->setObjectName(QStringLiteral("buttonStop"));
    buttonStop->setAutoRaise(true);
    buttonStop->setFocusPolicy(Qt::NoFocus);
    buttonStop->setText(QStringLiteral("■"));
    buttonStop->setToolTip(QStringLiteral("Esc"));
    buttonStop->setEnabled(actStop->isEnabled());
    buttonStop->hide();
    connect(actStop, &QAction::changed, buttonStop, [this] { buttonStop->setEnabled(actStop->isEnabled()); });
    connect(buttonStop, &QToolButton::clicked, actStop, &QAction::trigger);

    Timer = new QTimer(this);
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
}

TQuorendStatusForm::~TQuorendStatusForm() = default;

void TQuorendStatusForm::InitControls()
{
    TQuorendForm::InitControls();
    FStopAllowed = false;
    FShowGauge = false;
    FShowTime = true;
    SetTimeText(QString());
    LayoutStatusBar();
}

bool TQuorendStatusForm::InitForm()
{
    actStop->setEnabled(false);
    LayoutStatusBar();
    StatusBar->update();
    return TQuorendForm::InitForm();
}

bool TQuorendStatusForm::Execute()
{
    if (FStopAllowed) {
        FStartTime = QDateTime::currentDateTime();
        Timer->start();
        actStop->setEnabled(true);
    }
    ExecuteEpilogue epilogue(this);
    return TQuorendForm::Execute();
}

void TQuorendStatusForm::SetStatusText(const QString &Text)
{
    StatusBar->Panels()->GetItem(MessagePanel)->SetText(Text);
}

QString TQuorendStatusForm::StatusText() const
{
    return StatusBar->Panels()->GetItem(MessagePanel)->Text();
}

void TQuorendStatusForm::SetTimeText(const QString &Text)
{
    StatusBar->Panels()->GetItem(TimePanel)->SetText(Text);
}

QString TQuorendStatusForm::TimeText() const
{
    return StatusBar->Panels()->GetItem(TimePanel)->Text();
}

void TQuorendStatusForm::SetShowGauge(bool Value)
{
    FShowGauge = Value;
    LayoutStatusBar();
}

void TQuorendStatusForm::SetStopAllowed(bool Value)
{
    FStopAllowed = Value;
    LayoutStatusBar();
}

void TQuorendStatusForm::SetShowTime(bool Value)
{
    FShowTime = Value;
    LayoutStatusBar();
}

void TQuorendStatusForm::SetGaugePosition(int P)
{
    TExtGaugeAttrs *gauge = StatusBar->Panels()->GetItem(GaugePanel)->GaugeAttrs();
    if (gauge->Position() != P)
        gauge->SetPosition(P);
}

int TQuorendStatusForm::GaugePosition() const
{
    return StatusBar->Panels()->GetItem(GaugePanel)->GaugeAttrs()->Position();
}

void TQuorendStatusForm::LayoutStatusBar()
{
    if (BusyFlags() & qbConstructing)
        return;
    TExtStatusPanels *panels = StatusBar->Panels();
    panels->GetItem(TimePanel)->SetWidth(FShowTime ? TimePanelWidth() : 0);
    panels->GetItem(GaugePanel)->SetWidth(FShowGauge ? GaugeWidth : 0);
    buttonStop->setVisible(FStopAllowed);
    panels->GetItem(StopPanel)->SetWidth(FStopAllowed ? StopWidth : 0);
    const int rest = StatusBar->width() - panels->GetItem(TimePanel)->Width() - panels->GetItem(StopPanel)->Width()
        - panels->GetItem(GaugePanel)->Width();
    panels->GetItem(MessagePanel)->SetWidth(qMax(0, rest));
    const int height = qMax(0, StatusBar->height() - 4);
    buttonStop->setGeometry(panels->GetItem(MessagePanel)->Width() + panels->GetItem(GaugePanel)->Width() + 3, 2,
                            StopWidth - 4, height);
}

int TQuorendStatusForm::TimePanelWidth() const
{
    // 150 pixels held the longest clock text in the system's font; a wider
    // font gets the room it needs.
    const int needed = StatusBar->MeasureText(ElapsedTimeText(59 * 60 + 59)).width() + 8;
    return qMax(TimeWidth, needed);
}

bool TQuorendStatusForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == StatusBar && event->type() == QEvent::Resize)
        LayoutStatusBar();
    return TQuorendForm::eventFilter(watched, event);
}

void TQuorendStatusForm::PostProgress(int Done, int Total)
{
    QMetaObject::invokeMethod(this, [this, Done, Total] { WMProgress(Done, Total); }, Qt::QueuedConnection);
}

void TQuorendStatusForm::WMProgress(int Done, int Total)
{
    if (Total != 0)
        SetGaugePosition(GaugePercent(Done, Total));
}

int TQuorendStatusForm::GaugePercent(qint64 Done, qint64 Total)
{
    if (Total == 0)
        return 0;
    if (Total < 0) {
        Total = -Total;
        Done = -Done;
    }
    if (Done <= 0)
        return 0;
    if (Done >= Total)
        return 100;
    return static_cast<int>((Done * 200 + Total) / (Total * 2));
}

void TQuorendStatusForm::TimerTimer()
{
    const qint64 seconds = FStartTime.isValid() ? FStartTime.secsTo(QDateTime::currentDateTime()) : 0;
    SetTimeText(ElapsedTimeText(seconds));
}

QString TQuorendStatusForm::ElapsedTimeText(qint64 Seconds)
{
    if (Seconds < 0)
        Seconds = 0;
    const qint64 hours = Seconds / 3600;
    const qint64 minutes = Seconds / 60 % 60;
    const qint64 seconds = Seconds % 60;
    QString elapsed;
    if (hours > 0)
        elapsed = QStringLiteral("%1:%2:%3")
                      .arg(hours)
                      .arg(minutes, 2, 10, QLatin1Char('0'))
                      .arg(seconds, 2, 10, QLatin1Char('0'));
    else if (minutes > 0)
        elapsed = QStringLiteral("%1:%2 мин.").arg(minutes).arg(seconds, 2, 10, QLatin1Char('0'));
    else
        elapsed = QStringLiteral("%1 сек.").arg(seconds);
    return QStringLiteral(" Изминало време: ") + elapsed;
}

QString TQuorendStatusForm::FinishedAtText(const QDateTime &When)
{
    return QStringLiteral(" Към: ") + DateToDisplayText(When.date()) + QStringLiteral(", ")
        + QStringLiteral("%1:%2").arg(When.time().hour()).arg(When.time().minute(), 2, 10, QLatin1Char('0'));
}
