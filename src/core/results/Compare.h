// SPDX-License-Identifier: GPL-3.0-or-later
// Results of one bus compared over time: the runs ordered by date, each
// measurement matched by name across them with its values, its margin to the
// nearer limit, its trend and whether that margin shrank.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/results/ResultTable.h"

namespace karvel {

enum class Trend { Rising, Falling, Steady, Unknown };

// rising, falling, steady, unknown.
QString trendName(Trend trend);
// The same in the user's language.
QString trendText(Trend trend, int language);

// Where a run's date comes from: written in the result, or the file's
// modification time standing in for it (which a copy may have changed).
enum class DateSource { Result, FileTime };

// "file" (the result wrote it) or "modified" (the file's time), as the
// command line's outputs name them.
QString dateSourceName(DateSource source);
// The same for people, in the user's language.
QString dateSourceText(DateSource source, int language);

struct CompareRun {
  ResultTable table;
  QDateTime date;
  DateSource dateSource = DateSource::FileTime;
  // The table's rows were let go once the comparison held its figures (see
  // CompareOptions::keepRows): everything else of the table is there.
  bool rowsReleased = false;
};

// How the runs were put in order: by their dates, or as the user gave them.
enum class RunOrder { ByDate, Given };

// What the trends rest on: dates all written in the results, dates of which
// some are only file times (the order may be wrong), or the user's order.
enum class OrderBasis { ResultDates, FileTimes, Given };

struct CompareMeasurement {
  QString name;
  QString unit;
  // Per run, in the order of the runs; empty where the run has no number
  // (or no such measurement).
  std::vector<std::optional<double>> values, minimum, maximum;
  // Distance to the nearer limit as a share of the band (0 at a limit,
  // 0.5 in the middle, below 0 outside); empty where it cannot be told.
  std::vector<std::optional<double>> margins;
  std::vector<Status> statuses;
  Trend trend = Trend::Unknown;
  bool marginShrank = false;
};

struct Comparison {
  QString bus;
  std::vector<CompareRun> runs;
  std::vector<CompareMeasurement> measurements;
  RunOrder order = RunOrder::ByDate;
};

OrderBasis orderBasis(const Comparison& comparison);
// "dates", "file_times" or "given".
QString orderBasisName(OrderBasis basis);
// What to say beside the trends, in the user's language: nothing for dates
// written in the results; otherwise how many runs stand on file times, or
// that the order is the user's.
QString trendNote(const Comparison& comparison, int language);

struct CompareOptions {
  // A margin that lost more than this share between the first and the last
  // run is flagged.
  double shrinkShare = 0.25;
  // A change of the value no larger than this share of the band is steady.
  double steadyShare = 0.05;
  // Whether compareResultFiles keeps every run's rows (a window that moves
  // runs compares them again). Without, each run keeps its table's headings
  // only and the comparison its figures, read one file at a time: the
  // memory of one result's rows, however many results.
  bool keepRows = true;
};

// The date of a result: the date and time written in its text
// (resultDateIn), else the file's modification time; `fromFile` tells
// whether the text wrote it.
QDateTime resultDate(const QByteArray& text, const QString& path, bool* fromFile);

// The margin of `value` between `minimum` and `maximum` (either may be
// missing): with both, the distance to the nearer limit as a share of the
// band; with one, the distance as a share of that limit's size.
std::optional<double> marginOf(std::optional<double> value, std::optional<double> minimum,
                               std::optional<double> maximum);

// Whether two bus headings name the same bus (blanks and case aside): the
// runs of one comparison, the results of one register segment.
bool sameBus(const QString& a, const QString& b);

// Orders the runs by date (or keeps them as given) and matches their
// measurements. Refused (nothing, with `error` set) when the runs are of
// different buses or fewer than two: one result has nothing to compare with.
std::optional<Comparison> compareRuns(std::vector<CompareRun> runs, const CompareOptions& options,
                                      QString* error, int language,
                                      RunOrder order = RunOrder::ByDate);

// Reads the result files and compares them; `error` names the file that
// could not be read or the buses that differ. The dates come first, from the
// head of each file, and the files are then read whole one at a time in the
// order of the runs.
std::optional<Comparison> compareResultFiles(const QStringList& paths,
                                             const CompareOptions& options, int language,
                                             QString* error, RunOrder order = RunOrder::ByDate);

}  // namespace karvel
