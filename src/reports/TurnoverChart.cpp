#include "reports/TurnoverChart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <QtMath>
#include <algorithm>

#include "platform/ui/Colors.h"

namespace {
// The area's and the average line's colours (colour values of the program).
constexpr TColor kAreaColor = 10210815;
constexpr TColor kLineColor = 33023;
} // namespace

TTurnoverChart::TTurnoverChart(QWidget *parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    QChart *c = chart();
    // The chart's own background would cover the depth drawn behind it.
    c->setBackgroundVisible(false);
    setBackgroundBrush(Qt::white);
    c->legend()->setAlignment(Qt::AlignBottom);
    // Room above and right of the plot for the depth of the 3-D view.
    c->setMargins(QMargins(8, 8, 40, 8));
    FUpper = new QLineSeries(this);
    FArea = new QAreaSeries(FUpper);
    FArea->setName(QStringLiteral("Оборот"));
    FArea->setColor(platform::ToQColor(kAreaColor));
    FArea->setBorderColor(platform::ToQColor(kAreaColor).darker(140));
    FLine = new QLineSeries();
    FLine->setName(QStringLiteral("Средно"));
    QPen pen(platform::ToQColor(kLineColor));
    pen.setWidth(2);
    FLine->setPen(pen);
    c->addSeries(FArea);
    c->addSeries(FLine);
    FAxisX = new QCategoryAxis();
    FAxisX->setLabelsAngle(90);
    FAxisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    FAxisY = new QValueAxis();
    c->addAxis(FAxisX, Qt::AlignBottom);
    c->addAxis(FAxisY, Qt::AlignLeft);
    for (QAbstractSeries *s : {static_cast<QAbstractSeries *>(FArea), static_cast<QAbstractSeries *>(FLine)}) {
        s->attachAxis(FAxisX);
        s->attachAxis(FAxisY);
    }
    Rebuild();
}

QString TTurnoverChart::SeriesTitle(int Series) const { return Series == 0 ? FArea->name() : FLine->name(); }
QColor TTurnoverChart::SeriesColor(int Series) const { return Series == 0 ? FArea->color() : FLine->color(); }

void TTurnoverChart::ClearSeries(int Series)
{
    FPoints[Series].clear();
    FPage = 1;
}

void TTurnoverChart::AddPoint(int Series, double X, double Y, const QString &Label)
{
    FPoints[Series].push_back({X, Y, Label});
}

void TTurnoverChart::Refresh()
{
    FPage = std::min(FPage, NumPages());
    Rebuild();
    if (OnPageChange)
        OnPageChange();
}

void TTurnoverChart::SetTitleLines(const QStringList &Lines)
{
    FTitle = Lines;
    QStringList escaped;
    for (const QString &l : Lines)
        escaped << l.toHtmlEscaped();
    chart()->setTitle(escaped.join(QStringLiteral("<br>")));
}

void TTurnoverChart::SetView3D(bool Value)
{
    FView3D = Value;
    Rebuild();
}

void TTurnoverChart::SetChart3DPercent(int Value)
{
    F3DPercent = std::clamp(Value, 1, 100);
    Rebuild();
}

void TTurnoverChart::SetRotation(int Value)
{
    FRotation = Value;
    Rebuild();
}

void TTurnoverChart::SetElevation(int Value)
{
    FElevation = Value;
    Rebuild();
}

void TTurnoverChart::SetOrthogonal(bool Value)
{
    FOrthogonal = Value;
    Rebuild();
}

void TTurnoverChart::SetStairs(bool Value)
{
    FStairs = Value;
    Rebuild();
}

void TTurnoverChart::SetMaxPointsPerPage(int Value)
{
    FMaxPointsPerPage = std::max(0, Value);
    FPage = std::min(FPage, NumPages());
    Rebuild();
    if (OnPageChange)
        OnPageChange();
}

int TTurnoverChart::NumPages() const
{
    const int n = static_cast<int>(std::max(FPoints[0].size(), FPoints[1].size()));
    if (FMaxPointsPerPage <= 0 || n == 0)
        return 1;
    return (n + FMaxPointsPerPage - 1) / FMaxPointsPerPage;
}

void TTurnoverChart::SetPage(int Value)
{
    const int page = std::clamp(Value, 1, NumPages());
    if (page != FPage) {
        FPage = page;
        Rebuild();
    }
    if (OnPageChange)
        OnPageChange();
}

QPointF TTurnoverChart::DepthOffset() const
{
    if (!FView3D)
        return QPointF();
    // The depth is a share of the plot's height; the rotation turns the
    // direction it runs in: 360 looks at the chart from the right, lower
    // values from further left.
    const QRectF plot = chart()->plotArea();
    const double depth = std::min(plot.width(), plot.height()) * F3DPercent / 100.0 * 0.5;
    const double angle = qDegreesToRadians(45.0 + (360 - FRotation) * 1.0);
    return QPointF(depth * std::cos(angle), -depth * std::sin(angle));
}

