// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <optional>

#include "core/frame/BoundedRead.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/Messages.h"
#include "core/frame/SafeWrite.h"

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

// At most kTextMax characters, never half of a character that takes two
// UTF-16 units: a lone half would be written as a replacement character.
QString clipped(const QString& text) {
  if (text.size() <= kTextMax) return text;
  qsizetype n = kTextMax;
  if (text[n - 1].isHighSurrogate()) --n;
  return text.left(n);
}

bool readWord(const QStringList& tokens, qsizetype& at, QString& value) {
  if (at >= tokens.size()) return false;
  value = clipped(tokens[at]);
  ++at;
  return true;
}

// The forms of the three addresses, by which a value is known to be in its
// own place: a serial port "ASRL...", the USB port "USB..." or the serial
// port it was found as, a socket "TCPIP...".
bool isSerialAddress(const QString& word) {
  return word.size() > 4 && word.startsWith(QLatin1String("ASRL"), Qt::CaseInsensitive);
}
bool isUsbAddress(const QString& word) {
  return word.startsWith(QLatin1String("USB"), Qt::CaseInsensitive) || isSerialAddress(word);
}
bool isEthernetAddress(const QString& word) {
  return word.size() > 5 && word.startsWith(QLatin1String("TCPIP"), Qt::CaseInsensitive);
}

const QString kTechnicianKey = QStringLiteral("technician=");
const QString kRegisterKey = QStringLiteral("register=");
const QString kCompanyKey = QStringLiteral("company=");
const QString kLogoKey = QStringLiteral("logo=");

QString withoutLineEnd(QString line) {
  while (line.endsWith(u'\r') || line.endsWith(u'\n')) line.chop(1);
  return line;
}

// The working folder as line 2 holds it. Clipped before its line end goes,
// so that it never ends with a carriage return that the next read would take
// for part of the line end.
QString workingFolderOf(const QString& line) {
  return withoutLineEnd(clipped(withoutLineEnd(line)));
}

// A named line's value, clipped where it says so; no blank at either end,
// which the next read would drop.
QString namedValue(const QString& line, const QString& key, bool clip) {
  const QString value = line.mid(key.size()).trimmed();
  return clip ? clipped(value).trimmed() : value;
}

// What the file would hold from `state` alone.
SettingsValues valuesOf(const QString& path, const AppState& state, const WindowGeometry& window) {
  SettingsValues v;
  v.path = path;
  v.languageChosen = state.languageChosen;
  v.workingDir = state.workingDir;
  v.language = state.language;
  v.connectionType = state.connectionType;
  v.serialAddress = state.serialAddress;
  v.usbAddress = state.usbAddress;
  v.ethernetAddress = state.ethernetAddress;
  v.window = window;
  v.technician = state.technician;
  v.registerPath = state.registerPath;
  v.companyName = state.companyName;
  v.companyLogo = state.companyLogo;
  return v;
}

// `now` (the file on disk) with every value that `mine` changed since `base`.
SettingsValues mergedOver(const SettingsValues& now, const SettingsValues& base,
                          const SettingsValues& mine) {
  SettingsValues out = now;
  auto take = [](auto& into, const auto& before, const auto& after) {
    if (!(after == before)) into = after;
  };
  take(out.languageChosen, base.languageChosen, mine.languageChosen);
  take(out.workingDir, base.workingDir, mine.workingDir);
  take(out.language, base.language, mine.language);
  take(out.connectionType, base.connectionType, mine.connectionType);
  take(out.serialAddress, base.serialAddress, mine.serialAddress);
  take(out.usbAddress, base.usbAddress, mine.usbAddress);
  take(out.ethernetAddress, base.ethernetAddress, mine.ethernetAddress);
  take(out.window, base.window, mine.window);
  take(out.technician, base.technician, mine.technician);
  take(out.registerPath, base.registerPath, mine.registerPath);
  take(out.companyName, base.companyName, mine.companyName);
  take(out.companyLogo, base.companyLogo, mine.companyLogo);
  return out;
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

namespace {

// The file is a dozen short lines; anything much larger is not ours.
constexpr qint64 kSettingsFileMax = 64 * 1024;

enum class FileRead { Done, Missing, Failed, TooLarge };

// The file's bytes; a read error half-way is a failure, never a shorter file.
FileRead readSettingsBytes(const QString& path, QByteArray* bytes, QString* reason) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *reason = file.errorString();
    return QFileInfo::exists(path) ? FileRead::Failed : FileRead::Missing;
  }
  switch (readBounded(file, kSettingsFileMax, bytes)) {
    case BoundedRead::Done:
      return FileRead::Done;
    case BoundedRead::TooLarge:
      return FileRead::TooLarge;
    case BoundedRead::Failed:
      break;
  }
  *reason = file.errorString();
  return FileRead::Failed;
}

