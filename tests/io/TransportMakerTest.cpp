// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions over a transport handed in by the caller: the layer's rules apply to
// it as to a port, and a maker that gives no link refuses the resource.
#include <gtest/gtest.h>

#include "io/Visa.h"
#include "support/ScriptedTransport.h"

using namespace karvel::io;
using karvel::test::Script;

namespace {

struct ScriptedSession {
  Visa visa;
  std::shared_ptr<Script> script = std::make_shared<Script>();
  ViSession rm = VI_NULL;
  ViSession vi = VI_NULL;
  ViStatus open(const QString& name) {
    karvel::test::playScript(visa, script);
    EXPECT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
    return visa.viOpen(rm, name, VI_NO_LOCK, 0, &vi);
  }
  QByteArray read(ViUInt32 count, ViStatus* status) {
    QByteArray out;
    *status = visa.viRead(vi, &out, count);
    return out;
  }
};

}  // namespace

TEST(TransportMaker, SerialSessionKeepsTerminationCountAndTimeOut) {
  ScriptedSession s;
  s.script->replies = {"TARV", "IK\nRQ", "6102\n"};
  ASSERT_EQ(s.open("ASRL1::INSTR"), VI_SUCCESS);
  ViAttrState type = 0;
  ASSERT_EQ(s.visa.viGetAttribute(s.vi, VI_ATTR_INTF_TYPE, &type), VI_SUCCESS);
  EXPECT_EQ(type, VI_INTF_ASRL);
  EXPECT_EQ(s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_BAUD, 115200), VI_SUCCESS);
  ASSERT_EQ(s.visa.viWrite(s.vi, "*IDN?\r"), VI_SUCCESS);
  EXPECT_EQ(s.script->written, "*IDN?\r");

  ViStatus status = 0;
  // Pieces are joined up to the termination character; what follows it waits.
  EXPECT_EQ(s.read(50, &status), "TARVIK\n");
  EXPECT_EQ(status, VI_SUCCESS);
  EXPECT_EQ(s.read(3, &status), "RQ6");
  EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(s.read(50, &status), "102\n");
  EXPECT_EQ(status, VI_SUCCESS);
  // Nothing more comes: a time-out, without waiting for a real clock.
  EXPECT_EQ(s.read(50, &status), "");
  EXPECT_EQ(status, VI_ERROR_TMO);
}

TEST(TransportMaker, SocketSessionEndsOnWhatArrivedAndReportsALostLink) {
  ScriptedSession s;
  s.script->replies = {"1,2", ",CAN.BUS\r"};
  s.script->lostAtEnd = true;
  ASSERT_EQ(s.open("TCPIP0::10.0.0.5::23::SOCKET"), VI_SUCCESS);
  EXPECT_EQ(s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_BAUD, 9600), VI_ERROR_NSUP_ATTR);
  ViStatus status = 0;
  EXPECT_EQ(s.read(100, &status), "1,2");
  EXPECT_EQ(status, VI_SUCCESS);
  ASSERT_EQ(s.visa.viSetAttribute(s.vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE), VI_SUCCESS);
  // With END suppressed the read goes on to the count; the lost link ends it
  // and hands over what came.
  EXPECT_EQ(s.read(100, &status), ",CAN.BUS\r");
  EXPECT_EQ(status, VI_ERROR_CONN_LOST);
}

TEST(TransportMaker, NoLinkRefusesTheResourceAndOpensNothing) {
  Visa visa;
  visa.setTransportMaker([](const ResourceName&, const QString&) { return nullptr; });
  ViSession rm = VI_NULL;
  ASSERT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
  ViSession vi = 123;
  EXPECT_EQ(visa.viOpen(rm, "TCPIP0::10.0.0.5::23::SOCKET", VI_NO_LOCK, 0, &vi),
            VI_ERROR_RSRC_NFOUND);
  EXPECT_EQ(vi, VI_NULL);
  EXPECT_FALSE(visa.lastOpenError().isEmpty());
  EXPECT_EQ(visa.openObjectCount(), 1);
}

// A wait hook (the windows' repaint during a transfer) changes nothing of
// what a read returns, and a link that answers "nothing came" at once still
// ends the read at the time-out instead of going round for ever.
TEST(TransportMaker, AWaitHookLeavesReadsAsTheyWere) {
  ScriptedSession s;
  s.script->replies = {"A\nB", "\n"};
  ASSERT_EQ(s.open("ASRL1::INSTR"), VI_SUCCESS);
  int hooks = 0;
  s.visa.setWaitHook([&] { ++hooks; });
  ViStatus status = 0;
  EXPECT_EQ(s.read(50, &status), "A\n");
  EXPECT_EQ(s.read(50, &status), "B\n");
  EXPECT_EQ(status, VI_SUCCESS);
  EXPECT_GT(hooks, 0);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 100000);
  EXPECT_EQ(s.read(50, &status), "");
  EXPECT_EQ(status, VI_ERROR_TMO);
  // Removed, it runs no more.
  s.visa.setWaitHook({});
  const int before = hooks;
  s.read(50, &status);
  EXPECT_EQ(hooks, before);
}

TEST(TransportMaker, FlushDropsWhatArrivedAndWasNotRead) {
  ScriptedSession s;
  s.script->replies = {"1\r0,No error\r", "2\r"};
  ASSERT_EQ(s.open("TCPIP0::10.0.0.5::23::SOCKET"), VI_SUCCESS);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR, 13);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
  ViStatus status = 0;
  EXPECT_EQ(s.read(50, &status), "1\r");
  EXPECT_EQ(s.visa.viFlush(s.vi, VI_READ_BUF_DISCARD | VI_IO_OUT_BUF_DISCARD), VI_SUCCESS);
  EXPECT_EQ(s.read(50, &status), "2\r");
  EXPECT_EQ(s.visa.viFlush(s.vi, 0), VI_ERROR_INV_MASK);
  EXPECT_EQ(s.visa.viFlush(s.vi, VI_WRITE_BUF), VI_ERROR_INV_MASK);
  EXPECT_EQ(s.visa.viFlush(999, VI_READ_BUF_DISCARD), VI_ERROR_INV_OBJECT);
}
