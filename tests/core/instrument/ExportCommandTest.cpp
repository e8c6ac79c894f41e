// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export against the simulator: the model check, the transfer and its messages.
#include <gtest/gtest.h>

#include "core/instrument/Catalogue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/ExportCommand.h"
#include "core/instrument/FileTransfer.h"
#include "support/StoreSession.h"

using namespace karvel;
using namespace karvel::test;

namespace {

// A state that opens its own session with OpenDev over the simulator's socket.
struct ExportHarness {
  explicit ExportHarness(int family, const QStringList& simArgs = {})
      : sim(QStringList{"--tcp", "0", "--family", QString::number(family)} + simArgs) {
    state.ui = &ui;
    state.clock = &clock;
    state.visa = &visa;
    state.programDir = scratch.path();
    state.connectionType = Ethernet;
    state.ethernetAddress = sim.tcpResource();
    visa.setTrace([this](const io::TraceEvent& e) {
      if (e.kind == io::TraceEvent::Kind::Write) writes.append(e.data);
    });
  }
  ~ExportHarness() {
    if (state.sessionOpen) Tarvik_close(state, state.session);
  }
  QString file(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(scratch.path()).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
  }
  void choose(const QString& path) { ui.files.enqueue({FileChoice::Kind::Existing, path}); }
  bool sentBlock() const {
    for (const QByteArray& w : writes)
      if (w.startsWith("MMEM:DATA ")) return true;
    return false;
  }
  QStringList listed() {
    QList<CatalogueEntry> list;
    RetourneCatalogue(state, kKindBus, list);
    QStringList out;
    for (const auto& e : list) out << e.name;
    return out;
  }

  Simulator sim;
  QTemporaryDir scratch;
  ScriptedInteraction ui;
  RecordingClock clock;
  io::Visa visa;
  AppState state;
  QList<QByteArray> writes;
};

const QByteArray kFirstFamilyFile = "<?xml version=\"1.0\"?><BUS><Name>CAN</Name></BUS>";
const QByteArray kSecondFamilyFile = "<?xml version=\"1.0\"?><BUS><vsofttarvikiv/></BUS>";

}  // namespace

TEST(ExportCommand, FileMustSuitTheConnectedModel) {
  {
    ExportHarness h(2);
    ASSERT_TRUE(h.sim.ready());
    h.choose(h.file("PLAIN.BUS", kFirstFamilyFile));
    exportBusFile(h.state);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.messages[0].text, "Impossible to do this command\n");
    EXPECT_FALSE(h.sentBlock());
    ASSERT_EQ(h.ui.fileRequests.size(), 1);
    EXPECT_EQ(h.ui.fileRequests[0].pattern, "*.BUS");
    EXPECT_EQ(h.ui.fileRequests[0].types, QStringList{"BUS files (*.BUS)"});
    EXPECT_EQ(h.ui.fileRequests[0].title, "Export");
    EXPECT_TRUE(h.ui.fileRequests[0].forceExtension);

    h.choose(h.file("Tagged Bus.BUS", kSecondFamilyFile));
    exportBusFile(h.state);
    // Only the confirmation was added.
    ASSERT_EQ(h.ui.messages.size(), 2);
    EXPECT_EQ(h.ui.lastMessage(),
              "Tagged Bus.BUS has been sent to the oscilloscope as Tagged_Bus.bus.");
    EXPECT_EQ(h.listed(), QStringList{"Tagged_Bus.bus"});
    EXPECT_EQ(h.ui.busyDepth, 0);
  }
  {
    ExportHarness h(1);
    ASSERT_TRUE(h.sim.ready());
    h.choose(h.file("PLAIN.bus", kFirstFamilyFile));
    exportBusFile(h.state);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.ui.lastMessage(), "PLAIN.bus has been sent to the oscilloscope as PLAIN.BUS.");
    EXPECT_EQ(h.listed(), QStringList{"PLAIN.BUS"});
    h.choose(h.file("TAGGED.BUS", kSecondFamilyFile));
    exportBusFile(h.state);
    EXPECT_EQ(h.ui.lastMessage(), "Impossible to do this command\n");
  }
}

TEST(ExportCommand, LongNamesGiveTheLimitOfTheModel) {
  {
    ExportHarness h(1);
    ASSERT_TRUE(h.sim.ready());
    h.choose(h.file(QString(21, u'L') + ".BUS", kFirstFamilyFile));
    exportBusFile(h.state);
    EXPECT_EQ(h.ui.lastMessage(), "Filename must be 20 max. characters long.\n");
    EXPECT_FALSE(h.sentBlock());
  }
  {
    ExportHarness h(2);
    ASSERT_TRUE(h.sim.ready());
    h.choose(h.file(QString(29, u'L') + ".BUS", kSecondFamilyFile));
    exportBusFile(h.state);
    EXPECT_EQ(h.ui.lastMessage(), "Filename must be 28 max. characters long.\n");
    EXPECT_FALSE(h.sentBlock());
    // A cancelled file dialog does nothing.
    const qsizetype before = h.writes.size();
    exportBusFile(h.state);
    EXPECT_EQ(h.ui.messages.size(), 1);
    for (const QByteArray& w : h.writes.mid(before)) EXPECT_EQ(w, "\r*IDN?\r");  // link check only
  }
}

