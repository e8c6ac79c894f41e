// SPDX-License-Identifier: GPL-3.0-or-later
// Moving one file between the PC and the instrument's store as a
// definite-length block ("#", one digit d, d digits of the length n, n bytes).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <initializer_list>

#include "core/frame/AppState.h"
#include "core/frame/BoundedRead.h"
#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/frame/Messages.h"
#include "core/frame/SafeWrite.h"
#include "core/instrument/Catalogue.h"
#include "core/instrument/FileTransfer.h"
#include "core/instrument/ScpiCommands.h"
#include "core/instrument/TransferTexts.h"
#include "core/results/ResultTexts.h"
#include "io/Visa.h"

namespace karvel {

using namespace io;

namespace {

// Message shown when the store does not list a file just sent.
constexpr int kMessageMemoryFull = 30;

// Stores and folders of the second family, by storage and by kind.
constexpr const char* kRoots[] = {"/", "/sdcard_p1/"};
constexpr const char* kFolders[] = {"bus-limits", "bus"};

void setBusy(AppState& state, bool busy) {
  if (state.ui) state.ui->setBusy(busy);
}

// One transfer as its watcher sees it. While it lives, every wait of the I/O
// layer and of the protocol runs the watcher's keepAlive, so that windows
// keep painting; a transfer without a watcher waits as it always did.
class TransferScope {
 public:
  TransferScope(AppState& state, TransferProgress* progress, bool ownsHook = true)
      : state_(state), progress_(progress), ownsHook_(ownsHook && progress && state.visa) {
    if (ownsHook_) {
      // An instrument operation around the transfer gets its hook back after.
      previousHook_ = state_.visa->waitHook();
      hearCancelInReads(true);
    }
  }
  ~TransferScope() {
    if (ownsHook_) {
      state_.visa->setWaitHook(previousHook_);
      progress_->end();
    }
  }
  TransferScope(const TransferScope&) = delete;
  TransferScope& operator=(const TransferScope&) = delete;

  void begin(const QString& name, qint64 total, TransferProgress::Direction direction) {
    if (progress_) progress_->begin(name, total, direction);
  }
  void advance(qint64 done, qint64 total) {
    if (progress_) progress_->advance(done, total);
  }
  // Once asked for, a cancel stays asked for.
  bool cancelled() {
    if (!cancelled_ && progress_) cancelled_ = progress_->cancelRequested();
    return cancelled_;
  }
  void cancelling() {
    if (progress_) progress_->cancelling();
  }
  // Whether a cancel ends the read under way at once; the clean-up after a
  // cancel and the check that a sent file arrived read to their end.
  void hearCancelInReads(bool on) {
    if (!ownsHook_) return;
    if (on)
      state_.visa->setWaitHook([p = progress_] { p->keepAlive(); },
                               [p = progress_] { return p->cancelRequested(); });
    else
      state_.visa->setWaitHook([p = progress_] { p->keepAlive(); });
  }
  void wait(int ms) {
    if (!state_.clock) return;
    if (progress_)
      state_.clock->waitKeepingAlive(ms, [p = progress_] { p->keepAlive(); });
    else
      state_.clock->wait(ms);
  }

