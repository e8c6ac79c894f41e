// SPDX-License-Identifier: GPL-3.0-or-later
// Moving one file between the PC and the instrument as a definite-length
// block, through the open session in AppState (its I/O layer, session and
// model code), and the names a file has on either side.
#pragma once

#include <QByteArray>
#include <QString>

#include "core/instrument/FileStore.h"
#include "io/VisaTypes.h"

namespace karvel {

struct AppState;

// Result of an upload whose name holds a character that the instrument's
// Windows-1252 names cannot store.
constexpr int kUploadNameNotEncodable = -2;

// Result of a transfer that the user cancelled: nothing of it was kept on
// either side (a send that could not be cleared up has said so), the
// acquisition runs again if it ran, and the session is as good as before.
constexpr int kTransferCancelled = -4;

// Moves one file. direction not 0: uploads the PC file `file` into the
// instrument's store (0 done or declined by the user; -1 name too long or the
// file unreadable; kUploadNameNotEncodable; kTransferCancelled). direction 0:
// downloads the instrument file `file` from store `storage` as `kind` into
// its temporary file in the program folder (0 or VI_SUCCESS_MAX_CNT when
// written; kDownloadCannotWrite when the file could not be written;
// kTransferCancelled; -1 otherwise). `spare` is unused. `progress`, when
// given, watches the transfer and may cancel it.
int Tarvik_fileTransfer(AppState& state, io::ViSession session, const QString& file,
                        io::ViInt16 direction, io::ViUInt16 storage, io::ViInt16 kind, int spare,
                        TransferProgress* progress = nullptr);

// How a send ended, for callers that tell the user.
enum class SendOutcome {
  Sent,          // the store lists the file
  Declined,      // the file existed and the user kept it
  NotConfirmed,  // sent, but the store does not list it (message 30 was shown)
  Refused,       // name too long, or the PC file unreadable; nothing sent
  NotEncodable,  // a character of the name cannot be stored; nothing sent
  Cancelled,     // stopped by the user; nothing kept, or the user was told
};

// The upload of Tarvik_fileTransfer.
SendOutcome sendFile(AppState& state, io::ViSession session, const QString& path,
                     TransferProgress* progress = nullptr);

// Result of a download whose block arrived whole but could not be written on
// the PC (a folder that cannot be written, a full disk): a file error, the
// session is as good as before.
constexpr int kDownloadCannotWrite = -3;

// Result of a download refused for its name (a control character or a
// quote, which no command can carry): nothing was sent, the session is as
// good as before.
constexpr int kDownloadNameRefused = -5;

// Result of a download whose reply was no definite-length block (a header
// that is garbage, or announces more than kMaxBlockLength): what followed
// was drained, so the session is in step again.
constexpr int kDownloadBadReply = -6;

// The download of Tarvik_fileTransfer into `target` instead of the temporary
// file. Nothing is left at `target` when it fails or is cancelled. `reason`
// receives, in the current language, the system's reason when writing failed
// (kDownloadCannotWrite), why the name was refused (kDownloadNameRefused) or
// what was wrong with the reply (kDownloadBadReply).
int downloadFile(AppState& state, io::ViSession session, const QString& name, io::ViUInt16 storage,
                 io::ViInt16 kind, const QString& target, TransferProgress* progress = nullptr,
                 QString* reason = nullptr);

// Reads one definite-length block: the data and the two bytes after it go
// into `buffer` from its first byte, `count` receives how many arrived. The
// status of the data read, -1 when no valid block header came, or
// kTransferCancelled when `progress` asked to stop (the rest of the block
// was then dropped and nothing is returned). When bytes came that are no
// valid header, `malformed` receives what was wrong with them (nothing came:
// it stays empty).
io::ViStatus Tarvik_Read_Binary_Data(AppState& state, io::ViSession session, QByteArray* buffer,
                                     io::ViUInt32* count, TransferProgress* progress = nullptr,
                                     QString* malformed = nullptr);

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

// A new, empty file in `folder` for one fetch of `name` as `kind`, named like
// temporaryPath with a unique part before ".tmp" ("LIN_PASS.a1B2c3.tmp"), so
// that every fetch has a file of its own that nobody else's window deletes.
// Empty, with the reason in `error`, when the file cannot be made.
QString newTemporaryFile(const QString& folder, const QString& name, int kind, QString* error);

// `name` made usable as one file name inside a folder: separators and the
// characters file systems refuse become "_". Empty when nothing usable is
// left ("", ".", "..").
QString safeLocalName(const QString& name);

// Whether the catalogue text lists exactly `name`: one of its comma-separated
// fields, blanks and quotes aside, is the name in any letter case (the
// instrument's stores do not tell names apart by case). A longer name that
// contains it ("XLIN.BUS" for "LIN.BUS") is another file.
bool catalogueHasName(const QByteArray& catalogue, const QByteArray& name);

// The characters of `name` that an instrument file name (Windows-1252) cannot
// hold, each once, in order; empty when the name can be sent as it is.
QString charactersInstrumentCannotHold(const QString& name);

// A name from the instrument as it may be shown on a terminal or in a list:
// control characters written as "\n", "\r", "\t" or "\x1b", the rest as it is.
QString visibleName(const QString& name);

// Why the file `name` cannot be asked of the instrument, in `language`
// (control characters, a double quote, characters outside its code page);
// empty when it can.
QString fetchNameRefusal(const QString& name, int language);

// Instrument texts are Windows-1252.
QString fromInstrument(const QByteArray& bytes);
QByteArray toInstrument(const QString& text);

}  // namespace karvel
