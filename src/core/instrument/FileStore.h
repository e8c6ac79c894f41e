// SPDX-License-Identifier: GPL-3.0-or-later
// What the file transfer, the catalogue listing and the Export command share:
// the file kinds of the instrument's stores, their limits and waits, and the
// types that cross between them.
#pragma once

#include <QString>
#include <QtGlobal>

#include "core/instrument/TransferProgress.h"

namespace karvel {

// File kinds of the stores.
constexpr int kKindBus = 0;     // bus definition files
constexpr int kKindResult = 1;  // diagnostic result files

// Catalogue replies are read with this maximum count; a longer reply is read on.
constexpr int kTransferBufferSize = 10000;
// A block header announcing more than this is refused before anything is allocated.
constexpr qint64 kMaxBlockLength = 64LL * 1024 * 1024;
// Slices in which a large block moves over a socket, so that each has its own
// time-out and the progress shows and a cancel is heard between them. Over a
// serial line a slice is kSerialSliceMs of the line's time.
constexpr int kTransferSlice = 2048;
constexpr int kSerialSliceMs = 50;

constexpr int kTransferWaitMs = 500;
constexpr int kCatalogueTimeoutMs = 60000;
// The rest of a catalogue reply cut by a carriage return comes within this.
constexpr int kCatalogueTailMs = 50;
constexpr int kBlockTimeoutMs = 8000;
constexpr int kNormalTimeoutMs = 2000;
// A send cut short leaves the instrument waiting for the rest of its block;
// it gives the block up once the line has been quiet for a second. The
// program stays quiet longer than that before it asks for the part to go.
constexpr int kAbandonedBlockWaitMs = 1500;
// Tries at deleting what a cut-short send left; each that goes unanswered
// was taken for more of the block, and the line was quiet while it waited.
constexpr int kAbandonedBlockDeleteTries = 3;
// A fetch cut short: what the instrument still sends is read and dropped
// until the line has been quiet this long (or the block's end came).
constexpr int kDrainQuietMs = 300;

// The temporary file a fetched bus definition file arrives in.
inline constexpr const char* kBusTemporaryName = "______z_.tmp";

// One file of a store's catalogue: its name and the store it was found in.
struct CatalogueEntry {
  QString name;
  int store = 0;
};

}  // namespace karvel
