// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/bus/XmlDocument.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>
#include <new>

#include "core/bus/XmlTexts.h"
#include "core/frame/BoundedRead.h"
#include "core/frame/SafeWrite.h"
#include "core/frame/StandardStreams.h"

namespace karvel {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes that the code page leaves
// undefined map to the C1 control of the same number, so every byte decodes
// and encodes back to itself.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const char* raw, std::size_t size) {
  QString out(static_cast<qsizetype>(size), Qt::Uninitialized);
  QChar* dst = out.data();
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(raw[i]);
    dst[i] = (byte >= 0x80 && byte < 0xA0) ? QChar(kCp1252High[byte - 0x80]) : QChar(byte);
  }
  return out;
}

bool encodeCp1252(const QString& text, QByteArray* out) {
  out->clear();
  out->reserve(text.size());
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      out->append(static_cast<char>(u));
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == u) found = i;
    }
    if (found < 0) return false;
    out->append(static_cast<char>(0x80 + found));
  }
  return true;
}

// Resolves the five predefined entities and character references; anything
// else that starts with "&" stays as written.
QString resolveReferences(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      out += text[i];
      continue;
    }
    const qsizetype semi = text.indexOf(u';', i + 1);
    if (semi < 0 || semi - i > 12) {
      out += text[i];
      continue;
    }
    const QStringView name = QStringView(text).mid(i + 1, semi - i - 1);
    char32_t code = 0;
    if (name == u"lt")
      code = '<';
    else if (name == u"gt")
      code = '>';
    else if (name == u"amp")
      code = '&';
    else if (name == u"apos")
      code = '\'';
    else if (name == u"quot")
      code = '"';
    else if (name.startsWith(u"#x") || name.startsWith(u"#X")) {
      bool ok = false;
      code = name.mid(2).toUInt(&ok, 16);
      if (!ok) code = 0;
    } else if (name.startsWith(u'#')) {
      bool ok = false;
      code = name.mid(1).toUInt(&ok, 10);
      if (!ok) code = 0;
    }
    if (code == 0 || code > 0x10FFFF) {
      out += text[i];
      continue;
    }
    out += QString::fromUcs4(&code, 1);
    i = semi;
  }
  return out;
}

bool validUtf8(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString ignored = decoder.decode(bytes);
  return !decoder.hasError();
}

// Where the XML declaration at `start` ends ("?>"), and where the value of
// its encoding="..." stands; -1 for what is not there.
struct Declaration {
  qsizetype end = -1;
  qsizetype encodingAt = -1;  // first "encoding" in the declaration
  qsizetype valueStart = -1;
  qsizetype valueLength = -1;
};

Declaration findDeclaration(const QByteArray& bytes, qsizetype start) {
  Declaration found;
  if (!bytes.mid(start, 5).startsWith("<?xml")) return found;
  found.end = bytes.indexOf("?>", start);
  if (found.end < 0) return found;
  const QByteArray decl = bytes.mid(start, found.end - start);
  const qsizetype at = decl.indexOf("encoding");
  if (at < 0) return found;
  found.encodingAt = start + at;
  qsizetype i = at + 8;
  while (i < decl.size() && (decl[i] == ' ' || decl[i] == '\t' || decl[i] == '\r' ||
                             decl[i] == '\n' || decl[i] == '='))
    ++i;
  if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return found;
  const char quote = decl[i];
  const qsizetype close = decl.indexOf(quote, i + 1);
  if (close < 0) return found;
  found.valueStart = start + i + 1;
  found.valueLength = close - i - 1;
  return found;
}

// The value of encoding="..." in the XML declaration, lower case; empty when
// there is no declaration or no encoding in it.
QByteArray declaredEncoding(const QByteArray& bytes, qsizetype start) {
  const Declaration decl = findDeclaration(bytes, start);
  if (decl.valueStart < 0) return {};
  return bytes.mid(decl.valueStart, decl.valueLength).trimmed().toLower();
}

