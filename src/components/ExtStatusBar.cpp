#include "components/ExtStatusBar.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QTimer>
#include <QToolTip>

#include "core/uHelpers.h"
#include "platform/Exception.h"
#include "platform/system/KeyboardLocks.h"

namespace {

// Posted to a bar when the application is activated or deactivated: its
// lock-key panels repaint, so that toggles made in other programs show.
const QEvent::Type RefreshLockKeysEvent = QEvent::Type(QEvent::User + 230);

const QString DefaultTimeFormat = QStringLiteral("H:mm:ss");

// Every process-wide piece of the bars' bookkeeping: the keyboard hook and
// its panels, and the count of timer registrations checked at program end.
struct BarGlobals
{
    QList<TExtStatusPanel *> hookPanels;
    QObject *hook = nullptr;
    bool RepaintAllLockKeys = false;
    int timerRegistrations = 0;
    int monitorHolders = 0;   // bars holding the keyboard-monitor library
    bool finalizerAdded = false;
};

BarGlobals &G()
{
    static BarGlobals globals;
    return globals;
}

struct LockKeyTableEntry
{
    TExtStatusPanelType type;
    int virtualKey;
    const char *caption;
};
const LockKeyTableEntry LockKeyTable[] = {
    {sptCapsLock, platform::VK_CAPITAL, " CAPS "},
    {sptNumLock, platform::VK_NUMLOCK, " NUM "},
    {sptScrollLock, platform::VK_SCROLL, " SCROLL "},
};

const LockKeyTableEntry *LockKeyEntry(TExtStatusPanelType type)
{
    for (const auto &e : LockKeyTable)
        if (e.type == type)
            return &e;
    return nullptr;
}

TExtStatusPanelType PanelTypeForKey(std::uintptr_t virtualKey)
{
    if (virtualKey == platform::VK_NUMLOCK)
        return sptNumLock;
    if (virtualKey == platform::VK_SCROLL)
        return sptScrollLock;
    return sptCapsLock;
}

int VirtualKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_CapsLock: return platform::VK_CAPITAL;
    case Qt::Key_NumLock: return platform::VK_NUMLOCK;
    case Qt::Key_ScrollLock: return platform::VK_SCROLL;
    default: return 0;
    }
}

// a * b / c rounded to the nearest, halves away from zero.
int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const qint64 n = qint64(a) * b;
    const qint64 q = (2 * (n < 0 ? -n : n) + (c < 0 ? -c : c)) / (2 * qint64(c < 0 ? -c : c));
    return int((n < 0) != (c < 0) ? -q : q);
}

// The current date and time as a date or time panel shows them. Every
// date and time of the bar goes through here.
QString DateTimeText(TExtStatusPanelType type, const QString &dateFormat, const QString &timeFormat,
                     const QDateTime &now)
{
    const QString d = dateFormat.isEmpty() ? DateToDisplayText(now.date())
                                           : QLocale::c().toString(now.date(), dateFormat);
    const QString t = QLocale::c().toString(now.time(), timeFormat.isEmpty() ? DefaultTimeFormat : timeFormat);
    switch (type) {
    case sptDate: return d;
    case sptTime: return t;
    case sptDateTime: return d + QLatin1Char(' ') + t;
    case sptTimeDate: return t + QLatin1Char(' ') + d;
    default: return QString();
    }
}

// Cuts a path in its middle, keeping its last part where there is room.
QString ElidePath(const QFontMetrics &fm, const QString &text, int width)
{
    if (fm.horizontalAdvance(text) <= width)
        return text;
    const int cut = qMax(text.lastIndexOf(QLatin1Char('/')), text.lastIndexOf(QLatin1Char('\\')));
    if (cut < 0)
        return fm.elidedText(text, Qt::ElideMiddle, width);
    const QString tail = text.mid(cut);
    const int room = width - fm.horizontalAdvance(tail);
    const QString head = room > 0 ? fm.elidedText(text.left(cut), Qt::ElideRight, room) : QString();
    if (head.isEmpty())
        return fm.elidedText(text, Qt::ElideLeft, width);
    return head + tail;
}

// Stands in for the thread keyboard hook: it sees the key events of the
// whole application and repaints the lock-key panels.
class LockKeyHook : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        BarGlobals &g = G();
        const QList<TExtStatusPanel *> panels = g.hookPanels;
        if (g.RepaintAllLockKeys) {
            g.RepaintAllLockKeys = false;
            for (TExtStatusPanel *p : panels)
                if (g.hookPanels.contains(p) && p->StatusBar())
                    p->StatusBar()->PaintPanelNow(p->Index());
            return false;
        }
        auto *key = static_cast<QKeyEvent *>(event);
        const int vk = VirtualKeyOf(key->key());
        if (event->type() != QEvent::KeyPress || key->isAutoRepeat() || vk == 0)
            return false;
        for (TExtStatusPanel *p : panels)
            if (g.hookPanels.contains(p) && p->PanelType() == PanelTypeForKey(vk) && p->StatusBar())
                p->StatusBar()->PaintPanelNow(p->Index());
        return false;
    }
};

void AddHookPanel(TExtStatusPanel *panel)
{
    BarGlobals &g = G();
    if (g.hookPanels.contains(panel))
        return;
    g.hookPanels.append(panel);
    if (!g.hook && qApp) {
        g.hook = new LockKeyHook;
        qApp->installEventFilter(g.hook);
    }
}

void RemoveHookPanel(TExtStatusPanel *panel)
{
    BarGlobals &g = G();
    if (!g.hookPanels.removeOne(panel) || !g.hookPanels.isEmpty() || !g.hook)
        return;
    if (qApp)
        qApp->removeEventFilter(g.hook);
    delete g.hook;
    g.hook = nullptr;
}

// Program end: what is still registered is reported and released.
void FinalizeBars()
{
    for (const QString &failure : ExtStatusBarConsistencyCheck())
        qCritical("%s", qPrintable(failure));
    BarGlobals &g = G();
    if (g.hook) {
        if (qApp)
            qApp->removeEventFilter(g.hook);
        delete g.hook;
        g.hook = nullptr;
    }
    g.hookPanels.clear();
    g.finalizerAdded = false;
    if (KbMonitorLoaded())
        UnloadKbMonitor();
}

