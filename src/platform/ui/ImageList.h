#pragma once
// A list of equally sized pictures drawn by index, in place of the class
// library's image list. Controls that show its pictures listen to Changed
// and drop the list when it is destroyed.
#include <QObject>
#include <QPixmap>
#include <QVector>

class QPainter;

class TImageList : public QObject
{
    Q_OBJECT
public:
    explicit TImageList(QObject *owner = nullptr, int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return images_.size(); }
    // The picture is scaled to the list's size; returns its index.
    int Add(const QPixmap &image);
    void Replace(int index, const QPixmap &image);
    void Delete(int index);
    void Clear();
    QPixmap Image(int index) const;
    // Draws picture `index` with its top-left corner at (x, y); an index
    // outside the list draws nothing.
    void Draw(QPainter &canvas, int x, int y, int index) const;

signals:
    void Changed();

private:
    int width_;
    int height_;
    QVector<QPixmap> images_;
};
