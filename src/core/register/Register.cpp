// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Register.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QVariant>
#include <atomic>
#include <functional>

#include "core/frame/AppState.h"
#include "core/frame/Installation.h"
#include "core/register/RegisterEngine.h"
#include "core/register/RegisterLocation.h"
#include "core/register/RegisterSchema.h"
#include "core/register/RegisterServerEngine.h"
#include "core/register/RegisterTexts.h"
#include "core/results/Quantity.h"
#include "core/results/ResultReader.h"
#include "core/results/ResultTexts.h"

#ifdef Q_OS_UNIX
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace karvel {

namespace {

// Dates are stored as local ISO text without a zone: they sort as text, and
// the results themselves write local times.
const QString kDateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
QString dateText(const QDateTime& date) { return date.toString(kDateFormat); }
QDateTime dateFrom(const QVariant& text) {
  return QDateTime::fromString(text.toString(), kDateFormat);
}

Status statusFromName(const QString& name) {
  for (Status s : {Status::Green, Status::Red, Status::Yellow, Status::None})
    if (statusName(s) == name) return s;
  return Status::None;
}

QVariant number(const std::optional<double>& value) {
  return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}
std::optional<double> numberFrom(const QVariant& value) {
  if (value.isNull()) return std::nullopt;
  return value.toDouble();
}

// A measurement of a result row in base units: the value, else a limit,
// gives the unit.
RegisterMeasurement measurementOf(const ResultRow& row, int position) {
  RegisterMeasurement m;
  m.position = position;
  m.name = row.cells[0];
  const Quantity value = siQuantity(row.cells[3]);
  const Quantity minimum = siQuantity(row.cells[1]);
  const Quantity maximum = siQuantity(row.cells[2]);
  m.value = value.number;
  m.minimum = minimum.number;
  m.maximum = maximum.number;
  m.unit = !value.unit.isEmpty()     ? value.unit
           : !minimum.unit.isEmpty() ? minimum.unit
                                     : maximum.unit;
  m.status = row.status;
  return m;
}

bool processAlive(qint64 pid) {
#ifdef Q_OS_UNIX
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
  Q_UNUSED(pid);
  return true;
#endif
}

QString likePattern(const QString& text) {
  QString escaped = text.toLower();
  escaped.replace(u'\\', QStringLiteral("\\\\"));
  escaped.replace(u'%', QStringLiteral("\\%"));
  escaped.replace(u'_', QStringLiteral("\\_"));
  return u'%' + escaped + u'%';
}

const QString kEntryColumns = QStringLiteral(
    "r.id, r.segment_id, s.name, g.name, r.file_name, r.sha256, r.size, r.bus, r.verdict, "
    "r.verdict_status, r.result_date, r.date_source, r.filed_at, r.technician, r.note, "
    "r.instrument_model, r.instrument_serial, r.instrument_firmware, r.problem_marker, "
    "g.baseline_id, r.pending_server, g.baseline_changes, r.source_path "
    "FROM result r JOIN segment g ON g.id = r.segment_id "
    "JOIN site s ON s.id = g.site_id");

RegisterEntry entryFrom(const QSqlQuery& q) {
  RegisterEntry e;
  e.id = q.value(0).toLongLong();
  e.segmentId = q.value(1).toLongLong();
  e.site = q.value(2).toString();
  e.segment = q.value(3).toString();
  e.fileName = q.value(4).toString();
  e.sha256 = q.value(5).toString();
  e.size = q.value(6).toLongLong();
  e.bus = q.value(7).toString();
  e.verdict = q.value(8).toString();
  e.verdictStatus = statusFromName(q.value(9).toString());
  e.date = dateFrom(q.value(10));
  e.dateSource = q.value(11).toString() == dateSourceName(DateSource::Result)
                     ? DateSource::Result
                     : DateSource::FileTime;
  e.filed = dateFrom(q.value(12));
  e.technician = q.value(13).toString();
  e.note = q.value(14).toString();
  e.instrument = {q.value(15).toString(), q.value(16).toString(), q.value(17).toString()};
  e.problemMarker = q.value(18).toString();
  e.baseline = !q.value(19).isNull() && q.value(19).toLongLong() == e.id;
  e.pendingServer = q.value(20).toString();
  e.baselineChanges = q.value(21).toLongLong();
  e.sourcePath = q.value(22).toString();
  return e;
}

std::atomic<int> connectionCount{0};

}  // namespace

InstrumentIdentity identityFromReply(const QByteArray& reply) {
  const QList<QByteArray> parts = reply.trimmed().split(',');
  InstrumentIdentity id;
  if (parts.size() > 1) id.model = QString::fromLatin1(parts[1].trimmed());
  if (parts.size() > 2) id.serial = QString::fromLatin1(parts[2].trimmed());
  if (parts.size() > 3) id.firmware = QString::fromLatin1(parts[3].trimmed());
  return id;
}

ResultOrigin originOf(const RegisterEntry& entry) {
  // A fetched result names its instrument; a file's path is kept only when
  // it was filed from a file the user named.
  if (!entry.instrument.model.isEmpty() || !entry.instrument.serial.isEmpty())
    return ResultOrigin::Instrument;
  if (!entry.sourcePath.isEmpty()) return ResultOrigin::File;
  return ResultOrigin::Unknown;
}

QString originName(ResultOrigin origin) {
  switch (origin) {
    case ResultOrigin::Instrument:
      return QStringLiteral("instrument");
    case ResultOrigin::File:
      return QStringLiteral("file");
    case ResultOrigin::Unknown:
      break;
  }
  return QStringLiteral("unknown");
}

QString originText(const RegisterEntry& entry, int language) {
  switch (originOf(entry)) {
    case ResultOrigin::Instrument: {
      const QString model =
          entry.instrument.model.isEmpty() ? QStringLiteral("?") : entry.instrument.model;
      return entry.instrument.serial.isEmpty()
                 ? pick(registertext::kOriginInstrumentModel, language).arg(model)
                 : pick(registertext::kOriginInstrument, language)
                       .arg(model, entry.instrument.serial);
    }
    case ResultOrigin::File:
      return pick(registertext::kOriginFile, language)
          .arg(QDir::toNativeSeparators(entry.sourcePath));
    case ResultOrigin::Unknown:
      break;
  }
  return pick(registertext::kOriginUnknown, language);
}

struct Register::State {
  QString connection;
  QSqlDatabase db;
  QString path;
  int language = English;
  bool open = false;
  int versionAtOpen = 0;
  bool checkedAtOpen = false;
  std::optional<qint64> session;
  bool server = false;  // PostgreSQL (RegisterServerEngine), else SQLite
  QString serverName;   // RegisterServer::displayName
  bool unreachable = false;
  bool lost = false;
  QString role;           // the server role connected as
  bool mayFile = true;    // the role may file results
  QString pendingServer;  // results filed now wait for this server
  QString technician;

  // Forward-only reading spares memory on SQLite; Qt's PostgreSQL driver
  // would then hold the connection until the whole result is read.
  void forward(QSqlQuery& q) const { q.setForwardOnly(!server); }
  QString who() const {
    if (server)
      return technician.isEmpty() ? role : technician + QStringLiteral(" (") + role + u')';
    if (!technician.isEmpty()) return technician;
    return qEnvironmentVariable("USER", QStringLiteral("?"));
  }
  QString readOnlyReason() const {
    return pick(registertext::kReadOnlyRole, language).arg(role, serverName);
  }

  // What a step of a write transaction ends with.
  enum class Step { Ok, Refused, Failed };
  struct Tx {
    QSqlError sqlError;
    QString message;  // for Refused
  };

  bool exec(QSqlQuery& q, Tx& tx) {
    if (q.exec()) return true;
    tx.sqlError = q.lastError();
    return false;
  }

  QString nativePath() const { return server ? serverName : QDir::toNativeSeparators(path); }
  QString cannotWrite(const QString& reason) const {
    return pick(registertext::kCannotWrite, language).arg(nativePath(), reason);
  }
  QString readFailure(const QSqlError& e) {
    if (server && RegisterServerEngine::isConnectionLost(e)) {
      lost = true;
      return pick(registertext::kConnectionLost, language).arg(serverName, e.databaseText());
    }
    return pick(registertext::kCannotOpen, language)
        .arg(nativePath(), !server && RegisterEngine::isDamage(e)
                               ? pick(registertext::kDamagedReason, language).arg(e.databaseText())
                               : e.databaseText());
  }

  // Runs `body` in a write transaction; retried while another writer keeps
  // the lock, rolled back whole on any failure.
  // Brings the schema to the current version in one transaction; another
  // program may have made or migrated it meanwhile. False with the
  // upgrade's own reason, else the transaction's.
  bool migrate(QString* error) {
    QString writeError;
    const bool made = write(
        [&](Tx& tx) {
          bool foreignDb = false;
          QString e;
          const int now = db.tables().contains(QStringLiteral("register_info"))
                              ? RegisterSchema::versionOf(db, &foreignDb, &e).value_or(0)
                              : 0;
          if (now >= RegisterSchema::kCurrentVersion) return Step::Ok;
          if (!RegisterSchema::upgrade(db, now, &e, server)) {
            tx.message = e;
            return Step::Refused;
          }
          return Step::Ok;
        },
        &writeError);
    if (!made) *error = writeError.isEmpty() ? db.lastError().databaseText() : writeError;
    return made;
  }

  bool write(const std::function<Step(Tx&)>& body, QString* error) {
    constexpr int kAttempts = 4;
    for (int attempt = 1;; ++attempt) {
      Tx tx;
      bool busy = false;
      const auto retry = [this](const QSqlError& e) {
        return server ? RegisterServerEngine::isRetryable(e) : RegisterEngine::isBusy(e);
      };
      if (!(server ? RegisterServerEngine::beginWrite(db, &tx.sqlError)
                   : RegisterEngine::beginWrite(db, &tx.sqlError))) {
        busy = retry(tx.sqlError);
      } else {
        const Step step = body(tx);
        if (step == Step::Ok) {
          if (db.commit()) return true;
          tx.sqlError = db.lastError();
        }
        db.rollback();
        if (step == Step::Refused) {
          if (error) *error = tx.message;
          return false;
        }
        busy = retry(tx.sqlError);
      }
      if (busy && attempt < kAttempts) {
        QThread::msleep(20 * attempt);
        continue;
      }
      if (!error) return false;
      if (server && RegisterServerEngine::isDenied(tx.sqlError)) {
        *error = readOnlyReason();
      } else if (server && RegisterServerEngine::isConnectionLost(tx.sqlError)) {
        lost = true;
        *error = pick(registertext::kConnectionLost, language)
                     .arg(serverName, tx.sqlError.databaseText());
      } else {
        *error = cannotWrite(busy ? pick(registertext::kBusyReason, language)
                                  : tx.sqlError.databaseText());
      }
      return false;
    }
  }

  // After a run that ended without closing (its session is still there and
  // its process gone), the whole file is checked. Returns the problems.
  QStringList checkAfterUncleanEnd(QString* readError) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT id, host, pid FROM register_session"))) {
      *readError = q.lastError().databaseText();
      return {};
    }
    const QString host = QSysInfo::machineHostName();
    QList<qint64> stale;
    while (q.next())
      if (q.value(1).toString() == host && !processAlive(q.value(2).toLongLong()))
        stale << q.value(0).toLongLong();
    if (stale.isEmpty()) return {};
    checkedAtOpen = true;
    const QStringList problems = RegisterEngine::integrityProblems(db, false, nullptr);
    if (!problems.isEmpty()) return problems;
    // Sound: the ended runs' sessions go (a read-only register keeps them).
    QSqlQuery drop(db);
    drop.prepare(QStringLiteral("DELETE FROM register_session WHERE id = ?"));
    for (qint64 id : stale) {
      drop.addBindValue(id);
      drop.exec();
    }
    return {};
  }

  void beginSession() {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO register_session (host, pid, opened) VALUES (?, ?, ?)"));
    q.addBindValue(QSysInfo::machineHostName());
    q.addBindValue(static_cast<qint64>(QCoreApplication::applicationPid()));
    q.addBindValue(dateText(QDateTime::currentDateTime()));
    if (q.exec()) session = q.lastInsertId().toLongLong();
  }

  std::optional<qint64> segmentId(const QString& site, const QString& segment, QString* error) {
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("SELECT g.id FROM segment g JOIN site s ON s.id = g.site_id "
                       "WHERE s.name = ? AND g.name = ?"));
    q.addBindValue(site);
    q.addBindValue(segment);
    if (!q.exec()) {
      if (error) *error = readFailure(q.lastError());
      return std::nullopt;
    }
    if (!q.next()) {
      if (error) *error = pick(registertext::kNoSuchSegment, language).arg(site, segment);
      return std::nullopt;
    }
    return q.value(0).toLongLong();
  }
};