QList<QPointF> TTurnoverChart::DrawnPoints(int Series) const
{
    return Series == 0 ? FUpper->points() : FLine->points();
}

QPair<double, double> TTurnoverChart::RangeX() const
{
    return {FAxisX->min(), FAxisX->max()};
}

QList<QPointF> TTurnoverChart::PagePoints(int Series) const
{
    const std::vector<TPoint> &all = FPoints[Series];
    size_t first = 0, last = all.size();
    if (FMaxPointsPerPage > 0) {
        first = std::min(all.size(), static_cast<size_t>((FPage - 1) * FMaxPointsPerPage));
        last = std::min(all.size(), first + FMaxPointsPerPage);
    }
    QList<QPointF> points;
    // One point alone would be an area of no width: it stands as a band
    // of one unit around its day.
    if (Series == 0 && last - first == 1) {
        points << QPointF(all[first].X - 0.5, all[first].Y) << QPointF(all[first].X + 0.5, all[first].Y);
        return points;
    }
    for (size_t i = first; i < last; ++i) {
        if (FStairs && !points.isEmpty())
            points << QPointF(all[i].X, points.last().y());
        points << QPointF(all[i].X, all[i].Y);
    }
    return points;
}

void TTurnoverChart::Rebuild()
{
    const QList<QPointF> area = PagePoints(0);
    const QList<QPointF> line = PagePoints(1);
    FUpper->replace(area);
    FLine->replace(line);

    // The bottom axis: one label per point of the page.
    for (const QString &l : FAxisX->categoriesLabels())
        FAxisX->remove(l);
    double minX = 0, maxX = 1, maxY = 0, minY = 0;
    bool any = false;
    const std::vector<TPoint> &all = FPoints[0];
    for (const QPointF &p : area) {
        if (!any) {
            minX = maxX = p.x();
            any = true;
        }
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        maxY = std::max(maxY, p.y());
        minY = std::min(minY, p.y());
    }
    for (const QPointF &p : line) {
        maxY = std::max(maxY, p.y());
        minY = std::min(minY, p.y());
    }
    if (any) {
        for (const TPoint &p : all)
            if (p.X >= minX && p.X <= maxX && !p.Label.isEmpty() && !FAxisX->categoriesLabels().contains(p.Label))
                FAxisX->append(p.Label, p.X);
        // Pages but the last keep one scale; the last is scaled to its own
        // points only when ScaleLastPage says so.
        if (FMaxPointsPerPage > 0 && !FScaleLastPage && FPage == NumPages() && FPage > 1)
            maxX = minX + FMaxPointsPerPage - 1;
    }
    if (maxX <= minX)
        maxX = minX + 1;
    FAxisX->setStartValue(minX);
    FAxisX->setRange(minX, maxX);
    FAxisY->setRange(minY, maxY > minY ? maxY * 1.1 : minY + 1);
    viewport()->update();
}

void TTurnoverChart::resizeEvent(QResizeEvent *event)
{
    QChartView::resizeEvent(event);
    viewport()->update();
}

void TTurnoverChart::drawBackground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawBackground(painter, rect);
    const QPointF d = DepthOffset();
    if (d.isNull())
        return;
    // The 3-D view: the plot's back walls and the area's depth, drawn
    // behind the flat series.
    QChart *c = chart();
    const QRectF plot = c->plotArea();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(QColor(160, 160, 160)));
    painter->setBrush(QColor(235, 235, 235));
    painter->drawPolygon(QPolygonF({plot.bottomLeft(), plot.bottomLeft() + d, plot.bottomRight() + d,
                                    plot.bottomRight()}));
    painter->drawPolygon(QPolygonF({plot.topLeft() + d, plot.topRight() + d, plot.bottomRight() + d,
                                    plot.bottomLeft() + d}));

    const QList<QPointF> points = FUpper->points();
    if (!points.isEmpty()) {
        const QColor face = FArea->color();
        const double floorY = std::max(FAxisY->min(), 0.0);
        QPolygonF top;
        for (const QPointF &p : points)
            top << c->mapToPosition(p, FArea);
        const QPointF baseLeft = c->mapToPosition(QPointF(points.first().x(), floorY), FArea);
        const QPointF baseRight = c->mapToPosition(QPointF(points.last().x(), floorY), FArea);
        // The back face, then the top of every stretch between two points.
        QPolygonF back = top.translated(d);
        back << baseRight + d << baseLeft + d;
        painter->setPen(QPen(face.darker(160)));
        painter->setBrush(face.darker(130));
        painter->drawPolygon(back);
        painter->setBrush(face.darker(115));
        for (int i = 0; i + 1 < top.size(); ++i)
            painter->drawPolygon(QPolygonF({top[i], top[i + 1], top[i + 1] + d, top[i] + d}));
        painter->setBrush(face.darker(145));
        painter->drawPolygon(QPolygonF({top.last(), top.last() + d, baseRight + d, baseRight}));
    }
    painter->restore();
}