// The grip at the bar's right end: it resizes the window, the bar paints it.
class PaintedSizeGrip : public QSizeGrip
{
public:
    using QSizeGrip::QSizeGrip;

protected:
    void paintEvent(QPaintEvent *) override {}
};

const int GripWidth = 15;

} // namespace

QStringList ExtStatusBarConsistencyCheck()
{
    QStringList failures;
    if (G().hook)
        failures << QStringLiteral("TExtStatusBar: Keyboard hook still installed");
    if (G().timerRegistrations != 0)
        failures << QStringLiteral("TExtStatusBar: Unbalanced timer registrations");
    return failures;
}

// ---------------------------------------------------------------- gauge

TExtGaugeAttrs::TExtGaugeAttrs(TExtStatusPanel *Owner) : FOwner(Owner) {}

void TExtGaugeAttrs::SetStyle(TExtGaugeStyle Value)
{
    if (Value == FStyle)
        return;
    const TExtGaugeStyle old = FStyle;
    FStyle = Value;
    FOwner->GaugeStyleChanging(old, Value);
    FOwner->RefreshPanel();
}

void TExtGaugeAttrs::SetPosition(int Value)
{
    const TPercent p = TPercent(qBound(0, Value, 100));
    if (p == FPosition)
        return;
    FPosition = p;
    FOwner->RefreshPanel();
}

void TExtGaugeAttrs::SetSpeed(int Value)
{
    if (Value >= 1)
        FSpeed = Value;
    FOwner->AnimStep = FOwner->AnimStep >= 0 ? FSpeed : -FSpeed;
}

void TExtGaugeAttrs::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    FOwner->GradientBitmap = QImage();
    FOwner->RefreshPanel();
}

void TExtGaugeAttrs::SetTextColor(TColor Value)
{
    if (Value == FTextColor)
        return;
    FTextColor = Value;
    FOwner->RefreshPanel();
}

void TExtGaugeAttrs::SetBlankOnZero(bool Value)
{
    if (Value == FBlankOnZero)
        return;
    FBlankOnZero = Value;
    FOwner->RefreshPanel();
}

void TExtGaugeAttrs::Assign(const TExtGaugeAttrs &Source)
{
    SetPosition(Source.Position());
    SetStyle(Source.Style());
    SetBlankOnZero(Source.BlankOnZero());
}

// ---------------------------------------------------------------- panel

TExtStatusPanel::TExtStatusPanel(TExtStatusPanels *Collection)
    : FCollection(Collection), FGaugeAttrs(this)
{
    if (!Collection)
        throw Exception(QStringLiteral("TExtStatusPanel owner must be TExtStatusPanesls"));
    Collection->AddItem(this);
}

TExtStatusPanel::~TExtStatusPanel()
{
    if (!FCollection)
        return;
    FCollection->RemoveTimerPanel(this);
    LeaveLockKey();
    FCollection->RemoveItem(this);
}

TExtStatusBar *TExtStatusPanel::StatusBar() const
{
    return FCollection ? FCollection->Owner() : nullptr;
}

int TExtStatusPanel::Index() const
{
    return FCollection ? FCollection->FItems.indexOf(const_cast<TExtStatusPanel *>(this)) : -1;
}

void TExtStatusPanel::SetIndex(int Value)
{
    const int current = Index();
    if (current < 0 || Value == current || Value < 0 || Value >= FCollection->Count())
        return;
    FCollection->FItems.move(current, Value);
    FCollection->Changed(nullptr);
}

QString TExtStatusPanel::DisplayName() const
{
    static const char *const names[] = {"sptNormal", "sptCapsLock", "sptNumLock", "sptScrollLock",
                                        "sptDate", "sptTime", "sptDateTime", "sptTimeDate",
                                        "sptEllipsisText", "sptEllipsisPath", "sptGlyph",
                                        "sptGauge", "sptOwnerDraw"};
    QString name;
    if (FPanelType == sptNormal || FPanelType == sptEllipsisText || FPanelType == sptEllipsisPath)
        name = FText;
    else
        name = QString::fromLatin1(names[FPanelType]);
    return name.isEmpty() ? QStringLiteral("TExtStatusPanel") : name;
}

bool TExtStatusPanel::IsLockKey() const
{
    return FPanelType == sptCapsLock || FPanelType == sptNumLock || FPanelType == sptScrollLock;
}

bool TExtStatusPanel::IsDateTime() const
{
    return FPanelType == sptDate || FPanelType == sptTime || FPanelType == sptDateTime ||
           FPanelType == sptTimeDate;
}

bool TExtStatusPanel::IsIndeterminateGauge() const
{
    return FPanelType == sptGauge && FGaugeAttrs.Style() != gsPercent;
}

bool TExtStatusPanel::NeedsTimer() const
{
    return IsDateTime() || IsIndeterminateGauge();
}

int TExtStatusPanel::VirtualKey() const
{
    const LockKeyTableEntry *e = LockKeyEntry(FPanelType);
    return e ? e->virtualKey : 0;
}

bool TExtStatusPanel::EffectivelyEnabled() const
{
    const TExtStatusBar *bar = StatusBar();
    return FEnabled && (!bar || bar->OwnEnabled());
}

void TExtStatusPanel::Join()
{
    if (IsLockKey())
        JoinLockKey();
    else if (NeedsTimer())
        FCollection->AddTimerPanel(this);
}

void TExtStatusPanel::Leave()
{
    FCollection->RemoveTimerPanel(this);
    LeaveLockKey();
}

void TExtStatusPanel::JoinLockKey()
{
    TExtStatusBar *bar = StatusBar();
    if (bar->UseMonitorDLL()) {
        AcquireMonitor();
    } else {
        AddHookPanel(this);
        bar->AddActivationPanel(this);
    }
}