 private:
  AppState& state_;
  TransferProgress* progress_;
  bool ownsHook_;
  bool cancelled_ = false;
  std::function<void()> previousHook_;
};

// What a serial port's buffers (the driver's, a pseudo-terminal's) may still
// hold of a block once the program has handed it over.
constexpr qint64 kSerialBufferAllowance = 64 * 1024;

// What may still go out after unsent output was dropped.
constexpr qint64 kSerialFlushResidue = 4096;

// The line's speed in bytes a second (10 bits a byte), or 0 when the session
// is no serial line.
qint64 lineBytesPerSecond(Visa& v, ViSession vi) {
  ViAttrState baud = 0;
  if (v.viGetAttribute(vi, VI_ATTR_ASRL_BAUD, &baud) < VI_SUCCESS || baud == 0) return 0;
  return static_cast<qint64>(baud) / 10;
}

// The size of one slice: a fixed size over a socket, kSerialSliceMs of line
// time over a serial line, so that a cancel is heard soon even at 9600 baud.
qint64 sliceSize(Visa& v, ViSession vi) {
  const qint64 perSecond = lineBytesPerSecond(v, vi);
  if (perSecond == 0) return kTransferSlice;
  return std::clamp<qint64>(perSecond * kSerialSliceMs / 1000, 64, kTransferSlice);
}

// A command of the table with its "%s" and "%i" filled in order.
QByteArray command(const char* format, std::initializer_list<QByteArray> values) {
  QByteArray out;
  auto value = values.begin();
  for (const char* c = format; *c; ++c) {
    if (c[0] == '%' && (c[1] == 's' || c[1] == 'i') && value != values.end()) {
      out += *value++;
      ++c;
    } else {
      out += *c;
    }
  }
  return out;
}

// The download's catalogue check: whether the name appears anywhere in it.
bool containsNoCase(const QByteArray& text, const QByteArray& part) {
  return text.toLower().contains(part.toLower());
}

// Reads exactly `count` bytes, in as many reads as it takes.
ViStatus readExactly(Visa& v, ViSession vi, QByteArray* out, ViUInt32 count) {
  out->clear();
  ViStatus status = VI_SUCCESS;
  while (static_cast<ViUInt32>(out->size()) < count) {
    QByteArray part;
    status = v.viRead(vi, &part, count - static_cast<ViUInt32>(out->size()));
    out->append(part);
    if (status < VI_SUCCESS || part.isEmpty()) break;
  }
  return status;
}

// Whatever the instrument still sends after a failed block, so that it is not
// taken for the reply of the next command.
void drainInput(Visa& v, ViSession vi) {
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, 200);
  qint64 drained = 0;
  for (;;) {
    QByteArray junk;
    const ViStatus status = v.viRead(vi, &junk, 65536);
    drained += junk.size();
    if (status < VI_SUCCESS || junk.isEmpty() || drained > kMaxBlockLength) break;
  }
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kNormalTimeoutMs);
}

// The run state: not 0 while the acquisition runs. No answer counts as stopped.
ViInt16 runState(Visa& v, ViSession vi) {
  v.viWrite(vi, QByteArray(scpi::kRunStateQuery));
  ViInt16 run = 0;
  if (v.viScanf(vi, "%hd", &run) < VI_SUCCESS) run = 0;
  return run;
}

// Sends the upload block, a small one in one write as the instrument has
// always received it, a larger one in slices, each within the time-out, with
// the progress shown and a cancel heard between them. The bytes on the line
// are the same. False when the user stopped it half-way.
bool writeBlock(Visa& v, ViSession vi, const QByteArray& block, qint64 dataStart, qint64 dataSize,
                TransferScope& scope) {
  const qint64 slice = sliceSize(v, vi);
  if (block.size() <= slice) {
    v.viWrite(vi, block);
    scope.advance(dataSize, dataSize);
    return true;
  }
  for (qint64 at = 0; at < block.size(); at += slice) {
    const ViStatus status = v.viWrite(vi, block.mid(at, slice));
    scope.advance(std::clamp<qint64>(at + slice - dataStart, 0, dataSize), dataSize);
    if (status < VI_SUCCESS) break;
    if (at + slice < block.size() && scope.cancelled()) return false;
  }
  return true;
}

// Whether a reply is a catalogue at all: it starts with the bytes used and
// the bytes free ("12345,67890..."). A stray reply, noise or nothing proves
// nothing about the files.
bool looksLikeCatalogue(const QByteArray& reply) {
  qsizetype i = 0;
  while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\r' || reply[i] == '\n')) ++i;
  const auto digits = [&] {
    const qsizetype start = i;
    while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9') ++i;
    return i > start;
  };
  if (!digits() || i >= reply.size() || reply[i] != ',') return false;
  ++i;
  return digits();
}

