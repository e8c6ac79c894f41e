// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/PortOrder.h"

#include <algorithm>

#include "io/Visa.h"

namespace karvel::io {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

}  // namespace

bool portNameLess(const QString& a, const QString& b) {
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      // Compare the two numbers without converting them: a name may hold
      // more digits than any integer type.
      while (i < a.size() && a[i] == u'0') ++i;
      while (j < b.size() && b[j] == u'0') ++j;
      qsizetype ei = i, ej = j;
      while (ei < a.size() && isDigit(a[ei])) ++ei;
      while (ej < b.size() && isDigit(b[ej])) ++ej;
      if (ei - i != ej - j) return ei - i < ej - j;
      for (; i < ei; ++i, ++j)
        if (a[i] != b[j]) return a[i] < b[j];
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  // One name ran out first: the shorter comes first.
  if (i < a.size() || j < b.size()) return i >= a.size();
  return a < b;
}

void sortSerialPorts(QList<SerialPortEntry>& ports) {
  std::stable_sort(ports.begin(), ports.end(),
                   [](const SerialPortEntry& x, const SerialPortEntry& y) {
                     return portNameLess(x.device, y.device);
                   });
}

}  // namespace karvel::io
