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
#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/frame/Messages.h"
#include "core/frame/SafeWrite.h"
#include "core/instrument/FileTransfer.h"
#include "core/instrument/ScpiCommands.h"
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

void wait(AppState& state, int ms) {
  if (state.clock) state.clock->wait(ms);
}

void setBusy(AppState& state, bool busy) {
  if (state.ui) state.ui->setBusy(busy);
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

// A reply read with `maxCount`; a reply longer than that, or one that came in
// pieces, is read on to its carriage return so that no part of it is left to
// be taken for the next reply.
ViStatus readReply(Visa& v, ViSession vi, QByteArray* out, ViUInt32 maxCount) {
  ViStatus status = v.viRead(vi, out, maxCount);
  while ((status == VI_SUCCESS_MAX_CNT || status == VI_SUCCESS) && !out->isEmpty() &&
         !out->endsWith('\r') && !out->endsWith('\n') && out->size() < kMaxBlockLength) {
    QByteArray more;
    const ViStatus next = v.viRead(vi, &more, maxCount);
    out->append(more);
    if (next < VI_SUCCESS) break;  // what came is all there is
    status = next;
  }
  return status;
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

// Sends the upload block. One write as the instrument has always received it
// when it is small; a large one goes in slices, each within the time-out, and
// the bytes on the line are the same.
void writeBlock(Visa& v, ViSession vi, const QByteArray& block, qint64 dataStart, qint64 dataSize,
                const TransferProgress& progress) {
  if (block.size() <= kTransferBufferSize) {
    v.viWrite(vi, block);
    if (progress) progress(dataSize, dataSize);
    return;
  }
  for (qint64 at = 0; at < block.size(); at += kTransferSlice) {
    const ViStatus status = v.viWrite(vi, block.mid(at, kTransferSlice));
    if (progress) {
      const qint64 sent = std::clamp<qint64>(at + kTransferSlice - dataStart, 0, dataSize);
      progress(sent, dataSize);
    }
    if (status < VI_SUCCESS) break;
  }
}

bool isUsableInstrumentName(const QString& name) {
  if (name.isEmpty()) return false;
  for (QChar c : name)
    if (c == u'"' || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
  return true;
}

int upload(AppState& state, ViSession vi, const QString& path, const TransferProgress& progress) {
  Visa& v = *state.visa;
  v.viWrite(vi, command(scpi::kSelectStorage, {"LOCAL"}));
  const int model = state.instrumentModel;
  const QString name = instrumentFileName(path, model);
  if (!charactersInstrumentCannotHold(name).isEmpty()) return kUploadNameNotEncodable;
  if (!isUsableInstrumentName(name) || uploadNameTooLong(name, model)) return -1;

  // The PC file is read before anything on the instrument is deleted or
  // stopped: a file that cannot be read leaves the instrument as it was.
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBlockLength) return -1;
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError) return -1;
  file.close();

  const QByteArray wireName = toInstrument(name);
  if (model == kModelRQ6102) v.viWrite(vi, QByteArray(scpi::kBusLimitsFolder));
  v.viWrite(vi, QByteArray(scpi::kCatalogue));
  wait(state, kTransferWaitMs);
  QByteArray catalogue;
  readReply(v, vi, &catalogue, kTransferBufferSize);
  if (catalogueHasName(catalogue, wireName)) {
    const int answer =
        state.ui
            ? state.ui->ask(pick(resulttext::kSaveQuestionTitle, state.language),
                            pick(resulttext::kSaveQuestion, state.language),
                            {pick(resulttext::kYes, state.language), pick(resulttext::kNo, state.language)}, 1, 1)
            : 1;
    if (answer != 0) return 0;
  }

  setBusy(state, true);
  v.viWrite(vi, command(scpi::kDeleteFile, {wireName}));
  QByteArray done;
  v.viRead(vi, &done, 10);

  const ViInt16 running = runState(v, vi);
  if (running != 0) {
    v.viWrite(vi, QByteArray(scpi::kStopRun));
    wait(state, kTransferWaitMs);
  }

  const QByteArray size = QByteArray::number(data.size());
  QByteArray block =
      command(scpi::kUploadHeader, {wireName, QByteArray::number(size.size()), size});
  const qint64 dataStart = block.size();
  block.reserve(block.size() + data.size() + 1);
  block += data;
  block += '\r';
  writeBlock(v, vi, block, dataStart, data.size(), progress);
  wait(state, kTransferWaitMs);

  v.viWrite(vi, QByteArray(scpi::kCatalogueAfterUpload));
  wait(state, kTransferWaitMs);
  QByteArray confirmation;
  readReply(v, vi, &confirmation, kTransferBufferSize);
  if (confirmation.isEmpty() || !catalogueHasName(confirmation, wireName))
    PopupErreur(state, kMessageMemoryFull);

  if (running != 0) v.viWrite(vi, QByteArray(scpi::kStartRun));
  setBusy(state, false);
  return 0;
}

// Writes the fetched bytes whole or not at all; the system's reason in
// `error` when it could not.
bool writeWhole(const QString& target, const QByteArray& bytes, qsizetype size, QString* error) {
  return writeFileWhole(target, QByteArrayView(bytes.constData(), size), error);
}

}  // namespace

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

