// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogues the instrument does not answer, and catalogues longer than one
// read, on both families.
#include <gtest/gtest.h>

#include <QSet>

#include "core/instrument/Catalogue.h"
#include "core/instrument/FileTransfer.h"
#include "support/StoreSession.h"

using namespace karvel;
using namespace karvel::test;

class CatalogueEdge : public ::testing::TestWithParam<int> {};

TEST_P(CatalogueEdge, ASilentInstrumentIsAFailureNotAnEmptyStore) {
  StoreSession s(GetParam(), {"--fault", "silent"});
  ASSERT_TRUE(s.ready());
  // The catalogue's minute-long time-out is cut short: only its end matters here.
  s.visa.setTrace([&](const io::TraceEvent& e) {
    if (e.kind == io::TraceEvent::Kind::Write) s.writes.append(e.data);
    if (e.kind == io::TraceEvent::Kind::SetAttribute && e.attribute == io::VI_ATTR_TMO_VALUE &&
        e.value == kCatalogueTimeoutMs)
      s.visa.viSetAttribute(e.session, io::VI_ATTR_TMO_VALUE, 200);
  });
  QList<CatalogueEntry> list;
  EXPECT_LT(RetourneCatalogue(s.state, kKindBus, list), 0);
  EXPECT_TRUE(list.isEmpty());
  // No second store is asked after the first stayed silent.
  EXPECT_TRUE(s.writes.last().contains("CAT? LOCAL")) << s.writes.last().toStdString();
  io::ViAttrState timeout = 0;
  s.visa.viGetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, &timeout);
  EXPECT_EQ(timeout, 2000u);
}

TEST_P(CatalogueEdge, SevenHundredFilesPerStoreAreEachListedInTheirOwnStore) {
  // About 15 kB of catalogue per store: more than one read of 10000 bytes.
  QTemporaryDir local, card;
  for (int i = 1; i <= 700; ++i) {
    const QString n = QStringLiteral("%1").arg(i, 4, 10, QChar(u'0'));
    QFile(local.filePath("LOCAL_FILE_" + n + ".BUS")).open(QIODevice::WriteOnly);
    QFile f(card.filePath("CARD_FILE_" + n + ".BUS"));
    if (f.open(QIODevice::WriteOnly)) f.write(n.toLatin1());
  }
  StoreSession s(GetParam(), {"--files", local.path(), "--sd-files", card.path()});
  ASSERT_TRUE(s.ready());
  QList<CatalogueEntry> list;
  ASSERT_EQ(RetourneCatalogue(s.state, kKindBus, list), 0);
  QSet<QString> seen;
  int perStore[2] = {0, 0};
  for (const CatalogueEntry& e : list) {
    ASSERT_EQ(e.store, e.name.startsWith("CARD_") ? 1 : 0) << e.name.toStdString();
    ASSERT_TRUE(e.name.startsWith("LOCAL_FILE_") || e.name.startsWith("CARD_FILE_"))
        << e.name.toStdString();
    seen.insert(e.name);
    ++perStore[e.store];
  }
  EXPECT_EQ(perStore[0], 700);
  EXPECT_EQ(perStore[1], 700);
  EXPECT_EQ(seen.size(), 1400);
  // The last name of a long catalogue is found by the download too.
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "CARD_FILE_0700.BUS", 0, 1, kKindBus, 0), 0);
  EXPECT_EQ(readAll(s.state.programDir + "/______z_.tmp"), "0700");
}

INSTANTIATE_TEST_SUITE_P(Both, CatalogueEdge, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "RQ4102" : "RQ6102"; });
