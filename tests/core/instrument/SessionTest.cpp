// SPDX-License-Identifier: GPL-3.0-or-later
// Opening, checking and closing an instrument session against the simulator
// over loopback TCP and a pseudo-terminal: the exact bytes written, the speed
// changes and the waits, in the order they happen.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "core/frame/AppState.h"
#include "core/frame/Messages.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/Communication.h"
#include "core/instrument/IdentModelScope.h"
#include "io/Visa.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedTransport.h"
#include "support/Simulator.h"
#include "support/StoreSession.h"
#include "support/TurnUntil.h"

using namespace karvel;
using namespace karvel::io;
using karvel::test::Simulator;

namespace {

QString printable(const QByteArray& bytes) {
  QString out;
  for (char c : bytes) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += QChar::fromLatin1(c);
  }
  return out;
}

// Waits go into the same log as the writes, so their order shows. The short
// wait before the PC changes its own serial speed is kept for real: it gives
// the instrument the time to take the speed command at the old speed.
class LogClock : public test::RecordingClock {
 public:
  QStringList* log = nullptr;
  void wait(int ms) override {
    RecordingClock::wait(ms);
    log->append(QStringLiteral("wait %1").arg(ms));
    if (ms <= 100) QThread::msleep(static_cast<unsigned long>(ms));
  }
};

std::string seq(const QStringList& list) { return list.join(" | ").toStdString(); }

struct Harness {
  AppState state;
  Visa visa;
  test::ScriptedInteraction ui;
  LogClock clock;
  QStringList log;  // "W:<bytes>", "baud <n>", "wait <ms>"
  QStringList opened;
  QList<int> toolbar;
  QList<int> menu;
  QTemporaryDir emptySys;

  Harness() {
    test::ensureCoreApp();
    state.visa = &visa;
    state.ui = &ui;
    state.clock = &clock;
    clock.log = &log;
    state.sysfsRoot = emptySys.path();
    state.afficheCom = [this](int open) { toolbar.append(open); };
    state.gestionMenu = [this](int item) { menu.append(item); };
    visa.setPortLister([] { return QList<SerialPortEntry>{}; });
    visa.setTrace([this](const TraceEvent& e) {
      if (e.kind == TraceEvent::Kind::Write) log.append("W:" + printable(e.data));
      if (e.kind == TraceEvent::Kind::SetAttribute && e.attribute == VI_ATTR_ASRL_BAUD)
        log.append(QStringLiteral("baud %1").arg(e.value));
      if (e.kind == TraceEvent::Kind::Open && e.status == VI_SUCCESS)
        opened.append(QString::fromUtf8(e.data));
    });
  }
  int openOver(ConnectionType type, const QString& address) {
    state.connectionType = type;
    if (type == RS232) state.serialAddress = address;
    if (type == Ethernet) state.ethernetAddress = address;
    return OpenDev(state);
  }
};

const QStringList kSecondFamilySetup = {"W:*CLS\\r", "W:FORM:DATA INT;DINT ON\\r",
                                        "W:TRAC:LIM 0,99999,1\\r", "W:DEV:MOD?\\r",
                                        "W:CALC:TRAN:FREQ?\\r"};

const QStringList kFirstFamilySetup = {"W:*CLS\\r",
                                       "W:FORM:DATA INT;DINT ON\\r",
                                       "W:TRIG:RUN:STAT?\\r",
                                       "W:FORM HEX\\rZC:CAL:CONFIG?\\rFORM INT\\r",
                                       "wait 500",
                                       "W:\\rTRIG:RUN:STAT 1\\r",
                                       "wait 500",
                                       "W:TRAC:LIM 0,49999,1\\r",
                                       "W:DEV:MOD?\\r",
                                       "W:CALC:TRAN:FREQ?\\r"};

}  // namespace

