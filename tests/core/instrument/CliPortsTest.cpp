// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli instrument ports on a fake device tree: every serial port with
// its ids, access and role, and --probe asking the candidates through the USB
// search's own routine (the simulator behind the device links).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/CliRun.h"
#include "support/Simulator.h"

using namespace karvel::test;

#ifndef Q_OS_WIN
namespace {

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// sys/class/tty/NAME as the kernel lays it out: a link to the tty's folder
// below its device, which holds a "device" entry; USB ports below a USB
// device folder with its ids and texts.
struct FakeTree {
  QTemporaryDir root;
  QString sys = root.filePath("sys");
  QString dev = root.filePath("dev");

  FakeTree() {
    QDir().mkpath(sys + "/class/tty");
    QDir().mkpath(dev);
    // Everyone may walk the tree: some runs are unprivileged.
    for (const QString& d : {root.path(), sys, dev})
      QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                   QFile::ReadOther | QFile::ExeOther);
  }
  // Returns the tty's folder.
  QString tty(const QString& name, const QString& parent) {
    const QString folder = sys + "/devices/" + parent + "/tty/" + name;
    QDir().mkpath(folder + "/device");
    QFile::link(folder, sys + "/class/tty/" + name);
    return folder;
  }
  void usb(const QString& device, const char* vid, const char* pid, const char* serial,
           const char* product) {
    write(sys + "/devices/" + device + "/idVendor", QByteArray(vid) + "\n");
    write(sys + "/devices/" + device + "/idProduct", QByteArray(pid) + "\n");
    write(sys + "/devices/" + device + "/serial", QByteArray(serial) + "\n");
    write(sys + "/devices/" + device + "/product", QByteArray(product) + "\n");
  }
  QStringList roots() const { return {"--sysfs-root", sys, "--dev-root", dev}; }
};

QJsonObject byDevice(const QJsonArray& ports, const QString& device) {
  for (const QJsonValue& p : ports)
    if (p.toObject()["device"].toString() == device) return p.toObject();
  return {};
}

}  // namespace