Register::Register() : d_(new State) {}

Register::~Register() {
  close();
  delete d_;
}

QString Register::defaultPath(const Installation& installation) {
  const QString name = QStringLiteral("register.sqlite");
  if (installation.mode == Installation::Mode::Portable)
    return QDir(installation.programDir).filePath(name);
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
      .filePath(QStringLiteral("karvel/") + name);
}

bool Register::open(const QString& path, int language, QString* error) {
  close();
  d_->path = path;
  d_->language = language;
  d_->checkedAtOpen = false;
  d_->unreachable = false;
  d_->server = isServerLocation(path);
  auto refuse = [&](const QString& reason) {
    if (error) *error = pick(registertext::kCannotOpen, language).arg(d_->nativePath(), reason);
    close();
    return false;
  };
  if (d_->server) return openServer(error);
  QString readError;
  const QString foreign = RegisterEngine::foreignFileReason(path, language, &readError);
  if (!foreign.isEmpty()) return refuse(foreign);
  if (!readError.isEmpty()) return refuse(readError);
  const QFileInfo info(path);
  if (!info.exists() && !QFileInfo(info.absolutePath()).isDir())
    return refuse(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(info.absolutePath()),
                                               QStringLiteral("no such folder")));

  d_->connection = QStringLiteral("karvel-register-%1").arg(++connectionCount);
  d_->db = QSqlDatabase::addDatabase(RegisterEngine::driverName(), d_->connection);
  RegisterEngine::configure(d_->db, path);
  if (!d_->db.open()) return refuse(d_->db.lastError().databaseText());

  QString dbError;
  const std::optional<bool> tables = RegisterEngine::hasTables(d_->db, &dbError);
  if (!tables) return refuse(pick(registertext::kDamagedReason, language).arg(dbError));
  int version = 0;
  if (*tables) {
    bool foreignDb = false;
    const std::optional<int> v = RegisterSchema::versionOf(d_->db, &foreignDb, &dbError);
    if (!v)
      return refuse(foreignDb ? pick(registertext::kOtherProgramReason, language)
                              : pick(registertext::kDamagedReason, language).arg(dbError));
    if (*v > RegisterSchema::kCurrentVersion)
      return refuse(
          pick(registertext::kNewerReason, language).arg(*v).arg(RegisterSchema::kCurrentVersion));
    version = *v;
    const QStringList problems = d_->checkAfterUncleanEnd(&dbError);
    if (!dbError.isEmpty())
      return refuse(pick(registertext::kDamagedReason, language).arg(dbError));
    if (!problems.isEmpty())
      return refuse(pick(registertext::kDamagedReason, language).arg(problems.first()));
  }
  if (!RegisterEngine::prepareConnection(d_->db, &dbError)) return refuse(dbError);
  if (version < RegisterSchema::kCurrentVersion) {
    if (version == 0 && !RegisterEngine::prepareNewFile(d_->db, &dbError)) return refuse(dbError);
    QString writeError;
    if (!d_->migrate(&writeError)) return refuse(writeError);
  }
  d_->versionAtOpen = version;
  d_->open = true;
  d_->beginSession();
  return true;
}

