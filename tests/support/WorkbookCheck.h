// SPDX-License-Identifier: GPL-3.0-or-later
// What every workbook the program writes must be, whatever texts went into
// it: a zip package whose XML parts all parse as XML and hold no character
// that XML 1.0 forbids, neither written out nor as a character reference.
// Spreadsheet programs refuse the whole file over one such character. Shared
// by the tests and the result reader's fuzz target; it keeps its own list of
// allowed characters rather than the writer's.
#pragma once

#include <zip.h>

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace karvel::test {

namespace workbookcheck {

inline bool allowed(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The first fault of UTF-8 text: a byte that is not UTF-8 or a character
// XML forbids; empty when there is none.
inline QString textFault(std::string_view text) {
  const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  if (decoded.toUtf8() != QByteArray(text.data(), static_cast<qsizetype>(text.size())))
    return QStringLiteral("not UTF-8");
  for (char32_t c : decoded.toUcs4())
    if (!allowed(c))
      return QStringLiteral("forbidden character U+%1")
          .arg(QString::number(static_cast<uint>(c), 16).toUpper(), 4, QChar(u'0'));
  return {};
}

// Names and values of every node and attribute, as the parser decoded them
// (character references included).
inline QString treeFault(pugi::xml_node node) {
  for (pugi::xml_node n = node; n;) {
    QString fault = textFault(n.name());
    if (fault.isEmpty()) fault = textFault(n.value());
    for (pugi::xml_attribute a = n.first_attribute(); a && fault.isEmpty();
         a = a.next_attribute()) {
      fault = textFault(a.name());
      if (fault.isEmpty()) fault = textFault(a.value());
    }
    if (!fault.isEmpty()) return fault;
    // Depth first, without recursion: a deep part cannot exhaust the stack.
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n && n != node && !n.next_sibling()) n = n.parent();
    if (!n || n == node) break;
    n = n.next_sibling();
  }
  return {};
}

}  // namespace workbookcheck

// Empty when `bytes` is such a workbook; else the first fault, naming the part.
inline QString workbookFault(const QByteArray& bytes) {
  zip_error_t zerr;
  zip_error_init(&zerr);
  zip_source_t* source = zip_source_buffer_create(
      bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &zerr);
  zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zerr) : nullptr;
  if (!zip) {
    const QString why = QString::fromUtf8(zip_error_strerror(&zerr));
    if (source) zip_source_free(source);
    zip_error_fini(&zerr);
    return QStringLiteral("not a zip package (%1)").arg(why);
  }
  zip_error_fini(&zerr);
  QString fault;
  bool contentTypes = false;
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  for (zip_int64_t i = 0; i < count && fault.isEmpty(); ++i) {
    const char* raw = zip_get_name(zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    const std::string name = raw ? raw : "";
    contentTypes |= name == "[Content_Types].xml";
    const bool xml = name.size() > 4 && (name.compare(name.size() - 4, 4, ".xml") == 0 ||
                                         name.compare(name.size() - 5, 5, ".rels") == 0);
    if (!xml) continue;
    std::string text;
    zip_stat_t st;
    zip_stat_init(&st);
    zip_file_t* file = zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st) == 0
                           ? zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0)
                           : nullptr;
    if (file) {
      text.resize(static_cast<std::size_t>(st.size));
      const zip_int64_t got = st.size ? zip_fread(file, text.data(), st.size) : 0;
      zip_fclose(file);
      if (got != static_cast<zip_int64_t>(st.size)) file = nullptr;
    }
    const QString part = QString::fromStdString(name);
    if (!file) {
      fault = part + QStringLiteral(": cannot be read");
      continue;
    }
    if (const QString bad = workbookcheck::textFault(text); !bad.isEmpty()) {
      fault = part + QStringLiteral(": ") + bad;
      continue;
    }
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_declaration,
                        pugi::encoding_utf8);
    if (!parsed || !doc.document_element()) {
      fault = part + QStringLiteral(": not well-formed XML (%1 at byte %2)")
                         .arg(QString::fromUtf8(parsed.description()))
                         .arg(parsed.offset);
      continue;
    }
    if (const QString bad = workbookcheck::treeFault(doc.document_element()); !bad.isEmpty())
      fault = part + QStringLiteral(": ") + bad;
  }
  zip_close(zip);
  if (fault.isEmpty() && !contentTypes) fault = QStringLiteral("no [Content_Types].xml");
  return fault;
}

}  // namespace karvel::test
