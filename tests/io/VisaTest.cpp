// SPDX-License-Identifier: GPL-3.0-or-later
// The I/O layer against the simulator over loopback TCP and a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include "io/Ping.h"
#include "io/ResourceName.h"
#include "io/Visa.h"
#include "support/ScriptedTransport.h"
#include "support/Simulator.h"
#include "support/TurnUntil.h"

using namespace karvel::io;
using karvel::test::Simulator;

namespace {

struct Session {
  Visa visa;
  ViSession rm = VI_NULL;
  ViSession vi = VI_NULL;
  ViStatus open(const QString& name) {
    karvel::test::ensureCoreApp();
    EXPECT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
    return visa.viOpen(rm, name, VI_NO_LOCK, 0, &vi);
  }
  QByteArray ask(const char* command, ViUInt32 count = 50, ViStatus* status = nullptr) {
    visa.viWrite(vi, command);
    QByteArray reply;
    const ViStatus s = visa.viRead(vi, &reply, count);
    if (status) *status = s;
    return reply;
  }
};

using karvel::test::turnUntil;

}  // namespace

TEST(ResourceNames, SerialAndSocketForms) {
  auto r = parseResourceName("ASRL3");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, ResourceName::Kind::Serial);
#ifndef Q_OS_WIN
  EXPECT_EQ(r->device, "/dev/ttyS2");
#endif
  EXPECT_EQ(r->canonical, "ASRL3::INSTR");
  r = parseResourceName("ASRL/dev/ttyUSB0::INSTR");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->device, "/dev/ttyUSB0");
  r = parseResourceName("TCPIP0::192.168.1.20::23::SOCKET");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->kind, ResourceName::Kind::Socket);
  EXPECT_EQ(r->host, "192.168.1.20");
  EXPECT_EQ(r->port, 23);
  for (const char* bad : {"", "ASRL", "ASRL0", "USB", "TCPIP0::1.2.3.4::70000::SOCKET",
                          "TCPIP0::1.2.3.4::23::INSTR", "TCPIP0::255.255.255.255"})
    EXPECT_FALSE(parseResourceName(bad)) << bad;
}

TEST(ResourceNames, SearchExpressions) {
  const char* expr = "ASRL[1-999]*::?*INSTR";
  EXPECT_TRUE(matchesExpression(expr, "ASRL1::INSTR"));
  EXPECT_TRUE(matchesExpression(expr, "asrl12::instr"));
  EXPECT_FALSE(matchesExpression(expr, "TCPIP0::1.2.3.4::23::SOCKET"));
  EXPECT_FALSE(matchesExpression(expr, "ASRL/dev/ttyACM0::INSTR"));
  EXPECT_FALSE(matchesExpression("ASRL[1-", "ASRL1"));  // unclosed class: no match, no crash
}

TEST(Visa, ResourceSearchWalksTheListedPortsInOrder) {
  karvel::test::ensureCoreApp();
  Visa visa;
  visa.setPortLister([] {
    return QList<SerialPortEntry>{
        {"/dev/ttyS0", ""}, {"/dev/ttyACM0", "Gadget Serial"}, {"/dev/ttyUSB1", "CP2102"}};
  });
  ViSession rm = VI_NULL;
  ASSERT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
  ViFindList list = VI_NULL;
  ViUInt32 count = 0;
  QString name;
  ASSERT_EQ(visa.viFindRsrc(rm, "ASRL[1-999]*::?*INSTR", &list, &count, &name), VI_SUCCESS);
  EXPECT_EQ(count, 3u);
  QStringList names{name};
  while (visa.viFindNext(list, &name) == VI_SUCCESS) names << name;
  EXPECT_EQ(names,
            (QStringList{"ASRL1::INSTR", "ASRL/dev/ttyACM0::INSTR", "ASRL/dev/ttyUSB1::INSTR"}));
  EXPECT_LT(visa.viFindNext(list, &name), VI_SUCCESS);
  // Closing the manager closes its find list too.
  EXPECT_EQ(visa.viClose(rm), VI_SUCCESS);
  EXPECT_EQ(visa.openObjectCount(), 0);
  EXPECT_EQ(visa.viFindNext(list, &name), VI_ERROR_INV_OBJECT);

  visa.setPortLister([] { return QList<SerialPortEntry>{}; });
  ASSERT_EQ(visa.viOpenDefaultRM(&rm), VI_SUCCESS);
  EXPECT_EQ(visa.viFindRsrc(rm, "ASRL[1-999]*::?*INSTR", &list, &count, &name),
            VI_ERROR_RSRC_NFOUND);
}