// Files written by older versions of the program are Windows-1252 text
// with CR LF line ends: read them as such and write them back the same way.
QString decodeSettings(const QByteArray& bytes, AppState& state) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString content = utf8.decode(bytes);
  state.settingsWindows1252 = utf8.hasError();
  if (state.settingsWindows1252) {
    QStringDecoder cp1252("windows-1252");
    content = cp1252.isValid() ? cp1252.decode(bytes) : QString::fromLatin1(bytes);
  }
  state.settingsCrLf = bytes.contains("\r\n");
  return content;
}

bool parseSettings(const QByteArray& bytes, const QString& path, AppState& state,
                   WindowGeometry& geometry) {
  const QString content = decodeSettings(bytes, state);

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
  state.workingDir = workingFolderOf(line2);
  if (end2 < 0) return false;

  // The named lines come out first (their values may hold blanks); a file
  // without them names no technician and the default register.
  QStringList unnamed;
  state.technician.clear();
  state.registerPath.clear();
  state.companyName.clear();
  state.companyLogo.clear();
  for (const QString& raw : content.mid(end2 + 1).split(u'\n')) {
    const QString line = withoutLineEnd(raw);
    if (line.startsWith(kTechnicianKey))
      state.technician = namedValue(line, kTechnicianKey, true);
    else if (line.startsWith(kRegisterKey))
      state.registerPath = namedValue(line, kRegisterKey, false);
    else if (line.startsWith(kCompanyKey))
      state.companyName = namedValue(line, kCompanyKey, true);
    else if (line.startsWith(kLogoKey))
      state.companyLogo = namedValue(line, kLogoKey, false);
    else
      unnamed << line;
  }
  // Lines 3 to 12: numbers and single words; valid only when all ten are there.
  const QStringList tokens = words(unnamed.join(u'\n'));
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
  // An address without its form is another value moved into its place (a
  // line missing above it, or a blank inside an address): not whole.
  if (!readWord(tokens, at, state.serialAddress) || !isSerialAddress(state.serialAddress))
    return false;
  if (!readWord(tokens, at, state.usbAddress) || !isUsbAddress(state.usbAddress)) return false;
  if (!readWord(tokens, at, state.ethernetAddress) || !isEthernetAddress(state.ethernetAddress))
    return false;
  WindowGeometry g;
  if (!readInt(tokens, at, g.top) || !readInt(tokens, at, g.left) ||
      !readInt(tokens, at, g.height) || !readInt(tokens, at, g.width) ||
      !readInt(tokens, at, g.zoom)) {
    return false;
  }
  geometry = g;
  state.settingsOnDisk = std::make_shared<const SettingsValues>(valuesOf(path, state, g));
  return true;
}

bool isNumber(const QString& word, int* value) {
  bool ok = false;
  *value = word.toInt(&ok);
  return ok;
}

