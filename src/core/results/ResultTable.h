// SPDX-License-Identifier: GPL-3.0-or-later
// One diagnostic result as read from the instrument's result file: what a
// results window shows and what the spreadsheet export writes.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <vector>

namespace karvel {

// Status of one measurement row; the values are the row's status index.
enum class Status : int { None = -1, Green = 0, Red = 1, Yellow = 2 };

// The colour a status is shown in (0xRRGGBB), in the results window and in
// workbooks; -1 for no status.
constexpr int statusRgb(Status status) {
  switch (status) {
    case Status::Green:
      return 0x00FF00;
    case Status::Red:
      return 0xFF0000;
    case Status::Yellow:
      return 0xFFFF00;
    case Status::None:
      break;
  }
  return -1;
}

struct ResultRow {
  // The five cells as read: name, min tolerance, max tolerance, measurement, distance.
  std::array<QString, 5> cells;
  Status status = Status::None;
};

struct ResultTable {
  QString sourcePath;                     // the path exactly as given to the reader
  QString title;                          // window title, e.g. "File : can_01.HTM"
  QString tableLabel;                     // label of the results table
  QString busHeading;                     // the bus heading text
  QString verdict;                        // the overall verdict text
  Status verdictColour = Status::Yellow;  // Green, Red or Yellow
  std::vector<ResultRow> rows;
  // The date and time the result writes of itself; invalid when it writes none.
  QDateTime date;
  // Empty when the file held every marker the reader walks; otherwise the
  // first marker that was missing or out of place (the reading stopped there
  // and the table holds what came before it).
  QString problemMarker;
};

}  // namespace karvel