TEST(Visa, SocketReadsEndOnEndCountAndTermination) {
  Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  Session s;
  ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
  ViAttrState type = 0;
  ASSERT_EQ(s.visa.viGetAttribute(s.vi, VI_ATTR_INTF_TYPE, &type), VI_SUCCESS);
  EXPECT_EQ(type, VI_INTF_TCPIP);
  EXPECT_EQ(s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_BAUD, 9600), VI_ERROR_NSUP_ATTR);
  ViAttrState rm = 0;
  ASSERT_EQ(s.visa.viGetAttribute(s.vi, VI_ATTR_RM_SESSION, &rm), VI_SUCCESS);
  EXPECT_EQ(rm, s.rm);

  ViStatus status = 0;
  EXPECT_EQ(s.ask("\r*IDN?\r", 50, &status), "TARVIK,RQ6102,4472318,V2.03\r");
  EXPECT_EQ(status, VI_SUCCESS);

  // Maximum count: the rest stays for the next read.
  EXPECT_EQ(s.ask("*IDN?\r", 6, &status), "TARVIK");
  EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
  QByteArray rest;
  EXPECT_EQ(s.visa.viRead(s.vi, &rest, 100), VI_SUCCESS);
  EXPECT_EQ(rest, ",RQ6102,4472318,V2.03\r");

  // Termination character enabled and END suppressed: one reply per read even
  // when two arrived together.
  s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR, 13);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
  s.visa.viSetAttribute(s.vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  EXPECT_EQ(s.ask("DEV:MOD?\rSYST:ERR?\r", 100, &status), "BUS\r");
  EXPECT_EQ(status, VI_SUCCESS);
  QByteArray second;
  EXPECT_EQ(s.visa.viRead(s.vi, &second, 100), VI_SUCCESS);
  EXPECT_EQ(second, "0,No error\r");

  ViInt16 run = -1;
  s.visa.viWrite(s.vi, "TRIG:RUN:STAT?\r");
  EXPECT_EQ(s.visa.viScanf(s.vi, "%hd", &run), VI_SUCCESS);
  EXPECT_EQ(run, 1);
  EXPECT_EQ(s.visa.viScanf(s.vi, "%d", &run), VI_ERROR_NSUP_FMT);
  s.visa.viWrite(s.vi, "DEV:MOD?\r");
  EXPECT_EQ(s.visa.viScanf(s.vi, "%hd", &run), VI_ERROR_INV_FMT);
  EXPECT_EQ(s.visa.viSetBuf(s.vi, 4, 100), VI_ERROR_INV_MASK);
}

TEST(Visa, TimeOutsAndDeadLinksNeverHang) {
  Simulator sim({"--tcp", "0", "--fault", "silent"});
  ASSERT_TRUE(sim.ready());
  Session s;
  ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 200);
  QElapsedTimer timer;
  timer.start();
  ViStatus status = 0;
  EXPECT_TRUE(s.ask("\r*IDN?\r", 50, &status).isEmpty());
  EXPECT_EQ(status, VI_ERROR_TMO);
  EXPECT_LT(timer.elapsed(), 5000);

  // The instrument goes away: reads and writes fail at once instead of waiting.
  s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 60000);
  sim.stop();
  timer.restart();
  s.visa.viWrite(s.vi, "\r*IDN?\r");
  QByteArray reply;
  EXPECT_LT(s.visa.viRead(s.vi, &reply, 50), VI_SUCCESS);
  EXPECT_LT(timer.elapsed(), 10000);

  // Nobody listens: the opening fails with a negative status.
  Session none;
  EXPECT_LT(none.open(sim.tcpResource()), VI_SUCCESS);
  EXPECT_LT(none.open("ASRL/dev/karvel-no-such-port::INSTR"), VI_SUCCESS);
  EXPECT_FALSE(none.visa.lastOpenError().isEmpty());
  EXPECT_EQ(none.open("not a resource"), VI_ERROR_INV_RSRC_NAME);
}