// A value of a damaged file is believed only when its own line holds it
// alone, in the form of its field: a missing line moves every later value up
// into the field before its own, a blank in an address splits it. The two
// numbers of lines 3 and 4 look like any other number, so they are believed
// only while the lines around them show nothing moved.
void salvageSettings(const QString& content, AppState& state, WindowGeometry& geometry,
                     SettingsLoad& load) {
  QStringList lines = content.split(u'\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();  // the last line end
  auto line = [&](int n) -> std::optional<QString> {
    if (n > lines.size()) return std::nullopt;
    return withoutLineEnd(lines[n - 1]);
  };
  auto readable = [](const QString& text) {
    for (QChar c : text)
      if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter) return false;
    return true;
  };
  auto single = [&](int n) -> std::optional<QString> {
    const std::optional<QString> l = line(n);
    if (!l) return std::nullopt;
    const QStringList w = words(*l);
    if (w.size() != 1 || !readable(w[0])) return std::nullopt;
    return w[0];
  };
  auto keep = [&](bool ok, int lineNumber, const Text5& name) {
    if (ok) {
      load.kept.append(&name);
    } else {
      load.badLines.append(lineNumber);
      load.defaulted.append(&name);
    }
  };
  auto numberOn = [&](int n) {
    int unused = 0;
    const auto w = single(n);
    return w && isNumber(*w, &unused);
  };
  auto addressOn = [&](int n) {
    const auto w = single(n);
    return w && (isUsbAddress(*w) || isEthernetAddress(*w));
  };

  int number = 0;
  if (const auto l = line(1); l && !words(*l).isEmpty() && isNumber(words(*l)[0], &number)) {
    state.languageChosen = number;
    keep(true, 1, text::kSettingLanguageChosen);
  } else {
    keep(false, 1, text::kSettingLanguageChosen);
  }
  // A folder names at least one separator; a bare number there is line 3
  // moved up.
  const auto l2 = line(2);
  const QString folder = l2 ? workingFolderOf(*l2) : QString();
  const bool folderKept =
      l2 && readable(folder) && (folder.contains(u'/') || folder.contains(u'\\'));
  if (folderKept) state.workingDir = folder;
  keep(folderKept, 2, text::kSettingWorkingDir);

  // Line 1 or 2 missing brings a number onto line 2; line 3 or 4 missing
  // brings the RS232 address onto line 4.
  const bool numbersInPlace = !numberOn(2) && !addressOn(4);
  const auto w3 = single(3);
  const bool language =
      numbersInPlace && w3 && isNumber(*w3, &number) && number >= 0 && number < kLanguageCount;
  if (language) state.language = number;
  keep(language, 3, text::kSettingLanguage);
  const auto w4 = single(4);
  const bool connection =
      numbersInPlace && w4 && isNumber(*w4, &number) && number >= RS232 && number <= Ethernet;
  if (connection) state.connectionType = number;
  keep(connection, 4, text::kSettingConnection);

  // The RS232 address and a USB address found as a serial port look alike:
  // the Ethernet address on line 6 says that line 5 holds the USB one.
  const auto w5 = single(5);
  const auto w6 = single(6);
  const bool serial = w5 && isSerialAddress(*w5) && !(w6 && isEthernetAddress(*w6));
  if (serial) state.serialAddress = clipped(*w5);
  keep(serial, 5, text::kSettingSerialAddress);
  const bool usb = w6 && isUsbAddress(*w6);
  if (usb) state.usbAddress = clipped(*w6);
  keep(usb, 6, text::kSettingUsbAddress);
  const auto w7 = single(7);
  const bool ethernet = w7 && isEthernetAddress(*w7);
  if (ethernet) state.ethernetAddress = clipped(*w7);
  keep(ethernet, 7, text::kSettingEthernetAddress);

  // The window's place only whole: one number of another window would put
  // it anywhere.
  std::array<int, 5> place{};
  bool whole = true;
  for (int i = 0; i < 5; ++i) {
    const auto w = single(8 + i);
    if (!w || !isNumber(*w, &place[i])) {
      whole = false;
      load.badLines.append(8 + i);
    }
  }
  if (whole) {
    geometry = WindowGeometry{place[0], place[1], place[2], place[3], place[4]};
    load.geometryKept = true;
    load.kept.append(&text::kSettingWindow);
  } else {
    load.defaulted.append(&text::kSettingWindow);
  }
}

