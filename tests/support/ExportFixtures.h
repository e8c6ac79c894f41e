// SPDX-License-Identifier: GPL-3.0-or-later
// Results tables and folders that the spreadsheet export tests share.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/results/ResultTable.h"

namespace karvel::test {

inline ResultRow resultRow(const char* name, const char* min, const char* max, const char* value,
                           const char* distance, Status status = Status::Green) {
  ResultRow row;
  row.cells = {QString::fromUtf8(name), QString::fromUtf8(min), QString::fromUtf8(max),
               QString::fromUtf8(value), QString::fromUtf8(distance)};
  row.status = status;
  return row;
}

inline ResultTable threeRowTable() {
  ResultTable t;
  t.sourcePath = QStringLiteral("C:\\karvel\\CAN_01.HTM");
  t.title = QStringLiteral("File : can_01.HTM");
  t.tableLabel = QStringLiteral("BUS DIAGNOSTIC RESULT CAN HIGH SPEED");
  t.busHeading = QStringLiteral("CANHIGHSPEED 500 kbit/s");
  t.verdict = QStringLiteral("GOOD");
  t.verdictColour = Status::Green;
  t.rows = {resultRow("Bit time", "1.9", "2.1", "2.0", "50"),
            resultRow("Differential voltage", "1.5", "3.0", "2.2", "47", Status::Yellow),
            resultRow("Rise time", "0", "100", "120", "-20", Status::Red)};
  return t;
}

// A folder that refuses new files. A mode without write permission is not
// enough when the tests run as root; /proc refuses them to everybody.
inline QString unwritableFolder(const QTemporaryDir& scratch) {
  const QString locked = scratch.filePath(QStringLiteral("locked"));
  QDir().mkpath(locked);
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  QFile probe(locked + QStringLiteral("/probe"));
  if (!probe.open(QIODevice::WriteOnly)) return locked;
  probe.close();
  probe.remove();
  return QStringLiteral("/proc");
}

}  // namespace karvel::test
