#pragma once
// The chart of the turnover report: one area series and one line series
// over labelled points, a title of several lines, paging by points per
// page, stairs, and a 3-D view whose depth and rotation we draw ourselves
// behind the flat series (the chart library draws only flat series).
#include <QChartView>
#include <QColor>
#include <QStringList>
#include <functional>
#include <vector>

class QAreaSeries;
class QCategoryAxis;
class QLineSeries;
class QValueAxis;

class TTurnoverChart : public QChartView
{
    Q_OBJECT
public:
    explicit TTurnoverChart(QWidget *parent = nullptr);

    // One labelled point of a series (0: the area, 1: the line).
    struct TPoint
    {
        double X = 0;
        double Y = 0;
        QString Label;
    };
    // Points are taken in; Refresh shows them.
    void ClearSeries(int Series);
    void AddPoint(int Series, double X, double Y, const QString &Label = QString());
    void Refresh();
    const std::vector<TPoint> &Points(int Series) const { return FPoints[Series]; }
    QString SeriesTitle(int Series) const;
    QColor SeriesColor(int Series) const;

    void SetTitleLines(const QStringList &Lines);
    QStringList TitleLines() const { return FTitle; }

    bool View3D() const { return FView3D; }
    void SetView3D(bool Value);
    int Chart3DPercent() const { return F3DPercent; }
    void SetChart3DPercent(int Value);
    int Rotation() const { return FRotation; }
    void SetRotation(int Value);
    int Elevation() const { return FElevation; }
    void SetElevation(int Value);
    bool Orthogonal() const { return FOrthogonal; }
    void SetOrthogonal(bool Value);
    bool Stairs() const { return FStairs; }
    void SetStairs(bool Value);

    // Paging: 0 points per page shows every point on one page.
    int MaxPointsPerPage() const { return FMaxPointsPerPage; }
    void SetMaxPointsPerPage(int Value);
    bool ScaleLastPage() const { return FScaleLastPage; }
    void SetScaleLastPage(bool Value) { FScaleLastPage = Value; Rebuild(); }
    int Page() const { return FPage; }
    void SetPage(int Value);
    int NumPages() const;
    void NextPage() { SetPage(FPage + 1); }
    void PreviousPage() { SetPage(FPage - 1); }
    std::function<void()> OnPageChange;

    // The points the chart draws now for a series (the page in view).
    QList<QPointF> DrawnPoints(int Series) const;
    // The range of the bottom axis.
    QPair<double, double> RangeX() const;

    // The depth offset of the 3-D view in pixels (0, 0 when flat).
    QPointF DepthOffset() const;

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Rebuild();
    // The points of the page in view (stairs added) of a series.
    QList<QPointF> PagePoints(int Series) const;

    std::vector<TPoint> FPoints[2];
    QStringList FTitle;
    bool FView3D = true;
    int F3DPercent = 15;
    int FRotation = 360;
    int FElevation = 346;
    bool FOrthogonal = true;
    bool FStairs = false;
    int FMaxPointsPerPage = 0;
    bool FScaleLastPage = false;
    int FPage = 1;

    QLineSeries *FUpper = nullptr;
    QAreaSeries *FArea = nullptr;
    QLineSeries *FLine = nullptr;
    QCategoryAxis *FAxisX = nullptr;
    QValueAxis *FAxisY = nullptr;
};
