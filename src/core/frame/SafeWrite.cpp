#include "core/frame/SafeWrite.h"

#include <QSaveFile>

namespace karvel {

bool writeFileWhole(const QString& path, QByteArrayView bytes, QString* error) {
  QSaveFile file(path);
  // Never write straight into the old file: a failure would leave it half new.
  file.setDirectWriteFallback(false);
  auto fail = [&] {
    if (error) *error = file.errorString();
    file.cancelWriting();
    return false;
  };
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail();
  qsizetype done = 0;
  while (done < bytes.size()) {
    // A short count is not an error yet: the next write tells why it stopped.
    const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
    if (n <= 0) return fail();
    done += qsizetype(n);
  }
  if (!file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace karvel
