// SPDX-License-Identifier: GPL-3.0-or-later
// The site register: every result filed by site and segment, kept whole
// (its original bytes), with its measurements in a table for queries, one
// baseline per segment and the history of visits. One SQLite file
// (RegisterEngine), or a PostgreSQL database that a team shares
// (RegisterServerEngine, named by a postgresql:// URI), with the same
// tables, shared by the windows and karvel-cli: each add is one
// transaction (there whole or not at all), writers queue for the lock, and
// a file that is not a register, is damaged or is of a newer schema is
// refused before anything is written to it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/register/RegisterTypes.h"
#include "core/results/Compare.h"

namespace karvel {

struct Installation;

class Register {
 public:
  Register();
  ~Register();  // closes
  Register(const Register&) = delete;
  Register& operator=(const Register&) = delete;

  // Where the register lives unless the settings or --register say
  // otherwise: beside the program when portable, in the user's data folder
  // (~/.local/share/karvel) when installed.
  static QString defaultPath(const Installation& installation);

  // Opens the register at `path`, making a new one when the file is missing
  // or empty, and migrating one of an older schema. Refused, with `error`
  // naming the file and the reason and the file left as it was, when it is
  // not an SQLite database, is another program's, is damaged, or is of a
  // newer schema. After a run that did not close the register (a crash, a
  // kill), the whole file is checked first. Messages are in `language`.
  // `path` may be a server's URI (isServerLocation): the register is then
  // that database, made there on first use when the role may; a server
  // that cannot be reached is refused with unreachableAtOpen() set.
  bool open(const QString& path, int language, QString* error);
  // Ends this program's use of it (also done by the destructor).
  void close();
  bool isOpen() const;
  QString path() const;
  // The schema version the file had when it was opened (0: made new).
  int versionAtOpen() const;
  // Whether open() checked the whole file after an unclean end.
  bool checkedAtOpen() const;
  // Whether the last open() failed because the server could not be reached.
  bool unreachableAtOpen() const;
  // Whether the register is on a server, and how messages name it (the
  // server without password, or the file).
  bool isServer() const;
  QString displayName() const;
  // Why this connection cannot file results (a server role with read
  // rights only), in the register's language; empty when it can.
  QString cannotFileReason() const;
  // Whether the last failed operation lost the server's connection.
  bool connectionLost() const;

  // Results filed from now on wait for the server named `server`
  // (RegisterServer::displayName): filed here while it cannot be reached.
  void setPendingServer(const QString& server);
  // A pending result is now on its server.
  bool markShared(qint64 id, QString* error);
  // Who changes baselines through this register (the settings' technician).
  void setTechnician(const QString& technician);

  // Files one result (a transaction of its own). The same bytes filed before
  // give that result back with `alreadyFiled` and write nothing. Refused
  // (nothing, `error` set) for what is not a result file, for a result of
  // another bus than the segment's, and when the register cannot be written
  // (it then keeps what it had).
  std::optional<RegisterAddOutcome> add(const RegisterAddRequest& request, QString* error);
  // add() for a file on disk: its name, bytes and modification time.
  std::optional<RegisterAddOutcome> addFile(const QString& path, RegisterAddRequest request,
                                            QString* error);

  // The results that pass `filter`, by site, segment, date and number.
  std::optional<std::vector<RegisterEntry>> list(const RegisterFilter& filter, QString* error);
  std::optional<RegisterEntry> entry(qint64 id, QString* error);
  // The result filed with these very bytes; empty when none is (`error`
  // then tells a failed read from a result not filed).
  std::optional<RegisterEntry> entryOfBytes(const QByteArray& bytes, QString* error);
  // The result of bus `bus` (blanks and case aside) filed last, whatever its
  // date: where the next result of that bus most likely goes. Empty (no
  // error) when none is filed.
  std::optional<RegisterEntry> lastFiledOfBus(const QString& bus, QString* error);
  std::optional<std::vector<RegisterMeasurement>> measurements(qint64 id, QString* error);
  // The file as it was filed, byte for byte.
  std::optional<QByteArray> originalBytes(qint64 id, QString* error);

  std::optional<std::vector<RegisterSite>> sites(QString* error);
  // The segments of a site (every site's when `site` is empty).
  std::optional<std::vector<RegisterSegment>> segments(const QString& site, QString* error);
  // Customer and notes of an existing site; notes of an existing segment.
  bool setSiteDetails(const QString& site, const QString& customer, const QString& notes,
                      QString* error);
  bool setSegmentNotes(const QString& site, const QString& segment, const QString& notes,
                       QString* error);

  // Makes result `id` its segment's baseline (in place of the one before).
  // With `seenChanges` (the segment's baselineChanges as the caller last
  // saw it), refused with a message naming who changed it and when if it
  // has changed since.
  bool setBaseline(qint64 id, QString* error);
  bool setBaseline(qint64 id, std::optional<qint64> seenChanges, QString* error);
  // The segment has no baseline any more.
  bool clearBaseline(const QString& site, const QString& segment, QString* error);

  // The results of a segment ready for compareRuns, read from their stored
  // bytes, each under its original name with its stored date and where that
  // date came from; with `sinceBaseline`, the baseline and the results dated
  // after it (refused when the segment has none).
  std::optional<std::vector<CompareRun>> segmentRuns(const QString& site, const QString& segment,
                                                     bool sinceBaseline, QString* error);
  // compareRuns over segmentRuns, in date order: the comparison
  // `karvel-cli result compare` makes of the same files.
  std::optional<Comparison> compareSegment(const QString& site, const QString& segment,
                                           bool sinceBaseline, const CompareOptions& options,
                                           QString* error);

  // The problems of the whole file (structure, references, stored files
  // that no longer match their hash, baselines outside their segment);
  // empty when sound. Nothing when the check could not run.
  std::optional<QStringList> check(QString* error);
  // A consistent copy into the new file `out` while others go on using the
  // register; refused when `out` exists.
  bool backup(const QString& out, QString* error);

 private:
  bool openServer(QString* error);
  struct State;
  State* d_;
};

}  // namespace karvel