void TExtStatusPanel::LeaveLockKey()
{
    RemoveHookPanel(this);
    if (TExtStatusBar *bar = StatusBar())
        bar->RemoveActivationPanel(this);
    ReleaseMonitor();
}

void TExtStatusPanel::AcquireMonitor()
{
    if (FMonitorAcquired)
        return;
    FMonitorAcquired = true;
    StatusBar()->AcquireKbMonitor();
    KeyState = platform::LockKeyToggled(VirtualKey());
}

void TExtStatusPanel::ReleaseMonitor()
{
    if (!FMonitorAcquired)
        return;
    FMonitorAcquired = false;
    StatusBar()->ReleaseKbMonitor();
}

void TExtStatusPanel::ResetAnimation()
{
    AnimPos = 0;
    AnimStep = FGaugeAttrs.Speed();
}

void TExtStatusPanel::ApplyEnabledState()
{
    if (EffectivelyEnabled()) {
        Join();
    } else {
        Leave();
        ResetAnimation();
    }
    RefreshPanel();
}

void TExtStatusPanel::GaugeStyleChanging(TExtGaugeStyle OldStyle, TExtGaugeStyle NewStyle)
{
    if (FPanelType != sptGauge || !EffectivelyEnabled())
        return;
    if (OldStyle != gsPercent)
        FCollection->RemoveTimerPanel(this);
    if (NewStyle != gsPercent)
        FCollection->AddTimerPanel(this);
}

void TExtStatusPanel::RefreshPanel()
{
    if (TExtStatusBar *bar = StatusBar())
        bar->PaintPanelNow(Index());
}

void TExtStatusPanel::SetGaugeAttrs(const TExtGaugeAttrs &Value)
{
    FGaugeAttrs.Assign(Value);
}

void TExtStatusPanel::SetAlignment(TAlignment Value)
{
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    RefreshPanel();
}

void TExtStatusPanel::SetBevel(TStatusPanelBevel Value)
{
    if (Value == FBevel)
        return;
    FBevel = Value;
    if (TExtStatusBar *bar = StatusBar())
        bar->update();
}

void TExtStatusPanel::SetBorderWidth(int Value)
{
    if (Value == FBorderWidth || Value < 0)
        return;
    FBorderWidth = Value;
    RecalcAutoWidth();
    RefreshPanel();
}

TExtStatusPanel::TBiDiMode TExtStatusPanel::BiDiMode() const
{
    const TExtStatusBar *bar = StatusBar();
    if (FParentBiDiMode && bar)
        return bar->layoutDirection() == Qt::RightToLeft ? bdRightToLeft : bdLeftToRight;
    return FBiDiMode;
}

void TExtStatusPanel::SetBiDiMode(TBiDiMode Value)
{
    FBiDiMode = Value;
    FParentBiDiMode = false;
    if (TExtStatusBar *bar = StatusBar())
        bar->update();
}

void TExtStatusPanel::SetParentBiDiMode(bool Value)
{
    if (Value == FParentBiDiMode)
        return;
    FParentBiDiMode = Value;
    if (TExtStatusBar *bar = StatusBar())
        bar->update();
}

void TExtStatusPanel::SetPanelType(TExtStatusPanelType Value)
{
    if (Value == FPanelType)
        return;
    const bool enabled = EffectivelyEnabled();
    if (enabled)
        Leave();
    FPanelType = Value;
    switch (Value) {
    case sptCapsLock:
    case sptNumLock:
    case sptScrollLock:
        SetText(QString::fromLatin1(LockKeyEntry(Value)->caption));
        SetAutoFit(true);
        if (enabled)
            Join();
        break;
    case sptDate:
    case sptTime:
    case sptDateTime:
    case sptTimeDate:
        SetAutoFit(false);
        if (enabled)
            Join();
        RefreshDateTimeText();
        break;
    case sptEllipsisText:
    case sptEllipsisPath:
        SetAutoFit(false);
        if (ReportedHint().isEmpty())
            FHint = QStringLiteral("...");
        break;
    case sptGlyph:
        SetAutoFit(true);
        break;
    case sptGauge:
        SetAutoFit(false);
        SetAlignment(taCenter);
        if (FGaugeAttrs.Style() != gsPercent) {
            // A moving gauge stays still and blank until it is enabled.
            SetEnabled(false);
            ResetAnimation();
        }
        break;
    case sptNormal:
    case sptOwnerDraw:
        SetAutoFit(false);
        break;
    }
    RefreshPanel();
}

void TExtStatusPanel::SetGlyph(const QPixmap &Value)
{
    FGlyph = Value;
    HandleGlyphChange();
}

void TExtStatusPanel::SetText(const QString &Value)
{
    if (Value == FText)
        return;
    FText = Value;
    RefreshPanel();
    RecalcAutoWidth();
}

void TExtStatusPanel::SetDateFormat(const QString &Value)
{
    if (Value == FDateFormat)
        return;
    FDateFormat = Value;
    if (IsDateTime())
        RefreshDateTimeText();
}

void TExtStatusPanel::SetTimeFormat(const QString &Value)
{
    if (Value == FTimeFormat)
        return;
    FTimeFormat = Value;
    if (IsDateTime())
        RefreshDateTimeText();
}

void TExtStatusPanel::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    ApplyEnabledState();
}

void TExtStatusPanel::SetWidth(int Value)
{
    if (Value == FWidth || FAutoFit)
        return;
    FWidth = Value;
    TExtStatusBar *bar = StatusBar();
    if (bar)
        bar->update();
    if (IsIndeterminateGauge()) {
        ResetAnimation();
        RefreshPanel();
    }
}

void TExtStatusPanel::SetAutoFit(bool Value)
{
    if (Value == FAutoFit)
        return;
    FAutoFit = Value;
    RecalcAutoWidth();
}

void TExtStatusPanel::SetHint(const QString &Value)
{
    FHint = Value;
}

