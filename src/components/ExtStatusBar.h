#pragma once
// The status bar of the data forms: a bar of panels, each of which decides
// how it looks (text, lock key, date and time, shortened text, picture,
// progress gauge, or drawn by its owner).
//
// Two things shape it. A panel repaints at once when its text, gauge
// position or any visual property changes, without waiting for the event
// loop, so that long synchronous operations can show messages and progress
// while they run. And every panel that needs refreshing (date, time, the
// moving gauges) shares one timer per bar, whose interval follows the most
// demanding of them.
#include <QDate>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "components/KbMonitor.h"
#include "platform/ui/Colors.h"

class QTimer;
class TExtStatusBar;
class TExtStatusPanel;
class TExtStatusPanels;

enum TExtStatusPanelType {
    sptNormal,
    sptCapsLock,
    sptNumLock,
    sptScrollLock,
    sptDate,
    sptTime,
    sptDateTime,
    sptTimeDate,
    sptEllipsisText,
    sptEllipsisPath,
    sptGlyph,
    sptGauge,
    sptOwnerDraw
};

enum TExtGaugeStyle { gsPercent, gsIndeterminate, gsIndeterminate2 };

using TPercent = unsigned char;   // 0-100

using TExtDrawPanelEvent =
    std::function<void(TExtStatusBar *StatusBar, TExtStatusPanel *Panel, const QRect &Rect)>;
using TExtPanelHintTextEvent =
    std::function<void(TExtStatusBar *StatusBar, TExtStatusPanel *Panel, QString &Hint)>;
using TExtPanelNotifyEvent = std::function<void(TExtStatusPanel *Sender)>;

// The gauge settings of one panel; every change repaints that panel.
class TExtGaugeAttrs
{
public:
    explicit TExtGaugeAttrs(TExtStatusPanel *Owner);

    TExtGaugeStyle Style() const { return FStyle; }
    void SetStyle(TExtGaugeStyle Value);
    TPercent Position() const { return FPosition; }
    // Values above 100 are taken as 100 (done > total must not overflow).
    void SetPosition(int Value);
    int Speed() const { return FSpeed; }
    void SetSpeed(int Value);   // values below 1 keep the previous speed
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor Value);
    bool BlankOnZero() const { return FBlankOnZero; }
    void SetBlankOnZero(bool Value);

    // Copies Position, Style and BlankOnZero; stays bound to its own panel.
    void Assign(const TExtGaugeAttrs &Source);

private:
    TExtStatusPanel *FOwner;
    TExtGaugeStyle FStyle = gsPercent;
    TPercent FPosition = 0;
    int FSpeed = 4;
    TColor FColor = clHighlight;
    TColor FTextColor = clHighlightText;
    bool FBlankOnZero = false;
};

class TExtStatusPanel
{
public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
    enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

    // A panel lives in a bar's panel collection, which owns it; creating it
    // appends it there. Any other owner is refused.
    explicit TExtStatusPanel(TExtStatusPanels *Collection);
    virtual ~TExtStatusPanel();
    TExtStatusPanel(const TExtStatusPanel &) = delete;
    TExtStatusPanel &operator=(const TExtStatusPanel &) = delete;

    TExtGaugeAttrs *GaugeAttrs() { return &FGaugeAttrs; }
    const TExtGaugeAttrs *GaugeAttrs() const { return &FGaugeAttrs; }
    void SetGaugeAttrs(const TExtGaugeAttrs &Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel Value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode Value);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    TExtStatusPanelType PanelType() const { return FPanelType; }
    void SetPanelType(TExtStatusPanelType Value);
    const QPixmap &Glyph() const { return FGlyph; }
    void SetGlyph(const QPixmap &Value);
    const QString &Text() const { return FText; }
    void SetText(const QString &Value);
    // Qt date and time format texts; empty stands for "dd.MM.yyyy" and
    // "H:mm:ss".
    const QString &DateFormat() const { return FDateFormat; }
    void SetDateFormat(const QString &Value);
    const QString &TimeFormat() const { return FTimeFormat; }
    void SetTimeFormat(const QString &Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);   // no effect while AutoFit governs
    bool AutoFit() const { return FAutoFit; }
    void SetAutoFit(bool Value);
    const QString &Hint() const { return FHint; }
    void SetHint(const QString &Value);

