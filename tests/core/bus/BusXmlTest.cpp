// SPDX-License-Identifier: GPL-3.0-or-later
// The document layer: byte-faithful round trips, edits that touch only their
// value, element access by position and tag, and refused input.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/bus/XmlDocument.h"

using karvel::XmlDocument;

namespace {

// Everything a writer could normalise: declaration, DOCTYPE, comments, a
// processing instruction, single quotes, entities, blanks inside tags, an
// empty element written open, CR LF and a trailing line after the root.
const char kLatin1Doc[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
    "<!DOCTYPE BUSFILE>\r\n"
    "<!-- caf\xE9 -->\r\n"
    "<?karvel keep?>\r\n"
    "<BUSFILE  version = '2' >\r\n"
    "\t<HEAD a='x &apos;y&apos; &quot;z&quot; &gt; &#233;'></HEAD>\r\n"
    "\t<BUS>\r\n"
    "\t\t<TITLE a=\"Bus \xB5 1\"   extra='&amp;'/>\r\n"
    "\t\t<COMMENT a=\"c\"><![CDATA[ text ]]></COMMENT>\r\n"
    "\t</BUS>\r\n"
    "</BUSFILE>\r\n"
    "<!-- end -->\r\n";

QByteArray latin1Doc() { return QByteArray(kLatin1Doc, sizeof kLatin1Doc - 1); }

QByteArray utf8Doc() {
  return QByteArray(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<ROOT>\n  <BUS>\n    <TITLE a=\"Bus \xC2\xB5 \xE2\x82\xAC\" />\n"
      "    <COMMENT a='x'></COMMENT>\n  </BUS>\n</ROOT>");
}

std::shared_ptr<XmlDocument> load(const QByteArray& bytes) {
  XmlDocument::Loaded loaded = XmlDocument::loadBytes(bytes);
  EXPECT_TRUE(loaded.document) << loaded.errorText.toStdString();
  return loaded.document;
}

// The bytes that differ between two buffers of which one is an edit of the
// other: the common prefix and suffix are cut away.
std::pair<QByteArray, QByteArray> difference(const QByteArray& a, const QByteArray& b) {
  qsizetype start = 0;
  while (start < a.size() && start < b.size() && a[start] == b[start]) ++start;
  qsizetype endA = a.size();
  qsizetype endB = b.size();
  while (endA > start && endB > start && a[endA - 1] == b[endB - 1]) --endA, --endB;
  return {a.mid(start, endA - start), b.mid(start, endB - start)};
}

}  // namespace

TEST(BusXml, UnchangedDocumentsRoundTripByteForByte) {
  QByteArray utf16;
  utf16.append("\xFF\xFE", 2);
  const QString text =
      QString::fromUtf8("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<R><T a='\xC3\xA9'/></R>");
  utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);

  QTemporaryDir dir;
  for (const QByteArray& original : {latin1Doc(), utf8Doc(), utf16}) {
    auto doc = load(original);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->bytes(), original);
    const QString path = dir.filePath("copy.BUS");
    QString error;
    ASSERT_EQ(doc->save(path, &error), 0) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
  }
}

TEST(BusXml, ValuesDecodeFromTheFilesEncoding) {
  auto latin = load(latin1Doc());
  auto utf8 = load(utf8Doc());
  ASSERT_TRUE(latin && utf8);
  const auto latinTitle = XmlDocument::attribute(
      XmlDocument::child(XmlDocument::child(latin->root(), "BUS"), "TITLE"), "a");
  EXPECT_EQ(latin->value(latinTitle), QString::fromUtf8("Bus \xC2\xB5 1"));
  const auto head = XmlDocument::childAt(latin->root(), 0);
  EXPECT_EQ(latin->value(XmlDocument::attributeAt(head, 0)),
            QString::fromUtf8("x 'y' \"z\" > \xC3\xA9"));
  const auto utfTitle = XmlDocument::attribute(
      XmlDocument::child(XmlDocument::child(utf8->root(), "BUS"), "TITLE"), "a");
  EXPECT_EQ(utf8->value(utfTitle), QString::fromUtf8("Bus \xC2\xB5 \xE2\x82\xAC"));
  // A file that claims UTF-8 but holds Windows-1252 bytes still reads.
  auto cp = load("<R a=\"\x80 \xB5\"/>");
  ASSERT_TRUE(cp);
  EXPECT_EQ(cp->value(XmlDocument::attributeAt(cp->root(), 0)),
            QString::fromUtf8("\xE2\x82\xAC \xC2\xB5"));
}

