#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "host/headless_host.h"
#include "link/comm_port.h"
#include "link/port_list.h"
#include "link/port_names.h"
#include "support/pty_pair.h"
#include "support/usb_pipes.h"

namespace bridgit {
namespace {

TEST(PortList, ExtraPortsAndUsbDevicesAreListedAndPortsInUseLeftOut) {
  test::TTempDir root;
  test::TPtyPair free1, busy, free2;
  test::TUsbDevice plugged(root), absent(root, "_2"), second(root, "_4");
  plugged.PlugIn();
  second.PlugIn();
  const std::string extra = free1.path() + ":" + busy.path() + "::" + root / "missing" + ":" + free2.path();
  ::setenv("BRIDGIT_EXTRA_PORTS", extra.c_str(), 1);

  THeadlessHost host;
  TCommPort link(host);
  link.OpenComm(busy.path(), 9600);
  const std::vector<std::string> list = ListPorts();
  link.CloseComm();
  ::unsetenv("BRIDGIT_EXTRA_PORTS");

  ASSERT_GE(list.size(), 5u);
  EXPECT_EQ(list.front(), "Auto");
  // The machine's own serial ports may come between; these end the list.
  const std::vector<std::string> tail{free1.path(), free2.path(), "ZQx3G+", "ZQx3G+_4"};
  EXPECT_EQ(std::vector<std::string>(list.end() - 4, list.end()), tail);
  EXPECT_EQ(std::count(list.begin(), list.end(), busy.path()), 0);
}

TEST(PortNames, AliasesAndKinds) {
  EXPECT_EQ(SerialDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(SerialDevicePath("com12"), "/dev/ttyS11");
  EXPECT_EQ(SerialDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePath("COMX"), "COMX");
  EXPECT_TRUE(SamePort("COM1", "/dev/ttyS0"));
  EXPECT_TRUE(SamePort("auto", "AUTO"));
  EXPECT_FALSE(SamePort("COM1", "COM2"));
  EXPECT_TRUE(IsUsbPortName("zqx3g+_1"));
  EXPECT_FALSE(IsSerialPortName("Auto"));
  EXPECT_FALSE(IsSerialPortName("ZQx3G+"));
  EXPECT_TRUE(IsSerialPortName("/dev/pts/3"));
  ::setenv("BRIDGIT_USB_ROOT", "/tmp/usb/", 1);
  EXPECT_EQ(UsbDevicePath("ZQX3G+_2"), "/tmp/usb/ZQx3G+_2");
  EXPECT_EQ(UsbDevicePath("/other/ZQx3G+"), "/other/ZQx3G+");
  ::unsetenv("BRIDGIT_USB_ROOT");
  EXPECT_EQ(UsbDevicePath("ZQx3G+"), "/dev/ZQx3G+");
}

}  // namespace
}  // namespace bridgit
