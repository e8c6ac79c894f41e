#include "core/frame/Settings.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

#include "core/frame/Interaction.h"
#include "core/frame/Messages.h"

namespace karvel {

namespace {

constexpr int kLanguageItemBase = 17;

// Splits text at blanks, tabs and line ends, as a formatted read of words and
// numbers does.
QStringList words(const QString& text) {
  return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

bool readInt(const QStringList& tokens, qsizetype& at, int& value) {
  if (at >= tokens.size()) return false;
  bool ok = false;
  const int v = tokens[at].toInt(&ok);
  if (!ok) return false;
  value = v;
  ++at;
  return true;
}

bool readWord(const QStringList& tokens, qsizetype& at, QString& value) {
  if (at >= tokens.size()) return false;
  value = tokens[at].left(kTextMax);
  ++at;
  return true;
}

QString withoutLineEnd(QString line) {
  while (line.endsWith(u'\r') || line.endsWith(u'\n')) line.chop(1);
  return line;
}

}  // namespace

void ValeurParDefaut(AppState& state) {
  state.languageChosen = 0;
  state.workingDir = defaultWorkingDir();
  state.language = English;
  state.connectionType = USB;
  state.serialAddress = QStringLiteral("ASRL1");
  state.usbAddress = QStringLiteral("USB");
  state.ethernetAddress = QStringLiteral("TCPIP0::255.255.255.255::23::SOCKET");
}

bool readSettingsFile(const QString& path, AppState& state, WindowGeometry& geometry) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  // The file is a dozen short lines; anything much larger is not ours.
  const QByteArray bytes = file.read(64 * 1024);
  const QString content = QString::fromUtf8(bytes);

  // Line 1: the language-chosen flag, then a number that is read and ignored.
  const qsizetype end1 = content.indexOf(u'\n');
  const QString line1 = end1 < 0 ? content : content.left(end1);
  const QStringList first = words(line1);
  if (!first.isEmpty()) {
    bool ok = false;
    const int chosen = first[0].toInt(&ok);
    if (ok) state.languageChosen = chosen;
  }
  if (end1 < 0) return false;

  // Line 2: the working folder, blanks and all.
  const qsizetype end2 = content.indexOf(u'\n', end1 + 1);
  const QString line2 = end2 < 0 ? content.mid(end1 + 1) : content.mid(end1 + 1, end2 - end1 - 1);
  state.workingDir = withoutLineEnd(line2).left(kTextMax);
  if (end2 < 0) return false;

  // Lines 3 to 12: numbers and single words; valid only when all ten are there.
  const QStringList tokens = words(content.mid(end2 + 1));
  qsizetype at = 0;
  int language = 0;
  int connection = 0;
  if (!readInt(tokens, at, language)) return false;
  // Every text table and the language menu are indexed by these two values:
  // a value that names no entry makes the file unreadable.
  if (language < 0 || language >= kLanguageCount) return false;
  state.language = language;
  if (!readInt(tokens, at, connection)) return false;
  if (connection < RS232 || connection > Ethernet) return false;
  state.connectionType = connection;
  if (!readWord(tokens, at, state.serialAddress)) return false;
  if (!readWord(tokens, at, state.usbAddress)) return false;
  if (!readWord(tokens, at, state.ethernetAddress)) return false;
  WindowGeometry g;
  if (!readInt(tokens, at, g.top) || !readInt(tokens, at, g.left) ||
      !readInt(tokens, at, g.height) || !readInt(tokens, at, g.width) ||
      !readInt(tokens, at, g.zoom)) {
    return false;
  }
  geometry = g;
  return true;
}

bool SauvegardeIni(const QString& path, const AppState& state, const WindowGeometry& window) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
  WindowGeometry g = window;
  if (window.zoom != kZoomNormal) {
    g = kZoomedGeometry;
    g.zoom = window.zoom;
  }
  QTextStream out(&file);
  out.setEncoding(QStringConverter::Utf8);
  out << state.languageChosen << " 1\n";
  out << state.workingDir << '\n';
  out << state.language << '\n'
      << state.connectionType << '\n'
      << state.serialAddress << '\n'
      << state.usbAddress << '\n'
      << state.ethernetAddress << '\n'
      << g.top << '\n'
      << g.left << '\n'
      << g.height << '\n'
      << g.width << '\n'
      << g.zoom << '\n';
  out.flush();
  return out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
}

void ChargeConfig(AppState& state, SettingsWindow& window) {
  WindowGeometry geometry;  // all zero until the file says otherwise

  // Message 0 speaks the language the record holds at this point: French at
  // the very first start, since the record starts zeroed.
  state.language = French;
  if (!readSettingsFile(state.settingsPath, state, geometry)) {
    if (!(state.language >= 0 && state.language < kLanguageCount)) state.language = French;
    PopupErreur(state, 0);
    QFile::remove(state.settingsPath);
    ValeurParDefaut(state);
    // The rebuilt file holds the window as it was loaded.
    SauvegardeIni(state.settingsPath, state, window.windowGeometry());
  }

  window.placeWindow(geometry);
  window.runMenuItem(kLanguageItemBase + state.language);

  state.commPanel = nullptr;
  state.printOption1 = 2;
  state.printOption2 = 0;
  state.exportPanel = nullptr;

  if (state.languageChosen == 0 && state.ui) {
    const int chosen = state.ui->chooseLanguage();
    // A chooser closed without a choice asks again at the next start.
    if (chosen >= 0 && chosen < kLanguageCount) {
      window.runMenuItem(kLanguageItemBase + chosen);
      state.languageChosen = 1;
      SauvegardeIni(state.settingsPath, state, window.windowGeometry());
    }
  }
}

}  // namespace karvel