// After a send cut short: what is still queued on the PC is dropped, the
// instrument is given the time to give up the block, and the part it may
// have kept is deleted. True only when a catalogue came that no longer lists
// the name.
bool removeAbandonedUpload(Visa& v, ViSession vi, const QByteArray& wireName,
                           TransferScope& scope) {
  v.viFlush(vi, VI_IO_OUT_BUF_DISCARD);
  // Some bytes may stay past the flush (a pseudo-terminal keeps a few
  // kilobytes): the instrument's quiet second starts once they are through.
  const qint64 perSecond = lineBytesPerSecond(v, vi);
  const qint64 residue = perSecond > 0 ? kSerialFlushResidue * 1000 / perSecond : 0;
  scope.wait(static_cast<int>(kAbandonedBlockWaitMs + residue));
  for (int attempt = 0; attempt < kAbandonedBlockDeleteTries; ++attempt) {
    v.viWrite(vi, command(scpi::kDeleteFile, {wireName}));
    QByteArray done;
    v.viRead(vi, &done, 10);
    if (!done.isEmpty()) break;
  }
  v.viWrite(vi, QByteArray(scpi::kCatalogueAfterUpload));
  scope.wait(kTransferWaitMs);
  QByteArray catalogue;
  readCatalogueReply(v, vi, &catalogue);
  return looksLikeCatalogue(catalogue) && !catalogueHasName(catalogue, wireName);
}

bool isControl(QChar c) {
  const char16_t u = c.unicode();
  return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

// A name travels between double quotes and ends with its command's carriage
// return: a quote or a control character would end it early or start
// another command.
bool isUsableInstrumentName(const QString& name) {
  if (name.isEmpty()) return false;
  for (QChar c : name)
    if (c == u'"' || isControl(c)) return false;
  return true;
}

SendOutcome upload(AppState& state, ViSession vi, const QString& path, TransferScope& scope) {
  Visa& v = *state.visa;
  v.viWrite(vi, command(scpi::kSelectStorage, {"LOCAL"}));
  const int model = state.instrumentModel;
  const QString name = instrumentFileName(path, model);
  if (!charactersInstrumentCannotHold(name).isEmpty()) return SendOutcome::NotEncodable;
  if (!isUsableInstrumentName(name) || uploadNameTooLong(name, model)) return SendOutcome::Refused;

  // The PC file is read before anything on the instrument is deleted or
  // stopped: a file that cannot be read leaves the instrument as it was.
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return SendOutcome::Refused;
  // Never a file cut short by a read error taken for the whole of it.
  QByteArray data;
  if (readBounded(file, kMaxBlockLength, &data) != BoundedRead::Done) return SendOutcome::Refused;
  file.close();

  const QByteArray wireName = toInstrument(name);
  if (model == kModelRQ6102) v.viWrite(vi, QByteArray(scpi::kBusLimitsFolder));
  v.viWrite(vi, QByteArray(scpi::kCatalogue));
  scope.wait(kTransferWaitMs);
  QByteArray catalogue;
  readCatalogueReply(v, vi, &catalogue);
  if (scope.cancelled()) return SendOutcome::Cancelled;  // nothing changed yet
  if (catalogueHasName(catalogue, wireName)) {
    const int answer = state.ui
                           ? state.ui->ask(pick(resulttext::kSaveQuestionTitle, state.language),
                                           pick(resulttext::kSaveQuestion, state.language),
                                           {pick(resulttext::kYes, state.language),
                                            pick(resulttext::kNo, state.language)},
                                           1, 1)
                           : 1;
    if (answer != 0) return SendOutcome::Declined;
  }

  scope.begin(name, data.size(), TransferProgress::Direction::ToInstrument);
  // Stopped before anything changed on the instrument.
  if (scope.cancelled()) return SendOutcome::Cancelled;
  setBusy(state, true);
  v.viWrite(vi, command(scpi::kDeleteFile, {wireName}));
  QByteArray done;
  v.viRead(vi, &done, 10);

  const ViInt16 running = runState(v, vi);
  if (running != 0) {
    v.viWrite(vi, QByteArray(scpi::kStopRun));
    scope.wait(kTransferWaitMs);
  }

  const QByteArray size = QByteArray::number(data.size());
  QByteArray block =
      command(scpi::kUploadHeader, {wireName, QByteArray::number(size.size()), size});
  const qint64 dataStart = block.size();
  block.reserve(block.size() + data.size() + 1);
  block += data;
  block += '\r';
  if (scope.cancelled()) {
    // Nothing of the block went out.
    if (running != 0) v.viWrite(vi, QByteArray(scpi::kStartRun));
    setBusy(state, false);
    return SendOutcome::Cancelled;
  }
  if (!writeBlock(v, vi, block, dataStart, data.size(), scope)) {
    scope.cancelling();
    scope.hearCancelInReads(false);
    const bool removed = removeAbandonedUpload(v, vi, wireName, scope);
    if (running != 0) v.viWrite(vi, QByteArray(scpi::kStartRun));
    setBusy(state, false);
    if (!removed && state.ui)
      state.ui->message(pick(text::kTransferTitle, state.language),
                        pick(text::kPartialFileLeft, state.language).arg(name));
    return SendOutcome::Cancelled;
  }
  scope.wait(kTransferWaitMs);
  // The block went out whole: what follows only checks that it arrived.
  scope.hearCancelInReads(false);

  v.viWrite(vi, QByteArray(scpi::kCatalogueAfterUpload));
  scope.wait(kTransferWaitMs);
  // A serial port may still hold the end of the block (its buffers take some
  // tens of kilobytes): the store answers once the line has carried it.
  ViAttrState timeout = kNormalTimeoutMs;
  v.viGetAttribute(vi, VI_ATTR_TMO_VALUE, &timeout);
  const qint64 perSecond = lineBytesPerSecond(v, vi);
  if (perSecond > 0) {
    const qint64 held = std::min<qint64>(block.size(), kSerialBufferAllowance);
    v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, timeout + held * 1000 / perSecond);
  }
  QByteArray confirmation;
  readCatalogueReply(v, vi, &confirmation);
  if (perSecond > 0) v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, timeout);
  const bool listed = !confirmation.isEmpty() && catalogueHasName(confirmation, wireName);
  if (!listed) PopupErreur(state, kMessageMemoryFull);

  if (running != 0) v.viWrite(vi, QByteArray(scpi::kStartRun));
  setBusy(state, false);
  return listed ? SendOutcome::Sent : SendOutcome::NotConfirmed;
}

