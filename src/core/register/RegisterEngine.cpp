// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RegisterEngine.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include "core/register/RegisterTexts.h"

namespace karvel {

namespace {

// SQLite's primary result codes (the driver reports them as text).
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADb = 26;

int primaryCode(const QSqlError& error) {
  bool ok = false;
  const int code = error.nativeErrorCode().toInt(&ok);
  return ok ? (code & 0xff) : -1;
}

bool run(QSqlDatabase& db, const QString& statement, QString* error) {
  QSqlQuery q(db);
  if (q.exec(statement)) return true;
  if (error) *error = q.lastError().databaseText();
  return false;
}

}  // namespace

QString RegisterEngine::driverName() { return QStringLiteral("QSQLITE"); }

void RegisterEngine::configure(QSqlDatabase& db, const QString& path) {
  db.setDatabaseName(path);
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
}

QString RegisterEngine::foreignFileReason(const QString& path, int language, QString* readError) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  if (info.isDir()) {
    if (readError) *readError = QStringLiteral("is a folder");
    return pick(registertext::kForeignReason, language);
  }
  if (info.size() == 0) return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (readError) *readError = file.errorString();
    return {};
  }
  static const QByteArray kMagic("SQLite format 3\0", 16);
  if (file.read(16) != kMagic) return pick(registertext::kForeignReason, language);
  return {};
}

std::optional<bool> RegisterEngine::hasTables(QSqlDatabase& db, QString* error) {
  // tables() hides a damaged file's error: ask with a query that reports it.
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")) ||
      !q.next()) {
    if (error) *error = q.lastError().databaseText();
    return std::nullopt;
  }
  return q.value(0).toLongLong() > 0;
}

bool RegisterEngine::prepareConnection(QSqlDatabase& db, QString* error) {
  // FULL: a commit is on the disk when add() returns, not only in the cache.
  return run(db, QStringLiteral("PRAGMA foreign_keys = ON"), error) &&
         run(db, QStringLiteral("PRAGMA synchronous = FULL"), error);
}

bool RegisterEngine::prepareNewFile(QSqlDatabase& db, QString* error) {
  // "KRVL": `file register.sqlite` and sqlite3 name the file's owner.
  return run(db, QStringLiteral("PRAGMA journal_mode = WAL"), error) &&
         run(db, QStringLiteral("PRAGMA application_id = 1263687244"), error);
}

QString RegisterEngine::schemaText(QString statement) {
  statement.replace(QStringLiteral("%ID%"), QStringLiteral("INTEGER PRIMARY KEY"));
  statement.replace(QStringLiteral("%BLOB%"), QStringLiteral("BLOB"));
  return statement;
}

bool RegisterEngine::beginWrite(QSqlDatabase& db, QSqlError* error) {
  QSqlQuery q(db);
  if (q.exec(QStringLiteral("BEGIN IMMEDIATE"))) return true;
  if (error) *error = q.lastError();
  return false;
}

bool RegisterEngine::isBusy(const QSqlError& error) {
  const int code = primaryCode(error);
  return code == kSqliteBusy || code == kSqliteLocked;
}

bool RegisterEngine::isDamage(const QSqlError& error) {
  const int code = primaryCode(error);
  return code == kSqliteCorrupt || code == kSqliteNotADb;
}

QStringList RegisterEngine::integrityProblems(QSqlDatabase& db, bool quick, QString* error) {
  QStringList problems;
  QSqlQuery q(db);
  if (!q.exec(quick ? QStringLiteral("PRAGMA quick_check")
                    : QStringLiteral("PRAGMA integrity_check"))) {
    if (error) *error = q.lastError().databaseText();
    problems << q.lastError().databaseText();
    return problems;
  }
  while (q.next()) {
    const QString line = q.value(0).toString();
    if (line != u"ok") problems << line;
  }
  QSqlQuery keys(db);
  if (keys.exec(QStringLiteral("PRAGMA foreign_key_check"))) {
    while (keys.next())
      problems << QStringLiteral("row %1 of %2 refers to a missing row of %3")
                      .arg(keys.value(1).toString(), keys.value(0).toString(),
                           keys.value(2).toString());
  }
  return problems;
}

bool RegisterEngine::backup(QSqlDatabase& db, const QString& out, QString* error) {
  // One read transaction copies every page as of its start: writers go on.
  QSqlQuery q(db);
  q.prepare(QStringLiteral("VACUUM INTO ?"));
  q.addBindValue(out);
  if (q.exec()) return true;
  if (error) *error = q.lastError().databaseText();
  return false;
}

void RegisterEngine::beforeClose(QSqlDatabase& db) {
  // Fails harmlessly while another connection reads: it folds the journal then.
  QSqlQuery q(db);
  q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

}  // namespace karvel
