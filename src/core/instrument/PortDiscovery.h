// Port discovery of USB-to-UART bridge devices: which serial port each
// attached bridge owns, in a stable order.
//
// On Linux the devices come from sysfs: every ttyUSBn below
// <sysRoot>/bus/usb-serial, with the vendor id, product id and serial number
// of the USB device it belongs to; its port is <devRoot>/ttyUSBn. On Windows
// the bridge maker's library lists the devices and the registry gives each
// one's COM port (GetPortNumXP2000Vista).
#pragma once

#include <QList>
#include <QString>

namespace karvel {

struct BridgeDevice {
  quint16 vendorId = 0;
  quint16 productId = 0;
  QString serialNumber;
  QString product;     // the USB product text, when the system reports one
  QString device;      // the serial port's device path or name
  int portNumber = -1; // the COM port number where ports are numbered, else -1
  QString resource;    // the resource name to open; empty when no port was found
};

// Linux: walks `sysRoot` (normally "/sys"); ports are named below `devRoot`
// (normally "/dev"). Ordered by tty number. Windows: the bridge library's
// devices in index order.
QList<BridgeDevice> listBridgeDevices(const QString& sysRoot, const QString& devRoot);

// Reads a sysfs number written in hexadecimal ("10c4\n"); -1 when unreadable.
int readHexId(const QString& path);

}  // namespace karvel
