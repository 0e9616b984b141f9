#include "framework/unPrintPreview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>

#include "components/FlowLayout.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "components/RunTimeGrid.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"
#include "core/unRegistryFuncs.h"
#include "framework/QuorendReadForm.h"
#include "framework/unPrintProgress.h"
#include "framework/unPrintSelectName.h"
#include "framework/unPrintSetup.h"
#include "platform/print/PrinterDevice.h"
#include "platform/print/RawPrinter.h"
#include "platform/print/RecordedPage.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageList.h"

const QString PageBreakMarker = QStringLiteral("-=: PaGe BrEaK :=-");

namespace {

platform::PrinterDevice *gGridPrinter = nullptr;

// Both entries of the header colour table are white.
const TColor FixedColors[2] = {0xFFFFFF, 0xFFFFFF};
const TColor ColumnHeaderColor = 0xF1E3B1;

int Round(double v) { return int(std::lround(v)); }

QPixmap EyePixmap(int kind)
{
    QPixmap pm(44, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = kind == 1 ? QColor(160, 160, 160) : QColor(20, 20, 20);
    p.setPen(QPen(ink, 1.5));
    QPainterPath eye;
    eye.moveTo(12, 8);
    eye.quadTo(22, 0, 32, 8);
    eye.quadTo(22, 16, 12, 8);
    p.drawPath(eye);
    if (kind != 1) {
        p.setBrush(ink);
        p.drawEllipse(QPointF(22, 8), 2.5, 2.5);
    } else {
        p.drawLine(13, 14, 31, 2);
    }
    if (kind == 2) {
        p.drawLine(1, 8, 9, 8);
        p.drawLine(1, 8, 4, 5);
        p.drawLine(1, 8, 4, 11);
        p.drawLine(35, 8, 43, 8);
        p.drawLine(43, 8, 40, 5);
        p.drawLine(43, 8, 40, 11);
    }
    return pm;
}

// The status bar's icons: printer, sheet, magnifier, pages.
QPixmap StatusIcon(int kind)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (kind) {
    case 0:
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case 1:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        break;
    case 2:
        p.setBrush(QColor(220, 235, 250));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.drawLine(QPointF(9, 9), QPointF(14.5, 14.5));
        break;
    default:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 1.5, 8, 10));
        p.drawRect(QRectF(2.5, 4.5, 8, 10));
        break;
    }
    return pm;
}

// The lines of a cell text as the grid class draws them.
QStringList CellLines(const platform::StringGrid &grid, const QString &text)
{
    if (auto *rt = dynamic_cast<const TRunTimeGrid *>(&grid)) {
        if (rt->LineBreaks() && !rt->LineBreak().isEmpty())
            return text.split(rt->LineBreak());
        return {text};
    }
    return text.split(QLatin1Char('\n'));
}

} // namespace

platform::PrinterDevice &PrintGridPrinter() { return gGridPrinter ? *gGridPrinter : platform::ApplicationPrinter(); }
void SetPrintGridPrinter(platform::PrinterDevice *Printer) { gGridPrinter = Printer; }

// ============================================================ construction

TfmPrintPreview::TfmPrintPreview(TPrinterOrientation Orientation, platform::StringGrid *Grid, const QString &Title,
                                 const QString &SubTitle, const QString &FilterText, const QString &SettingsKey,
                                 const QString &SystemInfoText, const QString &CompanyHeaderText,
                                 int FixedColorIndex, bool PrintSignatures, bool HeaderOnFirstPageOnly,
                                 bool ShowProgress, const QString &TextBelowTable, platform::PrinterDevice *Printer,
                                 QWidget *parent)
    : QDialog(parent, Qt::Window), FPrinter(Printer ? Printer : &PrintGridPrinter()), FSource(Grid)
{
    setObjectName(QStringLiteral("fmPrintPreview"));
    FNow = QDateTime::currentDateTime();
    // The printer's own paper in the list's orientation: the document or
    // list printed before may have left another orientation or paper on
    // the printer every printout shares.
    FPrinter->ResetSheet(Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);

    // A window of the preview's own: the preview runs modally, and the
    // sheet-by-sheet question of the text mode is asked while it is open.
    FProgress = std::make_unique<TfmPrintProgress>(this);
    FProgress->HideOkButton();
    FProgress->setWindowTitle(QStringLiteral("Печат ..."));
    FProgress->lblPages->setVisible(true);
    FProgress->SetStatus(QStringLiteral("Подготовка на печата, моля изчакайте ..."));
    const bool landscape = FPrinter->Available() && FPrinter->Orientation() == QPageLayout::Landscape;
    FProgress->SetMax(Grid->RowCount() / (landscape ? 30 : 40) + 1 + 3);
    FShowProgress = ShowProgress;
    if (ShowProgress)
        FProgress->show();

    FPrinted = false;
    setWindowTitle(QStringLiteral("Печат ..."));
    bool blackWhite = false;
    FUseColors = !(MIsBlackWhitePrint(blackWhite) && blackWhite);

    // The print options: the link's values when it is there, else the
    // defaults; the registry says text mode or graphic mode.
    QStringList fields;
    if (MLinkControl() && !MGetPrintSettings(SettingsKey, fields)) {
        FValues = TGridPrintValues{0, 0, 0, 0, 0, 0, 0};
        FTextMode = false;
    } else {
        QString laser;
        GetRegistrySetting(QStringLiteral("Print_Laser"), laser);
        FTextMode = laser == QLatin1String("0");
        int *values[7] = {&FValues.HeaderColors, &FValues.Unused2,       &FValues.LinesPerPage,
                          &FValues.CharsPerLine, &FValues.VerticalRules, &FValues.Unused6,
                          &FValues.Continuous};
        for (int i = 0; i < 7 && i < fields.size(); ++i) {
            bool ok = false;
            const int v = fields[i].trimmed().toInt(&ok);
            if (ok)
                *values[i] = v;
        }
    }

    FSettingsKey = SettingsKey;
    FSystemInfoText = SystemInfoText;
    FCompanyHeaderText = CompanyHeaderText;
    FFixedColorIndex = FixedColorIndex == 1 ? 1 : 0;
    FPrintSignatures = PrintSignatures;
    FHeaderOnFirstPageOnly = HeaderOnFirstPageOnly;
    FTitle = CleanText(Title);
    FSubTitle = CleanText(SubTitle);
    FFilterText = CleanText(FilterText);
    FTextBelowTable = CleanText(TextBelowTable);
    if (!FTextMode)
        FPrintGrid = CloneGrid(*Grid, false, this, this);
    if (!FPrintGrid)
        FPrintGrid = Grid;

    BuildControls();
    if (FSettingsKey.isEmpty()) {
        chkSave->setChecked(false);
        chkSave->setEnabled(false);
    }
    pnlSettings->setVisible(false);
    pnlColumns->setVisible(false);
    BuildColumnGrid();
    LoadSettings();

    page->ResetMargins();
    page->SetMarginLeft(page->MarginLeft() + 5.0);
    page->SetMarginTop(page->MarginTop() + 5.0);
    page->SetMarginRight(page->MarginRight() + 5.0);
    page->SetMarginBottom(page->MarginBottom() + 5.0);
    SetOrientation(Orientation);
    if (!FProgress->Cancelled())
        PrepareDocument();
    FProgress->hide();
}

TfmPrintPreview::~TfmPrintPreview()
{
    if (chkSave && chkSave->isChecked())
        SaveSettings();
}