void Register::close() {
  if (d_->db.isValid()) {
    if (d_->open && !d_->server) {
      if (d_->session) {
        QSqlQuery q(d_->db);
        q.prepare(QStringLiteral("DELETE FROM register_session WHERE id = ?"));
        q.addBindValue(*d_->session);
        q.exec();
      }
      RegisterEngine::beforeClose(d_->db);
    }
    d_->db.close();
  }
  d_->db = QSqlDatabase();
  if (!d_->connection.isEmpty()) QSqlDatabase::removeDatabase(d_->connection);
  d_->connection.clear();
  d_->open = false;
  d_->session.reset();
  d_->mayFile = true;
  d_->lost = false;
}

bool Register::openServer(QString* error) {
  const int language = d_->language;
  d_->serverName.clear();
  QString reason;
  const std::optional<RegisterServer> server = parseServerLocation(d_->path, language, &reason);
  if (!server) {
    if (error) *error = reason;
    close();
    return false;
  }
  d_->serverName = server->displayName();
  auto refuse = [&](const QString& why) {
    if (error) *error = pick(registertext::kCannotOpen, language).arg(d_->serverName, why);
    close();
    return false;
  };
  if (!RegisterServerEngine::available())
    return refuse(pick(registertext::kNoServerDriver, language));
  d_->connection = QStringLiteral("karvel-register-%1").arg(++connectionCount);
  d_->db = QSqlDatabase::addDatabase(RegisterServerEngine::driverName(), d_->connection);
  RegisterServerEngine::configure(d_->db, *server);
  if (!d_->db.open()) {
    const QSqlError e = d_->db.lastError();
    // libpq's text runs over indented lines: one line reads better in a
    // message box, a status line and on stderr.
    const QString cause = e.databaseText().trimmed().isEmpty() ? e.driverText().simplified()
                                                               : e.databaseText().simplified();
    if (RegisterServerEngine::isUnreachable(e)) {
      if (error)
        *error = pick(registertext::kServerUnreachable, language).arg(d_->serverName, cause);
      close();
      d_->unreachable = true;
      return false;
    }
    return refuse(cause);
  }
  d_->role = RegisterServerEngine::roleName(d_->db);
  QString dbError;
  const std::optional<bool> tables = RegisterServerEngine::hasTables(d_->db, &dbError);
  if (!tables) return refuse(dbError);
  int version = 0;
  if (*tables) {
    bool foreignDb = false;
    const std::optional<int> v = RegisterSchema::versionOf(d_->db, &foreignDb, &dbError);
    if (!v) return refuse(foreignDb ? pick(registertext::kOtherDatabaseReason, language) : dbError);
    if (*v > RegisterSchema::kCurrentVersion)
      return refuse(
          pick(registertext::kNewerReason, language).arg(*v).arg(RegisterSchema::kCurrentVersion));
    version = *v;
  }
  if (version < RegisterSchema::kCurrentVersion) {
    QString writeError;
    if (!d_->migrate(&writeError)) return refuse(writeError);
  }
  d_->mayFile = RegisterServerEngine::mayFile(d_->db);
  d_->versionAtOpen = version;
  d_->open = true;
  return true;
}

