// SPDX-License-Identifier: GPL-3.0-or-later
// The order serial ports are shown and searched in: names compared with
// their numbers as numbers, so that ttyUSB2 comes before ttyUSB10 and COM9
// before COM10.
#pragma once

#include <QList>
#include <QString>

namespace karvel::io {

struct SerialPortEntry;

// Runs of digits compare by value (leading zeros aside), the rest as text;
// names equal that way fall back to plain text order, so the order is total.
bool portNameLess(const QString& a, const QString& b);

// Sorts ports by device name in that order.
void sortSerialPorts(QList<SerialPortEntry>& ports);

}  // namespace karvel::io