bool hasHighByte(const QByteArray& bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// `bytes` with a declaration that names Windows-1252: the value of the
// encoding there replaced, or an encoding added after the version, or a
// whole declaration put first when there is none.
QByteArray declareWindows1252(const QByteArray& bytes) {
  static const QByteArray name("windows-1252");
  QByteArray out = bytes;
  const qsizetype start = out.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  const Declaration decl = findDeclaration(out, start);
  if (decl.valueStart >= 0) return out.replace(decl.valueStart, decl.valueLength, name);
  if (decl.end >= 0) {
    // After the version when it comes before any stray "encoding", so that
    // the one added is the first the declaration holds.
    qsizetype at = start + 5;
    const qsizetype version = out.indexOf("version", start);
    const qsizetype limit = decl.encodingAt >= 0 ? decl.encodingAt : decl.end;
    if (version >= 0 && version < limit) {
      qsizetype open = version + 7;
      while (open < limit && out[open] != '"' && out[open] != '\'') ++open;
      const qsizetype close = open < limit ? out.indexOf(out[open], open + 1) : -1;
      if (close >= 0 && close < limit) at = close + 1;
    }
    return out.insert(at, " encoding=\"" + name + '"');
  }
  const QByteArray lineEnd = out.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
  return out.insert(start, "<?xml version=\"1.0\" encoding=\"" + name + "\"?>" + lineEnd);
}

// Line and column (from 1) of a byte offset, for error texts.
QString position(const QByteArray& bytes, std::ptrdiff_t offset, int language) {
  if (offset < 0) offset = 0;
  if (offset > bytes.size()) offset = bytes.size();
  int line = 1;
  int column = 1;
  for (std::ptrdiff_t i = 0; i < offset; ++i) {
    if (bytes[static_cast<qsizetype>(i)] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return pick(xmltext::kPosition, language).arg(line).arg(column);
}

// What the XML reader found wrong, in the user's language.
QString parseProblem(pugi::xml_parse_status status, int language) {
  using namespace xmltext;
  switch (status) {
    case pugi::status_unrecognized_tag:
      return pick(kParseTag, language);
    case pugi::status_bad_pi:
      return pick(kParsePi, language);
    case pugi::status_bad_comment:
      return pick(kParseComment, language);
    case pugi::status_bad_cdata:
      return pick(kParseCdata, language);
    case pugi::status_bad_doctype:
      return pick(kParseDoctype, language);
    case pugi::status_bad_pcdata:
      return pick(kParsePcdata, language);
    case pugi::status_bad_start_element:
      return pick(kParseStartTag, language);
    case pugi::status_bad_attribute:
      return pick(kParseAttribute, language);
    case pugi::status_bad_end_element:
      return pick(kParseEndTag, language);
    case pugi::status_end_element_mismatch:
      return pick(kParseMismatch, language);
    default:
      return pick(kParseUnknown, language);
  }
}

constexpr int kMaxErrorText = 511;

// Whether `text` holds an unpaired surrogate: UTF-16 data that no Unicode
// character stands for, which UTF-8 cannot carry.
qsizetype loneSurrogate(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      ++i;
    } else if (c.isSurrogate()) {
      return i;
    }
  }
  return -1;
}

}  // namespace

QString XmlDocument::errorText(int status, const QString& detail, int language) {
  using namespace xmltext;
  QString text;
  switch (status) {
    case XmlOk:
      text = pick(kNoError, language);
      break;
    case XmlCannotOpen:
      text = pick(kCannotOpen, language);
      break;
    case XmlMalformed:
      text = pick(kMalformed, language);
      break;
    case XmlNoRoot:
      text = pick(kNoRoot, language);
      break;
    case XmlSeveralRoots:
      text = pick(kSeveralRoots, language);
      break;
    case XmlTextOutsideRoot:
      text = pick(kTextOutsideRoot, language);
      break;
    case XmlUnsupportedEncoding:
      text = pick(kUnsupportedEncoding, language);
      break;
    case XmlCannotWrite:
      text = pick(kCannotWrite, language);
      break;
    case XmlMissingAttribute:
      text = pick(kMissingAttribute, language);
      break;
    case XmlNotEncodable:
      text = pick(kNotEncodable, language);
      break;
    case XmlOutOfMemory:
      text = pick(kOutOfMemory, language);
      break;
    default:
      text = pick(kOtherError, language).arg(status);
      break;
  }
  if (!detail.isEmpty()) text += QStringLiteral(": ") + detail;
  if (text.size() > kMaxErrorText) text.truncate(kMaxErrorText);
  return text;
}