TEST(ModelIdentification, CodesBeforePrefixesWithoutTalking) {
  AppState state;  // no I/O layer: rows 1 to 3 must not need it
  EXPECT_EQ(IdentModelScope(state, "TARVIK,RQ6102,4472318,V2", VI_NULL), 0);
  EXPECT_EQ(state.instrumentModel, kModelRQ6102);
  EXPECT_EQ(IdentModelScope(state, "x,rq6102,4471052", VI_NULL), 0);  // code wins over prefix
  EXPECT_EQ(state.instrumentModel, kModelRQ4102);
  EXPECT_EQ(IdentModelScope(state, "tarvik,rq4102,sn1,v5.1", VI_NULL), 0);
  EXPECT_EQ(state.instrumentModel, kModelRQ4102);
  EXPECT_EQ(IdentModelScope(state, "", VI_NULL), -1);
  EXPECT_EQ(state.instrumentModel, kModelNone);
  EXPECT_EQ(IdentModelScope(state, QByteArray("RQ5\0RQ42", 8), VI_NULL), -1);
}

// The reply is kept for the register, which files it with fetched results;
// a peer that talks on is cut.
TEST(ModelIdentification, TheReplyIsKeptForTheRegister) {
  AppState state;
  ASSERT_EQ(IdentModelScope(state, "TARVIK,RQ4102,4471052,V5.12\r\n", VI_NULL), 0);
  EXPECT_EQ(state.identificationReply, "TARVIK,RQ4102,4471052,V5.12\r\n");
  IdentModelScope(state, "TARVIK,RQ4102," + QByteArray(100000, '7'), VI_NULL);
  EXPECT_LE(state.identificationReply.size(), 200);
}

TEST(SessionOpening, SecondFamilyByCodeOverTcp) {
  Simulator sim({"--tcp", "0", "--family", "2", "--ident", "code"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  ASSERT_EQ(h.openOver(Ethernet, sim.tcpResource()), 0);
  EXPECT_EQ(h.state.sessionOpen, 1);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ6102);
  EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r"} + kSecondFamilySetup));
  EXPECT_EQ(h.toolbar, QList<int>{1});
  EXPECT_EQ(h.ui.busyDepth, 0);
  EXPECT_GT(h.ui.busyCalls, 0);

  // A second OpenDev only checks the link.
  h.log.clear();
  EXPECT_EQ(OpenDev(h.state), 0);
  EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r"}));

  EXPECT_EQ(Tarvik_close(h.state, h.state.session), VI_SUCCESS);
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ6102);  // kept after closing
  EXPECT_EQ(h.toolbar, (QList<int>{1, 0}));
  EXPECT_EQ(h.visa.openObjectCount(), 0);
}

TEST(SessionOpening, SecondFamilyByPrefixConfirmsBusMode) {
  Simulator sim(
      {"--tcp", "0", "--family", "2", "--ident", "prefix", "--mode", "METER", "--transform", "1"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  ASSERT_EQ(h.openOver(Ethernet, sim.tcpResource()), 0);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ6102);
  // Bus mode is on now; the frequency transform was on and is switched off.
  EXPECT_EQ(seq(h.log),
            seq(QStringList{"W:\\r*IDN?\\r", "W:*CLS\\rDEV:MOD BUS\\r", "wait 500",
                            "W:SYST:ERR?\\r", "W:*CLS\\r", "W:FORM:DATA INT;DINT ON\\r",
                            "W:TRAC:LIM 0,99999,1\\r", "W:DEV:MOD?\\r", "W:CALC:TRAN:FREQ?\\r",
                            "W:CALC:TRAN:FREQ 0\\r", "wait 1000"}));
}

TEST(SessionOpening, SecondFamilyRefusingBusModeIsABadInstrument) {
  Simulator sim({"--tcp", "0", "--family", "2", "--ident", "prefix", "--refuse-bus"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  EXPECT_EQ(h.openOver(Ethernet, sim.tcpResource()), -1);
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_EQ(h.state.instrumentModel, kModelNone);
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(h.ui.messages[0].text, "Bad Instrument\n");
  EXPECT_EQ(h.menu, QList<int>{14});  // then the communication dialog
  EXPECT_EQ(h.visa.openObjectCount(), 0);
  EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r", "W:*CLS\\rDEV:MOD BUS\\r", "wait 500",
                                        "W:SYST:ERR?\\r"}));
}

