// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files from any bytes: read as at start; a file that is accepted
// holds usable values and reads back the same once written again.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "core/frame/Settings.h"

using namespace karvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const QString input = fuzz::scratchPath(QStringLiteral("karvel.ini"));
  static const QString rewritten = fuzz::scratchPath(QStringLiteral("rewritten.ini"));
  fuzz::writeInput(input,
                   QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

  AppState state;
  WindowGeometry geometry;
  if (!readSettingsFile(input, state, geometry)) return 0;
  // The language and the connection index every text table and the menus.
  FUZZ_CHECK(state.language >= 0 && state.language < kLanguageCount);
  FUZZ_CHECK(state.connectionType >= RS232 && state.connectionType <= Ethernet);

  FUZZ_CHECK(SauvegardeIni(rewritten, state, geometry));
  AppState again;
  WindowGeometry geometryAgain;
  FUZZ_CHECK(readSettingsFile(rewritten, again, geometryAgain));
  FUZZ_CHECK(again.languageChosen == state.languageChosen);
  FUZZ_CHECK(again.workingDir == state.workingDir);
  FUZZ_CHECK(again.language == state.language);
  FUZZ_CHECK(again.connectionType == state.connectionType);
  FUZZ_CHECK(again.serialAddress == state.serialAddress);
  FUZZ_CHECK(again.usbAddress == state.usbAddress);
  FUZZ_CHECK(again.ethernetAddress == state.ethernetAddress);
  // A zoomed window is kept with the fixed place.
  WindowGeometry expected = geometry;
  if (geometry.zoom != kZoomNormal) {
    expected = kZoomedGeometry;
    expected.zoom = geometry.zoom;
  }
  FUZZ_CHECK(geometryAgain == expected);
  return 0;
}
