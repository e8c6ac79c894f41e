// SPDX-License-Identifier: GPL-3.0-or-later
// Transfers watched and stopped by the user: what the progress is told, what
// a cancelled fetch or send leaves behind (on the PC, on the instrument) and
// whether the session still answers afterwards. The cancel comes from a
// scripted watcher at a chosen byte count, never from time.
#include <gtest/gtest.h>

#include <QDirIterator>

#include "core/instrument/Catalogue.h"
#include "core/instrument/FileTransfer.h"
#include "core/instrument/ScpiCommands.h"
#include "support/ScriptedProgress.h"
#include "support/StoreSession.h"

using namespace karvel;
using namespace karvel::test;

namespace {

using Direction = TransferProgress::Direction;

QStringList filesBelow(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(dir).relativeFilePath(it.next());
  return out;
}

QStringList listed(StoreSession& s, int kind) {
  QList<CatalogueEntry> list;
  EXPECT_EQ(RetourneCatalogue(s.state, kind, list), 0);
  QStringList out;
  for (const auto& e : list) out << e.name;
  return out;
}

// Puts a result file into the store the fetch reads.
void storeResult(StoreSession& s, int family, const QByteArray& name, const QByteArray& bytes) {
  s.ask(family == 1 ? "MMEM:MSIS LOCAL\r*OPC?\r" : "MMEM:CDIR \"/bus\"\r*OPC?\r");
  s.store(name, bytes);
}

// What the session still does after a cancel: it answers, the acquisition
// runs again, the catalogue lists, and a whole fetch works.
void expectSessionUsable(StoreSession& s, int kind, const QString& name, const QByteArray& bytes) {
  EXPECT_EQ(s.ask(scpi::kRunStateQuery), "1\r");
  EXPECT_TRUE(listed(s, kind).contains(name));
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), name, 0, 0, static_cast<io::ViInt16>(kind), 0), 0);
  const QString fetched = temporaryPath(s.state.programDir, name, kind);
  EXPECT_EQ(readAll(fetched), bytes);
  QFile::remove(fetched);
}

class TransferCancel : public ::testing::TestWithParam<int> {};

TEST_P(TransferCancel, ProgressNamesTheFileAndCountsUpToItsSize) {
  const int family = GetParam();
  StoreSession s(family);
  ASSERT_TRUE(s.ready());
  const QByteArray data = patternBytes(30000);
  ScriptedProgress sent;
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), s.pcFile("my big.BUS", data), 1, 0, 0, 0, &sent),
            0);
  EXPECT_EQ(sent.name, family == 1 ? "my_big.BUS" : "my_big.bus");
  EXPECT_EQ(sent.direction, Direction::ToInstrument);
  EXPECT_EQ(sent.announcedTotal, data.size());
  EXPECT_GT(sent.steps.size(), 1);  // in slices, not all at the end
  EXPECT_TRUE(sent.monotonic());
  EXPECT_EQ(sent.lastDone(), data.size());
  EXPECT_EQ(sent.begins, 1);
  EXPECT_EQ(sent.ends, 1);
  EXPECT_GT(sent.keepAlives, 0);  // the protocol's waits let windows paint
  EXPECT_EQ(sent.cancellings, 0);

  storeResult(s, family, "RES01.HTM", data);
  ScriptedProgress fetched;
  ASSERT_GE(Tarvik_fileTransfer(s.state, s.vi(), "RES01.HTM", 0, 0, kKindResult, 0, &fetched), 0);
  EXPECT_EQ(fetched.name, "RES01.HTM");
  EXPECT_EQ(fetched.direction, Direction::FromInstrument);
  EXPECT_EQ(fetched.announcedTotal, 0);  // not known before the block's header
  ASSERT_GT(fetched.steps.size(), 1);
  for (const auto& step : fetched.steps) EXPECT_EQ(step.total, data.size());
  EXPECT_TRUE(fetched.monotonic());
  EXPECT_EQ(fetched.lastDone(), data.size());
  EXPECT_EQ(fetched.ends, 1);
  EXPECT_EQ(readAll(s.state.programDir + "/RES01.tmp"), data);
}

TEST_P(TransferCancel, CancelledFetchLeavesNoFileAndTheSessionUsable) {
  const int family = GetParam();
  StoreSession s(family);
  ASSERT_TRUE(s.ready());
  const QByteArray data = patternBytes(100 * 1024);
  storeResult(s, family, "RES01.HTM", data);
  ScriptedProgress progress;
  progress.cancelAt = 20 * 1024;
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), "RES01.HTM", 0, 0, kKindResult, 0, &progress),
            kTransferCancelled);
  EXPECT_GE(progress.cancelledAt, 20 * 1024);
  EXPECT_LT(progress.cancelledAt, data.size());
  EXPECT_EQ(progress.cancellings, 1);
  EXPECT_EQ(progress.ends, 1);
  EXPECT_TRUE(progress.monotonic());
  // Neither the file nor any temporary file of its writing.
  EXPECT_TRUE(filesBelow(s.state.programDir).isEmpty())
      << filesBelow(s.state.programDir).join(' ').toStdString();
  EXPECT_TRUE(s.ui.messages.isEmpty());
  expectSessionUsable(s, kKindResult, "RES01.HTM", data);
}