TEST(SessionOpening, OverTcpASilentPeerFailsAndAnUnknownAnswerOpensUnidentified) {
  {
    // Nothing answers: the opening stops after the identification's own
    // 500 ms, with the cause, instead of setting up a device nobody showed.
    Simulator sim({"--tcp", "0", "--fault", "silent"});
    ASSERT_TRUE(sim.ready());
    Harness h;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(h.openOver(Ethernet, sim.tcpResource()), -1);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(h.state.sessionOpen, 0);
    EXPECT_EQ(h.state.instrumentModel, kModelNone);
    // The query alone: no set-up, and no wait of the protocol.
    EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r"}));
    EXPECT_TRUE(h.clock.waits.isEmpty());
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(
        h.ui.messages[0].text,
        messageText(20, English) + "\nNo answer within the time-out: " + sim.tcpResource() + ".\n");
    EXPECT_EQ(h.menu, QList<int>{14});
    EXPECT_TRUE(h.toolbar.isEmpty() || h.toolbar == QList<int>{0});
    EXPECT_EQ(h.visa.openObjectCount(), 0);
    EXPECT_EQ(sessionStatusText(h.state, false), "Not connected");
  }
  {
    // An answer that names no supported model: the session opens with the
    // model unknown and is set up as such; the status bar says what
    // answered, its escape sequence shown, not acted on.
    Simulator sim({"--tcp", "0", "--idn", "ACME,\x1b[2JDMM-7,0,V1.0"});
    ASSERT_TRUE(sim.ready());
    Harness h;
    h.state.language = English;
    EXPECT_EQ(h.openOver(Ethernet, sim.tcpResource()), 0);
    EXPECT_EQ(h.state.sessionOpen, 1);
    EXPECT_EQ(h.state.instrumentModel, kModelNone);
    EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r"} + kSecondFamilySetup));
    EXPECT_TRUE(h.ui.messages.isEmpty());
    EXPECT_TRUE(h.menu.isEmpty());
    EXPECT_EQ(h.toolbar, QList<int>{1});
    EXPECT_EQ(sessionStatusText(h.state, false),
              "Connected: unidentified instrument (reply: \"ACME,\\x1b[2JDMM-7,0,V1.0\") on " +
                  sim.tcpResource());
    h.state.language = German;
    EXPECT_TRUE(sessionStatusText(h.state, false).contains(u"nicht erkanntes Gerät"));
    Tarvik_close(h.state, h.state.session);
  }
}

TEST(SessionOpening, OverTcpAnIdentificationInTwoPacketsIsReadWhole) {
  // The reply's second packet comes with the next receive: the read goes on
  // to the carriage return. Taking the first packet alone ("...RQ61") would
  // identify a second-family instrument by its prefix and ask its error
  // queue, which would then read the rest of the reply.
  auto script = std::make_shared<test::Script>();
  script->replies = {"TARVIK,RQ61", "02,4472318,V2.03\r", "BUS\r", "0\r"};
  // The drain before the first command finds the line quiet.
  script->quiet = [s = script.get()](int) { return s->written.isEmpty(); };
  Harness h;
  test::playScript(h.visa, script);
  ASSERT_EQ(h.openOver(Ethernet, "TCPIP0::192.0.2.7::23::SOCKET"), 0);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ6102);
  EXPECT_EQ(h.state.identificationReply, "TARVIK,RQ6102,4472318,V2.03\r");
  EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r"} + kSecondFamilySetup));
  EXPECT_TRUE(h.ui.messages.isEmpty());
  Tarvik_close(h.state, h.state.session);
}