XmlDocument::Loaded XmlDocument::loadFile(const QString& path, int language) {
  Loaded result;
  QFile file;
  if (path.isEmpty() || !openForReading(file, path)) {
    result.status = XmlCannotOpen;
    result.errorText =
        errorText(XmlCannotOpen, QStringLiteral("%1 (%2)").arg(path, file.errorString()), language);
    return result;
  }
  auto tooLarge = [&] {
    result.status = XmlCannotOpen;
    result.errorText = errorText(
        XmlCannotOpen,
        pick(xmltext::kTooLarge, language).arg(path).arg(kMaxFileSize / (1024 * 1024)), language);
    return result;
  };
  QByteArray bytes;
  const BoundedRead read = readBounded(file, kMaxFileSize, &bytes);
  if (read == BoundedRead::TooLarge) return tooLarge();
  if (read == BoundedRead::Failed) {
    result.status = XmlCannotOpen;
    result.errorText =
        errorText(XmlCannotOpen, QStringLiteral("%1 (%2)").arg(path, file.errorString()), language);
    return result;
  }
  return loadBytes(bytes, language);
}

XmlDocument::Loaded XmlDocument::loadBytes(const QByteArray& bytes, int language) {
  Loaded result;
  try {
    std::shared_ptr<XmlDocument> doc(new XmlDocument);

    // UTF-16 and UTF-32 files are worked on as UTF-8 and turned back on save.
    auto startsWith = [&](std::initializer_list<unsigned char> prefix) {
      if (bytes.size() < static_cast<qsizetype>(prefix.size())) return false;
      qsizetype i = 0;
      for (unsigned char b : prefix)
        if (static_cast<unsigned char>(bytes[i++]) != b) return false;
      return true;
    };
    QStringDecoder::Encoding wide = QStringDecoder::Utf8;
    qsizetype bom = 0;
    if (startsWith({0xFF, 0xFE, 0x00, 0x00})) {
      doc->outer_ = Outer::Utf32LE, wide = QStringDecoder::Utf32LE, bom = 4;
    } else if (startsWith({0x00, 0x00, 0xFE, 0xFF})) {
      doc->outer_ = Outer::Utf32BE, wide = QStringDecoder::Utf32BE, bom = 4;
    } else if (startsWith({0xFF, 0xFE})) {
      doc->outer_ = Outer::Utf16LE, wide = QStringDecoder::Utf16LE, bom = 2;
    } else if (startsWith({0xFE, 0xFF})) {
      doc->outer_ = Outer::Utf16BE, wide = QStringDecoder::Utf16BE, bom = 2;
    } else if (startsWith({'<', 0x00, '?', 0x00})) {
      doc->outer_ = Outer::Utf16LE, wide = QStringDecoder::Utf16LE;
    } else if (startsWith({0x00, '<', 0x00, '?'})) {
      doc->outer_ = Outer::Utf16BE, wide = QStringDecoder::Utf16BE;
    }
    if (doc->outer_ != Outer::Bytes) {
      QStringDecoder decoder(wide, QStringDecoder::Flag::Stateless);
      const QString text = decoder.decode(bytes.mid(bom));
      if (decoder.hasError()) {
        result.status = XmlUnsupportedEncoding;
        result.errorText =
            errorText(XmlUnsupportedEncoding, pick(xmltext::kInvalidWide, language), language);
        return result;
      }
      // The file is worked on as UTF-8 and written back from it, so what
      // UTF-8 cannot hold would come back changed: refuse it here instead.
      const qsizetype lone = loneSurrogate(text);
      if (lone >= 0) {
        result.status = XmlUnsupportedEncoding;
        result.errorText = errorText(XmlUnsupportedEncoding,
                                     pick(xmltext::kLoneSurrogate, language)
                                         .arg(text[lone].unicode(), 4, 16, QLatin1Char('0'))
                                         .arg(lone + 1),
                                     language);
        return result;
      }
      // An odd trailing byte and the like are dropped by the decoder: the
      // text must give back exactly the bytes read.
      QStringEncoder encoder(wide == QStringDecoder::Utf16LE   ? QStringEncoder::Utf16LE
                             : wide == QStringDecoder::Utf16BE ? QStringEncoder::Utf16BE
                             : wide == QStringDecoder::Utf32LE ? QStringEncoder::Utf32LE
                                                               : QStringEncoder::Utf32BE,
                             QStringEncoder::Flag::Stateless);
      if (QByteArray(encoder.encode(text)) != bytes.mid(bom)) {
        result.status = XmlUnsupportedEncoding;
        result.errorText =
            errorText(XmlUnsupportedEncoding, pick(xmltext::kIncompleteWide, language), language);
        return result;
      }
      doc->outerPrefix_ = bytes.left(bom);
      doc->original_ = text.toUtf8();
      doc->codec_ = Codec::Utf8;
    } else {
      doc->original_ = bytes;
      const qsizetype start = startsWith({0xEF, 0xBB, 0xBF}) ? 3 : 0;
      const QByteArray declared = declaredEncoding(bytes, start);
      if (declared.isEmpty() || declared == "utf-8" || declared == "utf8") {
        // Files from the instrument are Windows-1252 whatever they declare.
        doc->codec_ = validUtf8(bytes) ? Codec::Utf8 : Codec::Windows1252;
        doc->guessedWindows1252_ = doc->codec_ == Codec::Windows1252;
      } else {
        doc->codec_ = Codec::Windows1252;
      }
    }

    doc->parseSize_ = static_cast<std::size_t>(doc->original_.size());
    doc->parseBuffer_.reset(new char[doc->parseSize_ + 1]);
    std::memcpy(doc->parseBuffer_.get(), doc->original_.constData(), doc->parseSize_);
    doc->parseBuffer_[doc->parseSize_] = '\0';

    // References are left as written and resolved when a value is read, so a
    // value is always the file's own bytes in the file's own encoding.
    const unsigned flags = (pugi::parse_full | pugi::parse_ws_pcdata | pugi::parse_fragment) &
                           ~(pugi::parse_eol | pugi::parse_escapes);
    const pugi::xml_parse_result parsed = doc->document_.load_buffer_inplace(
        doc->parseBuffer_.get(), doc->parseSize_, flags, pugi::encoding_utf8);
    if (parsed.status == pugi::status_out_of_memory) {
      result.status = XmlOutOfMemory;
      result.errorText = errorText(XmlOutOfMemory, QString(), language);
      return result;
    }
    if (!parsed) {
      result.status = XmlMalformed;
      result.errorText = errorText(
          XmlMalformed,
          QStringLiteral("%1 (%2)").arg(parseProblem(parsed.status, language),
                                        position(doc->original_, parsed.offset, language)),
          language);
      return result;
    }

    // Fragment mode accepts anything; a document has exactly one root element
    // and nothing but blanks, comments and instructions around it.
    int roots = 0;
    for (pugi::xml_node node = doc->document_.first_child(); node; node = node.next_sibling()) {
      if (node.type() == pugi::node_element) {
        ++roots;
        if (!doc->root_) doc->root_ = node;
      } else if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        for (const char* p = node.value(); *p; ++p) {
          if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') {
            result.status = XmlTextOutsideRoot;
            result.errorText = errorText(
                XmlTextOutsideRoot,
                position(doc->original_,
                         node.value() - doc->parseBuffer_.get() + (p - node.value()), language),
                language);
            return result;
          }
        }
      }
    }
    if (roots == 0) {
      result.status = XmlNoRoot;
      result.errorText = errorText(XmlNoRoot, QString(), language);
      return result;
    }
    if (roots > 1) {
      result.status = XmlSeveralRoots;
      result.errorText = errorText(XmlSeveralRoots, QString(), language);
      return result;
    }
    doc->savedBytes_ = doc->bytes();
    result.document = std::move(doc);
    return result;
  } catch (const std::bad_alloc&) {
    result.document.reset();
    result.status = XmlOutOfMemory;
    result.errorText = errorText(XmlOutOfMemory, QString(), language);
    return result;
  }
}

