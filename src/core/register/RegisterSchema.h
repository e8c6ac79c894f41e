// SPDX-License-Identifier: GPL-3.0-or-later
// The register's tables, version by version. A register keeps its schema
// version in register_info; opening an older one runs every migration from
// its version to the current one in one transaction, so that an interrupted
// migration leaves the older register as it was. docs/register.md describes
// the current tables.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

namespace karvel {

class RegisterSchema {
 public:
  // The version this program writes; it reads every one up to it.
  static constexpr int kCurrentVersion = 4;
  // What register_info holds under "application" in every register.
  static QString applicationMark();

  // The statements that made a register of version 1, as the first
  // release wrote them (tests build such a register with them).
  static QStringList firstVersion();
  // The statements that take a register of version `version - 1` to
  // `version` (2 ... kCurrentVersion).
  static QStringList migrationTo(int version);

  // The version written in register_info; nothing, with `foreign` set, when
  // the database has tables but is not a register.
  static std::optional<int> versionOf(QSqlDatabase& db, bool* foreign, QString* error);

  // Inside the caller's write transaction: makes the tables of a new
  // register (`from` 0) or migrates those of version `from`, and writes the
  // new version. `server`: the database is PostgreSQL (RegisterServerEngine),
  // else SQLite (RegisterEngine); the statements are the same.
  static bool upgrade(QSqlDatabase& db, int from, QString* error, bool server = false);
};

}  // namespace karvel
