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

namespace {

// Both documents hold the same elements in the same order, with the same
// attributes, each value read as the same text.
void checkSameDocument(const XmlDocument& edited, const XmlDocument& saved) {
  pugi::xml_node a = edited.root();
  pugi::xml_node b = saved.root();
  while (a && b) {
    FUZZ_CHECK(a.type() == b.type());
    if (a.type() == pugi::node_element) {
      FUZZ_CHECK(edited.tag(a) == saved.tag(b));
      pugi::xml_attribute x = a.first_attribute();
      pugi::xml_attribute y = b.first_attribute();
      for (; x && y; x = x.next_attribute(), y = y.next_attribute()) {
        FUZZ_CHECK(edited.name(x) == saved.name(y));
        FUZZ_CHECK(edited.value(x) == saved.value(y));
      }
      FUZZ_CHECK(!x && !y);
    }
    // The next node in document order, below the root only.
    if (a.first_child() && b.first_child()) {
      a = a.first_child();
      b = b.first_child();
      continue;
    }
    FUZZ_CHECK(!a.first_child() && !b.first_child());
    while (a && a != edited.root() && !a.next_sibling()) {
      FUZZ_CHECK(!b.next_sibling());
      a = a.parent();
      b = b.parent();
    }
    if (!a || a == edited.root()) break;
    FUZZ_CHECK(b.next_sibling());
    a = a.next_sibling();
    b = b.next_sibling();
  }
}

}  // namespace

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
  // The panel stores every key as it is typed, and the user may save at any
  // point: the title is typed key by key up to a length that the input's size
  // picks, an empty title included.
  if (!screen.view.rows.empty()) {
    modifValXML(app, screen, 1, 1, QStringLiteral("2.5 ms"));
    modifValXML(app, screen, 1, 3, QStringLiteral("12"));
  }
  const QString title = QStringLiteral("Bus <&\"'>\t\u00B5");
  const QString comment = QStringLiteral("new\r\nline");
  const qsizetype typed = static_cast<qsizetype>(size % std::size_t(title.size() + 1));
  for (qsizetype keys = 0; keys <= typed; ++keys)
    ModifTitle(app, screen, title.left(keys), comment);

  QString written;
  QString error;
  FUZZ_CHECK(SaveBusDocument(app, saved, &written, &error) == XmlOk);
  // Edits only ever replace values: what was saved is the same document
  // again, every element and value read as it was before the save.
  const XmlDocument::Loaded again = XmlDocument::loadFile(written);
  FUZZ_CHECK(again.document != nullptr);
  QFile::remove(written);
  checkSameDocument(*app.xmlDocument, *again.document);
  return 0;
}