QString TfmPrintPreview::CleanText(const QString &S) const
{
    QString s = S;
    if (dynamic_cast<TRunTimeGrid *>(FSource))
        s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return s;
}

void TfmPrintPreview::BuildControls()
{
    page = new TTextPagePrinter(this, FPrinter);
    page->setObjectName(QStringLiteral("page"));
    page->SetMeasureUnit(muMillimeters);
    page->SetShowGutter(false);
    page->SetGradientBackground(false);
    page->SetZoomLocation(zlTopCenter);
    page->SetShowProgress(true);
    page->Loaded();
    page->SetTitle(QStringLiteral("Печат ..."));
    page->viewport()->setCursor(Qt::OpenHandCursor);
    page->OnMouseDown = [this](QObject *, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
        if (button == Qt::LeftButton) {
            FPanning = true;
            FPanAnchor = QCursor::pos();
        }
    };
    page->OnMouseMove = [this](QObject *, Qt::KeyboardModifiers, int, int) {
        if (!FPanning)
            return;
        const QPoint now = QCursor::pos();
        const QPoint d = now - FPanAnchor;
        FPanAnchor = now;
        page->horizontalScrollBar()->setValue(page->horizontalScrollBar()->value() - d.x());
        page->verticalScrollBar()->setValue(page->verticalScrollBar()->value() - d.y());
    };
    page->OnMouseUp = [this](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { FPanning = false; };

    auto action = [this](const QString &name, const QString &text, const QKeySequence &key,
                         std::function<void()> fn) {
        auto *a = new QAction(text, this);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [fn] { platform::RunGuarded(fn); });
        addAction(a);
        return a;
    };
    acPrint = action("acPrint", "Печат", Qt::Key_F9, [this] { PrintWithDialog(); });
    acPrintSetup = action("acPrintSetup", "Шрифт", Qt::Key_F10, [this] { PrintSetup(); });
    acExit = action("acExit", "Изход", Qt::Key_Escape, [this] { close(); });
    acFirstPage = action("acFirstPage", "Първа", Qt::CTRL | Qt::Key_PageUp, [this] { GoToPage(1); });
    acLastPage = action("acLastPage", "Последна", Qt::CTRL | Qt::Key_PageDown,
                        [this] { GoToPage(page->PageCount()); });
    acPrevPage = action("acPrevPage", "Предишна", Qt::Key_PageUp, [this] { GoToPage(page->CurrentPage() - 1); });
    acNextPage = action("acNextPage", "Следваща", Qt::Key_PageDown, [this] { GoToPage(page->CurrentPage() + 1); });
    acZoomPage = action("acZoomPage", "Цяла страница", Qt::CTRL | Qt::Key_Right, [this] {
        FFitWidth = false;
        page->ZoomToPage();
        UpdateStatus();
    });
    acZoom100 = action("acZoom100", "100 %", Qt::CTRL | Qt::Key_Left, [this] { ZoomTo(100); });
    acZoomPageWidth = action("acZoomPageWidth", "По ширина", Qt::CTRL | Qt::Key_Down, [this] {
        FFitWidth = true;
        page->ZoomToPageWidth();
        UpdateStatus();
    });
    acZoomIn = action("acZoomIn", "Увеличи", Qt::KeypadModifier | Qt::Key_Plus, [this] { ZoomIn(); });
    acZoomOut = action("acZoomOut", "Намали", Qt::KeypadModifier | Qt::Key_Minus, [this] { ZoomOut(); });
    acPanLeft = action("acPanLeft", "", Qt::Key_Left, [this] { Pan(-1, 0); });
    acPanRight = action("acPanRight", "", Qt::Key_Right, [this] { Pan(1, 0); });
    acPanUp = action("acPanUp", "", Qt::Key_Up, [this] { Pan(0, -1); });
    acPanDown = action("acPanDown", "", Qt::Key_Down, [this] { Pan(0, 1); });
    acPortrait = action("acPortrait", "Портрет", {}, [this] {
        SetOrientation(poPortrait);
        Reformat();
    });
    acLandscape = action("acLandscape", "Пейзаж", {}, [this] {
        SetOrientation(poLandscape);
        Reformat();
    });
    acPortrait->setCheckable(true);
    acLandscape->setCheckable(true);
    acSelectColumns = action("acSelectColumns", "Настройки", {}, [this] {
        const bool show = !pnlSettings->isVisible();
        pnlSettings->setVisible(show);
        pnlColumns->setVisible(show);
    });
    acNewSetting = action("acNewSetting", "Нова", {}, [this] { NewSetting(); });
    acEditSetting = action("acEditSetting", "Преименуване", {}, [this] { EditSetting(); });
    acDeleteSetting = action("acDeleteSetting", "Изтриване", {}, [this] { DeleteSetting(); });
    acApplySetting = action("acApplySetting", "ОК", {}, [this] { ApplySetting(); });
    acPrepareDocument = action("acPrepareDocument", "Подготовка", {}, [this] { PrepareDocument(); });

    tbMain = new QToolBar(this);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction *a : {acPrint, acPrintSetup, acSelectColumns})
        tbMain->addAction(a);
    tbMain->addSeparator();
    for (QAction *a : {acFirstPage, acPrevPage, acNextPage, acLastPage})
        tbMain->addAction(a);
    tbMain->addSeparator();
    for (QAction *a : {acZoomPage, acZoom100, acZoomPageWidth, acZoomIn, acZoomOut})
        tbMain->addAction(a);
    tbMain->addSeparator();
    tbMain->addAction(acPortrait);
    tbMain->addAction(acLandscape);
    tbMain->addSeparator();
    tbMain->addAction(acExit);

    pnlSettings = new QWidget(this);
    pnlSettings->setObjectName(QStringLiteral("pnlSettings"));
    // Wraps to a second row on a screen too narrow for one.
    auto *settings = new TFlowLayout(pnlSettings);
    settings->setContentsMargins(4, 2, 4, 2);
    settings->addWidget(new QLabel(QStringLiteral("Настройка:"), pnlSettings));
    cbSettings = new QComboBox(pnlSettings);
    cbSettings->setObjectName(QStringLiteral("cbSettings"));
    cbSettings->setMinimumWidth(220);
    connect(cbSettings, qOverload<int>(&QComboBox::activated), this, [this](int i) { SelectSetting(i); });
    settings->addWidget(cbSettings);
    chkDefault = new QCheckBox(QStringLiteral("По подразбиране"), pnlSettings);
    chkDefault->setObjectName(QStringLiteral("chkDefault"));
    connect(chkDefault, &QCheckBox::clicked, this, [this] { DefaultClicked(); });
    settings->addWidget(chkDefault);
    chkSave = new QCheckBox(QStringLiteral("Запазване"), pnlSettings);
    chkSave->setObjectName(QStringLiteral("chkSave"));
    chkSave->setChecked(true);
    settings->addWidget(chkSave);
    for (QAction *a : {acNewSetting, acEditSetting, acDeleteSetting, acApplySetting}) {
        auto *b = new QPushButton(a->text(), pnlSettings);
        b->setObjectName(QStringLiteral("btn") + a->objectName().mid(2));
        connect(b, &QPushButton::clicked, a, &QAction::trigger);
        connect(a, &QAction::enabledChanged, b, &QPushButton::setEnabled);
        settings->addWidget(b);
    }

    pnlColumns = new QWidget(this);
    pnlColumns->setObjectName(QStringLiteral("pnlColumns"));
    auto *columns = new QHBoxLayout(pnlColumns);
    columns->setContentsMargins(0, 0, 0, 0);
    gridColumns = new TRichGrid(pnlColumns);
    gridColumns->setObjectName(QStringLiteral("gridColumns"));
    gridColumns->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridColumns->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    columns->addWidget(gridColumns, 1);
    udColumns = new QScrollBar(Qt::Horizontal, pnlColumns);
    udColumns->setObjectName(QStringLiteral("udColumns"));
    udColumns->setFixedWidth(40);
    connect(udColumns, &QScrollBar::valueChanged, this, [this](int v) {
        gridColumns->SetLeftCol(std::min(v, std::max(0, gridColumns->ColCount() - 1)));
    });
    columns->addWidget(udColumns);

    sbStatus = new QStatusBar(this);
    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    sbStatus->setSizeGripEnabled(false);
    lblPrinter = new QLabel(sbStatus);
    lblPaper = new QLabel(sbStatus);
    lblZoom = new QLabel(sbStatus);
    lblPages = new QLabel(sbStatus);
    // Each panel: its icon, then its text; the printer's takes the width
    // the others leave.
    auto panel = [this](QLabel *text, int icon) {
        auto *box = new QWidget(sbStatus);
        auto *row = new QHBoxLayout(box);
        row->setContentsMargins(2, 0, 6, 0);
        row->setSpacing(4);
        auto *picture = new QLabel(box);
        picture->setPixmap(StatusIcon(icon));
        row->addWidget(picture);
        text->setParent(box);
        row->addWidget(text, 1);
        return box;
    };
    sbStatus->addWidget(panel(lblPrinter, 0), 1);
    sbStatus->addPermanentWidget(panel(lblPaper, 1));
    sbStatus->addPermanentWidget(panel(lblZoom, 2));
    sbStatus->addPermanentWidget(panel(lblPages, 3));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tbMain);
    layout->addWidget(pnlSettings);
    layout->addWidget(pnlColumns);
    layout->addWidget(page, 1);
    layout->addWidget(sbStatus);
}

