// SPDX-License-Identifier: GPL-3.0-or-later
// The bus definition document: an XML object model (pugixml) over the bytes of
// a file, written back byte for byte. Saving does not re-serialise the tree:
// it copies the bytes read and replaces only the attribute values that were
// set, so comments, quotes, entities, blanks and line ends stay as they were.
// One exception: a file read as Windows-1252 because it is not valid UTF-8,
// which edits made valid UTF-8, gets a declaration naming Windows-1252.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <vector>

namespace karvel {

// Status of a document operation: 0 success, negative failure.
enum XmlStatus : int {
  XmlOk = 0,
  XmlCannotOpen = -1,
  XmlMalformed = -2,
  XmlNoRoot = -3,
  XmlSeveralRoots = -4,
  XmlTextOutsideRoot = -5,
  XmlUnsupportedEncoding = -6,
  XmlCannotWrite = -7,
  XmlMissingAttribute = -8,
  XmlNotEncodable = -9,
  XmlOutOfMemory = -12,
};

class XmlDocument {
 public:
  // Bus definition files are a few kilobytes; a larger file is refused before
  // it is read into memory.
  static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

  struct Loaded {
    std::shared_ptr<XmlDocument> document;  // null on failure
    int status = XmlOk;
    QString errorText;  // the layer's own text, at most 511 characters
  };

  // Error texts are in `language` (the language index; English by default).
  static Loaded loadFile(const QString& path, int language = 1);
  static Loaded loadBytes(const QByteArray& bytes, int language = 1);

  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // The bytes as they would be written now: the bytes read with every value
  // that was set spliced in.
  QByteArray bytes() const;
  // Writes bytes() to a temporary file beside `path` and renames it over
  // `path`, so a failed write never loses the file that was there.
  int save(const QString& path, QString* errorText, int language = 1) const;

  pugi::xml_node root() const { return root_; }

  // Element operations. Positions count child elements only, from 0.
  static int childCount(pugi::xml_node element);
  static pugi::xml_node childAt(pugi::xml_node element, int position);
  // Direct child by exact, case-sensitive tag; null when missing.
  static pugi::xml_node child(pugi::xml_node element, const char* tag);
  // All descendant elements (not the element itself) with this tag.
  static std::vector<pugi::xml_node> descendants(pugi::xml_node element, const char* tag);
  static int descendantCount(pugi::xml_node element, const char* tag);
  static int attributeCount(pugi::xml_node element);
  static pugi::xml_attribute attributeAt(pugi::xml_node element, int position);
  static pugi::xml_attribute attribute(pugi::xml_node element, const char* name) {
    return element.attribute(name);
  }

  // Texts decoded from the file's encoding.
  QString tag(pugi::xml_node element) const;
  QString text(pugi::xml_node element) const;
  QString name(pugi::xml_attribute attribute) const;
  QString value(pugi::xml_attribute attribute) const;
  // Sets the value in memory. Refused (XmlNotEncodable) when the file's
  // encoding cannot hold a character of `text`; nothing is changed then.
  int setValue(pugi::xml_attribute attribute, const QString& text, QString* errorText = nullptr,
               int language = 1);

  // What one attribute holds now, exactly: taken before an edit and given
  // back to undo it, so that an undone edit leaves the bytes as they were.
  struct RawValue {
    bool valid = false;
    bool edited = false;     // differs from the bytes read
    QByteArray replacement;  // the edited bytes, escaped and encoded
    QByteArray treeValue;    // what the tree holds for the attribute
  };
  RawValue rawValue(pugi::xml_attribute attribute);
  void restoreRawValue(pugi::xml_attribute attribute, const RawValue& value);

  // Whether the document differs from the file it was read from or last
  // saved to (an edit undone is no difference).
  bool isModified() const { return bytes() != savedBytes_; }

  // The encoding the values are read and written in, e.g. "UTF-8".
  QString encodingName() const;

  // The text for a status, for the "XML Error" box.
  static QString errorText(int status, const QString& detail = QString(), int language = 1);

 private:
  enum class Codec { Utf8, Windows1252 };
  enum class Outer { Bytes, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

  XmlDocument() = default;
  QString decode(const char* raw) const;
  // Where the value of `attribute` starts in original_ and how long it is
  // there (between its quotes); false when it cannot be found.
  bool locate(pugi::xml_attribute attribute, std::size_t* offset, std::size_t* length, char* quote);
  QByteArray encode(const QString& text, bool* ok) const;

  QByteArray original_;                  // the file's bytes, in the working 8-bit form
  std::unique_ptr<char[]> parseBuffer_;  // pugixml parses in place in this copy
  std::size_t parseSize_ = 0;
  QByteArray outerPrefix_;  // byte-order mark of a UTF-16/32 file
  Outer outer_ = Outer::Bytes;
  Codec codec_ = Codec::Utf8;
  bool guessedWindows1252_ = false;  // by bytes that are not UTF-8, not by a declaration
  pugi::xml_document document_;
  pugi::xml_node root_;

  struct Edit {
    std::size_t length = 0;  // bytes of the original value, between the quotes
    QByteArray replacement;  // escaped, encoded
  };
  std::map<std::size_t, Edit> edits_;           // by offset of the value in original_
  std::map<const void*, std::size_t> offsets_;  // attributes set so far -> offset
  mutable QByteArray savedBytes_;               // the file's bytes as read or last saved
};

}  // namespace karvel
