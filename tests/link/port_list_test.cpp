#include <gtest/gtest.h>

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
  SetPortListSeparator("\n");
  std::string list;
  ListPorts(list);
  link.CloseComm();
  ::unsetenv("BRIDGIT_EXTRA_PORTS");

  ASSERT_TRUE(list.starts_with("Auto\n"));
  const std::string tail = free1.path() + "\n" + free2.path() + "\nZQx3G+\nZQx3G+_4\n";
  ASSERT_GE(list.size(), tail.size());
  EXPECT_EQ(list.substr(list.size() - tail.size()), tail) << list;
  EXPECT_EQ(list.find(busy.path()), std::string::npos);
  EXPECT_EQ(list.find("ZQx3G+_2"), std::string::npos);

  // The separator follows each name; "Auto" always has a line feed.
  SetPortListSeparator(";");
  ::setenv("BRIDGIT_EXTRA_PORTS", free1.path().c_str(), 1);
  ListPorts(list);
  ::unsetenv("BRIDGIT_EXTRA_PORTS");
  SetPortListSeparator("\n");
  EXPECT_TRUE(list.starts_with("Auto\n"));
  EXPECT_NE(list.find(free1.path() + ";ZQx3G+;ZQx3G+_4;"), std::string::npos) << list;
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
