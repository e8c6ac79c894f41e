// SPDX-License-Identifier: GPL-3.0-or-later
// The web addresses that the about panel opens, kept in one place.
#pragma once

#include <QString>

namespace karvel {

inline constexpr const char* kHomePage = "https://karvel.example.org/";
// The support page exists in French (txtLangue=fr) and English (txtLangue=uk).
inline constexpr const char* kSupportPage = "https://karvel.example.org/support/?txtLangue=";

// The support page in French for the French interface, in English otherwise.
inline QString supportPageFor(int language) {
  return QString::fromLatin1(kSupportPage) +
         (language == 0 ? QStringLiteral("fr") : QStringLiteral("uk"));
}

}  // namespace karvel
