// SPDX-License-Identifier: GPL-3.0-or-later
// The COM port that Windows gave a USB-to-UART bridge device, read from the
// device's registry entry. The key names and the "PortName" value are formed
// and read by the pure functions below, which build and are tested on every
// platform; the registry walk itself exists on Windows only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace karvel {

// "Enum\USB\" sub-keys to try, in order: the composite-device form (interface
// 0) first, then the single-function form. Ids in four hexadecimal digits;
// spaces in the serial number become "_".
QStringList portNameKeyPaths(quint16 vendorId, quint16 productId, const QString& serialNumber);

// "COM5" -> 5, "COM12" -> 12: the first three characters are skipped and the
// rest read as a decimal number. -1 when no number follows.
int parsePortName(const QByteArray& value);

// The COM port number of the device, or -1 (Windows; -1 elsewhere).
int GetPortNumXP2000Vista(quint16 vendorId, quint16 productId, const QString& serialNumber);

}  // namespace karvel