// A cancel comes while a read waits out a long time-out (a catalogue's 60 s):
// the wait ends within one piece, as a cancel and not as a time-out, on a
// socket and on a serial line alike; a hook set without a cancel (a
// transfer's) waits as before and gives the cancel back with the hook.
TEST(Visa, ACancelEndsAWaitingReadAtOnceAndItsReplyIsDroppedAtTheNextCommand) {
  for (const char* resource : {"TCPIP0::192.0.2.7::23::SOCKET", "ASRL/dev/ttyKARVEL0::INSTR"}) {
    SCOPED_TRACE(resource);
    auto script = std::make_shared<karvel::test::Script>();
    Session s;
    karvel::test::playScript(s.visa, script);
    ASSERT_EQ(s.open(resource), VI_SUCCESS);
    s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 60000);
    s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
    s.visa.viSetAttribute(s.vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
    bool cancel = false;
    int keepAlives = 0;
    s.visa.setWaitHook([&keepAlives] { ++keepAlives; }, [&cancel] { return cancel; });
    EXPECT_TRUE(s.visa.readsCancellable());
    // The start of a reply, then silence; the user cancels at the fifth piece.
    script->replies = {"12345,"};
    script->quiet = [&cancel](int receive) {
      if (receive == 5) cancel = true;
      return false;
    };
    QByteArray reply;
    EXPECT_EQ(s.visa.viRead(s.vi, &reply, 3000), VI_ERROR_ABORT);
    EXPECT_EQ(script->receives, 5);
    EXPECT_EQ(reply, "12345,");                   // what came is handed over, as with a failure
    EXPECT_FALSE(s.visa.lastFailure().failed());  // the link did not fail
    EXPECT_GT(keepAlives, 0);
    // Reads that would wait end at once while the cancel holds.
    EXPECT_EQ(s.visa.viRead(s.vi, &reply, 3000), VI_ERROR_ABORT);
    EXPECT_EQ(script->receives, 5);

    // Saved and put back as a plain function, the hook keeps its cancel; a
    // transfer's own hook in between reads without it.
    const std::function<void()> saved = s.visa.waitHook();
    s.visa.setWaitHook([] {});
    EXPECT_FALSE(s.visa.readsCancellable());
    s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 100);
    EXPECT_EQ(s.visa.viRead(s.vi, &reply, 3000), VI_ERROR_TMO);
    EXPECT_GT(script->receives, 5);
    s.visa.setWaitHook(saved);
    EXPECT_TRUE(s.visa.readsCancellable());
    s.visa.setWaitHook({});
    EXPECT_FALSE(s.visa.readsCancellable());

    // The next command first drops what the reply given up still brought;
    // later ones do not.
    const int discards = script->discards;
    s.visa.viWrite(s.vi, "*IDN?\r");
    EXPECT_EQ(script->discards, discards + 1);
    s.visa.viWrite(s.vi, "*IDN?\r");
    EXPECT_EQ(script->discards, discards + 1);
    EXPECT_EQ(Visa::statusText(VI_ERROR_ABORT), "User abort occurred during transfer.");
  }
}

