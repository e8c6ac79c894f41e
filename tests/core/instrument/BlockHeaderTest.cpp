// SPDX-License-Identifier: GPL-3.0-or-later
// Block headers the reader must refuse from what it has read of the header
// alone: no wait for data, nothing allocated for an announced length.
#include <gtest/gtest.h>

#include "core/instrument/FileTransfer.h"
#include "support/StoreSession.h"

using namespace karvel;
using namespace karvel::test;

TEST(BlockHeader, IndefiniteAndHugeLengthsAreRefusedAtOnce) {
  struct Case {
    const char* reply;  // what the instrument sends, a carriage return added
    bool accepted;
    int consumed;           // bytes taken from the line: the header alone when refused
    const char* malformed;  // what the reader says was wrong
  };
  const Case cases[] = {
      {"#15HELLOX", true, 10, ""},  // five bytes and the two after them
      {"#0HELLOX", false, 2, "\"0\" after \"#\" is not a digit count from 1 to 9"},
      {"#9987654321HELLOX", false, 11,
       "the block announces 987654321 bytes, more than the 67108864 a file may have"},
      {"\x1b[2J", false, 2, "the data block does not start with \"#\" but with \"\\x1b[\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    // The identification reply is the one whose text a test can choose.
    StoreSession s(2, {"--idn", c.reply});
    ASSERT_TRUE(s.ready());
    s.visa.viWrite(s.vi(), "*IDN?\r");
    qsizetype consumed = 0;
    s.visa.setTrace([&](const io::TraceEvent& e) {
      if (e.kind == io::TraceEvent::Kind::Read) consumed += e.data.size();
    });
    QByteArray buffer;
    io::ViUInt32 count = 99;
    QString malformed;
    const io::ViStatus status =
        Tarvik_Read_Binary_Data(s.state, s.vi(), &buffer, &count, nullptr, &malformed);
    EXPECT_EQ(status >= io::VI_SUCCESS, c.accepted) << status;
    EXPECT_EQ(malformed, c.malformed);
    EXPECT_EQ(consumed, c.consumed);
    EXPECT_LT(buffer.capacity(), 1 << 20);
    if (c.accepted) {
      EXPECT_EQ(buffer, "HELLOX\r");
      EXPECT_EQ(count, 7u);
    } else {
      EXPECT_EQ(count, 0u);
    }
  }
}