TEST_P(TransferCancel, CancelledSendLeavesNoPartialFileOnTheInstrument) {
  const int family = GetParam();
  StoreSession s(family, {"--block-timeout", "100"});
  ASSERT_TRUE(s.ready());
  // Unanswered deletes are tried again after this long, longer than the
  // instrument waits for the rest of a block.
  s.visa.viSetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, 500);
  const QByteArray data = patternBytes(100 * 1024);
  ScriptedProgress progress;
  progress.cancelAt = 20 * 1024;
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), s.pcFile("BIG.BUS", data), 1, 0, 0, 0, &progress),
            kTransferCancelled);
  EXPECT_EQ(progress.cancellings, 1);
  EXPECT_LT(progress.cancelledAt, data.size());
  // The block stopped where the cancel came.
  qsizetype sent = 0;
  for (const QByteArray& w : s.writes) sent += w.size();
  EXPECT_LT(sent, data.size());
  EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
  EXPECT_EQ(s.ui.busyDepth, 0);
  const QString name = family == 1 ? "BIG.BUS" : "BIG.bus";
  EXPECT_FALSE(listed(s, kKindBus).contains(name));
  EXPECT_EQ(s.ask(scpi::kRunStateQuery), "1\r");
  // And a whole send afterwards arrives whole.
  s.visa.viSetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, 2000);
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), s.pcFile("BIG.BUS", data), 1, 0, 0, 0), 0);
  EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
  expectSessionUsable(s, kKindBus, name, data);
}

TEST_P(TransferCancel, ACancelBeforeTheDataChangesNothing) {
  const int family = GetParam();
  StoreSession s(family);
  ASSERT_TRUE(s.ready());
  const QString path = s.pcFile("KEEP.BUS", "kept");
  ASSERT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0), 0);
  const QString name = family == 1 ? "KEEP.BUS" : "KEEP.bus";

  // A send stopped at once: the file it would replace is still there.
  s.pcFile("KEEP.BUS", "replacement");
  s.ui.answers.enqueue(0);  // replace it: Yes
  ScriptedProgress sendStopped;
  sendStopped.cancelAt = 0;
  qsizetype before = s.writes.size();
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), path, 1, 0, 0, 0, &sendStopped),
            kTransferCancelled);
  EXPECT_FALSE(s.writtenSince(before).contains("MMEM:DEL"));
  EXPECT_FALSE(s.writtenSince(before).contains("MMEM:DATA"));

  // A fetch stopped at once ends in its catalogue read: it asks for no data
  // and never stops the acquisition (expectSessionUsable finds it running).
  ScriptedProgress fetchStopped;
  fetchStopped.cancelAt = 0;
  before = s.writes.size();
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), name, 0, 0, kKindBus, 0, &fetchStopped),
            kTransferCancelled);
  EXPECT_FALSE(s.writtenSince(before).contains("DATA?"));
  EXPECT_FALSE(s.writtenSince(before).contains("TRIG:RUN:STAT 0\r"));
  EXPECT_TRUE(filesBelow(s.state.programDir).isEmpty());
  EXPECT_TRUE(s.ui.messages.isEmpty());
  expectSessionUsable(s, kKindBus, name, "kept");
}

INSTANTIATE_TEST_SUITE_P(Both, TransferCancel, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "RQ4102" : "RQ6102"; });

TEST(TransferCancel, ASendThatCannotBeClearedUpSaysSo) {
  StoreSession s(2, {"--block-timeout", "100", "--refuse-delete"});
  ASSERT_TRUE(s.ready());
  s.visa.viSetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, 500);
  ScriptedProgress progress;
  progress.cancelAt = 8 * 1024;
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), s.pcFile("CUT.BUS", patternBytes(64 * 1024)), 1, 0,
                                0, 0, &progress),
            kTransferCancelled);
  ASSERT_EQ(s.ui.messages.size(), 1);
  EXPECT_EQ(s.ui.messages[0].title, "Transfer");
  EXPECT_EQ(s.ui.messages[0].text,
            "The transfer of CUT.bus was cancelled, but the partial file could not be removed "
            "from the oscilloscope: delete CUT.bus on the oscilloscope.");
  EXPECT_EQ(s.ui.busyDepth, 0);
  // What the message says is true: the instrument kept part of the file.
  EXPECT_TRUE(listed(s, kKindBus).contains("CUT.bus"));
  EXPECT_EQ(s.ask(scpi::kRunStateQuery), "1\r");
}