// Writes the fetched bytes whole or not at all; the system's reason in
// `error` when it could not.
bool writeWhole(const QString& target, const QByteArray& bytes, qsizetype size, QString* error,
                int language) {
  return writeFileWhole(target, QByteArrayView(bytes.constData(), size), error, language);
}

}  // namespace

QString visibleName(const QString& name) {
  QString out;
  out.reserve(name.size());
  for (QChar c : name) {
    if (c == u'\n')
      out += QLatin1String("\\n");
    else if (c == u'\r')
      out += QLatin1String("\\r");
    else if (c == u'\t')
      out += QLatin1String("\\t");
    else if (isControl(c))
      out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    else
      out += c;
  }
  return out;
}

QString fetchNameRefusal(const QString& name, int language) {
  for (QChar c : name)
    if (isControl(c)) return pick(text::kNameHasControlCharacters, language);
  if (name.contains(u'"')) return pick(text::kNameHasQuote, language);
  const QString foreign = charactersInstrumentCannotHold(name);
  if (!foreign.isEmpty()) return pick(text::kNameNotInCodePage, language).arg(foreign);
  return {};
}

QString fromInstrument(const QByteArray& bytes) {
  QStringDecoder decode("windows-1252");
  return decode.isValid() ? decode(bytes) : QString::fromLatin1(bytes);
}

QByteArray toInstrument(const QString& text) {
  QStringEncoder encode("windows-1252");
  return encode.isValid() ? QByteArray(encode(text)) : text.toLatin1();
}