// The column grid: the source's header rows over a row of eyes.
void TfmPrintPreview::BuildColumnGrid()
{
    FEyes = std::make_unique<TImageList>(nullptr, 44, 16);
    for (int i = 0; i < 3; ++i)
        FEyes->Add(EyePixmap(i));
    TRichGrid &g = *gridColumns;
    g.SetDynamicResize(false);
    const int fixed = FSource->FixedRows();
    g.SetColCount(std::max(1, FSource->ColCount()));
    g.SetRowCount(fixed + 1);
    g.SetFixedRows(fixed);
    g.SetFixedCols(0);
    g.SetImages(FEyes.get());
    g.FixedAttributes()->SetBackColor(ColumnHeaderColor);
    int height = 0;
    for (int r = 0; r < fixed; ++r) {
        g.SetRowHeights(r, FSource->RowHeights(r));
        height += g.Data().RowExtent(r);
    }
    g.SetRowHeights(fixed, 20);
    auto *rich = dynamic_cast<TRichGrid *>(FSource);
    for (int c = 0; c < FSource->ColCount(); ++c) {
        g.SetColWidths(c, std::max(48, FSource->ColWidths(c)));
        if (FSource->ColWidths(c) <= 0)
            g.SetColWidths(c, 0);
        for (int r = 0; r < fixed; ++r) {
            QString text;
            GetCellText(*FSource, c, r, text);
            g.SetCells(c, r, text);
            if (rich) {
                TGridRect block;
                rich->GetMergeRect(c, r, block);
                if ((block.Left != block.Right || block.Top != block.Bottom) && block.Left == c && block.Top == r)
                    g.MergeCells(block);
            }
        }
        TCellAttributes *a = g.GetCellAttributes(c, fixed);
        a->SetBitmapAlignment(caCenter);
        a->SetBitmapDrawMode(bmCenter);
    }
    HideGridSelection(g);
    g.SetSelection(GridRect(-1, -1, -1, -1));
    pnlColumns->setFixedHeight(height + 20 + 4 + 2);
    udColumns->setRange(0, std::max(0, g.ColCount() - 1));
    g.OnMouseDown = [this](QObject *, Qt::MouseButton button, Qt::KeyboardModifiers, int X, int Y) {
        int c = -1, r = -1;
        gridColumns->MouseToCell(X, Y, c, r);
        if (c < 0)
            return;
        if (button == Qt::LeftButton)
            ToggleColumnVisible(c, r);
        else if (button == Qt::RightButton)
            ToggleColumnStretch(c);
    };
}

TReportSettings TfmPrintPreview::NewEntry() const
{
    TReportSettings s;
    SetDefaultPrintObjects(s);
    const int cols = FSource->ColCount();
    s.VisibleCols.assign(size_t(cols), true);
    s.AutoResizeCols.assign(size_t(cols), false);
    for (int c = 0; c < cols; ++c)
        s.AutoResizeCols[size_t(c)] = ColumnFillsClient(*FSource, c);
    s.Orientation = FPrinter->Orientation() == QPageLayout::Landscape ? 1 : 0;
    return s;
}

void TfmPrintPreview::LoadSettings()
{
    FSettings.clear();
    TReportSettings base = NewEntry();
    base.Name = BuiltInSettingName;
    FSettings.push_back(base);
    LoadReportSettings(FSettingsKey, FSource->ColCount(), FSettings);
    int applied = 0;
    for (size_t i = 1; i < FSettings.size(); ++i)
        if (FSettings[i].Default) {
            applied = int(i);
            break;
        }
    FSettings[0].Default = applied == 0;
    for (size_t i = 1; i < FSettings.size(); ++i)
        if (int(i) != applied)
            FSettings[i].Default = false;
    cbSettings->clear();
    for (const TReportSettings &s : FSettings)
        cbSettings->addItem(s.Name);
    if (applied > 0) {
        for (int c = 0; c < FSource->ColCount(); ++c)
            if (FSource->ColWidths(c) <= 0)
                FSettings[size_t(applied)].VisibleCols[size_t(c)] = false;
        FApplied = applied;
    }
    SelectSetting(applied);
}

void TfmPrintPreview::SaveSettings() { SaveReportSettings(FSettingsKey, FSettings); }

// ============================================================ settings band

int TfmPrintPreview::ColumnEye(int ACol) const
{
    const int i = cbSettings->currentIndex();
    if (i < 0 || size_t(i) >= FSettings.size())
        return 0;
    const TReportSettings &s = FSettings[size_t(i)];
    const bool visible = size_t(ACol) < s.VisibleCols.size() ? s.VisibleCols[size_t(ACol)] : true;
    const bool stretch = size_t(ACol) < s.AutoResizeCols.size() && s.AutoResizeCols[size_t(ACol)];
    return !visible ? 1 : (stretch ? 2 : 0);
}

void TfmPrintPreview::ShowSettingColumns(int Index)
{
    (void)Index;
    const int row = gridColumns->RowCount() - 1;
    for (int c = 0; c < FSource->ColCount(); ++c)
        gridColumns->GetCellAttributes(c, row)->SetImageIndex(ColumnEye(c));
    gridColumns->InvalidateGrid();
}

