#pragma once
// The two identities of this machine that the program keys data by: its
// IPv4 address (workstation settings and document counters) and a volume
// serial number (names of per-workstation work tables).
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace platform {

// One IPv4 address of a network interface, in the order the system lists
// the interfaces.
struct InterfaceAddress
{
    QString Interface;
    QString Address;   // dotted text
    bool Up = false;
    bool Loopback = false;
    // Connected (IFF_RUNNING): an interface that is up without a link, such
    // as an idle container or virtual-machine bridge, carries the same
    // address on many machines and is not the workstation's network.
    bool Running = true;
};

// The IPv4 addresses of the machine's interfaces.
std::vector<InterfaceAddress> InterfaceAddresses();
// The IPv4 addresses the host name resolves to, in the resolver's order;
// empty when it does not resolve.
QStringList HostNameAddresses();

// The workstation's address: the last address of an interface that is up,
// connected and not a loopback (127.x); only when there is none, the last address
// the host name resolves to (on Debian usually 127.0.1.1); "" when neither
// gives one.
QString ChooseWorkstationAddress(const std::vector<InterfaceAddress> &Interfaces,
                                 const QStringList &HostAddresses);
// The same for this machine.
QString WorkstationAddress();

// A 32-bit number derived from a machine id: equal ids give equal numbers.
quint32 VolumeSerialFromMachineId(const QByteArray &MachineId);
// This machine's number as unsigned decimal text, stable across runs: from
// the machine id, else from the host name.
QString VolumeSerialText();

} // namespace platform
