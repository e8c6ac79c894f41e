// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a whole file that must stay below a size bound.
#pragma once

#include <QByteArray>
#include <QIODevice>

namespace karvel {

enum class BoundedRead { Done, TooLarge, Failed };

// Reads `device` to its end into `out`, in pieces, never holding more than
// `max` + 1 bytes: a file larger than `max` (or one that grows past it while
// it is read, or a device that never ends) gives TooLarge. Failed: a read
// error (the device's errorString() says which).
BoundedRead readBounded(QIODevice& device, qint64 max, QByteArray* out);

}  // namespace karvel