// "3, 5, 8-12"
QString lineRanges(QList<int> lines) {
  std::sort(lines.begin(), lines.end());
  QStringList parts;
  for (qsizetype i = 0; i < lines.size();) {
    qsizetype j = i;
    while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1) ++j;
    parts.append(j > i ? QStringLiteral("%1-%2").arg(lines[i]).arg(lines[j])
                       : QString::number(lines[i]));
    i = j + 1;
  }
  return parts.join(QStringLiteral(", "));
}

}  // namespace

bool readSettingsFile(const QString& path, AppState& state, WindowGeometry& geometry) {
  QByteArray bytes;
  QString reason;
  if (readSettingsBytes(path, &bytes, &reason) != FileRead::Done) return false;
  return parseSettings(bytes, path, state, geometry);
}

SettingsLoad loadSettings(const QString& path, AppState& state, WindowGeometry& geometry) {
  SettingsLoad load;
  QByteArray bytes;
  switch (readSettingsBytes(path, &bytes, &load.reason)) {
    case FileRead::Missing:
      load.outcome = SettingsLoad::Outcome::Missing;
      return load;
    case FileRead::TooLarge:
      load.tooLarge = true;
      [[fallthrough]];
    case FileRead::Failed:
      load.outcome = SettingsLoad::Outcome::Unreadable;
      return load;
    case FileRead::Done:
      break;
  }
  if (parseSettings(bytes, path, state, geometry)) {
    load.outcome = SettingsLoad::Outcome::Whole;
    return load;
  }
  load.outcome = SettingsLoad::Outcome::Damaged;
  ValeurParDefaut(state);
  geometry = WindowGeometry{};
  salvageSettings(decodeSettings(bytes, state), state, geometry, load);
  return load;
}

QString settingsLoadMessage(const SettingsLoad& load, const QString& path, int language) {
  const QString file = QDir::toNativeSeparators(path);
  if (load.outcome == SettingsLoad::Outcome::Unreadable)
    return pick(text::kSettingsUnreadable, language)
        .arg(file, load.tooLarge ? pick(text::kSettingsTooLarge, language) : load.reason);
  if (load.outcome != SettingsLoad::Outcome::Damaged) return {};
  auto named = [&](const QList<const Text5*>& settings) {
    QStringList names;
    for (const Text5* name : settings) names.append(pick(*name, language));
    return names.isEmpty() ? pick(text::kSettingsKeptNothing, language)
                           : names.join(QStringLiteral(", "));
  };
  return pick(text::kSettingsDamaged, language)
             .arg(file, lineRanges(load.badLines), named(load.kept)) +
         u'\n' + pick(text::kSettingsDefaulted, language).arg(named(load.defaulted));
}

