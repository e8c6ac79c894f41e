// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RegisterServerEngine.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

namespace karvel {

namespace {

QString sqlState(const QSqlError& error) { return error.nativeErrorCode(); }

// A value of libpq's "key=value" list: quoted, backslashes and quotes escaped.
QString quoted(QString value) {
  value.replace(u'\\', QStringLiteral("\\\\"));
  value.replace(u'\'', QStringLiteral("\\'"));
  return u'\'' + value + u'\'';
}

}  // namespace

QString RegisterServerEngine::driverName() { return QStringLiteral("QPSQL"); }

bool RegisterServerEngine::available() { return QSqlDatabase::isDriverAvailable(driverName()); }

void RegisterServerEngine::configure(QSqlDatabase& db, const RegisterServer& server) {
  if (!server.host.isEmpty()) db.setHostName(server.host);
  if (server.port > 0) db.setPort(server.port);
  if (!server.database.isEmpty()) db.setDatabaseName(server.database);
  if (!server.user.isEmpty()) db.setUserName(server.user);
  QStringList options;
  bool timeout = false, application = false;
  for (const auto& [key, value] : server.options) {
    timeout = timeout || key == u"connect_timeout";
    application = application || key == u"application_name";
    options << key + u'=' + quoted(value);
  }
  if (!timeout) options << QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds);
  if (!application) options << QStringLiteral("application_name=karvel");
  db.setConnectOptions(options.join(u';'));
}

bool RegisterServerEngine::isUnreachable(const QSqlError& error) {
  // libpq gives no code for a failed connection, only its words. A server
  // that answered says FATAL (its role or database refused) unless it is
  // starting up or shutting down, which is as good as unreachable.
  const QString text = error.databaseText() + u' ' + error.driverText();
  if (text.contains(QLatin1String("the database system is"))) return true;
  return !text.contains(QLatin1String("FATAL")) && !text.contains(QLatin1String("ERROR"));
}

bool RegisterServerEngine::isConnectionLost(const QSqlError& error) {
  const QString code = sqlState(error);
  if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P0"))) return true;
  const QString text = error.databaseText();
  return code.isEmpty() && (text.contains(QLatin1String("server closed the connection")) ||
                            text.contains(QLatin1String("no connection to the server")) ||
                            text.contains(QLatin1String("terminating connection")));
}

std::optional<bool> RegisterServerEngine::hasTables(QSqlDatabase& db, QString* error) {
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT count(*) FROM information_schema.tables "
                             "WHERE table_schema = current_schema()")) ||
      !q.next()) {
    if (error) *error = q.lastError().databaseText();
    return std::nullopt;
  }
  return q.value(0).toLongLong() > 0;
}

QString RegisterServerEngine::schemaText(QString statement) {
  statement.replace(QStringLiteral("%ID%"), QStringLiteral("BIGSERIAL PRIMARY KEY"));
  statement.replace(QStringLiteral("%BLOB%"), QStringLiteral("BYTEA"));
  return statement;
}

QStringList RegisterServerEngine::schemaStatements(const QStringList& statements) {
  static const QRegularExpression kCreate(QStringLiteral("^CREATE TABLE (\\w+)"));
  static const QRegularExpression kReference(QStringLiteral(
      "(\\w+) BIGINT REFERENCES (\\w+)\\((\\w+)\\)( ON DELETE (?:SET NULL|CASCADE))?"));
  QStringList made, out, later;
  for (QString s : statements) {
    const QRegularExpressionMatch table = kCreate.match(s);
    if (table.hasMatch()) {
      const QString name = table.captured(1);
      QRegularExpressionMatchIterator it = kReference.globalMatch(s);
      QList<QRegularExpressionMatch> forward;
      while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(2) != name && !made.contains(m.captured(2))) forward << m;
      }
      // From the end, so that earlier offsets stay right.
      for (auto m = forward.crbegin(); m != forward.crend(); ++m) {
        s.replace(m->capturedStart(), m->capturedLength(),
                  m->captured(1) + QStringLiteral(" BIGINT"));
        later << QStringLiteral("ALTER TABLE %1 ADD FOREIGN KEY (%2) REFERENCES %3(%4)%5")
                     .arg(name, m->captured(1), m->captured(2), m->captured(3), m->captured(4));
      }
      made << name;
    }
    out << s;
  }
  return out + later;
}

bool RegisterServerEngine::beginWrite(QSqlDatabase& db, QSqlError* error) {
  QSqlQuery q(db);
  if (q.exec(QStringLiteral("BEGIN"))) return true;
  if (error) *error = q.lastError();
  return false;
}

bool RegisterServerEngine::isRetryable(const QSqlError& error) {
  const QString code = sqlState(error);
  return code == u"40001" || code == u"40P01" || code == u"23505" || code == u"55P03";
}

bool RegisterServerEngine::isDenied(const QSqlError& error) { return sqlState(error) == u"42501"; }

QString RegisterServerEngine::roleName(QSqlDatabase& db) {
  QSqlQuery q(db);
  if (q.exec(QStringLiteral("SELECT current_user")) && q.next()) return q.value(0).toString();
  return db.userName();
}

bool RegisterServerEngine::mayFile(QSqlDatabase& db) {
  // Filing writes these four; a role lacking any of them cannot file.
  QSqlQuery q(db);
  if (!q.exec(QStringLiteral("SELECT has_table_privilege('result', 'INSERT') AND "
                             "has_table_privilege('result_file', 'INSERT') AND "
                             "has_table_privilege('measurement', 'INSERT') AND "
                             "has_table_privilege('segment', 'INSERT') AND "
                             "has_table_privilege('segment', 'UPDATE')")) ||
      !q.next())
    return false;
  return q.value(0).toBool();
}

}  // namespace karvel
