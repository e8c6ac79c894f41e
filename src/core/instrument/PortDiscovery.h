// SPDX-License-Identifier: GPL-3.0-or-later
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
  QString product;      // the USB product text, when the system reports one
  QString device;       // the serial port's device path or name
  int portNumber = -1;  // the COM port number where ports are numbered, else -1
  QString resource;     // the resource name to open; empty when no port was found
};

// Linux: walks `sysRoot` (normally "/sys"); ports are named below `devRoot`
// (normally "/dev"). Ordered by tty number. Windows: the bridge library's
// devices in index order.
QList<BridgeDevice> listBridgeDevices(const QString& sysRoot, const QString& devRoot);

// A serial port of the machine and what the system tells of it.
struct SerialDevice {
  enum class Role {
    None,    // an ordinary serial port
    Bridge,  // a USB-to-UART bridge: the USB search tries it at the bridge speeds
    Cdc,     // a CDC port naming itself "Gadget Serial": the USB search asks it first
  };
  QString device;     // the device path (Linux) or name (COM3)
  QString resource;   // the resource name that opens it
  int vendorId = -1;  // USB ids; -1 for a port that is no USB device
  int productId = -1;
  QString serialNumber;
  QString product;  // the USB product text
  Role role = Role::None;
};

// Every serial port of the machine in name order (ttyACM0, ttyS0, ttyS1,
// ttyUSB2, ttyUSB10). Linux: the ttys below `sysRoot`/class/tty that belong
// to a device (not consoles or pseudo-terminals; a legacy port without a
// UART is left out), named below `devRoot`; the roles by the USB search's
// rules. Windows: the system's port list.
QList<SerialDevice> listSerialDevices(const QString& sysRoot, const QString& devRoot);

// Reads a sysfs number written in hexadecimal ("10c4\n"); -1 when unreadable.
int readHexId(const QString& path);

// The USB vendor and product ids of the device behind the tty `name`
// ("ttyUSB0") below `sysRoot`; false for a port that is no USB device.
bool usbIdsOfTty(const QString& sysRoot, const QString& name, int* vendorId, int* productId);

}  // namespace karvel