void TfmPrintPreview::SelectSetting(int Index)
{
    if (Index < 0 || size_t(Index) >= FSettings.size())
        return;
    if (cbSettings->currentIndex() != Index)
        cbSettings->setCurrentIndex(Index);
    chkDefault->setChecked(FSettings[size_t(Index)].Default);
    chkDefault->setEnabled(FSettings.size() > 1);
    acEditSetting->setEnabled(Index > 0);
    acDeleteSetting->setEnabled(Index > 0);
    ShowSettingColumns(Index);
}

void TfmPrintPreview::DefaultClicked()
{
    const int i = cbSettings->currentIndex();
    if (i < 0)
        return;
    if (i == 0) {
        if (!chkDefault->isChecked())
            chkDefault->setChecked(true);
        for (auto &s : FSettings)
            s.Default = false;
        FSettings[0].Default = true;
        return;
    }
    const bool on = chkDefault->isChecked();
    for (auto &s : FSettings)
        s.Default = false;
    FSettings[size_t(on ? i : 0)].Default = true;
}

void TfmPrintPreview::ToggleColumnVisible(int ACol, int ARow)
{
    const int i = cbSettings->currentIndex();
    if (i <= 0 || ACol < 0 || ACol >= FSource->ColCount())
        return;
    TReportSettings &s = FSettings[size_t(i)];
    // A click on a merged header cell takes every column of its block.
    TGridRect block = GridRect(ACol, 0, ACol, 0);
    if (ARow >= 0)
        gridColumns->GetMergeRect(ACol, ARow, block);
    const bool value = !s.VisibleCols[size_t(ACol)];
    for (int c = std::max(0, block.Left); c <= block.Right && c < int(s.VisibleCols.size()); ++c)
        s.VisibleCols[size_t(c)] = value;
    ShowSettingColumns(i);
}

void TfmPrintPreview::ToggleColumnStretch(int ACol)
{
    const int i = cbSettings->currentIndex();
    if (i <= 0 || ACol < 0 || ACol >= FSource->ColCount())
        return;
    TReportSettings &s = FSettings[size_t(i)];
    if (!s.VisibleCols[size_t(ACol)])
        return;
    s.AutoResizeCols[size_t(ACol)] = !s.AutoResizeCols[size_t(ACol)];
    ShowSettingColumns(i);
}

void TfmPrintPreview::ApplySetting()
{
    const int i = cbSettings->currentIndex();
    if (i < 0)
        return;
    TReportSettings &s = FSettings[size_t(i)];
    for (int c = 0; c < FSource->ColCount(); ++c)
        if (FSource->ColWidths(c) <= 0 && size_t(c) < s.VisibleCols.size())
            s.VisibleCols[size_t(c)] = false;
    FApplied = i;
    SetOrientation(s.Orientation == 1 ? poLandscape : poPortrait);
    Reformat();
}

void TfmPrintPreview::NewSetting()
{
    const QString name = AskPrintSettingName();
    if (name.isEmpty())
        return;
    const int from = std::max(0, cbSettings->currentIndex());
    TReportSettings s = NewEntry();
    s.Name = name;
    s.VisibleCols = FSettings[size_t(from)].VisibleCols;
    s.AutoResizeCols = FSettings[size_t(from)].AutoResizeCols;
    s.VisibleCols.resize(size_t(FSource->ColCount()), true);
    s.AutoResizeCols.resize(size_t(FSource->ColCount()), false);
    s.Default = false;
    s.Orientation = FSettings[size_t(from)].Orientation;
    QFont table = FSettings[size_t(FApplied >= 0 ? FApplied : 0)].Objects[pobTable].Font;
    s.Objects[pobTable].Font = table;
    FSettings.push_back(s);
    RecomputeGeometry();
    cbSettings->addItem(name);
    SelectSetting(int(FSettings.size()) - 1);
}

void TfmPrintPreview::EditSetting()
{
    const int i = cbSettings->currentIndex();
    if (i <= 0)
        return;
    const QString name = AskPrintSettingName();
    if (name.isEmpty())
        return;
    FSettings[size_t(i)].Name = name;
    cbSettings->setItemText(i, name);
}

void TfmPrintPreview::DeleteSetting()
{
    const int i = cbSettings->currentIndex();
    if (i <= 0)
        return;
    if (MessageDlg(Format(QStringLiteral("Желаете ли да изтриете настройка:\r%s"), {FSettings[size_t(i)].Name}),
                   mtConfirmation, {mbYes, mbNo}, mbYes, mbNo) != mrYes)
        return;
    const bool wasDefault = FSettings[size_t(i)].Default;
    FSettings.erase(FSettings.begin() + i);
    if (wasDefault)
        FSettings[0].Default = true;
    if (FApplied == i)
        FApplied = 0;
    else if (FApplied > i)
        --FApplied;
    cbSettings->removeItem(i);
    SelectSetting(std::min(i, int(FSettings.size()) - 1));
}

// ============================================================ geometry

void TfmPrintPreview::RecomputeGeometry()
{
    const double pageLeft = page->MarginLeft() - page->UnprintableLeft();
    const double pageRight = page->PageWidth() - page->UnprintableLeft() - page->MarginRight();
    const double pageTop = page->MarginTop() - page->UnprintableTop();
    const double pageBottom = page->PageHeight() - page->UnprintableTop() - page->MarginBottom();
    for (TReportSettings &s : FSettings) {
        TPrintObjectData &p = s.Objects[pobPage];
        p.Left = pageLeft;
        p.Right = pageRight;
        p.Top = pageTop;
        p.Bottom = pageBottom;
        s.Objects[pobCompanyHeader].Left = pageLeft + 5;
        s.Objects[pobCompanyHeader].Top = pageTop;
        s.Objects[pobSystemInfo].Right = pageRight - 5;
        s.Objects[pobSystemInfo].Top = pageTop;
        s.Objects[pobTitle].Top = pageTop;
    }
}

void TfmPrintPreview::SetOrientation(TPrinterOrientation Value)
{
    if (page->Orientation() != Value)
        page->SetOrientation(Value);
    if (FTextMode) {
        if (FValues.CharsPerLine != 0) {
            FLineWidth = FValues.CharsPerLine;
            FLinesPerPage = FValues.LinesPerPage;
        } else {
            TextPageSizeFromPaper(page->PageWidth(), page->PageHeight(), FLinesPerPage, FLineWidth);
        }
    }
    RecomputeGeometry();
    UpdateOrientationButtons();
}

void TfmPrintPreview::SetTextMode(bool Value)
{
    FTextMode = Value;
    if (FTextMode && FPrintGrid != FSource) {
        delete FPrintGrid;
        FPrintGrid = FSource;
    }
    SetOrientation(page->Orientation());
}

void TfmPrintPreview::UpdateOrientationButtons()
{
    const bool landscape = page->Orientation() == poLandscape;
    acPortrait->setChecked(!landscape);
    acLandscape->setChecked(landscape);
    acPortrait->setEnabled(landscape);
    acLandscape->setEnabled(!landscape);
}

// ============================================================ pages

void TfmPrintPreview::Reformat()
{
    const bool wasVisible = FProgress->isVisible();
    if (!wasVisible) {
        FProgress->setWindowTitle(QStringLiteral("Подготовка на печата"));
        FProgress->SetStatus(QStringLiteral("Преформатиране на страниците, моля изчакайте ..."));
        if (FShowProgress)
            FProgress->show();
    }
    const int current = page->CurrentPage();
    FReformatted = true;
    SetOrientation(page->Orientation());
    PrepareDocument();
    if (current >= 1 && current <= page->PageCount())
        page->SetCurrentPage(current);
    FFitWidth = false;
    page->ZoomToPage();
    FProgress->hide();
    if (FApplied >= 0)
        FSettings[size_t(FApplied)].Orientation = page->Orientation() == poLandscape ? 1 : 0;
    UpdateStatus();
}

