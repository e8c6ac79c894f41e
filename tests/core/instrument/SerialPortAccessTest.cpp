// SPDX-License-Identifier: GPL-3.0-or-later
// The advice for a serial port this account may not open: join the device's
// group only when that group may read and write it, else the udev rule that
// changes the device's permissions, by USB ids where the device has some.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/instrument/SerialPortAccess.h"

using namespace karvel;

#ifdef Q_OS_UNIX
namespace {

const char* kRuleByName = "SUBSYSTEM==\"tty\", KERNEL==\"ttyS0\", GROUP=\"dialout\", MODE=\"0660\"";

}  // namespace

TEST(SerialPortAdvice, OnlyAGroupThatMayReadAndWriteIsAdvised) {
  QTemporaryDir sys;  // no tty there: the rule names the device
  const QString device = "/dev/ttyS0";

  // root:root 0600: joining "root" would not open it, and nobody should.
  PortProblem p = permissionProblem(device, 0020600, 0, sys.path());
  EXPECT_EQ(p.kind, PortProblem::Kind::Permission);
  EXPECT_EQ(p.group, "root");
  EXPECT_FALSE(p.groupMayOpen);
  EXPECT_EQ(p.mode, "0600");
  EXPECT_EQ(p.rule, kRuleByName);
  QString advice = portAdvice(p, device, English);
  EXPECT_FALSE(advice.contains("usermod -aG root"));
  EXPECT_TRUE(advice.contains("(group \"root\", mode 0600)"));
  EXPECT_TRUE(advice.contains(QString("add the line\n") + kRuleByName +
                              "\nto the file /etc/udev/rules.d/99-karvel.rules"));
  EXPECT_TRUE(advice.contains("udevadm trigger"));
  EXPECT_TRUE(advice.contains("sudo usermod -aG dialout " + p.user));
  // Every language gives the line itself, unchanged.
  for (int l = French; l <= Italian; ++l) {
    const QString text = portAdvice(p, device, l);
    EXPECT_TRUE(text.startsWith(device)) << l;
    EXPECT_TRUE(text.contains(QString('\n') + kRuleByName + '\n')) << l;
    EXPECT_TRUE(text.contains("99-karvel.rules")) << l;
    EXPECT_FALSE(text.contains('%')) << l;
  }

  // Root's group stays out even when it may read and write; a group that
  // may only read, or only write, does not help either.
  EXPECT_FALSE(permissionProblem(device, 0660, 0, sys.path()).groupMayOpen);
  EXPECT_FALSE(permissionProblem(device, 0640, 20, sys.path()).groupMayOpen);
  EXPECT_FALSE(permissionProblem(device, 0620, 20, sys.path()).groupMayOpen);
  EXPECT_EQ(permissionProblem(device, 0606, 20, sys.path()).mode, "0606");

  // A group that may read and write: join it, as before.
  p = permissionProblem(device, 0660, 20, sys.path());
  EXPECT_TRUE(p.groupMayOpen);
  EXPECT_TRUE(p.rule.isEmpty());
  advice = portAdvice(p, device, English);
  EXPECT_TRUE(advice.contains("sudo usermod -aG " + p.group + " " + p.user));
  EXPECT_FALSE(advice.contains("udev"));
}

TEST(SerialPortAdvice, TheRuleNamesAUsbDeviceByItsIds) {
  // sys/class/tty/ttyUSB3 leads below the USB device that holds the ids.
  QTemporaryDir root;
  const QString sys = root.filePath("sys");
  const QString usb = sys + "/devices/pci0/usb1/1-4";
  const QString tty = usb + "/1-4:1.0/ttyUSB3/tty/ttyUSB3";
  ASSERT_TRUE(QDir().mkpath(tty + "/device"));
  ASSERT_TRUE(QDir().mkpath(sys + "/class/tty"));
  ASSERT_TRUE(QFile::link(tty, sys + "/class/tty/ttyUSB3"));
  for (const auto& [name, value] :
       {std::pair{"idVendor", "0403\n"}, std::pair{"idProduct", "6001\n"}}) {
    QFile f(usb + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(value);
  }
  const QString ids =
      "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
      "GROUP=\"dialout\", "
      "MODE=\"0660\"";
  EXPECT_EQ(udevRuleFor("/dev/ttyUSB3", sys), ids);
  const PortProblem p = permissionProblem("/dev/ttyUSB3", 0600, 0, sys);
  EXPECT_TRUE(portAdvice(p, "/dev/ttyUSB3", German).contains('\n' + ids + '\n'));
  // The same name without a USB device behind it, and a name the sysfs tree
  // does not know, go by the kernel's name.
  EXPECT_EQ(udevRuleFor("/dev/ttyUSB4", sys),
            "SUBSYSTEM==\"tty\", KERNEL==\"ttyUSB4\", GROUP=\"dialout\", MODE=\"0660\"");
  // A link (as /dev/serial/by-id/...) is followed to the device it names.
  const QString device = root.filePath("ttyUSB3");
  QFile(device).open(QIODevice::WriteOnly);
  ASSERT_TRUE(QFile::link(device, root.filePath("usb-FTDI_FT232R-if00-port0")));
  EXPECT_EQ(udevRuleFor(root.filePath("usb-FTDI_FT232R-if00-port0"), sys), ids);
}
#endif
