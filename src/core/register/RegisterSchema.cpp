// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RegisterSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "core/register/RegisterEngine.h"
#include "core/register/RegisterServerEngine.h"

namespace karvel {

namespace {

bool runAll(QSqlDatabase& db, const QStringList& statements, QString* error, bool server) {
  for (const QString& s :
       server ? RegisterServerEngine::schemaStatements(statements) : statements) {
    QSqlQuery q(db);
    if (!q.exec(server ? RegisterServerEngine::schemaText(s) : RegisterEngine::schemaText(s))) {
      if (error) *error = q.lastError().databaseText();
      return false;
    }
  }
  return true;
}

}  // namespace

QString RegisterSchema::applicationMark() { return QStringLiteral("karvel-register"); }

QStringList RegisterSchema::firstVersion() {
  // Never edit these: registers of version 1 exist. Change the schema with a
  // new migration instead.
  return {
      QStringLiteral("CREATE TABLE register_info (key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
      QStringLiteral("CREATE TABLE site (id %ID%, customer TEXT NOT NULL DEFAULT '', "
                     "name TEXT NOT NULL UNIQUE, notes TEXT NOT NULL DEFAULT '')"),
      QStringLiteral("CREATE TABLE segment (id %ID%, "
                     "site_id BIGINT NOT NULL REFERENCES site(id) ON DELETE CASCADE, "
                     "name TEXT NOT NULL, bus TEXT NOT NULL DEFAULT '', "
                     "notes TEXT NOT NULL DEFAULT '', "
                     "baseline_id BIGINT REFERENCES result(id) ON DELETE SET NULL, "
                     "UNIQUE (site_id, name))"),
      QStringLiteral("CREATE TABLE result (id %ID%, "
                     "segment_id BIGINT NOT NULL REFERENCES segment(id) ON DELETE CASCADE, "
                     "file_name TEXT NOT NULL, sha256 TEXT NOT NULL UNIQUE, "
                     "size BIGINT NOT NULL, bus TEXT NOT NULL, verdict TEXT NOT NULL, "
                     "verdict_status TEXT NOT NULL, result_date TEXT NOT NULL, "
                     "date_source TEXT NOT NULL, filed_at TEXT NOT NULL, "
                     "technician TEXT NOT NULL DEFAULT '', note TEXT NOT NULL DEFAULT '', "
                     "problem_marker TEXT NOT NULL DEFAULT '')"),
      QStringLiteral("CREATE INDEX result_by_segment ON result (segment_id, result_date)"),
      QStringLiteral("CREATE TABLE result_file (result_id BIGINT PRIMARY KEY "
                     "REFERENCES result(id) ON DELETE CASCADE, bytes %BLOB% NOT NULL)"),
      QStringLiteral("CREATE TABLE measurement ("
                     "result_id BIGINT NOT NULL REFERENCES result(id) ON DELETE CASCADE, "
                     "position INTEGER NOT NULL, name TEXT NOT NULL, value DOUBLE PRECISION, "
                     "minimum DOUBLE PRECISION, maximum DOUBLE PRECISION, "
                     "unit TEXT NOT NULL DEFAULT '', status TEXT NOT NULL, "
                     "PRIMARY KEY (result_id, position))"),
      QStringLiteral("CREATE TABLE register_session (id %ID%, host TEXT NOT NULL, "
                     "pid BIGINT NOT NULL, opened TEXT NOT NULL)"),
  };
}

QStringList RegisterSchema::migrationTo(int version) {
  switch (version) {
    case 2:
      // The instrument a result was fetched from, and the search by
      // measurement name.
      return {
          QStringLiteral("ALTER TABLE result ADD COLUMN instrument_model TEXT NOT NULL DEFAULT ''"),
          QStringLiteral(
              "ALTER TABLE result ADD COLUMN instrument_serial TEXT NOT NULL DEFAULT ''"),
          QStringLiteral(
              "ALTER TABLE result ADD COLUMN instrument_firmware TEXT NOT NULL DEFAULT ''"),
          QStringLiteral("CREATE INDEX measurement_by_name ON measurement (name)"),
      };
    case 3:
      // Several programs on one register: a baseline change carries a
      // counter, who and when, so that a change made from an older view is
      // refused; a result filed while its server could not be reached names
      // that server until it is shared.
      return {
          QStringLiteral(
              "ALTER TABLE segment ADD COLUMN baseline_changes BIGINT NOT NULL DEFAULT 0"),
          QStringLiteral(
              "ALTER TABLE segment ADD COLUMN baseline_changed_by TEXT NOT NULL DEFAULT ''"),
          QStringLiteral(
              "ALTER TABLE segment ADD COLUMN baseline_changed_at TEXT NOT NULL DEFAULT ''"),
          QStringLiteral("ALTER TABLE result ADD COLUMN pending_server TEXT NOT NULL DEFAULT ''"),
      };
    case 4:
      // Where a result came from, said truthfully when it is opened again:
      // the file it was filed from (a fetched result names its instrument
      // instead). Results filed before stay without one.
      return {
          QStringLiteral("ALTER TABLE result ADD COLUMN source_path TEXT NOT NULL DEFAULT ''"),
      };
    default:
      return {};
  }
}

std::optional<int> RegisterSchema::versionOf(QSqlDatabase& db, bool* foreign, QString* error) {
  if (foreign) *foreign = false;
  if (!db.tables().contains(QStringLiteral("register_info"))) {
    if (foreign) *foreign = true;
    return std::nullopt;
  }
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT key, value FROM register_info "
                             "WHERE key IN ('application', 'schema_version')"))) {
    if (error) *error = q.lastError().databaseText();
    return std::nullopt;
  }
  QString mark;
  std::optional<int> version;
  while (q.next()) {
    if (q.value(0).toString() == u"application") mark = q.value(1).toString();
    bool ok = false;
    const int v = q.value(1).toInt(&ok);
    if (q.value(0).toString() == u"schema_version" && ok) version = v;
  }
  if (mark != applicationMark() || !version || *version < 1) {
    if (foreign) *foreign = true;
    return std::nullopt;
  }
  return version;
}

bool RegisterSchema::upgrade(QSqlDatabase& db, int from, QString* error, bool server) {
  if (from == 0) {
    if (!runAll(db, firstVersion(), error, server)) return false;
    QSqlQuery mark(db);
    mark.prepare(
        QStringLiteral("INSERT INTO register_info (key, value) VALUES ('application', ?)"));
    mark.addBindValue(applicationMark());
    if (!mark.exec()) {
      if (error) *error = mark.lastError().databaseText();
      return false;
    }
    from = 1;
  }
  for (int v = from + 1; v <= kCurrentVersion; ++v)
    if (!runAll(db, migrationTo(v), error, server)) return false;
  QSqlQuery q(db);
  q.prepare(QStringLiteral("DELETE FROM register_info WHERE key = 'schema_version'"));
  QSqlQuery set(db);
  set.prepare(
      QStringLiteral("INSERT INTO register_info (key, value) VALUES ('schema_version', ?)"));
  set.addBindValue(QString::number(kCurrentVersion));
  if (!q.exec() || !set.exec()) {
    if (error) *error = (set.lastError().isValid() ? set : q).lastError().databaseText();
    return false;
  }
  return true;
}

}  // namespace karvel