QString TExtStatusPanel::ReportedHint() const
{
    QString hint = FHint;
    if ((FPanelType == sptEllipsisText || FPanelType == sptEllipsisPath) &&
        FHint == QLatin1String("..."))
        hint = FText;
    FireHintText(hint);
    return hint;
}

void TExtStatusPanel::FireHintText(QString &Hint) const
{
    if (OnHintText)
        OnHintText(StatusBar(), const_cast<TExtStatusPanel *>(this), Hint);
}

void TExtStatusPanel::FireClick()
{
    if (OnClick)
        OnClick(this);
}

void TExtStatusPanel::Assign(const TExtStatusPanel &Source)
{
    FGaugeAttrs.Assign(Source.FGaugeAttrs);
    SetAlignment(Source.Alignment());
    SetBevel(Source.Bevel());
    if (!Source.ParentBiDiMode())
        SetBiDiMode(Source.BiDiMode());
    SetParentBiDiMode(Source.ParentBiDiMode());
    SetGlyph(Source.Glyph());
    SetText(Source.Text());
    SetDateFormat(Source.DateFormat());
    SetTimeFormat(Source.TimeFormat());
    SetEnabled(Source.Enabled());
    SetWidth(Source.Width());
    SetAutoFit(Source.AutoFit());
    SetHint(Source.ReportedHint());
    OnDrawPanel = Source.OnDrawPanel;
    OnHintText = Source.OnHintText;
    SetPanelType(Source.PanelType());
}

void TExtStatusPanel::RecalcAutoWidth()
{
    TExtStatusBar *bar = StatusBar();
    if (FAutoFit && bar) {
        int width;
        if (FPanelType == sptGlyph) {
            const int glyphWidth = FGlyph.isNull() ? 0 : qRound(FGlyph.deviceIndependentSize().width());
            if (!FText.isEmpty())
                width = bar->MeasureText(FText).width() + 2 + 2 * FBorderWidth + glyphWidth + 4;
            else
                width = glyphWidth + FBorderWidth + 4;
        } else {
            width = bar->MeasureText(FText).width() + 6 + FBorderWidth;
        }
        if (width != FWidth) {
            FWidth = width;
            bar->update();
        }
    }
    RefreshPanel();
}

void TExtStatusPanel::RefreshDateTimeText()
{
    const QString text = DateTimeText(FPanelType, FDateFormat, FTimeFormat, QDateTime::currentDateTime());
    if (text != FText)
        SetText(text);
    RefreshPanel();
}

void TExtStatusPanel::HandleGlyphChange()
{
    if (FPanelType != sptGlyph)
        return;
    RefreshPanel();
    RecalcAutoWidth();
}

void TExtStatusPanel::TimerStep(bool DateChanged)
{
    switch (FPanelType) {
    case sptTime:
    case sptDateTime:
    case sptTimeDate:
        RefreshDateTimeText();
        break;
    case sptDate:
        if (DateChanged)
            RefreshDateTimeText();
        break;
    case sptGauge:
        if (FGaugeAttrs.Style() != gsPercent)
            RefreshPanel();
        break;
    default:
        break;
    }
}

bool TExtStatusPanel::LockKeyOn() const
{
    const TExtStatusBar *bar = StatusBar();
    if (bar && bar->UseMonitorDLL())
        return KeyState;
    return platform::LockKeyToggled(VirtualKey());
}

void TExtStatusPanel::PaintPanel(const QRect &Rect)
{
    TExtStatusBar *bar = StatusBar();
    if (FPanelType == sptOwnerDraw && OnDrawPanel) {
        OnDrawPanel(bar, this, Rect);
        return;
    }
    QRect r;
    bar->GetPanelRect(Index(), r);
    if (bar->Canvas())
        PaintInto(*bar->Canvas(), r);
}

void TExtStatusPanel::PaintInto(QPainter &Canvas, const QRect &Rect)
{
    TExtStatusBar *bar = StatusBar();
    if (!bar || Rect.isEmpty())
        return;
    const QRect r = Rect.adjusted(1, 1, -1, -1);
    if (r.isEmpty())
        return;
    const qreal dpr = Canvas.device() ? Canvas.device()->devicePixelRatioF() : 1.0;
    QPixmap bitmap(r.size() * dpr);
    bitmap.setDevicePixelRatio(dpr);
    {
        QPainter p(&bitmap);
        p.setFont(Canvas.font());
        QRect inner(0, 0, r.width(), r.height());
        p.fillRect(inner, platform::ToQColor(bar->Color()));
        if (FBorderWidth > 0)
            inner.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
        if (EffectivelyEnabled()) {
            switch (FPanelType) {
            case sptNormal:
            case sptDate:
            case sptTime:
            case sptDateTime:
            case sptTimeDate:
            case sptEllipsisText:
            case sptEllipsisPath:
                PaintText(p, inner);
                break;
            case sptCapsLock:
            case sptNumLock:
            case sptScrollLock:
                PaintLockKey(p, inner);
                break;
            case sptGlyph:
                PaintGlyph(p, inner);
                break;
            case sptGauge:
                if (FGaugeAttrs.Style() == gsPercent)
                    PaintPercentGauge(p, inner);
                else
                    PaintMovingGauge(p, inner);
                break;
            case sptOwnerDraw:
                return;   // its owner draws it; nothing of ours is shown
            }
        }
    }
    Canvas.drawPixmap(r.topLeft(), bitmap);
}

namespace {
int TextFlags(TExtStatusPanel::TAlignment alignment, bool autoFit, QRect *moveRightEdge)
{
    int flags = Qt::TextSingleLine | Qt::AlignVCenter;
    if (autoFit)
        return flags | Qt::AlignHCenter;
    switch (alignment) {
    case TExtStatusPanel::taRightJustify:
        if (moveRightEdge)
            moveRightEdge->adjust(0, 0, -1, 0);
        return flags | Qt::AlignRight;
    case TExtStatusPanel::taCenter: return flags | Qt::AlignHCenter;
    default: return flags | Qt::AlignLeft;
    }
}
} // namespace