TEST(Visa, FailuresNameTheirCauseAndAddress) {
  karvel::test::ensureCoreApp();
  Session s;
  const auto cause = [&] { return s.visa.lastFailure().cause; };
  // A port nobody listens on: taken from a server that is closed again.
  quint16 closed = 0;
  {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    closed = server.serverPort();
  }
  const QString refused = QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(closed);
  EXPECT_LT(s.open(refused), VI_SUCCESS);
  EXPECT_EQ(cause(), LinkCause::Refused);
  EXPECT_EQ(s.visa.lastFailure().address, refused);
  EXPECT_EQ(s.open("TCPIP0::127.0.0.1::SOCKET"), VI_ERROR_INV_RSRC_NAME);
  EXPECT_EQ(cause(), LinkCause::Malformed);
  EXPECT_EQ(s.visa.lastFailure().address, "TCPIP0::127.0.0.1::SOCKET");
  EXPECT_LT(s.open("ASRL/dev/karvel-no-such-port::INSTR"), VI_SUCCESS);
  EXPECT_EQ(cause(), LinkCause::NoDevice);
  EXPECT_EQ(s.visa.lastFailure().device, "/dev/karvel-no-such-port");
  s.visa.setConnectTimeout(20000);  // a slow resolver still answers "no such host"
  EXPECT_LT(s.open("TCPIP0::karvel-no-such-host.invalid::23::SOCKET"), VI_SUCCESS);
  EXPECT_EQ(cause(), LinkCause::UnknownHost);

  // A silent peer: the read times out; an answer clears the record again.
  Simulator sim({"--tcp", "0", "--fault", "silent"});
  ASSERT_TRUE(sim.ready());
  ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
  EXPECT_FALSE(s.visa.lastFailure().failed());
  s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 100);
  s.ask("*IDN?\r");
  EXPECT_EQ(cause(), LinkCause::TimeOut);
  EXPECT_EQ(s.visa.lastFailure().address, sim.tcpResource());
  ASSERT_TRUE(sim.control("fault none"));
  s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 10000);  // ends early: an answer, or the peer gone
  EXPECT_FALSE(s.ask("*IDN?\r").isEmpty());
  EXPECT_FALSE(s.visa.lastFailure().failed());
  sim.stop();
  s.ask("*IDN?\r");
  EXPECT_EQ(cause(), LinkCause::Lost);
}

// The link of a session that nobody reads from ends: the layer says so from
// the event loop, once, never from inside its own calls, and never for a
// session the program closed itself.
TEST(Visa, ALinkThatEndsByItselfIsToldOnceFromTheEventLoop) {
  QStringList links{"tcp"};
#ifndef Q_OS_WIN
  links << "pty";
#endif
  for (const QString& link : links) {
    SCOPED_TRACE(link.toStdString());
    Simulator sim(link == "tcp" ? QStringList{"--tcp", "0"} : QStringList{"--pty", "--unpaced"});
    ASSERT_TRUE(sim.ready());
    const QString address = link == "tcp" ? sim.tcpResource() : sim.ptyResource();
    Session s;
    ASSERT_EQ(s.open(address), VI_SUCCESS);
    QList<ViSession> told;
    bool insideCall = false;
    bool acceptNow = false;
    s.visa.setLinkClosedHandler([&](ViSession vi) {
      told.append(vi);
      EXPECT_FALSE(insideCall);
      return acceptNow;
    });
    s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 2000);
    s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR, 13);
    if (link == "pty") s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_BAUD, 115200);
    EXPECT_FALSE(s.ask("*IDN?\r").isEmpty());
    EXPECT_FALSE(s.visa.linkLoss(s.vi).failed());

    // The instrument goes away while a read waits, and the read's wait turns
    // the event loop: the read fails, the news comes only after it.
    ASSERT_TRUE(sim.control("fault silent"));
    s.visa.setWaitHook([&] {
      sim.stop();
      QCoreApplication::processEvents();
    });
    insideCall = true;
    ViStatus status = VI_SUCCESS;
    s.ask("*IDN?\r", 50, &status);
    insideCall = false;
    s.visa.setWaitHook({});
    EXPECT_LT(status, VI_SUCCESS);
    EXPECT_TRUE(told.isEmpty());

    // A handler that cannot act yet is told again, while the session stays.
    ASSERT_TRUE(turnUntil([&] { return told.size() >= 2; }, 5000));
    EXPECT_EQ(told[0], s.vi);
    EXPECT_EQ(told[1], s.vi);
    const LinkFailure loss = s.visa.linkLoss(s.vi);
    EXPECT_EQ(loss.cause, LinkCause::Lost);
    EXPECT_EQ(loss.address, address);
    if (link == "pty") {
      EXPECT_EQ(loss.device, sim.pty());
    }
    // Taken: told no more.
    acceptNow = true;
    turnUntil([] { return false; }, 300);
    const qsizetype afterTaken = told.size();
    turnUntil([] { return false; }, 300);
    EXPECT_EQ(told.size(), afterTaken);
    EXPECT_EQ(s.visa.viClose(s.vi), VI_SUCCESS);
    EXPECT_FALSE(s.visa.linkLoss(s.vi).failed());
  }

  // The program's own close is no end of the link, even when the peer goes
  // right after.
  Simulator sim({"--tcp", "0"});
  ASSERT_TRUE(sim.ready());
  Session s;
  ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
  int told = 0;
  s.visa.setLinkClosedHandler([&](ViSession) {
    ++told;
    return true;
  });
  EXPECT_EQ(s.visa.viClose(s.vi), VI_SUCCESS);
  sim.stop();
  turnUntil([] { return false; }, 300);
  EXPECT_EQ(told, 0);
}