bool Register::unreachableAtOpen() const { return d_->unreachable; }
bool Register::isServer() const { return d_->server; }
QString Register::displayName() const { return d_->nativePath(); }
QString Register::cannotFileReason() const {
  return d_->mayFile ? QString() : d_->readOnlyReason();
}
bool Register::connectionLost() const { return d_->lost; }
void Register::setPendingServer(const QString& server) { d_->pendingServer = server; }
void Register::setTechnician(const QString& technician) {
  d_->technician = technician.simplified();
}

bool Register::markShared(qint64 id, QString* error) {
  using Step = State::Step;
  return d_->write(
      [&](State::Tx& tx) {
        QSqlQuery q(d_->db);
        q.prepare(QStringLiteral("UPDATE result SET pending_server = '' WHERE id = ?"));
        q.addBindValue(id);
        return d_->exec(q, tx) ? Step::Ok : Step::Failed;
      },
      error);
}

bool Register::isOpen() const { return d_->open; }
QString Register::path() const { return d_->path; }
int Register::versionAtOpen() const { return d_->versionAtOpen; }
bool Register::checkedAtOpen() const { return d_->checkedAtOpen; }

std::optional<RegisterAddOutcome> Register::add(const RegisterAddRequest& request, QString* error) {
  const int language = d_->language;
  const QString site = request.site.trimmed();
  const QString segment = request.segment.trimmed();
  if (site.isEmpty() || segment.isEmpty()) {
    if (error) *error = pick(registertext::kNameNeeded, language);
    return std::nullopt;
  }
  const QString fileName = pathFileName(request.fileName).trimmed();
  if (request.bytes.size() > kResultFileMax) {
    if (error)
      *error = pick(resulttext::kCannotRead, language)
                   .arg(fileName, pick(resulttext::kTooLarge, language));
    return std::nullopt;
  }
  if (!d_->mayFile) {
    if (error) *error = d_->readOnlyReason();
    return std::nullopt;
  }
  const ResultTable table = readResultText(resultTextFromBytes(request.bytes), fileName, language);
  if (!holdsResult(table)) {
    if (error) *error = pick(registertext::kNotAResult, language).arg(fileName);
    return std::nullopt;
  }
  const QString hash = QString::fromLatin1(
      QCryptographicHash::hash(request.bytes, QCryptographicHash::Sha256).toHex());
  const bool dated = table.date.isValid();
  const QDateTime date = dated                        ? table.date
                         : request.fileTime.isValid() ? request.fileTime
                                                      : QDateTime::currentDateTime();
  std::vector<RegisterMeasurement> rows;
  rows.reserve(table.rows.size());
  for (std::size_t i = 0; i < table.rows.size(); ++i)
    rows.push_back(measurementOf(table.rows[i], static_cast<int>(i + 1)));

  RegisterAddOutcome outcome;
  using Step = State::Step;
  const bool done = d_->write(
      [&](State::Tx& tx) {
        QSqlQuery q(d_->db);
        // The same bytes are one result, wherever they were filed.
        q.prepare(
            QStringLiteral("SELECT r.id, s.name, g.name FROM result r "
                           "JOIN segment g ON g.id = r.segment_id "
                           "JOIN site s ON s.id = g.site_id WHERE r.sha256 = ?"));
        q.addBindValue(hash);
        if (!d_->exec(q, tx)) return Step::Failed;
        if (q.next()) {
          outcome = {q.value(0).toLongLong(), true, q.value(1).toString(), q.value(2).toString()};
          if (d_->pendingServer.isEmpty()) return Step::Ok;
          // Filed here before, perhaps never shared: it waits for the
          // server too (a second copy there is refused by its hash).
          q.prepare(QStringLiteral("UPDATE result SET pending_server = ? WHERE id = ?"));
          q.addBindValue(d_->pendingServer);
          q.addBindValue(outcome.id);
          return d_->exec(q, tx) ? Step::Ok : Step::Failed;
        }
        outcome = {0, false, site, segment};
        // The site and the segment, made when new; another writer may make
        // them at the same moment, so "make unless there" and read back.
        // (A text left empty is bound as NULL: the statements make it ''.)
        q.prepare(
            QStringLiteral("INSERT INTO site (customer, name) VALUES (COALESCE(?, ''), ?) ON "
                           "CONFLICT DO NOTHING"));
        q.addBindValue(request.customer.trimmed());
        q.addBindValue(site);
        if (!d_->exec(q, tx)) return Step::Failed;
        q.prepare(QStringLiteral("SELECT id FROM site WHERE name = ?"));
        q.addBindValue(site);
        if (!d_->exec(q, tx)) return Step::Failed;
        if (!q.next()) return Step::Failed;
        const qint64 siteId = q.value(0).toLongLong();
        q.prepare(
            QStringLiteral("INSERT INTO segment (site_id, name) VALUES (?, ?) "
                           "ON CONFLICT DO NOTHING"));
        q.addBindValue(siteId);
        q.addBindValue(segment);
        if (!d_->exec(q, tx)) return Step::Failed;
        // A new segment carries the bus of its first result.
        q.prepare(
            QStringLiteral("UPDATE segment SET bus = COALESCE(?, '') "
                           "WHERE site_id = ? AND name = ? AND bus = ''"));
        q.addBindValue(table.busHeading);
        q.addBindValue(siteId);
        q.addBindValue(segment);
        if (!d_->exec(q, tx)) return Step::Failed;
        q.prepare(QStringLiteral("SELECT id, bus FROM segment WHERE site_id = ? AND name = ?"));
        q.addBindValue(siteId);
        q.addBindValue(segment);
        if (!d_->exec(q, tx)) return Step::Failed;
        if (!q.next()) return Step::Failed;
        const qint64 segmentId = q.value(0).toLongLong();
        const QString bus = q.value(1).toString();
        if (!bus.isEmpty() && !sameBus(bus, table.busHeading)) {
          tx.message =
              pick(registertext::kOtherBus, language).arg(fileName, table.busHeading, segment, bus);
          return Step::Refused;
        }
        q.prepare(QStringLiteral(
            "INSERT INTO result (segment_id, file_name, sha256, size, bus, verdict, "
            "verdict_status, result_date, date_source, filed_at, technician, note, "
            "problem_marker, instrument_model, instrument_serial, instrument_firmware, "
            "pending_server, source_path) "
            "VALUES (?, COALESCE(?, ''), ?, ?, COALESCE(?, ''), COALESCE(?, ''), ?, ?, ?, ?, "
            "COALESCE(?, ''), COALESCE(?, ''), COALESCE(?, ''), COALESCE(?, ''), "
            "COALESCE(?, ''), COALESCE(?, ''), COALESCE(?, ''), COALESCE(?, '')) RETURNING id"));
        for (const QVariant& v :
             {QVariant(segmentId), QVariant(fileName), QVariant(hash),
              QVariant(static_cast<qint64>(request.bytes.size())), QVariant(table.busHeading),
              QVariant(table.verdict), QVariant(statusName(table.verdictColour)),
              QVariant(dateText(date)),
              QVariant(dateSourceName(dated ? DateSource::Result : DateSource::FileTime)),
              QVariant(dateText(request.filedAt.isValid() ? request.filedAt
                                                          : QDateTime::currentDateTime())),
              QVariant(request.technician.trimmed()), QVariant(request.note),
              QVariant(table.problemMarker), QVariant(request.instrument.model),
              QVariant(request.instrument.serial), QVariant(request.instrument.firmware),
              QVariant(d_->pendingServer), QVariant(request.sourcePath.trimmed())})
          q.addBindValue(v);
        if (!d_->exec(q, tx)) return Step::Failed;
        if (!q.next()) return Step::Failed;
        outcome.id = q.value(0).toLongLong();
        q.prepare(QStringLiteral("INSERT INTO result_file (result_id, bytes) VALUES (?, ?)"));
        q.addBindValue(outcome.id);
        q.addBindValue(request.bytes);
        if (!d_->exec(q, tx)) return Step::Failed;
        q.prepare(QStringLiteral(
            "INSERT INTO measurement (result_id, position, name, value, minimum, maximum, unit, "
            "status) VALUES (?, ?, COALESCE(?, ''), ?, ?, ?, COALESCE(?, ''), ?)"));
        for (const RegisterMeasurement& m : rows) {
          q.addBindValue(outcome.id);
          q.addBindValue(m.position);
          q.addBindValue(m.name);
          q.addBindValue(number(m.value));
          q.addBindValue(number(m.minimum));
          q.addBindValue(number(m.maximum));
          q.addBindValue(m.unit);
          q.addBindValue(statusName(m.status));
          if (!d_->exec(q, tx)) return Step::Failed;
        }
        return Step::Ok;
      },
      error);
  if (!done) return std::nullopt;
  return outcome;
}

