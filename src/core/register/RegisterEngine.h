// SPDX-License-Identifier: GPL-3.0-or-later
// Everything of the register that belongs to its database engine, SQLite
// through Qt's QSQLITE driver: the connection's options, the column types
// that differ between engines, the write lock, busy errors, the journal,
// the integrity check, the consistent copy and the close. The schema and
// the queries (RegisterSchema, Register) use only SQL that other engines
// accept as well, so that another engine replaces this class alone.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <optional>

namespace karvel {

class RegisterEngine {
 public:
  // The Qt SQL driver.
  static QString driverName();
  // How long a connection waits for another writer before it gives up (ms).
  static constexpr int kBusyTimeoutMs = 4000;

  // Sets the file and the connection options on a database not yet open.
  static void configure(QSqlDatabase& db, const QString& path);

  // Why the file at `path` cannot be an SQLite database at all (its first
  // bytes are not SQLite's), in `language`; empty when it may be one, or is
  // missing or empty (a new register). `readError` receives the system's
  // reason when it cannot be read.
  static QString foreignFileReason(const QString& path, int language, QString* readError);

  // Whether the database holds tables at all (a new register holds none);
  // nothing when the file cannot be read as a database.
  static std::optional<bool> hasTables(QSqlDatabase& db, QString* error);

  // Run on every connection once open: foreign keys, durable commits.
  static bool prepareConnection(QSqlDatabase& db, QString* error);
  // Run once on a new register before its tables are made: the write-ahead
  // journal (readers and a writer at once), the file's application mark.
  static bool prepareNewFile(QSqlDatabase& db, QString* error);

  // The schema's text with the engine's types put in: %ID% (an integer key
  // the database numbers) and %BLOB% (bytes).
  static QString schemaText(QString statement);

  // Starts a transaction that holds the write lock from its first statement,
  // so that two writers queue instead of failing half-way.
  static bool beginWrite(QSqlDatabase& db, QSqlError* error);

  // Whether an error only says that another connection holds the lock.
  static bool isBusy(const QSqlError& error);
  // Whether an error says that the file is damaged or not a database.
  static bool isDamage(const QSqlError& error);

  // Reads the whole file's structure; the problems found ("ok" gives none).
  // `quick` skips the matching of indexes with their tables.
  static QStringList integrityProblems(QSqlDatabase& db, bool quick, QString* error);

  // A consistent copy of the register into the new file `out`, taken while
  // other programs read and write it.
  static bool backup(QSqlDatabase& db, const QString& out, QString* error);

  // Folds the journal back into the file before the connection closes, so
  // that the register is one file again.
  static void beforeClose(QSqlDatabase& db);
};

}  // namespace karvel
