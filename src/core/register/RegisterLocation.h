// SPDX-License-Identifier: GPL-3.0-or-later
// Where a register lives: a file (SQLite) or a PostgreSQL server named by a
// libpq connection URI ("postgresql://user@host:port/dbname?host=...").
// The URI is read here rather than handed to libpq whole because Qt's
// driver takes host, port, database and user apart and the rest as
// options. A password never travels in it: libpq finds one in PGPASSWORD
// or ~/.pgpass, so that no settings file or command line holds it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace karvel {

struct RegisterServer {
  QString user;
  QString host;  // a name, an address, or a socket folder ("/run/postgresql")
  int port = 0;  // 0: libpq's default (PGPORT, else 5432)
  QString database;
  // Other connection parameters of the URI's query (sslmode=, ...), as given.
  std::vector<std::pair<QString, QString>> options;

  // "user@host:port/database": how messages name the server, and the key
  // under which results wait to be shared with it. Never a password.
  QString displayName() const;
};

// Whether `location` is a server's URI rather than a file's path.
bool isServerLocation(const QString& location);

// Reads a postgresql:// or postgres:// URI. Nothing, with `error` in
// `language` naming what is wrong, for a malformed one and for one that
// holds a password.
std::optional<RegisterServer> parseServerLocation(const QString& location, int language,
                                                  QString* error);

}  // namespace karvel
