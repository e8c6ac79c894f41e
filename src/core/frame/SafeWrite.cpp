// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <QtGlobal>
#include <atomic>

#include "core/frame/Langue.h"
#include "core/frame/StandardStreams.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

namespace karvel {

namespace {

// Taken while the program loads, before anything it runs could write.
const QDateTime kProcessStart = QDateTime::currentDateTimeUtc();

std::atomic<detail::RenameFunction> renameOverride{nullptr};

const QRegularExpression& ownTemporaryPattern() {
  static const QRegularExpression pattern(
      QStringLiteral("^.+\\.karvel-(\\d{1,10})-[A-Za-z0-9]{6}\\.part$"));
  return pattern;
}

qint64 ownProcessId() {
#ifdef Q_OS_WIN
  return qint64(GetCurrentProcessId());
#else
  return qint64(::getpid());
#endif
}

// Whether the program that made a temporary file may still be writing it.
bool processMayRun(qint64 pid) {
  if (pid == ownProcessId()) return true;
#ifdef Q_OS_WIN
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
#else
  if (pid <= 0 || pid > 0x7fffffff) return false;
  return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

QString temporaryNameFor(const QString& target) {
  const QFileInfo info(target);
  QString name = info.fileName();
  // The suffix must fit within the system's 255 bytes of a name.
  while (name.toUtf8().size() > 200)
    name.chop(name.size() > 1 && name.back().isLowSurrogate() ? 2 : 1);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QString random;
  for (int i = 0; i < 6; ++i)
    random += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
  return info.dir().filePath(
      QStringLiteral("%1.karvel-%2-%3.part").arg(name).arg(ownProcessId()).arg(random));
}

// Once per folder and run: the leftovers of earlier runs cannot grow after it.
void cleanFolderOnce(const QString& folder) {
  static QMutex mutex;
  static QSet<QString> cleaned;
  const QString key = QDir(folder).absolutePath();
  {
    QMutexLocker lock(&mutex);
    if (cleaned.contains(key)) return;
    cleaned.insert(key);
  }
  removeStaleTemporaries(key);
}

QString nativeFolderOf(const QString& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

#ifndef Q_OS_WIN

// The system's words, but a read-only file system says so and names the
// folder: "Read-only file system" alone does not tell which.
QString reasonFor(int errorNumber, const QString& path, int language) {
  if (errorNumber == EROFS)
    return pick(text::kWriteReadOnlyFileSystem, language).arg(nativeFolderOf(path));
  return qt_error_string(errorNumber);
}

bool systemRename(const QString& from, const QString& to, int* errorNumber) {
  if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
    return true;
  *errorNumber = errno;
  return false;
}

#endif

}  // namespace

bool isOwnTemporaryName(const QString& fileName) {
  return ownTemporaryPattern().match(fileName).hasMatch();
}

QDateTime processStart() { return kProcessStart; }

int removeStaleTemporaries(const QString& folder) {
  const QDir dir(folder);
  int removed = 0;
  const QFileInfoList entries = dir.entryInfoList({QStringLiteral("*.karvel-*.part")},
                                                  QDir::Files | QDir::Hidden | QDir::System);
  for (const QFileInfo& entry : entries) {
    const QRegularExpressionMatch match = ownTemporaryPattern().match(entry.fileName());
    if (!match.hasMatch() || entry.isSymLink()) continue;
    if (!(entry.lastModified().toUTC() < kProcessStart)) continue;  // written during this run
    if (processMayRun(match.captured(1).toLongLong())) continue;
    if (QFile::remove(entry.absoluteFilePath())) ++removed;
  }
  return removed;
}

void keepRunningPastFileSizeLimit() {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

namespace detail {
void setRenameForTesting(RenameFunction rename) { renameOverride = rename; }
}  // namespace detail

namespace {
#ifndef Q_OS_WIN
// The temporary file by its descriptor; the first failing call's errno stays.
class DescriptorSink : public WholeFileSink {
 public:
  explicit DescriptorSink(int fd) : fd_(fd) {}
  bool write(const char* data, qint64 size) override {
    qint64 done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd_, data + done, size_t(size - done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      // A short count is not an error yet: the next write tells why it stopped.
      if (n == 0) return fail(EIO);
      done += n;
      position_ += n;
    }
    return true;
  }
  bool seek(qint64 offset) override {
    if (::lseek(fd_, off_t(offset), SEEK_SET) < 0) return fail(errno);
    position_ = offset;
    return true;
  }
  qint64 position() const override { return position_; }
  bool failed() const override { return errorNumber_ != 0; }
  int errorNumber() const { return errorNumber_; }

 private:
  bool fail(int errorNumber) {
    if (!errorNumber_) errorNumber_ = errorNumber;
    return false;
  }
  int fd_;
  qint64 position_ = 0;
  int errorNumber_ = 0;
};
#else
class FileSink : public WholeFileSink {
 public:
  explicit FileSink(QFile& file) : file_(file) {}
  bool write(const char* data, qint64 size) override {
    qint64 done = 0;
    while (done < size) {
      const qint64 n = file_.write(data + done, size - done);
      if (n <= 0) return fail();
      done += n;
    }
    return true;
  }
  bool seek(qint64 offset) override { return file_.seek(offset) || fail(); }
  qint64 position() const override { return file_.pos(); }
  bool failed() const override { return !reason_.isEmpty(); }
  QString reason() const { return reason_; }

 private:
  bool fail() {
    if (reason_.isEmpty()) reason_ = file_.errorString();
    if (reason_.isEmpty()) reason_ = QStringLiteral("write error");
    return false;
  }
  QFile& file_;
  QString reason_;
};
#endif
}  // namespace

namespace {

// The standard output has no temporary file beside it: the content is made
// in an anonymous one (a zip archive moves back in it), then copied out, so
// that a producer that fails sends nothing and memory holds one slice.
bool writeStandardOutputFrom(const WholeFileProducer& produce, QString* error, int language) {
  QString why;
#ifndef Q_OS_WIN
  std::FILE* scratch = std::tmpfile();
  if (!scratch) {
    if (error) *error = qt_error_string(errno);
    return false;
  }
  const int fd = ::fileno(scratch);
  DescriptorSink sink(fd);
  const bool made = produce(sink, &why);
  const int sinkError = sink.errorNumber();
  QFile copy;
  const bool readable = made && !sinkError && ::lseek(fd, 0, SEEK_SET) == 0 &&
                        copy.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
#else
  QTemporaryFile scratchFile;
  if (!scratchFile.open()) {
    if (error) *error = scratchFile.errorString();
    return false;
  }
  FileSink sink(scratchFile);
  const bool made = produce(sink, &why);
  const int sinkError = sink.failed() ? EIO : 0;
  QFile& copy = scratchFile;
  const bool readable = made && !sinkError && scratchFile.seek(0);
#endif
  bool written = false;
  if (!made || sinkError) {
    if (error)
      *error = sinkError || why.isEmpty() ? qt_error_string(sinkError ? sinkError : EIO) : why;
  } else if (!readable) {
    if (error) *error = qt_error_string(errno);
  } else {
    written = true;
    QByteArray slice;
    while (written) {
      slice = copy.read(1 << 20);
      if (slice.isEmpty()) {
        if (copy.error() != QFileDevice::NoError) {
          if (error) *error = copy.errorString();
          written = false;
        }
        break;
      }
      written = writeStandardOutput(slice, error, language);
    }
  }
#ifndef Q_OS_WIN
  copy.close();
  std::fclose(scratch);
#endif
  return written;
}

}  // namespace

bool writeFileWhole(const QString& path, QByteArrayView bytes, QString* error, int language) {
  if (isStandardStream(path)) return writeStandardOutput(bytes, error, language);
  return writeFileWholeFrom(
      path, [&](WholeFileSink& sink, QString*) { return sink.write(bytes.data(), bytes.size()); },
      error, language);
}

bool writeFileWholeFrom(const QString& path, const WholeFileProducer& produce, QString* error,
                        int language) {
  if (isStandardStream(path)) return writeStandardOutputFrom(produce, error, language);
  // A link is followed, so that the link stays and its file gets the content.
  QString target = path;
  QFileInfo info(path);
  for (int depth = 0; info.isSymLink() && depth < 128; ++depth) info.setFile(info.symLinkTarget());
  if (!info.isSymLink()) target = info.filePath();

  cleanFolderOnce(QFileInfo(target).absolutePath());

#ifndef Q_OS_WIN
  auto fail = [&](int errorNumber) {
    if (error) *error = reasonFor(errorNumber, target, language);
    return false;
  };
  const QByteArray targetName = QFile::encodeName(target);
  struct stat existing {};
  const bool exists = ::stat(targetName.constData(), &existing) == 0;
  if (exists) {
    if (S_ISDIR(existing.st_mode)) return fail(EISDIR);
    // A file the user protected stays as it is, though its folder would
    // let a rename replace it.
    if (::access(targetName.constData(), W_OK) != 0) {
      if (errno != EACCES && errno != EPERM) return fail(errno);
      if (error)
        *error = pick(text::kWriteFileReadOnly, language).arg(QDir::toNativeSeparators(target));
      return false;
    }
  }

  QString temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = temporaryNameFor(target);
    // Private until it holds everything; then it takes the old file's mode.
    fd = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return fail(errno);
  }
  if (fd < 0) return fail(EEXIST);
  const QByteArray temporaryName = QFile::encodeName(temporary);
  auto abandon = [&](int errorNumber) {
    if (fd >= 0) ::close(fd);
    ::unlink(temporaryName.constData());
    return fail(errorNumber);
  };

  {
    DescriptorSink sink(fd);
    QString why;
    if (!produce(sink, &why)) {
      if (sink.errorNumber() || why.isEmpty())
        return abandon(sink.errorNumber() ? sink.errorNumber() : EIO);
      abandon(EIO);
      if (error) *error = why;
      return false;
    }
  }
  if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) return abandon(errno);
  // A network file system may tell of a failed write only here.
  if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) return abandon(errno);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0 && errno != EINTR) return abandon(errno);