// A cancel that comes once every byte of a send has gone out is too late to
// stop anything: the file arrived whole, is reported as sent and stays.
TEST_P(TransferCancel, ACancelAfterTheLastByteKeepsTheSentFile) {
  const int family = GetParam();
  StoreSession s(family);
  ASSERT_TRUE(s.ready());
  const QByteArray data = patternBytes(30 * 1024);
  ScriptedProgress progress;
  progress.cancelAt = data.size();
  const qsizetype before = s.writes.size();
  EXPECT_EQ(sendFile(s.state, s.vi(), s.pcFile("LATE.BUS", data), &progress), SendOutcome::Sent);
  EXPECT_EQ(progress.lastDone(), data.size());
  EXPECT_EQ(progress.cancellings, 0);
  EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
  const QByteArray afterBlock = s.writtenSince(before).mid(s.writtenSince(before).indexOf("#"));
  EXPECT_FALSE(afterBlock.contains("MMEM:DEL"));
  expectSessionUsable(s, kKindBus, family == 1 ? "LATE.BUS" : "LATE.bus", data);
}

// A watcher that gives the instrument a fault once the transfer starts
// clearing up.
class FaultOnCancel : public ScriptedProgress {
 public:
  FaultOnCancel(Simulator& sim, QByteArray fault) : sim_(sim), fault_(std::move(fault)) {}
  void cancelling() override {
    ScriptedProgress::cancelling();
    faulty = sim_.control("fault " + fault_);
  }
  bool faulty = false;

 private:
  Simulator& sim_;
  QByteArray fault_;
};

// After a send cut short, only a catalogue that answers without the name
// shows that the partial file is gone; no answer at all, or noise, proves
// nothing and the user is told to delete it.
TEST_P(TransferCancel, NoCatalogueAfterACancelledSendIsNoProofOfRemoval) {
  const int family = GetParam();
  for (const QByteArray fault : {"silent", "garbage"}) {
    SCOPED_TRACE(fault.toStdString());
    StoreSession s(family, {"--block-timeout", "100"});
    ASSERT_TRUE(s.ready());
    s.visa.viSetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, 300);
    FaultOnCancel progress(s.sim(), fault);
    progress.cancelAt = 8 * 1024;
    EXPECT_EQ(sendFile(s.state, s.vi(), s.pcFile("DEAF.BUS", patternBytes(64 * 1024)), &progress),
              SendOutcome::Cancelled);
    EXPECT_TRUE(progress.faulty);
    const QString name = family == 1 ? "DEAF.BUS" : "DEAF.bus";
    ASSERT_EQ(s.ui.messages.size(), 1);
    EXPECT_EQ(s.ui.messages[0].text,
              QStringLiteral("The transfer of %1 was cancelled, but the partial file could not be "
                             "removed from the oscilloscope: delete %1 on the oscilloscope.")
                  .arg(name));
    EXPECT_EQ(s.ui.busyDepth, 0);
  }
}

#ifndef Q_OS_WIN
// On a serial line the instrument is still sending when the user stops a
// fetch, and still receiving when the user stops a send; both are paced at
// the line's real speed here.
TEST(TransferCancel, BothWaysOverAPacedSerialLine) {
  StoreSession s(2, {"--block-timeout", "100"}, true);
  ASSERT_TRUE(s.ready());
  const QByteArray data = patternBytes(8 * 1024);
  storeResult(s, 2, "RES02.HTM", data);
  ScriptedProgress fetch;
  fetch.cancelAt = 1024;
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), "RES02.HTM", 0, 0, kKindResult, 0, &fetch),
            kTransferCancelled);
  EXPECT_LT(fetch.cancelledAt, data.size());
  EXPECT_TRUE(filesBelow(s.state.programDir).isEmpty());
  // The instrument stopped its reply and left no error behind.
  EXPECT_EQ(s.ask("SYST:ERR?\r"), "0,No error\r");

  s.visa.viSetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, 1000);
  ScriptedProgress send;
  send.cancelAt = 2 * 1024;
  EXPECT_EQ(Tarvik_fileTransfer(s.state, s.vi(), s.pcFile("LINE.BUS", data), 1, 0, 0, 0, &send),
            kTransferCancelled);
  EXPECT_TRUE(s.ui.messages.isEmpty()) << s.ui.lastMessage().toStdString();
  EXPECT_FALSE(listed(s, kKindBus).contains("LINE.bus"));
  s.visa.viSetAttribute(s.vi(), io::VI_ATTR_TMO_VALUE, 2000);
  expectSessionUsable(s, kKindResult, "RES02.HTM", data);
}
#endif

}  // namespace
