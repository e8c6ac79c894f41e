// The instrument's file store: moving one file between the PC and the
// instrument as a definite-length block, and listing the files of one kind
// that each store of the instrument holds. Everything goes through the open
// session in AppState (its I/O layer, session and model code).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "io/VisaTypes.h"

namespace karvel {

struct AppState;

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

// Moves one file. direction not 0: uploads the PC file `file` into the
// instrument's store (0 done or declined by the user; -1 name too long or the
// file unreadable). direction 0: downloads the instrument file `file` from
// store `storage` as `kind` into its temporary file in the program folder
// (0 or VI_SUCCESS_MAX_CNT when written; -1 otherwise). `spare` is unused.
int Tarvik_fileTransfer(AppState& state, io::ViSession session, const QString& file,
                        io::ViInt16 direction, io::ViUInt16 storage, io::ViInt16 kind, int spare,
                        const TransferProgress& progress = {});

// The download of Tarvik_fileTransfer into `target` instead of the temporary
// file. Nothing is left at `target` when it fails.
int downloadFile(AppState& state, io::ViSession session, const QString& name, io::ViUInt16 storage,
                 io::ViInt16 kind, const QString& target, const TransferProgress& progress = {});

// Reads one definite-length block: the data and the two bytes after it go
// into `buffer` from its first byte, `count` receives how many arrived. The
// status of the data read, or -1 when no valid block header came.
io::ViStatus Tarvik_Read_Binary_Data(AppState& state, io::ViSession session, QByteArray* buffer,
                                     io::ViUInt32* count, const TransferProgress& progress = {});

// Appends to `list` the files of `kind` of every store of the instrument.
// Always 0.
int RetourneCatalogue(AppState& state, int kind, QList<CatalogueEntry>& list);

// Appends to `list` the names of `kind` found in one catalogue text, each
// with `store`. Always 0.
int AfficheCatalog(int kind, const QByteArray& catalogue, char separator, int store,
                   QList<CatalogueEntry>& list);

// The name a file has on the instrument when uploaded from `path`: the part
// after the last separator, blanks made "_", the extension's case that of
// `model`. Empty when the path names no file.
QString instrumentFileName(const QString& path, int model);
// Whether an upload name is too long for `model` (20 or 28 before the first
// ".", four more in all).
bool uploadNameTooLong(const QString& name, int model);
int uploadNameLimit(int model);

// The temporary file in `programDir` that a download of `name` as `kind`
// writes; empty when the name cannot give a file name in that folder.
QString temporaryPath(const QString& programDir, const QString& name, int kind);

// `name` made usable as one file name inside a folder: separators and the
// characters file systems refuse become "_". Empty when nothing usable is
// left ("", ".", "..").
QString safeLocalName(const QString& name);

// Whether the bus definition file at `path` is meant for `model`: files of the
// second family carry "VSoftTarvikIV" in their first 250 bytes, those of the
// first do not.
bool busFileSuitsModel(const QString& path, int model);

// File > Export: opens the session, asks for a bus definition file and sends
// it to the instrument when it suits the model, telling the user what failed.
void exportBusFile(AppState& state, const TransferProgress& progress = {});

// Instrument texts are Windows-1252.
QString fromInstrument(const QByteArray& bytes);
QByteArray toInstrument(const QString& text);

}  // namespace karvel
