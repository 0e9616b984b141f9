#include "components/FlowLayout.h"

#include "components/ListEdit.h"

#include <QLabel>
#include <QWidget>
#include <algorithm>

namespace {

bool IsCaption(const QWidget *W)
{
    const auto *label = qobject_cast<const QLabel *>(W);
    return label && label->text().trimmed().endsWith(QLatin1Char(':'));
}

bool IsDescriptionPanel(const QWidget *W)
{
    const auto *label = qobject_cast<const QLabel *>(W);
    return label && label->frameShape() != QFrame::NoFrame;
}

} // namespace

TFlowLayout::TFlowLayout(QWidget *Parent, int HSpacing, int VSpacing)
    : QLayout(Parent), FHSpacing(HSpacing), FVSpacing(VSpacing)
{
}

TFlowLayout::~TFlowLayout()
{
    qDeleteAll(FItems);
    FItems.clear();
}

void TFlowLayout::addItem(QLayoutItem *Item)
{
    FItems.append(Item);
    invalidate();
}

void TFlowLayout::insertWidget(int Index, QWidget *Widget)
{
    addChildWidget(Widget);
    auto *item = new QWidgetItem(Widget);
    FItems.insert(std::clamp(Index, 0, static_cast<int>(FItems.size())), item);
    invalidate();
}

int TFlowLayout::count() const { return static_cast<int>(FItems.size()); }

QLayoutItem *TFlowLayout::itemAt(int Index) const
{
    return Index >= 0 && Index < FItems.size() ? FItems.at(Index) : nullptr;
}

QLayoutItem *TFlowLayout::takeAt(int Index)
{
    if (Index < 0 || Index >= FItems.size())
        return nullptr;
    invalidate();
    return FItems.takeAt(Index);
}

Qt::Orientations TFlowLayout::expandingDirections() const { return {}; }

bool TFlowLayout::hasHeightForWidth() const { return true; }

int TFlowLayout::heightForWidth(int Width) const
{
    if (Width != FCachedWidth) {
        FCachedHeight = DoLayout(QRect(0, 0, Width, 0), false);
        FCachedWidth = Width;
    }
    return FCachedHeight;
}

void TFlowLayout::invalidate()
{
    FCachedWidth = -1;
    QLayout::invalidate();
}

QSize TFlowLayout::ItemSize(QLayoutItem *Item) const
{
    return Item->sizeHint().expandedTo(Item->minimumSize()).boundedTo(Item->maximumSize());
}

bool TFlowLayout::GluedToNext(int Index) const
{
    QWidget *w = FItems.at(Index)->widget();
    if (w && IsCaption(w))
        return true;
    QWidget *next = Index + 1 < FItems.size() ? FItems.at(Index + 1)->widget() : nullptr;
    if (!next)
        return false;
    // A picker and the panel that names what it holds.
    if (const auto *picker = qobject_cast<const TCustomListEdit *>(w); picker && picker->DescrControl() == next)
        return true;
    return IsDescriptionPanel(next) && !IsCaption(next);
}

// Runs of items that share a row: a caption with its control, a picker
// with its description. Hidden items take no room.
QList<TFlowLayout::Group> TFlowLayout::Groups() const
{
    QList<Group> groups;
    Group current;
    bool open = false;
    for (int i = 0; i < FItems.size(); ++i) {
        QLayoutItem *item = FItems.at(i);
        const bool shown = !item->isEmpty();
        if (shown) {
            if (!open) {
                current = Group{i, i, 0};
                open = true;
            } else {
                current.Width += FHSpacing;
            }
            current.Last = i;
            current.Width += ItemSize(item).width();
        }
        if (open && !(shown && GluedToNext(i) && i + 1 < FItems.size())) {
            groups << current;
            open = false;
        }
    }
    if (open)
        groups << current;
    return groups;
}

int TFlowLayout::DoLayout(const QRect &Rect, bool Apply) const
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    getContentsMargins(&left, &top, &right, &bottom);
    const QRect area = Rect.adjusted(left, top, -right, -bottom);
    const QList<Group> groups = Groups();

    // Rows of groups: a group that does not fit after the others starts a
    // row of its own.
    QList<QList<Group>> rows;
    int x = 0;
    for (const Group &g : groups) {
        if (!rows.isEmpty() && !rows.last().isEmpty() && x + FHSpacing + g.Width > area.width()) {
            rows << QList<Group>{g};
            x = g.Width;
        } else {
            if (rows.isEmpty())
                rows << QList<Group>{};
            x += (rows.last().isEmpty() ? 0 : FHSpacing) + g.Width;
            rows.last() << g;
        }
    }

    int y = area.y();
    for (const QList<Group> &row : rows) {
        int rowHeight = 0;
        for (const Group &g : row)
            for (int i = g.First; i <= g.Last; ++i)
                if (!FItems.at(i)->isEmpty())
                    rowHeight = std::max(rowHeight, ItemSize(FItems.at(i)).height());
        if (Apply) {
            int cx = area.x();
            for (const Group &g : row) {
                for (int i = g.First; i <= g.Last; ++i) {
                    QLayoutItem *item = FItems.at(i);
                    if (item->isEmpty())
                        continue;
                    const QSize size = ItemSize(item);
                    item->setGeometry(QRect(QPoint(cx, y + (rowHeight - size.height()) / 2), size));
                    cx += size.width() + FHSpacing;
                }
            }
        }
        y += rowHeight + FVSpacing;
    }
    if (!rows.isEmpty())
        y -= FVSpacing;
    return y - Rect.y() + bottom;
}

QSize TFlowLayout::minimumSize() const
{
    int width = 0;
    for (const Group &g : Groups())
        width = std::max(width, g.Width);
    const QMargins m = contentsMargins();
    // The height of one row: the rows below come from heightForWidth.
    return QSize(width + m.left() + m.right(), heightForWidth(sizeHint().width()));
}

// One row of everything: the window asks for the room to show the panel
// on one row, and wraps it when the room it gets is narrower.
QSize TFlowLayout::sizeHint() const
{
    int width = 0;
    for (const Group &g : Groups())
        width += (width ? FHSpacing : 0) + g.Width;
    const QMargins m = contentsMargins();
    width += m.left() + m.right();
    return QSize(width, heightForWidth(width));
}

void TFlowLayout::setGeometry(const QRect &Rect)
{
    QLayout::setGeometry(Rect);
    DoLayout(Rect, true);
}