void TExtStatusPanel::PaintText(QPainter &Canvas, const QRect &Rect)
{
    QRect r = Rect;
    const int flags = TextFlags(FAlignment, FAutoFit, &r);
    QString text = FPanelType == sptOwnerDraw ? QStringLiteral(" *OD* ") : FText;
    const QFontMetrics fm(Canvas.font());
    if (FPanelType == sptEllipsisText)
        text = fm.elidedText(text, Qt::ElideRight, r.width());
    else if (FPanelType == sptEllipsisPath)
        text = ElidePath(fm, text, r.width());
    Canvas.setPen(platform::ToQColor(clWindowText));
    Canvas.drawText(r, flags, text);
}

void TExtStatusPanel::PaintLockKey(QPainter &Canvas, const QRect &Rect)
{
    const QPen previous = Canvas.pen();
    Canvas.setPen(platform::ToQColor(LockKeyOn() ? clWindowText : clGrayText));
    Canvas.drawText(Rect, TextFlags(FAlignment, FAutoFit, nullptr), FText);
    Canvas.setPen(previous);
}

void TExtStatusPanel::PaintGlyph(QPainter &Canvas, const QRect &Rect)
{
    const int L = Rect.left(), Rt = Rect.left() + Rect.width();
    const int T = Rect.top(), B = Rect.top() + Rect.height();
    const QSize glyphSize = FGlyph.isNull() ? QSize(0, 0) : FGlyph.deviceIndependentSize().toSize();
    const int tw = FText.isEmpty() ? 0 : QFontMetrics(Canvas.font()).horizontalAdvance(FText) + 2;
    int x;
    if (FAlignment == taCenter || FAutoFit)
        x = L + (Rt - L - glyphSize.width() - tw) / 2;
    else if (FAlignment == taRightJustify)
        x = Rt - glyphSize.width();
    else
        x = L;
    const int y = T + (B - T - glyphSize.height()) / 2;
    if (!FGlyph.isNull()) {
        QPixmap picture = FGlyph;
        if (!picture.hasAlphaChannel()) {
            // A plain bitmap: its bottom-left colour is the transparent one.
            const QImage image = picture.toImage();
            picture.setMask(picture.createMaskFromColor(image.pixelColor(0, image.height() - 1),
                                                        Qt::MaskInColor));
        }
        Canvas.drawPixmap(x, y, picture);
    }
    if (!FText.isEmpty()) {
        Canvas.setPen(platform::ToQColor(clWindowText));
        const int textLeft = FAlignment == taRightJustify && !FAutoFit ? x - tw - 2
                                                                       : x + glyphSize.width() + 2;
        Canvas.drawText(QRect(textLeft, T, Rt - textLeft, B - T),
                        Qt::TextSingleLine | Qt::AlignVCenter | Qt::AlignLeft, FText);
    }
}

void TExtStatusPanel::PaintPercentGauge(QPainter &Canvas, const QRect &Rect)
{
    TExtStatusBar *bar = StatusBar();
    const int L = Rect.left(), Rt = Rect.left() + Rect.width();
    const int split = L + MulDiv(Rt - L, FGaugeAttrs.Position(), 100);
    const QRect filled(L, Rect.top(), split - L, Rect.height());
    const QRect rest(split, Rect.top(), Rt - split, Rect.height());
    Canvas.fillRect(filled, platform::ToQColor(FGaugeAttrs.Color()));
    Canvas.fillRect(rest, platform::ToQColor(bar->Color()));

    QString text = FText;
    if (text.isEmpty() && !(FGaugeAttrs.BlankOnZero() && FGaugeAttrs.Position() == 0))
        text = QString::number(FGaugeAttrs.Position()) + QLatin1Char('%');
    if (text.isEmpty())
        return;
    int flags = Qt::TextSingleLine | Qt::AlignVCenter;
    flags |= FAlignment == taRightJustify ? Qt::AlignRight
             : FAlignment == taCenter     ? Qt::AlignHCenter
                                          : Qt::AlignLeft;
    // The text changes colour where the fill ends.
    const QPen previous = Canvas.pen();
    Canvas.save();
    Canvas.setClipRect(filled);
    Canvas.setPen(platform::ToQColor(FGaugeAttrs.TextColor()));
    Canvas.drawText(Rect, flags, text);
    Canvas.restore();
    Canvas.save();
    Canvas.setClipRect(rest);
    Canvas.setPen(platform::ToQColor(clWindowText));
    Canvas.drawText(Rect, flags, text);
    Canvas.restore();
    Canvas.setPen(previous);
}

void TExtStatusPanel::PaintMovingGauge(QPainter &Canvas, const QRect &Rect)
{
    const QColor colour = platform::ToQColor(FGaugeAttrs.Color());
    const int L = Rect.left();
    const int W = Rect.width();
    const int speed = FGaugeAttrs.Speed();
    AnimPos += AnimStep;
    if (FGaugeAttrs.Style() == gsIndeterminate) {
        // A ball bouncing between the ends.
        const int third = Rect.height() / 3;
        const int top = Rect.top() + third;
        const int bottom = Rect.top() + Rect.height() - third;
        const int d = bottom - top;
        if (AnimStep > 0 && AnimPos + d + 1 >= W)
            AnimStep = -speed;
        else if (AnimStep < 0 && AnimPos < 2)
            AnimStep = speed;
        const QRect ball(QPoint(L + AnimPos - 1, top - 1), QPoint(L + AnimPos + d, bottom));
        Canvas.setPen(colour);
        Canvas.setBrush(colour);
        Canvas.drawEllipse(ball.adjusted(0, 0, -1, -1));
        return;
    }
    // A gradient sweeping to and fro, its gauge-coloured end leading.
    if (GradientBitmap.isNull())
        GradientBitmap = BuildGradientBitmap();
    const int pw = GradientBitmap.width();
    if (AnimStep > 0 && AnimPos + 1 >= W)
        AnimStep = -speed;
    else if (AnimStep < 0 && AnimPos <= -pw)
        AnimStep = speed;
    Canvas.save();
    Canvas.setClipRect(Rect);
    Canvas.drawImage(QPoint(L + AnimPos, Rect.top()),
                     AnimStep < 0 ? GradientBitmap.mirrored(true, false) : GradientBitmap);
    Canvas.restore();
}