bool catalogueHasName(const QByteArray& catalogue, const QByteArray& name) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"'; };
  qsizetype start = 0;
  while (start <= catalogue.size()) {
    qsizetype end = catalogue.indexOf(',', start);
    if (end < 0) end = catalogue.size();
    qsizetype a = start;
    qsizetype b = end;
    while (a < b && blank(catalogue[a])) ++a;
    while (b > a && blank(catalogue[b - 1])) --b;
    if (b - a == name.size() &&
        QByteArrayView(catalogue.constData() + a, b - a).compare(name, Qt::CaseInsensitive) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

QString charactersInstrumentCannotHold(const QString& name) {
  QString refused;
  for (qsizetype i = 0; i < name.size(); ++i) {
    // A character outside the code page, or half of a surrogate pair, does
    // not come back from Windows-1252 as it went in.
    const qsizetype n = (name[i].isHighSurrogate() && i + 1 < name.size()) ? 2 : 1;
    const QString c = name.mid(i, n);
    if (fromInstrument(toInstrument(c)) != c && !refused.contains(c)) refused += c;
    i += n - 1;
  }
  return refused;
}

int uploadNameLimit(int model) { return model == kModelRQ6102 ? 28 : 20; }

bool uploadNameTooLong(const QString& name, int model) {
  const int limit = uploadNameLimit(model);
  const qsizetype dot = name.indexOf(u'.');
  const qsizetype before = dot < 0 ? name.size() : dot;
  return before > limit || name.size() > limit + 4;
}

QString instrumentFileName(const QString& path, int model) {
  const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  QString name = path.mid(cut + 1).left(255);
  name.replace(u' ', u'_');
  const qsizetype dot = name.indexOf(u'.');
  if (dot < 0) return name;  // no extension: nothing changes case
  // Letter by letter, so that the name keeps its length.
  for (qsizetype i = dot; i < name.size(); ++i)
    name[i] = model == kModelRQ6102 ? name[i].toLower() : name[i].toUpper();
  return name;
}

QString safeLocalName(const QString& name) {
  static const QString refused = QStringLiteral("\\/:*?\"<>|");
  QString out;
  out.reserve(name.size());
  for (QChar c : name)
    out += (refused.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F) ? u'_' : c;
  // Windows drops trailing dots and blanks; keep the name it would really get.
  while (out.endsWith(u'.') || out.endsWith(u' ')) out.chop(1);
  if (out.isEmpty()) return {};
  // Device names are not files on Windows, whatever their extension.
  static const QStringList devices = {"CON", "PRN", "AUX", "NUL"};
  const QString base = out.section(u'.', 0, 0).toUpper();
  const bool numbered = base.size() == 4 && (base.startsWith("COM") || base.startsWith("LPT")) &&
                        base[3] >= u'1' && base[3] <= u'9';
  if (devices.contains(base) || numbered) out.prepend(u'_');
  return out;
}

QString temporaryPath(const QString& programDir, const QString& name, int kind) {
  QString file;
  if (kind == kKindBus) {
    file = QString::fromLatin1(kBusTemporaryName);
  } else {
    const QString stem = safeLocalName(name.section(u'.', 0, 0));
    if (stem.isEmpty()) return {};
    file = stem + QStringLiteral(".tmp");
  }
  const QDir dir(programDir);
  const QString path = dir.absoluteFilePath(file);
  // The name can hold no separator any more; make sure all the same.
  if (QFileInfo(path).absoluteDir() != QDir(dir.absolutePath())) return {};
  return QDir::toNativeSeparators(path);
}

QString newTemporaryFile(const QString& folder, const QString& name, int kind, QString* error) {
  const QString plain = temporaryPath(folder, name, kind);
  if (plain.isEmpty()) {
    if (error) *error = QStringLiteral("no usable file name for %1").arg(name);
    return {};
  }
  QString pattern = QDir::fromNativeSeparators(plain);
  pattern.insert(pattern.size() - 4, QStringLiteral(".XXXXXX"));  // before ".tmp"
  QTemporaryFile file(pattern);
  file.setAutoRemove(false);
  if (!file.open()) {
    if (error) *error = file.errorString();
    return {};
  }
  return QDir::toNativeSeparators(file.fileName());
}

namespace {

// A fetch cut short: the instrument is told (a new command stops a reply
// under way, as IEEE 488.2 has it; *CLS also clears the error that this
// raises), and what it still sends of the `remaining` bytes is dropped.
void abandonBlock(Visa& v, ViSession vi, qint64 remaining) {
  v.viWrite(vi, QByteArray(scpi::kClear));
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kDrainQuietMs);
  const qint64 slice = sliceSize(v, vi);
  while (remaining > 0) {
    QByteArray junk;
    const ViStatus status =
        v.viRead(vi, &junk, static_cast<ViUInt32>(std::min<qint64>(slice, remaining)));
    remaining -= junk.size();
    if (junk.isEmpty() || (status < VI_SUCCESS && status != VI_ERROR_TMO)) break;
  }
}

ViStatus readBlock(AppState& state, ViSession vi, QByteArray* buffer, ViUInt32* count,
                   TransferScope& scope, QString* malformed) {
  Visa& v = *state.visa;
  // What came but is no block header, as opposed to nothing at all.
  const auto refuse = [&](const Text5& text, const QString& what) {
    if (malformed) *malformed = pick(text, state.language).arg(what);
  };
  buffer->clear();
  *count = 0;
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kBlockTimeoutMs);
  const auto finish = [&](ViStatus status) {
    v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kNormalTimeoutMs);
    v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_FALSE);
    v.viSetAttribute(vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_TERMCHAR);
    return status;
  };

  // Cancelled in a read: the instrument is told and the rest dropped, as
  // between two slices.
  const auto cancel = [&](qint64 remaining) {
    scope.cancelling();
    scope.hearCancelInReads(false);
    abandonBlock(v, vi, remaining);
    buffer->clear();
    return finish(kTransferCancelled);
  };
  QByteArray head;
  if (readExactly(v, vi, &head, 2) == VI_ERROR_ABORT) return cancel(kMaxBlockLength);
  if (!head.isEmpty() && head[0] != '#') {
    refuse(text::kBlockNoHash, visibleName(QString::fromLatin1(head)));
    return finish(-1);
  }
  if (head.size() < 2) return finish(-1);
  // Only the definite form: "#0" (indefinite) and anything not a digit is refused.
  const int digits = head[1] - '0';
  if (digits < 1 || digits > 9) {
    refuse(text::kBlockBadDigitCount, visibleName(QString::fromLatin1(head.mid(1))));
    return finish(-1);
  }
  QByteArray lengthText;
  if (readExactly(v, vi, &lengthText, static_cast<ViUInt32>(digits)) == VI_ERROR_ABORT)
    return cancel(kMaxBlockLength);
  qint64 length = 0;
  for (char c : lengthText) {
    if (c < '0' || c > '9') {
      refuse(text::kBlockBadLength, visibleName(QString::fromLatin1(lengthText)));
      return finish(-1);
    }
    length = length * 10 + (c - '0');
  }
  if (lengthText.size() != digits) return finish(-1);
  // Refused before anything is allocated for it.
  if (length > kMaxBlockLength) {
    if (malformed)
      *malformed = pick(text::kBlockTooLong, state.language)
                       .arg(QString::number(length), QString::number(kMaxBlockLength));
    return finish(-1);
  }
  scope.advance(0, length);

  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_NONE);
  const qint64 wanted = length + 2;
  const qint64 slice = sliceSize(v, vi);
  buffer->reserve(wanted);
  ViStatus status = VI_SUCCESS;
  // In slices, each with the whole time-out: a large file on a slow line
  // takes longer than one time-out, and the progress shows and a cancel is
  // heard between slices.
  while (buffer->size() < wanted) {
    QByteArray part;
    status = v.viRead(vi, &part,
                      static_cast<ViUInt32>(std::min<qint64>(slice, wanted - buffer->size())));
    buffer->append(part);
    scope.advance(std::min<qint64>(buffer->size(), length), length);
    if (status == VI_ERROR_ABORT) return cancel(wanted - buffer->size());
    if (status < VI_SUCCESS) break;
    if (part.isEmpty()) {
      status = VI_ERROR_TMO;
      break;
    }
    if (buffer->size() < wanted && scope.cancelled()) return cancel(wanted - buffer->size());
  }
  *count = static_cast<ViUInt32>(buffer->size());
  return finish(status);
}

}  // namespace

