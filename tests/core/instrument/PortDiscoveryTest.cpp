// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/instrument/PortDiscovery.h"
#include "core/instrument/WinPortName.h"

using namespace karvel;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

TEST(RegistryPortName, KeyNamesBothFormsWithUnderscores) {
  const QStringList keys = portNameKeyPaths(0x10C4, 0xEA60, "AB 12");
  ASSERT_EQ(keys.size(), 2);
  EXPECT_EQ(keys[0], "Vid_10c4&Pid_ea60&Mi_00\\AB_12_00\\Device Parameters\\");
  EXPECT_EQ(keys[1], "Vid_10c4&Pid_ea60\\AB_12\\Device Parameters\\");
  // Ids below 0x1000 keep four digits, as the registry spells them.
  EXPECT_TRUE(portNameKeyPaths(0x0403, 0x6001, "X").at(1).startsWith("Vid_0403&Pid_6001\\"));
}

TEST(RegistryPortName, PortNameValues) {
  EXPECT_EQ(parsePortName("COM12"), 12);
  EXPECT_EQ(parsePortName("COM3"), 3);
  EXPECT_EQ(parsePortName("COM"), -1);
  EXPECT_EQ(parsePortName(""), -1);
  EXPECT_EQ(parsePortName("LPT"), -1);
  EXPECT_EQ(parsePortName(QByteArray(150, '9')),
            parsePortName(QByteArray(150, '9')));  // bounded, no overflow
}

#ifndef Q_OS_WIN
TEST(BridgeWalk, SysfsDevicesInTtyOrderWithTheirIds) {
  QTemporaryDir root;
  const QString sys = root.filePath("sys");
  struct Dev {
    const char* tty;
    const char* usb;
    const char* vid;
    const char* serial;
  };
  for (const Dev& d :
       {Dev{"ttyUSB10", "1-4", "0403", nullptr}, Dev{"ttyUSB2", "1-1", "10c4", "AB 12\n"}}) {
    const QString usb = sys + "/devices/pci0000:00/usb1/" + d.usb;
    const QString folder = usb + "/" + d.usb + ":1.0/" + d.tty;
    ASSERT_TRUE(QDir().mkpath(folder));
    writeFile(usb + "/idVendor", QByteArray(d.vid) + "\n");
    writeFile(usb + "/idProduct", "ea60\n");
    if (d.serial) writeFile(usb + "/serial", d.serial);
    ASSERT_TRUE(QDir().mkpath(sys + "/bus/usb-serial/devices"));
    ASSERT_TRUE(QFile::link(folder, sys + "/bus/usb-serial/devices/" + d.tty));
  }
  // A tty without a USB parent and a stray entry are taken or skipped safely.
  ASSERT_TRUE(QDir().mkpath(sys + "/bus/usb-serial/drivers/ftdi_sio/ttyUSB0"));
  ASSERT_TRUE(QDir().mkpath(sys + "/bus/usb-serial/drivers/ftdi_sio/module"));

  const auto devices = listBridgeDevices(sys, "/dev");
  ASSERT_EQ(devices.size(), 3);
  EXPECT_EQ(devices[0].device, "/dev/ttyUSB0");
  EXPECT_EQ(devices[0].vendorId, 0);
  EXPECT_EQ(devices[1].device, "/dev/ttyUSB2");
  EXPECT_EQ(devices[1].vendorId, 0x10C4);
  EXPECT_EQ(devices[1].productId, 0xEA60);
  EXPECT_EQ(devices[1].serialNumber, "AB 12");
  EXPECT_EQ(devices[1].resource, "ASRL/dev/ttyUSB2::INSTR");
  EXPECT_EQ(devices[2].device, "/dev/ttyUSB10");
  EXPECT_EQ(devices[2].vendorId, 0x0403);
  EXPECT_TRUE(devices[2].serialNumber.isEmpty());

  EXPECT_TRUE(listBridgeDevices(root.filePath("nothing"), "/dev").isEmpty());
}

TEST(SerialPortList, NaturalOrderOfNames) {
  QTemporaryDir root;
  const QString sys = root.filePath("sys");
  for (const char* name : {"ttyUSB10", "ttyACM1", "ttyUSB2", "ttyS3", "ttyACM0"}) {
    const QString folder = sys + "/devices/platform/" + name + "/tty/" + name;
    ASSERT_TRUE(QDir().mkpath(folder + "/device"));
    writeFile(folder + "/type", "4\n");
    ASSERT_TRUE(QDir().mkpath(sys + "/class/tty"));
    ASSERT_TRUE(QFile::link(folder, sys + "/class/tty/" + name));
  }
  QStringList devices;
  for (const SerialDevice& d : listSerialDevices(sys, "/dev")) devices << d.device;
  EXPECT_EQ(devices, QStringList({"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyS3", "/dev/ttyUSB2",
                                  "/dev/ttyUSB10"}));
}
#endif
