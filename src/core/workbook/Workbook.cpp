#include "core/workbook/Workbook.h"
#include "core/frame/SafeWrite.h"

#include <zip.h>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace karvel {

namespace {

constexpr const char* kRelationshipOfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr const char* kRelationshipWorksheet =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";

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

bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

bool isHex(QChar c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Cell texts may not hold characters that XML forbids (control characters
// copied verbatim from a result file would make the whole workbook
// unreadable). Spreadsheet files write those as "_xHHHH_", and a literal
// "_xHHHH_" in the text gets its underscore escaped so it reads back as written.
// A carriage return is escaped too: XML parsers would turn it into a line feed.
std::string cellXmlText(const QString& text) {
  QString out;
  out.reserve(text.size());
  const auto ucs4 = text.left(WorkbookFile::kMaxCellText).toUcs4();
  for (qsizetype i = 0; i < ucs4.size(); ++i) {
    const char32_t c = ucs4[i];
    if (c == u'_' && i + 6 < ucs4.size() && ucs4[i + 1] == u'x' && ucs4[i + 6] == u'_' &&
        isHex(QChar(ucs4[i + 2])) && isHex(QChar(ucs4[i + 3])) && isHex(QChar(ucs4[i + 4])) &&
        isHex(QChar(ucs4[i + 5]))) {
      out += QStringLiteral("_x005F_");
    } else if (!isXmlChar(c) || c == 0xD) {
      out += QStringLiteral("_x%1_").arg(QString::number(static_cast<uint>(c), 16).toUpper(), 4,
                                         QChar(u'0'));
    } else {
      out += QString::fromUcs4(&c, 1);
    }
  }
  return out.toStdString();
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

}  // namespace

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

WorkbookFile::~WorkbookFile() = default;

std::unique_ptr<WorkbookFile> WorkbookFile::load(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return nullptr;
  }
  if (file.size() > kMaxFileSize) {
    *error = QStringLiteral("%1: file too large for a workbook").arg(path);
    return nullptr;
  }
  const QByteArray bytes = file.readAll();
  auto book = fromBytes(bytes, error);
  if (!book) *error = QStringLiteral("%1: %2").arg(path, *error);
  return book;
}

std::unique_ptr<WorkbookFile> WorkbookFile::fromBytes(const QByteArray& bytes, QString* error) {
  std::unique_ptr<WorkbookFile> book(new WorkbookFile);
  book->package_ = bytes;
  if (!book->readPackage(error) || !book->indexSheet(error)) return nullptr;
  return book;
}

bool WorkbookFile::readPackage(QString* error) {
  ZipArchive archive;
  archive.zip = openArchive(package_, error);
  if (!archive.zip) return false;

  // Package relationships -> workbook part -> its first sheet.
  std::string rels;
  if (!readEntry(archive.zip, "_rels/.rels", &rels)) {
    *error = QStringLiteral("not a workbook (no package relationships)");
    return false;
  }
  const std::string workbookPart =
      resolvePart("", relationshipTarget(rels, kRelationshipOfficeDocument, nullptr));
  std::string workbookXml;
  if (workbookPart.empty() || !readEntry(archive.zip, workbookPart, &workbookXml)) {
    *error = QStringLiteral("not a workbook (no workbook part)");
    return false;
  }
  pugi::xml_document workbook;
  if (!workbook.load_buffer(workbookXml.data(), workbookXml.size())) {
    *error = QStringLiteral("damaged workbook part");
    return false;
  }
  std::string firstSheetId;
  for (pugi::xml_node n : workbook.document_element().children()) {
    if (localName(n.name()) != "sheets") continue;
    for (pugi::xml_node s : n.children()) {
      if (localName(s.name()) == "sheet") {
        firstSheetId = attributeByLocalName(s, "id").value();
        break;
      }
    }
  }
  const std::string folder = folderOf(workbookPart);
  std::string workbookRels;
  const std::string relsPart = folder + "_rels/" + workbookPart.substr(folder.size()) + ".rels";
  if (firstSheetId.empty() || !readEntry(archive.zip, relsPart, &workbookRels)) {
    *error = QStringLiteral("not a workbook (no worksheet)");
    return false;
  }
  const std::string target =
      relationshipTarget(workbookRels, kRelationshipWorksheet, firstSheetId.c_str());
  sheetPart_ = target.empty() ? std::string() : resolvePart(folder, target);
  std::string sheetXml;
  if (sheetPart_.empty() || !readEntry(archive.zip, sheetPart_, &sheetXml)) {
    *error = QStringLiteral("not a workbook (first sheet missing)");
    return false;
  }
  // Blank-only texts (a cell holding " ") are content; keep them.
  const pugi::xml_parse_result parsed = sheet_.load_buffer(
      sheetXml.data(), sheetXml.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
  if (!parsed) {
    *error = QStringLiteral("damaged worksheet (%1)").arg(QString::fromUtf8(parsed.description()));
    return false;
  }
  return true;
}

pugi::xml_node WorkbookFile::child(pugi::xml_node parent, const char* local) const {
  for (pugi::xml_node n : parent.children())
    if (localName(n.name()) == local) return n;
  return {};
}

std::string WorkbookFile::qualified(const char* local) const { return prefix_ + local; }

bool WorkbookFile::indexSheet(QString* error) {
  pugi::xml_node root = sheet_.document_element();
  if (localName(root.name()) != "worksheet") {
    *error = QStringLiteral("first sheet is not a worksheet");
    return false;
  }
  const std::string_view rootName(root.name());
  prefix_ = std::string(rootName.substr(0, rootName.size() - std::strlen("worksheet")));
  sheetData_ = child(root, "sheetData");
  if (!sheetData_) {
    *error = QStringLiteral("damaged worksheet (no cell data)");
    return false;
  }
  // Rows and cells may leave out their position (it then follows the one
  // before); write every position out so that inserting stays simple.
  int lastRow = 0;
  for (pugi::xml_node row : sheetData_.children()) {
    if (localName(row.name()) != "row") continue;
    int r = row.attribute("r").as_int(lastRow + 1);
    if (r <= lastRow || r > kMaxRow) {
      *error = QStringLiteral("damaged worksheet (rows out of order)");
      return false;
    }
    if (!row.attribute("r")) row.prepend_attribute("r").set_value(r);
    rows_[r] = row;
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
      if (min >= 1 && max >= min) columnRanges_[min] = {max, col.attribute("style").as_int(0)};
    }
  }
  return true;
}

int WorkbookFile::inheritedStyle(pugi::xml_node row, int column) const {
  if (row.attribute("customFormat").as_bool() && row.attribute("s"))
    return row.attribute("s").as_int();
  auto it = columnRanges_.upper_bound(column);
  if (it == columnRanges_.begin()) return 0;
  --it;
  return column <= it->second.first ? it->second.second : 0;
}

pugi::xml_node WorkbookFile::rowNode(int row) {
  auto it = rows_.lower_bound(row);
  if (it != rows_.end() && it->first == row) return it->second;
  const std::string name = qualified("row");
  pugi::xml_node node = (it == rows_.end())
                            ? sheetData_.append_child(name.c_str())
                            : sheetData_.insert_child_before(name.c_str(), it->second);
  node.append_attribute("r").set_value(row);
  rows_.emplace_hint(it, row, node);
  return node;
}

pugi::xml_node WorkbookFile::cellNode(pugi::xml_node row, int rowIndex, int column) {
  pugi::xml_node before;
  for (pugi::xml_node cell = row.last_child(); cell; cell = cell.previous_sibling()) {
    if (localName(cell.name()) != "c") continue;
    int r = 0, c = 0;
    parseCellReference(QString::fromLatin1(cell.attribute("r").value()), &r, &c);
    if (c == column) return cell;
    if (c < column) break;
    before = cell;
  }
  const std::string name = qualified("c");
  pugi::xml_node cell =
      before ? row.insert_child_before(name.c_str(), before) : row.append_child(name.c_str());
  cell.append_attribute("r").set_value(cellReference(rowIndex, column).toLatin1().constData());
  if (const int style = inheritedStyle(row, column)) cell.append_attribute("s").set_value(style);
  // The row's span hint no longer covers every cell; it is optional.
  row.remove_attribute("spans");
  return cell;
}

bool WorkbookFile::setText(int row, int column, const QString& text) {
  if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) return false;
  pugi::xml_node cell = cellNode(rowNode(row), row, column);
  while (pugi::xml_node c = cell.first_child()) cell.remove_child(c);
  cell.remove_attribute("t");
  cell.append_attribute("t").set_value("inlineStr");
  pugi::xml_node t =
      cell.append_child(qualified("is").c_str()).append_child(qualified("t").c_str());
  const std::string value = cellXmlText(text);
  if (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                         std::isspace(static_cast<unsigned char>(value.back()))))
    t.append_attribute("xml:space").set_value("preserve");
  t.text().set(value.c_str());
  return true;
}