QImage TExtStatusPanel::BuildGradientBitmap()
{
    TExtStatusBar *bar = StatusBar();
    const QColor first = platform::ToQColor(bar->Color());
    const QColor last = platform::ToQColor(FGaugeAttrs.Color());
    QImage image(100, qMax(1, bar->height()), QImage::Format_RGB32);
    auto channel = [](int a, int b, int x) { return qRound(a + (b - a) * x / 99.0); };
    for (int x = 0; x < 100; ++x) {
        const QRgb c = qRgb(channel(first.red(), last.red(), x), channel(first.green(), last.green(), x),
                            channel(first.blue(), last.blue(), x));
        for (int y = 0; y < image.height(); ++y)
            image.setPixel(x, y, c);
    }
    return image;
}

// ---------------------------------------------------------------- panels

TExtStatusPanels::TExtStatusPanels(TExtStatusBar *Owner) : FOwner(Owner) {}

TExtStatusPanels::~TExtStatusPanels()
{
    FUpdateCount = 1;   // no repaints while the panels go
    while (!FItems.isEmpty())
        delete FItems.last();
    delete FTimer;
}

TExtStatusPanel *TExtStatusPanels::GetItem(int Index) const
{
    if (Index < 0 || Index >= FItems.size())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FItems.at(Index);
}

TExtStatusPanel *TExtStatusPanels::Add()
{
    return new TExtStatusPanel(this);
}

TExtStatusPanel *TExtStatusPanels::Insert(int Index)
{
    TExtStatusPanel *panel = Add();
    panel->SetIndex(Index);
    return panel;
}

void TExtStatusPanels::Delete(int Index)
{
    delete GetItem(Index);
}

void TExtStatusPanels::Clear()
{
    BeginUpdate();
    while (!FItems.isEmpty())
        delete FItems.last();
    EndUpdate();
}

void TExtStatusPanels::Assign(const TExtStatusPanels &Source)
{
    if (&Source == this)
        return;
    BeginUpdate();
    Clear();
    for (const TExtStatusPanel *p : Source.FItems)
        Add()->Assign(*p);
    EndUpdate();
}

void TExtStatusPanels::BeginUpdate()
{
    ++FUpdateCount;
}

void TExtStatusPanels::EndUpdate()
{
    if (--FUpdateCount == 0)
        Changed(nullptr);
}

void TExtStatusPanels::AddItem(TExtStatusPanel *Item)
{
    FItems.append(Item);
    Changed(nullptr);
}

void TExtStatusPanels::RemoveItem(TExtStatusPanel *Item)
{
    FItems.removeOne(Item);
    Changed(nullptr);
}

void TExtStatusPanels::Changed(TExtStatusPanel *Item)
{
    if (FUpdateCount > 0 || !FOwner)
        return;
    if (Item)
        FOwner->PaintPanelNow(Item->Index());
    else
        FOwner->update();
}

void TExtStatusPanels::AddTimerPanel(TExtStatusPanel *Panel)
{
    if (!FTimer) {
        FTimer = new QTimer(FOwner);
        FTimer->setInterval(1000);
        FLastDate = QDate::currentDate();
        QObject::connect(FTimer, &QTimer::timeout, FTimer, [this] { SharedTimerFired(); });
    }
    if (FTimerPanels.contains(Panel))
        return;
    FTimerPanels.append(Panel);
    ++G().timerRegistrations;
    switch (Panel->PanelType()) {
    case sptDate:
        if (FTimerPanels.size() == 1)
            FTimer->setInterval(60000);
        break;
    case sptTime:
    case sptDateTime:
    case sptTimeDate:
        if (FTimerPanels.size() == 1 || FTimer->interval() > 1000)
            FTimer->setInterval(1000);
        break;
    case sptGauge:
        if (Panel->GaugeAttrs()->Style() != gsPercent)
            FTimer->setInterval(50);
        break;
    default:
        break;
    }
    FTimer->start();
}

void TExtStatusPanels::RemoveTimerPanel(TExtStatusPanel *Panel)
{
    if (!FTimerPanels.removeOne(Panel))
        return;
    --G().timerRegistrations;
    if (FTimerPanels.isEmpty()) {
        delete FTimer;
        FTimer = nullptr;
        return;
    }
    int interval = 60000;
    for (const TExtStatusPanel *p : std::as_const(FTimerPanels)) {
        if (p->IsIndeterminateGauge()) {
            interval = 50;
            break;
        }
        if (p->IsDateTime() && p->PanelType() != sptDate)
            interval = 1000;
    }
    FTimer->setInterval(interval);
}

void TExtStatusPanels::SharedTimerFired()
{
    bool dateChanged = false;
    const QDate today = QDate::currentDate();
    if (today != FLastDate) {
        FLastDate = today;
        dateChanged = true;
    }
    const QList<TExtStatusPanel *> panels = FTimerPanels;
    for (TExtStatusPanel *p : panels)
        if (FTimerPanels.contains(p))
            p->TimerStep(dateChanged);
}

// ---------------------------------------------------------------- bar

TExtStatusBar::TExtStatusBar(QWidget *parent) : QWidget(parent)
{
    BarGlobals &g = G();
    if (!g.finalizerAdded && QCoreApplication::instance()) {
        qAddPostRoutine(FinalizeBars);
        g.finalizerAdded = true;
    }
    FMonitorHandle.Send = &TExtStatusBar::MonitorSend;
    FMonitorHandle.bar = this;
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    FSizeGrip = new PaintedSizeGrip(this);
    FSizeGrip->resize(GripWidth, sizeHint().height());
    FPanels = new TExtStatusPanels(this);
    FLastOwnEnabled = OwnEnabled();
}

