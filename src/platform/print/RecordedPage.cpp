#include "platform/print/RecordedPage.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPixmap>
#include <QTextItem>
#include <climits>
#include <cmath>

namespace platform {

// Records what a painter draws instead of rasterising it. It claims every
// feature so that the painter hands over logical coordinates together with
// its transform, and the recorded list keeps both.
class RecordingPaintEngine : public QPaintEngine
{
public:
    explicit RecordingPaintEngine(RecordedPage *page) : QPaintEngine(AllFeatures), page_(page) {}

    bool begin(QPaintDevice *) override
    {
        current_ = RecordedPage::State();
        dirty_ = true;
        return true;
    }

    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState &state) override
    {
        const DirtyFlags flags = state.state();
        if (flags & DirtyTransform)
            current_.transform = state.transform();
        if (flags & DirtyPen)
            current_.pen = state.pen();
        if (flags & DirtyBrush)
            current_.brush = state.brush();
        if (flags & DirtyBrushOrigin)
            current_.brushOrigin = state.brushOrigin();
        if (flags & DirtyFont)
            current_.font = state.font();
        if (flags & DirtyBackground)
            current_.background = state.backgroundBrush();
        if (flags & DirtyBackgroundMode)
            current_.backgroundMode = state.backgroundMode();
        if (flags & DirtyOpacity)
            current_.opacity = state.opacity();
        if (flags & DirtyCompositionMode)
            current_.composition = state.compositionMode();
        if (flags & DirtyHints)
            current_.hints = state.renderHints();
        // Restoring a state without a clip sends "no clip" together with a
        // stale enabled flag; the clip then stays off.
        bool noClip = false;
        if (flags & (DirtyClipPath | DirtyClipRegion)) {
            QPainterPath clip;
            if (flags & DirtyClipPath)
                clip = state.clipPath();
            else
                clip.addRegion(state.clipRegion());
            clip = current_.transform.map(clip);
            switch (state.clipOperation()) {
            case Qt::NoClip:
                noClip = true;
                current_.clipEnabled = false;
                current_.clip = QPainterPath();
                break;
            case Qt::ReplaceClip:
                current_.clipEnabled = true;
                current_.clip = clip;
                break;
            case Qt::IntersectClip:
                current_.clip = current_.clipEnabled ? current_.clip.intersected(clip) : clip;
                current_.clipEnabled = true;
                break;
            }
        }
        if (flags & DirtyClipEnabled)
            current_.clipEnabled = state.isClipEnabled() && !noClip;
        dirty_ = true;
    }

    void drawTextItem(const QPointF &p, const QTextItem &textItem) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Text);
        item.position = p;
        item.text = textItem.text();
        item.font = textItem.font();
        item.width = textItem.width();
        Add(std::move(item));
    }

    void drawLines(const QLineF *lines, int lineCount) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Lines);
        item.points.reserve(lineCount * 2);
        for (int i = 0; i < lineCount; ++i) {
            item.points << lines[i].p1() << lines[i].p2();
        }
        Add(std::move(item));
    }

    void drawRects(const QRectF *rects, int rectCount) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Rects);
        for (int i = 0; i < rectCount; ++i)
            item.rects << rects[i];
        Add(std::move(item));
    }

    void drawPoints(const QPointF *points, int pointCount) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Points);
        for (int i = 0; i < pointCount; ++i)
            item.points << points[i];
        Add(std::move(item));
    }

    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override
    {
        RecordedPage::Item item = NewItem(mode == PolylineMode ? RecordedPage::Kind::Polyline
                                                               : RecordedPage::Kind::Polygon);
        item.polygonMode = mode;
        for (int i = 0; i < pointCount; ++i)
            item.points << points[i];
        Add(std::move(item));
    }

    void drawPath(const QPainterPath &path) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Path);
        item.path = path;
        Add(std::move(item));
    }

    void drawEllipse(const QRectF &rect) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Ellipse);
        item.rect = rect;
        Add(std::move(item));
    }

    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Image);
        item.rect = r;
        item.source = sr;
        item.image = pm.toImage();
        Add(std::move(item));
    }

    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::Image);
        item.rect = r;
        item.source = sr;
        item.image = image;
        Add(std::move(item));
    }

    void drawTiledPixmap(const QRectF &r, const QPixmap &pixmap, const QPointF &s) override
    {
        RecordedPage::Item item = NewItem(RecordedPage::Kind::TiledImage);
        item.rect = r;
        item.tileOffset = s;
        item.image = pixmap.toImage();
        Add(std::move(item));
    }

private:
    RecordedPage::Item NewItem(RecordedPage::Kind kind)
    {
        if (dirty_ || page_->states_.isEmpty()) {
            page_->states_.append(current_);
            dirty_ = false;
        }
        RecordedPage::Item item;
        item.kind = kind;
        item.state = int(page_->states_.size()) - 1;
        return item;
    }

    void Add(RecordedPage::Item &&item) { page_->items_.append(std::move(item)); }

    RecordedPage *page_;
    RecordedPage::State current_;
    bool dirty_ = true;
};

RecordedPage::RecordedPage(const QSize &sizeInPixels, int dpiX, int dpiY)
    : size_(sizeInPixels), dpiX_(dpiX > 0 ? dpiX : 300), dpiY_(dpiY > 0 ? dpiY : 300),
      engine_(std::make_unique<RecordingPaintEngine>(this))
{
}

RecordedPage::~RecordedPage() = default;

QPaintEngine *RecordedPage::paintEngine() const { return engine_.get(); }

