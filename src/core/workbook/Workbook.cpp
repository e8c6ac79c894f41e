// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/workbook/Workbook.h"
#include "core/frame/BoundedRead.h"
#include "core/frame/SafeWrite.h"

#include <zip.h>
#include <zlib.h>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryFile>
#include <QTimeZone>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

namespace karvel {

namespace {

constexpr const char* kRelationshipOfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr const char* kRelationshipWorksheet =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char* kRelationshipStyles =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* kRelationshipCore =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
constexpr const char* kNamespaceRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kNamespaceDcTerms = "http://purl.org/dc/terms/";
constexpr const char* kNamespaceXsi = "http://www.w3.org/2001/XMLSchema-instance";
constexpr const char* kContentTypeWorksheet =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

// Owns a zip_t and discards it (nothing written) unless closed explicitly.
struct ZipArchive {
  zip_t* zip = nullptr;
  ~ZipArchive() {
    if (zip) zip_discard(zip);
  }
};

struct ZipSource {
  zip_source_t* source = nullptr;
  ~ZipSource() {
    if (source) zip_source_free(source);
  }
};

// Opens a read-only archive on bytes that the caller keeps alive.
zip_t* openArchive(const QByteArray& bytes, QString* error) {
  zip_error_t zerr;
  zip_error_init(&zerr);
  zip_source_t* source = zip_source_buffer_create(
      bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &zerr);
  if (!source) {
    *error = QString::fromUtf8(zip_error_strerror(&zerr));
    zip_error_fini(&zerr);
    return nullptr;
  }
  zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &zerr);
  if (!zip) {
    *error =
        QStringLiteral("not a workbook (%1)").arg(QString::fromUtf8(zip_error_strerror(&zerr)));
    zip_source_free(source);
  }
  zip_error_fini(&zerr);
  return zip;
}

bool readEntry(zip_t* zip, const std::string& name, std::string* out) {
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat(zip, name.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) return false;
  if (st.size > static_cast<zip_uint64_t>(WorkbookFile::kMaxFileSize) * 4) return false;
  zip_file_t* file = zip_fopen(zip, name.c_str(), 0);
  if (!file) return false;
  out->assign(static_cast<std::size_t>(st.size), '\0');
  const zip_int64_t got = st.size ? zip_fread(file, out->data(), st.size) : 0;
  zip_fclose(file);
  return got == static_cast<zip_int64_t>(st.size);
}

std::string_view localName(const char* name) {
  std::string_view n(name);
  const auto colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

// The attribute whose local name is `local` (relationship ids come with
// whatever prefix the producer gave their namespace).
pugi::xml_attribute attributeByLocalName(pugi::xml_node node, const char* local) {
  for (pugi::xml_attribute a : node.attributes())
    if (localName(a.name()) == local) return a;
  return {};
}

// Resolves a relationship target against the folder of the part that owns it.
std::string resolvePart(const std::string& ownerFolder, std::string target) {
  std::string path =
      (!target.empty() && target[0] == '/') ? target.substr(1) : ownerFolder + target;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string piece = path.substr(start, slash - start);
    if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!piece.empty() && piece != ".") {
      parts.push_back(piece);
    }
    start = slash + 1;
  }
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

std::string folderOf(const std::string& part) {
  const auto slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// Target of the first relationship of `type` (or with `id`) in a .rels part.
std::string relationshipTarget(const std::string& relsXml, const char* type, const char* id) {
  pugi::xml_document doc;
  if (!doc.load_buffer(relsXml.data(), relsXml.size())) return {};
  for (pugi::xml_node rel : doc.document_element().children()) {
    if (localName(rel.name()) != "Relationship") continue;
    if (type && std::strcmp(rel.attribute("Type").value(), type) != 0) continue;
    if (id && std::strcmp(rel.attribute("Id").value(), id) != 0) continue;
    return rel.attribute("Target").value();
  }
  return {};
}

bool isHex(char32_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// How a text's characters that XML forbids are written.
enum class Forbidden {
  // Spreadsheet programs read "_xHHHH_" back in cells (and in the other
  // texts of the sheet data), so the text comes back as written.
  CellEscape,
  // Chart texts and names have no such escape: the character becomes
  // U+FFFD, the mark of one that cannot be shown.
  Replace,
};

// Every text that goes into the workbook's XML (cells, sheet and defined
// names, chart titles, series and references, number formats) is written
// here, so that no part ever holds a character XML forbids: a control
// character copied from a result file would make the whole workbook
// unreadable. In cells a literal "_xHHHH_" gets its underscore escaped so it
// reads back as written, and a carriage return is escaped too, since XML
// parsers turn it into a line feed. A lone surrogate has no character to
// stand for and becomes U+FFFD either way.
std::string sheetXmlText(const QString& text, Forbidden how) {
  QString out;
  out.reserve(text.size());
  const auto ucs4 = text.toUcs4();
  for (qsizetype i = 0; i < ucs4.size(); ++i) {
    const char32_t c = ucs4[i];
    if (how == Forbidden::CellEscape && c == u'_' && i + 6 < ucs4.size() && ucs4[i + 1] == u'x' &&
        ucs4[i + 6] == u'_' && isHex(ucs4[i + 2]) && isHex(ucs4[i + 3]) && isHex(ucs4[i + 4]) &&
        isHex(ucs4[i + 5])) {
      out += QStringLiteral("_x005F_");
    } else if (how == Forbidden::CellEscape && (!xmlAllows(c) || c == 0xD)) {
      out += QStringLiteral("_x%1_").arg(QString::number(static_cast<uint>(c), 16).toUpper(), 4,
                                         QChar(u'0'));
    } else if (!xmlAllows(c)) {
      out += QChar::ReplacementCharacter;
    } else {
      out += QString::fromUcs4(&c, 1);
    }
  }
  return out.toStdString();
}

// The same text escaped for markup that is assembled as text (a chart).
QString sheetXmlMarkup(const QString& text) {
  return QString::fromStdString(sheetXmlText(text, Forbidden::Replace)).toHtmlEscaped();
}

// The first character XML forbids in UTF-8 text (or the first byte that is
// not UTF-8), as "U+HHHH at byte N"; empty when there is none.
QString forbiddenCharacterIn(std::string_view utf8, std::size_t base = 0) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  for (std::size_t i = 0; i < size;) {
    const unsigned char lead = bytes[i];
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    char32_t c = length == 1   ? lead
                 : length == 2 ? lead & 0x1F
                 : length == 3 ? lead & 0x0F
                               : lead & 0x07;
    bool valid = length != 0 && i + length <= size;
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (bytes[i + k] & 0xC0) == 0x80;
      c = (c << 6) | (bytes[i + k] & 0x3F);
    }
    if (!valid) return QStringLiteral("a byte that is not UTF-8 at byte %1").arg(base + i);
    if (!xmlAllows(c))
      return QStringLiteral("U+%1 at byte %2")
          .arg(QString::number(static_cast<uint>(c), 16).toUpper(), 4, QChar(u'0'))
          .arg(base + i);
    i += length;
  }
  return {};
}

// What every part written starts with.
constexpr const char* kPartDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

// The prefix (with its colon) an element uses for namespace `uri`, declaring
// `wanted` on the root when the document has none yet.
std::string prefixFor(pugi::xml_node root, const char* uri, const char* wanted) {
  for (pugi::xml_attribute a : root.attributes()) {
    const std::string_view name(a.name());
    if (std::strcmp(a.value(), uri) != 0) continue;
    if (name == "xmlns") return {};
    if (name.substr(0, 6) == "xmlns:") return std::string(name.substr(6)) + ':';
  }
  root.append_attribute((std::string("xmlns:") + wanted).c_str()).set_value(uri);
  return std::string(wanted) + ':';
}

std::string elementPrefix(pugi::xml_node node) {
  const std::string_view name(node.name());
  const auto colon = name.find(':');
  return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

// A sheet name as a formula writes it: quoted when it holds anything but
// letters, digits and underscores.
QString sheetReference(const QString& name) {
  for (QChar c : name)
    if (!c.isLetterOrNumber() && c != u'_')
      return u'\'' + QString(name).replace(u'\'', "''") + u'\'';
  return name;
}

// A relationship target from the folder `from` to the part `to`.
std::string relativeTarget(const std::string& from, const std::string& to) {
  if (to.compare(0, from.size(), from) == 0) return to.substr(from.size());
  return '/' + to;
}

std::string numberText(double value) {
  return QString::number(value, 'g', QLocale::FloatingPointShortest).toStdString();
}

// Adds a relationship of `type` to `target`; gives its id.
std::string addRelationship(pugi::xml_node root, const char* type, const std::string& target) {
  std::string id;
  for (int n = 1;; ++n) {
    id = "rId" + std::to_string(n);
    bool taken = false;
    for (pugi::xml_node r : root.children())
      if (id == r.attribute("Id").value()) taken = true;
    if (!taken) break;
  }
  pugi::xml_node relation = root.append_child((elementPrefix(root) + "Relationship").c_str());
  relation.append_attribute("Id").set_value(id.c_str());
  relation.append_attribute("Type").set_value(type);
  relation.append_attribute("Target").set_value(target.c_str());
  return id;
}

void addOverride(pugi::xml_node types, const std::string& part, const char* contentType) {
  pugi::xml_node o = types.append_child((elementPrefix(types) + "Override").c_str());
  o.append_attribute("PartName").set_value(('/' + part).c_str());
  o.append_attribute("ContentType").set_value(contentType);
}

// A piece of a sheet's packed rows: their text deflated, and its length.
// The deflated bytes wait in the workbook's spool file (at `offset`, of
// `length` bytes), or here when no spool file could be had.
struct PackedChunk {
  QByteArray deflated;
  qint64 offset = -1;
  qint64 length = 0;
  std::size_t size = 0;
};

// What a sheet with packed rows gives the archive: its text up to the rows,
// the rows unpacked one chunk at a time, and its text after them. It reads
// and states itself as a buffer of the same bytes would, so the archive
// compresses it the same way.
struct PackedReader {
  std::string_view head, tail;
  const std::vector<PackedChunk>* chunks = nullptr;
  QFile* spool = nullptr;
  QByteArray spooled;       // the deflated chunk read back from the spool file
  std::size_t segment = 0;  // 0 the head, 1..n the chunks, n + 1 the tail
  std::size_t offset = 0;
  std::string unpacked;  // the chunk being read
  zip_uint64_t size = 0;
  time_t mtime = 0;
  zip_error_t error;

  // The segment being read; false past the end or when a chunk is damaged.
  bool current(std::string_view* out) {
    if (segment == 0) {
      *out = head;
    } else if (segment <= chunks->size()) {
      const PackedChunk& chunk = (*chunks)[segment - 1];
      if (unpacked.size() != chunk.size) {
        const QByteArray* deflated = &chunk.deflated;
        if (chunk.offset >= 0) {
          if (!spool || !spool->seek(chunk.offset)) return false;
          spooled.resize(static_cast<qsizetype>(chunk.length));
          if (spool->read(spooled.data(), chunk.length) != chunk.length) return false;
          deflated = &spooled;
        }
        unpacked.assign(chunk.size, '\0');
        uLongf length = static_cast<uLongf>(chunk.size);
        if (uncompress(reinterpret_cast<Bytef*>(unpacked.data()), &length,
                       reinterpret_cast<const Bytef*>(deflated->constData()),
                       static_cast<uLong>(deflated->size())) != Z_OK ||
            length != chunk.size) {
          unpacked.clear();
          return false;
        }
      }
      *out = unpacked;
    } else if (segment == chunks->size() + 1) {
      *out = tail;
    } else {
      *out = {};
    }
    return true;
  }
  zip_int64_t read(char* data, zip_uint64_t length) {
    zip_uint64_t done = 0;
    while (done < length && segment <= chunks->size() + 1) {
      std::string_view piece;
      if (!current(&piece)) {
        zip_error_set(&error, ZIP_ER_INTERNAL, 0);
        return -1;
      }
      const std::size_t n = std::min<std::size_t>(piece.size() - offset, length - done);
      std::memcpy(data + done, piece.data() + offset, n);
      done += n;
      offset += n;
      if (offset == piece.size()) {
        ++segment;
        offset = 0;
        unpacked.clear();
      }
    }
    return static_cast<zip_int64_t>(done);
  }
};

zip_int64_t packedReaderCommand(void* state, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
  auto* reader = static_cast<PackedReader*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      reader->segment = 0;
      reader->offset = 0;
      return 0;
    case ZIP_SOURCE_READ:
      return reader->read(static_cast<char*>(data), length);
    case ZIP_SOURCE_CLOSE:
      reader->unpacked = std::string();
      reader->spooled = QByteArray();
      return 0;
    case ZIP_SOURCE_STAT: {
      if (length < sizeof(zip_stat_t)) {
        zip_error_set(&reader->error, ZIP_ER_INVAL, 0);
        return -1;
      }
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      st->mtime = reader->mtime;
      st->size = reader->size;
      st->comp_size = reader->size;
      st->comp_method = ZIP_CM_STORE;
      st->encryption_method = ZIP_EM_NONE;
      st->valid = ZIP_STAT_MTIME | ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD |
                  ZIP_STAT_ENCRYPTION_METHOD;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&reader->error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&reader->error);
      delete reader;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&reader->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

// The source of a sheet with packed rows; the texts must outlive the archive's closing.
zip_source_t* packedSource(zip_t* zip, std::string_view head,
                           const std::vector<PackedChunk>& chunks, QFile* spool,
                           std::string_view tail) {
  auto* reader = new PackedReader;
  reader->head = head;
  reader->tail = tail;
  reader->chunks = &chunks;
  reader->spool = spool;
  reader->size = head.size() + tail.size();
  for (const PackedChunk& chunk : chunks) reader->size += chunk.size;
  reader->mtime = time(nullptr);
  zip_error_init(&reader->error);
  zip_source_t* source = zip_source_function(zip, packedReaderCommand, reader);
  if (!source) {
    zip_error_fini(&reader->error);
    delete reader;
  }
  return source;
}

// A new archive written straight into a file as libzip makes it, instead of
// into memory first: it goes back only to complete entries' headers.
struct SinkTarget {
  WholeFileSink* sink = nullptr;
  qint64 end = 0;  // the furthest byte written
  zip_error_t error;
};

zip_int64_t sinkTargetCommand(void* state, void* data, zip_uint64_t length,
                              zip_source_cmd_t command) {
  auto* target = static_cast<SinkTarget*>(state);
  WholeFileSink& sink = *target->sink;
  switch (command) {
    case ZIP_SOURCE_STAT: {
      // Empty: the archive is a new one.
      if (length < sizeof(zip_stat_t)) {
        zip_error_set(&target->error, ZIP_ER_INVAL, 0);
        return -1;
      }
      auto* st = static_cast<zip_stat_t*>(data);
      zip_stat_init(st);
      st->size = 0;
      st->valid = ZIP_STAT_SIZE;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
      return 0;
    case ZIP_SOURCE_WRITE:
      if (!sink.write(static_cast<const char*>(data), static_cast<qint64>(length))) {
        zip_error_set(&target->error, ZIP_ER_WRITE, 0);
        return -1;
      }
      target->end = std::max(target->end, sink.position());
      return static_cast<zip_int64_t>(length);
    case ZIP_SOURCE_SEEK_WRITE: {
      const zip_int64_t offset = zip_source_seek_compute_offset(
          static_cast<zip_uint64_t>(sink.position()), static_cast<zip_uint64_t>(target->end), data,
          length, &target->error);
      if (offset < 0) return -1;
      if (!sink.seek(offset)) {
        zip_error_set(&target->error, ZIP_ER_SEEK, 0);
        return -1;
      }
      return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
      return sink.position();
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&target->error, data, length);
    case ZIP_SOURCE_FREE:
      zip_error_fini(&target->error);
      delete target;
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(
          ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
          ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_BEGIN_WRITE,
          ZIP_SOURCE_WRITE, ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE,
          ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    default:
      zip_error_set(&target->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

zip_source_t* sinkTarget(WholeFileSink& sink, zip_error_t* error) {
  auto* target = new SinkTarget;
  target->sink = &sink;
  zip_error_init(&target->error);
  zip_source_t* source = zip_source_function_create(sinkTargetCommand, target, error);
  if (!source) {
    zip_error_fini(&target->error);
    delete target;
  }
  return source;
}

}  // namespace

bool xmlAllows(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

QString cellReference(int row, int column) {
  QString letters;
  for (int c = column; c > 0; c = (c - 1) / 26) letters.prepend(QChar(u'A' + (c - 1) % 26));
  return letters + QString::number(row);
}

bool parseCellReference(const QString& text, int* row, int* column) {
  qsizetype i = 0;
  long long col = 0;
  while (i < text.size() && text[i].isLetter() && text[i].unicode() < 128) {
    col = col * 26 + (text[i].toUpper().unicode() - u'A' + 1);
    if (col > WorkbookFile::kMaxColumn) return false;
    ++i;
  }
  if (i == 0 || i == text.size()) return false;
  long long r = 0;
  for (; i < text.size(); ++i) {
    if (!text[i].isDigit() || text[i].unicode() >= 128) return false;
    r = r * 10 + (text[i].unicode() - u'0');
    if (r > WorkbookFile::kMaxRow) return false;
  }
  if (r < 1) return false;
  *row = static_cast<int>(r);
  *column = static_cast<int>(col);
  return true;
}

QString CellLook::key() const {
  return QStringLiteral("%1|%2|%3|%4")
      .arg(numberFormat, fillRgb)
      .arg(bold ? 1 : 0)
      .arg(static_cast<int>(align));
}

// One XML part of the package that may be changed.
struct WorkbookFile::Part {
  pugi::xml_document doc;
  bool touched = false;
  bool added = false;  // not in the package read
  // A part finished when made (a chart): its saved text, kept instead of a
  // tree, which takes many times the memory.
  std::string text;
};

struct WorkbookFile::Sheet {
  std::string part;
  pugi::xml_node entry;  // its <sheet> element in the workbook part
  Part* xml = nullptr;   // null until cells are written into it
  pugi::xml_node data;   // <sheetData>
  std::string prefix;    // namespace prefix of the sheet's elements ("" or "x:")
  std::map<int, pugi::xml_node> rows;
  std::map<int, std::pair<int, int>> columnRanges;  // first column -> (last column, style)

  // Rows above `packedBelow` are no longer in the tree: their XML text is
  // kept deflated in chunks, and goes where `packedMark` stands (the first
  // child of the cell data) when the sheet is saved.
  int packedBelow = 1;
  std::vector<PackedChunk> packed;
  std::size_t packedSize = 0;
  pugi::xml_node packedMark;
  // The packed cells' extent, as usedRange reads the rows: the first cell's
  // row, the last cell's row, the columns' least and greatest.
  int packedFirstRow = 0, packedLastRow = 0, packedMinColumn = 0, packedMaxColumn = 0;
  QString packedFault;  // the first character XML forbids in the packed text
};

WorkbookFile::WorkbookFile() = default;
WorkbookFile::~WorkbookFile() = default;

std::unique_ptr<WorkbookFile> WorkbookFile::load(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return nullptr;
  }
  // readAll() would take a read error half-way for the end of the file.
  QByteArray bytes;
  const BoundedRead read = readBounded(file, kMaxFileSize, &bytes);
  if (read == BoundedRead::TooLarge) {
    *error = QStringLiteral("%1: file too large for a workbook").arg(path);
    return nullptr;
  }
  if (read == BoundedRead::Failed) {
    *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return nullptr;
  }
  auto book = fromBytes(bytes, error);
  if (!book) *error = QStringLiteral("%1: %2").arg(path, *error);
  return book;
}

std::unique_ptr<WorkbookFile> WorkbookFile::fromBytes(const QByteArray& bytes, QString* error) {
  std::unique_ptr<WorkbookFile> book(new WorkbookFile);
  book->package_ = bytes;
  if (!book->readPackage(error) || !book->loadSheet(*book->sheets_.front(), error)) return nullptr;
  return book;
}

WorkbookFile::Part* WorkbookFile::part(const std::string& name, QString* error) {
  auto it = parts_.find(name);
  if (it != parts_.end()) return it->second.get();
  ZipArchive archive;
  archive.zip = openArchive(package_, error);
  std::string xml;
  if (!archive.zip || !readEntry(archive.zip, name, &xml)) {
    if (error && archive.zip)
      *error = QStringLiteral("part %1 missing").arg(QString::fromStdString(name));
    return nullptr;
  }
  auto made = std::make_unique<Part>();
  // Blank-only texts (a cell holding " ") are content; keep them.
  const pugi::xml_parse_result parsed = made->doc.load_buffer(
      xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
  if (!parsed || !made->doc.document_element()) {
    if (error)
      *error = QStringLiteral("damaged part %1 (%2)")
                   .arg(QString::fromStdString(name), QString::fromUtf8(parsed.description()));
    return nullptr;
  }
  Part* raw = made.get();
  parts_.emplace(name, std::move(made));
  return raw;
}

bool WorkbookFile::readPackage(QString* error) {
  ZipArchive archive;
  archive.zip = openArchive(package_, error);
  if (!archive.zip) return false;
  const zip_int64_t count = zip_get_num_entries(archive.zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(archive.zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (name) entries_.emplace_back(name);
  }

  // Package relationships -> workbook part -> its sheets.
  std::string rels;
  if (!readEntry(archive.zip, "_rels/.rels", &rels)) {
    *error = QStringLiteral("not a workbook (no package relationships)");
    return false;
  }
  workbookPart_ = resolvePart("", relationshipTarget(rels, kRelationshipOfficeDocument, nullptr));
  const std::string core = relationshipTarget(rels, kRelationshipCore, nullptr);
  if (!core.empty()) corePart_ = resolvePart("", core);
  Part* workbook = workbookPart_.empty() ? nullptr : part(workbookPart_, nullptr);
  if (!workbook) {
    *error = QStringLiteral("not a workbook (no workbook part)");
    return false;
  }
  const std::string folder = folderOf(workbookPart_);
  workbookRelsPart_ = folder + "_rels/" + workbookPart_.substr(folder.size()) + ".rels";
  std::string workbookRels;
  readEntry(archive.zip, workbookRelsPart_, &workbookRels);
  const std::string styles = relationshipTarget(workbookRels, kRelationshipStyles, nullptr);
  if (!styles.empty()) stylesPart_ = resolvePart(folder, styles);
  for (pugi::xml_node n : workbook->doc.document_element().children()) {
    if (localName(n.name()) != "sheets") continue;
    for (pugi::xml_node s : n.children()) {
      if (localName(s.name()) != "sheet") continue;
      const char* id = attributeByLocalName(s, "id").value();
      const std::string target =
          *id ? relationshipTarget(workbookRels, kRelationshipWorksheet, id) : std::string();
      auto sheet = std::make_unique<Sheet>();
      sheet->entry = s;
      sheet->part = target.empty() ? std::string() : resolvePart(folder, target);
      sheets_.push_back(std::move(sheet));
    }
  }
  if (sheets_.empty() || sheets_.front()->part.empty()) {
    *error = QStringLiteral("not a workbook (no worksheet)");
    return false;
  }
  return true;
}

bool WorkbookFile::loadSheet(Sheet& sheet, QString* error) {
  if (sheet.xml) return true;
  QString why;
  Part* xml = sheet.part.empty() ? nullptr : part(sheet.part, &why);
  if (!xml) {
    *error = QStringLiteral("not a workbook (sheet missing: %1)").arg(why);
    return false;
  }
  pugi::xml_node root = xml->doc.document_element();
  if (localName(root.name()) != "worksheet") {
    *error = QStringLiteral("sheet is not a worksheet");
    return false;
  }
  sheet.prefix = elementPrefix(root);
  auto child = [](pugi::xml_node parent, const char* local) {
    for (pugi::xml_node n : parent.children())
      if (localName(n.name()) == local) return n;
    return pugi::xml_node();
  };
  sheet.data = child(root, "sheetData");
  if (!sheet.data) {
    *error = QStringLiteral("damaged worksheet (no cell data)");
    return false;
  }
  // Rows and cells may leave out their position (it then follows the one
  // before); write every position out so that inserting stays simple.
  int lastRow = 0;
  for (pugi::xml_node row : sheet.data.children()) {
    if (localName(row.name()) != "row") continue;
    int r = row.attribute("r").as_int(lastRow + 1);
    if (r <= lastRow || r > kMaxRow) {
      *error = QStringLiteral("damaged worksheet (rows out of order)");
      return false;
    }
    if (!row.attribute("r")) row.prepend_attribute("r").set_value(r);
    sheet.rows[r] = row;
    lastRow = r;
    int lastColumn = 0;
    for (pugi::xml_node cell : row.children()) {
      if (localName(cell.name()) != "c") continue;
      int cr = r, cc = lastColumn + 1;
      if (cell.attribute("r") &&
          !parseCellReference(QString::fromUtf8(cell.attribute("r").value()), &cr, &cc)) {
        *error = QStringLiteral("damaged worksheet (bad cell reference)");
        return false;
      }
      if (cr != r || cc <= lastColumn) {
        *error = QStringLiteral("damaged worksheet (cells out of order)");
        return false;
      }
      if (!cell.attribute("r"))
        cell.prepend_attribute("r").set_value(cellReference(r, cc).toLatin1().constData());
      lastColumn = cc;
    }
  }
  if (pugi::xml_node cols = child(root, "cols")) {
    for (pugi::xml_node col : cols.children()) {
      if (localName(col.name()) != "col") continue;
      const int min = col.attribute("min").as_int(0), max = col.attribute("max").as_int(0);
      if (min >= 1 && max >= min) sheet.columnRanges[min] = {max, col.attribute("style").as_int(0)};
    }
  }
  sheet.xml = xml;
  return true;
}

QString WorkbookFile::sheetName(int index) const {
  if (index < 0 || index >= sheetCount()) return {};
  return QString::fromUtf8(
      sheets_[static_cast<std::size_t>(index)]->entry.attribute("name").value());
}

int WorkbookFile::sheetId(int index) const {
  if (index < 0 || index >= sheetCount()) return -1;
  return sheets_[static_cast<std::size_t>(index)]->entry.attribute("sheetId").as_int(-1);
}

int WorkbookFile::sheetIndex(int id) const {
  for (int i = 0; i < sheetCount(); ++i)
    if (sheetId(i) == id) return i;
  return -1;
}

bool WorkbookFile::sheetNameFree(const QString& name, int except) const {
  for (int i = 0; i < sheetCount(); ++i)
    if (i != except && sheetName(i).compare(name, Qt::CaseInsensitive) == 0) return false;
  return true;
}

namespace {
bool allowedSheetName(const QString& name) {
  if (name.isEmpty() || name.size() > WorkbookFile::kMaxSheetName) return false;
  if (name.startsWith(u'\'') || name.endsWith(u'\'')) return false;
  for (QChar c : name)
    if (QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20) return false;
  // A name is shown as written, or not at all.
  if (!name.isValidUtf16()) return false;
  for (char32_t c : name.toUcs4())
    if (!xmlAllows(c)) return false;
  return name.compare(QLatin1String("History"), Qt::CaseInsensitive) != 0;
}
}  // namespace

void WorkbookFile::renameReferences(const QString& oldName, const QString& newName) {
  Part* workbook = parts_.at(workbookPart_).get();
  const QString from = sheetReference(oldName) + u'!';
  for (pugi::xml_node n : workbook->doc.document_element().children()) {
    if (localName(n.name()) != "definedNames") continue;
    for (pugi::xml_node d : n.children()) {
      const QString text = QString::fromUtf8(d.text().get());
      if (text.startsWith(from))
        d.text().set(
            sheetXmlText(sheetReference(newName) + u'!' + text.mid(from.size()), Forbidden::Replace)
                .c_str());
    }
  }
}

bool WorkbookFile::renameSheet(int index, const QString& name, QString* error) {
  if (index < 0 || index >= sheetCount()) return false;
  if (!allowedSheetName(name) || !sheetNameFree(name, index)) {
    *error = QStringLiteral("sheet name \"%1\" is taken or not allowed").arg(name);
    return false;
  }
  const QString old = sheetName(index);
  Sheet& sheet = *sheets_[static_cast<std::size_t>(index)];
  sheet.entry.attribute("name").set_value(sheetXmlText(name, Forbidden::Replace).c_str());
  renameReferences(old, name);
  parts_.at(workbookPart_)->touched = true;
  return true;
}

int WorkbookFile::addSheet(const QString& name, int position, int copyOf, QString* error) {
  if (!allowedSheetName(name) || !sheetNameFree(name, -1)) {
    *error = QStringLiteral("sheet name \"%1\" is taken or not allowed").arg(name);
    return -1;
  }
  if (copyOf >= sheetCount()) return -1;
  position = std::clamp(position, 0, sheetCount());
  Part* workbook = parts_.at(workbookPart_).get();
  Part* rels = part(workbookRelsPart_, error);
  Part* types = part("[Content_Types].xml", error);
  if (!rels || !types) return -1;

  // The new part: beside the first sheet, under a number no part uses.
  const std::string folder = folderOf(sheets_.front()->part);
  const std::string partName = newPartName(folder, "sheet", ".xml");
  auto made = std::make_unique<Part>();
  made->added = true;
  made->touched = true;
  if (copyOf >= 0) {
    Sheet& source = *sheets_[static_cast<std::size_t>(copyOf)];
    if (!loadSheet(source, error)) return -1;
    if (!source.packed.empty()) {
      *error = QStringLiteral("a sheet whose rows are packed cannot be copied");
      return -1;
    }
    StringWriter copy;
    source.xml->doc.save(copy, "", pugi::format_raw, pugi::encoding_utf8);
    made->doc.load_buffer(copy.out.data(), copy.out.size(),
                          pugi::parse_default | pugi::parse_ws_pcdata_single);
    // What the source links to (drawings, printer settings) is not copied,
    // nor is its being the selected tab.
    std::vector<pugi::xml_node> linked;
    for (pugi::xml_node n = made->doc.document_element().first_child(); n;) {
      pugi::xml_node next = n.next_sibling();
      for (pugi::xml_attribute a = n.first_attribute(); a;) {
        pugi::xml_attribute after = a.next_attribute();
        if (localName(a.name()) == "id" &&
            std::string_view(a.name()).find(':') != std::string_view::npos) {
          if (localName(n.name()) == "pageSetup")
            n.remove_attribute(a);
          else
            linked.push_back(n);
        }
        a = after;
      }
      n = next;
    }
    for (pugi::xml_node n : linked) n.parent().remove_child(n);
    for (pugi::xml_node view : made->doc.document_element().children()) {
      if (localName(view.name()) != "sheetViews") continue;
      for (pugi::xml_node v : view.children()) v.remove_attribute("tabSelected");
    }
  } else {
    const char* blank =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr><sheetViews><sheetView "
        "workbookViewId=\"0\"/></sheetViews>"
        "<sheetFormatPr defaultRowHeight=\"12.75\"/><sheetData/>"
        "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
        "footer=\"0.3\"/><pageSetup paperSize=\"9\" orientation=\"landscape\" fitToWidth=\"1\" "
        "fitToHeight=\"0\"/></worksheet>";
    made->doc.load_string(blank);
  }

  // Its relationship, content type and place among the tabs.
  const std::string id = addRelationship(rels->doc.document_element(), kRelationshipWorksheet,
                                         relativeTarget(folderOf(workbookPart_), partName));
  addOverride(types->doc.document_element(), partName, kContentTypeWorksheet);

  pugi::xml_node root = workbook->doc.document_element();
  pugi::xml_node list = sheets_.front()->entry.parent();
  int sheetId = 0;
  for (pugi::xml_node s : list.children())
    sheetId = std::max(sheetId, s.attribute("sheetId").as_int());
  const std::string element = elementPrefix(sheets_.front()->entry) + "sheet";
  pugi::xml_node entry =
      position < sheetCount()
          ? list.insert_child_before(element.c_str(),
                                     sheets_[static_cast<std::size_t>(position)]->entry)
          : list.insert_child_after(element.c_str(), sheets_.back()->entry);
  entry.append_attribute("name").set_value(sheetXmlText(name, Forbidden::Replace).c_str());
  entry.append_attribute("sheetId").set_value(sheetId + 1);
  entry.append_attribute((prefixFor(root, kNamespaceRelationships, "r") + "id").c_str())
      .set_value(id.c_str());

  // Names that belong to a sheet name it by position: those after the new
  // one move up, and a copy gets its own print titles.
  for (pugi::xml_node n : root.children()) {
    if (localName(n.name()) != "definedNames") continue;
    std::vector<pugi::xml_node> copies;
    for (pugi::xml_node d : n.children()) {
      pugi::xml_attribute local = d.attribute("localSheetId");
      if (!local) continue;
      const int at = local.as_int();
      if (copyOf >= 0 && at == copyOf) copies.push_back(d);
      if (at >= position) local.set_value(at + 1);
    }
    const QString from = sheetReference(copyOf >= 0 ? sheetName(copyOf) : QString()) + u'!';
    for (pugi::xml_node d : copies) {
      pugi::xml_node copy = n.append_copy(d);
      copy.attribute("localSheetId").set_value(position);
      const QString text = QString::fromUtf8(copy.text().get());
      if (text.startsWith(from))
        copy.text().set(
            sheetXmlText(sheetReference(name) + u'!' + text.mid(from.size()), Forbidden::Replace)
                .c_str());
    }
    // Defined names are kept in order of name, then sheet.
  }
  for (pugi::xml_node n : root.children()) {
    if (localName(n.name()) != "bookViews") continue;
    for (pugi::xml_node v : n.children()) {
      pugi::xml_attribute tab = v.attribute("activeTab");
      if (tab && tab.as_int() >= position) tab.set_value(tab.as_int() + 1);
    }
  }
  workbook->touched = rels->touched = types->touched = true;

  auto sheet = std::make_unique<Sheet>();
  sheet->part = partName;
  sheet->entry = entry;
  Sheet* raw = sheet.get();
  parts_.emplace(partName, std::move(made));
  sheets_.insert(sheets_.begin() + position, std::move(sheet));
  if (selected_ >= position) ++selected_;
  if (!loadSheet(*raw, error)) return -1;
  return position;
}

bool WorkbookFile::selectSheet(int index) {
  if (index < 0 || index >= sheetCount()) return false;
  QString error;
  if (!loadSheet(*sheets_[static_cast<std::size_t>(index)], &error)) return false;
  selected_ = index;
  return true;
}

bool WorkbookFile::activateSheet(int index) {
  if (index < 0 || index >= sheetCount()) return false;
  Part* workbook = parts_.at(workbookPart_).get();
  for (pugi::xml_node n : workbook->doc.document_element().children()) {
    if (localName(n.name()) != "bookViews") continue;
    for (pugi::xml_node v : n.children()) {
      if (!v.attribute("activeTab")) v.append_attribute("activeTab");
      v.attribute("activeTab").set_value(index);
      v.remove_attribute("firstSheet");
    }
  }
  workbook->touched = true;
  // Only the shown tab is selected: several selected tabs would be grouped
  // and edited together.
  for (int i = 0; i < sheetCount(); ++i) {
    Sheet& sheet = *sheets_[static_cast<std::size_t>(i)];
    QString error;
    if (!loadSheet(sheet, &error)) continue;
    for (pugi::xml_node views : sheet.xml->doc.document_element().children()) {
      if (localName(views.name()) != "sheetViews") continue;
      for (pugi::xml_node v : views.children()) {
        v.remove_attribute("tabSelected");
        if (i == index) v.prepend_attribute("tabSelected").set_value(1);
      }
    }
    sheet.xml->touched = true;
  }
  return true;
}

std::string WorkbookFile::newPartName(const std::string& folder, const char* stem,
                                      const char* extension) const {
  for (int n = 1;; ++n) {
    const std::string name = folder + stem + std::to_string(n) + extension;
    if (std::find(entries_.begin(), entries_.end(), name) == entries_.end() && !parts_.count(name))
      return name;
  }
}

// The relationships part of `partName`, read from the package or made new.
WorkbookFile::Part* WorkbookFile::relationshipsOf(const std::string& partName, QString* error) {
  const std::string folder = folderOf(partName);
  const std::string rels = folder + "_rels/" + partName.substr(folder.size()) + ".rels";
  if (std::find(entries_.begin(), entries_.end(), rels) != entries_.end() || parts_.count(rels))
    return part(rels, error);
  auto made = std::make_unique<Part>();
  made->added = made->touched = true;
  made->doc.load_string(
      "<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>");
  Part* raw = made.get();
  parts_.emplace(rels, std::move(made));
  return raw;
}

namespace {

QByteArray chartXml(const LineChart& chart) {
  QString out = QStringLiteral(
      "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<c:roundedCorners val=\"0\"/><c:chart>");
  out += QStringLiteral(
             "<c:title><c:tx><c:rich><a:bodyPr/><a:p><a:pPr><a:defRPr sz=\"1200\" b=\"1\"/></a:pPr>"
             "<a:r><a:t>%1</a:t></a:r></a:p></c:rich></c:tx><c:overlay val=\"0\"/></c:title>"
             "<c:autoTitleDeleted val=\"0\"/><c:plotArea><c:layout/><c:lineChart>"
             "<c:grouping val=\"standard\"/><c:varyColors val=\"0\"/>")
             .arg(sheetXmlMarkup(chart.title));
  int index = 0;
  for (const ChartSeries& s : chart.series) {
    out += QStringLiteral(
               "<c:ser><c:idx val=\"%1\"/><c:order val=\"%1\"/><c:tx><c:v>%2</c:v></c:tx>"
               "<c:spPr><a:ln w=\"%3\"><a:solidFill><a:srgbClr val=\"%4\"/></a:solidFill>%5</a:ln>"
               "</c:spPr><c:marker><c:symbol val=\"%6\"/></c:marker>"
               "<c:cat><c:strRef><c:f>%7</c:f></c:strRef></c:cat>"
               "<c:val><c:numRef><c:f>%8</c:f></c:numRef></c:val><c:smooth val=\"0\"/></c:ser>")
               .arg(index)
               .arg(sheetXmlMarkup(s.name),
                    s.dashed ? QStringLiteral("12700") : QStringLiteral("28575"), s.colourRgb,
                    s.dashed ? QStringLiteral("<a:prstDash val=\"dash\"/>") : QString(),
                    s.dashed ? QStringLiteral("none") : QStringLiteral("circle"),
                    sheetXmlMarkup(chart.categoriesReference), sheetXmlMarkup(s.valuesReference));
    ++index;
  }
  out +=
      QStringLiteral(
          "<c:marker val=\"1\"/><c:axId val=\"500100\"/><c:axId val=\"500200\"/></c:lineChart>"
          "<c:catAx><c:axId val=\"500100\"/><c:scaling><c:orientation val=\"minMax\"/>"
          "</c:scaling><c:delete val=\"0\"/><c:axPos val=\"b\"/><c:numFmt formatCode=\"General\" "
          "sourceLinked=\"0\"/><c:tickLblPos val=\"low\"/><c:crossAx val=\"500200\"/>"
          "<c:crosses val=\"autoZero\"/><c:auto val=\"1\"/><c:lblAlgn val=\"ctr\"/>"
          "<c:lblOffset val=\"100\"/><c:noMultiLvlLbl val=\"0\"/></c:catAx>"
          "<c:valAx><c:axId val=\"500200\"/><c:scaling><c:orientation val=\"minMax\"/>"
          "</c:scaling><c:delete val=\"0\"/><c:axPos val=\"l\"/><c:majorGridlines/>"
          "<c:numFmt formatCode=\"%1\" sourceLinked=\"0\"/><c:tickLblPos val=\"nextTo\"/>"
          "<c:crossAx val=\"500100\"/><c:crosses val=\"autoZero\"/>"
          "<c:crossBetween val=\"between\"/></c:valAx></c:plotArea>"
          "<c:legend><c:legendPos val=\"b\"/><c:overlay val=\"0\"/></c:legend>"
          "<c:plotVisOnly val=\"1\"/><c:dispBlanksAs val=\"gap\"/></c:chart></c:chartSpace>")
          .arg(sheetXmlMarkup(chart.numberFormat.isEmpty() ? QStringLiteral("General")
                                                           : chart.numberFormat));
  return out.toUtf8();
}

}  // namespace

bool WorkbookFile::addLineChart(int index, const LineChart& chart, QString* error) {
  if (index < 0 || index >= sheetCount()) return false;
  Sheet& sheet = *sheets_[static_cast<std::size_t>(index)];
  if (!loadSheet(sheet, error)) return false;
  Part* types = part("[Content_Types].xml", error);
  if (!types) return false;
  pugi::xml_node typesRoot = types->doc.document_element();

  // The sheet's drawing, made on its first chart.
  std::string& drawingName = drawings_[sheet.part];
  if (drawingName.empty()) {
    pugi::xml_node root = sheet.xml->doc.document_element();
    for (pugi::xml_node n : root.children())
      if (localName(n.name()) == "drawing") {
        *error = QStringLiteral("the sheet has a drawing of its own");
        return false;
      }
    Part* sheetRels = relationshipsOf(sheet.part, error);
    if (!sheetRels) return false;
    drawingName = newPartName("xl/drawings/", "drawing", ".xml");
    auto drawing = std::make_unique<Part>();
    drawing->added = drawing->touched = true;
    drawing->doc.load_string(
        "<xdr:wsDr "
        "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"/>");
    parts_.emplace(drawingName, std::move(drawing));
    const std::string id = addRelationship(
        sheetRels->doc.document_element(),
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing",
        "../drawings/" + drawingName.substr(std::strlen("xl/drawings/")));
    sheetRels->touched = true;
    // Its place is after the page set-up and footer, before any legacy drawing.
    pugi::xml_node before;
    for (pugi::xml_node n : root.children()) {
      const std::string_view local = localName(n.name());
      if (!before && (local == "legacyDrawing" || local == "legacyDrawingHF" ||
                      local == "picture" || local == "oleObjects" || local == "controls" ||
                      local == "webPublishItems" || local == "tableParts" || local == "extLst"))
        before = n;
    }
    const std::string name = sheet.prefix + "drawing";
    pugi::xml_node element =
        before ? root.insert_child_before(name.c_str(), before) : root.append_child(name.c_str());
    element.append_attribute((prefixFor(root, kNamespaceRelationships, "r") + "id").c_str())
        .set_value(id.c_str());
    addOverride(typesRoot, drawingName,
                "application/vnd.openxmlformats-officedocument.drawing+xml");
    sheet.xml->touched = true;
  }
  Part* drawing = parts_.at(drawingName).get();
  Part* drawingRels = relationshipsOf(drawingName, error);
  if (!drawingRels) return false;

  const std::string chartName = newPartName("xl/charts/", "chart", ".xml");
  auto chartPart = std::make_unique<Part>();
  chartPart->added = chartPart->touched = true;
  const QByteArray xml = chartXml(chart);
  if (!chartPart->doc.load_buffer(xml.constData(), static_cast<std::size_t>(xml.size()))) {
    *error = QStringLiteral("chart could not be made");
    return false;
  }
  {
    StringWriter writer;
    writer.out = kPartDeclaration;
    chartPart->doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration,
                        pugi::encoding_utf8);
    chartPart->text = std::move(writer.out);
    chartPart->doc.reset();
  }
  parts_.emplace(chartName, std::move(chartPart));
  addOverride(typesRoot, chartName,
              "application/vnd.openxmlformats-officedocument.drawingml.chart+xml");
  types->touched = true;
  const std::string id =
      addRelationship(drawingRels->doc.document_element(),
                      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/chart",
                      "../charts/" + chartName.substr(std::strlen("xl/charts/")));
  drawingRels->touched = true;

  pugi::xml_node root = drawing->doc.document_element();
  int frames = 0;
  for (pugi::xml_node n : root.children()) (void)n, ++frames;
  const QString anchor =
      QStringLiteral(
          "<xdr:twoCellAnchor xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
          "spreadsheetDrawing\" xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
          "<xdr:from><xdr:col>%1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>%2</xdr:row>"
          "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>%3</xdr:col>"
          "<xdr:colOff>0</xdr:colOff><xdr:row>%4</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>"
          "<xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr><xdr:cNvPr id=\"%5\" "
          "name=\"Chart %5\"/><xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr><xdr:xfrm>"
          "<a:off x=\"0\" y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/></xdr:xfrm><a:graphic>"
          "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
          "<c:chart xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
          "r:id=\"%6\"/></a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/>"
          "</xdr:twoCellAnchor>")
          .arg(chart.fromColumn - 1)
          .arg(chart.fromRow - 1)
          .arg(chart.toColumn - 1)
          .arg(chart.toRow - 1)
          .arg(frames + 2)
          .arg(QString::fromStdString(id));
  pugi::xml_document fragment;
  const QByteArray bytes = anchor.toUtf8();
  fragment.load_buffer(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  pugi::xml_node added = root.append_copy(fragment.document_element());
  // The namespaces are declared on the drawing's root already.
  added.remove_attribute("xmlns:xdr");
  added.remove_attribute("xmlns:a");
  drawing->touched = true;
  return true;
}

int WorkbookFile::cellStyle(const CellLook& look) {
  const QString key = look.key();
  if (auto it = styles_.find(key); it != styles_.end()) return it->second;
  Part* styles = stylesPart_.empty() ? nullptr : part(stylesPart_, nullptr);
  if (!styles) return -1;
  pugi::xml_node root = styles->doc.document_element();
  const std::string prefix = elementPrefix(root);
  auto child = [&](const char* local) {
    for (pugi::xml_node n : root.children())
      if (localName(n.name()) == local) return n;
    return pugi::xml_node();
  };
  auto count = [](pugi::xml_node list) {
    int n = 0;
    for (pugi::xml_node c : list.children())
      if (c.type() == pugi::node_element) ++n;
    if (!list.attribute("count")) list.append_attribute("count");
    list.attribute("count").set_value(n);
    return n;
  };
  pugi::xml_node xfs = child("cellXfs");
  pugi::xml_node fonts = child("fonts");
  pugi::xml_node fills = child("fills");
  if (!xfs || !fonts || !fills) return -1;

  int numFmtId = 0;
  if (look.numberFormat == QLatin1String("0%")) {
    numFmtId = 9;
  } else if (look.numberFormat == QLatin1String("@")) {
    numFmtId = 49;
  } else if (!look.numberFormat.isEmpty()) {
    pugi::xml_node formats = child("numFmts");
    if (!formats) formats = root.prepend_child((prefix + "numFmts").c_str());
    int highest = 163;
    const std::string code = sheetXmlText(look.numberFormat, Forbidden::Replace);
    for (pugi::xml_node f : formats.children()) {
      highest = std::max(highest, f.attribute("numFmtId").as_int());
      if (code == f.attribute("formatCode").value()) numFmtId = f.attribute("numFmtId").as_int();
    }
    if (!numFmtId) {
      numFmtId = highest + 1;
      pugi::xml_node f = formats.append_child((prefix + "numFmt").c_str());
      f.append_attribute("numFmtId").set_value(numFmtId);
      f.append_attribute("formatCode").set_value(code.c_str());
      count(formats);
    }
  }
  int fontId = 0;
  if (look.bold && fonts.first_child()) {
    pugi::xml_node font = fonts.append_copy(fonts.first_child());
    bool hasBold = false;
    for (pugi::xml_node c : font.children()) hasBold |= localName(c.name()) == "b";
    if (!hasBold) font.prepend_child((prefix + "b").c_str());
    fontId = count(fonts) - 1;
  }
  int fillId = 0;
  if (!look.fillRgb.isEmpty()) {
    pugi::xml_node pattern = fills.append_child((prefix + "fill").c_str())
                                 .append_child((prefix + "patternFill").c_str());
    pattern.append_attribute("patternType").set_value("solid");
    pattern.append_child((prefix + "fgColor").c_str())
        .append_attribute("rgb")
        .set_value(("FF" + look.fillRgb.toUpper().toStdString()).c_str());
    pattern.append_child((prefix + "bgColor").c_str()).append_attribute("indexed").set_value(64);
    fillId = count(fills) - 1;
  }
  pugi::xml_node xf = xfs.append_child((prefix + "xf").c_str());
  xf.append_attribute("numFmtId").set_value(numFmtId);
  xf.append_attribute("fontId").set_value(fontId);
  xf.append_attribute("fillId").set_value(fillId);
  xf.append_attribute("borderId").set_value(0);
  xf.append_attribute("xfId").set_value(0);
  if (numFmtId) xf.append_attribute("applyNumberFormat").set_value(1);
  if (fontId) xf.append_attribute("applyFont").set_value(1);
  if (fillId) xf.append_attribute("applyFill").set_value(1);
  if (look.align != CellLook::Align::General) {
    xf.append_attribute("applyAlignment").set_value(1);
    const char* names[] = {"general", "left", "center", "right"};
    xf.append_child((prefix + "alignment").c_str())
        .append_attribute("horizontal")
        .set_value(names[static_cast<int>(look.align)]);
  }
  const int index = count(xfs) - 1;
  styles->touched = true;
  styles_[key] = index;
  return index;
}

void WorkbookFile::setDocumentDates(const QDateTime& when) {
  Part* core = corePart_.empty() ? nullptr : part(corePart_, nullptr);
  if (!core) return;
  pugi::xml_node root = core->doc.document_element();
  const std::string stamp =
      when.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toStdString();
  for (const char* which : {"created", "modified"}) {
    pugi::xml_node element;
    for (pugi::xml_node n : root.children())
      if (localName(n.name()) == which) element = n;
    if (!element) {
      element = root.append_child((prefixFor(root, kNamespaceDcTerms, "dcterms") + which).c_str());
      element.append_attribute((prefixFor(root, kNamespaceXsi, "xsi") + "type").c_str())
          .set_value((prefixFor(root, kNamespaceDcTerms, "dcterms") + "W3CDTF").c_str());
    }
    element.text().set(stamp.c_str());
  }
  core->touched = true;
}

const std::string& WorkbookFile::sheetPart() const { return current().part; }

static int inheritedStyle(const std::map<int, std::pair<int, int>>& ranges, pugi::xml_node row,
                          int column) {
  if (row.attribute("customFormat").as_bool() && row.attribute("s"))
    return row.attribute("s").as_int();
  auto it = ranges.upper_bound(column);
  if (it == ranges.begin()) return 0;
  --it;
  return column <= it->second.first ? it->second.second : 0;
}

pugi::xml_node WorkbookFile::rowNode(Sheet& sheet, int row) {
  auto it = sheet.rows.lower_bound(row);
  if (it != sheet.rows.end() && it->first == row) return it->second;
  const std::string name = sheet.prefix + "row";
  pugi::xml_node node = (it == sheet.rows.end())
                            ? sheet.data.append_child(name.c_str())
                            : sheet.data.insert_child_before(name.c_str(), it->second);
  node.append_attribute("r").set_value(row);
  sheet.rows.emplace_hint(it, row, node);
  return node;
}

pugi::xml_node WorkbookFile::cellNode(Sheet& sheet, pugi::xml_node row, int rowIndex, int column) {
  pugi::xml_node before;
  for (pugi::xml_node cell = row.last_child(); cell; cell = cell.previous_sibling()) {
    if (localName(cell.name()) != "c") continue;
    int r = 0, c = 0;
    parseCellReference(QString::fromLatin1(cell.attribute("r").value()), &r, &c);
    if (c == column) return cell;
    if (c < column) break;
    before = cell;
  }
  const std::string name = sheet.prefix + "c";
  pugi::xml_node cell =
      before ? row.insert_child_before(name.c_str(), before) : row.append_child(name.c_str());
  cell.append_attribute("r").set_value(cellReference(rowIndex, column).toLatin1().constData());
  if (const int style = inheritedStyle(sheet.columnRanges, row, column))
    cell.append_attribute("s").set_value(style);
  // The row's span hint no longer covers every cell; it is optional.
  row.remove_attribute("spans");
  return cell;
}

pugi::xml_node WorkbookFile::writableCell(int row, int column, int style) {
  if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) return {};
  Sheet& sheet = current();
  if (row < sheet.packedBelow) return {};
  pugi::xml_node cell = cellNode(sheet, rowNode(sheet, row), row, column);
  while (pugi::xml_node c = cell.first_child()) cell.remove_child(c);
  cell.remove_attribute("t");
  if (style >= 0) {
    if (!cell.attribute("s")) cell.append_attribute("s");
    cell.attribute("s").set_value(style);
  }
  sheet.xml->touched = true;
  return cell;
}

bool WorkbookFile::setText(int row, int column, const QString& text, int style) {
  pugi::xml_node cell = writableCell(row, column, style);
  if (!cell) return false;
  const std::string& prefix = current().prefix;
  cell.append_attribute("t").set_value("inlineStr");
  pugi::xml_node t =
      cell.append_child((prefix + "is").c_str()).append_child((prefix + "t").c_str());
  const std::string value =
      sheetXmlText(text.left(WorkbookFile::kMaxCellText), Forbidden::CellEscape);
  if (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                         std::isspace(static_cast<unsigned char>(value.back()))))
    t.append_attribute("xml:space").set_value("preserve");
  t.text().set(value.c_str());
  return true;
}

bool WorkbookFile::setNumber(int row, int column, double value, int style) {
  pugi::xml_node cell = writableCell(row, column, style);
  if (!cell) return false;
  if (!std::isfinite(value)) return true;
  cell.append_attribute("t").set_value("n");
  cell.append_child((current().prefix + "v").c_str()).text().set(numberText(value).c_str());
  return true;
}

void WorkbookFile::setColumnWidth(int first, int last, double width) {
  Sheet& sheet = current();
  if (first < 1 || last < first || last > kMaxColumn) return;
  // Columns some entry covers already keep their width.
  for (const auto& [min, range] : sheet.columnRanges)
    if (min <= last && range.first >= first) return;
  pugi::xml_node root = sheet.xml->doc.document_element();
  pugi::xml_node cols;
  for (pugi::xml_node n : root.children())
    if (localName(n.name()) == "cols") cols = n;
  if (!cols) {
    // Its place is before the cell data.
    cols = root.insert_child_before((sheet.prefix + "cols").c_str(), sheet.data);
  }
  pugi::xml_node before;
  for (pugi::xml_node c : cols.children())
    if (!before && c.attribute("min").as_int() > last) before = c;
  const std::string name = sheet.prefix + "col";
  pugi::xml_node col =
      before ? cols.insert_child_before(name.c_str(), before) : cols.append_child(name.c_str());
  col.append_attribute("min").set_value(first);
  col.append_attribute("max").set_value(last);
  col.append_attribute("width").set_value(width);
  col.append_attribute("customWidth").set_value(1);
  sheet.columnRanges[first] = {last, 0};
  sheet.xml->touched = true;
}

namespace {
// Rows are packed in pieces of about this much text.
constexpr std::size_t kPackChunk = 1 << 20;
// Where a sheet's packed rows go back in when it is saved: a processing
// instruction, which no cell text can turn into (their "<" is escaped).
constexpr const char* kPackedMarkName = "karvel-packed-rows";
constexpr std::string_view kPackedMarkText = "<?karvel-packed-rows?>";

struct AppendWriter : pugi::xml_writer {
  std::string* out;
  explicit AppendWriter(std::string* target) : out(target) {}
  void write(const void* data, size_t size) override {
    out->append(static_cast<const char*>(data), size);
  }
};
}  // namespace

void WorkbookFile::packRowsAbove(int row) {
  Sheet& sheet = current();
  if (!sheet.xml || row <= sheet.packedBelow) return;
  std::string text;
  auto pack = [&] {
    if (text.empty()) return;
    if (sheet.packedFault.isEmpty())
      sheet.packedFault = forbiddenCharacterIn(text, sheet.packedSize);
    uLongf length = compressBound(static_cast<uLong>(text.size()));
    QByteArray deflated(static_cast<qsizetype>(length), Qt::Uninitialized);
    // The fastest level: the chunks only wait in memory until the save.
    compress2(reinterpret_cast<Bytef*>(deflated.data()), &length,
              reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()), 1);
    deflated.truncate(static_cast<qsizetype>(length));
    PackedChunk chunk;
    chunk.size = text.size();
    if (!spool_ && !spoolRefused_) {
      auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                   QStringLiteral("/karvel-rows-XXXXXX"));
      if (file->open())
        spool_ = std::move(file);
      else
        spoolRefused_ = true;
    }
    const qint64 at = spool_ ? spool_->size() : -1;
    if (spool_ && spool_->seek(at) && spool_->write(deflated) == deflated.size()) {
      chunk.offset = at;
      chunk.length = deflated.size();
    } else {
      // A full or missing temporary folder: the rows stay in memory instead.
      deflated.squeeze();
      chunk.deflated = std::move(deflated);
    }
    sheet.packed.push_back(std::move(chunk));
    sheet.packedSize += text.size();
    text.clear();
  };
  if (!sheet.packedMark) {
    sheet.packedMark = sheet.data.prepend_child(pugi::node_pi);
    sheet.packedMark.set_name(kPackedMarkName);
  }
  AppendWriter writer(&text);
  auto it = sheet.rows.begin();
  while (it != sheet.rows.end() && it->first < row) {
    const pugi::xml_node node = it->second;
    for (pugi::xml_node cell : node.children()) {
      if (localName(cell.name()) != "c") continue;
      int cr = 0, cc = 0;
      if (!parseCellReference(QString::fromLatin1(cell.attribute("r").value()), &cr, &cc)) continue;
      if (!sheet.packedFirstRow) sheet.packedFirstRow = cr;
      sheet.packedLastRow = cr;
      sheet.packedMinColumn = sheet.packedMinColumn ? std::min(sheet.packedMinColumn, cc) : cc;
      sheet.packedMaxColumn = std::max(sheet.packedMaxColumn, cc);
    }
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    sheet.data.remove_child(node);
    it = sheet.rows.erase(it);
    if (text.size() >= kPackChunk) pack();
  }
  pack();
  sheet.packedBelow = row;
  sheet.xml->touched = true;
}

QString WorkbookFile::usedRange() const {
  // The packed rows come before every row still in the tree.
  const Sheet& sheet = current();
  int minRow = sheet.packedFirstRow, maxRow = sheet.packedLastRow;
  int minColumn = sheet.packedMinColumn, maxColumn = sheet.packedMaxColumn;
  for (const auto& [r, row] : sheet.rows) {
    for (pugi::xml_node cell : row.children()) {
      if (localName(cell.name()) != "c") continue;
      int cr = 0, cc = 0;
      if (!parseCellReference(QString::fromLatin1(cell.attribute("r").value()), &cr, &cc)) continue;
      if (!minRow) minRow = cr;
      maxRow = cr;
      minColumn = minColumn ? std::min(minColumn, cc) : cc;
      maxColumn = std::max(maxColumn, cc);
    }
  }
  if (!minRow) return QStringLiteral("A1");
  const QString first = cellReference(minRow, minColumn), last = cellReference(maxRow, maxColumn);
  return first == last ? first : first + u':' + last;
}

// A part's text; a sheet with packed rows is its text up to them, the
// rows, and its text after them.
struct WorkbookFile::Written {
  std::string text;
  const Sheet* packed = nullptr;
  std::string tail;
};

bool WorkbookFile::prepareParts(WrittenParts* out, QString* error) {
  // Every sheet written into gets its used range.
  const int selected = selected_;
  for (int i = 0; i < sheetCount(); ++i) {
    Sheet& sheet = *sheets_[static_cast<std::size_t>(i)];
    if (!sheet.xml || !sheet.xml->touched) continue;
    selected_ = i;
    pugi::xml_node root = sheet.xml->doc.document_element();
    pugi::xml_node dimension;
    pugi::xml_node properties;
    for (pugi::xml_node n : root.children()) {
      if (localName(n.name()) == "dimension") dimension = n;
      if (localName(n.name()) == "sheetPr") properties = n;
    }
    if (!dimension) {
      // Its place is right after the sheet properties, before everything else.
      const std::string name = sheet.prefix + "dimension";
      dimension = properties ? root.insert_child_after(name.c_str(), properties)
                             : root.prepend_child(name.c_str());
    }
    dimension.remove_attribute("ref");
    dimension.append_attribute("ref").set_value(usedRange().toLatin1().constData());
  }
  selected_ = selected;

  std::map<std::string, const Sheet*> packedSheets;
  for (const auto& sheet : sheets_)
    if (!sheet->packed.empty()) packedSheets[sheet->part] = sheet.get();
  WrittenParts& written = *out;
  for (const auto& [name, p] : parts_) {
    if (!p->touched) continue;
    Written w;
    if (!p->text.empty()) {
      w.text = p->text;
    } else {
      StringWriter writer;
      writer.out = kPartDeclaration;
      p->doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
      w.text = std::move(writer.out);
    }
    // Spreadsheet programs refuse the whole workbook over one such
    // character: better no file and a reason than a file nobody can open.
    QString bad;
    if (auto sheet = packedSheets.find(name); sheet != packedSheets.end()) {
      const std::size_t mark = w.text.find(kPackedMarkText);
      if (mark != std::string::npos) {
        w.packed = sheet->second;
        w.tail = w.text.substr(mark + kPackedMarkText.size());
        w.text.resize(mark);
        bad = forbiddenCharacterIn(w.text);
        if (bad.isEmpty()) bad = w.packed->packedFault;
        if (bad.isEmpty()) bad = forbiddenCharacterIn(w.tail, mark + w.packed->packedSize);
      }
    }
    if (!w.packed) bad = forbiddenCharacterIn(w.text);
    if (!bad.isEmpty()) {
      *error = QStringLiteral("part %1 would hold a character XML forbids (%2)")
                   .arg(QString::fromStdString(name), bad);
      return false;
    }
    written[name] = std::move(w);
  }
  return true;
}

bool WorkbookFile::writePackage(zip_source* output, const WrittenParts& written, QString* error) {
  ZipSource taken;
  taken.source = output;
  ZipArchive source;
  source.zip = openArchive(package_, error);
  if (!source.zip) return false;

  zip_error_t zerr;
  zip_error_init(&zerr);
  ZipArchive target;
  target.zip = zip_open_from_source(output, ZIP_TRUNCATE, &zerr);
  if (!target.zip) {
    *error = QString::fromUtf8(zip_error_strerror(&zerr));
    zip_error_fini(&zerr);
    return false;
  }
  taken.source = nullptr;  // the archive has it now
  zip_error_fini(&zerr);

  auto fail = [&](zip_t* zip) {
    *error = QString::fromUtf8(zip_error_strerror(zip_get_error(zip)));
    return false;
  };
  auto addWritten = [&](const std::string& name) -> bool {
    const Written& w = written.at(name);
    zip_source_t* part =
        w.packed ? packedSource(target.zip, w.text, w.packed->packed, spool_.get(), w.tail)
                 : zip_source_buffer(target.zip, w.text.data(), w.text.size(), 0);
    if (!part) return false;
    const zip_int64_t index = zip_file_add(target.zip, name.c_str(), part, ZIP_FL_ENC_RAW);
    if (index < 0) {
      zip_source_free(part);
      return false;
    }
    // The fastest level: sheets of thousands of rows still shrink tenfold.
    zip_set_file_compression(target.zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    return true;
  };
  // Every part in its original order, then the new ones; the parts left as
  // they were are copied as compressed, without unpacking them.
  const zip_int64_t count = zip_get_num_entries(source.zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(source.zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (!name) return fail(source.zip);
    if (written.count(name)) {
      if (!addWritten(name)) return fail(target.zip);
      continue;
    }
    zip_source_t* part = zip_source_zip(target.zip, source.zip, static_cast<zip_uint64_t>(i),
                                        ZIP_FL_COMPRESSED, 0, -1);
    if (!part) return fail(target.zip);
    if (zip_file_add(target.zip, name, part, ZIP_FL_ENC_RAW) < 0) {
      zip_source_free(part);
      return fail(target.zip);
    }
  }
  for (const auto& [name, p] : parts_)
    if (p->added && !addWritten(name)) return fail(target.zip);
  if (zip_close(target.zip) != 0) return fail(target.zip);
  target.zip = nullptr;
  return true;
}

QByteArray WorkbookFile::toBytes(QString* error) {
  WrittenParts written;
  if (!prepareParts(&written, error)) return {};
  zip_error_t zerr;
  zip_error_init(&zerr);
  ZipSource buffer;
  buffer.source = zip_source_buffer_create(nullptr, 0, 0, &zerr);
  if (!buffer.source) {
    *error = QString::fromUtf8(zip_error_strerror(&zerr));
    zip_error_fini(&zerr);
    return {};
  }
  zip_error_fini(&zerr);
  zip_source_keep(buffer.source);  // read the result back after the archive's closing
  if (!writePackage(buffer.source, written, error)) return {};

  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_stat(buffer.source, &st) != 0 || zip_source_open(buffer.source) != 0) {
    *error = QStringLiteral("cannot read the new workbook back");
    return {};
  }
  QByteArray out(static_cast<qsizetype>(st.size), Qt::Uninitialized);
  const zip_int64_t got = zip_source_read(buffer.source, out.data(), st.size);
  zip_source_close(buffer.source);
  if (got != static_cast<zip_int64_t>(st.size)) {
    *error = QStringLiteral("cannot read the new workbook back");
    return {};
  }
  return out;
}

bool WorkbookFile::saveTo(const QString& path, QString* error) {
  // A part that cannot be written refuses the save before any file is made.
  WrittenParts written;
  if (!prepareParts(&written, error)) return false;
  // Any failure on the way keeps the old target.
  QString reason;
  bool packageFailed = false;
  const bool saved = writeFileWholeFrom(
      path,
      [&](WholeFileSink& sink, QString* why) {
        zip_error_t zerr;
        zip_error_init(&zerr);
        zip_source_t* target = sinkTarget(sink, &zerr);
        if (!target) *why = QString::fromUtf8(zip_error_strerror(&zerr));
        zip_error_fini(&zerr);
        if (!target || writePackage(target, written, why)) return target != nullptr;
        // A failed write names its own cause; anything else is the package's.
        packageFailed = !sink.failed();
        return false;
      },
      &reason);
  if (!saved) {
    *error =
        packageFailed && !reason.isEmpty() ? reason : QStringLiteral("%1: %2").arg(path, reason);
    return false;
  }
  return true;
}

}  // namespace karvel
