// SPDX-License-Identifier: GPL-3.0-or-later
// Every user-visible text is a row of five strings in the order of the
// language index (French, English, German, Spanish, Italian), UTF-8 in the
// sources. Menu texts mark the mnemonic letter with a double underscore.
#pragma once

#include <QString>
#include <array>

namespace karvel {

using Text5 = std::array<const char*, 5>;

// A language index that is safe to index a table with.
inline int clampLanguage(int language) { return (language >= 0 && language < 5) ? language : 1; }

inline QString pick(const Text5& text, int language) {
  return QString::fromUtf8(text[static_cast<std::size_t>(clampLanguage(language))]);
}

// "__File" -> "&File": the double underscore marks the mnemonic letter;
// a literal ampersand is doubled so that it shows.
inline QString menuText(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'_' && i + 1 < text.size() && text[i + 1] == u'_') {
      out += u'&';
      ++i;
    } else if (text[i] == u'&') {
      out += QStringLiteral("&&");
    } else {
      out += text[i];
    }
  }
  return out;
}

// Help-file language codes.
inline constexpr std::array<const char*, 5> kLanguageCodes = {"fr", "gb", "de", "es", "it"};

}  // namespace karvel
