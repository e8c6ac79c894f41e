// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bus/BusFile.h"

#include <functional>

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "core/bus/BusTexts.h"
#include "core/bus/XmlDocument.h"
#include "core/bus/XmlTexts.h"
#include "core/frame/Interaction.h"

namespace karvel {

namespace {

constexpr int kMaxDepth = 256;  // bus files nest a few levels; this guards the stack
constexpr int kMaxShownErrors = 10;
constexpr int kMaxUnitLength = 9;
const QChar kMicro(0x00B5);

bool isBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

// The end of the number that starts at `i` (after blanks), or -1.
qsizetype numberEnd(const QString& text, qsizetype i, bool allowFraction) {
  const qsizetype n = text.size();
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  qsizetype digits = 0;
  while (i < n && text[i] >= u'0' && text[i] <= u'9') ++i, ++digits;
  if (allowFraction && i < n && text[i] == u'.') {
    ++i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') ++i, ++digits;
  }
  if (digits == 0) return -1;
  if (allowFraction && i < n && (text[i] == u'e' || text[i] == u'E')) {
    qsizetype j = i + 1;
    if (j < n && (text[j] == u'+' || text[j] == u'-')) ++j;
    qsizetype expDigits = 0;
    while (j < n && text[j] >= u'0' && text[j] <= u'9') ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

QString fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

}  // namespace

std::optional<double> scanNumber(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  const qsizetype end = numberEnd(text, i, true);
  if (end < 0) return std::nullopt;
  bool ok = false;
  const double value = QLocale::c().toDouble(QStringView(text).mid(i, end - i), &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> scanInteger(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  const qsizetype end = numberEnd(text, i, false);
  if (end < 0) return std::nullopt;
  bool ok = false;
  const int value = QLocale::c().toInt(QStringView(text).mid(i, end - i), &ok);
  if (!ok) return std::nullopt;
  return value;
}

QString plainDecimal(double value) {
  if (value == 0 || !std::isfinite(value)) return QStringLiteral("0");
  // Twelve significant digits hide the noise of the unit scaling
  // (150 * 1e-6 is 0.00015, not 0.00014999999999999999).
  const double rounded = QString::number(value, 'g', 12).toDouble();
  return QString::number(rounded, 'f', QLocale::FloatingPointShortest);
}

QString MiseEnForme(const QString& text, const QString& unit) {
  const std::optional<double> number = scanNumber(text);
  if (!number) return QStringLiteral("---");
  const double v = *number;
  const QChar first = unit.isEmpty() ? QChar() : unit.front();
  const QString micro = QString(kMicro) + u's';
  if (first == u'%') return fixed(v, 1) + QStringLiteral(" %");
  if (first == u'V')
    return std::fabs(v) >= 10 ? fixed(v, 1) + QStringLiteral(" V")
                              : fixed(v, 2) + QStringLiteral(" V");
  if (first == u's') {
    if (v == 0) return fixed(v, 2) + QStringLiteral(" s");
    if (v < 1e-6) return fixed(v * 1e9, 0) + QStringLiteral(" ns");
    if (v < 1e-5) return fixed(v * 1e6, 2) + u' ' + micro;
    if (v < 1e-4) return fixed(v * 1e6, 1) + u' ' + micro;
    if (v < 1e-3) return fixed(v * 1e6, 0) + u' ' + micro;
    if (v < 0.01) return fixed(v * 1000, 2) + QStringLiteral(" ms");
    if (v < 0.1) return fixed(v * 1000, 1) + QStringLiteral(" ms");
    if (v < 1) return fixed(v * 1000, 0) + QStringLiteral(" ms");
    if (v < 10) return fixed(v, 2) + QStringLiteral(" s");
    if (v < 100) return fixed(v, 1) + QStringLiteral(" s");
    return fixed(v, 0) + QStringLiteral(" s");
  }
  if (first == u'H') {
    if (v == 0) return fixed(v, 2) + QStringLiteral(" Hz");
    if (v < 1) return fixed(v * 1000, 2) + QStringLiteral(" mHz");
    if (v < 10000) return fixed(v, 2) + QStringLiteral(" Hz");
    if (v < 1e6) return fixed(v * 0.001, 3) + QStringLiteral(" kHz");
    return fixed(v * 1e-6, 2) + QStringLiteral(" MHz");
  }
  return text;
}

void CloseBusFile(AppState& app, BusScreen& screen) {
  std::optional<BusyCursor> busy;
  if (app.ui) busy.emplace(*app.ui);
  screen.state.rowCount = 0;
  screen.state.bitTimeLatch = 0;
  BusView& v = screen.view;
  v.rows.clear();
  v.filePath.clear();
  v.title.clear();
  v.comment.clear();
  v.picturePath.clear();
  v.frequencyText.clear();
  v.bitTimeText.clear();
  v.speedEnabled = false;
  v.voltageEnabled = false;
  v.cellsMarked = false;
  app.xmlDocument.reset();
}

namespace {

void showXmlErrors(AppState& app, const QStringList& errors) {
  if (errors.isEmpty() || !app.ui) return;
  QStringList shown = errors.mid(0, kMaxShownErrors);
  if (errors.size() > kMaxShownErrors)
    shown << pick(xmltext::kMoreErrors, app.language).arg(errors.size() - kMaxShownErrors);
  app.ui->message(pick(bustext::kXmlErrorTitle, app.language), shown.join(u'\n'));
}

// The picture file for a "BITMAP" value: the part after the last separator,
// below the program's "bitmap" folder. Names differ in letter case between
// the instrument's files and the disk, so a case-blind match is accepted.
QString picturePath(const AppState& app, const QString& value) {
  const qsizetype slash = std::max(value.lastIndexOf(u'/'), value.lastIndexOf(u'\\'));
  const QString name = value.mid(slash + 1);
  if (name.isEmpty() || name == u"." || name == u"..") return {};
  QDir dir(QDir(app.programDir).filePath(QStringLiteral("bitmap")));
  if (QFileInfo(dir.filePath(name)).isFile()) return QDir::toNativeSeparators(dir.filePath(name));
  const QStringList entries = dir.entryList(QDir::Files);
  for (const QString& entry : entries)
    if (entry.compare(name, Qt::CaseInsensitive) == 0)
      return QDir::toNativeSeparators(dir.filePath(entry));
  return {};
}

void refreshBusFields(BusScreen& screen) {
  BusLoadState& s = screen.state;
  BusView& v = screen.view;
  v.frequencyText = MiseEnForme(QString::number(s.busSpeed), QStringLiteral("Hz"));
  v.bitTimeText = s.busSpeed != 0
                      ? MiseEnForme(QString::number(1.0 / s.busSpeed, 'g', 17), QStringLiteral("s"))
                      : QStringLiteral("---");
  if (s.sensitivityIndex >= 0 && s.sensitivityIndex <= kMaxSensiIndex) {
    s.maxVoltage = 4 * kSensitivities[static_cast<std::size_t>(s.sensitivityIndex + 3)];
    v.maxVoltageText = MiseEnForme(QString::number(s.maxVoltage, 'g', 17), QStringLiteral("V"));
  } else {
    s.maxVoltage = 0;
    v.maxVoltageText = QStringLiteral("---");
  }
  v.speedEnabled = s.speedLock == 0;
  v.voltageEnabled = true;
}

void setCell(BusScreen& screen, int column, const QString& text) {
  const int row = screen.state.rowCount;
  if (row < 1 || row > static_cast<int>(screen.view.rows.size())) return;
  screen.view.rows[static_cast<std::size_t>(row - 1)].cells[static_cast<std::size_t>(column - 1)] =
      text;
}

// `which` is the attribute's name, or empty for the element's first one.
QString missingAttribute(const AppState& app, const XmlDocument& doc, pugi::xml_node element,
                         const char* which) {
  const int l = app.language;
  const QString attribute = which ? pick(xmltext::kNamedAttribute, l).arg(QLatin1String(which))
                                  : pick(xmltext::kFirstAttribute, l);
  return XmlDocument::errorText(
      XmlMissingAttribute, pick(xmltext::kAttributeOfElement, l).arg(attribute, doc.tag(element)),
      l);
}

}  // namespace

int ProcessXMLAttribute(AppState&, BusScreen&, pugi::xml_attribute attribute) {
  // Name and value are read and not used; an attribute of the tree cannot fail.
  (void)attribute.name();
  (void)attribute.value();
  return 0;
}

int ProcessXMLElement(AppState& app, BusScreen& screen, pugi::xml_node element) {
  if (!app.xmlDocument) return 0;
  const XmlDocument& doc = *app.xmlDocument;
  auto walkError = [&](const QString& text) { screen.xmlErrors << text; };
  try {
    if (screen.walkDepth > kMaxDepth) {
      walkError(XmlDocument::errorText(XmlMalformed, pick(xmltext::kNestedTooDeeply, app.language),
                                       app.language));
      return 0;
    }
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
      if (ProcessXMLAttribute(app, screen, a) == XmlOutOfMemory) return XmlOutOfMemory;
    }
    BusLoadState& s = screen.state;
    BusView& v = screen.view;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      const char* tag = child.name();
      const pugi::xml_attribute first = child.first_attribute();
      auto firstValue = [&](QString* out) {
        if (!first) {
          walkError(missingAttribute(app, doc, child, nullptr));
          return false;
        }
        *out = doc.value(first);
        return true;
      };
      QString value;

      if (std::strstr(tag, "BITMAP")) {
        const pugi::xml_attribute a = child.attribute("a");
        if (!a) {
          walkError(missingAttribute(app, doc, child, "a"));
          return 0;
        }
        const QString path = picturePath(app, doc.value(a));
        if (!path.isEmpty()) v.picturePath = path;
      }
      if (std::strstr(tag, "TITLE")) {
        if (!firstValue(&value)) return 0;
        v.title = value;
      }
      if (std::strstr(tag, "COMMENT")) {
        if (!firstValue(&value)) return 0;
        v.comment = value;
      }
      if (std::strstr(tag, "Speed")) {
        if (!firstValue(&value)) return 0;
        const int number = scanInteger(value).value_or(0);
        if (std::strstr(tag, "LockedSpeed")) {
          s.speedLock = number;
        } else {
          s.busSpeed = number;
        }
      }
      if (std::strstr(tag, "SensiCh1")) {
        if (!firstValue(&value)) return 0;
        s.sensitivityIndex = scanInteger(value).value_or(-1);
      }
      if (std::strstr(tag, "NameMesure")) {
        if (!firstValue(&value)) return 0;
        const pugi::xml_attribute second = first.next_attribute();
        s.currentUnit = second ? doc.value(second) : QString();
        BusRow row;
        row.label = value;
        v.rows.push_back(std::move(row));
        ++s.rowCount;
      }
      if (std::strstr(tag, "LimiteMax")) {
        if (!firstValue(&value)) return 0;
        setCell(screen, 2, MiseEnForme(value, s.currentUnit));
      }
      if (std::strstr(tag, "LimiteMin")) {
        if (!firstValue(&value)) return 0;
        setCell(screen, 1, MiseEnForme(value, s.currentUnit));
      }
      if (std::strstr(tag, "Warning")) {
        if (!firstValue(&value)) return 0;
        setCell(screen, 3, MiseEnForme(value, QStringLiteral("%")));
      }
      if (std::strstr(tag, "TimeBitTheo") && s.bitTimeLatch == 0) {
        if (!firstValue(&value)) return 0;
        if (scanInteger(value).value_or(0) != 2500) s.bitTimeLatch = 1;
        refreshBusFields(screen);
      }

      ++screen.walkDepth;
      const int result = ProcessXMLElement(app, screen, child);
      --screen.walkDepth;
      if (result < 0) return result;
    }
    return 0;
  } catch (const std::bad_alloc&) {
    return XmlOutOfMemory;
  }
}

void UpdateRowBackgrounds(BusView& view, bool alternate, bool mark) {
  view.cellsMarked = mark;
  for (std::size_t i = 0; i < view.rows.size(); ++i) {
    const std::size_t row = i + 1;
    view.rows[i].background = (row % 2 == 0 && alternate) ? kRowGrey : kRowWhite;
  }
}

namespace {

int renderLoaded(AppState& app, BusScreen& screen, const QString& path,
                 const std::function<XmlDocument::Loaded()>& load) {
  screen.xmlErrors.clear();
  screen.walkDepth = 0;
  int result = 0;
  try {
    std::optional<BusyCursor> busy;
    if (app.ui) busy.emplace(*app.ui);
    CloseBusFile(app, screen);
    screen.view.filePath = QDir::toNativeSeparators(path);
    screen.view.rows.clear();
    screen.state.rowCount = 0;
    app.xmlDocument.reset();

    XmlDocument::Loaded loaded = load();
    if (!loaded.document) {
      screen.xmlErrors << loaded.errorText;
      if (loaded.status == XmlOutOfMemory) result = XmlOutOfMemory;
    } else {
      app.xmlDocument = std::move(loaded.document);
      result = ProcessXMLElement(app, screen, app.xmlDocument->root());
      if (result >= 0) UpdateRowBackgrounds(screen.view, true, true);
    }
  } catch (const std::bad_alloc&) {
    result = XmlOutOfMemory;
  }
  screen.walkDepth = 0;
  showXmlErrors(app, screen.xmlErrors);
  screen.xmlErrors.clear();
  return result;
}

}  // namespace

int ConvertAndRenderXMLFileInTree(AppState& app, BusScreen& screen, const QString& path) {
  return renderLoaded(app, screen, path, [&] { return XmlDocument::loadFile(path, app.language); });
}

int ConvertAndRenderXMLBytesInTree(AppState& app, BusScreen& screen, const QString& path,
                                   const QByteArray& bytes) {
  return renderLoaded(app, screen, path,
                      [&] { return XmlDocument::loadBytes(bytes, app.language); });
}

namespace {

// The description element of table row `row` (from 1): the first child of
// the measurement element row + 2 of the root.
pugi::xml_node rowDescription(const XmlDocument& doc, int row) {
  if (row < 1) return {};
  return XmlDocument::childAt(XmlDocument::childAt(doc.root(), row + 2), 0);
}

}  // namespace

pugi::xml_attribute busCellAttribute(const AppState& app, int row, int column) {
  if (!app.xmlDocument) return {};
  const int position = column == 1 ? 3 : column == 2 ? 2 : 4;
  const pugi::xml_node target =
      XmlDocument::childAt(rowDescription(*app.xmlDocument, row), position);
  return XmlDocument::attribute(target, "a");
}

std::pair<pugi::xml_attribute, pugi::xml_attribute> busTitleAttributes(const AppState& app) {
  if (!app.xmlDocument) return {};
  const pugi::xml_node bus = XmlDocument::childAt(app.xmlDocument->root(), 1);
  return {XmlDocument::attribute(XmlDocument::childAt(bus, 0), "a"),
          XmlDocument::attribute(XmlDocument::childAt(bus, 1), "a")};
}

QString modifValXML(AppState& app, BusScreen& screen, int row, int column, const QString& entered) {
  QString unit;
  pugi::xml_node description;
  XmlDocument* doc = app.xmlDocument.get();
  if (doc && row >= 1) {
    description = rowDescription(*doc, row);
    const pugi::xml_node name = XmlDocument::childAt(description, 0);
    const pugi::xml_attribute unitAttribute = XmlDocument::attribute(name, "unit");
    if (unitAttribute) unit = doc->value(unitAttribute).left(kMaxUnitLength);
  }
  const int position = column == 1 ? 3 : column == 2 ? 2 : 4;
  if (column != 1 && column != 2) unit = QStringLiteral("%");

  // Technicians in French, German, Spanish and Italian type a decimal comma:
  // "2,5" is 2.5, not 2.
  QString typed = entered;
  if (!typed.contains(u'.')) typed.replace(u',', u'.');

  QString shown;
  QString stored;
  if (const std::optional<double> number = scanNumber(typed)) {
    double value = *number;
    if (typed.contains(QStringLiteral("ms"), Qt::CaseInsensitive) ||
        typed.contains(QStringLiteral("mV"), Qt::CaseInsensitive)) {
      value *= 0.001;
    } else if (typed.contains(QString(kMicro) + u's', Qt::CaseInsensitive)) {
      // Case folding also matches the Greek mu that some keyboards type.
      value *= 1e-6;
    } else if (typed.contains(QStringLiteral("ns"), Qt::CaseInsensitive)) {
      value *= 1e-9;
    }
    stored = plainDecimal(value);
    shown = MiseEnForme(stored, unit);
  } else {
    stored = QStringLiteral("N/A");
    shown = QStringLiteral("---");
  }

  if (doc && description) {
    const pugi::xml_node target = XmlDocument::childAt(description, position);
    const pugi::xml_attribute a = XmlDocument::attribute(target, "a");
    if (a) doc->setValue(a, stored);
  }
  if (row >= 1 && row <= static_cast<int>(screen.view.rows.size())) {
    const int cell = (column == 1 || column == 2) ? column : 3;
    screen.view.rows[static_cast<std::size_t>(row - 1)].cells[static_cast<std::size_t>(cell - 1)] =
        shown;
  }
  return shown;
}

bool ModifTitle(AppState& app, BusScreen& screen, const QString& title, const QString& comment,
                QString* error) {
  screen.view.title = title;
  screen.view.comment = comment;
  XmlDocument* doc = app.xmlDocument.get();
  if (!doc) return true;
  const auto [titleAttribute, commentAttribute] = busTitleAttributes(app);
  bool ok = true;
  if (titleAttribute && doc->setValue(titleAttribute, title) == XmlNotEncodable) ok = false;
  if (commentAttribute && doc->setValue(commentAttribute, comment) == XmlNotEncodable) ok = false;
  if (!ok && error) *error = pick(bustext::kNotEncodable, app.language);
  return ok;
}

bool isBusPath(const QString& path) {
  return path.contains(QStringLiteral(".BUS"), Qt::CaseInsensitive);
}
bool isHtmPath(const QString& path) {
  return path.contains(QStringLiteral(".HTM"), Qt::CaseInsensitive);
}

QString busSavePath(const QString& chosen, bool secondFamily) {
  // Only the file name is searched: a folder called "x.bus" must not cut the path.
  const qsizetype nameStart = std::max(chosen.lastIndexOf(u'/'), chosen.lastIndexOf(u'\\')) + 1;
  const qsizetype dot = chosen.lastIndexOf(QStringLiteral(".bus"), -1, Qt::CaseInsensitive);
  const QString stem = (dot >= nameStart) ? chosen.left(dot) : chosen;
  return stem + (secondFamily ? QStringLiteral(".bus") : QStringLiteral(".BUS"));
}

bool isSecondFamilyDocument(const XmlDocument& document) {
  return XmlDocument::descendantCount(document.root(), "VSoftTarvikIV") >= 1;
}

bool confirmReplace(AppState& app, const FileChoice& choice, const QString& target) {
  const QFileInfo written(target);
  if (!written.exists()) return true;
  if (choice.kind == FileChoice::Kind::Existing &&
      written.canonicalFilePath() == QFileInfo(choice.path).canonicalFilePath())
    return true;
  if (!app.ui) return false;
  const int l = app.language;
  return app.ui->ask(pick(bustext::kReplaceTitle, l),
                     pick(bustext::kReplaceQuestion, l).arg(QDir::toNativeSeparators(target)),
                     {pick(bustext::kYes, l), pick(bustext::kNo, l)}, 1, 1) == 0;
}

int SaveBusDocument(AppState& app, const QString& chosen, QString* written, QString* error) {
  if (!app.xmlDocument || chosen.isEmpty()) return 1;
  const QString target = busSavePath(chosen, isSecondFamilyDocument(*app.xmlDocument));
  if (written) *written = target;
  QString detail;
  const int status = app.xmlDocument->save(target, &detail, app.language);
  if (status < 0 && error) *error = pick(bustext::kCannotWrite, app.language) + u'\n' + detail;
  return status;
}

}  // namespace karvel
