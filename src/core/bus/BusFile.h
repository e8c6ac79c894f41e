// SPDX-License-Identifier: GPL-3.0-or-later
// Bus definition files: loading one into the main window's bus panel, the
// edits made there, and saving. The routines here decide everything and fill
// a view model (BusView); the user interface only draws that model.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <pugixml.hpp>
#include <utility>
#include <vector>

#include "core/frame/AppState.h"
#include "core/frame/Interaction.h"

namespace karvel {

// The instrument's time-base settings (seconds), indexed by "TimeBase".
inline constexpr std::array<double, 35> kTimeBases = {
    1e-9, 2e-9, 5e-9, 1e-8, 2.5e-8, 5e-8, 1e-7,  2e-7,  5e-7,  1e-6, 2e-6, 4e-6,
    1e-5, 2e-5, 5e-5, 1e-4, 2e-4,   5e-4, 0.001, 0.002, 0.005, 0.01, 0.02, 0.05,
    0.1,  0.2,  0.5,  1,    2,      5,    10,    20,    50,    100,  200};
// Channel 1 sensitivities (volts), indexed by "SensiCh1" (valid 0..12).
inline constexpr std::array<double, 16> kSensitivities = {
    0.0025, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200};
constexpr int kMaxTimeBaseIndex = 34;
constexpr int kMaxSensiIndex = 12;

// Row colours of the bus definition table.
constexpr unsigned kRowWhite = 0xFFFFFF;
constexpr unsigned kRowGrey = 0xD0D0D0;

// What the loader keeps between loads. A Close resets only rowCount and
// bitTimeLatch: a file that lacks "LockedSpeed" keeps the previous lock.
struct BusLoadState {
  int rowCount = 0;
  QString currentUnit;
  int busSpeed = 0;
  int speedLock = 0;
  int sensitivityIndex = 0;
  int bitTimeLatch = 0;
  double maxVoltage = 0;
};

struct BusRow {
  QString label;
  std::array<QString, 3> cells;  // minimum, maximum, warning margin
  unsigned background = kRowWhite;
};

// Everything the bus panel of the main window shows.
struct BusView {
  QString filePath;
  QString title;
  QString comment;
  QString picturePath;  // empty: no picture
  std::vector<BusRow> rows;
  QString frequencyText;
  QString bitTimeText;
  QString maxVoltageText;  // survives a Close
  bool speedEnabled = false;
  bool voltageEnabled = false;
  bool cellsMarked = false;  // the cell attribute set before colouring after a load
};

// The bus panel's model: the loader state and the view it fills.
struct BusScreen {
  BusLoadState state;
  BusView view;
  // Failures met by the walk of one load, shown together once the busy
  // cursor is gone.
  QStringList xmlErrors;
  int walkDepth = 0;
};

// Numbers as the program reads them: leading blanks skipped, then a sign,
// digits, a decimal point and an exponent; whatever follows is ignored.
// No number (or one out of range) gives nullopt.
std::optional<double> scanNumber(const QString& text);
// An integer read the same way ("%i" form); nullopt when there is none.
std::optional<int> scanInteger(const QString& text);
// A plain decimal number (no exponent) that keeps the value's significant
// digits: 4e-8 gives "0.00000004", 0.00015 gives "0.00015".
QString plainDecimal(double value);

// Formats a number held in `text` with the unit's prefix: "2.50 V", "150 µs",
// "500.000 kHz", "10.0 %". Text without a number gives "---"; a unit other
// than V, s, H(z) or % leaves the text unchanged.
QString MiseEnForme(const QString& text, const QString& unit);

// The Close command's part on the bus panel: clears the view (except the
// maximum voltage), resets row count and bit-time latch, dims the generators
// and drops the document.
void CloseBusFile(AppState& app, BusScreen& screen);

// Loads `path` into app.xmlDocument and fills the view. XML failures are shown
// in the "XML Error" box and give 0; negative only when memory runs out.
int ConvertAndRenderXMLFileInTree(AppState& app, BusScreen& screen, const QString& path);
// The same for a file already read (or just written): `bytes` stand for
// `path`, which is not read again.
int ConvertAndRenderXMLBytesInTree(AppState& app, BusScreen& screen, const QString& path,
                                   const QByteArray& bytes);
int ProcessXMLElement(AppState& app, BusScreen& screen, pugi::xml_node element);
int ProcessXMLAttribute(AppState& app, BusScreen& screen, pugi::xml_attribute attribute);
// Banded rows: even rows grey when `alternate`, white otherwise; `mark` is the
// extra cell attribute set on every cell first.
void UpdateRowBackgrounds(BusView& view, bool alternate, bool mark = true);

// The edit of table cell (column, row), both from 1, with the typed text.
// Stores the value in the document and returns the text the cell shows. A
// decimal comma is read as a decimal point.
QString modifValXML(AppState& app, BusScreen& screen, int row, int column, const QString& typed);
// The attribute that table cell (column, row) edits; null when there is none.
pugi::xml_attribute busCellAttribute(const AppState& app, int row, int column);
// The attributes that hold the bus name and the comment (either may be null).
std::pair<pugi::xml_attribute, pugi::xml_attribute> busTitleAttributes(const AppState& app);
// Writes the bus name and the comment into "TITLE" and "COMMENT". Returns
// false (and a message) only when the file's encoding cannot hold the text.
bool ModifTitle(AppState& app, BusScreen& screen, const QString& title, const QString& comment,
                QString* error = nullptr);

// Path rules of the Open and Save commands.
bool isBusPath(const QString& path);  // contains ".BUS" in any case
bool isHtmPath(const QString& path);  // contains ".HTM" in any case
// The name Save writes: from the last ".bus" of the file name on, replaced by
// ".bus" for an RQ6102 document (it holds "VSoftTarvikIV"), ".BUS" otherwise.
QString busSavePath(const QString& chosen, bool secondFamily);
bool isSecondFamilyDocument(const XmlDocument& document);
// Before writing `target` for a file dialog's `choice`: when `target` exists
// and is not the existing file the user picked (the name written may differ
// from the one chosen, e.g. "bus1.BUS" for "bus1.bus"), asks whether to
// replace it. True to go on.
bool confirmReplace(AppState& app, const FileChoice& choice, const QString& target);

// Saves app.xmlDocument under the name busSavePath gives, through a temporary
// file renamed over the target. Returns 0 or a negative status and its text.
int SaveBusDocument(AppState& app, const QString& chosen, QString* written, QString* error);

}  // namespace karvel