TEST(CliPorts, EveryPortWithIdsAccessAndRole) {
  Simulator bridge({"--pty", "--family", "1", "--baud", "115200"});
  Simulator gadget({"--pty", "--family", "2", "--cdc"});
  ASSERT_TRUE(bridge.ready() && gadget.ready());
  FakeTree t;
  // A legacy port with a UART, one without (left out), a console (left out),
  // a USB bridge and a CDC port.
  write(t.tty("ttyS0", "pnp0/00:01") + "/type", "4\n");
  write(t.tty("ttyS1", "platform/serial8250") + "/type", "0\n");
  QDir().mkpath(t.sys + "/class/tty/tty1");
  t.tty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0");
  t.usb("usb1/1-1", "10c4", "ea60", "AB12", "CP2102 USB to UART Bridge Controller");
  QDir().mkpath(t.sys + "/bus/usb-serial/devices");
  QFile::link(t.sys + "/devices/usb1/1-1/1-1:1.0/ttyUSB0",
              t.sys + "/bus/usb-serial/devices/ttyUSB0");
  t.tty("ttyACM0", "usb1/1-2/1-2:1.0");
  t.usb("usb1/1-2", "0525", "a4a7", "", "Gadget Serial v2.4");
  // The port that this account may not open, and the two instruments.
  write(t.dev + "/ttyS0", "");
  QFile::setPermissions(t.dev + "/ttyS0", ::geteuid() == 0 ? QFile::ReadOwner | QFile::WriteOwner
                                                           : QFile::Permissions());
  QFile::link(bridge.pty(), t.dev + "/ttyUSB0");
  QFile::link(gadget.pty(), t.dev + "/ttyACM0");

  const CliRun listed =
      runCli(QStringList{"instrument", "ports", "--format", "json"} + t.roots(), true);
  ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
  const QJsonObject doc = jsonOf(listed);
  EXPECT_FALSE(doc["probed"].toBool());
  const QJsonArray ports = doc["ports"].toArray();
  QStringList devices;
  for (const QJsonValue& p : ports) devices.append(p.toObject()["device"].toString());
  EXPECT_EQ(devices, QStringList({t.dev + "/ttyACM0", t.dev + "/ttyS0", t.dev + "/ttyUSB0"}));
  const QJsonObject legacy = byDevice(ports, t.dev + "/ttyS0");
  EXPECT_EQ(legacy["resource"].toString(), "ASRL" + t.dev + "/ttyS0::INSTR");
  EXPECT_EQ(legacy["access"].toString(), "permission-denied");
  EXPECT_FALSE(legacy["group"].toString().isEmpty());
  // Its group may not read and write it: joining that group would not help.
  EXPECT_FALSE(
      legacy["advice"].toString().contains("sudo usermod -aG " + legacy["group"].toString()));
  EXPECT_TRUE(legacy["advice"].toString().contains(
      "SUBSYSTEM==\"tty\", KERNEL==\"ttyS0\", GROUP=\"dialout\", MODE=\"0660\""));
  EXPECT_TRUE(legacy["candidate"].isNull());
  EXPECT_TRUE(legacy["vendor_id"].isNull());
  const QJsonObject usb = byDevice(ports, t.dev + "/ttyUSB0");
  EXPECT_EQ(usb["candidate"].toString(), "bridge");
  EXPECT_EQ(usb["vendor_id"].toString(), "10c4");
  EXPECT_EQ(usb["product_id"].toString(), "ea60");
  EXPECT_EQ(usb["serial_number"].toString(), "AB12");
  EXPECT_EQ(usb["product"].toString(), "CP2102 USB to UART Bridge Controller");
  const QJsonObject cdc = byDevice(ports, t.dev + "/ttyACM0");
  EXPECT_EQ(cdc["candidate"].toString(), "cdc");
  EXPECT_TRUE(cdc["serial_number"].isNull());
  EXPECT_TRUE(cdc["model"].isNull());

  // Probed by an account that may open them: each candidate names its model.
  QFile::setPermissions(t.dev + "/ttyS0", QFile::ReadOwner | QFile::WriteOwner);
  const CliRun probed =
      runCli(QStringList{"instrument", "ports", "--probe", "--format", "csv"} + t.roots());
  ASSERT_EQ(probed.code, 0) << probed.err.toStdString();
  const QJsonArray csv = csvOf(probed);
  ASSERT_EQ(csv.size(), 3);
  EXPECT_EQ(csv[0].toObject()["model"].toString(), "RQ6102");
  EXPECT_EQ(csv[0].toObject()["identification"].toString(), "TARVIK,RQ6102,4472318,V2.03");
  EXPECT_EQ(csv[1].toObject()["model"].toString(), "");  // no candidate: not asked
  EXPECT_EQ(csv[1].toObject()["access"].toString(), "ok");
  EXPECT_EQ(csv[2].toObject()["model"].toString(), "RQ4102");
  EXPECT_EQ(csv[2].toObject()["vendor_id"].toString(), "10c4");

  const CliRun text = runCli(QStringList{"instrument", "ports"} + t.roots());
  EXPECT_TRUE(text.out.contains("device\t" + t.dev + "/ttyUSB0\n"));
  EXPECT_TRUE(text.out.contains("candidate\tUSB bridge\n"));
  EXPECT_TRUE(text.out.contains("usb\t10c4:ea60\n"));
}