TExtStatusBar::~TExtStatusBar()
{
    if (FMonitorRegistered) {
        DeregisterKbWindow(&FMonitorHandle);
        FMonitorRegistered = false;
    }
    delete FPanels;
    FPanels = nullptr;
    if (!FActivationPanels.isEmpty())
        qCritical("Unbalanced MainWinHook registrations");
    QObject::disconnect(FActivationHook);
}

bool TExtStatusBar::OwnEnabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void TExtStatusBar::SetPanels(const TExtStatusPanels &Value)
{
    FPanels->Assign(Value);
}

void TExtStatusBar::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    for (int i = 0; i < FPanels->Count(); ++i)
        FPanels->GetItem(i)->GradientBitmap = QImage();
    update();
}

void TExtStatusBar::SetUseMonitorDLL(bool Value)
{
    if (Value == FUseMonitorDLL)
        return;
    FUseMonitorDLL = Value;
    ApplyMonitorMode();
    if (FUseMonitorDLL && !KbMonitorLoaded()) {
        // No library: the panels go on with the keyboard hook.
        FUseMonitorDLL = false;
        ApplyMonitorMode();
    }
}

void TExtStatusBar::ApplyMonitorMode()
{
    for (int i = 0; i < FPanels->Count(); ++i) {
        TExtStatusPanel *p = FPanels->GetItem(i);
        if (!p->IsLockKey() || !p->EffectivelyEnabled())
            continue;
        if (FUseMonitorDLL) {
            RemoveHookPanel(p);
            RemoveActivationPanel(p);
            p->AcquireMonitor();
        } else {
            p->ReleaseMonitor();
            AddHookPanel(p);
            AddActivationPanel(p);
        }
        p->RefreshPanel();
    }
}

void TExtStatusBar::AcquireKbMonitor()
{
    if (++KbMonitorRefCount != 1)
        return;
    ++G().monitorHolders;
    if (!KbMonitorLoaded())
        LoadKbMonitor();
    if (KbMonitorLoaded()) {
        KbMonitorMessage = RegisterKbWindow(&FMonitorHandle);
        FMonitorRegistered = true;
    }
}

void TExtStatusBar::ReleaseKbMonitor()
{
    if (--KbMonitorRefCount >= 1)
        return;
    KbMonitorRefCount = 0;
    if (FMonitorRegistered) {
        DeregisterKbWindow(&FMonitorHandle);
        FMonitorRegistered = false;
    }
    // Another bar may still be listening: the library goes with the last.
    if (--G().monitorHolders <= 0) {
        G().monitorHolders = 0;
        if (KbMonitorLoaded())
            UnloadKbMonitor();
    }
}

void TExtStatusBar::MonitorSend(KbMonitorWindow *window, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam)
{
    TExtStatusBar *bar = static_cast<MonitorHandle *>(window)->bar.data();
    if (!bar)
        return;
    // The library may call from any thread; the bar is served on its own.
    QMetaObject::invokeMethod(
        bar, [bar, message, wParam, lParam] { bar->HandleMonitorMessage(message, wParam, lParam); },
        Qt::QueuedConnection);
}

void TExtStatusBar::HandleMonitorMessage(unsigned Message, std::uintptr_t WParam, std::intptr_t LParam)
{
    if (!FMonitorRegistered || Message != KbMonitorMessage)
        return;
    const TExtStatusPanelType type = PanelTypeForKey(WParam);
    for (int i = 0; i < FPanels->Count(); ++i) {
        TExtStatusPanel *p = FPanels->GetItem(i);
        if (p->PanelType() == type) {
            p->KeyState = (LParam & 1) != 0;
            p->RefreshPanel();
        }
    }
}

void TExtStatusBar::AddActivationPanel(TExtStatusPanel *Panel)
{
    if (FActivationPanels.contains(Panel))
        return;
    FActivationPanels.append(Panel);
    if (FActivationPanels.size() == 1 && qApp) {
        FActivationHook = QObject::connect(
            qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
                if (!FUseMonitorDLL && state != Qt::ApplicationActive)
                    G().RepaintAllLockKeys = true;
                QCoreApplication::postEvent(this, new QEvent(RefreshLockKeysEvent));
            });
    }
}

void TExtStatusBar::RemoveActivationPanel(TExtStatusPanel *Panel)
{
    if (!FActivationPanels.removeOne(Panel))
        return;
    if (FActivationPanels.isEmpty())
        QObject::disconnect(FActivationHook);
}

void TExtStatusBar::RepaintLockKeys()
{
    FPanels->BeginUpdate();
    for (int i = 0; i < FPanels->Count(); ++i)
        if (FPanels->GetItem(i)->IsLockKey())
            FPanels->GetItem(i)->RefreshPanel();
    FPanels->EndUpdate();
}

void TExtStatusBar::RefitAutoPanels()
{
    FPanels->BeginUpdate();
    for (int i = 0; i < FPanels->Count(); ++i)
        if (FPanels->GetItem(i)->AutoFit())
            FPanels->GetItem(i)->RecalcAutoWidth();
    FPanels->EndUpdate();
}

void TExtStatusBar::PaintPanelNow(int Index)
{
    if (Index < 0 || Index >= FPanels->Count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    QRect r;
    GetPanelRect(Index, r);
    if (r.isEmpty() || !isVisible())
        return;
    if (FCanvas)
        update(r);   // asked while painting: paint it right after
    else
        repaint(r);
}

void TExtStatusBar::GetPanelRect(int Index, QRect &Rect) const
{
    Rect = QRect();
    if (!FPanels || Index < 0 || Index >= FPanels->Count())
        return;
    int left = 0;
    for (int i = 0; i < Index; ++i)
        left += qMax(0, FPanels->GetItem(i)->Width());
    // Panels stand 2 pixels apart, below a 2-pixel top margin.
    const QRect r(left, 2, FPanels->GetItem(Index)->Width() - 2, height() - 3);
    if (r.width() > 0 && r.height() > 0)
        Rect = r;
}

int TExtStatusBar::PanelAt(const QPoint &Point) const
{
    for (int i = 0; i < FPanels->Count(); ++i) {
        QRect r;
        GetPanelRect(i, r);
        if (!r.isEmpty() && Point.x() >= r.left() && Point.x() <= r.right())
            return i;
    }
    return -1;
}

QSize TExtStatusBar::MeasureText(const QString &Text) const
{
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(Text), fm.height());
}