std::optional<RegisterAddOutcome> Register::addFile(const QString& path, RegisterAddRequest request,
                                                    QString* error) {
  const int language = d_->language;
  QFile file(path);
  const QString shown = QDir::toNativeSeparators(path);
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
    if (error)
      *error = pick(resulttext::kCannotRead, language)
                   .arg(shown, QFileInfo(path).isDir() ? QStringLiteral("is a folder")
                                                       : file.errorString());
    return std::nullopt;
  }
  // Read one byte past the limit to tell a file that is too large.
  request.bytes = file.read(kResultFileMax + 1);
  if (file.error() != QFileDevice::NoError) {
    if (error) *error = pick(resulttext::kCannotRead, language).arg(shown, file.errorString());
    return std::nullopt;
  }
  if (request.bytes.size() > kResultFileMax) {
    if (error)
      *error =
          pick(resulttext::kCannotRead, language).arg(shown, pick(resulttext::kTooLarge, language));
    return std::nullopt;
  }
  if (request.fileName.isEmpty()) request.fileName = QFileInfo(path).fileName();
  if (!request.fileTime.isValid()) request.fileTime = QFileInfo(path).lastModified();
  return add(request, error);
}

std::optional<std::vector<RegisterEntry>> Register::list(const RegisterFilter& filter,
                                                         QString* error) {
  QStringList where;
  QVariantList values;
  if (!filter.site.isEmpty()) {
    where << QStringLiteral("s.name = ?");
    values << filter.site;
  }
  if (!filter.segment.isEmpty()) {
    where << QStringLiteral("g.name = ?");
    values << filter.segment;
  }
  if (filter.since.isValid()) {
    where << QStringLiteral("r.result_date >= ?");
    values << dateText(filter.since);
  }
  if (filter.until.isValid()) {
    where << QStringLiteral("r.result_date <= ?");
    values << dateText(filter.until);
  }
  if (filter.verdict) {
    where << QStringLiteral("r.verdict_status = ?");
    values << statusName(*filter.verdict);
  }
  if (filter.pendingOnly) where << QStringLiteral("r.pending_server <> ''");
  if (!filter.pendingServer.isEmpty()) {
    where << QStringLiteral("r.pending_server = ?");
    values << filter.pendingServer;
  }
  if (!filter.text.isEmpty()) {
    QStringList any;
    for (const char* column : {"s.name", "s.customer", "g.name", "r.file_name", "r.note",
                               "r.technician", "r.instrument_serial", "r.verdict"}) {
      any << QStringLiteral("lower(%1) LIKE ? ESCAPE '\\'").arg(QLatin1String(column));
      values << likePattern(filter.text);
    }
    where << u'(' + any.join(QStringLiteral(" OR ")) + u')';
  }
  QString sql = QStringLiteral("SELECT ") + kEntryColumns;
  if (!where.isEmpty()) sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
  sql += QStringLiteral(" ORDER BY s.name, g.name, r.result_date, r.id");
  // The bus is matched as sameBus does, after the query; the limit then too.
  const bool byBus = !filter.bus.trimmed().isEmpty();
  if (filter.limit > 0 && !byBus) sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
  QSqlQuery q(d_->db);
  d_->forward(q);
  q.prepare(sql);
  for (const QVariant& v : values) q.addBindValue(v);
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  std::vector<RegisterEntry> out;
  while (q.next()) {
    if (byBus && !sameBus(q.value(7).toString(), filter.bus)) continue;
    out.push_back(entryFrom(q));
    if (filter.limit > 0 && int(out.size()) >= filter.limit) break;
  }
  return out;
}

