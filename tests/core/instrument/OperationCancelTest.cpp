// SPDX-License-Identifier: GPL-3.0-or-later
// Instrument operations stopped by the user at chosen points (no timing): the
// session opening's speed search and set-up, the link check, a catalogue
// listing between its two stores, and the ping. Each ends as a failure would,
// without a message, with the same bytes on the line up to the stop.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QThread>

#include "core/frame/AppState.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/Catalogue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/FileTransfer.h"
#include "io/Ping.h"
#include "io/Visa.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedOperation.h"
#include "support/ScriptedTransport.h"
#include "support/Simulator.h"
#include "support/StoreSession.h"

using namespace karvel;
using namespace karvel::io;
using karvel::test::Simulator;

namespace {

QString printable(const QByteArray& bytes) {
  QString out;
  for (char c : bytes) {
    if (c == '\r')
      out += "\\r";
    else
      out += QChar::fromLatin1(c);
  }
  return out;
}

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
  test::ScriptedOperation operation;
  LogClock clock;
  QStringList log;
  QList<int> toolbar;
  QList<int> menu;
  QList<bool> running;
  QTemporaryDir emptySys;

  Harness() {
    test::ensureCoreApp();
    state.visa = &visa;
    state.ui = &ui;
    state.clock = &clock;
    state.operation = &operation;
    state.language = English;
    clock.log = &log;
    state.sysfsRoot = emptySys.path();
    state.afficheCom = [this](int open) { toolbar.append(open); };
    state.gestionMenu = [this](int item) { menu.append(item); };
    state.operationRunning = [this](bool on) { running.append(on); };
    visa.setPortLister([] { return QList<SerialPortEntry>{}; });
    visa.setTrace([this](const TraceEvent& e) {
      if (e.kind == TraceEvent::Kind::Write) log.append("W:" + printable(e.data));
      if (e.kind == TraceEvent::Kind::SetAttribute && e.attribute == VI_ATTR_ASRL_BAUD)
        log.append(QStringLiteral("baud %1").arg(e.value));
    });
  }
  int openOver(ConnectionType type, const QString& address) {
    state.connectionType = type;
    if (type == RS232) state.serialAddress = address;
    if (type == Ethernet) state.ethernetAddress = address;
    return OpenDev(state);
  }
  // Nothing told, nothing left open, the watcher and the I/O layer as before.
  void expectQuietStop() {
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(menu.isEmpty());  // no communication dialog either
    EXPECT_EQ(state.sessionOpen, 0);
    EXPECT_EQ(state.session, VI_NULL);
    EXPECT_EQ(visa.openObjectCount(), 0);
    EXPECT_EQ(operation.begins, 1);
    EXPECT_EQ(operation.ends, 1);
    EXPECT_EQ(state.operationDepth, 0);
    EXPECT_TRUE(state.lastOperationCancelled);
    EXPECT_FALSE(bool(visa.waitHook()));
    EXPECT_EQ(running, (QList<bool>{true, false}));
  }
};

}  // namespace

