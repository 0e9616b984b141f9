// Removable volumes: labels kept in the label file, free space of the
// volumes tests stand in.
#include "platform/system/RemovableMedia.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct RemovableMediaTest : ::testing::Test
{
    void TearDown() override { platform::SetRemovableVolumesForTests({}); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(RemovableMediaTest, ALabelWrittenIsReadBackAndRewritten)
{
    QString label;
    ASSERT_TRUE(platform::WriteVolumeLabel(dir.path(), "TLV#1-3"));
    ASSERT_TRUE(platform::WriteVolumeLabel(dir.path(), "TLV#2-3"));
    ASSERT_TRUE(platform::ReadVolumeLabel(dir.path() + "/", label));
    EXPECT_EQ(label, "TLV#2-3");
    EXPECT_FALSE(platform::ReadVolumeLabel(dir.filePath("missing"), label));
    EXPECT_FALSE(platform::WriteVolumeLabel(dir.filePath("missing"), "TLV#1-1"));
}

TEST_F(RemovableMediaTest, AStandInVolumeHasItsCapacityLessItsFiles)
{
    platform::SetRemovableVolumesForTests({{dir.path(), 1000}});
    const QList<platform::RemovableVolume> volumes = platform::RemovableVolumes();
    ASSERT_EQ(volumes.size(), 1);
    EXPECT_EQ(volumes[0].RootPath, dir.path() + "/");
    QDir().mkpath(dir.filePath("sub"));
    QFile f(dir.filePath("sub/data"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(300, 'x'));
    f.close();
    qint64 free = 0;
    ASSERT_TRUE(platform::VolumeFreeSpace(dir.path(), free));
    EXPECT_EQ(free, 700);
    EXPECT_FALSE(platform::VolumeFreeSpace(dir.filePath("missing"), free));
}