TEST(Visa, GarbageAndConnectionClosedMidReply) {
  Simulator sim({"--tcp", "0", "--fault", "close-mid-reply"});
  ASSERT_TRUE(sim.ready());
  Session s;
  ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 500);
  s.visa.viSetAttribute(s.vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR, 13);
  ViStatus status = 0;
  const QByteArray half = s.ask("*IDN?\r", 50, &status);
  EXPECT_LT(status, VI_SUCCESS);
  EXPECT_TRUE(QByteArray("TARVIK,RQ6102,4472318,V2.03\r").startsWith(half));
  EXPECT_LT(s.visa.viWrite(s.vi, "*IDN?\r") == VI_SUCCESS ? s.visa.viRead(s.vi, nullptr, 50) : -1,
            0);
}

TEST(Visa, BlocksTravelWithCarriageReturnsInside) {
  Simulator sim({"--tcp", "0"});
  ASSERT_TRUE(sim.ready());
  Session s;
  ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
  const QByteArray data("<bus>\r\n<x/>\r</bus>");
  s.visa.viWrite(s.vi, "MMEM:CDIR \"/bus-limits\"\r");
  s.visa.viWrite(s.vi, "MMEM:DATA \"T.bus\",#2" + QByteArray::number(data.size()) + data + "\r");
  ASSERT_EQ(data.size(), 18);
  EXPECT_EQ(s.ask("MMEM:CAT?\r", 1000), "18,8388590,T.bus,18\r");
  s.visa.viSetAttribute(s.vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  s.visa.viWrite(s.vi, "MMEM:DATA? \"t.BUS\"\r");
  QByteArray header;
  EXPECT_EQ(s.visa.viRead(s.vi, &header, 4), VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(header, "#218");
  QByteArray body;
  EXPECT_EQ(s.visa.viRead(s.vi, &body, 20), VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(body, data + "\r\n");
}

#ifndef Q_OS_WIN
TEST(Visa, SerialPortOnAPseudoTerminal) {
  Simulator sim({"--pty", "--family", "1", "--baud", "19200"});
  ASSERT_TRUE(sim.ready());
  Session s;
  s.visa.setPortLister([&] { return QList<SerialPortEntry>{{sim.pty(), "Gadget Serial"}}; });
  ASSERT_EQ(s.open(sim.ptyResource()), VI_SUCCESS);
  QString name;
  ASSERT_EQ(s.visa.viGetAttribute(s.vi, VI_ATTR_INTF_INST_NAME, &name), VI_SUCCESS);
  EXPECT_EQ(name, "Gadget Serial");
  s.visa.viSetAttribute(s.vi, VI_ATTR_TMO_VALUE, 300);
  s.visa.viSetAttribute(s.vi, VI_ATTR_TERMCHAR, 13);
  EXPECT_EQ(s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_FLOW_CNTRL, VI_ASRL_FLOW_RTS_CTS), VI_SUCCESS);

  // At the wrong speed the instrument hears noise and stays silent.
  ASSERT_EQ(s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_BAUD, 115200), VI_SUCCESS);
  ViStatus status = 0;
  EXPECT_TRUE(s.ask("\r*IDN?\r", 50, &status).isEmpty());
  EXPECT_EQ(status, VI_ERROR_TMO);

  ASSERT_EQ(s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_BAUD, 19200), VI_SUCCESS);
  EXPECT_EQ(s.ask("\r*IDN?\r", 50, &status), "TARVIK,RQ4102,4471052,V5.12\r");
  EXPECT_EQ(status, VI_SUCCESS);

  // Without end of input on the termination character, only the count ends a read.
  s.visa.viSetAttribute(s.vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_NONE);
  EXPECT_EQ(s.ask("*IDN?\rDEV:MOD?\r", 32, &status), "TARVIK,RQ4102,4471052,V5.12\rBUS\r");
  EXPECT_EQ(status, VI_SUCCESS_MAX_CNT);
  EXPECT_EQ(s.visa.viClose(s.vi), VI_SUCCESS);
  EXPECT_EQ(s.visa.viClose(s.vi), VI_ERROR_INV_OBJECT);
}
#endif