    TExtDrawPanelEvent OnDrawPanel;
    TExtPanelHintTextEvent OnHintText;
    TExtPanelNotifyEvent OnClick;

    TExtStatusPanels *Collection() const { return FCollection; }
    TExtStatusBar *StatusBar() const;
    int Index() const;
    // Moves the panel within its collection.
    void SetIndex(int Value);
    QString DisplayName() const;
    virtual void Assign(const TExtStatusPanel &Source);

    // Enabled here and on the bar.
    bool EffectivelyEnabled() const;
    // The hint as shown: the full text of an ellipsis panel whose hint is
    // "...", else Hint; then passed through OnHintText.
    QString ReportedHint() const;

protected:
    virtual void RecalcAutoWidth();
    virtual void RefreshDateTimeText();
    virtual void HandleGlyphChange();
    virtual void PaintPanel(const QRect &Rect);
    virtual void ApplyEnabledState();
    virtual void FireHintText(QString &Hint) const;
    virtual void PaintInto(QPainter &Canvas, const QRect &Rect);
    virtual void PaintLockKey(QPainter &Canvas, const QRect &Rect);
    virtual void PaintText(QPainter &Canvas, const QRect &Rect);
    virtual void PaintGlyph(QPainter &Canvas, const QRect &Rect);
    virtual void PaintPercentGauge(QPainter &Canvas, const QRect &Rect);
    virtual void PaintMovingGauge(QPainter &Canvas, const QRect &Rect);
    virtual QImage BuildGradientBitmap();
    virtual void FireClick();

private:
    friend class TExtGaugeAttrs;
    friend class TExtStatusPanels;
    friend class TExtStatusBar;

    void RefreshPanel();
    void ResetAnimation();
    bool IsLockKey() const;
    bool IsDateTime() const;
    bool IsIndeterminateGauge() const;
    bool NeedsTimer() const;
    void Join();    // what the type joins while effectively enabled
    void Leave();   // and leaves again
    void JoinLockKey();
    void LeaveLockKey();
    void AcquireMonitor();
    void ReleaseMonitor();
    void GaugeStyleChanging(TExtGaugeStyle OldStyle, TExtGaugeStyle NewStyle);
    void TimerStep(bool DateChanged);
    bool LockKeyOn() const;
    int VirtualKey() const;

    TExtStatusPanels *FCollection;
    TExtGaugeAttrs FGaugeAttrs;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
    int FBorderWidth = 0;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    TExtStatusPanelType FPanelType = sptNormal;
    QPixmap FGlyph;
    QString FText;
    QString FDateFormat;
    QString FTimeFormat;
    bool FEnabled = true;
    int FWidth = 50;
    bool FAutoFit = false;
    QString FHint;

    bool KeyState = false;
    int AnimPos = 0;
    int AnimStep = 1;
    QImage GradientBitmap;
    bool FMonitorAcquired = false;
};

// The panels of one bar. It owns the bar's shared timer of the date, time
// and moving-gauge panels.
class TExtStatusPanels
{
public:
    explicit TExtStatusPanels(TExtStatusBar *Owner);
    ~TExtStatusPanels();
    TExtStatusPanels(const TExtStatusPanels &) = delete;
    TExtStatusPanels &operator=(const TExtStatusPanels &) = delete;

    TExtStatusBar *Owner() const { return FOwner; }
    int Count() const { return FItems.size(); }
    TExtStatusPanel *GetItem(int Index) const;
    TExtStatusPanel *Add();
    TExtStatusPanel *Insert(int Index);
    void Delete(int Index);
    void Clear();
    // Replaces the panels by copies of the given ones.
    void Assign(const TExtStatusPanels &Source);
    void BeginUpdate();
    void EndUpdate();