QString WorkbookFile::usedRange() const {
  int minRow = 0, maxRow = 0, minColumn = 0, maxColumn = 0;
  for (const auto& [r, row] : rows_) {
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

void WorkbookFile::updateDimension() {
  pugi::xml_node root = sheet_.document_element();
  pugi::xml_node dimension = child(root, "dimension");
  if (!dimension) {
    // Its place is right after the sheet properties, before everything else.
    pugi::xml_node properties = child(root, "sheetPr");
    const std::string name = qualified("dimension");
    dimension = properties ? root.insert_child_after(name.c_str(), properties)
                           : root.prepend_child(name.c_str());
  }
  dimension.remove_attribute("ref");
  dimension.append_attribute("ref").set_value(usedRange().toLatin1().constData());
}

QByteArray WorkbookFile::toBytes(QString* error) {
  updateDimension();
  StringWriter writer;
  writer.out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  sheet_.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);

  ZipArchive source;
  source.zip = openArchive(package_, error);
  if (!source.zip) return {};

  zip_error_t zerr;
  zip_error_init(&zerr);
  ZipSource buffer;
  buffer.source = zip_source_buffer_create(nullptr, 0, 0, &zerr);
  ZipArchive target;
  if (buffer.source) target.zip = zip_open_from_source(buffer.source, ZIP_TRUNCATE, &zerr);
  if (!target.zip) {
    *error = QString::fromUtf8(zip_error_strerror(&zerr));
    zip_error_fini(&zerr);
    return {};
  }
  zip_error_fini(&zerr);
  zip_source_keep(buffer.source);  // read the result back after zip_close

  auto fail = [&](zip_t* zip) {
    *error = QString::fromUtf8(zip_error_strerror(zip_get_error(zip)));
    return QByteArray();
  };
  // Every part in its original order; the parts other than the sheet are
  // copied as compressed, without unpacking them.
  const zip_int64_t count = zip_get_num_entries(source.zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(source.zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (!name) return fail(source.zip);
    const bool isSheet = sheetPart_ == name;
    zip_source_t* part =
        isSheet ? zip_source_buffer(target.zip, writer.out.data(), writer.out.size(), 0)
                : zip_source_zip(target.zip, source.zip, static_cast<zip_uint64_t>(i),
                                 ZIP_FL_COMPRESSED, 0, -1);
    if (!part) return fail(target.zip);
    const zip_int64_t index = zip_file_add(target.zip, name, part, ZIP_FL_ENC_RAW);
    if (index < 0) {
      zip_source_free(part);
      return fail(target.zip);
    }
    if (isSheet)
      zip_set_file_compression(target.zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0);
  }
  if (zip_close(target.zip) != 0) return fail(target.zip);
  target.zip = nullptr;

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
  const QByteArray bytes = toBytes(error);
  if (bytes.isEmpty()) return false;
  // Any failure on the way keeps the old target.
  QString reason;
  if (!writeFileWhole(path, bytes, &reason)) {
    *error = QStringLiteral("%1: %2").arg(path, reason);
    return false;
  }
  return true;
}

}  // namespace karvel