QByteArray XmlDocument::bytes() const {
  QByteArray out;
  if (edits_.empty()) {
    out = original_;
  } else {
    out.reserve(original_.size() + 64);
    std::size_t from = 0;
    for (const auto& [offset, edit] : edits_) {
      out.append(original_.constData() + from, static_cast<qsizetype>(offset - from));
      out.append(edit.replacement);
      from = offset + edit.length;
    }
    out.append(original_.constData() + from, static_cast<qsizetype>(parseSize_ - from));
    // A file read as Windows-1252 only because it is not valid UTF-8 would be
    // read as UTF-8 once edits had taken away what made it invalid, and its
    // other texts would change: it says what it is instead.
    if (guessedWindows1252_ && hasHighByte(out) && validUtf8(out)) out = declareWindows1252(out);
  }
  if (outer_ == Outer::Bytes) return out;
  QStringEncoder::Encoding wide = QStringEncoder::Utf16LE;
  switch (outer_) {
    case Outer::Utf16BE:
      wide = QStringEncoder::Utf16BE;
      break;
    case Outer::Utf32LE:
      wide = QStringEncoder::Utf32LE;
      break;
    case Outer::Utf32BE:
      wide = QStringEncoder::Utf32BE;
      break;
    default:
      break;
  }
  QStringEncoder encoder(wide, QStringEncoder::Flag::Stateless);
  QByteArray encoded = encoder.encode(QString::fromUtf8(out));
  return outerPrefix_ + encoded;
}

