#pragma once
// A layout that sets its controls side by side and starts a further row
// where the next one would not fit: a parameter panel whose controls do not
// fit one row at the window's width grows in height instead of cutting or
// overlapping them. Its height follows its width (heightForWidth).
//
// A caption stays on the row of the control it names: a label whose text
// ends with ':' keeps with the item after it, and a picker's description
// panel (or any framed label) keeps with the item before it.
#include <QLayout>
#include <QList>

class TFlowLayout : public QLayout
{
    Q_OBJECT
public:
    explicit TFlowLayout(QWidget *Parent = nullptr, int HSpacing = 6, int VSpacing = 4);
    ~TFlowLayout() override;

    void addItem(QLayoutItem *Item) override;
    void insertWidget(int Index, QWidget *Widget);
    int count() const override;
    QLayoutItem *itemAt(int Index) const override;
    QLayoutItem *takeAt(int Index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int Width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &Rect) override;
    void invalidate() override;

private:
    struct Group
    {
        int First = 0;
        int Last = -1;
        int Width = 0;
    };
    QList<Group> Groups() const;
    QSize ItemSize(QLayoutItem *Item) const;
    bool GluedToNext(int Index) const;
    int DoLayout(const QRect &Rect, bool Apply) const;

    QList<QLayoutItem *> FItems;
    int FHSpacing;
    int FVSpacing;
    // The last height asked for, by width: the layouts above ask again and
    // again while a window settles.
    mutable int FCachedWidth = -1;
    mutable int FCachedHeight = 0;
};
