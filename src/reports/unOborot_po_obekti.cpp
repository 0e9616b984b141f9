#include "reports/unOborot_po_obekti.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "components/Formatters.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/QuorendFormClasses.h"
#include "reports/TurnoverChart.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmOborot_po_obekti>(QStringLiteral("TfrmOborot_po_obekti"));
}

TfrmOborot_po_obekti::TfrmOborot_po_obekti(QWidget *AOwner, TFormStyle AFormStyle) : TSiteCrosstabReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmOborot_po_obekti"), QStringLiteral("Оборот по обекти (на база стокови разписки)"),
              QStringLiteral("frmArtikuli_po_klienti_i_obekti_dtp_From"),
              QStringLiteral("frmArtikuli_po_klienti_i_obekti_dtp_To"));

    // The chart stands right of the grid.
    auto *splitter = new QSplitter(Qt::Horizontal, ClientArea);
    delete ClientLayout->replaceWidget(Grid, splitter);
    splitter->addWidget(Grid);
    Chart = new TTurnoverChart(splitter);
    Chart->setObjectName(QStringLiteral("Chart"));
    Chart->setMinimumWidth(300);
    splitter->addWidget(Chart);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({500, 500});

    cb_3D = new QCheckBox(QStringLiteral("&3D:"));
    cb_3D->setObjectName(QStringLiteral("cb_3D"));
    cb_3D->setLayoutDirection(Qt::RightToLeft);
    cb_3D->setChecked(true);
    AddParam(cb_3D);
    ScrollBar_2D_3D = new QScrollBar(Qt::Horizontal);
    ScrollBar_2D_3D->setObjectName(QStringLiteral("ScrollBar_2D_3D"));
    ScrollBar_2D_3D->setRange(1, 100);
    ScrollBar_2D_3D->setValue(15);
    ScrollBar_2D_3D->setFixedWidth(90);
    AddParam(ScrollBar_2D_3D);
    auto *lblRotation = new QLabel(QStringLiteral("&Завъртане:"));
    AddParam(lblRotation);
    ScrollBar_Rotation = new QScrollBar(Qt::Horizontal);
    ScrollBar_Rotation->setObjectName(QStringLiteral("ScrollBar_Rotation"));
    ScrollBar_Rotation->setRange(270, 360);
    ScrollBar_Rotation->setValue(360);
    ScrollBar_Rotation->setFixedWidth(90);
    lblRotation->setBuddy(ScrollBar_Rotation);
    AddParam(ScrollBar_Rotation);
    cbSteps = new QCheckBox(QStringLiteral("Стълбовидна"));
    cbSteps->setObjectName(QStringLiteral("cbSteps"));
    AddParam(cbSteps);
    auto *lblDots = new QLabel(QStringLiteral("Точки по Х:"));
    AddParam(lblDots);
    sp_dots_X = new QSpinBox();
    sp_dots_X->setObjectName(QStringLiteral("sp_dots_X"));
    sp_dots_X->setRange(0, 100000);
    lblDots->setBuddy(sp_dots_X);
    AddParam(sp_dots_X);
    auto makeButton = [this](const QString &Name, Qt::ArrowType Arrow, const QString &Text) {
        auto *b = new QToolButton();
        b->setObjectName(Name);
        b->setArrowType(Arrow);
        b->setText(Text);
        b->setToolButtonStyle(Text.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
        AddParam(b);
        return b;
    };
    BFirstPage = makeButton(QStringLiteral("BFirstPage"), Qt::NoArrow, QStringLiteral("|<"));
    ButtonPrevious = makeButton(QStringLiteral("ButtonPrevious"), Qt::LeftArrow, QString());
    ButtonNext = makeButton(QStringLiteral("ButtonNext"), Qt::RightArrow, QString());
    BLastPage = makeButton(QStringLiteral("BLastPage"), Qt::NoArrow, QStringLiteral(">|"));

    connect(cb_3D, &QCheckBox::toggled, this, [this] { Apply3D(); });
    connect(ScrollBar_2D_3D, &QScrollBar::valueChanged, this, [this](int V) { Chart->SetChart3DPercent(V); });
    connect(ScrollBar_Rotation, &QScrollBar::valueChanged, this, [this](int V) {
        if (!ScrollBar_Rotation->isEnabled())
            return;
        Chart->SetOrthogonal(false);
        // A pie chart turns by its elevation; this chart has none.
        Chart->SetRotation(V);
    });
    connect(cbSteps, &QCheckBox::toggled, this, [this](bool On) { Chart->SetStairs(On); });
    connect(sp_dots_X, qOverload<int>(&QSpinBox::valueChanged), this, [this](int V) {
        Chart->SetMaxPointsPerPage(V);
        UpdatePageButtons();
    });
    connect(BFirstPage, &QToolButton::clicked, this, [this] { Chart->SetPage(1); });
    connect(ButtonPrevious, &QToolButton::clicked, this, [this] { Chart->PreviousPage(); });
    connect(ButtonNext, &QToolButton::clicked, this, [this] { Chart->NextPage(); });
    connect(BLastPage, &QToolButton::clicked, this, [this] { Chart->SetPage(Chart->NumPages()); });
    Chart->OnPageChange = [this] { UpdatePageButtons(); };
    Grid->OnClick = [this](QObject *) { GridClick(); };
}

