// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogue replies from any bytes: the names of both file kinds listed from one
// reply of a store.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "core/instrument/Catalogue.h"

using namespace karvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The reply's own bytes, not a terminated copy: a read past its end is seen.
  const QByteArray reply =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const int kind : {kKindBus, kKindResult}) {
    const QString extension = kind == kKindBus ? QStringLiteral(".bus") : QStringLiteral(".htm");
    QList<CatalogueEntry> list;
    FUZZ_CHECK(AfficheCatalog(kind, reply, ',', 1, list) == 0);
    // Every name listed is a file of that kind in the store asked.
    for (const CatalogueEntry& entry : list) {
      FUZZ_CHECK(entry.store == 1);
      FUZZ_CHECK(entry.name.endsWith(extension, Qt::CaseInsensitive));
    }
  }
  return 0;
}