void TfmPrintPreview::PrepareDocument()
{
    if (FPreparing)
        return;
    FPreparing = true;
    acPrepareDocument->setEnabled(false);
    try {
        if (FTextMode)
            PrepareTextPages();
        else
            PrepareGraphicPages();
    } catch (...) {
        FPreparing = false;
        acPrepareDocument->setEnabled(true);
        throw;
    }
    FPreparing = false;
    acPrepareDocument->setEnabled(true);
    UpdateStatus();
}

void TfmPrintPreview::ApplyColumnsToPrintGrid()
{
    // The first pages show the source grid's columns; a setting's columns
    // take effect from the first reformat on.
    const TReportSettings *s = FApplied >= 0 && FReformatted ? &FSettings[size_t(FApplied)] : nullptr;
    for (int c = 0; c < FPrintGrid->ColCount() && c < FSource->ColCount(); ++c) {
        const bool sourceShown = FSource->ColWidths(c) > 0;
        const bool visible = s ? (size_t(c) < s->VisibleCols.size() && s->VisibleCols[size_t(c)]) : sourceShown;
        FPrintGrid->SetColWidths(c, visible ? std::max(1, FPrintGrid->ColWidths(c)) : 0);
        if (s && visible)
            SetColumnFillsClient(*FPrintGrid, c, size_t(c) < s->AutoResizeCols.size() && s->AutoResizeCols[size_t(c)]);
    }
}

void TfmPrintPreview::PrepareTextPages()
{
    const TReportSettings *s = FApplied >= 0 ? &FSettings[size_t(FApplied)] : &FSettings[0];
    TVisibleCols visible = s->VisibleCols;
    visible.resize(size_t(FSource->ColCount()), true);
    TGridTextLayout layout;
    layout.LinesPerPage = FLinesPerPage;
    layout.LineWidth = FLineWidth;
    layout.VerticalRules = FValues.VerticalRules != 0;
    layout.Continuous = FValues.Continuous != 0;
    layout.Title = FTitle;
    layout.SubTitle = FSubTitle;
    layout.TextBelowTable = FTextBelowTable;
    layout.Now = FNow;
    QStringList firm;
    if (MReadFirmRecord(firm)) {
        layout.CompanyName = firm.value(0);
        layout.TaxNumber = firm.value(1);
        layout.CompanyId = firm.value(2);
    }
    FProgress->SetStatus(QStringLiteral("Подготовка на данните, моля изчакайте ..."));
    QString error;
    if (!BuildGridTextDocument(*FSource, visible, s->AutoResizeCols, layout, FTextDoc, error)) {
        FTextDoc = TGridTextDocument();
        page->BeginDoc();
        page->EndDoc();
        ShowError(error);
        return;
    }
    // The preview: Courier lines sized so that a page's lines fill the
    // printable height and a line's characters its width.
    const int width = page->PrintableWidthPixels();
    const int height = page->PrintableHeightPixels();
    const int lineHeight = std::max(1, height / std::max(1, FTextDoc.LinesPerPage));
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    platform::RecordedPage scratch(QSize(1, 1), page->LogPixelsX(), page->LogPixelsY());
    int pixels = lineHeight;
    font.setPixelSize(pixels);
    while (pixels > 2) {
        QFontMetrics fm(font, &scratch);
        if (fm.height() <= lineHeight && fm.horizontalAdvance(QLatin1Char('M')) * FLineWidth <= width)
            break;
        font.setPixelSize(--pixels);
    }
    QFont bold(font);
    bold.setWeight(QFont::Bold);
    const int ascent = QFontMetrics(font, &scratch).ascent();
    page->BeginDoc();
    QPainter *canvas = page->Canvas();
    for (int i = 0; i < FTextDoc.Lines.size(); ++i) {
        const int onPage = i % FTextDoc.LinesPerPage;
        if (i > 0 && onPage == 0) {
            page->NewPage();
            canvas = page->Canvas();
            FProgress->Step();
            QCoreApplication::processEvents();
            if (FProgress->Cancelled())
                break;
        }
        canvas->setFont(FTextDoc.Bold[size_t(i)] ? bold : font);
        canvas->setPen(Qt::black);
        canvas->drawText(QPoint(0, onPage * lineHeight + ascent), FTextDoc.Lines[i]);
    }
    page->EndDoc();
}

// ------------------------------------------------------------ graphic pages

namespace {

struct PageHead
{
    QString Title, SubTitle;
};

struct PagePlan
{
    bool Head = true;
    PageHead Texts;
    int TableTop = 0;                  // px below the page object's top
    std::vector<std::pair<int, int>> Ranges; // row ranges of the table (one)
    bool TableOnPage = false;
    int TextBelowFrom = -1, TextBelowTo = -1;
    int TextBelowTop = 0;
    bool Signatures = false;
    int SignaturesTop = 0;
};

} // namespace