ViStatus Tarvik_Read_Binary_Data(AppState& state, ViSession vi, QByteArray* buffer, ViUInt32* count,
                                 const TransferProgress& progress) {
  Visa& v = *state.visa;
  buffer->clear();
  *count = 0;
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kBlockTimeoutMs);
  const auto finish = [&](ViStatus status) {
    v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kNormalTimeoutMs);
    v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_FALSE);
    v.viSetAttribute(vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_TERMCHAR);
    return status;
  };

  QByteArray head;
  readExactly(v, vi, &head, 2);
  if (head.size() < 2 || head[0] != '#') return finish(-1);
  // Only the definite form: "#0" (indefinite) and anything not a digit is refused.
  const int digits = head[1] - '0';
  if (digits < 1 || digits > 9) return finish(-1);
  QByteArray lengthText;
  readExactly(v, vi, &lengthText, static_cast<ViUInt32>(digits));
  if (lengthText.size() != digits) return finish(-1);
  qint64 length = 0;
  for (char c : lengthText) {
    if (c < '0' || c > '9') return finish(-1);
    length = length * 10 + (c - '0');
  }
  // Refused before anything is allocated for it.
  if (length > kMaxBlockLength) return finish(-1);

  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_NONE);
  const qint64 wanted = length + 2;
  buffer->reserve(wanted);
  ViStatus status = VI_SUCCESS;
  // In slices, each with the whole time-out: a large file on a slow line
  // takes longer than one time-out, and the progress shows between slices.
  while (buffer->size() < wanted) {
    QByteArray part;
    const auto slice =
        static_cast<ViUInt32>(std::min<qint64>(kTransferSlice, wanted - buffer->size()));
    status = v.viRead(vi, &part, slice);
    buffer->append(part);
    if (progress) progress(std::min<qint64>(buffer->size(), length), length);
    if (status < VI_SUCCESS) break;
    if (part.isEmpty()) {
      status = VI_ERROR_TMO;
      break;
    }
  }
  *count = static_cast<ViUInt32>(buffer->size());
  return finish(status);
}

int downloadFile(AppState& state, ViSession vi, const QString& name, ViUInt16 storage, ViInt16 kind,
                 const QString& target, const TransferProgress& progress, QString* fileError) {
  if (!state.visa || target.isEmpty() || !isUsableInstrumentName(name)) return -1;
  if (kind != kKindBus && kind != kKindResult) return -1;
  Visa& v = *state.visa;
  const int model = state.instrumentModel;
  const QByteArray wireName = toInstrument(name);

  QByteArray query = scpi::kCatalogue;
  if (model == kModelRQ4102) {
    v.viWrite(vi, command(scpi::kSelectStorage, {""}));
    if (storage == 1) query = scpi::kSecondStoreCatalogue;
  } else {
    if (storage > 1) return -1;
    v.viWrite(vi, command(scpi::kChangeFolder, {kRoots[storage], kFolders[kind]}));
  }
  v.viWrite(vi, query);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kCatalogueTimeoutMs);
  QByteArray catalogue;
  readReply(v, vi, &catalogue, kTransferBufferSize);
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kNormalTimeoutMs);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_FALSE);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_FALSE);
  if (!containsNoCase(catalogue, wireName)) return -1;

  const ViInt16 running = runState(v, vi);
  if (running != 0) {
    v.viWrite(vi, QByteArray(scpi::kStopRun));
    wait(state, kTransferWaitMs);
  }

  const bool secondStore = model == kModelRQ4102 && storage == 1;
  v.viWrite(vi, command(secondStore ? scpi::kSecondStoreData : scpi::kData, {wireName}));
  QByteArray block;
  ViUInt32 count = 0;
  const ViStatus status = Tarvik_Read_Binary_Data(state, vi, &block, &count, progress);
  int result = -1;
  if (status != VI_SUCCESS && status != VI_SUCCESS_MAX_CNT) {
    drainInput(v, vi);
  } else if (count >= 2) {
    // The block came whole: the link is fine whatever happens to the file.
    QString reason;
    if (writeWhole(target, block, static_cast<qsizetype>(count) - 2, &reason)) {
      result = status;
    } else {
      result = kDownloadCannotWrite;
      if (fileError) *fileError = reason;
    }
  }

  if (running != 0) v.viWrite(vi, QByteArray(scpi::kStartRun));
  return result;
}

int Tarvik_fileTransfer(AppState& state, ViSession session, const QString& file, ViInt16 direction,
                        ViUInt16 storage, ViInt16 kind, int, const TransferProgress& progress) {
  if (!state.visa) return -1;
  if (direction != 0) return upload(state, session, file, progress);
  return downloadFile(state, session, file, storage, kind,
                      temporaryPath(temporaryFolder(state), file, kind), progress);
}

}  // namespace karvel
