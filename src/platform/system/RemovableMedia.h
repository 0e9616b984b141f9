#pragma once
// Removable disks: the mounted removable volumes of the machine, their free
// space and their labels.
//
// A volume counts as removable when the block device under it says so
// (/sys/class/block/<disk>/removable) or when the desktop mounted it for the
// user (under /media or /run/media), as it does with USB sticks and card
// readers that report a fixed disk.
//
// A label is read from the volume's label file when one is there, else it is
// the file system's label. Setting the label of a mounted file system needs
// rights a desktop user does not have, so the label is written into the
// label file on the volume's root.
#include <QList>
#include <QString>

namespace platform {

struct RemovableVolume
{
    QString RootPath;   // the mount point, with a trailing '/'
    QString Label;      // as ReadVolumeLabel gives it
};

// The name of the label file on a volume's root.
extern const char *const VolumeLabelFileName;

// The mounted removable volumes, in mount order.
QList<RemovableVolume> RemovableVolumes();

// Free bytes on the volume holding Root; false when it cannot be told.
bool VolumeFreeSpace(const QString &Root, qint64 &Bytes);
// The volume's label; false when Root cannot be read.
bool ReadVolumeLabel(const QString &Root, QString &Label);
// Writes the label; false when it cannot be written.
bool WriteVolumeLabel(const QString &Root, const QString &Label);

// Tests stand folders in for removable volumes: each a root with a capacity
// in bytes (its free space is the capacity less the bytes of the files under
// it). An empty list brings back the machine's own volumes.
struct TestVolume
{
    QString Root;
    qint64 Capacity = 0;
};
void SetRemovableVolumesForTests(const QList<TestVolume> &Volumes);

} // namespace platform