void TfmPrintPreview::PrepareGraphicPages()
{
    FProgress->SetStatus(QStringLiteral("Подготовка на данните, моля изчакайте ..."));
    const TReportSettings &entry = FSettings[size_t(FApplied >= 0 ? FApplied : 0)];
    platform::StringGrid &g = *FPrintGrid;
    auto *rich = dynamic_cast<TRichGrid *>(&g);
    auto *runtime = dynamic_cast<TRunTimeGrid *>(&g);
    const int dpiX = page->LogPixelsX();
    const int dpiY = page->LogPixelsY();
    platform::RecordedPage scratch(QSize(1, 1), dpiX, dpiY);

    // The print grid for the printer.
    const QFont tableFont = entry.Objects[pobTable].Font;
    g.setFont(tableFont);
    g.SetFixedCols(0);
    g.SetColor(clWhite);
    g.SetFixedColor(FixedColors[FFixedColorIndex]);
    const int fontSize = std::max(1, tableFont.pointSize());
    const int hm = Round(double(dpiX) / fontSize / 5.0);
    const int vm = Round(hm / (double(dpiX) / dpiY));
    bool negativeMarking = false;
    if (rich) {
        rich->SetDynamicResize(false);
        for (TCellAttributes *a : {rich->DefAttributes(), rich->FixedAttributes()}) {
            a->SetBorderColor(clBlack);
            a->SetCell3DEffect(bvNone);
            a->SetHideSelection(true);
            a->SetLeftMargin(hm);
            a->SetRightMargin(hm);
            a->SetTopMargin(vm);
            a->SetBottomMargin(vm);
        }
        if (!FUseColors) {
            SetGridNegativeMarking(g, false);
            negativeMarking = true;
        }
        if (FValues.HeaderColors == 1) {
            rich->FixedAttributes()->SetBackColor(FixedColors[FFixedColorIndex]);
            rich->FixedAttributes()->SetForeColor(clBlack);
            rich->DefAttributes()->SetBackColor(FixedColors[FFixedColorIndex]);
        }
    } else if (runtime) {
        runtime->SetFixedCell3DEffect(TRunTimeGrid::fc3DFlat);
        runtime->SetVertLineColor(clBlack);
        runtime->SetHorzLineColor(clBlack);
        runtime->SetHighlight(false);
        if (!FUseColors) {
            for (int r = g.FixedRows(); r < g.RowCount(); ++r)
                for (int c = 0; c < g.ColCount(); ++c)
                    runtime->SetCellColor(c, r, runtime->GetCellColor(c, r) == TotalsRowColor
                                                    ? FixedColors[FFixedColorIndex]
                                                    : clWhite);
        }
        if (FValues.HeaderColors == 1)
            runtime->SetFixedFontColor(clBlack);
    }
    ApplyColumnsToPrintGrid();

    // Column widths and row heights, every cell measured once.
    const int cols = g.ColCount();
    const int rows = g.RowCount();
    std::vector<int> widths(size_t(cols), 0);
    std::vector<int> heights(size_t(rows), 0);
    QFontMetrics plain(tableFont, &scratch);
    QFont boldFont = tableFont;
    boldFont.setBold(true);
    QFontMetrics boldMetrics(boldFont, &scratch);
    const int extraW = runtime ? std::max(8, 2 * hm + 2) : 2 * hm + 2;
    const int extraH = 2 * vm + 2;
    TColRowAttributes attrs;
    for (int r = 0; r < rows; ++r) {
        if (g.RowHeights(r) <= 0)
            continue;
        int h = plain.height() + extraH;
        if (r >= g.FixedRows() && g.Cells(0, r) == PageBreakMarker)
            continue;
        for (int c = 0; c < cols; ++c) {
            if (g.ColWidths(c) <= 0)
                continue;
            QString text;
            const QFontMetrics *fm = &plain;
            if (rich) {
                rich->GetDisplayAttributes(c, r, &attrs, text);
                if (attrs.FontStyle().Contains(fsBold))
                    fm = &boldMetrics;
            } else {
                GetCellText(g, c, r, text);
            }
            if (text.isEmpty())
                continue;
            const QStringList lines = CellLines(g, text);
            TGridRect block;
            GetCellMergeRect(g, c, r, block);
            if (block.Left == block.Right) {
                int w = 0;
                for (const QString &line : lines)
                    w = std::max(w, fm->horizontalAdvance(line));
                widths[size_t(c)] = std::max(widths[size_t(c)], w + extraW);
            }
            if (block.Top == block.Bottom)
                h = std::max(h, int(lines.size()) * fm->height() + extraH);
        }
        heights[size_t(r)] = h;
    }
    int others = 0;
    std::vector<int> fill, required, maximum;
    for (int c = 0; c < cols; ++c) {
        if (g.ColWidths(c) <= 0)
            continue;
        const int w = std::max(widths[size_t(c)], extraW + plain.horizontalAdvance(QLatin1Char('0')));
        g.SetColWidths(c, w);
        if (ColumnFillsClient(g, c)) {
            fill.push_back(c);
            required.push_back(w);
            maximum.push_back(1 << 24);
        } else {
            others += g.Data().ColExtent(c);
        }
    }
    const int pageLeft = page->UnitsToPixelsX(entry.Objects[pobPage].Left);
    const int pageRight = page->UnitsToPixelsX(entry.Objects[pobPage].Right);
    const int pageTop = page->UnitsToPixelsY(entry.Objects[pobPage].Top);
    const int pageBottom = page->UnitsToPixelsY(entry.Objects[pobPage].Bottom);
    const int lineW = g.GridLineWidth();
    if (!fill.empty()) {
        const std::vector<int> shares = RichGridSizing::FillClientShares(
            pageRight - pageLeft, others + int(fill.size()) * lineW, required, maximum);
        for (size_t i = 0; i < shares.size() && i < fill.size(); ++i)
            g.SetColWidths(fill[i], shares[i]);
    }
    // Rows: most take one height, set once for all.
    const int common = plain.height() + extraH;
    std::vector<int> kept(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        kept[size_t(r)] = g.RowHeights(r);
    g.SetDefaultRowHeight(common);
    for (int r = 0; r < rows; ++r) {
        if (kept[size_t(r)] <= 0)
            g.SetRowHeights(r, 0);
        else if (heights[size_t(r)] != common && heights[size_t(r)] > 0)
            g.SetRowHeights(r, heights[size_t(r)]);
    }

    // The page head's fonts and heights.
    auto fontOf = [&](int object) { return entry.Objects[size_t(object)].Font; };
    const QFontMetrics sysFm(fontOf(pobSystemInfo), &scratch);
    const QFontMetrics titleFm(fontOf(pobTitle), &scratch);
    const QFontMetrics subFm(fontOf(pobSubTitle), &scratch);
    const QFontMetrics filterFm(fontOf(pobFilter), &scratch);
    auto headHeight = [&](const PageHead &t) {
        int sys = 2 * sysFm.height();
        if (!FSystemInfoText.isEmpty())
            sys = int(FSystemInfoText.split(QLatin1Char('\n')).size()) * sysFm.height();
        int stack = titleFm.height() * int(t.Title.split(QLatin1Char('\n')).size());
        if (!t.SubTitle.isEmpty())
            stack += subFm.height() * int(t.SubTitle.split(QLatin1Char('\n')).size());
        if (!FFilterText.isEmpty())
            stack += filterFm.height() * int(FFilterText.split(QLatin1Char('\n')).size());
        return std::max(sys, stack) + subFm.height() / 2;
    };

    // Plan the pages (a dry run that also counts them).
    FProgress->SetStatus(QStringLiteral("Подготовка на страниците, моля изчакайте ..."));
    const int fixedRows = g.FixedRows();
    int headerRows = 0;
    for (int r = 0; r < fixedRows; ++r)
        headerRows += g.Data().RowExtent(r);
    const int space = pageBottom - pageTop;
    std::vector<PagePlan> plans;
    PageHead texts{FTitle, FSubTitle};
    auto newPlan = [&] {
        PagePlan p;
        p.Head = !(FHeaderOnFirstPageOnly && !plans.empty());
        p.Texts = texts;
        p.TableTop = p.Head ? headHeight(texts) : 0;
        plans.push_back(p);
        return &plans.back();
    };
    PagePlan *plan = newPlan();
    int y = plan->TableTop + headerRows;
    int first = fixedRows;
    auto closeRange = [&](int last) {
        if (last >= first) {
            plan->Ranges.push_back({first, last});
            plan->TableOnPage = true;
        }
    };
    bool rowsOnPage = false;
    for (int r = fixedRows; r < rows; ++r) {
        if (g.Cells(0, r) == PageBreakMarker) {
            closeRange(r - 1);
            const QString t = g.Cells(1, r);
            texts = PageHead{t.section(QLatin1Char('@'), 0, 0), t.section(QLatin1Char('@'), 1, 1)};
            plan = newPlan();
            y = plan->TableTop + headerRows;
            first = r + 1;
            rowsOnPage = false;
            continue;
        }
        const int h = g.Data().RowExtent(r);
        if (h <= 0)
            continue;
        // A row that does not fit goes to the next page; one that fits on
        // no page stands alone, cut at the page's bottom.
        if (y + h > space && rowsOnPage) {
            closeRange(r - 1);
            plan = newPlan();
            y = plan->TableTop + headerRows;
            first = r;
            rowsOnPage = false;
        }
        y += h;
        rowsOnPage = true;
    }
    closeRange(rows - 1);
    if (fixedRows > 0 && !plan->TableOnPage && plans.size() == 1) {
        plan->Ranges.push_back({fixedRows, fixedRows - 1});
        plan->TableOnPage = true;
    }
    const int gap = subFm.height() / 2;
    if (!FTextBelowTable.isEmpty()) {
        const QStringList lines = TextBelowTableLines(FTextBelowTable);
        const int need = gap + int(lines.size()) * subFm.height();
        if (y + need > space) {
            plan = newPlan();
            y = plan->TableTop;
        }
        plan->TextBelowFrom = 0;
        plan->TextBelowTo = int(lines.size()) - 1;
        plan->TextBelowTop = y + gap;
        y += need;
    }
    if (FPrintSignatures) {
        const int need = 2 * subFm.height();
        if (y + need > space) {
            plan = newPlan();
            y = plan->TableTop;
        }
        plan->Signatures = true;
        plan->SignaturesTop = y + subFm.height();
    }
    const int count = int(plans.size());
    FProgress->SetMax(FProgress->ProgressBar->maximum() + count);

    // Draw them.
    const QString now = FNow.toString(QStringLiteral("dd.MM.yyyy г. / hh:mm:ss"));
    const QString sysFormat = entry.Objects[pobSystemInfo].Text;
    const int sysRight = page->UnitsToPixelsX(entry.Objects[pobSystemInfo].Right);
    const int companyLeft = page->UnitsToPixelsX(entry.Objects[pobCompanyHeader].Left);
    page->BeginDoc();
    for (int n = 0; n < count; ++n) {
        if (n > 0)
            page->NewPage();
        const PagePlan &p = plans[size_t(n)];
        QPainter &c = *page->Canvas();
        c.setPen(Qt::black);
        const int top = pageTop;
        if (p.Head) {
            c.setFont(fontOf(pobSystemInfo));
            const QString pageText = QStringLiteral("Стр. %1").arg(n + 1);
            c.drawText(QRect(companyLeft, top, sysRight - companyLeft, sysFm.height()),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, pageText);
            QString sys = FSystemInfoText;
            if (sys.isEmpty())
                sys = now + QLatin1Char('\n') + Format(sysFormat, {n + 1, count});
            const QStringList sysLines = sys.split(QLatin1Char('\n'));
            int sysWidth = 0;
            for (int i = 0; i < sysLines.size(); ++i) {
                sysWidth = std::max(sysWidth, sysFm.horizontalAdvance(sysLines[i]));
                c.drawText(QRect(pageLeft, top + i * sysFm.height(), sysRight - pageLeft, sysFm.height()),
                           Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, sysLines[i]);
            }
            const int left = companyLeft + sysFm.horizontalAdvance(pageText);
            const int right = sysRight - sysWidth;
            int ty = top;
            auto centred = [&](const QString &text, int object, const QFontMetrics &fm) {
                c.setFont(fontOf(object));
                for (const QString &line : text.split(QLatin1Char('\n'))) {
                    c.drawText(QRect(left, ty, std::max(1, right - left), fm.height()),
                               Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, line);
                    ty += fm.height();
                }
            };
            centred(p.Texts.Title, pobTitle, titleFm);
            if (!p.Texts.SubTitle.isEmpty())
                centred(p.Texts.SubTitle, pobSubTitle, subFm);
            if (!FFilterText.isEmpty())
                centred(FFilterText, pobFilter, filterFm);
        }
        if (p.TextBelowFrom >= 0) {
            c.setFont(fontOf(pobSubTitle));
            const QStringList lines = TextBelowTableLines(FTextBelowTable);
            int ly = top + p.TextBelowTop;
            for (int i = p.TextBelowFrom; i <= p.TextBelowTo; ++i) {
                c.drawText(QRect(pageLeft, ly, pageRight - pageLeft, subFm.height()),
                           Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, lines[i]);
                ly += subFm.height();
            }
        }
        if (p.Signatures) {
            c.setFont(fontOf(pobSubTitle));
            const QRect line(pageLeft, top + p.SignaturesTop, pageRight - pageLeft, subFm.height());
            c.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                       QStringLiteral("Дата: ") + FNow.date().toString(QStringLiteral("dd.MM.yyyy")));
            c.drawText(line, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, QStringLiteral("Ръководител:"));
            c.drawText(line, Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, QStringLiteral("Гл. счетоводител:"));
        }
        // The table comes last: what follows it on the page needs no clip.
        if (p.TableOnPage) {
            c.save();
            c.setClipRect(QRect(pageLeft, top, pageRight - pageLeft + 1, pageBottom - top));
            c.setFont(tableFont);
            for (const auto &range : p.Ranges)
                g.paintTo(c, QPoint(pageLeft, top + p.TableTop), range.first, range.second);
            c.restore();
        }
        FProgress->Step();
        FProgress->SetPages(n + 1, count);
        QCoreApplication::processEvents();
        if (FProgress->Cancelled())
            break;
    }
    page->EndDoc();
    if (negativeMarking)
        SetGridNegativeMarking(g, true);
}