void RecordedPage::Clear()
{
    items_.clear();
    states_.clear();
}

int RecordedPage::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return qRound(size_.width() * 25.4 / dpiX_);
    case PdmHeightMM:
        return qRound(size_.height() * 25.4 / dpiY_);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return dpiX_;
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return dpiY_;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return 0;
    }
}

namespace {

// A font sized in points resolves to pixels at the resolution of the device
// it is used on. The page was laid out at its own resolution, and the
// replaying painter's transform already maps page pixels to its device, so
// the font must keep its page-pixel size: its points are rescaled by the
// ratio of the two resolutions. A font sized in pixels needs nothing.
QFont FontOnTarget(const QFont &font, int pageDpiY, const QPainter &painter)
{
    const qreal points = font.pointSizeF();
    const QPaintDevice *device = painter.device();
    const int targetDpiY = device ? device->logicalDpiY() : pageDpiY;
    if (points <= 0 || targetDpiY <= 0 || targetDpiY == pageDpiY)
        return font;
    QFont scaled(font);
    scaled.setPointSizeF(points * pageDpiY / targetDpiY);
    return scaled;
}

void ApplyState(QPainter &painter, const RecordedPage::State &state, const QTransform &base,
                bool outerClip, const QPainterPath &outer, int pageDpiY)
{
    painter.setTransform(base);
    if (state.clipEnabled) {
        if (outerClip) {
            painter.setClipPath(outer);
            painter.setClipPath(state.clip, Qt::IntersectClip);
        } else {
            painter.setClipPath(state.clip);
        }
    } else if (outerClip) {
        painter.setClipPath(outer);
    } else {
        painter.setClipping(false);
    }
    painter.setTransform(state.transform * base);
    painter.setPen(state.pen);
    painter.setBrush(state.brush);
    painter.setBrushOrigin(state.brushOrigin);
    painter.setFont(FontOnTarget(state.font, pageDpiY, painter));
    painter.setBackgroundMode(state.backgroundMode);
    painter.setBackground(state.background);
    painter.setOpacity(state.opacity);
    painter.setCompositionMode(state.composition);
    painter.setRenderHints(state.hints);
}

} // namespace

void RecordedPage::Replay(QPainter &painter) const
{
    painter.save();
    const QTransform base = painter.transform();
    const bool outerClip = painter.hasClipping();
    const QPainterPath outer = outerClip ? painter.clipPath() : QPainterPath();
    int applied = -1;
    for (const Item &item : items_) {
        if (item.state != applied) {
            ApplyState(painter, states_.at(item.state), base, outerClip, outer, dpiY_);
            applied = item.state;
        }
        switch (item.kind) {
        case Kind::Text: {
            const QFont font = FontOnTarget(item.font, dpiY_, painter);
            if (painter.font() != font)
                painter.setFont(font);
            painter.drawText(item.position, item.text);
            break;
        }
        case Kind::Lines:
            for (int i = 0; i + 1 < item.points.size(); i += 2)
                painter.drawLine(QLineF(item.points[i], item.points[i + 1]));
            break;
        case Kind::Rects:
            painter.drawRects(item.rects.constData(), int(item.rects.size()));
            break;
        case Kind::Points:
            painter.drawPoints(item.points.constData(), int(item.points.size()));
            break;
        case Kind::Polygon:
            painter.drawPolygon(item.points.constData(), int(item.points.size()),
                                item.polygonMode == QPaintEngine::WindingMode ? Qt::WindingFill
                                                                              : Qt::OddEvenFill);
            break;
        case Kind::Polyline:
            painter.drawPolyline(item.points.constData(), int(item.points.size()));
            break;
        case Kind::Path:
            painter.drawPath(item.path);
            break;
        case Kind::Ellipse:
            painter.drawEllipse(item.rect);
            break;
        case Kind::Image:
            painter.drawImage(item.rect, item.image, item.source);
            break;
        case Kind::TiledImage:
            painter.drawTiledPixmap(item.rect, QPixmap::fromImage(item.image), item.tileOffset);
            break;
        }
    }
    painter.restore();
}

QVector<RecordedPage::TextRun> RecordedPage::TextRuns() const
{
    QVector<TextRun> runs;
    int previousState = -1;
    for (const Item &item : items_) {
        if (item.kind != Kind::Text)
            continue;
        const QTransform &t = states_.at(item.state).transform;
        const QPointF baseline = t.map(item.position);
        if (!runs.isEmpty() && previousState == item.state) {
            TextRun &last = runs.last();
            const qreal end = last.baseline.x() + last.width;
            if (qFuzzyCompare(last.baseline.y() + 1, baseline.y() + 1)
                && std::abs(end - baseline.x()) < 1e-3) {
                last.text += item.text;
                last.width += item.width;
                continue;
            }
        }
        TextRun run;
        run.baseline = baseline;
        run.text = item.text;
        run.font = item.font;
        run.width = item.width;
        run.top = qRound(baseline.y()) - QFontMetrics(item.font, this).ascent();
        runs.append(run);
        previousState = item.state;
    }
    return runs;
}

QVector<RecordedPage::LineSegment> RecordedPage::LineSegments() const
{
    QVector<LineSegment> lines;
    for (const Item &item : items_) {
        if (item.kind != Kind::Lines)
            continue;
        const State &state = states_.at(item.state);
        for (int i = 0; i + 1 < item.points.size(); i += 2)
            lines.append({state.transform.map(QLineF(item.points[i], item.points[i + 1])),
                          state.pen.widthF()});
    }
    return lines;
}

} // namespace platform
