// SPDX-License-Identifier: GPL-3.0-or-later
// Everything of the register that belongs to PostgreSQL, through Qt's QPSQL
// driver (Debian: libqt6sql6-psql): the connection, the column types, the
// transaction, the codes of its errors (SQLSTATE), the schema's creation
// order and the rights of the connected role. RegisterEngine is the same
// for SQLite; the schema and the queries are shared.
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/register/RegisterLocation.h"

namespace karvel {

class RegisterServerEngine {
 public:
  static QString driverName();
  // Whether Qt's PostgreSQL driver is installed.
  static bool available();
  // Seconds a connection attempt waits for an unreachable server: short,
  // so that a technician in the field is not kept waiting.
  static constexpr int kConnectTimeoutSeconds = 4;

  // Host, port, database, user and the URI's options on a database not
  // yet open; the password is left to libpq (PGPASSWORD, ~/.pgpass).
  static void configure(QSqlDatabase& db, const RegisterServer& server);

  // Whether a failed connection means that the server could not be reached
  // (nothing answered, or it is starting or stopping), as opposed to a
  // server that answered and refused (a wrong role, a missing database).
  static bool isUnreachable(const QSqlError& error);
  // Whether an error of an open connection says that the connection is gone.
  static bool isConnectionLost(const QSqlError& error);

  static std::optional<bool> hasTables(QSqlDatabase& db, QString* error);
  // The schema's text with PostgreSQL's types put in.
  static QString schemaText(QString statement);
  // The statements in an order PostgreSQL takes: a reference to a table
  // made further on (SQLite accepts it, PostgreSQL does not) is added by
  // ALTER TABLE once every table exists.
  static QStringList schemaStatements(const QStringList& statements);

  static bool beginWrite(QSqlDatabase& db, QSqlError* error);
  // Errors after which the whole transaction is tried again: a lost race
  // (serialisation, deadlock, a unique key another writer took meanwhile).
  static bool isRetryable(const QSqlError& error);
  // The role lacks the right to do what was asked.
  static bool isDenied(const QSqlError& error);

  // The connected role's name, and whether it may file results.
  static QString roleName(QSqlDatabase& db);
  static bool mayFile(QSqlDatabase& db);
};

}  // namespace karvel
