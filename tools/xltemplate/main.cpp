// SPDX-License-Identifier: GPL-3.0-or-later
// Packs the spreadsheet template: the XML parts kept as text files in the
// source tree are zipped into the workbook file "karvel.xl". Each part is
// checked to be well-formed XML, the content-type list goes first as
// spreadsheet applications expect, and every entry gets the same date so that
// the build gives the same file each time.
#include <zip.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <pugixml.hpp>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: karvel-xltemplate SOURCE_FOLDER OUTPUT_FILE\n", stderr);
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  const QString output = QString::fromLocal8Bit(argv[2]);

  QStringList parts;
  QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) parts << root.relativeFilePath(it.next());
  const QString contentTypes = QStringLiteral("[Content_Types].xml");
  if (!parts.contains(contentTypes)) {
    std::fprintf(stderr, "karvel-xltemplate: %s has no %s\n", argv[1], qPrintable(contentTypes));
    return 1;
  }
  std::sort(parts.begin(), parts.end());
  parts.removeAll(contentTypes);
  parts.prepend(contentTypes);

  std::vector<QByteArray> contents;  // zip_close reads them at the end
  contents.reserve(static_cast<std::size_t>(parts.size()));
  for (const QString& part : parts) {
    QFile file(root.filePath(part));
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "karvel-xltemplate: %s: %s\n", qPrintable(part),
                   qPrintable(file.errorString()));
      return 1;
    }
    contents.push_back(file.readAll());
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(contents.back().constData(), contents.back().size());
    if (!parsed) {
      std::fprintf(stderr, "karvel-xltemplate: %s: not well-formed XML at offset %lld: %s\n",
                   qPrintable(part), static_cast<long long>(parsed.offset), parsed.description());
      return 1;
    }
  }

  QDir().mkpath(QFileInfo(output).absolutePath());
  zip_error_t zerr;
  zip_error_init(&zerr);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &zerr);
  zip_t* zip = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &zerr) : nullptr;
  if (!zip) {
    std::fprintf(stderr, "karvel-xltemplate: %s\n", zip_error_strerror(&zerr));
    return 1;
  }
  zip_source_keep(buffer);
  struct tm date = {};
  date.tm_year = 2026 - 1900;
  date.tm_mon = 0;
  date.tm_mday = 1;
  date.tm_hour = 12;
  const time_t stamp = mktime(&date);
  for (std::size_t i = 0; i < contents.size(); ++i) {
    zip_source_t* source = zip_source_buffer(zip, contents[i].constData(), contents[i].size(), 0);
    const zip_int64_t index =
        source ? zip_file_add(zip, parts[static_cast<qsizetype>(i)].toUtf8().constData(), source,
                              ZIP_FL_ENC_UTF_8)
               : -1;
    if (index < 0) {
      if (source) zip_source_free(source);
      std::fprintf(stderr, "karvel-xltemplate: %s\n", zip_strerror(zip));
      return 1;
    }
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
    zip_file_set_mtime(zip, static_cast<zip_uint64_t>(index), stamp, 0);
  }
  if (zip_close(zip) != 0) {
    std::fprintf(stderr, "karvel-xltemplate: %s\n", zip_strerror(zip));
    return 1;
  }
  zip_stat_t st;
  zip_stat_init(&st);
  QByteArray bytes;
  if (zip_source_stat(buffer, &st) == 0 && zip_source_open(buffer) == 0) {
    bytes.resize(static_cast<qsizetype>(st.size));
    if (zip_source_read(buffer, bytes.data(), st.size) != static_cast<zip_int64_t>(st.size))
      bytes.clear();
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  QSaveFile out(output);
  if (bytes.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
      !out.commit()) {
    std::fprintf(stderr, "karvel-xltemplate: cannot write %s\n", qPrintable(output));
    return 1;
  }
  return 0;
}
