#include "platform/system/RemovableMedia.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include "platform/system/ReplacingFile.h"

namespace platform {

const char *const VolumeLabelFileName = "TOLVEX.LBL";

namespace {

QList<TestVolume> &TestVolumes()
{
    static QList<TestVolume> volumes;
    return volumes;
}

QString WithSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

const TestVolume *TestVolumeOf(const QString &Root)
{
    const QString root = WithSlash(QDir::cleanPath(Root));
    for (const TestVolume &v : TestVolumes())
        if (WithSlash(QDir::cleanPath(v.Root)) == root)
            return &v;
    return nullptr;
}

// The whole disk of a partition's device name: sdb1 -> sdb, mmcblk0p1 ->
// mmcblk0 (sysfs keeps the partition inside its disk's folder).
bool DeviceIsRemovable(const QByteArray &device)
{
    if (!device.startsWith("/dev/"))
        return false;
    const QString name = QFileInfo(QString::fromLocal8Bit(device)).fileName();
    QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (sys.isEmpty())
        return false;
    if (QFileInfo::exists(sys + QStringLiteral("/partition")))
        sys = QFileInfo(sys).absolutePath();
    QFile flag(sys + QStringLiteral("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1";
}

qint64 BytesUnder(const QString &root)
{
    qint64 total = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace

void SetRemovableVolumesForTests(const QList<TestVolume> &Volumes) { TestVolumes() = Volumes; }

QList<RemovableVolume> RemovableVolumes()
{
    QList<RemovableVolume> out;
    if (!TestVolumes().isEmpty()) {
        for (const TestVolume &v : TestVolumes()) {
            RemovableVolume volume{WithSlash(QDir::cleanPath(v.Root)), QString()};
            ReadVolumeLabel(volume.RootPath, volume.Label);
            out << volume;
        }
        return out;
    }
    for (const QStorageInfo &info : QStorageInfo::mountedVolumes()) {
        if (!info.isValid() || !info.isReady() || info.isRoot())
            continue;
        const QString root = info.rootPath();
        const bool userMount = root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/"));
        if (!userMount && !DeviceIsRemovable(info.device()))
            continue;
        RemovableVolume volume{WithSlash(root), QString()};
        ReadVolumeLabel(volume.RootPath, volume.Label);
        out << volume;
    }
    return out;
}

bool VolumeFreeSpace(const QString &Root, qint64 &Bytes)
{
    Bytes = 0;
    if (!QFileInfo(Root).isDir())
        return false;
    if (const TestVolume *v = TestVolumeOf(Root)) {
        Bytes = qMax<qint64>(0, v->Capacity - BytesUnder(Root));
        return true;
    }
    const QStorageInfo info(Root);
    if (!info.isValid() || !info.isReady())
        return false;
    Bytes = info.bytesAvailable();
    return Bytes >= 0;
}

bool ReadVolumeLabel(const QString &Root, QString &Label)
{
    Label.clear();
    const QFileInfo root(Root);
    if (!root.isDir() || !root.isReadable())
        return false;
    QFile file(WithSlash(Root) + QLatin1String(VolumeLabelFileName));
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return false;
        Label = QString::fromUtf8(file.readAll()).trimmed();
        return true;
    }
    if (!TestVolumeOf(Root))
        Label = QStorageInfo(Root).name();
    return true;
}

bool WriteVolumeLabel(const QString &Root, const QString &Label)
{
    if (!QFileInfo(Root).isDir())
        return false;
    // Replaced whole, so that a link standing at the name is never written
    // through.
    ReplacingFile file(WithSlash(Root) + QLatin1String(VolumeLabelFileName));
    return file.Open() && file.Device().write(Label.toUtf8()) == Label.toUtf8().size() && file.Commit();
}

} // namespace platform
