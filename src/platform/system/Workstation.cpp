#include "platform/system/Workstation.h"

#include <QSysInfo>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

QString DottedText(const in_addr &Address)
{
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &Address, text, sizeof text))
        return QString();
    return QString::fromLatin1(text);
}

bool IsLoopbackAddress(const QString &Address)
{
    return Address.startsWith(QLatin1String("127."));
}

} // namespace

std::vector<InterfaceAddress> InterfaceAddresses()
{
    std::vector<InterfaceAddress> result;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        InterfaceAddress address;
        address.Interface = QString::fromLocal8Bit(entry->ifa_name);
        address.Address = DottedText(reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr);
        address.Up = (entry->ifa_flags & IFF_UP) != 0;
        address.Loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        address.Running = (entry->ifa_flags & IFF_RUNNING) != 0;
        if (!address.Address.isEmpty())
            result.push_back(address);
    }
    freeifaddrs(list);
    return result;
}

QStringList HostNameAddresses()
{
    QStringList result;
    char name[65] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return result;
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;   // one entry per address
    addrinfo *list = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &list) != 0)
        return result;
    for (addrinfo *entry = list; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || !entry->ai_addr)
            continue;
        const QString text = DottedText(reinterpret_cast<const sockaddr_in *>(entry->ai_addr)->sin_addr);
        if (!text.isEmpty())
            result << text;
    }
    freeaddrinfo(list);
    return result;
}

QString ChooseWorkstationAddress(const std::vector<InterfaceAddress> &Interfaces,
                                 const QStringList &HostAddresses)
{
    QString chosen;
    for (const InterfaceAddress &address : Interfaces)
        if (address.Up && address.Running && !address.Loopback && !IsLoopbackAddress(address.Address))
            chosen = address.Address;
    if (chosen.isEmpty() && !HostAddresses.isEmpty())
        chosen = HostAddresses.last();
    return chosen;
}

QString WorkstationAddress()
{
    const QString address = ChooseWorkstationAddress(InterfaceAddresses(), QStringList());
    if (!address.isEmpty())
        return address;
    return ChooseWorkstationAddress({}, HostNameAddresses());
}

quint32 VolumeSerialFromMachineId(const QByteArray &MachineId)
{
    // FNV-1a: a spread of the id's bits over 32 bits.
    quint32 hash = 2166136261u;
    for (const char byte : MachineId) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 16777619u;
    }
    return hash;
}

QString VolumeSerialText()
{
    QByteArray id = QSysInfo::machineUniqueId().trimmed();
    if (id.isEmpty())
        id = QSysInfo::machineHostName().toUtf8();
    if (id.isEmpty())
        return QStringLiteral("0");
    return QString::number(VolumeSerialFromMachineId(id));
}

} // namespace platform