bool SauvegardeIni(const QString& path, AppState& state, const WindowGeometry& window,
                   QString* error) {
  WindowGeometry g = window;
  if (window.zoom != kZoomNormal) {
    g = kZoomedGeometry;
    g.zoom = window.zoom;
  }
  const SettingsValues mine = valuesOf(path, state, g);
  SettingsValues v = mine;
  bool crLf = state.settingsCrLf;
  bool windows1252 = state.settingsWindows1252;
  // Another copy of the program (a second window, a file opened from the
  // file manager) may have saved since: keep its values, change only ours.
  if (state.settingsOnDisk && state.settingsOnDisk->path == path) {
    AppState disk;
    WindowGeometry unused;
    if (readSettingsFile(path, disk, unused)) {
      v = mergedOver(*disk.settingsOnDisk, *state.settingsOnDisk, mine);
      crLf = disk.settingsCrLf;
      windows1252 = disk.settingsWindows1252;
    }
  }

  QString text;
  QTextStream out(&text);
  out << v.languageChosen << " 1\n";
  out << v.workingDir << '\n';
  out << v.language << '\n'
      << v.connectionType << '\n'
      << v.serialAddress << '\n'
      << v.usbAddress << '\n'
      << v.ethernetAddress << '\n'
      << v.window.top << '\n'
      << v.window.left << '\n'
      << v.window.height << '\n'
      << v.window.width << '\n'
      << v.window.zoom << '\n';
  // A line break inside a value would end it early: it becomes a blank.
  auto oneLine = [](QString value) { return value.replace(u'\r', u' ').replace(u'\n', u' '); };
  if (!v.technician.isEmpty()) out << kTechnicianKey << oneLine(v.technician) << '\n';
  if (!v.registerPath.isEmpty()) out << kRegisterKey << oneLine(v.registerPath) << '\n';
  if (!v.companyName.isEmpty()) out << kCompanyKey << oneLine(v.companyName) << '\n';
  if (!v.companyLogo.isEmpty()) out << kLogoKey << oneLine(v.companyLogo) << '\n';
  out.flush();
  if (crLf) text.replace(u'\n', QStringLiteral("\r\n"));

  QByteArray bytes;
  if (windows1252) {
    QStringEncoder cp1252("windows-1252");
    bytes = cp1252.isValid() ? QByteArray(cp1252.encode(text)) : text.toLatin1();
    // A folder name the code page cannot hold would come back changed; so
    // would one whose Windows-1252 bytes happen to be valid UTF-8 ("Ã©"),
    // since the next read takes valid UTF-8 as UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!cp1252.isValid() || cp1252.hasError() ||
        QStringDecoder("windows-1252").decode(bytes) != text ||
        (!utf8.hasError() && asUtf8 != text))
      bytes = text.toUtf8();
  } else {
    bytes = text.toUtf8();
  }

  // Written beside the old file and renamed over it: a failed write (a full
  // disk, a folder that cannot be written) keeps the settings there were.
  if (!writeFileWhole(path, bytes, error, state.language)) return false;
  // What this program holds now is on disk: the next write changes only
  // what differs from it (not from the merged file, or the next write would
  // take back the other program's values).
  state.settingsOnDisk = std::make_shared<const SettingsValues>(mine);
  state.settingsCrLf = crLf;
  state.settingsWindows1252 = windows1252;
  return true;
}

bool saveSettings(AppState& state, const WindowGeometry& window) {
  QString reason;
  if (SauvegardeIni(state.settingsPath, state, window, &reason)) return true;
  if (!state.settingsWriteReported && state.ui) {
    state.settingsWriteReported = true;
    state.ui->message(pick(text::kErrorWord, state.language),
                      pick(text::kSettingsNotSaved, state.language)
                          .arg(QDir::toNativeSeparators(state.settingsPath), reason));
  }
  return false;
}

void ChargeConfig(AppState& state, SettingsWindow& window) {
  WindowGeometry geometry;  // all zero until the file says otherwise

  // Message 0 speaks the language the record holds at this point: French at
  // the very first start, since the record starts zeroed.
  state.language = French;
  const SettingsLoad load = loadSettings(state.settingsPath, state, geometry);
  if (load.outcome != SettingsLoad::Outcome::Whole) {
    if (load.outcome == SettingsLoad::Outcome::Missing) {
      PopupErreur(state, 0);
      ValeurParDefaut(state);
    } else {
      // A file that is there but not usable whole is not "not found": say
      // why, and what of it was kept (the rest is defaulted).
      if (load.outcome == SettingsLoad::Outcome::Unreadable) ValeurParDefaut(state);
      if (state.ui)
        state.ui->message(pick(text::kErrorWord, state.language),
                          settingsLoadMessage(load, state.settingsPath, state.language) + u'\n' +
                              pick(text::kSettingsWrittenAnew, state.language));
    }
    // A rebuilt file is new: UTF-8 with the system's line ends, every line ours.
    state.settingsWindows1252 = false;
    state.settingsCrLf = false;
    state.settingsOnDisk.reset();
    // The rebuilt file holds the window as it was loaded, or as it was kept;
    // written over the old one, which stays should the write fail.
    saveSettings(state, load.geometryKept ? geometry : window.windowGeometry());
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
      saveSettings(state, window.windowGeometry());
    }
  }
}

}  // namespace karvel