TEST(Ping, LoopbackAnswersAndBadAddressesAreRefused) {
  karvel::test::ensureCoreApp();
  int reachable = -1;
  PingMethod used = PingMethod::None;
  ASSERT_EQ(InetPing("127.0.0.1", &reachable, 2000, 23, &used), 0);
  EXPECT_EQ(reachable, 1);
  EXPECT_NE(used, PingMethod::None);
  EXPECT_EQ(InetPing("192.168.1", &reachable, 100), -1);
  EXPECT_EQ(reachable, 0);
  EXPECT_EQ(InetPing("not an address", &reachable, 100), -1);
}

TEST(Simulator, FileStoresOfBothFamilies) {
  QTemporaryDir dir;
  for (const char* name : {"CAN.BUS", "R1.HTM"}) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("abc");
  }
  {
    Simulator sim({"--tcp", "0", "--family", "1", "--files", dir.path(), "--sd-files", dir.path()});
    ASSERT_TRUE(sim.ready());
    Session s;
    ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
    EXPECT_EQ(s.ask(":MMEM:CAT? LOCAL\r", 1000), "6,8388602,CAN.BUS,3,R1.HTM,3\r");
    EXPECT_EQ(s.ask(":MEM:CAT?\r", 1000), "6,8388602,CAN.BUS,3,R1.HTM,3\r");
    EXPECT_EQ(s.ask("MEM:DATA? \"can.bus\"\r", 1000), "#13abc\r\n");
  }
  Simulator sim({"--tcp", "0", "--family", "2", "--files", dir.path(), "--no-sdcard"});
  ASSERT_TRUE(sim.ready());
  Session s;
  ASSERT_EQ(s.open(sim.tcpResource()), VI_SUCCESS);
  s.visa.viWrite(s.vi, ":MMEM:MSIS LOCAL\r:MMEM:CDIR \"/bus\"\r");
  EXPECT_EQ(s.ask(":MMEM:CAT? LOCAL\r", 1000), "3,8388605,R1.HTM,3\r");
  s.visa.viWrite(s.vi, ":MMEM:MSIS SDCARD\r:MMEM:CDIR \"/bus\"\r:*CLS\r");
  EXPECT_EQ(s.ask(":MMEM:CAT?\r", 1000), "0,0\r");
  EXPECT_TRUE(s.ask(":SYST:ERR?\r").startsWith("-200,"));
  ASSERT_TRUE(sim.control("sdcard on"));
  EXPECT_EQ(s.ask(":MMEM:CAT?\r", 1000), "0,8388608\r");
  EXPECT_EQ(s.ask(":SYST:ERR?\r"), "0,No error\r");
}