std::optional<RegisterEntry> Register::lastFiledOfBus(const QString& bus, QString* error) {
  if (bus.trimmed().isEmpty()) return std::nullopt;
  QSqlQuery q(d_->db);
  d_->forward(q);
  q.prepare(QStringLiteral("SELECT ") + kEntryColumns + QStringLiteral(" ORDER BY r.id DESC"));
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  // Newest first: the first of that bus ends the walk.
  while (q.next())
    if (sameBus(q.value(7).toString(), bus)) return entryFrom(q);
  return std::nullopt;
}

std::optional<RegisterEntry> Register::entry(qint64 id, QString* error) {
  QSqlQuery q(d_->db);
  q.prepare(QStringLiteral("SELECT ") + kEntryColumns + QStringLiteral(" WHERE r.id = ?"));
  q.addBindValue(id);
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  if (!q.next()) {
    if (error) *error = pick(registertext::kNoSuchResult, d_->language).arg(id);
    return std::nullopt;
  }
  return entryFrom(q);
}

std::optional<RegisterEntry> Register::entryOfBytes(const QByteArray& bytes, QString* error) {
  const QString hash =
      QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
  QSqlQuery q(d_->db);
  q.prepare(QStringLiteral("SELECT ") + kEntryColumns + QStringLiteral(" WHERE r.sha256 = ?"));
  q.addBindValue(hash);
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  if (error) error->clear();
  if (!q.next()) return std::nullopt;
  return entryFrom(q);
}

std::optional<std::vector<RegisterMeasurement>> Register::measurements(qint64 id, QString* error) {
  if (!entry(id, error)) return std::nullopt;
  QSqlQuery q(d_->db);
  d_->forward(q);
  q.prepare(
      QStringLiteral("SELECT position, name, value, minimum, maximum, unit, status "
                     "FROM measurement WHERE result_id = ? ORDER BY position"));
  q.addBindValue(id);
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  std::vector<RegisterMeasurement> out;
  while (q.next()) {
    RegisterMeasurement m;
    m.position = q.value(0).toInt();
    m.name = q.value(1).toString();
    m.value = numberFrom(q.value(2));
    m.minimum = numberFrom(q.value(3));
    m.maximum = numberFrom(q.value(4));
    m.unit = q.value(5).toString();
    m.status = statusFromName(q.value(6).toString());
    out.push_back(m);
  }
  return out;
}

