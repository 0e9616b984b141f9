#pragma once
// A page drawn once and shown or printed many times: a paint device whose
// painter records every drawing call (text runs, lines, rectangles, shapes,
// images) as a display list in device pixels at a given resolution. The
// list replays onto any painter - the preview, a printer, a PDF - and can be
// read back item by item, which is how tests look at printed pages.
#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QBrush>
#include <QPolygonF>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QVector>
#include <memory>

namespace platform {

class RecordingPaintEngine;

class RecordedPage : public QPaintDevice
{
public:
    // The painter state an item was drawn with. The clip is held in page
    // pixels (already through the transform of the moment it was set).
    struct State
    {
        QTransform transform;
        QPen pen;
        QBrush brush;
        QPointF brushOrigin;
        QFont font;
        Qt::BGMode backgroundMode = Qt::TransparentMode;
        QBrush background;
        qreal opacity = 1.0;
        QPainter::CompositionMode composition = QPainter::CompositionMode_SourceOver;
        QPainter::RenderHints hints;
        bool clipEnabled = false;
        QPainterPath clip;
    };

    enum class Kind { Text, Lines, Rects, Points, Polygon, Polyline, Path, Ellipse, Image, TiledImage };

    struct Item
    {
        Kind kind = Kind::Text;
        int state = 0;              // index into States()
        QPointF position;           // text: the baseline origin
        QString text;
        QFont font;                 // text: the font the run was shaped with
        qreal width = 0;            // text: advance of the run
        QVector<QPointF> points;    // lines (pairs), points, polygon corners
        QVector<QRectF> rects;
        QRectF rect;                // ellipse, image target
        QRectF source;              // image source rectangle
        QPointF tileOffset;
        QPainterPath path;
        QPaintEngine::PolygonDrawMode polygonMode = QPaintEngine::OddEvenMode;
        QImage image;
    };

    // A text run as a reader sees it: runs that one drawText call split by
    // script or font fall-back are joined again.
    struct TextRun
    {
        QPointF baseline;           // in page pixels, through the transform
        int top = 0;                // baseline less the font's ascent
        QString text;
        QFont font;
        qreal width = 0;
    };

    RecordedPage(const QSize &sizeInPixels, int dpiX, int dpiY);
    ~RecordedPage() override;

    RecordedPage(const RecordedPage &) = delete;
    RecordedPage &operator=(const RecordedPage &) = delete;

    QPaintEngine *paintEngine() const override;

    QSize Size() const { return size_; }
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }

    const QVector<Item> &Items() const { return items_; }
    const QVector<State> &States() const { return states_; }
    const State &StateOf(const Item &item) const { return states_.at(item.state); }
    bool IsEmpty() const { return items_.isEmpty(); }
    void Clear();

    // Draws the page onto the painter at its current transform, one page
    // pixel per painter unit.
    void Replay(QPainter &painter) const;

    QVector<TextRun> TextRuns() const;
    // Every straight line drawn, in page pixels (rectangle outlines are not
    // included), with the pen width it was drawn with.
    struct LineSegment
    {
        QLineF line;
        qreal penWidth = 0;
    };
    QVector<LineSegment> LineSegments() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    friend class RecordingPaintEngine;

    QSize size_;
    int dpiX_;
    int dpiY_;
    QVector<Item> items_;
    QVector<State> states_;
    std::unique_ptr<RecordingPaintEngine> engine_;
};

} // namespace platform
