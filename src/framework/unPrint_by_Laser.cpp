#include "framework/unPrint_by_Laser.h"

#include "components/ExtStatusBar.h"
#include "core/DialogsEx.h"
#include "platform/Exception.h"
#include "platform/print/PrinterDevice.h"
#include "platform/ui/Colors.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

namespace {

QToolButton *AddButton(QToolBar *bar, const QString &text, QStyle::StandardPixmap icon)
{
    auto *button = new QToolButton(bar);
    button->setText(text);
    button->setIcon(bar->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addWidget(button);
    return button;
}

int RoundHalfUp(double x) { return int(std::floor(x + 0.5)); }

} // namespace

TfrmPrint_by_Laser::TfrmPrint_by_Laser(QWidget *Owner, platform::PrinterDevice *Printer) : QDialog(Owner)
{
    setObjectName(QStringLiteral("frmPrint_by_Laser"));
    setWindowTitle(QStringLiteral("Печат на лазерен или мастиленоструен принтер"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolBar = new QToolBar(this);
    btnPrint = AddButton(ToolBar, QStringLiteral("Печат"), QStyle::SP_DialogSaveButton);
    ToolBar->addSeparator();
    btnZoomIn = AddButton(ToolBar, QStringLiteral("+10 %"), QStyle::SP_ArrowUp);
    btnZoomIn->setToolTip(QStringLiteral("Увеличаване"));
    btnZoomOut = AddButton(ToolBar, QStringLiteral("-10 %"), QStyle::SP_ArrowDown);
    btnZoomOut->setToolTip(QStringLiteral("Намаляване"));
    ToolBar->addSeparator();
    btnPortrait = AddButton(ToolBar, QStringLiteral("Портрет"), QStyle::SP_FileIcon);
    btnLandscape = AddButton(ToolBar, QStringLiteral("Пейзаж"), QStyle::SP_FileDialogDetailedView);
    btnPortrait->setCheckable(true);
    btnLandscape->setCheckable(true);
    btnPortrait->setAutoExclusive(true);
    btnLandscape->setAutoExclusive(true);
    ToolBar->addSeparator();
    btnPrevPage = AddButton(ToolBar, QStringLiteral("Предишна"), QStyle::SP_ArrowLeft);
    btnPrevPage->setToolTip(QStringLiteral("Предишна страница (PgUp)"));
    btnNextPage = AddButton(ToolBar, QStringLiteral("Следваща"), QStyle::SP_ArrowRight);
    btnNextPage->setToolTip(QStringLiteral("Следваща страница (PgDn)"));
    ToolBar->addSeparator();
    btnExit = AddButton(ToolBar, QStringLiteral("Изход"), QStyle::SP_DialogCloseButton);
    layout->addWidget(ToolBar);

    acExit = new QAction(QStringLiteral("Изход"), this);
    acExit->setToolTip(QStringLiteral("Изход от печат"));
    acExit->setStatusTip(QStringLiteral("Изход от печат"));
    acExit->setShortcut(QKeySequence(Qt::Key_Escape));
    acExit->setShortcutContext(Qt::WindowShortcut);
    addAction(acExit);
    auto pageAction = [this](const QString &text, const QKeySequence &key, std::function<int()> target) {
        auto *action = new QAction(text, this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, target] { ShowPage(target()); });
        addAction(action);
        return action;
    };
    acPrevPage = pageAction(QStringLiteral("Предишна страница"), QKeySequence(Qt::Key_PageUp),
                            [this] { return page->CurrentPage() - 1; });
    acNextPage = pageAction(QStringLiteral("Следваща страница"), QKeySequence(Qt::Key_PageDown),
                            [this] { return page->CurrentPage() + 1; });
    acFirstPage = pageAction(QStringLiteral("Първа страница"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                             [] { return 1; });
    acLastPage = pageAction(QStringLiteral("Последна страница"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                            [this] { return page->PageCount(); });

    // A document is a portrait sheet of the printer's own paper, whatever
    // the printout before it (a list in landscape) left on the printer.
    if (!Printer)
        Printer = &platform::ApplicationPrinter();
    Printer->ResetSheet(QPageLayout::Portrait);
    page = new TTextPagePrinter(this, Printer);
    page->setObjectName(QStringLiteral("page"));
    page->SetMeasureUnit(muMillimeters);
    page->SetShowGutter(true);
    page->SetGradientBackground(false);
    page->SetZoomLocation(zlTopCenter);
    page->viewport()->setCursor(Qt::PointingHandCursor);
    page->SetTitle(QStringLiteral("Text Page Printer"));
    // The arrows scroll the page shown; the page keeps the focus for them.
    page->setFocusPolicy(Qt::StrongFocus);
    page->viewport()->installEventFilter(this);
    layout->addWidget(page, 1);

    sbStatusBar = new TExtStatusBar(this);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    for (int width : {250, 130, 65, 75}) {
        TExtStatusPanel *panel = sbStatusBar->Panels()->Add();
        panel->SetWidth(width);
        panel->SetPanelType(sptOwnerDraw);
        panel->OnDrawPanel = [this](TExtStatusBar *, TExtStatusPanel *p, const QRect &r) {
            sbStatusBarDrawPanel(p, r);
        };
    }
    layout->addWidget(sbStatusBar);

    connect(btnPrint, &QToolButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnZoomIn, &QToolButton::clicked, this, [this] { btnZoomInClick(); });
    connect(btnZoomOut, &QToolButton::clicked, this, [this] { btnZoomOutClick(); });
    connect(btnPortrait, &QToolButton::clicked, this, [this] { btnPortraitClick(); });
    connect(btnLandscape, &QToolButton::clicked, this, [this] { btnLandscapeClick(); });
    connect(btnExit, &QToolButton::clicked, this, [this] { btnExitClick(); });
    connect(btnPrevPage, &QToolButton::clicked, acPrevPage, &QAction::trigger);
    connect(btnNextPage, &QToolButton::clicked, acNextPage, &QAction::trigger);
    connect(acExit, &QAction::triggered, this, [this] { btnExitClick(); });

    PrintDialog = [this](TLaserPrintChoice &Choice) { return ExecSystemPrintDialog(Choice); };
    FormCreate();
}

TfrmPrint_by_Laser::~TfrmPrint_by_Laser() = default;

void TfrmPrint_by_Laser::FormCreate()
{
    page->SetZoomPercent(100);
    (page->Orientation() == poLandscape ? btnLandscape : btnPortrait)->setChecked(true);
    UpdateStatusBar();
}

void TfrmPrint_by_Laser::ShowPreview()
{
    UpdateStatusBar();
    setWindowState(windowState() | Qt::WindowMaximized);
    page->setFocus();
    exec();
}

void TfrmPrint_by_Laser::ShowPage(int Page)
{
    if (Page < 1 || Page > page->PageCount() || Page == page->CurrentPage())
        return;
    page->SetCurrentPage(Page);
    UpdateStatusBar();
}

bool TfrmPrint_by_Laser::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == page->viewport() && Event->type() == QEvent::Wheel) {
        // Past the bottom of a page the wheel goes on to the next page's
        // top, past its top to the previous page's bottom.
        const int delta = static_cast<QWheelEvent *>(Event)->angleDelta().y();
        QScrollBar *bar = page->verticalScrollBar();
        const int current = page->CurrentPage();
        if (delta < 0 && bar->value() >= bar->maximum() && current < page->PageCount()) {
            ShowPage(current + 1);
            bar->setValue(bar->minimum());
            return true;
        }
        if (delta > 0 && bar->value() <= bar->minimum() && current > 1) {
            ShowPage(current - 1);
            bar->setValue(bar->maximum());
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TfrmPrint_by_Laser::btnZoomInClick()
{
    page->SetZoomPercent(page->ZoomPercent() + 10);
    UpdateStatusBar();
}

void TfrmPrint_by_Laser::btnZoomOutClick()
{
    page->SetZoomPercent(qMax(MinZoomPercent, page->ZoomPercent() - 10));
    UpdateStatusBar();
}

void TfrmPrint_by_Laser::btnPortraitClick()
{
    page->SetOrientation(poPortrait);
    btnPortrait->setChecked(true);
    UpdateStatusBar();
}

void TfrmPrint_by_Laser::btnLandscapeClick()
{
    page->SetOrientation(poLandscape);
    btnLandscape->setChecked(true);
    UpdateStatusBar();
}

void TfrmPrint_by_Laser::btnExitClick() { reject(); }

bool TfrmPrint_by_Laser::ExecSystemPrintDialog(TLaserPrintChoice &Choice)
{
    QPrinter *printer = page->Printer()->QtPrinter();
    if (!printer) {
        ShowError(QStringLiteral("Няма инсталиран принтер."));
        return false;
    }
    QPrintDialog dialog(printer, this);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(Choice.MinPage, Choice.MaxPage);
    dialog.setFromTo(Choice.FromPage, Choice.ToPage);
    printer->setCopyCount(Choice.Copies);
    printer->setCollateCopies(Choice.Collate);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Choice.Copies = printer->copyCount();
    Choice.Collate = printer->collateCopies();
    Choice.PageNumbers = dialog.printRange() == QAbstractPrintDialog::PageRange;
    Choice.FromPage = dialog.fromPage();
    Choice.ToPage = dialog.toPage();
    // The copies are made by the page printer, one sheet at a time.
    printer->setCopyCount(1);
    return true;
}

bool TfrmPrint_by_Laser::btnPrintClick()
{
    const int count = page->PageCount();
    TLaserPrintChoice choice;
    choice.MinPage = 1;
    choice.MaxPage = qMax(1, count);
    choice.Copies = page->Copies();
    choice.Collate = page->Collate();
    choice.FromPage = page->PrintFromPage();
    choice.ToPage = page->PrintToPage();
    if (choice.FromPage < 1 || choice.FromPage > count)
        choice.FromPage = 1;
    if (choice.ToPage < 1 || choice.ToPage > count)
        choice.ToPage = 1;
    if (!PrintDialog || !PrintDialog(choice))
        return false;
    page->SetCopies(choice.Copies);
    page->SetCollate(choice.Collate);
    if (choice.PageNumbers) {
        page->SetPrintFromPage(choice.FromPage);
        page->SetPrintToPage(choice.ToPage);
    } else {
        page->SetPrintFromPage(1);
        page->SetPrintToPage(count);
    }
    try {
        return page->Print();
    } catch (const Exception &e) {
        ShowError(e.Message());
    }
    return false;
}

QString TfrmPrint_by_Laser::StatusText(int Panel) const
{
    switch (Panel) {
    case 0:
        return page->Printer()->Available() ? page->Printer()->Name() : QStringLiteral("Няма принтер");
    case 1:
        return QStringLiteral("%1 mm x %2 mm").arg(RoundHalfUp(page->PageWidth())).arg(RoundHalfUp(page->PageHeight()));
    case 2:
        return QStringLiteral("%1 %").arg(page->ZoomPercent());
    case 3:
        return QStringLiteral("%1 / %2").arg(page->CurrentPage()).arg(page->PageCount());
    default:
        return QString();
    }
}

void TfrmPrint_by_Laser::UpdateStatusBar()
{
    for (int i = 0; i < sbStatusBar->Panels()->Count(); ++i)
        sbStatusBar->Panels()->GetItem(i)->SetText(StatusText(i));
    FitStatusPanels();
    const int current = page->CurrentPage(), count = page->PageCount();
    for (QAction *a : {acPrevPage, acFirstPage})
        a->setEnabled(current > 1);
    for (QAction *a : {acNextPage, acLastPage})
        a->setEnabled(current < count);
    btnPrevPage->setEnabled(current > 1);
    btnNextPage->setEnabled(current < count);
    sbStatusBar->update();
}

// The panels keep their designed widths, but never cut their own text
// ("297 mm x 210 mm" after its image is wider than 130 pixels).
void TfrmPrint_by_Laser::FitStatusPanels()
{
    static const int designed[] = {250, 130, 65, 75};
    const QFontMetrics metrics(sbStatusBar->font());
    const int image = qMax(8, metrics.height() - 2);
    for (int i = 0; i < sbStatusBar->Panels()->Count() && i < 4; ++i) {
        TExtStatusPanel *panel = sbStatusBar->Panels()->GetItem(i);
        const int needed = image + 6 + metrics.horizontalAdvance(panel->Text()) + 8;
        const int width = qMax(designed[i], needed);
        if (panel->Width() != width)
            panel->SetWidth(width);
    }
}

void TfrmPrint_by_Laser::sbStatusBarDrawPanel(TExtStatusPanel *Panel, const QRect &Rect)
{
    QPainter *canvas = sbStatusBar->Canvas();
    if (!canvas)
        return;
    const int index = Panel->Index();
    QStyle::StandardPixmap kind = QStyle::SP_ComputerIcon;
    if (index == 1)
        kind = page->Orientation() == poLandscape ? QStyle::SP_FileDialogDetailedView : QStyle::SP_FileIcon;
    else if (index == 2)
        kind = QStyle::SP_FileDialogContentsView;
    else if (index == 3)
        kind = QStyle::SP_FileDialogListView;
    const int side = qMax(8, Rect.height() - 4);
    const QPixmap image = style()->standardIcon(kind).pixmap(side, side);
    const int top = Rect.top() + (Rect.height() - side) / 2;
    canvas->drawPixmap(Rect.left() + 2, top, image);
    QRect textRect = Rect.adjusted(side + 6, 0, 0, 0);
    // The bar's own text colour: the canvas may still hold another pen.
    canvas->save();
    canvas->setPen(platform::ToQColor(clWindowText));
    canvas->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, Panel->Text());
    canvas->restore();
}