std::optional<QByteArray> Register::originalBytes(qint64 id, QString* error) {
  QSqlQuery q(d_->db);
  q.prepare(QStringLiteral("SELECT bytes FROM result_file WHERE result_id = ?"));
  q.addBindValue(id);
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  if (!q.next()) {
    if (error) *error = pick(registertext::kNoSuchResult, d_->language).arg(id);
    return std::nullopt;
  }
  return q.value(0).toByteArray();
}

std::optional<std::vector<RegisterSite>> Register::sites(QString* error) {
  QSqlQuery q(d_->db);
  if (!q.exec(QStringLiteral("SELECT id, customer, name, notes FROM site ORDER BY name"))) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  std::vector<RegisterSite> out;
  while (q.next())
    out.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                   q.value(3).toString()});
  return out;
}

std::optional<std::vector<RegisterSegment>> Register::segments(const QString& site,
                                                               QString* error) {
  QSqlQuery q(d_->db);
  q.prepare(QStringLiteral("SELECT g.id, g.site_id, s.name, g.name, g.bus, g.notes, "
                           "g.baseline_id, g.baseline_changes, g.baseline_changed_by, "
                           "g.baseline_changed_at FROM segment g JOIN site s ON s.id = g.site_id") +
            (site.isEmpty() ? QString() : QStringLiteral(" WHERE s.name = ?")) +
            QStringLiteral(" ORDER BY s.name, g.name"));
  if (!site.isEmpty()) q.addBindValue(site);
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  std::vector<RegisterSegment> out;
  while (q.next()) {
    RegisterSegment g;
    g.id = q.value(0).toLongLong();
    g.siteId = q.value(1).toLongLong();
    g.site = q.value(2).toString();
    g.name = q.value(3).toString();
    g.bus = q.value(4).toString();
    g.notes = q.value(5).toString();
    if (!q.value(6).isNull()) g.baselineId = q.value(6).toLongLong();
    g.baselineChanges = q.value(7).toLongLong();
    g.baselineChangedBy = q.value(8).toString();
    g.baselineChangedAt = dateFrom(q.value(9));
    out.push_back(g);
  }
  return out;
}

bool Register::setSiteDetails(const QString& site, const QString& customer, const QString& notes,
                              QString* error) {
  using Step = State::Step;
  return d_->write(
      [&](State::Tx& tx) {
        QSqlQuery q(d_->db);
        q.prepare(QStringLiteral(
            "UPDATE site SET customer = COALESCE(?, ''), notes = COALESCE(?, '') WHERE name = ?"));
        q.addBindValue(customer);
        q.addBindValue(notes);
        q.addBindValue(site);
        if (!d_->exec(q, tx)) return Step::Failed;
        if (q.numRowsAffected() == 0) {
          tx.message = pick(registertext::kNoSuchSite, d_->language).arg(site);
          return Step::Refused;
        }
        return Step::Ok;
      },
      error);
}

bool Register::setSegmentNotes(const QString& site, const QString& segment, const QString& notes,
                               QString* error) {
  const std::optional<qint64> id = d_->segmentId(site, segment, error);
  if (!id) return false;
  using Step = State::Step;
  return d_->write(
      [&](State::Tx& tx) {
        QSqlQuery q(d_->db);
        q.prepare(QStringLiteral("UPDATE segment SET notes = COALESCE(?, '') WHERE id = ?"));
        q.addBindValue(notes);
        q.addBindValue(*id);
        return d_->exec(q, tx) ? Step::Ok : Step::Failed;
      },
      error);
}

bool Register::setBaseline(qint64 id, QString* error) {
  return setBaseline(id, std::nullopt, error);
}

bool Register::setBaseline(qint64 id, std::optional<qint64> seenChanges, QString* error) {
  using Step = State::Step;
  return d_->write(
      [&](State::Tx& tx) {
        // The baseline is a result of the segment itself: read both at once.
        // The counter check and the change are one statement, so that of
        // two programs changing it from the same view only one succeeds.
        QSqlQuery q(d_->db);
        q.prepare(QStringLiteral("UPDATE segment SET baseline_id = ?, "
                                 "baseline_changes = baseline_changes + 1, "
                                 "baseline_changed_by = COALESCE(?, ''), baseline_changed_at = ? "
                                 "WHERE id = (SELECT segment_id FROM result WHERE id = ?)") +
                  (seenChanges ? QStringLiteral(" AND baseline_changes = ?") : QString()));
        q.addBindValue(id);
        q.addBindValue(d_->who());
        q.addBindValue(dateText(QDateTime::currentDateTime()));
        q.addBindValue(id);
        if (seenChanges) q.addBindValue(*seenChanges);
        if (!d_->exec(q, tx)) return Step::Failed;
        if (q.numRowsAffected() > 0) return Step::Ok;
        q.prepare(QStringLiteral(
            "SELECT s.name, g.name, g.baseline_changed_by, g.baseline_changed_at FROM result r "
            "JOIN segment g ON g.id = r.segment_id JOIN site s ON s.id = g.site_id "
            "WHERE r.id = ?"));
        q.addBindValue(id);
        if (!d_->exec(q, tx)) return Step::Failed;
        tx.message = q.next()
                         ? pick(registertext::kBaselineChangedMeanwhile, d_->language)
                               .arg(q.value(0).toString(), q.value(1).toString(),
                                    q.value(2).toString(), resultDateText(dateFrom(q.value(3))))
                         : pick(registertext::kNoSuchResult, d_->language).arg(id);
        return Step::Refused;
      },
      error);
}