#ifndef Q_OS_WIN
TEST(SessionOpening, ALineStillTalkingIsToldToStopWithTheLeadingReturn) {
  QTemporaryDir files;
  {
    QFile file(QDir(files.path()).filePath("BIG.HTM"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(test::patternBytes(100 * 1024));  // some nine seconds of paced line
  }
  Simulator sim({"--pty", "--family", "2", "--files", files.path()});
  ASSERT_TRUE(sim.ready());
  {
    // A program stopped half-way through a fetch: the block goes on coming.
    Harness first;
    ASSERT_EQ(first.openOver(RS232, sim.ptyResource()), 0);
    first.visa.viWrite(first.state.session, "MMEM:CDIR \"/bus\"\rMMEM:DATA? \"BIG.HTM\"\r");
    QByteArray head;
    ASSERT_EQ(first.visa.viRead(first.state.session, &head, 8), VI_SUCCESS_MAX_CNT);
    ASSERT_TRUE(head.startsWith('#')) << head.constData();
    Tarvik_close(first.state, first.state.session);
  }
  Harness h;
  ASSERT_EQ(h.openOver(RS232, sim.ptyResource()), 0);
  ASSERT_GE(h.log.size(), 3);
  // The clear as the instrument's other clears go, before the first query.
  EXPECT_EQ(seq(h.log.mid(0, 3)), seq({"baud 115200", "W:\\r*CLS\\r", "W:\\r*IDN?\\r"}));

  // A quiet line is left alone: the query comes first.
  Tarvik_close(h.state, h.state.session);
  Harness quiet;
  ASSERT_EQ(quiet.openOver(RS232, sim.ptyResource()), 0);
  ASSERT_GE(quiet.log.size(), 2);
  EXPECT_EQ(seq(quiet.log.mid(0, 2)), seq({"baud 115200", "W:\\r*IDN?\\r"}));
}
#endif

TEST(SessionOpening, UnreachableAddressGivesMessage20AndTheDialog) {
  Harness h;
  h.visa.setConnectTimeout(300);
  EXPECT_EQ(h.openOver(Ethernet, "TCPIP0::127.0.0.1::1::SOCKET"), -1);
  ASSERT_EQ(h.ui.messages.size(), 1);
  // The message keeps its text and names the cause and the address below it.
  EXPECT_EQ(h.ui.messages[0].text,
            messageText(20, English) + "\nConnection refused: TCPIP0::127.0.0.1::1::SOCKET.\n");
  EXPECT_EQ(h.menu, QList<int>{14});
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_EQ(h.visa.openObjectCount(), 0);
  h.ui.messages.clear();
  h.state.language = French;
  EXPECT_EQ(h.openOver(Ethernet, "TCPIP0::127.0.0.1::SOCKET"), -1);
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_TRUE(h.ui.messages[0].text.endsWith(
      QString::fromUtf8("\nAdresse mal formée : TCPIP0::127.0.0.1::SOCKET.\n")));
}

TEST(SessionCheck, FailingLinkCheckClosesTheSession) {
  Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  ASSERT_EQ(h.openOver(Ethernet, sim.tcpResource()), 0);
  ASSERT_TRUE(sim.control("fault silent"));
  h.log.clear();
  EXPECT_EQ(OpenDev(h.state), -1);
  EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r"}));
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_EQ(h.state.session, VI_NULL);
  EXPECT_EQ(h.toolbar, (QList<int>{1, 0}));
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(h.ui.messages[0].title, QString::fromUtf8("Error n° -120"));
  EXPECT_TRUE(h.ui.messages[0].text.endsWith("No answer within the time-out: " + sim.tcpResource() +
                                             ".\n"));
  EXPECT_TRUE(h.menu.isEmpty());  // a failed check does not open the dialog
  EXPECT_EQ(h.visa.openObjectCount(), 0);
}

using karvel::test::turnUntil;

// Nobody talks to the instrument, and its link ends (the peer closes the
// socket, the device goes away): the session ends at once as after a failed
// check, with the cause, but never in the middle of an operation, which
// meets the end itself, nor after the program closed the session.
TEST(SessionCheck, ALinkThatEndsByItselfEndsTheSessionAtOnce) {
  for (const char* link : {"tcp", "pty"}) {
#ifdef Q_OS_WIN
    if (QByteArray(link) == "pty") continue;
#endif
    SCOPED_TRACE(link);
    const bool tcp = QByteArray(link) == "tcp";
    Simulator sim(tcp ? QStringList{"--tcp", "0", "--family", "2"}
                      : QStringList{"--pty", "--family", "2", "--unpaced"});
    ASSERT_TRUE(sim.ready());
    Harness h;
    watchSessionLink(h.state);
    const QString address = tcp ? sim.tcpResource() : sim.ptyResource();
    ASSERT_EQ(h.openOver(tcp ? Ethernet : RS232, address), 0);
    h.ui.messages.clear();
    {
      OperationScope operation(h.state, "listing");
      sim.stop();
      turnUntil([] { return false; }, 500);
      EXPECT_EQ(h.state.sessionOpen, 1);
      EXPECT_TRUE(h.ui.messages.isEmpty());
    }
    ASSERT_TRUE(turnUntil([&] { return h.state.sessionOpen == 0; }, 5000));
    EXPECT_EQ(h.state.session, VI_NULL);
    EXPECT_EQ(h.toolbar, (QList<int>{1, 0}));
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.messages[0].text,
              messageText(20, English) + "\nConnection lost: " + address + ".\n");
    EXPECT_TRUE(h.menu.isEmpty());
    EXPECT_EQ(h.visa.openObjectCount(), 0);
  }

  Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  watchSessionLink(h.state);
  ASSERT_EQ(h.openOver(Ethernet, sim.tcpResource()), 0);
  Tarvik_close(h.state, h.state.session);
  sim.stop();
  turnUntil([] { return false; }, 300);
  EXPECT_TRUE(h.ui.messages.isEmpty());
  EXPECT_EQ(h.toolbar, (QList<int>{1, 0}));
}

TEST(SessionCheck, SwitchedOffInstrumentNeverHangs) {
  Harness h;
  {
    Simulator sim({"--tcp", "0", "--family", "2"});
    ASSERT_TRUE(sim.ready());
    ASSERT_EQ(h.openOver(Ethernet, sim.tcpResource()), 0);
  }  // the simulator is gone
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(OpenDev(h.state), -1);
  EXPECT_LT(timer.elapsed(), 5000);
  EXPECT_EQ(h.state.sessionOpen, 0);
}

#ifndef Q_OS_WIN
TEST(SessionOpening, FirstFamilyAt115200OverASerialLine) {
  Simulator sim({"--pty", "--family", "1", "--baud", "115200"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  ASSERT_EQ(h.openOver(RS232, sim.ptyResource()), 0);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ4102);
  EXPECT_EQ(seq(h.log),
            seq(QStringList{"baud 115200", "W:\\r*IDN?\\r", "W:SYST:COMM:SER:CONT:DTR 1\\r",
                            "wait 500", "W:\\r\\r\\r"} +
                kFirstFamilySetup));
}

TEST(SessionOpening, FirstFamilyAt19200IsMovedTo115200) {
  Simulator sim(
      {"--pty", "--family", "1", "--baud", "19200", "--calibration", "000000", "--run", "0"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  ASSERT_EQ(h.openOver(RS232, sim.ptyResource()), 0);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ4102);
  const QStringList search = {"baud 115200",
                              "W:\\r*IDN?\\r",
                              "baud 57600",
                              "W:\\r*IDN?\\r",
                              "baud 38400",
                              "W:\\r*IDN?\\r",
                              "baud 19200",
                              "W:\\r*IDN?\\r",
                              "W:SYST:COMM:SER:BAUD 115200\\r",
                              "wait 100",
                              "baud 115200",
                              "W:\\r*CLS\\r",
                              "W:\\r*IDN?\\r",  // it answers at the new speed
                              "W:SYST:COMM:SER:CONT:DTR 1\\r",
                              "wait 500",
                              "W:\\r\\r\\r"};
  // Calibration word without bit 0x80 and a stopped acquisition: 2500 points, no restart.
  const QStringList setup = {"W:*CLS\\r",
                             "W:FORM:DATA INT;DINT ON\\r",
                             "W:TRIG:RUN:STAT?\\r",
                             "W:FORM HEX\\rZC:CAL:CONFIG?\\rFORM INT\\r",
                             "wait 500",
                             "W:TRAC:LIM 0,2499,1\\r",
                             "W:DEV:MOD?\\r",
                             "W:CALC:TRAN:FREQ?\\r"};
  EXPECT_EQ(seq(h.log), seq(search + setup));
  // The instrument now talks at 115200: the link check answers.
  EXPECT_EQ(OpenDev(h.state), 0);
}

// The speed change is confirmed with the identification query: an instrument
// that kept its speed goes on at that speed, and the user hears why; one that
// answers at neither speed ends the opening with the cause named.
TEST(SessionOpening, InstrumentKeepingItsSpeedGoesOnAtItAndTheUserIsTold) {
  Simulator sim({"--pty", "--family", "1", "--baud", "19200", "--fixed-speed", "--calibration",
                 "000000", "--run", "0"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  ASSERT_EQ(h.openOver(RS232, sim.ptyResource()), 0);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ4102);
  const QStringList change = {"W:SYST:COMM:SER:BAUD 115200\\r",
                              "wait 100",
                              "baud 115200",
                              "W:\\r*CLS\\r",
                              "W:\\r*IDN?\\r",
                              "baud 19200",
                              "W:\\r*IDN?\\r",
                              "W:SYST:COMM:SER:CONT:DTR 1\\r",
                              "wait 500",
                              "W:\\r\\r\\r",
                              "W:*CLS\\r"};
  const int at = static_cast<int>(h.log.indexOf("W:SYST:COMM:SER:BAUD 115200\\r"));
  ASSERT_GE(at, 0) << seq(h.log);
  EXPECT_EQ(seq(h.log.mid(at, change.size())), seq(change));
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(h.ui.messages[0].title, "Communication");
  EXPECT_EQ(
      h.ui.messages[0].text,
      "The oscilloscope did not take the speed of 115200 baud: the link stays at 19200 baud.\n"
      "Transfers will be slower. For faster ones, set the oscilloscope to 115200 baud.");
  EXPECT_EQ(h.ui.busyDepth, 0);
  // The session really talks: the link check answers, nothing more is said.
  h.log.clear();
  EXPECT_EQ(OpenDev(h.state), 0);
  EXPECT_EQ(seq(h.log), seq(QStringList{"W:\\r*IDN?\\r"}));
  EXPECT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(Tarvik_close(h.state, h.state.session), VI_SUCCESS);

  // A later opening that needs no change says nothing about speeds.
  ASSERT_TRUE(sim.control("baud 115200"));
  h.ui.messages.clear();
  ASSERT_EQ(h.openOver(RS232, sim.ptyResource()), 0);
  EXPECT_TRUE(h.ui.messages.isEmpty());
}

TEST(SessionOpening, InstrumentLostAfterTheSpeedChangeIsClosedWithTheCause) {
  Simulator sim({"--pty", "--family", "1", "--baud", "38400", "--deaf-after-speed-change"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  EXPECT_EQ(h.openOver(RS232, sim.ptyResource()), -1);
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_EQ(h.visa.openObjectCount(), 0);
  EXPECT_EQ(h.toolbar, QList<int>{0});
  EXPECT_EQ(h.menu, QList<int>{14});
  // Both speeds asked once, no other speed tried, no set-up sent.
  const QStringList tail = {"W:SYST:COMM:SER:BAUD 115200\\r",
                            "wait 100",
                            "baud 115200",
                            "W:\\r*CLS\\r",
                            "W:\\r*IDN?\\r",
                            "baud 38400",
                            "W:\\r*IDN?\\r"};
  EXPECT_EQ(seq(h.log.mid(h.log.size() - tail.size())), seq(tail));
  EXPECT_FALSE(h.log.contains("baud 19200"));
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(h.ui.messages[0].text,
            messageText(20, English) +
                "\nNo answer after the change to 115200 baud, nor at 38400 baud: " +
                sim.ptyResource() + ".\n");
}

TEST(SessionOpening, FirstFamilyReplyWithoutV5IsRejected) {
  Simulator sim({"--pty", "--family", "1", "--idn", "TARVIK,RQ4102,4471052,V4.90"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  EXPECT_EQ(h.openOver(RS232, sim.ptyResource()), -1);
  EXPECT_EQ(h.log.count("W:\\r*IDN?\\r"), 5);  // every speed tried
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_TRUE(h.ui.messages[0].text.startsWith("Invalid communication"));
  // It answered at one speed: that is said, not the time-outs of the others.
  EXPECT_TRUE(h.ui.messages[0].text.endsWith(
      "Answer from an unsupported device: " + sim.ptyResource() + ".\n"));
}

TEST(UsbSearch, GadgetSerialPortsFirstInListOrder) {
  Simulator other({"--pty", "--family", "2"});
  Simulator deaf({"--pty", "--family", "2", "--cdc", "--fault", "silent"});
  Simulator gadget({"--pty", "--family", "2", "--cdc"});
  ASSERT_TRUE(other.ready() && deaf.ready() && gadget.ready());
  Harness h;
  h.visa.setPortLister([&] {
    return QList<SerialPortEntry>{{other.pty(), "USB2.0-Serial"},
                                  {deaf.pty(), "Gadget Serial"},
                                  {gadget.pty(), "Gadget Serial"}};
  });
  h.state.connectionType = USB;
  ASSERT_EQ(OpenDev(h.state), 0);
  EXPECT_EQ(seq(h.opened),
            seq(QStringList{other.ptyResource(), deaf.ptyResource(), gadget.ptyResource()}));
  // The port that is not the instrument's is opened and closed without a word;
  // no speed is set on a CDC port.
  EXPECT_EQ(seq(h.log.mid(0, 2)), seq(QStringList{"W:\\r*IDN?\\r", "W:\\r*IDN?\\r"}));
  EXPECT_EQ(h.state.usbAddress, gadget.ptyResource());
  EXPECT_EQ(h.state.instrumentModel, kModelRQ6102);
}

TEST(UsbSearch, BridgeDevicesAt460800Then115200InTtyOrder) {
  Simulator deaf({"--pty", "--family", "1", "--fault", "silent"});
  Simulator bridge({"--pty", "--family", "1", "--baud", "115200"});
  ASSERT_TRUE(deaf.ready() && bridge.ready());
  Harness h;
  // A fake sysfs tree with two bridge ports and device links to the ptys.
  QTemporaryDir root;
  const QString sys = root.filePath("sys");
  const QString dev = root.filePath("dev");
  for (const auto& [tty, usb] : {std::pair{"ttyUSB2", "1-2"}, std::pair{"ttyUSB10", "1-3"}}) {
    const QString folder = sys + "/devices/usb1/" + usb + "/" + usb + ":1.0/" + tty;
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile vid(sys + "/devices/usb1/" + usb + "/idVendor");
    ASSERT_TRUE(vid.open(QIODevice::WriteOnly));
    vid.write("10c4\n");
    vid.close();
    QFile pid(sys + "/devices/usb1/" + usb + "/idProduct");
    ASSERT_TRUE(pid.open(QIODevice::WriteOnly));
    pid.write("ea60\n");
    pid.close();
    ASSERT_TRUE(QDir().mkpath(sys + "/bus/usb-serial/drivers/cp210x"));
    ASSERT_TRUE(QFile::link(folder, sys + "/bus/usb-serial/drivers/cp210x/" + tty));
  }
  ASSERT_TRUE(QDir().mkpath(dev));
  ASSERT_TRUE(QFile::link(deaf.pty(), dev + "/ttyUSB2"));
  ASSERT_TRUE(QFile::link(bridge.pty(), dev + "/ttyUSB10"));
  h.state.sysfsRoot = sys;
  h.state.deviceRoot = dev;
  h.state.connectionType = USB;
  ASSERT_EQ(OpenDev(h.state), 0);
  const QString first = "ASRL" + dev + "/ttyUSB2::INSTR";
  const QString second = "ASRL" + dev + "/ttyUSB10::INSTR";
  EXPECT_EQ(seq(h.opened), seq(QStringList{first, second}));
  EXPECT_EQ(seq(h.log.mid(0, 8)),
            seq(QStringList{"baud 460800", "W:\\r*IDN?\\r", "baud 115200", "W:\\r*IDN?\\r",
                            "baud 460800", "W:\\r*IDN?\\r", "baud 115200", "W:\\r*IDN?\\r"}));
  EXPECT_EQ(h.state.usbAddress, second);
  EXPECT_EQ(h.state.instrumentModel, kModelRQ4102);
}

TEST(UsbSearch, NothingPresentGivesMessage20) {
  Harness h;
  h.state.connectionType = USB;
  EXPECT_EQ(OpenDev(h.state), -1);
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_TRUE(h.ui.messages[0].text.startsWith("Invalid communication"));
  EXPECT_TRUE(h.ui.messages[0].text.endsWith("No oscilloscope USB port found: USB.\n"));
  EXPECT_EQ(h.menu, QList<int>{14});
  EXPECT_EQ(h.visa.openObjectCount(), 0);
}
#endif

TEST(SessionSetup, TraceLengthFromTheCalibrationWord) {
  EXPECT_EQ(traceLengthFromCalibration("0x800000\r"), 50000);
  EXPECT_EQ(traceLengthFromCalibration("0xff0000"), 50000);
  EXPECT_EQ(traceLengthFromCalibration("0x7F0000"), 2500);
  EXPECT_EQ(traceLengthFromCalibration("0x80000"), 2500);   // fewer than 8 characters
  EXPECT_EQ(traceLengthFromCalibration("0xZZ0000"), 2500);  // not hexadecimal
  EXPECT_EQ(traceLengthFromCalibration(""), 2500);
}