// ============================================================ printing

bool TfmPrintPreview::PrintPages(int From, int To)
{
    const int count = page->PageCount();
    if (From < 1 || From > count)
        From = 1;
    if (To < From || To > count)
        To = count;
    try {
        if (FTextMode) {
            FPrinted = PrintTextPages(From, To);
        } else {
            page->SetPrintFromPage(From);
            page->SetPrintToPage(To);
            FPrinted = page->Print();
        }
    } catch (...) {
        FPrinted = false;
        throw;
    }
    return FPrinted;
}

bool TfmPrintPreview::PrintTextPages(int From, int To)
{
    if (FTextDoc.Lines.isEmpty())
        return false;
    platform::RawPrinter raw;
    if (FPrinter->QtPrinter() && FPrinter->Available())
        raw.SetQueue(FPrinter->QtPrinter()->printerName());
    const bool single = FValues.Continuous == 0;
    const int copies = std::max(1, page->Copies());
    FProgress->SetMax(To - From + 1);
    FProgress->SetStatus(QStringLiteral("Отпечатване на страниците, моля изчакайте ..."));
    FProgress->show();
    bool ok = true;
    try {
        raw.Open();
        for (int p = From; p <= To && ok; ++p) {
            for (int copy = 1; copy <= copies && ok; ++copy) {
                raw.Write(GridTextPageBytes(FTextDoc, p));
                FProgress->Step();
                FProgress->SetPages(p, To);
                QCoreApplication::processEvents();
                if (FProgress->Cancelled()) {
                    ok = false;
                    break;
                }
                const bool last = p == To && copy == copies;
                if (single && !last) {
                    // Each sheet goes to the printer before the next is fed.
                    if (platform::RawPrinter::Target().isEmpty()) {
                        raw.Close();
                        raw.Open();
                    }
                    FProgress->ShowOkButton();
                    const int answer = FProgress->WaitForPage(copy == copies ? p + 1 : p);
                    FProgress->HideOkButton();
                    FProgress->SetStatus(QStringLiteral("Отпечатване на страниците, моля изчакайте ..."));
                    if (answer != TfmPrintProgress::prOk)
                        ok = false;
                }
            }
        }
        if (ok)
            raw.Close();
    } catch (const std::exception &) {
        FProgress->hide();
        throw;
    }
    FProgress->hide();
    return ok;
}

