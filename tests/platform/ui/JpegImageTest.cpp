// JPEG pictures through libjpeg: sound ones decode, damaged ones are
// refused without ending the process.
#include "platform/ui/JpegImage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray AboutPicture()
{
    QFile file(QDir::cleanPath(QStringLiteral(TOLVEX_TEST_DATA "/../../resources/about.jpg")));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "the program's picture is missing";
    return file.readAll();
}

} // namespace

TEST(JpegImage, DecodesTheProgramsPicture)
{
    QImage image;
    QString error;
    ASSERT_TRUE(platform::DecodeJpeg(AboutPicture(), image, &error)) << error.toStdString();
    EXPECT_EQ(image.size(), QSize(64, 64));
    // The picture is no blank: its corner and its middle differ.
    EXPECT_NE(image.pixel(1, 1), image.pixel(32, 40));
}

TEST(JpegImage, DecodesGreyscalePicturesAsRgb)
{
    QImage grey(20, 10, QImage::Format_Grayscale8);
    grey.fill(200);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(grey.save(&buffer, "JPEG"));
    QImage image;
    ASSERT_TRUE(platform::DecodeJpeg(data, image));
    EXPECT_EQ(image.size(), QSize(20, 10));
    EXPECT_NEAR(qRed(image.pixel(5, 5)), 200, 2);
}

TEST(JpegImage, DamagedPicturesAreRefusedAndLeaveTheImageAlone)
{
    const QByteArray sound = AboutPicture();
    ASSERT_GT(sound.size(), 200);
    QByteArray flipped = sound;
    for (int i = sound.size() / 2; i < sound.size() / 2 + 40; ++i)
        flipped[i] = static_cast<char>(0xFF);   // markers in the middle of the scan
    QByteArray header = sound;
    header[3] = 'X';                              // an unknown segment marker
    const std::vector<std::pair<const char *, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"not a JPEG", QByteArray("This is not a picture at all")},
        {"header only", sound.left(20)},
        {"cut in the scan", sound.left(sound.size() / 2)},
        {"garbage in the scan", flipped},
        {"broken header", header},
    };
    for (const auto &[name, data] : cases) {
        SCOPED_TRACE(name);
        QImage image(3, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QString error;
        EXPECT_FALSE(platform::DecodeJpeg(data, image, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(image.size(), QSize(3, 3));
    }
}
