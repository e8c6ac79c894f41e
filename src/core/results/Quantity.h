// SPDX-License-Identifier: GPL-3.0-or-later
// A value of a result or bus definition file read back as a number: what
// the command-line output and the workbook's number columns hold.
#pragma once

#include <QString>
#include <optional>

#include "core/results/ResultTable.h"

namespace karvel {

// A value as shown ("8.00 µs") and read back: the number in the base unit
// (8e-06) and that unit ("s"). A prefix (p, n, µ, m, k, M, G) is folded into
// the number only for V, A, s, Hz, Ohm, Ω, bit/s, bps and W; any other unit
// ("V/µs", "%") is kept as shown. No number: both empty.
struct Quantity {
  QString text;
  std::optional<double> number;
  QString unit;
};
Quantity quantity(const QString& text);

// The units above: those whose numbers take a prefix.
bool isBaseUnit(const QString& unit);

// The same, with a prefix in the denominator of a ratio of those units
// folded in too ("1.9 V/µs" gives 1.9e6 V/s): the numbers a spreadsheet holds.
Quantity siQuantity(const QString& text);

// pass, warning, fail or none.
QString statusName(Status status);

}  // namespace karvel