bool Register::clearBaseline(const QString& site, const QString& segment, QString* error) {
  const std::optional<qint64> id = d_->segmentId(site, segment, error);
  if (!id) return false;
  using Step = State::Step;
  return d_->write(
      [&](State::Tx& tx) {
        QSqlQuery q(d_->db);
        q.prepare(QStringLiteral(
            "UPDATE segment SET baseline_id = NULL, baseline_changes = baseline_changes + 1, "
            "baseline_changed_by = COALESCE(?, ''), baseline_changed_at = ? WHERE id = ?"));
        q.addBindValue(d_->who());
        q.addBindValue(dateText(QDateTime::currentDateTime()));
        q.addBindValue(*id);
        return d_->exec(q, tx) ? Step::Ok : Step::Failed;
      },
      error);
}

std::optional<std::vector<CompareRun>> Register::segmentRuns(const QString& site,
                                                             const QString& segment,
                                                             bool sinceBaseline, QString* error) {
  const std::optional<qint64> segmentId = d_->segmentId(site, segment, error);
  if (!segmentId) return std::nullopt;
  QString from;  // the baseline's date: nothing before it
  if (sinceBaseline) {
    QSqlQuery b(d_->db);
    b.prepare(
        QStringLiteral("SELECT r.result_date FROM segment g "
                       "JOIN result r ON r.id = g.baseline_id WHERE g.id = ?"));
    b.addBindValue(*segmentId);
    if (!b.exec()) {
      if (error) *error = d_->readFailure(b.lastError());
      return std::nullopt;
    }
    if (!b.next()) {
      if (error) *error = pick(registertext::kNoBaseline, d_->language).arg(site, segment);
      return std::nullopt;
    }
    from = b.value(0).toString();
  }
  QSqlQuery q(d_->db);
  d_->forward(q);
  q.prepare(QStringLiteral("SELECT r.file_name, r.result_date, r.date_source, f.bytes "
                           "FROM result r JOIN result_file f ON f.result_id = r.id "
                           "WHERE r.segment_id = ?") +
            (sinceBaseline ? QStringLiteral(" AND r.result_date >= ?") : QString()) +
            QStringLiteral(" ORDER BY r.result_date, r.id"));
  q.addBindValue(*segmentId);
  if (sinceBaseline) q.addBindValue(from);
  if (!q.exec()) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  std::vector<CompareRun> runs;
  while (q.next()) {
    CompareRun run;
    run.table = readResultText(resultTextFromBytes(q.value(3).toByteArray()), q.value(0).toString(),
                               d_->language);
    run.date = dateFrom(q.value(1));
    run.dateSource = q.value(2).toString() == dateSourceName(DateSource::Result)
                         ? DateSource::Result
                         : DateSource::FileTime;
    runs.push_back(std::move(run));
  }
  return runs;
}

std::optional<Comparison> Register::compareSegment(const QString& site, const QString& segment,
                                                   bool sinceBaseline,
                                                   const CompareOptions& options, QString* error) {
  std::optional<std::vector<CompareRun>> runs = segmentRuns(site, segment, sinceBaseline, error);
  if (!runs) return std::nullopt;
  return compareRuns(std::move(*runs), options, error, d_->language, RunOrder::ByDate);
}

std::optional<QStringList> Register::check(QString* error) {
  QString engineError;
  // The server keeps its own files whole; the links and hashes are checked here.
  QStringList problems =
      d_->server ? QStringList() : RegisterEngine::integrityProblems(d_->db, false, &engineError);
  if (!engineError.isEmpty())
    return problems;  // the file itself is unreadable: that is the finding
  QSqlQuery q(d_->db);
  d_->forward(q);
  if (!q.exec(QStringLiteral("SELECT r.id, r.file_name, r.sha256, f.bytes FROM result r "
                             "LEFT JOIN result_file f ON f.result_id = r.id ORDER BY r.id"))) {
    if (error) *error = d_->readFailure(q.lastError());
    return std::nullopt;
  }
  while (q.next()) {
    const QByteArray bytes = q.value(3).toByteArray();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    if (q.value(3).isNull() || hash != q.value(2).toString())
      problems << pick(registertext::kStoredFileChanged, d_->language)
                      .arg(q.value(0).toString(), q.value(1).toString());
  }
  QSqlQuery b(d_->db);
  if (!b.exec(QStringLiteral("SELECT s.name, g.name FROM segment g JOIN site s ON s.id = g.site_id "
                             "JOIN result r ON r.id = g.baseline_id WHERE r.segment_id <> g.id"))) {
    if (error) *error = d_->readFailure(b.lastError());
    return std::nullopt;
  }
  while (b.next())
    problems << QStringLiteral("the baseline of %1 / %2 belongs to another segment")
                    .arg(b.value(0).toString(), b.value(1).toString());
  return problems;
}

bool Register::backup(const QString& out, QString* error) {
  const QString shown = QDir::toNativeSeparators(out);
  if (d_->server) {
    if (error) *error = pick(registertext::kServerBackup, d_->language).arg(d_->serverName);
    return false;
  }
  if (QFileInfo::exists(out)) {
    if (error) *error = pick(registertext::kBackupExists, d_->language).arg(shown);
    return false;
  }
  QString reason;
  if (!RegisterEngine::backup(d_->db, out, &reason)) {
    QFile::remove(out);  // a copy cut short is no copy
    if (error) *error = pick(registertext::kBackupFailed, d_->language).arg(shown, reason);
    return false;
  }
  // The copy is nobody's open register: no sessions to account for.
  {
    const QString name = d_->connection + QStringLiteral("-backup");
    {
      QSqlDatabase copy = QSqlDatabase::addDatabase(RegisterEngine::driverName(), name);
      RegisterEngine::configure(copy, out);
      if (copy.open()) {
        QSqlQuery q(copy);
        q.exec(QStringLiteral("DELETE FROM register_session"));
        q.finish();
        RegisterEngine::beforeClose(copy);
      }
      copy.close();
    }
    QSqlDatabase::removeDatabase(name);
  }
  return true;
}

}  // namespace karvel
