// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/results/ResultCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <climits>

#include "core/frame/BoundedRead.h"
#include "core/frame/HelpDocument.h"
#include "core/frame/Interaction.h"
#include "core/frame/SafeWrite.h"
#include "core/frame/Texts.h"
#include "core/frame/WindowPlacement.h"
#include "core/results/ResultReader.h"
#include "core/results/ResultTexts.h"

namespace karvel {

namespace {

// The chosen path with its file name in lower case. Only the name: on a
// case-sensitive file system a lower-cased folder may not exist.
QString withLowerCaseName(const QString& path) {
  const qsizetype slash = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return path.left(slash + 1) + path.mid(slash + 1).toLower();
}

}  // namespace

QPoint resultWindowPosition(int n) {
  if (n < 0) n = 0;
  return QPoint(80 + 20 * (n % 40), 80 + 20 * (n % 20));
}

namespace {

constexpr int kCascadeStart = 80;
constexpr int kCascadeStep = 20;

// One axis of the cascade: the offset of window n among `cycle` places that
// start at `start`, keeping [position, position + extent) inside [low, high).
int cascadeAxis(int n, int cycle, int extent, int low, int high) {
  const int start = std::max(kCascadeStart, low);
  const int room = high - start - extent;  // free pixels after the first place
  const int places = room < 0 ? 1 : std::min(cycle, room / kCascadeStep + 1);
  return start + kCascadeStep * (n % places);
}

void countWindow(AppState& state) {
  // The counter only grows; wrapping at the top keeps it non-negative.
  state.resultWindowCount = state.resultWindowCount == INT_MAX ? 0 : state.resultWindowCount + 1;
}

}  // namespace

QPoint resultWindowPosition(int n, const QSize& frame, const QRect& available) {
  if (available.isEmpty()) return resultWindowPosition(n);
  if (n < 0) n = 0;
  const QPoint at(cascadeAxis(n, 40, frame.width(), available.left(), available.right() + 1),
                  cascadeAxis(n, 20, frame.height(), available.top(), available.bottom() + 1));
  // A window larger than the room from the first place on goes where it fits.
  return keepInside(QRect(at, frame), available).topLeft();
}

QSize resultWindowFrameSize(const QSize& wanted, const QSize& minimum, const QRect& available) {
  if (available.isEmpty()) return wanted;
  constexpr int kFewSteps = 4 * kCascadeStep;
  const QSize most(available.right() + 1 - std::max(kCascadeStart, available.left()) - kFewSteps,
                   available.bottom() + 1 - std::max(kCascadeStart, available.top()) - kFewSteps);
  return wanted.boundedTo(most).expandedTo(minimum).boundedTo(available.size());
}

QPoint takeResultWindowPosition(AppState& state) {
  const QPoint at = resultWindowPosition(state.resultWindowCount);
  countWindow(state);
  return at;
}

QPoint takeResultWindowPosition(AppState& state, const QSize& frame, const QRect& available) {
  const QPoint at = resultWindowPosition(state.resultWindowCount, frame, available);
  countWindow(state);
  return at;
}

namespace {

// A file name up to its first dot, leading dots dropped ("RES01.HTM" gives
// RES01, ".x.htm" gives x); empty when nothing is left.
QString visibleStem(const QString& name) {
  qsizetype start = 0;
  while (start < name.size() && name[start] == u'.') ++start;
  return name.mid(start).section(u'.', 0, 0).trimmed();
}

}  // namespace

QString proposedSaveName(const QString& sourcePath, const QString& instrumentName,
                         const QString& lastSaveFolder, const QString& workingDir) {
  const QString fallback = QStringLiteral("RESULT");
  if (!instrumentName.trimmed().isEmpty()) {
    QString stem = visibleStem(pathFileName(instrumentName.trimmed()));
    if (stem.isEmpty()) stem = fallback;
    QString folder = QDir::homePath();
    if (!lastSaveFolder.isEmpty() && QFileInfo(lastSaveFolder).isDir())
      folder = lastSaveFolder;
    else if (!workingDir.isEmpty() && QFileInfo(workingDir).isDir())
      folder = workingDir;
    return QDir::toNativeSeparators(
        QDir(QDir::fromNativeSeparators(folder)).filePath(stem + QStringLiteral(".HTM")));
  }
  const qsizetype slash = std::max(sourcePath.lastIndexOf(u'\\'), sourcePath.lastIndexOf(u'/'));
  QString stem = visibleStem(sourcePath.mid(slash + 1));
  if (stem.isEmpty()) stem = fallback;
  return sourcePath.left(slash + 1) + stem + QStringLiteral(".HTM");
}

bool copyResultFile(const QString& from, const QString& to, QString* error, bool* sourceFailed,
                    int language) {
  if (sourceFailed) *sourceFailed = false;
  QFile source(from);
  auto readFailed = [&] {
    if (error) *error = source.errorString();
    if (sourceFailed) *sourceFailed = true;
    return false;
  };
  if (!source.open(QIODevice::ReadOnly)) return readFailed();
  // readAll() would take a read error half-way for the end of the file.
  QByteArray bytes;
  const BoundedRead read = readBounded(source, kResultFileMax, &bytes);
  if (read == BoundedRead::TooLarge) {
    if (error) *error = pick(resulttext::kTooLarge, language);
    if (sourceFailed) *sourceFailed = true;
    return false;
  }
  if (read == BoundedRead::Failed) return readFailed();
  source.close();
  return writeFileWhole(to, bytes, error, language);
}

std::optional<QString> saveResultAs(AppState& state, const QString& sourcePath,
                                    const QString& instrumentName) {
  using namespace resulttext;
  const int language = state.language;
  FileRequest request;
  request.pattern = QStringLiteral("*.HTM");
  request.types = {QStringLiteral("HTM files (*.HTM)")};
  request.defaultFile =
      proposedSaveName(sourcePath, instrumentName, state.resultSaveFolder, state.workingDir);
  request.title = pick(kSaveDialogTitle, language);
  // A dialog that accepts new names; the overwrite question is asked here.
  request.confirm = FileRequest::Confirm::Save;
  request.forceExtension = true;

  QString target;
  for (;;) {
    const FileChoice choice = state.ui->chooseFile(request);
    if (choice.kind == FileChoice::Kind::None || choice.path.isEmpty()) return std::nullopt;
    target = withLowerCaseName(choice.path);
    // The lower-cased name may be another, existing file: ask for it too.
    const bool exists = choice.kind == FileChoice::Kind::Existing ||
                        QFileInfo::exists(choice.path) || QFileInfo::exists(target);
    if (!exists) break;
    const int answer =
        state.ui->ask(pick(kSaveQuestionTitle, language), pick(kSaveQuestion, language),
                      {pick(kYes, language), pick(kNo, language)}, 1, 1);
    if (answer == 0) break;
  }

  QString reason;
  bool sourceFailed = false;
  if (!copyResultFile(sourcePath, target, &reason, &sourceFailed, language)) {
    // Name the file that failed: a result whose file has gone is not a
    // problem of the folder chosen.
    state.ui->message(
        pick(kErrorWord, language),
        sourceFailed ? pick(kCannotRead, language).arg(QDir::toNativeSeparators(sourcePath), reason)
                     : pick(kCannotSave, language).arg(QDir::toNativeSeparators(target), reason));
    return std::nullopt;
  }
  state.resultSaveFolder = QFileInfo(QDir::fromNativeSeparators(target)).absolutePath();
  return pick(kFileWord, language) + QStringLiteral(" : ") + QDir::toNativeSeparators(target);
}

int helpBusIndex(const QString& busHeading) {
  for (std::size_t i = 0; i < kHelpBusNames.size(); ++i) {
    if (busHeading.contains(QLatin1String(kHelpBusNames[i]), Qt::CaseInsensitive)) return int(i);
  }
  return -1;
}

QString helpDocumentPath(const QString& programDir, int busIndex, int language) {
  if (busIndex < 0 || busIndex >= int(kHelpBusNames.size())) return {};
  const QString name =
      QStringLiteral("help/%1_BUS_%2.pdf")
          .arg(QLatin1String(kHelpBusNames[std::size_t(busIndex)]),
               QLatin1String(kLanguageCodes[std::size_t(clampLanguage(language))]));
  return QDir::toNativeSeparators(QDir(programDir).filePath(name));
}

int HelpDiag(AppState& state, const QString& busHeading) {
  const int bus = helpBusIndex(busHeading);
  if (bus < 0) return 0;
  openHelpDocument(state, helpDocumentPath(state.programDir, bus, state.language));
  return 0;
}

}  // namespace karvel