TEST(BusXml, AnEditChangesOnlyTheBytesOfItsValue) {
  for (const QByteArray& original : {latin1Doc(), utf8Doc()}) {
    auto doc = load(original);
    ASSERT_TRUE(doc);
    const auto title = XmlDocument::attribute(
        XmlDocument::child(XmlDocument::child(doc->root(), "BUS"), "TITLE"), "a");
    ASSERT_EQ(doc->setValue(title, QString::fromUtf8("New \xC3\xA9 <&> \"q\"")), 0);
    const auto [was, now] = difference(original, doc->bytes());
    const bool latin = original.startsWith("<?xml version=\"1.0\" encoding=\"ISO");
    EXPECT_EQ(now, latin ? QByteArray("New \xE9 &lt;&amp;&gt; &quot;q&quot;")
                         : QByteArray("New \xC3\xA9 &lt;&amp;&gt; &quot;q&quot;"));
    EXPECT_TRUE(was.startsWith("Bus "));
    // The tree sees the new value, and a reload reads it back.
    EXPECT_EQ(doc->value(title), QString::fromUtf8("New \xC3\xA9 <&> \"q\""));
    auto again = load(doc->bytes());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->value(XmlDocument::attribute(
                  XmlDocument::child(XmlDocument::child(again->root(), "BUS"), "TITLE"), "a")),
              QString::fromUtf8("New \xC3\xA9 <&> \"q\""));
  }
  // Setting twice replaces the first edit; a single-quoted value escapes '.
  auto doc = load(latin1Doc());
  const auto comment = XmlDocument::attribute(
      XmlDocument::child(XmlDocument::child(doc->root(), "BUS"), "TITLE"), "extra");
  ASSERT_EQ(doc->setValue(comment, "first"), 0);
  ASSERT_EQ(doc->setValue(comment, "it's"), 0);
  EXPECT_EQ(difference(latin1Doc(), doc->bytes()).second, QByteArray("it&apos;s"));
  // Writing back the value a field already holds changes nothing.
  auto same = load(latin1Doc());
  const auto head = XmlDocument::childAt(same->root(), 0);
  ASSERT_EQ(same->setValue(XmlDocument::attributeAt(head, 0),
                           same->value(XmlDocument::attributeAt(head, 0))),
            0);
  EXPECT_EQ(same->bytes(), latin1Doc());
}

TEST(BusXml, TextTheEncodingCannotHoldIsRefused) {
  auto doc = load(latin1Doc());
  const auto title = XmlDocument::attribute(
      XmlDocument::child(XmlDocument::child(doc->root(), "BUS"), "TITLE"), "a");
  QString error;
  EXPECT_EQ(doc->setValue(title, QString::fromUtf8("\xCE\xA9 ohm"), &error),
            karvel::XmlNotEncodable);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(doc->bytes(), latin1Doc());
  // The euro sign is in Windows-1252, which the program writes for such files.
  EXPECT_EQ(doc->setValue(title, QString::fromUtf8("\xE2\x82\xAC")), 0);
  EXPECT_EQ(difference(latin1Doc(), doc->bytes()).second, QByteArray("\x80"));
}

TEST(BusXml, PositionsCountElementsAndTagsMatchExactly) {
  auto doc = load("<R><!-- c -->text<A/><?pi x?><b/><B><A/></B><A x='1' y='2'/></R>");
  ASSERT_TRUE(doc);
  const auto root = doc->root();
  EXPECT_EQ(XmlDocument::childCount(root), 4);
  EXPECT_EQ(doc->tag(XmlDocument::childAt(root, 1)), "b");
  EXPECT_EQ(doc->tag(XmlDocument::childAt(root, 2)), "B");
  EXPECT_FALSE(XmlDocument::childAt(root, 4));
  EXPECT_FALSE(XmlDocument::childAt(root, -1));
  EXPECT_EQ(XmlDocument::child(root, "B"), XmlDocument::childAt(root, 2));
  EXPECT_FALSE(XmlDocument::child(root, "a"));
  EXPECT_EQ(XmlDocument::descendantCount(root, "A"), 3);
  EXPECT_EQ(XmlDocument::descendantCount(XmlDocument::childAt(root, 2), "B"), 0);
  const auto last = XmlDocument::childAt(root, 3);
  EXPECT_EQ(XmlDocument::attributeCount(last), 2);
  EXPECT_EQ(doc->name(XmlDocument::attributeAt(last, 1)), "y");
  EXPECT_FALSE(XmlDocument::attributeAt(last, 2));
  EXPECT_FALSE(XmlDocument::attribute(last, "z"));
}

