// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QTimer>
#include <QtEndian>

#include "core/frame/Installation.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace karvel::ui {

namespace {

constexpr qsizetype kHeaderSize = sizeof(kHandOverHeader) - 1;
// A start that connects and never finishes its message is let go after this.
constexpr int kIncompleteMessageMs = 10000;

QString lockPath(const QString& name) {
  // Only one start at a time decides between handing over and listening, so
  // that removing a dead program's socket never removes a live one's.
  if (QDir::isAbsolutePath(name)) return name + QStringLiteral(".lock");
  return QDir::temp().filePath(name + QStringLiteral(".lock"));
}

}  // namespace

QString normalisedDisplay(const QString& display) {
  static const QRegularExpression screen(QStringLiteral("^(.*:\\d+)\\.\\d+$"));
  const QRegularExpressionMatch m = screen.match(display);
  return m.hasMatch() ? m.captured(1) : display;
}

QString instanceName(const QString& user, const QString& display, const QString& portableDir,
                     const QString& socketDir) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const QString& part : {user, normalisedDisplay(display), portableDir}) {
    hash.addData(part.toUtf8());
    hash.addData(QByteArrayView("\n", 1));
  }
  const QString id =
      QStringLiteral("karvel-") + QString::fromLatin1(hash.result().toHex().left(24));
#ifdef Q_OS_WIN
  Q_UNUSED(socketDir);
  return id;
#else
  return QDir(socketDir).filePath(id);
#endif
}

QString instanceNameHere(const Installation& where) {
  QString user;
  QString display;
  QString socketDir;
#ifdef Q_OS_WIN
  user = qEnvironmentVariable("USERDOMAIN") + u'\\' + qEnvironmentVariable("USERNAME");
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session))
    display = QStringLiteral("session ") + QString::number(session);
#else
  user = QString::number(getuid());
  if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
    display = QStringLiteral("wayland ") + qEnvironmentVariable("WAYLAND_DISPLAY");
  else
    display = qEnvironmentVariable("DISPLAY");
  // The user's own runtime folder: no other user can put a socket there.
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  socketDir = !runtime.isEmpty() && QFileInfo(runtime).isDir() ? runtime : QDir::tempPath();
#endif
  QString portable;
  if (where.mode == Installation::Mode::Portable) {
    const QFileInfo dir(where.programDir);
    portable = dir.canonicalFilePath().isEmpty() ? dir.absoluteFilePath() : dir.canonicalFilePath();
  }
  return instanceName(user, display, portable, socketDir);
}

QByteArray handOverMessage(const QString& path) {
  const QByteArray utf8 = path.toUtf8();
  QByteArray message(kHandOverHeader, kHeaderSize);
  char length[4];
  qToBigEndian(quint32(utf8.size()), length);
  message.append(length, 4);
  message.append(utf8);
  return message;
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() { stop(); }

SingleInstance::Outcome SingleInstance::claim(const QString& path, int answerMs) {
  if (listening()) return Outcome::Running;
  QLockFile lock(lockPath(name_));
  // A lock left by a start that crashed is found stale (its process is gone);
  // one that cannot be had in time is done without rather than waited on.
  lock.tryLock(answerMs);
  // A program that was ending while we asked has stopped listening by the
  // next round.
  for (int round = 0; round < 3; ++round) {
    switch (handOver(path, answerMs)) {
      case Attempt::Taken:
      case Attempt::Busy:
        return Outcome::HandedOver;
      case Attempt::Gone:
        continue;
      case Attempt::NobodyThere:
        // No program, or the socket of one that crashed: ours from now on.
        QLocalServer::removeServer(name_);
        return listen() ? Outcome::Running : Outcome::Alone;
    }
  }
  return listen() ? Outcome::Running : Outcome::Alone;
}

SingleInstance::Attempt SingleInstance::handOver(const QString& path, int answerMs) {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(answerMs)) {
    const auto error = socket.error();
    if (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError)
      return Attempt::NobodyThere;
    // Something there that we cannot reach: never remove it; listening will
    // tell whether the name is free.
    return Attempt::Gone;
  }
  socket.write(handOverMessage(path));
  while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(answerMs)) {
  }
  if (socket.bytesToWrite() > 0) return Attempt::Gone;
  if (socket.bytesAvailable() > 0 || socket.waitForReadyRead(answerMs)) {
    char answer = 0;
    if (socket.getChar(&answer) && answer == kHandOverTaken) return Attempt::Taken;
    return Attempt::Gone;
  }
  // Closed without an answer: the program was ending.
  if (socket.state() != QLocalSocket::ConnectedState) return Attempt::Gone;
  // Connected, the message written, no answer yet: the program is busy (a
  // long talk with the instrument holds its window); it reads the message
  // once it is free.
  qWarning("karvel: the running program is busy; it opens the file once it is free");
  return Attempt::Busy;
}

bool SingleInstance::listen() {
  auto* server = new QLocalServer(this);
  // Only this user may hand files over.
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(name_)) {
    qWarning("karvel: cannot listen for later starts (%s): %s", qUtf8Printable(name_),
             qUtf8Printable(server->errorString()));
    delete server;
    return false;
  }
  connect(server, &QLocalServer::newConnection, this, &SingleInstance::accept);
  server_ = server;
  return true;
}

bool SingleInstance::listening() const { return server_ && server_->isListening(); }

void SingleInstance::stop() {
  if (!server_) return;
  QLocalServer* server = server_;
  server_ = nullptr;
  server->close();
  // Takes the connections with it: a start waiting on one asks again and
  // finds nobody, so it becomes the running program.
  delete server;
}

void SingleInstance::accept() {
  if (!server_) return;
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    pending_.insert(socket, {});
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      readFrom(socket);
      pending_.remove(socket);
      socket->deleteLater();
    });
    connect(socket, &QObject::destroyed, this, [this, socket] { pending_.remove(socket); });
    QTimer::singleShot(kIncompleteMessageMs, socket, [this, socket] {
      if (!pending_.contains(socket)) return;
      pending_.remove(socket);
      socket->abort();
      socket->deleteLater();
    });
    readFrom(socket);
  }
}

void SingleInstance::readFrom(QLocalSocket* socket) {
  const auto it = pending_.find(socket);
  if (it == pending_.end()) return;
  QByteArray& buffer = it.value();
  auto drop = [&] {
    pending_.remove(socket);
    socket->abort();
    socket->deleteLater();
  };
  // Never more than one whole message is read: a sender cannot grow this.
  const qsizetype wanted = kHeaderSize + 4 + kHandOverPathMax - buffer.size();
  if (wanted > 0) buffer += socket->read(wanted);

  const QByteArrayView header(kHandOverHeader, kHeaderSize);
  if (!header.startsWith(QByteArrayView(buffer).first(std::min(buffer.size(), kHeaderSize))))
    return drop();
  if (buffer.size() < kHeaderSize + 4) return;
  const quint32 length = qFromBigEndian<quint32>(buffer.constData() + kHeaderSize);
  if (length > quint32(kHandOverPathMax)) return drop();
  if (buffer.size() < kHeaderSize + 4 + qsizetype(length)) return;

  const QString path = QString::fromUtf8(buffer.mid(kHeaderSize + 4, length));
  pending_.remove(socket);
  socket->write(&kHandOverTaken, 1);
  socket->flush();
  socket->disconnectFromServer();
  // Opening may ask questions (unsaved edits): not from inside this read.
  QMetaObject::invokeMethod(
      this, [this, path] { emit requested(path); }, Qt::QueuedConnection);
}

}  // namespace karvel::ui
