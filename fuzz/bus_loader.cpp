// SPDX-License-Identifier: GPL-3.0-or-later
// Bus definition files from any bytes: load as File > Open does, read the rows
// the bus panel would draw, edit a limit and the title, save, and open the
// saved file again.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "core/bus/BusFile.h"
#include "core/bus/XmlDocument.h"
#include "core/frame/AppState.h"

using namespace karvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  static const QString input = fuzz::scratchPath(QStringLiteral("input.bus"));
  static const QString saved = fuzz::scratchPath(QStringLiteral("saved.bus"));
  fuzz::writeInput(input, bytes);

  AppState app;
  // No "bitmap" folder there: a picture name is looked up and never found.
  app.programDir = fuzz::scratchPath(QStringLiteral("program"));
  BusScreen screen;
  const int status = ConvertAndRenderXMLFileInTree(app, screen, input);
  FUZZ_CHECK(status >= 0 || status == XmlOutOfMemory);

  // What the panel draws: every row's label and cells.
  qsizetype shown = screen.view.title.size() + screen.view.comment.size();
  for (const BusRow& row : screen.view.rows) {
    shown += row.label.size();
    for (const QString& cell : row.cells) shown += cell.size();
  }
  FUZZ_CHECK(shown >= 0);
  if (!app.xmlDocument) return 0;

  // Unchanged, a document is written back as the very bytes that were read,
  // in every encoding: a file that cannot be (an unpaired surrogate in UTF-16,
  // corpus/bus_loader/utf16-lone-surrogate.bus) is refused at load.
  FUZZ_CHECK(app.xmlDocument->bytes() == bytes);

  // The edits of the panel, with characters that need escaping in a value.
  if (!screen.view.rows.empty()) {
    modifValXML(app, screen, 1, 1, QStringLiteral("2.5 ms"));
    modifValXML(app, screen, 1, 3, QStringLiteral("12"));
  }
  ModifTitle(app, screen, QStringLiteral("Bus <&\"'>\t\u00B5"), QStringLiteral("new\r\nline"));

  QString written;
  QString error;
  FUZZ_CHECK(SaveBusDocument(app, saved, &written, &error) == XmlOk);
  // Edits only ever replace values: what was saved is a document again.
  const XmlDocument::Loaded again = XmlDocument::loadFile(written);
  FUZZ_CHECK(again.document != nullptr);
  QFile::remove(written);
  return 0;
}