QString TfrmOborot_po_obekti::CornerCaption() { return QStringLiteral("Обект/Дата"); }

bool TfrmOborot_po_obekti::InitForm()
{
    Chart->SetScaleLastPage(true);
    sp_dots_X->setValue(15);
    Chart->SetChart3DPercent(ScrollBar_2D_3D->value());
    Apply3D();
    UpdatePageButtons();
    return TSiteCrosstabReport::InitForm();
}

void TfrmOborot_po_obekti::EnableActions(bool Enable)
{
    TSiteCrosstabReport::EnableActions(Enable);
    if (Enable && pnlParams->isEnabled()) {
        Apply3D();
        UpdatePageButtons();
    }
}

void TfrmOborot_po_obekti::Apply3D()
{
    Chart->SetView3D(cb_3D->isChecked());
    ScrollBar_2D_3D->setEnabled(cb_3D->isChecked());
    ScrollBar_Rotation->setEnabled(cb_3D->isChecked());
}

void TfrmOborot_po_obekti::UpdatePageButtons()
{
    ButtonPrevious->setEnabled(Chart->Page() > 1);
    ButtonNext->setEnabled(Chart->NumPages() > Chart->Page());
    BLastPage->setEnabled(ButtonNext->isEnabled());
    BFirstPage->setEnabled(ButtonPrevious->isEnabled());
}

QString TfrmOborot_po_obekti::BuildDateFilter()
{
    return Format(QStringLiteral("Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d "),
                  {DateToDayNumber(From()), DateToDayNumber(To())});
}

bool TfrmOborot_po_obekti::DoExecute()
{
    if (!TSiteCrosstabReport::DoExecute())
        return false;
    ResetResultColumns();
    const QString filter = BuildDateFilter();
    TDelimitedStringList S, X, D;
    if (!Select(QStringLiteral("SELECT code_of_object, name_o FROM Obekti ORDER BY code_of_object"), S))
        return false;
    if (!Select(QStringLiteral("TRANSFORM Sum( Total_sum ) AS SumOfTotal_sum SELECT obekt, Sum( Total_sum ) AS [Total "
                               "Of Total_sum] FROM Zaiavki WHERE ") +
                    filter + QStringLiteral("GROUP BY obekt PIVOT Format( [for_date], \"Short Date\" )"),
                X))
        return false;
    Reshape(X, S);
    if (X.Count() > 0)
        Grid->SetColCount(X.GetFieldCount(0));
    if (!Select(QStringLiteral("SELECT for_date FROM Zaiavki GROUP BY for_date HAVING ") + filter +
                    QStringLiteral("ORDER BY for_date"),
                D))
        return false;
    const int fixed = Grid->FixedCols();
    if (Grid->ColCount() - fixed - 1 != D.Count()) {
        ShowError(QStringLiteral("Разминаване между броя на датите в справката - %d \nи броя на датите, за които има "
                                 "стокови разписки - %d."),
                  {Grid->ColCount() - fixed - 1, D.Count()});
        return false;
    }
    for (int i = 0; i < D.Count(); ++i)
        Grid->SetCells(fixed + i, 0, D.Strings(i));
    AppendTotals(X, [](int) { return ValuePrecision; });
    FillResult(X);
    if (Grid->ColCount() != fixed + 1) {
        Grid->SetCells(Grid->ColCount() - 1, 0, QStringLiteral("Общо (лв.)"));
        QString merge = QStringLiteral("0,0,1,0|");
        for (int c = fixed; c < Grid->ColCount(); ++c)
            merge += Format(QStringLiteral("%d,0,%d,1|"), {c, c});
        Grid->SetMergeCellsStr(merge);
    } else {
        Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0"));
    }
    for (int c = fixed; c < Grid->ColCount(); ++c)
        Grid->GetColAttributes(c)->SetFormatter(ValueFormatter);
    return true;
}

bool TfrmOborot_po_obekti::Execute()
{
    const bool result = TSiteCrosstabReport::Execute();
    GridClick();
    return result;
}

void TfrmOborot_po_obekti::ParamsChanged()
{
    TSiteCrosstabReport::ParamsChanged();
    GridClick();
}

void TfrmOborot_po_obekti::GridClick()
{
    const int row = Grid->Row();
    Chart->SetTitleLines({Format(QStringLiteral("Динамика на оборота на клиент \"%s\""), {Grid->Cells(1, row)}),
                          GetSubTitle()});
    Chart->ClearSeries(0);
    Chart->ClearSeries(1);
    const int fixed = Grid->FixedCols();
    const int n = Grid->ColCount() - 1 - fixed;
    long double sum = 0;
    for (int c = fixed; c <= Grid->ColCount() - 2; ++c) {
        const long double y = DotStrToRoundedFloat(Grid->Cells(c, row), 2);
        Chart->AddPoint(0, c, static_cast<double>(y), Grid->Cells(c, 0));
        sum += y;
    }
    if (n >= 2) {
        const long double mean = sum / n;
        for (int c = fixed; c <= Grid->ColCount() - 2; ++c)
            Chart->AddPoint(1, c, static_cast<double>(mean));
    }
    Chart->Refresh();
}
