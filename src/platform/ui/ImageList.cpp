#include "platform/ui/ImageList.h"

#include <QPainter>

TImageList::TImageList(QObject *owner, int width, int height) : QObject(owner), width_(width), height_(height) {}

int TImageList::Add(const QPixmap &image)
{
    images_.append(image.size() == QSize(width_, height_)
                       ? image
                       : image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    emit Changed();
    return images_.size() - 1;
}

void TImageList::Replace(int index, const QPixmap &image)
{
    if (index < 0 || index >= images_.size())
        return;
    images_[index] = image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    emit Changed();
}

void TImageList::Delete(int index)
{
    if (index < 0 || index >= images_.size())
        return;
    images_.remove(index);
    emit Changed();
}

void TImageList::Clear()
{
    images_.clear();
    emit Changed();
}

QPixmap TImageList::Image(int index) const
{
    if (index < 0 || index >= images_.size())
        return QPixmap();
    return images_[index];
}

void TImageList::Draw(QPainter &canvas, int x, int y, int index) const
{
    if (index < 0 || index >= images_.size())
        return;
    canvas.drawPixmap(x, y, images_[index]);
}
