// SPDX-License-Identifier: GPL-3.0-or-later
// Verdict headings written without any attribute: no colour word, and the
// tag's ">" right after its name.
#include <gtest/gtest.h>

#include "core/frame/AppState.h"
#include "core/results/ResultReader.h"

using namespace karvel;

TEST(ResultVerdict, HeadingWithoutAttributesGivesItsTextInYellow) {
  const QByteArray row =
      "<TR class=\"r\"><TD>Idle</TD><TD>1</TD><TD>2</TD><TD class=green>0.8</TD><TD>7</TD></TR>\n";
  const QByteArray pages[] = {
      "<HTML><BODY>\n<H1>RESULTS</H1>\n<H2>RS485 115200</H2>\n<H4>Passed</H4>\n"
      "<TABLE><TBODY>\n" +
          row + "</TBODY></TABLE></BODY></HTML>\n",
      "<HTML><HEAD><TITLE>TarvikIV</TITLE></HEAD><BODY>\n<H1>CAN</H1>\n<H3>CANHS</H3>\n"
      "<H2>Diagnostic : Passed</H2>\n<TABLE><TBODY>\n" +
          row + "</TBODY></TABLE></BODY></HTML>\n",
  };
  for (const QByteArray& page : pages) {
    const ResultTable t = readResultText(page, "R.HTM", English);
    EXPECT_EQ(t.verdict, "Passed") << page.constData();
    EXPECT_EQ(t.verdictColour, Status::Yellow);
    EXPECT_TRUE(t.problemMarker.isEmpty()) << t.problemMarker.toStdString();
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_EQ(t.rows[0].cells[3], "0.8");
  }
}