ViStatus Tarvik_Read_Binary_Data(AppState& state, ViSession vi, QByteArray* buffer, ViUInt32* count,
                                 TransferProgress* progress, QString* malformed) {
  TransferScope scope(state, progress);
  return readBlock(state, vi, buffer, count, scope, malformed);
}

int downloadFile(AppState& state, ViSession vi, const QString& name, ViUInt16 storage, ViInt16 kind,
                 const QString& target, TransferProgress* progress, QString* reason) {
  if (!state.visa || target.isEmpty()) return -1;
  if (kind != kKindBus && kind != kKindResult) return -1;
  // Refused before anything is sent: the session stays in step.
  if (const QString refusal = fetchNameRefusal(name, state.language); !refusal.isEmpty()) {
    if (reason) *reason = refusal;
    return kDownloadNameRefused;
  }
  Visa& v = *state.visa;
  const int model = state.instrumentModel;
  const QByteArray wireName = toInstrument(name);
  if (model != kModelRQ4102 && storage > 1) return -1;
  TransferScope scope(state, progress);
  scope.begin(name, 0, TransferProgress::Direction::FromInstrument);

  QByteArray query = scpi::kCatalogue;
  if (model == kModelRQ4102) {
    v.viWrite(vi, command(scpi::kSelectStorage, {""}));
    if (storage == 1) query = scpi::kSecondStoreCatalogue;
  } else {
    v.viWrite(vi, command(scpi::kChangeFolder, {kRoots[storage], kFolders[kind]}));
  }
  v.viWrite(vi, query);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kCatalogueTimeoutMs);
  QByteArray catalogue;
  readCatalogueReply(v, vi, &catalogue);
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kNormalTimeoutMs);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_FALSE);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_FALSE);
  if (scope.cancelled()) return kTransferCancelled;  // nothing asked for yet
  if (!containsNoCase(catalogue, wireName)) return -1;

  const ViInt16 running = runState(v, vi);
  if (running != 0) {
    v.viWrite(vi, QByteArray(scpi::kStopRun));
    scope.wait(kTransferWaitMs);
  }

  int result = -1;
  if (scope.cancelled()) {
    result = kTransferCancelled;  // before anything was asked for
  } else {
    const bool secondStore = model == kModelRQ4102 && storage == 1;
    v.viWrite(vi, command(secondStore ? scpi::kSecondStoreData : scpi::kData, {wireName}));
    QByteArray block;
    ViUInt32 count = 0;
    QString malformed;
    const ViStatus status = readBlock(state, vi, &block, &count, scope, &malformed);
    if (status == kTransferCancelled) {
      result = kTransferCancelled;
    } else if (status != VI_SUCCESS && status != VI_SUCCESS_MAX_CNT) {
      drainInput(v, vi);
      // Drained, the link is in step again: the reply was wrong, not the link.
      if (!malformed.isEmpty()) {
        result = kDownloadBadReply;
        if (reason) *reason = malformed;
      }
    } else if (count >= 2) {
      // The block came whole: the link is fine whatever happens to the file.
      QString why;
      if (writeWhole(target, block, static_cast<qsizetype>(count) - 2, &why, state.language)) {
        result = status;
      } else {
        result = kDownloadCannotWrite;
        if (reason) *reason = why;
      }
    }
  }

  if (running != 0) v.viWrite(vi, QByteArray(scpi::kStartRun));
  return result;
}

SendOutcome sendFile(AppState& state, ViSession session, const QString& path,
                     TransferProgress* progress) {
  if (!state.visa) return SendOutcome::Refused;
  TransferScope scope(state, progress);
  return upload(state, session, path, scope);
}

int Tarvik_fileTransfer(AppState& state, ViSession session, const QString& file, ViInt16 direction,
                        ViUInt16 storage, ViInt16 kind, int, TransferProgress* progress) {
  if (!state.visa) return -1;
  if (direction != 0) {
    switch (sendFile(state, session, file, progress)) {
      case SendOutcome::Sent:
      case SendOutcome::Declined:
      case SendOutcome::NotConfirmed:
        return 0;
      case SendOutcome::Refused:
        return -1;
      case SendOutcome::NotEncodable:
        return kUploadNameNotEncodable;
      case SendOutcome::Cancelled:
        return kTransferCancelled;
    }
  }
  const int fetched = downloadFile(state, session, file, storage, kind,
                                   temporaryPath(temporaryFolder(state), file, kind), progress);
  // Its callers know a failed fetch by -1 only.
  return fetched == kDownloadNameRefused || fetched == kDownloadBadReply ? -1 : fetched;
}

}  // namespace karvel