#ifndef Q_OS_WIN
TEST(OperationCancel, SpeedSearchStopsBeforeTheNextSpeed) {
  Simulator sim({"--pty", "--family", "1", "--baud", "19200"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  h.operation.cancelAt = "at 57600 baud";
  const QString address = sim.ptyResource();
  EXPECT_EQ(h.openOver(RS232, address), -1);
  // The try at 57600 was under way when the cancel came: it ends, no other starts.
  EXPECT_EQ(seq(h.log), seq({"baud 115200", "W:\\r*IDN?\\r", "baud 57600", "W:\\r*IDN?\\r"}));
  h.expectQuietStop();
  EXPECT_EQ(h.state.serialAddress, address);
  QString shown = address;
  shown.chop(7);  // "::INSTR"
  ASSERT_GE(h.operation.activities.size(), 3);
  EXPECT_EQ(h.operation.activities[0], "Connecting to " + shown + " ...");
  EXPECT_EQ(h.operation.activities[1],
            "Searching the instrument on " + shown + " at 115200 baud ...");
  // The reads waited on the line: the watcher kept the windows alive there.
  EXPECT_GT(h.operation.keepAlives, 0);

  // Nothing stays wrong: the next opening finds it.
  h.operation.cancelAt.clear();
  h.running.clear();
  EXPECT_EQ(h.openOver(RS232, address), 0);
  EXPECT_EQ(h.state.sessionOpen, 1);
}
#endif

TEST(OperationCancel, SetUpStopsBetweenTwoCommandsAndClosesTheSession) {
  Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  h.operation.cancelAt = "Setting the instrument up";
  EXPECT_EQ(h.openOver(Ethernet, sim.tcpResource()), -1);
  EXPECT_EQ(seq(h.log), seq({"W:\\r*IDN?\\r", "W:*CLS\\r", "W:FORM:DATA INT;DINT ON\\r"}));
  h.expectQuietStop();
  EXPECT_EQ(h.toolbar, QList<int>{0});
  EXPECT_FALSE(h.state.linkFailure.failed());
}

TEST(OperationCancel, ModePauseIsGivenUp) {
  // An instrument in another mode is switched to bus mode and given seconds;
  // a cancel in that pause ends the opening there.
  Simulator sim({"--tcp", "0", "--family", "2", "--mode", "METER"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  // The recording clock asks after its wait: stop once bus mode is asked for.
  h.visa.setTrace([&h](const TraceEvent& e) {
    if (e.kind == TraceEvent::Kind::Write) {
      h.log.append("W:" + printable(e.data));
      if (e.data.startsWith("DEV:MOD BUS")) h.operation.cancelled = true;
    }
  });
  EXPECT_EQ(h.openOver(Ethernet, sim.tcpResource()), -1);
  ASSERT_GE(h.log.size(), 2);
  EXPECT_TRUE(h.log.last().startsWith("wait ")) << seq(h.log);
  h.expectQuietStop();
}

TEST(OperationCancel, LinkCheckCancelledKeepsTheSessionUsable) {
  Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  Harness h;
  ASSERT_EQ(h.openOver(Ethernet, sim.tcpResource()), 0);
  h.log.clear();
  h.operation.cancelAt = "Checking the instrument";
  EXPECT_EQ(OpenDev(h.state), -1);
  EXPECT_EQ(seq(h.log), seq({"W:\\r*IDN?\\r"}));
  EXPECT_EQ(h.state.sessionOpen, 1);
  EXPECT_TRUE(h.ui.messages.isEmpty());
  h.operation.cancelAt.clear();
  EXPECT_EQ(OpenDev(h.state), 0);
}

TEST(OperationCancel, UncancelledOpeningWritesTheSameBytesWithOrWithoutWatcher) {
  Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  Harness watched;
  ASSERT_EQ(watched.openOver(Ethernet, sim.tcpResource()), 0);
  Tarvik_close(watched.state, watched.state.session);
  Harness bare;
  bare.state.operation = nullptr;
  ASSERT_EQ(bare.openOver(Ethernet, sim.tcpResource()), 0);
  EXPECT_EQ(seq(watched.log), seq(bare.log));
  EXPECT_EQ(watched.clock.waits, bare.clock.waits);
  EXPECT_EQ(watched.operation.begins, 1);
  EXPECT_EQ(watched.operation.ends, 1);
}

// An instrument that falls silent once `silentAfter` is written: the read
// of its reply waits, and the user cancels after three pieces of that wait.
// The read gives the wait up at once, however long its time-out.
struct SilentFrom {
  std::shared_ptr<test::Script> script = std::make_shared<test::Script>();
  int waited = 0;        // pieces of wait after the command went out
  int afterCancel = -1;  // receives once the cancel was asked
  SilentFrom(Harness& h, const QByteArray& silentAfter, const QList<QByteArray>& replies) {
    script->replies = replies;
    script->quiet = [this, &h, silentAfter](int) {
      // The drain before the first command finds the line quiet.
      if (script->written.isEmpty()) return true;
      if (!script->written.endsWith(silentAfter)) return false;
      if (afterCancel >= 0) ++afterCancel;
      if (++waited == 3) {
        h.operation.cancelled = true;
        afterCancel = 0;
      }
      return true;
    };
    test::playScript(h.visa, script);
  }
};

TEST(OperationCancel, ACancelEndsTheReadUnderWayAtEveryStageOfTheOpening) {
  const QByteArray byCode = "TARVIK,RQ6102,4472318,V2.03\r";
  const QByteArray byPrefix = "TARVIK,RQ6100,0,V2.03\r";
  struct Stage {
    const char* name;
    QByteArray silentAfter;
    QList<QByteArray> replies;
  };
  const QList<Stage> stages = {
      {"identification", "*IDN?\r", {}},
      {"error queue", "SYST:ERR?\r", {byPrefix}},
      {"set-up", "DEV:MOD?\r", {byCode}},
  };
  for (const Stage& stage : stages) {
    SCOPED_TRACE(stage.name);
    Harness h;
    SilentFrom silent(h, stage.silentAfter, stage.replies);
    EXPECT_EQ(h.openOver(Ethernet, "TCPIP0::192.0.2.7::23::SOCKET"), -1);
    // Stopped in its wait: not one more piece of it, nor any other read.
    EXPECT_EQ(silent.waited, 3);
    EXPECT_EQ(silent.afterCancel, 0);
    EXPECT_TRUE(silent.script->written.endsWith(stage.silentAfter));
    h.expectQuietStop();
    EXPECT_FALSE(h.state.linkFailure.failed());
  }
}

// A transfer's own reads hear the user too: a fetch whose catalogue never
// comes, or whose block stops half-way, ends at the cancel and not at the
// catalogue's 60 s or the block's 8 s time-out; the block's rest is given up
// as between two slices (*CLS, then the instrument's run state back).
TEST(OperationCancel, ACancelEndsAFetchWaitingForItsCatalogueOrItsBlock) {
  struct Watch : TransferProgress {
    bool cancel = false;
    int cancellings = 0;
    void begin(const QString&, qint64, Direction) override {}
    void advance(qint64, qint64) override {}
    void keepAlive() override {}
    bool cancelRequested() override { return cancel; }
    void cancelling() override { ++cancellings; }
    void end() override {}
  };
  const QByteArray data = "MMEM:DATA? \"RES01.HTM\"\r";
  using Answer = std::pair<QByteArray, QByteArray>;  // a command, its reply
  struct Stage {
    const char* name;
    QByteArray silentAfter;
    QList<Answer> answers;
  };
  const QList<Stage> stages = {
      {"catalogue", "MMEM:CAT?\r", {}},
      {"block",
       data,
       {{"MMEM:CAT?\r", "1000,2000,\"RES01.HTM,,100\"\r"},
        {"TRIG:RUN:STAT?\r", "1\r"},
        {data, "#3100" + QByteArray(40, 'x')}}},
  };
  for (const Stage& stage : stages) {
    SCOPED_TRACE(stage.name);
    Harness h;
    auto script = std::make_shared<test::Script>();
    script->replies = {"TARVIK,RQ6102,4472318,V2.03\r", "BUS\r", "0\r"};
    script->quiet = [s = script.get()](int) { return s->written.isEmpty(); };
    test::playScript(h.visa, script);
    ASSERT_EQ(h.openOver(Ethernet, "TCPIP0::192.0.2.7::23::SOCKET"), 0);
    // Each reply once its command went out; then the line falls silent.
    QList<Answer> answers = stage.answers;
    Watch watch;
    int waited = 0;
    int afterCancel = 0;
    script->quiet = [&](int) {
      if (!answers.isEmpty() && script->written.endsWith(answers.first().first)) {
        script->replies = {answers.takeFirst().second};
        return false;
      }
      if (watch.cancel)
        ++afterCancel;
      else if (answers.isEmpty() && script->written.endsWith(stage.silentAfter) && ++waited == 3)
        watch.cancel = true;
      return true;
    };
    EXPECT_EQ(
        Tarvik_fileTransfer(h.state, h.state.session, "RES01.HTM", 0, 0, kKindResult, 0, &watch),
        kTransferCancelled);
    EXPECT_EQ(waited, 3);
    // What follows the cancel only drops the late reply and the block's rest,
    // a few quiet reads; a read that went on waiting would take thousands.
    EXPECT_LE(afterCancel, 50);
    const QByteArray after = script->written.mid(script->written.lastIndexOf(stage.silentAfter));
    if (stage.silentAfter == data) {
      EXPECT_EQ(watch.cancellings, 1);
      EXPECT_EQ(after, data + "*CLS\rTRIG:RUN:STAT 1\r");
    } else {
      EXPECT_EQ(after, stage.silentAfter);  // nothing asked after the catalogue
    }
    EXPECT_EQ(h.state.sessionOpen, 1);
    EXPECT_TRUE(h.ui.messages.isEmpty());
  }
}

TEST(OperationCancel, ACancelledLinkCheckKeepsTheSessionAndDropsTheLateReply) {
  Harness h;
  auto script = std::make_shared<test::Script>();
  script->replies = {"TARVIK,RQ6102,4472318,V2.03\r", "BUS\r", "0\r"};
  script->quiet = [s = script.get()](int) { return s->written.isEmpty(); };
  test::playScript(h.visa, script);
  ASSERT_EQ(h.openOver(Ethernet, "TCPIP0::192.0.2.7::23::SOCKET"), 0);
  int waited = 0;
  script->quiet = [&](int) {
    if (++waited == 3) h.operation.cancelled = true;
    return true;
  };
  h.log.clear();
  const int discards = script->discards;
  EXPECT_EQ(OpenDev(h.state), -1);
  EXPECT_EQ(waited, 3);
  EXPECT_EQ(seq(h.log), seq({"W:\\r*IDN?\\r"}));
  // No failure of the link: no message, the session stays.
  EXPECT_TRUE(h.ui.messages.isEmpty());
  EXPECT_EQ(h.state.sessionOpen, 1);
  EXPECT_TRUE(h.state.lastOperationCancelled);
  // The reply given up comes late: the next command drops it first, and
  // reads its own reply alone.
  EXPECT_EQ(script->discards, discards);
  int receives = 0;
  script->quiet = [&](int) { return ++receives == 2; };
  script->replies = {"TARVIK,RQ6102,4472318,V2.03\r", "TARVIK,RQ6102,4472318,V2.04\r"};
  QByteArray checked;
  h.visa.setTrace([&](const TraceEvent& e) {
    if (e.kind == TraceEvent::Kind::Read) checked = e.data;
  });
  EXPECT_EQ(OpenDev(h.state), 0);
  EXPECT_EQ(checked, "TARVIK,RQ6102,4472318,V2.04\r");
  EXPECT_EQ(script->discards, discards + 1);
  script->quiet = {};
  EXPECT_EQ(OpenDev(h.state), -1);  // the script is used up: a real failure now
  EXPECT_EQ(script->discards, discards + 1);
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(h.state.sessionOpen, 0);
}

TEST(OperationScopes, NestedStepsShareOneWatcherAndGiveTheHookBack) {
  test::ensureCoreApp();
  AppState state;
  Visa visa;
  test::ScriptedOperation operation;
  state.visa = &visa;
  state.operation = &operation;
  int before = 0;
  visa.setWaitHook([&before] { ++before; });
  {
    OperationScope outer(state, "outer");
    EXPECT_EQ(state.operationDepth, 1);
    visa.waitHook()();
    EXPECT_EQ(operation.keepAlives, 1);
    {
      OperationScope inner(state, "inner");
      EXPECT_EQ(state.operationDepth, 2);
    }
    EXPECT_EQ(operation.ends, 0);
    operation.cancelled = true;
    EXPECT_TRUE(operationCancelled(state));
    operation.cancelled = false;
    EXPECT_TRUE(operationCancelled(state));  // a cancel, once heard, stays
    EXPECT_FALSE(operationWait(state, 10));
  }
  EXPECT_EQ(operation.begins, 1);
  EXPECT_EQ(operation.ends, 1);
  EXPECT_EQ(operation.activities, (QStringList{"outer", "inner"}));
  EXPECT_FALSE(operationCancelled(state));  // none runs
  visa.waitHook()();
  EXPECT_EQ(before, 1);
}

TEST(CatalogueCancel, SdCardIsLeftOutAndTheInstrumentStaysOnItsMemory) {
  test::StoreSession s(2);
  ASSERT_TRUE(s.ready());
  test::ScriptedOperation operation;
  s.state.operation = &operation;
  s.state.language = English;
  operation.cancelAt = "internal memory";
  const qsizetype from = s.writes.size();
  QList<CatalogueEntry> list;
  {
    OperationScope scope(s.state, "list");
    // The listing under way gave its wait up: a cancel, no failure of the link.
    EXPECT_EQ(RetourneCatalogue(s.state, kKindBus, list), VI_ERROR_ABORT);
    EXPECT_TRUE(operationCancelled(s.state));
    EXPECT_FALSE(s.visa.lastFailure().failed());
  }
  const QByteArray written = s.writtenSince(from);
  EXPECT_TRUE(written.contains("LOCAL")) << written.constData();
  EXPECT_FALSE(written.contains("SDCARD")) << written.constData();
  EXPECT_FALSE(operation.activities.join('|').contains("SD card"));
  // The session answers as before.
  EXPECT_FALSE(s.ask("*IDN?\r").isEmpty());

  // Not cancelled: both stores are read.
  operation.cancelAt.clear();
  {
    OperationScope scope(s.state, "list");
    RetourneCatalogue(s.state, kKindBus, list);
  }
  EXPECT_TRUE(operation.activities.join('|').contains("Reading the SD card catalogue ..."));
}

TEST(PingCancel, LoopbackStillAnswersThroughTheSlicedWait) {
  int calls = 0;
  int reachable = -1;
  PingMethod used = PingMethod::None;
  EXPECT_EQ(InetPing("127.0.0.1", &reachable, 2000, 23, &used,
                     [&calls] {
                       ++calls;
                       return true;
                     }),
            0);
  EXPECT_EQ(reachable, 1);
  EXPECT_NE(used, PingMethod::None);
}