int XmlDocument::save(const QString& path, QString* error, int language) const {
  QString reason;
  const QByteArray data = bytes();
  if (!writeFileWhole(path, data, &reason, language)) {
    if (error)
      *error = errorText(XmlCannotWrite, QStringLiteral("%1 (%2)").arg(path, reason), language);
    return XmlCannotWrite;
  }
  savedBytes_ = data;
  return XmlOk;
}

int XmlDocument::childCount(pugi::xml_node element) {
  int count = 0;
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) ++count;
  return count;
}

pugi::xml_node XmlDocument::childAt(pugi::xml_node element, int position) {
  if (position < 0) return {};
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (position-- == 0) return c;
  }
  return {};
}

pugi::xml_node XmlDocument::child(pugi::xml_node element, const char* tag) {
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && std::strcmp(c.name(), tag) == 0) return c;
  return {};
}

namespace {
template <typename Visit>
void eachDescendant(pugi::xml_node element, const char* tag, Visit visit) {
  if (!element) return;
  pugi::xml_node node = element.first_child();
  while (node) {
    if (node.type() == pugi::node_element && std::strcmp(node.name(), tag) == 0) visit(node);
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && node != element && !node.next_sibling()) node = node.parent();
    if (!node || node == element) break;
    node = node.next_sibling();
  }
}
}  // namespace

std::vector<pugi::xml_node> XmlDocument::descendants(pugi::xml_node element, const char* tag) {
  std::vector<pugi::xml_node> found;
  eachDescendant(element, tag, [&](pugi::xml_node n) { found.push_back(n); });
  return found;
}

int XmlDocument::descendantCount(pugi::xml_node element, const char* tag) {
  int count = 0;
  eachDescendant(element, tag, [&](pugi::xml_node) { ++count; });
  return count;
}

int XmlDocument::attributeCount(pugi::xml_node element) {
  int count = 0;
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) ++count;
  return count;
}

pugi::xml_attribute XmlDocument::attributeAt(pugi::xml_node element, int position) {
  if (position < 0) return {};
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
    if (position-- == 0) return a;
  return {};
}

QString XmlDocument::decode(const char* raw) const {
  if (!raw) return {};
  const QString text =
      codec_ == Codec::Utf8 ? QString::fromUtf8(raw) : decodeCp1252(raw, std::strlen(raw));
  return text.contains(u'&') ? resolveReferences(text) : text;
}

QByteArray XmlDocument::encode(const QString& text, bool* ok) const {
  if (codec_ == Codec::Utf8) {
    *ok = true;
    return text.toUtf8();
  }
  QByteArray out;
  *ok = encodeCp1252(text, &out);
  return out;
}

QString XmlDocument::tag(pugi::xml_node element) const { return decode(element.name()); }
QString XmlDocument::text(pugi::xml_node element) const { return decode(element.text().get()); }
QString XmlDocument::name(pugi::xml_attribute attribute) const { return decode(attribute.name()); }
QString XmlDocument::value(pugi::xml_attribute attribute) const {
  return decode(attribute.value());
}