// "LIN.bus" is not "XLIN.bus": neither the replace question nor the check
// that the file arrived may take one name for part of another.
TEST(ExportCommand, CatalogueChecksCompareWholeNames) {
  QTemporaryDir held;
  QFile x(held.filePath("XLIN.bus"));
  ASSERT_TRUE(x.open(QIODevice::WriteOnly));
  x.write(kSecondFamilyFile);
  x.close();
  {
    ExportHarness h(2, {"--files", held.path(), "--memory-full"});
    ASSERT_TRUE(h.sim.ready());
    h.choose(h.file("LIN.bus", kSecondFamilyFile));
    exportBusFile(h.state);
    EXPECT_TRUE(h.ui.questions.isEmpty());
    EXPECT_TRUE(h.sentBlock());
    EXPECT_EQ(h.ui.lastMessage(), "Memory full on oscilloscope.\n");
    EXPECT_EQ(h.listed(), QStringList{"XLIN.bus"});
  }
  {
    ExportHarness h(2, {"--files", held.path()});
    ASSERT_TRUE(h.sim.ready());
    h.choose(h.file("LIN.bus", kSecondFamilyFile));
    exportBusFile(h.state);
    EXPECT_TRUE(h.ui.questions.isEmpty());
    ASSERT_EQ(h.ui.messages.size(), 1) << h.ui.lastMessage().toStdString();
    EXPECT_EQ(h.ui.lastMessage(), "LIN.bus has been sent to the oscilloscope.");
    EXPECT_EQ(h.listed(), (QStringList{"XLIN.bus", "LIN.bus"}));
    // The same name in another letter case is the same file: asked first.
    h.choose(h.file("xlin.bus", kSecondFamilyFile));
    h.ui.answers.enqueue(1);  // No
    exportBusFile(h.state);
    EXPECT_EQ(h.ui.questions.size(), 1);
  }
}

TEST(ExportCommand, ANameTheInstrumentCannotHoldIsRefusedBeforeSending) {
  ExportHarness h(2);
  ASSERT_TRUE(h.sim.ready());
  h.choose(h.file(QString::fromUtf8("\xCE\xA9x.bus"), kSecondFamilyFile));  // "Ωx.bus"
  exportBusFile(h.state);
  EXPECT_FALSE(h.sentBlock());
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(h.ui.messages[0].title, "Error");
  EXPECT_TRUE(h.ui.messages[0].text.contains(QString::fromUtf8("cannot store: \xCE\xA9")))
      << h.ui.messages[0].text.toStdString();
  EXPECT_TRUE(h.listed().isEmpty());
  EXPECT_EQ(h.ui.busyDepth, 0);
  // Windows-1252 letters beyond ASCII are fine.
  EXPECT_TRUE(
      charactersInstrumentCannotHold(QString::fromUtf8("Mes\xC3\xA9s \xE2\x82\xAC.bus")).isEmpty());
  EXPECT_EQ(charactersInstrumentCannotHold(QString::fromUtf8("a\xCE\xA9\xCE\xA9\xF0\x9F\x98\x80")),
            QString::fromUtf8("\xCE\xA9\xF0\x9F\x98\x80"));
}

// The dialog starts beside the bus file shown and proposes it, when that is a
// file on this PC; a name fetched from the instrument proposes nothing.
TEST(ExportCommand, TheDialogProposesTheFileShown) {
  ExportHarness h(1);
  ASSERT_TRUE(h.sim.ready());
  QDir(h.scratch.path()).mkpath("work");
  const QString shown = h.file("work/CAN.BUS", kFirstFamilyFile);
  exportBusFile(h.state, nullptr, shown);  // the dialog is cancelled
  ASSERT_EQ(h.ui.fileRequests.size(), 1);
  EXPECT_EQ(h.ui.fileRequests[0].folder, QDir(h.scratch.path()).filePath("work"));
  EXPECT_EQ(h.ui.fileRequests[0].defaultFile, "CAN.BUS");
  EXPECT_FALSE(h.sentBlock());

  for (const QString& notHere :
       {QString("CAN.BUS"), QDir(h.scratch.path()).filePath("gone.BUS"), QString()}) {
    exportBusFile(h.state, nullptr, notHere);
    EXPECT_TRUE(h.ui.fileRequests.last().folder.isEmpty()) << notHere.toStdString();
    EXPECT_TRUE(h.ui.fileRequests.last().defaultFile.isEmpty()) << notHere.toStdString();
  }
  EXPECT_TRUE(h.ui.messages.isEmpty());
}