    // The shared timer; none while no panel needs it.
    QTimer *Timer() const { return FTimer; }
    QDate LastDate() const { return FLastDate; }

private:
    friend class TExtStatusPanel;

    void AddItem(TExtStatusPanel *Item);
    void RemoveItem(TExtStatusPanel *Item);
    void Changed(TExtStatusPanel *Item);   // nullptr: the whole bar
    void AddTimerPanel(TExtStatusPanel *Panel);
    void RemoveTimerPanel(TExtStatusPanel *Panel);
    void SharedTimerFired();

    TExtStatusBar *FOwner;
    QList<TExtStatusPanel *> FItems;
    int FUpdateCount = 0;
    QTimer *FTimer = nullptr;
    QList<TExtStatusPanel *> FTimerPanels;
    QDate FLastDate;
};

class TExtStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit TExtStatusBar(QWidget *parent = nullptr);
    ~TExtStatusBar() override;

    TExtStatusPanels *Panels() const { return FPanels; }
    void SetPanels(const TExtStatusPanels &Value);
    bool UseMonitorDLL() const { return FUseMonitorDLL; }
    // Falls back to false when the library cannot be loaded or no lock-key
    // panel of any bar holds it.
    void SetUseMonitorDLL(bool Value);
    QString Version() const { return QStringLiteral("TExtStatusBar v1.0"); }
    void SetVersion(const QString &) {}
    // The bar's colour (a Windows colour value; the button face by default).
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);

    TExtDrawPanelEvent OnDrawPanel;
    std::function<void(TExtStatusBar *Sender)> OnClick;

    // Paints one panel now (an index outside the panels raises the list
    // index error).
    void PaintPanelNow(int Index);
    // The panel's rectangle on the bar; empty when it has no room.
    void GetPanelRect(int Index, QRect &Rect) const;
    // The extent of a text in the bar's font.
    QSize MeasureText(const QString &Text) const;
    // The painter of the bar while it paints (for OnDrawPanel), else nullptr.
    QPainter *Canvas() const { return FCanvas; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    virtual void DrawPanel(TExtStatusPanel *Panel, const QRect &Rect);
    virtual void Click();

    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TExtStatusPanel;
    friend class TExtStatusPanels;

    struct MonitorHandle : KbMonitorWindow
    {
        QPointer<TExtStatusBar> bar;
    };
    static void MonitorSend(KbMonitorWindow *window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam);

    void RefitAutoPanels();
    void ApplyMonitorMode();
    void AcquireKbMonitor();
    void ReleaseKbMonitor();
    void HandleMonitorMessage(unsigned Message, std::uintptr_t WParam, std::intptr_t LParam);
    void AddActivationPanel(TExtStatusPanel *Panel);
    void RemoveActivationPanel(TExtStatusPanel *Panel);
    void RepaintLockKeys();
    int PanelAt(const QPoint &Point) const;
    void DrawBevel(QPainter &Painter, const QRect &Rect, TExtStatusPanel::TStatusPanelBevel Bevel);
    void DrawSizeGrip(QPainter &Painter);
    bool OwnEnabled() const;

    TExtStatusPanels *FPanels = nullptr;
    bool FUseMonitorDLL = false;
    TColor FColor = clBtnFace;
    int KbMonitorRefCount = 0;
    unsigned KbMonitorMessage = 0;
    bool FMonitorRegistered = false;
    QList<TExtStatusPanel *> FActivationPanels;
    QMetaObject::Connection FActivationHook;
    MonitorHandle FMonitorHandle;
    QPainter *FCanvas = nullptr;
    bool FLastOwnEnabled = true;
    QWidget *FSizeGrip = nullptr;
};

// The bookkeeping checks run at program end: the failed ones' texts
// (empty when every registration was paired).
QStringList ExtStatusBarConsistencyCheck();
