// Writing a file whole or not at all.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace karvel {

// Writes `bytes` as the new content of `path`: into a temporary file beside
// it, renamed over it only once every byte was written. False, with the
// system's reason in `error` (a full disk, a folder that cannot be written),
// when anything failed; `path` is then as it was and nothing is left beside it.
//
// Every byte is checked: a buffered write that stops short (a disk filling up
// half-way through) would otherwise be renamed over the old file as if whole.
bool writeFileWhole(const QString& path, QByteArrayView bytes, QString* error);

}  // namespace karvel
