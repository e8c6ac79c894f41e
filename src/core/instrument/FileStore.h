// What the file transfer, the catalogue listing and the Export command share:
// the file kinds of the instrument's stores, their limits and waits, and the
// types that cross between them.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace karvel {

// File kinds of the stores.
constexpr int kKindBus = 0;     // bus definition files
constexpr int kKindResult = 1;  // diagnostic result files

// Catalogue replies are read with this maximum count; a longer reply is read on.
constexpr int kTransferBufferSize = 10000;
// A block header announcing more than this is refused before anything is allocated.
constexpr qint64 kMaxBlockLength = 64LL * 1024 * 1024;
// Slices in which a large block moves, so that each has its own time-out and
// the progress can be shown between them.
constexpr int kTransferSlice = 2048;

constexpr int kTransferWaitMs = 500;
constexpr int kCatalogueTimeoutMs = 60000;
constexpr int kBlockTimeoutMs = 8000;
constexpr int kNormalTimeoutMs = 2000;

// The temporary file a fetched bus definition file arrives in.
inline constexpr const char* kBusTemporaryName = "______z_.tmp";

// Called while a block moves: bytes done so far of `total`.
using TransferProgress = std::function<void(qint64 done, qint64 total)>;

// One file of a store's catalogue: its name and the store it was found in.
struct CatalogueEntry {
  QString name;
  int store = 0;
};

}  // namespace karvel
