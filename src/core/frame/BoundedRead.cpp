// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/BoundedRead.h"

#include <algorithm>

namespace karvel {

BoundedRead readBounded(QIODevice& device, qint64 max, QByteArray* out) {
  out->clear();
  if (!device.isSequential() && device.size() > max) return BoundedRead::TooLarge;
  // A regular file is read in one piece of its announced size; whatever comes
  // after (a file still growing, a pipe) in pieces.
  const qint64 first = device.isSequential() ? 0 : std::min(device.size(), max + 1);
  if (first > 0) out->reserve(first);
  constexpr qint64 kPiece = 64 * 1024;
  for (;;) {
    const qint64 want = std::min(max + 1 - qint64(out->size()),
                                 qint64(out->isEmpty() && first > 0 ? first : kPiece));
    if (want <= 0) return BoundedRead::TooLarge;
    const qsizetype at = out->size();
    out->resize(at + qsizetype(want));
    const qint64 got = device.read(out->data() + at, want);
    if (got < 0) {
      out->clear();
      return BoundedRead::Failed;
    }
    out->resize(at + qsizetype(got));
    if (out->size() > max) return BoundedRead::TooLarge;
    if (got == 0) {
      // read() gives 0 at the end of a file, and also on a pipe with nothing
      // yet: wait for more only where more can come.
      if (!device.isSequential() || !device.waitForReadyRead(-1)) return BoundedRead::Done;
    }
  }
}

}  // namespace karvel