// Ports as people count them: ttyUSB2 before ttyUSB10, in every output.
TEST(CliPorts, PortsInNaturalOrder) {
  FakeTree t;
  for (const char* name : {"ttyUSB10", "ttyS10", "ttyUSB2", "ttyS2", "ttyUSB1"}) {
    write(t.tty(name, QStringLiteral("platform/port-%1").arg(name)) + "/type", "4\n");
    write(t.dev + "/" + name, "");
  }
  const QStringList expected = {t.dev + "/ttyS2", t.dev + "/ttyS10", t.dev + "/ttyUSB1",
                                t.dev + "/ttyUSB2", t.dev + "/ttyUSB10"};
  const CliRun listed = runCli(QStringList{"instrument", "ports", "--format", "json"} + t.roots());
  ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
  QStringList devices;
  for (const QJsonValue& p : jsonOf(listed)["ports"].toArray())
    devices.append(p.toObject()["device"].toString());
  EXPECT_EQ(devices, expected);

  const CliRun text = runCli(QStringList{"instrument", "ports"} + t.roots());
  QStringList shown;
  for (const QString& line : text.out.split(u'\n'))
    if (line.startsWith("device\t")) shown.append(line.mid(7));
  EXPECT_EQ(shown, expected);
}

// Refused ports as an ordinary account sees them: a group that may read and
// write the port is worth joining; root's own group, or a device no group may
// write, needs a udev rule, by USB ids when the port is a USB device.
TEST(CliPorts, AdviceNamesOnlyAGroupThatOpensThePort) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving devices to other groups needs root";
  FakeTree t;
  write(t.tty("ttyS0", "pnp0/00:01") + "/type", "4\n");
  write(t.tty("ttyS1", "pnp0/00:02") + "/type", "4\n");
  t.tty("ttyUSB1", "usb1/1-3/1-3:1.0/ttyUSB1");
  t.usb("usb1/1-3", "0403", "6001", "FT1", "FT232R USB UART");
  for (const char* name : {"ttyS0", "ttyS1", "ttyUSB1"}) write(t.dev + "/" + name, "");
  const QByteArray dev = QFile::encodeName(t.dev);
  ASSERT_EQ(::chown((dev + "/ttyS0").constData(), 0, 20), 0);  // dialout
  ASSERT_EQ(::chmod((dev + "/ttyS0").constData(), 0660), 0);
  ASSERT_EQ(::chown((dev + "/ttyS1").constData(), 0, 0), 0);
  ASSERT_EQ(::chmod((dev + "/ttyS1").constData(), 0660), 0);
  ASSERT_EQ(::chown((dev + "/ttyUSB1").constData(), 0, 20), 0);
  ASSERT_EQ(::chmod((dev + "/ttyUSB1").constData(), 0640), 0);

  const CliRun run =
      runCli(QStringList{"instrument", "ports", "--format", "json"} + t.roots(), true);
  ASSERT_EQ(run.code, 0) << run.err.toStdString();
  const QJsonArray ports = jsonOf(run)["ports"].toArray();
  const QJsonObject dialout = byDevice(ports, t.dev + "/ttyS0");
  EXPECT_EQ(dialout["access"].toString(), "permission-denied");
  EXPECT_EQ(dialout["group"].toString(), "dialout");
  EXPECT_TRUE(dialout["advice"].toString().contains("sudo usermod -aG dialout nobody"));
  EXPECT_FALSE(dialout["advice"].toString().contains("99-karvel.rules"));

  const QJsonObject rootOnly = byDevice(ports, t.dev + "/ttyS1");
  EXPECT_EQ(rootOnly["access"].toString(), "permission-denied");
  EXPECT_EQ(rootOnly["group"].toString(), "root");
  EXPECT_FALSE(rootOnly["advice"].toString().contains("usermod -aG root"));
  EXPECT_TRUE(rootOnly["advice"].toString().contains("KERNEL==\"ttyS1\""));

  const QJsonObject readOnly = byDevice(ports, t.dev + "/ttyUSB1");
  EXPECT_TRUE(readOnly["advice"].toString().contains("99-karvel.rules"));
  EXPECT_TRUE(readOnly["advice"].toString().contains(
      "ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\""));
  EXPECT_TRUE(readOnly["advice"].toString().contains("0640"));
}
#endif