  int renameError = 0;
  const detail::RenameFunction rename = renameOverride.load();
  if (!(rename ? rename(temporary, target, &renameError)
               : systemRename(temporary, target, &renameError)))
    return abandon(renameError);
  return true;
#else
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (info.exists() && info.isDir()) return fail(qt_error_string(ERROR_DIRECTORY));
  if (info.exists() && !info.isWritable())
    return fail(pick(text::kWriteFileReadOnly, language).arg(QDir::toNativeSeparators(target)));
  QFile file;
  bool opened = false;
  for (int attempt = 0; !opened && attempt < 100; ++attempt) {
    file.setFileName(temporaryNameFor(target));
    opened = file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
    if (!opened && file.error() != QFileDevice::OpenError) break;
  }
  if (!opened) return fail(file.errorString());
  auto abandon = [&](const QString& why) {
    file.close();
    file.remove();
    return fail(why);
  };
  {
    FileSink sink(file);
    QString why;
    if (!produce(sink, &why)) return abandon(!sink.reason().isEmpty() ? sink.reason() : why);
  }
  if (!file.flush()) return abandon(file.errorString());
  file.close();
  int renameError = 0;
  const detail::RenameFunction rename = renameOverride.load();
  const QString temporary = file.fileName();
  const bool moved =
      rename ? rename(temporary, target, &renameError)
             : MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(temporary).utf16()),
                           reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!moved) {
    if (!rename) renameError = int(GetLastError());
    return abandon(qt_error_string(renameError));
  }
  return true;
#endif
}

}  // namespace karvel