QString XmlDocument::encodingName() const {
  switch (outer_) {
    case Outer::Utf16LE:
      return QStringLiteral("UTF-16LE");
    case Outer::Utf16BE:
      return QStringLiteral("UTF-16BE");
    case Outer::Utf32LE:
      return QStringLiteral("UTF-32LE");
    case Outer::Utf32BE:
      return QStringLiteral("UTF-32BE");
    default:
      break;
  }
  return codec_ == Codec::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("windows-1252");
}

int XmlDocument::setValue(pugi::xml_attribute attribute, const QString& text, QString* error,
                          int language) {
  if (!attribute) {
    if (error) *error = errorText(XmlMissingAttribute, QString(), language);
    return XmlMissingAttribute;
  }
  bool ok = false;
  const QByteArray raw = encode(text, &ok);
  if (!ok) {
    if (error) *error = errorText(XmlNotEncodable, encodingName(), language);
    return XmlNotEncodable;
  }
  if (raw.contains('\0')) {
    if (error)
      *error = errorText(XmlNotEncodable, pick(xmltext::kNulCharacter, language), language);
    return XmlNotEncodable;
  }
  // Writing back the value it already holds leaves its bytes alone.
  if (value(attribute) == text) return XmlOk;

  std::size_t offset = 0;
  std::size_t length = 0;
  char quote = '"';
  if (!locate(attribute, &offset, &length, &quote)) {
    if (error) *error = errorText(XmlMissingAttribute, QString(), language);
    return XmlMissingAttribute;
  }

  QByteArray escaped;
  escaped.reserve(raw.size() + 8);
  for (char c : raw) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += quote == '"' ? QByteArray("&quot;") : QByteArray("\"");
        break;
      case '\'':
        escaped += quote == '\'' ? QByteArray("&apos;") : QByteArray("'");
        break;
      case '\t':
        escaped += "&#9;";
        break;
      case '\n':
        escaped += "&#10;";
        break;
      case '\r':
        escaped += "&#13;";
        break;
      default:
        escaped += c;
        break;
    }
  }
  if (!attribute.set_value(escaped.constData())) {
    if (error) *error = errorText(XmlOutOfMemory);
    return XmlOutOfMemory;
  }
  Edit& edit = edits_[offset];
  edit.length = length;
  edit.replacement = escaped;
  return XmlOk;
}

bool XmlDocument::locate(pugi::xml_attribute attribute, std::size_t* offset, std::size_t* length,
                         char* quote) {
  if (!attribute) return false;
  // Where the value stands in the bytes read: an attribute not yet set still
  // points into the parse buffer, which is a copy of those bytes.
  auto* key = attribute.internal_object();
  auto known = offsets_.find(key);
  if (known != offsets_.end()) {
    *offset = known->second;
  } else {
    const char* v = attribute.value();
    const char* base = parseBuffer_.get();
    if (v < base || v > base + parseSize_ || v == base) return false;
    *offset = static_cast<std::size_t>(v - base);
    offsets_.emplace(key, *offset);
  }
  const char q = original_[static_cast<qsizetype>(*offset) - 1];
  const qsizetype close = original_.indexOf(q, static_cast<qsizetype>(*offset));
  if ((q != '"' && q != '\'') || close < 0) return false;
  *length = static_cast<std::size_t>(close) - *offset;
  *quote = q;
  return true;
}

XmlDocument::RawValue XmlDocument::rawValue(pugi::xml_attribute attribute) {
  RawValue out;
  std::size_t offset = 0;
  std::size_t length = 0;
  char quote = '"';
  if (!locate(attribute, &offset, &length, &quote)) return out;
  out.valid = true;
  out.treeValue = attribute.value();
  const auto edit = edits_.find(offset);
  if (edit != edits_.end()) {
    out.edited = true;
    out.replacement = edit->second.replacement;
  }
  return out;
}

void XmlDocument::restoreRawValue(pugi::xml_attribute attribute, const RawValue& value) {
  std::size_t offset = 0;
  std::size_t length = 0;
  char quote = '"';
  if (!value.valid || !locate(attribute, &offset, &length, &quote)) return;
  attribute.set_value(value.treeValue.constData());
  if (value.edited) {
    edits_[offset] = Edit{length, value.replacement};
  } else {
    edits_.erase(offset);
  }
}

}  // namespace karvel
