// SPDX-License-Identifier: GPL-3.0-or-later
// What the site register holds and hands out: sites, segments, filed results
// and their measurements, and the requests and answers of its operations.
// Plain values; the register itself is `Register` (Register.h).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "core/results/Compare.h"
#include "core/results/ResultTable.h"

namespace karvel {

// The instrument a result was fetched from, as its identification reply
// ("TARVIK,RQ4102,4471052,V5.12") names it; empty for a result that came
// from a file.
struct InstrumentIdentity {
  QString model;
  QString serial;
  QString firmware;
  bool isEmpty() const { return model.isEmpty() && serial.isEmpty() && firmware.isEmpty(); }
};

// Reads "maker,model,serial,firmware" (blanks and the line end trimmed);
// missing fields stay empty.
InstrumentIdentity identityFromReply(const QByteArray& reply);

struct RegisterSite {
  qint64 id = 0;
  QString customer;
  QString name;
  QString notes;
};

struct RegisterSegment {
  qint64 id = 0;
  qint64 siteId = 0;
  QString site;
  QString name;
  QString bus;  // the bus heading of its results; empty before the first
  QString notes;
  std::optional<qint64> baselineId;
  // How many times its baseline was changed, by whom and when: a change
  // made from a view older than the last one is refused.
  qint64 baselineChanges = 0;
  QString baselineChangedBy;
  QDateTime baselineChangedAt;
};

// One measurement row of a filed result, numbers in SI base units.
struct RegisterMeasurement {
  int position = 0;  // 1-based row of the result
  QString name;
  std::optional<double> value, minimum, maximum;
  QString unit;
  Status status = Status::None;
};

// A filed result as listed (no file bytes, no measurements).
struct RegisterEntry {
  qint64 id = 0;
  qint64 segmentId = 0;
  QString site;
  QString segment;
  QString fileName;  // the original file's name, as the instrument wrote it
  QString sha256;    // of the original bytes, lower-case hex
  qint64 size = 0;
  QString bus;
  QString verdict;
  Status verdictStatus = Status::Yellow;
  QDateTime date;  // written in the result, else the file's time
  DateSource dateSource = DateSource::FileTime;
  QDateTime filed;
  QString technician;
  QString note;
  InstrumentIdentity instrument;
  bool baseline = false;
  // Empty when the reader found every marker; else the one missing.
  QString problemMarker;
  // Filed here while its server could not be reached and not yet shared
  // with it: that server's name (RegisterServer::displayName). Else empty.
  QString pendingServer;
  // Its segment's baseline change counter as this listing saw it.
  qint64 baselineChanges = 0;
  // The file it was filed from, as the filing program named it; empty for a
  // result fetched from an instrument and for results filed before the
  // register kept it.
  QString sourcePath;
};

// Where a filed result came from: an instrument (its identity known), a
// file (its path known), or nothing recorded.
enum class ResultOrigin { Instrument, File, Unknown };
ResultOrigin originOf(const RegisterEntry& entry);
// "instrument", "file", "unknown": the command line's word for it.
QString originName(ResultOrigin origin);
// Where it came from, in words: "fetched from the instrument RQ4102 no.
// 4471052", "filed from the file /home/ana/R3.HTM", else that it was not
// recorded.
QString originText(const RegisterEntry& entry, int language);

// What to file: the original bytes and what is known of where they came from.
struct RegisterAddRequest {
  QString site;
  QString segment;
  QString customer;    // used when the site is new
  QString fileName;    // the original file's name (a path is cut to its name)
  QByteArray bytes;    // verbatim
  QDateTime fileTime;  // stands in for the date when the result writes none
  QString technician;
  QString note;
  InstrumentIdentity instrument;
  QDateTime filedAt;  // when it was first filed (a result shared later); empty: now
  // The file it is filed from, whole (addFile does not set it: a fetched
  // result's temporary file is no origin); empty when fetched.
  QString sourcePath;
};

struct RegisterAddOutcome {
  qint64 id = 0;
  // True when the same bytes were already filed: `id` is that result and
  // nothing was written.
  bool alreadyFiled = false;
  QString site;  // where the result is filed (the earlier place for a duplicate)
  QString segment;
};

// Which results a listing returns; empty members do not filter.
struct RegisterFilter {
  QString site;
  QString segment;
  QDateTime since;  // results dated at or after this
  QString text;     // found in the site, segment, file name, note, technician, serial or verdict
  int limit = 0;    // 0: all
  QDateTime until;  // results dated at or before this
  QString bus;      // results of this bus (blanks and case aside)
  std::optional<Status> verdict;  // results whose verdict has this status
  bool pendingOnly = false;       // only results not yet shared with a server
  QString pendingServer;          // only those waiting for this server
};

}  // namespace karvel
