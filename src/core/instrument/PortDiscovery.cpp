// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instrument/PortDiscovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include "core/instrument/Communication.h"
#include "core/instrument/WinPortName.h"
#include "io/PortOrder.h"
#include "io/ResourceName.h"

#ifdef Q_OS_WIN
#include <QSerialPortInfo>
#endif

namespace karvel {

int readHexId(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  bool ok = false;
  const int v = QString::fromLatin1(f.read(16)).trimmed().toInt(&ok, 16);
  return (ok && v >= 0 && v <= 0xFFFF) ? v : -1;
}

namespace {

QString readText(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.read(300)).trimmed();
}

// The USB device folder (the one holding idVendor) above a tty's sysfs folder.
QString usbDeviceFolder(const QString& ttyFolder, const QString& sysRoot) {
  const QString root = QDir(sysRoot).canonicalPath();
  QDir dir(ttyFolder);
  for (int depth = 0; depth < 12; ++depth) {
    if (QFileInfo::exists(dir.filePath("idVendor")) && QFileInfo::exists(dir.filePath("idProduct")))
      return dir.path();
    const QString here = dir.canonicalPath();
    if (here.isEmpty() || here == root || here == "/" || !dir.cdUp()) break;
  }
  return {};
}

}  // namespace

bool usbIdsOfTty(const QString& sysRoot, const QString& name, int* vendorId, int* productId) {
  const QString folder =
      QFileInfo(QDir(sysRoot).filePath(QStringLiteral("class/tty/") + name)).canonicalFilePath();
  if (name.isEmpty() || folder.isEmpty()) return false;
  const QString usb = usbDeviceFolder(folder, sysRoot);
  if (usb.isEmpty()) return false;
  *vendorId = readHexId(QDir(usb).filePath(QStringLiteral("idVendor")));
  *productId = readHexId(QDir(usb).filePath(QStringLiteral("idProduct")));
  return *vendorId >= 0 && *productId >= 0;
}

#ifndef Q_OS_WIN
QList<BridgeDevice> listBridgeDevices(const QString& sysRoot, const QString& devRoot) {
  // tty name -> its sysfs folder; every driver folder lists the ports it owns.
  QMap<int, QPair<QString, QString>> ports;
  static const QRegularExpression ttyName(QStringLiteral("^ttyUSB(\\d+)$"));
  const QStringList places = {QDir(sysRoot).filePath("bus/usb-serial/devices")};
  QStringList folders = places;
  const QDir drivers(QDir(sysRoot).filePath("bus/usb-serial/drivers"));
  for (const QString& d : drivers.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
    folders.append(drivers.filePath(d));
  for (const QString& folder : folders) {
    const QDir dir(folder);
    for (const QFileInfo& e :
         dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
      const auto m = ttyName.match(e.fileName());
      if (!m.hasMatch()) continue;
      const int n = m.captured(1).toInt();
      if (ports.contains(n)) continue;
      const QString real = e.canonicalFilePath();
      if (real.isEmpty()) continue;
      ports.insert(n, {e.fileName(), real});
    }
  }
  QList<BridgeDevice> out;
  for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
    BridgeDevice dev;
    dev.device = QDir(devRoot).filePath(it.value().first);
    const QString usb = usbDeviceFolder(it.value().second, sysRoot);
    if (!usb.isEmpty()) {
      const int vid = readHexId(QDir(usb).filePath("idVendor"));
      const int pid = readHexId(QDir(usb).filePath("idProduct"));
      dev.vendorId = static_cast<quint16>(vid < 0 ? 0 : vid);
      dev.productId = static_cast<quint16>(pid < 0 ? 0 : pid);
      dev.serialNumber = readText(QDir(usb).filePath("serial"));
      dev.product = readText(QDir(usb).filePath("product"));
    }
    dev.resource = QStringLiteral("ASRL%1::INSTR").arg(dev.device);
    out.append(dev);
  }
  return out;
}
#endif

namespace {

SerialDevice::Role roleOf(const QString& device, const QString& product,
                          const QList<BridgeDevice>& bridges) {
  for (const BridgeDevice& b : bridges)
    if (b.device == device) return SerialDevice::Role::Bridge;
  // The interface name the USB search looks at is the port's USB product text.
  if (product.contains(QLatin1String(kCdcInterfaceName), Qt::CaseInsensitive))
    return SerialDevice::Role::Cdc;
  return SerialDevice::Role::None;
}

}  // namespace

QList<SerialDevice> listSerialDevices(const QString& sysRoot, const QString& devRoot) {
  QList<SerialDevice> out;
  const QList<BridgeDevice> bridges = listBridgeDevices(sysRoot, devRoot);
#ifndef Q_OS_WIN
  const QDir ttys(QDir(sysRoot).filePath(QStringLiteral("class/tty")));
  QStringList names = ttys.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
  std::sort(names.begin(), names.end(), io::portNameLess);
  for (const QString& name : names) {
    const QString folder = QFileInfo(ttys.filePath(name)).canonicalFilePath();
    // Consoles and pseudo-terminals belong to no device.
    if (folder.isEmpty() || !QFileInfo::exists(QDir(folder).filePath(QStringLiteral("device"))))
      continue;
    // A legacy port number without a UART behind it reports type 0.
    const QString type = readText(QDir(folder).filePath(QStringLiteral("type")));
    if (name.startsWith(QLatin1String("ttyS")) && type == u"0") continue;
    SerialDevice port;
    port.device = QDir(devRoot).filePath(name);
    port.resource = io::serialResourceName(port.device);
    if (const QString usb = usbDeviceFolder(folder, sysRoot); !usb.isEmpty()) {
      port.vendorId = readHexId(QDir(usb).filePath(QStringLiteral("idVendor")));
      port.productId = readHexId(QDir(usb).filePath(QStringLiteral("idProduct")));
      port.serialNumber = readText(QDir(usb).filePath(QStringLiteral("serial")));
      port.product = readText(QDir(usb).filePath(QStringLiteral("product")));
    }
    port.role = roleOf(port.device, port.product, bridges);
    out.append(port);
  }
#else
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialDevice port;
    port.device = info.portName();
    port.resource = io::serialResourceName(port.device);
    if (info.hasVendorIdentifier()) port.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) port.productId = info.productIdentifier();
    port.serialNumber = info.serialNumber();
    port.product = info.description();
    port.role = roleOf(port.device, port.product, bridges);
    out.append(port);
  }
  std::sort(out.begin(), out.end(), [](const SerialDevice& a, const SerialDevice& b) {
    return io::portNameLess(a.device, b.device);
  });
#endif
  return out;
}

}  // namespace karvel