QSize TExtStatusBar::sizeHint() const
{
    int width = 0;
    for (int i = 0; FPanels && i < FPanels->Count(); ++i)
        width += qMax(0, FPanels->GetItem(i)->Width());
    return QSize(qMax(width, 100), fontMetrics().height() + 7);
}

QSize TExtStatusBar::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void TExtStatusBar::DrawPanel(TExtStatusPanel *Panel, const QRect &Rect)
{
    if (OnDrawPanel)
        OnDrawPanel(this, Panel, Rect);
    Panel->PaintPanel(Rect);
}

void TExtStatusBar::Click()
{
    if (OnClick)
        OnClick(this);
}

void TExtStatusBar::DrawBevel(QPainter &Painter, const QRect &Rect,
                              TExtStatusPanel::TStatusPanelBevel Bevel)
{
    if (Bevel == TExtStatusPanel::pbNone)
        return;
    const QColor dark = platform::ToQColor(clBtnShadow);
    const QColor light = platform::ToQColor(clBtnHighlight);
    const QColor topLeft = Bevel == TExtStatusPanel::pbLowered ? dark : light;
    const QColor bottomRight = Bevel == TExtStatusPanel::pbLowered ? light : dark;
    Painter.setPen(topLeft);
    Painter.drawLine(Rect.topLeft(), Rect.topRight());
    Painter.drawLine(Rect.topLeft(), Rect.bottomLeft());
    Painter.setPen(bottomRight);
    Painter.drawLine(Rect.bottomLeft(), Rect.bottomRight());
    Painter.drawLine(Rect.topRight(), Rect.bottomRight());
}

void TExtStatusBar::DrawSizeGrip(QPainter &Painter)
{
    const QColor highlight = platform::ToQColor(clBtnHighlight);
    const QColor shadow = platform::ToQColor(clBtnShadow);
    // The client area's right 15 pixels, 3 below the top to 1 above the
    // bottom, moved 1 pixel up and left.
    const int Rt = width() - 1, B = height() - 2;
    const QRect area(QPoint(Rt - GripWidth, 2), QPoint(Rt - 1, B - 1));
    Painter.fillRect(area, platform::ToQColor(FColor));
    for (int k : {2, 13, 9, 5, 1}) {
        Painter.setPen(highlight);
        Painter.drawLine(Rt - k, B, Rt - 1, B - k + 1);
    }
    for (int k : {11, 7, 3}) {
        Painter.setPen(shadow);
        Painter.drawLine(Rt - k, B, Rt - 1, B - k + 1);
    }
    Painter.setPen(shadow);
    Painter.drawLine(area.topLeft(), area.topRight());
}

void TExtStatusBar::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    struct CanvasGuard
    {
        QPainter *&canvas;
        ~CanvasGuard() { canvas = nullptr; }
    } guard{FCanvas};
    FCanvas = &painter;
    painter.fillRect(rect(), platform::ToQColor(FColor));
    for (int i = 0; i < FPanels->Count(); ++i) {
        QRect r;
        GetPanelRect(i, r);
        if (r.isEmpty() || !r.intersects(event->rect()))
            continue;
        TExtStatusPanel *panel = FPanels->GetItem(i);
        DrawBevel(painter, r, panel->Bevel());
        painter.save();
        painter.setFont(font());
        DrawPanel(panel, r);
        painter.restore();
    }
    if (FSizeGrip->isVisible())
        DrawSizeGrip(painter);
}

void TExtStatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FSizeGrip->setGeometry(width() - GripWidth - 1, 0, GripWidth, height());
    if (event->oldSize().height() != height())
        for (int i = 0; i < FPanels->Count(); ++i)
            FPanels->GetItem(i)->GradientBitmap = QImage();   // as high as the bar
}

void TExtStatusBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        RefitAutoPanels();
    } else if (event->type() == QEvent::EnabledChange && OwnEnabled() != FLastOwnEnabled) {
        FLastOwnEnabled = OwnEnabled();
        update();
        for (int i = 0; i < FPanels->Count(); ++i)
            FPanels->GetItem(i)->ApplyEnabledState();
    }
}

bool TExtStatusBar::event(QEvent *event)
{
    if (event->type() == RefreshLockKeysEvent) {
        RepaintLockKeys();
        return false;   // never consumed
    }
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QPoint pt = help->pos();
        const int index = PanelAt(pt);
        if (index >= 0) {
            const QString hint = FPanels->GetItem(index)->ReportedHint();
            if (!hint.isEmpty()) {
                QRect r;
                GetPanelRect(index, r);
                QToolTip::showText(help->globalPos(), hint, this, r);
                return true;
            }
        }
        if (toolTip().isEmpty()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        // The bar's own hint, over the stretch between the nearest panels
        // with hints of their own, so that moving into one shows its hint.
        QRect area = rect();
        for (int i = FPanels->Count() - 1; i >= 0; --i) {
            QRect r;
            GetPanelRect(i, r);
            if (r.isEmpty() || r.left() >= pt.x())
                continue;
            if (!FPanels->GetItem(i)->ReportedHint().isEmpty()) {
                area.setLeft(r.right() + 1);
                break;
            }
        }
        for (int i = 0; i < FPanels->Count(); ++i) {
            QRect r;
            GetPanelRect(i, r);
            if (r.isEmpty() || r.right() <= pt.x())
                continue;
            if (!FPanels->GetItem(i)->ReportedHint().isEmpty()) {
                area.setRight(r.left() - 1);
                break;
            }
        }
        QToolTip::showText(help->globalPos(), toolTip(), this, area);
        return true;
    }
    return QWidget::event(event);
}

void TExtStatusBar::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    const int index = PanelAt(event->position().toPoint());
    if (index >= 0)
        FPanels->GetItem(index)->FireClick();
    Click();
}
