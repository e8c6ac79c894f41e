// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bus/BusGenerators.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/bus/BusTexts.h"
#include "core/bus/XmlDocument.h"
#include "core/frame/Interaction.h"

namespace karvel {

namespace {

// Ratios of table entries are compared with a little slack, so that 0.5 / 0.1
// counts as 5 whatever the last bit of the division.
constexpr double kSlack = 1e-9;
bool above(double a, double b) { return a > b * (1 + kSlack); }

double T(int index) { return kTimeBases[static_cast<std::size_t>(index)]; }
double S(int index) { return kSensitivities[static_cast<std::size_t>(index)]; }

void refuse(AppState& app, const QString& text) {
  if (app.ui) app.ui->message(pick(bustext::kErrorTitle, app.language), text);
}

// The integer value of attribute "a" of element `name` below `parent`.
std::optional<int> intValue(const XmlDocument& doc, pugi::xml_node parent, const char* name) {
  const pugi::xml_attribute a = XmlDocument::attribute(XmlDocument::child(parent, name), "a");
  if (!a) return std::nullopt;
  return scanInteger(doc.value(a));
}

void setInt(XmlDocument& doc, pugi::xml_node parent, const char* name, long long value) {
  const pugi::xml_attribute a = XmlDocument::attribute(XmlDocument::child(parent, name), "a");
  if (a) doc.setValue(a, QString::number(value));
}

int measurementCount(const XmlDocument& doc, pugi::xml_node bus) {
  std::optional<int> n = intValue(doc, bus, "NbMesureMax");
  if (!XmlDocument::child(bus, "NbMesureMax")) n = intValue(doc, bus, "NBMesureMax");
  return std::max(0, n.value_or(0));
}

// Moves the setting `name` in the "SETUP" of every measurement MESURE0 ..
// MESURE<n-1> by `step`, kept within 0..`last`. Measurements lacking one of
// the elements are skipped.
// Moves the setting `name` of the first n measurements by `step`; returns how
// many were held at an end of the table instead of moving all the way.
int moveMeasurements(XmlDocument& doc, int n, const char* name, int step, int last) {
  if (step == 0) return 0;
  int held = 0;
  // One pass over the root instead of a search per measurement; a count
  // larger than the root's children cannot name more elements than exist.
  QHash<QByteArray, pugi::xml_node> byTag;
  for (pugi::xml_node c = doc.root().first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && !byTag.contains(c.name())) byTag.insert(c.name(), c);
  n = std::min<qsizetype>(n, byTag.size());
  for (int k = 0; k < n; ++k) {
    const pugi::xml_node measure = byTag.value(QByteArray("MESURE") + QByteArray::number(k));
    const pugi::xml_node setup = XmlDocument::child(measure, "SETUP");
    const pugi::xml_attribute a = XmlDocument::attribute(XmlDocument::child(setup, name), "a");
    if (!a) continue;
    const std::optional<int> value = scanInteger(doc.value(a));
    if (!value) continue;
    const long long wanted = static_cast<long long>(*value) + step;
    const long long moved = std::clamp<long long>(wanted, 0, last);
    if (moved != wanted) ++held;
    doc.setValue(a, QString::number(moved));
  }
  return held;
}

// A working copy of the document shown, so that a refusal or a failed write
// leaves the document (and its unsaved edits) as it was.
std::shared_ptr<XmlDocument> workingCopy(const XmlDocument& doc) {
  return XmlDocument::loadBytes(doc.bytes()).document;
}

bool setTitle(AppState& app, XmlDocument& doc, const QString& title) {
  const pugi::xml_node bus = XmlDocument::child(doc.root(), "BUS");
  const pugi::xml_attribute a = XmlDocument::attribute(XmlDocument::child(bus, "TITLE"), "a");
  if (a && doc.setValue(a, title) == XmlNotEncodable) {
    refuse(app, pick(bustext::kNotEncodable, app.language));
    return false;
  }
  return true;
}

// After a file was written: how many measurements stayed at a table end.
void tellHeld(AppState& app, int held) {
  if (held > 0 && app.ui)
    app.ui->message(pick(bustext::kFileCreation, app.language),
                    pick(bustext::kHeldAtTableEnd, app.language).arg(held));
}

// Writes the generated document, shows it and tells how many measurements
// were held at a table end.
int saveAndShow(AppState& app, BusScreen& screen, const XmlDocument& doc, const QString& path,
                int held) {
  QString detail;
  if (doc.save(path, &detail, app.language) < 0) {
    refuse(app, pick(bustext::kCannotWrite, app.language) + u'\n' + detail);
    return XmlCannotWrite;
  }
  // What was written is shown from its bytes: "-" (the standard output)
  // cannot be read back, and a file cannot have changed in between.
  const int result = ConvertAndRenderXMLBytesInTree(app, screen, path, doc.bytes());
  if (result < 0) return result;
  tellHeld(app, held);
  return 0;
}

}  // namespace

int timeBaseStep(int i, double r) {
  if (i < 0 || i > kMaxTimeBaseIndex || !(r > 0) || !std::isfinite(r)) return 0;
  const double t = T(i);
  int s = 0;
  if (r < 1) {
    if (i < kMaxTimeBaseIndex && above(T(i) / T(i + 1), 0.75 * r)) {
      s = 1;
      while (i + s < kMaxTimeBaseIndex && above(t / r, 1.1 * T(i + s))) ++s;
    }
  } else if (r > 1) {
    if (i > 0 && above(1.3 * r, T(i) / T(i - 1))) {
      s = -1;
      while (i + s > 0 && above(T(i + s) / 1.1, t / r)) --s;
    }
  }
  return s;
}

int sensitivityStep(int i, double r) {
  if (i < 0 || i > kMaxSensiIndex || !(r > 0) || !std::isfinite(r)) return 0;
  const double current = S(i);
  int s = 0;
  if (r > 1) {
    if (i == kMaxSensiIndex) return 0;
    s = 1;
    while (above(r, S(i + s) / current) && i + s < kMaxSensiIndex) ++s;
  } else if (r < 1) {
    if (i == 0) return 0;
    s = -1;
    while (above(S(i + s) / current, r) && i + s > 0) --s;
  }
  return s;
}

namespace {
int truncatedSpeed(double value) {
  // Rounded to a millionth first: 4.35 kbit/s is 4350 bit/s, although
  // 4.35 * 1000 is 4349.999... in binary.
  const double scaled = std::trunc(std::round(value * 1e6) / 1e6);
  if (!(scaled > 0)) return 0;
  if (scaled >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(scaled);
}

// Reads the set-up's table index from `attribute` into `index` (left empty
// when the file has no such attribute). An index outside 0..`maxIndex` would
// step outside the table: refused with `refusal`, false.
bool setupIndex(AppState& app, const XmlDocument& doc, const pugi::xml_attribute& attribute,
                int maxIndex, const Text5& refusal, std::optional<int>* index) {
  if (!attribute) return true;
  *index = scanInteger(doc.value(attribute));
  if (*index && **index >= 0 && **index <= maxIndex) return true;
  refuse(app, pick(refusal, app.language).arg(doc.value(attribute)));
  return false;
}

}  // namespace

SpeedFields speedFieldsFromSpeed(int speed) { return {speed, speed / 1000.0, speed / 1000000.0}; }
SpeedFields speedFieldsFromKilo(double kilo) {
  return {truncatedSpeed(kilo * 1000), kilo, kilo * 0.001};
}
SpeedFields speedFieldsFromMega(double mega) {
  return {truncatedSpeed(mega * 1000000), mega * 1000, mega};
}

long long trigPulseWidth(int speed) {
  if (speed <= 0) return 0;
  return std::llround(1500000000.0 / speed / 8);
}

double voltageFieldValue(const QString& text) { return scanNumber(text).value_or(0); }

QString newSpeedRefusal(const AppState& app, const BusScreen& screen, int newSpeed) {
  if (!app.xmlDocument) return pick(bustext::kNoDocument, app.language);
  // The window dims the button of a locked file; scripts get the same answer.
  if (screen.state.speedLock != 0) return pick(bustext::kSpeedLocked, app.language);
  if (newSpeed <= 0) return pick(bustext::kBadNewSpeed, app.language);
  if (screen.state.busSpeed <= 0) return pick(bustext::kBadLoadedSpeed, app.language);
  return {};
}

QString newVoltageRefusal(const AppState& app, const BusScreen& screen, double newVoltage) {
  if (!app.xmlDocument) return pick(bustext::kNoDocument, app.language);
  if (!(newVoltage > 0) || !std::isfinite(newVoltage))
    return pick(bustext::kBadNewVoltage, app.language);
  if (!(screen.state.maxVoltage > 0)) return pick(bustext::kBadLoadedVoltage, app.language);
  return {};
}

int CalculNewFreq(AppState& app, BusScreen& screen, int newSpeed, const QString& title,
                  const QString& path) {
  if (const QString why = newSpeedRefusal(app, screen, newSpeed); !why.isEmpty()) {
    refuse(app, why);
    return -1;
  }
  std::shared_ptr<XmlDocument> copy = workingCopy(*app.xmlDocument);
  if (!copy) return XmlOutOfMemory;
  XmlDocument& doc = *copy;
  const pugi::xml_node root = doc.root();
  const pugi::xml_node setup = XmlDocument::child(root, "SETUP");
  const pugi::xml_attribute timeBase =
      XmlDocument::attribute(XmlDocument::child(setup, "TimeBase"), "a");
  std::optional<int> index;
  if (!setupIndex(app, doc, timeBase, kMaxTimeBaseIndex, bustext::kBadTimeBase, &index)) return -1;

  const double r = static_cast<double>(newSpeed) / screen.state.busSpeed;
  if (!setTitle(app, doc, title)) return -1;
  const pugi::xml_node bus = XmlDocument::child(root, "BUS");
  const int n = measurementCount(doc, bus);
  setInt(doc, bus, "Speed", newSpeed);
  int step = 0;
  if (index) {
    step = timeBaseStep(*index, r);
    doc.setValue(timeBase, QString::number(*index + step));
  }
  setInt(doc, setup, "TrigPulseWidthD", trigPulseWidth(newSpeed));
  return saveAndShow(app, screen, doc, path,
                     moveMeasurements(doc, n, "TimeBase", step, kMaxTimeBaseIndex));
}

int CalculNewAmpl(AppState& app, BusScreen& screen, double newVoltage, const QString& title,
                  const QString& path) {
  if (const QString why = newVoltageRefusal(app, screen, newVoltage); !why.isEmpty()) {
    refuse(app, why);
    return -1;
  }
  std::shared_ptr<XmlDocument> copy = workingCopy(*app.xmlDocument);
  if (!copy) return XmlOutOfMemory;
  XmlDocument& doc = *copy;
  const pugi::xml_node root = doc.root();
  const pugi::xml_node setup = XmlDocument::child(root, "SETUP");
  const pugi::xml_attribute sensi =
      XmlDocument::attribute(XmlDocument::child(setup, "SensiCh1"), "a");
  std::optional<int> index;
  if (!setupIndex(app, doc, sensi, kMaxSensiIndex, bustext::kBadSensitivity, &index)) return -1;

  const double r = newVoltage / screen.state.maxVoltage;
  if (!setTitle(app, doc, title)) return -1;
  const int n = measurementCount(doc, XmlDocument::child(root, "BUS"));
  int step = 0;
  if (index) {
    step = sensitivityStep(*index, r);
    doc.setValue(sensi, QString::number(*index + step));
  }
  return saveAndShow(app, screen, doc, path,
                     moveMeasurements(doc, n, "SensiCh1", step, kMaxSensiIndex));
}

}  // namespace karvel