void TfmPrintPreview::PrintWithDialog()
{
    const int count = page->PageCount();
    if (count == 0)
        return;
    if (!FPrinter->Available()) {
        ShowError(QStringLiteral("Няма инсталиран принтер!"));
        return;
    }
    int from = page->PrintFromPage(), to = page->PrintToPage();
    if (from < 1 || from > count)
        from = 1;
    if (to < 1 || to > count)
        to = count;
    if (QPrinter *printer = FPrinter->QtPrinter()) {
        QPrintDialog dialog(printer, this);
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
                          | QAbstractPrintDialog::PrintShowPageSize);
        dialog.setMinMax(1, count);
        dialog.setFromTo(from, to);
        printer->setCopyCount(page->Copies());
        printer->setCollateCopies(page->Collate());
        if (dialog.exec() != QDialog::Accepted)
            return;
        page->SetCopies(printer->copyCount());
        page->SetCollate(printer->collateCopies());
        printer->setCopyCount(1);
        if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
            from = dialog.fromPage();
            to = dialog.toPage();
        } else {
            from = 1;
            to = count;
        }
    }
    PrintPages(from, to);
}

void TfmPrintPreview::PrintSetup()
{
    if (FApplied < 0 && FSettings.empty())
        return;
    TReportSettings &entry = FSettings[size_t(FApplied >= 0 ? FApplied : 0)];
    TfmPrintSetup setup(this, FPrinter);
    QString sys = FSystemInfoText.isEmpty() ? FNow.toString(QStringLiteral("dd.MM.yyyy г. / hh:mm:ss"))
                                            : FSystemInfoText;
    setup.SetData(entry, QString(), FTextMode, FPrinterIndex, FTitle, FSubTitle, FFilterText, sys);
    if (setup.exec() != QDialog::Accepted)
        return;
    setup.GetData(entry, FPrinterIndex);
    page->ResetMargins();
    page->SetMarginLeft(page->MarginLeft() + 5.0);
    page->SetMarginTop(page->MarginTop() + 5.0);
    page->SetMarginRight(page->MarginRight() + 5.0);
    page->SetMarginBottom(page->MarginBottom() + 5.0);
    Reformat();
}

// ============================================================ zoom, pages, status

void TfmPrintPreview::ZoomTo(int Percent)
{
    FFitWidth = false;
    page->SetZoomPercent(Percent);
    UpdateStatus();
}

void TfmPrintPreview::ZoomIn()
{
    FFitWidth = false;
    const int z = std::min(1000, (page->ZoomPercent() + 10) / 10 * 10);
    page->SetZoomLocation(zlSame);
    page->SetZoomPercent(z);
    page->SetZoomLocation(zlTopCenter);
    UpdateStatus();
}

void TfmPrintPreview::ZoomOut()
{
    FFitWidth = false;
    const int z = std::max(10, (page->ZoomPercent() - 10 + 9) / 10 * 10);
    page->SetZoomPercent(z);
    UpdateStatus();
}

void TfmPrintPreview::Pan(int Dx, int Dy)
{
    QScrollBar *bar = Dx != 0 ? page->horizontalScrollBar() : page->verticalScrollBar();
    const int step = bar->singleStep() * (Dx != 0 ? Dx : Dy);
    if ((step < 0 && bar->value() > bar->minimum()) || (step > 0 && bar->value() < bar->maximum()))
        bar->setValue(bar->value() + step);
}

void TfmPrintPreview::GoToPage(int Page)
{
    if (Page < 1 || Page > page->PageCount())
        return;
    page->SetCurrentPage(Page);
    UpdateStatus();
}

void TfmPrintPreview::UpdatePageActions()
{
    const int current = page->CurrentPage();
    const int count = page->PageCount();
    acFirstPage->setEnabled(current > 1);
    acPrevPage->setEnabled(current > 1);
    acNextPage->setEnabled(current < count);
    acLastPage->setEnabled(current < count);
}

void TfmPrintPreview::UpdateStatus()
{
    lblPrinter->setText(FPrinter->Available() ? FPrinter->Name() : QString());
    lblPaper->setText(QStringLiteral("%1 mm x %2 mm").arg(Round(page->PageWidth())).arg(Round(page->PageHeight())));
    lblZoom->setText(QStringLiteral("%1 %").arg(page->ZoomPercent()));
    lblPages->setText(QStringLiteral("%1 / %2").arg(page->CurrentPage()).arg(page->PageCount()));
    UpdatePageActions();
}

void TfmPrintPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FActivated)
        return;
    FActivated = true;
    // Maximised: without a window manager to do it, the window would stay at
    // its small natural size, so it takes the screen's work area itself,
    // frame included.
    if (QScreen *shown = screen()) {
        const QRect area = shown->availableGeometry();
        const QRect frame = frameGeometry();
        if (frame.width() < area.width() * 9 / 10 || frame.height() < area.height() * 9 / 10) {
            const QRect inner = geometry();
            const bool maximised = isMaximized();
            setGeometry(area.adjusted(inner.left() - frame.left(), inner.top() - frame.top(),
                                      inner.right() - frame.right(), inner.bottom() - frame.bottom()));
            // Placing the window drops its maximised state; it keeps it.
            if (maximised)
                setWindowState(windowState() | Qt::WindowMaximized);
        }
    }
    if (page->PageCount() > 0)
        page->SetCurrentPage(1);
    // The page's width fills the window, so that its text reads at once.
    page->ZoomToPageWidth();
    FFitWidth = true;
    page->horizontalScrollBar()->setValue(0);
    page->verticalScrollBar()->setValue(0);
    UpdateStatus();
}

void TfmPrintPreview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (FActivated && FFitWidth) {
        page->ZoomToPageWidth();
        UpdateStatus();
    }
}


// ============================================================ PrintGrid

bool PrintGrid(TPrinterOrientation Orientation, platform::StringGrid *Grid, const QString &Title,
               const QString &SubTitle, const QString &SettingsKey, int FixedColorIndex,
               const QString &SystemInfoText, const QString &CompanyHeaderText, bool PrintSignatures,
               bool HeaderOnFirstPageOnly, bool ShowProgress, bool Preview, const QString &FilterText,
               const QString &TextBelowTable)
{
    platform::PrinterDevice &printer = PrintGridPrinter();
    if (!Grid)
        return false;
    // Without a printer nothing prints, but the preview still shows the
    // pages on the page printer's fall-back sheet.
    const bool available = printer.Available();
    if (!available) {
        ShowError(QStringLiteral("Няма инсталиран принтер!"));
        if (!Preview)
            return false;
    }
    TfmPrintPreview form(Orientation, Grid, Title, SubTitle, FilterText, SettingsKey, SystemInfoText,
                         CompanyHeaderText, FixedColorIndex, PrintSignatures, HeaderOnFirstPageOnly, ShowProgress,
                         TextBelowTable, &printer, QApplication::activeWindow());
    form.setWindowState(form.windowState() | Qt::WindowMaximized);
    form.acPrint->setEnabled(available);
    if (Preview) {
        form.exec();
    } else {
        form.page->SetShowProgress(false);
        form.PrintPages();
    }
    return form.Printed();
}

// ============================================================ the read forms' F9

// Every list and report form prints its grid through PrintGrid.
namespace {
const bool gReadFormPrintInstalled = [] {
    SetReadFormGridPrinter([](TQuorendReadForm &Form) {
        PrintGrid(Form.GetPrintOrientation(), Form.Grid, Form.GetTitle(), Form.GetSubTitle(),
                  Form.GetPrintSettingsKey(), 0, QString(), QString(), false, false, true, true, QString(),
                  Form.GetPrintExtraText());
    });
    return true;
}();
} // namespace
