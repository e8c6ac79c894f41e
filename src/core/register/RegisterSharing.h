// SPDX-License-Identifier: GPL-3.0-or-later
// A register shared by a team on a server, and the field work that must not
// depend on it: when the server cannot be reached, the local register
// (Register::defaultPath) takes the results, each marked as waiting for that
// server ("not yet shared"), and they are sent when the server answers again
// (at the next opening, or on request). The server's unique content hash
// makes a second sending of the same result harmless, and a local result is
// marked shared only once the server holds it: none is filed twice or lost.
#pragma once

#include <QString>
#include <QStringList>

namespace karvel {

class Register;

struct ShareOutcome {
  int sent = 0;       // now on the server (filed there, or found there already)
  int remaining = 0;  // still waiting (problems says why)
  QStringList problems;
};

struct RegisterOpening {
  // The server could not be reached: the local register is open instead.
  bool offline = false;
  QString serverName;  // the server's name (RegisterServer::displayName), when one
  // For offline: which server, why, and where the work goes on; to be said once.
  QString notice;
  // What the opening sent of the results that waited for the server.
  ShareOutcome shared;
};

// Opens `location` into `reg`. A server that cannot be reached gives the
// local register at `localPath` instead (made when missing only with
// `mayCreate`), whose new results wait for that server. A server that
// opens is sent what the local register holds for it. False, with `error`,
// when neither opens.
bool openSharedRegister(Register& reg, const QString& location, const QString& localPath,
                        int language, bool mayCreate, RegisterOpening* opening, QString* error);

// Sends the results of the local register at `localPath` that wait for
// `server` (open), one transaction each, marking each shared once there.
// Stops at a lost connection; a result the server refuses stays waiting.
ShareOutcome shareWaiting(Register& server, const QString& localPath, int language);

// What a program sends when it starts: opens `location` in a register of
// its own, on the calling thread (a worker: the connection may take seconds
// while the server is away), sends what the local register at `localPath`
// holds for it, and closes again. Nothing is made; an unreachable server
// leaves the results waiting and is told by the next opening in sight.
RegisterOpening shareAtStart(const QString& location, const QString& localPath, int language);

// How many results of the local register wait for `server`'s name; nothing
// read when there is no local register.
int waitingCount(const QString& localPath, const QString& serverName, int language);

}  // namespace karvel