TEST(BusXml, BrokenInputGivesAStatusAndText) {
  const QList<QByteArray> broken = {"",
                                    "   ",
                                    "<a><b></a>",
                                    "<a>",
                                    "<a/><b/>",
                                    "x<a/>",
                                    "<a/>trailing",
                                    "<a b=\"1></a>",
                                    QByteArray("\xFF\xFE<\0", 4)};
  for (const QByteArray& bytes : broken) {
    XmlDocument::Loaded loaded = XmlDocument::loadBytes(bytes);
    EXPECT_FALSE(loaded.document) << bytes.toStdString();
    EXPECT_LT(loaded.status, 0);
    EXPECT_FALSE(loaded.errorText.isEmpty());
    EXPECT_LE(loaded.errorText.size(), 511);
  }
  XmlDocument::Loaded missing = XmlDocument::loadFile("/nonexistent/folder/file.BUS");
  EXPECT_EQ(missing.status, karvel::XmlCannotOpen);
  EXPECT_TRUE(missing.errorText.contains("file.BUS"));
}

TEST(BusXml, TextThatCannotBeDecodedLosslesslyIsRefused) {
  auto utf16 = [](const QString& text, bool bigEndian, bool bom) {
    QByteArray out;
    if (bom) out.append(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    for (QChar c : text) {
      const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
      out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
  };
  const QString good = QStringLiteral("<?xml version=\"1.0\"?><R><T a=\"x\"/></R>");
  QString lone = good;
  lone.replace(u'x', QChar(0xD800));  // a high surrogate with nothing after it
  QString reversed = good;
  reversed.replace(QStringLiteral("x"), QString(QChar(0xDC00)) + QChar(0xD800));
  for (bool bigEndian : {false, true}) {
    for (bool bom : {false, true}) {
      ASSERT_TRUE(XmlDocument::loadBytes(utf16(good, bigEndian, bom)).document);
      for (const QString& bad : {lone, reversed}) {
        XmlDocument::Loaded loaded = XmlDocument::loadBytes(utf16(bad, bigEndian, bom));
        EXPECT_FALSE(loaded.document);
        EXPECT_EQ(loaded.status, karvel::XmlUnsupportedEncoding);
        EXPECT_TRUE(loaded.errorText.contains("surrogate")) << loaded.errorText.toStdString();
      }
      // An odd byte at the end cannot be part of any character.
      EXPECT_FALSE(XmlDocument::loadBytes(utf16(good, bigEndian, bom) + "x").document);
    }
  }
  // A pair in the right order is one character and stays what it was.
  QString paired = good;
  paired.replace(QStringLiteral("x"), QString(QChar(0xD83D)) + QChar(0xDE00));
  const QByteArray bytes = utf16(paired, false, true);
  auto doc = load(bytes);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->bytes(), bytes);
}

TEST(BusXml, FilesAboveTheBoundAreRefusedBeforeTheyAreRead) {
  QTemporaryDir dir;
  const QString path = dir.filePath("huge.BUS");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<R/>");
  file.close();
  ASSERT_TRUE(QFile::resize(path, XmlDocument::kMaxFileSize + 1));
  XmlDocument::Loaded loaded = XmlDocument::loadFile(path);
  EXPECT_FALSE(loaded.document);
  EXPECT_EQ(loaded.status, karvel::XmlCannotOpen);
  EXPECT_TRUE(loaded.errorText.contains("larger than 16 MB")) << loaded.errorText.toStdString();
  // At the bound itself the file is read (and here found to hold zero bytes
  // after its root, which is an XML matter, not a size one).
  ASSERT_TRUE(QFile::resize(path, XmlDocument::kMaxFileSize));
  EXPECT_NE(XmlDocument::loadFile(path).status, karvel::XmlCannotOpen);
}

TEST(BusXml, AFailedSaveIsReportedAndLeavesTheTargetAlone) {
  QTemporaryDir dir;
  auto doc = load(utf8Doc());
  QString error;
  EXPECT_EQ(doc->save(dir.filePath("missing/folder/x.BUS"), &error), karvel::XmlCannotWrite);
  EXPECT_FALSE(error.isEmpty());
  // A folder in the way of the target cannot be replaced by the file.
  ASSERT_TRUE(QDir(dir.path()).mkdir("target.BUS"));
  EXPECT_EQ(doc->save(dir.filePath("target.BUS"), &error), karvel::XmlCannotWrite);
  EXPECT_TRUE(QFileInfo(dir.filePath("target.BUS")).isDir());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);  // no temporary file left
}
