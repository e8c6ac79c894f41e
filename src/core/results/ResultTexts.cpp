// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/results/ResultTexts.h"

namespace karvel {

ResultWindowTexts TraducMenu2(int language) {
  using namespace resulttext;
  ResultWindowTexts t;
  t.fileMenu = pick(kMenuFile, language);
  t.save = pick(kMenuSave, language);
  t.print = pick(kMenuPrint, language);
  t.exportExcel = pick(kMenuExport, language);
  t.exit = pick(kMenuExit, language);
  // Column 1 (status icon) and column 2 (measurement name) carry no heading.
  t.columnHeadings = {QString(),
                      QString(),
                      pick(kColumnMin, language),
                      pick(kColumnMax, language),
                      pick(kColumnMeasure, language),
                      pick(kColumnDistance, language)};
  t.helpTooltip = pick(kHelpButton, language);
  return t;
}

QString statusText(Status status, int language) {
  using namespace resulttext;
  switch (status) {
    case Status::Green:
      return pick(kStatusPass, language);
    case Status::Yellow:
      return pick(kStatusWarning, language);
    case Status::Red:
      return pick(kStatusFail, language);
    case Status::None:
      break;
  }
  return pick(kStatusNone, language);
}

}  // namespace karvel
