// The workstation's address and the machine's serial number.
#include "platform/system/Workstation.h"

#include <gtest/gtest.h>

using platform::ChooseWorkstationAddress;
using platform::InterfaceAddress;

namespace {

InterfaceAddress If(const char *name, const char *address, bool up = true, bool loopback = false,
                    bool running = true)
{
    return InterfaceAddress{name, address, up, loopback, running};
}

} // namespace

TEST(WorkstationAddress, TakesTheLastInterfaceAddressThatIsNotLoopback)
{
    EXPECT_EQ(ChooseWorkstationAddress({If("lo", "127.0.0.1", true, true), If("eth0", "192.168.1.20"),
                                        If("wlan0", "10.0.0.7")},
                                       {"127.0.1.1"}),
              "10.0.0.7");
    // An interface that is down, and a 127.x address on any interface, do
    // not count.
    EXPECT_EQ(ChooseWorkstationAddress({If("eth0", "192.168.1.20"), If("eth1", "172.16.0.3", false),
                                        If("dummy0", "127.0.0.9")},
                                       {}),
              "192.168.1.20");
}

TEST(WorkstationAddress, AnInterfaceWithoutALinkDoesNotCount)
{
    // An idle container bridge is up but has no link, and carries the same
    // address on every machine that has one.
    EXPECT_EQ(ChooseWorkstationAddress({If("lo", "127.0.0.1", true, true), If("eth0", "192.168.1.20"),
                                        If("docker0", "172.17.0.1", true, false, false)},
                                       {"127.0.1.1"}),
              "192.168.1.20");
    EXPECT_EQ(ChooseWorkstationAddress({If("docker0", "172.17.0.1", true, false, false)}, {"127.0.1.1"}),
              "127.0.1.1");
}

TEST(WorkstationAddress, FallsBackToTheLastHostNameAddressOnlyWithoutAnInterfaceAddress)
{
    EXPECT_EQ(ChooseWorkstationAddress({If("lo", "127.0.0.1", true, true)}, {"10.1.1.1", "127.0.1.1"}),
              "127.0.1.1");
    EXPECT_EQ(ChooseWorkstationAddress({}, {}), "");
}

TEST(WorkstationAddress, ThisMachineIsNotKeyedByLoopbackWhenItHasAnotherAddress)
{
    bool hasOther = false;
    for (const InterfaceAddress &a : platform::InterfaceAddresses())
        if (a.Up && a.Running && !a.Loopback && !a.Address.startsWith("127."))
            hasOther = true;
    const QString address = platform::WorkstationAddress();
    if (hasOther) {
        EXPECT_FALSE(address.startsWith("127.")) << address.toStdString();
    }
    EXPECT_EQ(address, platform::WorkstationAddress());
}

TEST(VolumeSerial, IsAStableUnsignedNumberOfTheMachineId)
{
    // FNV-1a of "abc": 0x1a47e90b.
    EXPECT_EQ(platform::VolumeSerialFromMachineId("abc"), 440920331u);
    const quint32 high = platform::VolumeSerialFromMachineId("0123456789abcdef0123456789abcdef");
    EXPECT_NE(high, platform::VolumeSerialFromMachineId("0123456789abcdef0123456789abcdee"));

    const QString text = platform::VolumeSerialText();
    EXPECT_EQ(text, platform::VolumeSerialText());
    bool ok = false;
    text.toUInt(&ok);
    EXPECT_TRUE(ok) << text.toStdString();
    EXPECT_FALSE(text.startsWith('-'));
}
