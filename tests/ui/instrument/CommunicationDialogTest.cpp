// SPDX-License-Identifier: GPL-3.0-or-later
// The communication settings dialog: address texts, fields, ping, focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <utility>

#include "core/frame/AppState.h"
#include "core/frame/Langue.h"
#include "core/instrument/Communication.h"
#include "core/instrument/CommunicationTexts.h"
#include "core/instrument/SerialPortAccess.h"
#include "io/Visa.h"
#include "support/ScriptedInteraction.h"
#include "support/Simulator.h"
#include "ui/frame/WholePaths.h"
#include "ui/instrument/CommunicationDialog.h"

using namespace karvel;
using karvel::ui::CommunicationDialog;

namespace {

// The information box as the user reads it (paths are kept whole with
// invisible joiners).
QString infoText(const QWidget& dialog) {
  return ui::withoutJoiners(dialog.findChild<QPlainTextEdit*>("infoBox")->toPlainText());
}

struct DialogHarness {
  AppState state;
  io::Visa visa;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  QStringList opened;
  QStringList pinged;
  bool pingAnswer = true;
  std::unique_ptr<CommunicationDialog> dialog;

  DialogHarness() {
    state.visa = &visa;
    state.ui = &ui;
    state.clock = &clock;
    visa.setConnectTimeout(300);
    visa.setPortLister([] { return QList<io::SerialPortEntry>{}; });
    visa.setTrace([this](const io::TraceEvent& e) {
      if (e.kind == io::TraceEvent::Kind::Open) opened.append(QString::fromUtf8(e.data));
    });
  }
  CommunicationDialog& open(int type) {
    dialog = std::make_unique<CommunicationDialog>(state);
    dialog->hostAddresses = [](QStringList* out) {
      out->append("192.168.0.2");
      return 1;
    };
    dialog->ping = [this](const QString& a, int) {
      pinged.append(a);
      return pingAnswer;
    };
    dialog->serialPorts = [] { return QStringList{"/dev/ttyUSB0  CP2102 USB to UART"}; };
    dialog->TraducCom();
    dialog->findChild<QComboBox*>("typeSelector")->setCurrentIndex(type);
    dialog->Communication(CommunicationDialog::Control::Selector, CommunicationDialog::Commit);
    return *dialog;
  }
  void connect() {
    dialog->Communication(CommunicationDialog::Control::Connect, CommunicationDialog::Commit);
  }
};

}  // namespace

TEST(CommunicationDialog, AddressTextsOfEachType) {
  EXPECT_EQ(ui::addressFromFields(RS232, "3", {}), "ASRL3");
  EXPECT_EQ(ui::addressFromFields(RS232, "12", {}), "ASRL12");
  EXPECT_EQ(ui::addressFromFields(RS232, "/dev/ttyUSB0", {}), "ASRL/dev/ttyUSB0::INSTR");
  EXPECT_EQ(ui::addressFromFields(RS232, "abc", {}), "");
  EXPECT_EQ(ui::addressFromFields(USB, "7", {}), "USB7");
  EXPECT_EQ(ui::addressFromFields(Ethernet, "192", {"168", "1", "20"}), "TCPIP0::192.168.1.20");
  EXPECT_EQ(ui::addressFromFields(Ethernet, "192", {"168", "", "0"}), "TCPIP0::192.168.0.0");
  for (const QStringList& bad :
       {QStringList{"999", "1", "1", "1"}, QStringList{"1", "256", "1", "1"},
        QStringList{"1", "1", "-1", "1"}, QStringList{"1", "1", "1", "2x"}})
    EXPECT_EQ(ui::addressFromFields(Ethernet, bad[0], bad.mid(1)), "")
        << bad.join('.').toStdString();
}

TEST(CommunicationDialog, ABadIpByteIsRefusedWithoutTraffic) {
  DialogHarness h;
  auto& d = h.open(Ethernet);
  h.state.sessionOpen = 0;
  const QString before = h.state.ethernetAddress;
  d.findChild<QLineEdit*>("addressField")->setText("999");
  h.connect();
  EXPECT_TRUE(h.pinged.isEmpty());
  EXPECT_TRUE(h.opened.isEmpty());
  EXPECT_EQ(h.state.ethernetAddress, before);
  EXPECT_TRUE(infoText(d).endsWith("Not an IP address: each byte is a number from 0 to 255."));
}

TEST(CommunicationDialog, EthernetShowsPcAddressesAndTheFourBytes) {
  DialogHarness h;
  h.state.ethernetAddress = "TCPIP0::255.255.255.255::23::SOCKET";
  auto& d = h.open(Ethernet);
  EXPECT_EQ(infoText(d).toStdString(),
            "Enter oscilloscope IP address.\n\nPC address :  192.168.0.2\n");
  for (QLineEdit* f :
       {d.findChild<QLineEdit*>("addressField"), d.findChild<QLineEdit*>("byte2Field"),
        d.findChild<QLineEdit*>("byte3Field"), d.findChild<QLineEdit*>("byte4Field")})
    EXPECT_EQ(f->text(), "255");
  EXPECT_FALSE(d.findChild<QLineEdit*>("byte2Field")->isHidden());

  // No address of its own: "No address".
  h.dialog->hostAddresses = [](QStringList*) { return -1; };
  h.dialog->Communication(CommunicationDialog::Control::Selector, CommunicationDialog::Commit);
  EXPECT_TRUE(infoText(d).endsWith("PC address :  No address\n"));
}

TEST(CommunicationDialog, EthernetConnectPingsThenOpensPort23) {
  DialogHarness h;
  auto& d = h.open(Ethernet);
  d.findChild<QLineEdit*>("addressField")->setText("192");
  d.findChild<QLineEdit*>("byte2Field")->setText("168");
  d.findChild<QLineEdit*>("byte3Field")->setText("1");
  d.findChild<QLineEdit*>("byte4Field")->setText("20");
  EXPECT_EQ(d.findChild<QLineEdit*>("portField")->text(), "23");
  h.pingAnswer = false;
  h.connect();
  EXPECT_EQ(h.pinged, QStringList{"192.168.1.20"});
  // Written whole, port included, though nothing answered.
  EXPECT_EQ(h.state.ethernetAddress, "TCPIP0::192.168.1.20::23::SOCKET");
  EXPECT_EQ(h.state.connectionType, Ethernet);
  ASSERT_EQ(h.ui.messages.size(), 1);
  EXPECT_EQ(h.ui.messages[0].text, "This IP address has not response.\n");
  EXPECT_TRUE(h.opened.isEmpty());

  h.pingAnswer = true;
  h.connect();
  EXPECT_EQ(h.state.ethernetAddress, "TCPIP0::192.168.1.20::23::SOCKET");
  EXPECT_EQ(h.opened, QStringList{"TCPIP0::192.168.1.20::23::SOCKET"});
}

// A simulator, a port forward or a serial-to-Ethernet converter listens on
// another port than 23: the dialog shows it, keeps it, and connects there.
TEST(CommunicationDialog, EthernetKeepsThePortOfTheStoredAddress) {
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  ASSERT_NE(sim.port(), 23);
  DialogHarness h;
  h.state.ethernetAddress = sim.tcpResource();
  auto& d = h.open(Ethernet);
  QLineEdit* port = d.findChild<QLineEdit*>("portField");
  ASSERT_NE(port, nullptr);
  EXPECT_FALSE(port->isHidden());
  EXPECT_EQ(port->text(), QString::number(sim.port()));
  EXPECT_EQ(d.findChild<QLineEdit*>("byte4Field")->text(), "1");
  h.connect();
  EXPECT_EQ(h.pinged, QStringList{"127.0.0.1"});
  EXPECT_EQ(h.opened.value(0), sim.tcpResource());
  EXPECT_EQ(h.state.sessionOpen, 1);
  EXPECT_EQ(h.state.ethernetAddress, sim.tcpResource());
  EXPECT_TRUE(h.ui.messages.isEmpty()) << h.ui.lastMessage().toStdString();
  Tarvik_close(h.state, h.state.session);

  // A port typed in goes into the address; one that is no port is refused
  // with its reason, before any traffic, and changes nothing.
  auto& again = h.open(Ethernet);
  QLineEdit* typed = again.findChild<QLineEdit*>("portField");
  EXPECT_EQ(typed->text(), QString::number(sim.port()));
  for (const char* bad : {"0", "65536", "", "99999"}) {
    SCOPED_TRACE(bad);
    h.pinged.clear();
    h.opened.clear();
    typed->setText(bad);
    h.connect();
    EXPECT_TRUE(h.pinged.isEmpty());
    EXPECT_TRUE(h.opened.isEmpty());
    EXPECT_EQ(h.state.ethernetAddress, sim.tcpResource());
    EXPECT_TRUE(infoText(again).endsWith("Not a TCP port: the port is a number from 1 to 65535."));
  }
  typed->setText("5025");
  h.pingAnswer = false;
  h.connect();
  EXPECT_EQ(h.state.ethernetAddress, "TCPIP0::127.0.0.1::5025::SOCKET");
  EXPECT_EQ(h.state.sessionOpen, 0);

  // The port field is only for Ethernet, and ":" after an address byte
  // moves to it, so that 127.0.0.1:5025 types straight in.
  again.show();
  again.activateWindow();
  QLineEdit* byte4 = again.findChild<QLineEdit*>("byte4Field");
  byte4->setFocus();
  QKeyEvent colon(QEvent::KeyPress, Qt::Key_Colon, Qt::NoModifier, ":");
  QApplication::sendEvent(byte4, &colon);
  EXPECT_EQ(again.focusWidget(), typed);
  EXPECT_EQ(byte4->text(), "1");
  again.findChild<QComboBox*>("typeSelector")->setCurrentIndex(RS232);
  again.Communication(CommunicationDialog::Control::Selector, CommunicationDialog::Commit);
  EXPECT_TRUE(typed->isHidden());
  EXPECT_TRUE(again.findChild<QLabel*>("portLabel")->isHidden());
  EXPECT_EQ(ui::storedTcpPort("TCPIP0::10.0.0.5"), 23);
  EXPECT_EQ(ui::storedTcpPort("TCPIP0::10.0.0.5::502::SOCKET"), 502);
}

TEST(CommunicationDialog, Rs232ConnectWritesAsrlAndListsThePorts) {
  DialogHarness h;
  h.state.serialAddress = "ASRL1";
  auto& d = h.open(RS232);
  EXPECT_EQ(d.findChild<QLabel*>("addressLabel")->text(), "COM");
  EXPECT_EQ(d.findChild<QLineEdit*>("addressField")->text(), "1");
  EXPECT_TRUE(d.findChild<QLineEdit*>("byte2Field")->isHidden());
  EXPECT_TRUE(infoText(d).contains("/dev/ttyUSB0  CP2102 USB to UART"));
  EXPECT_TRUE(infoText(d).startsWith("On oscilloscope :\nhighest speed,"));
  d.findChild<QLineEdit*>("addressField")->setText("3");
  h.connect();
  EXPECT_EQ(h.state.serialAddress, "ASRL3");
  EXPECT_EQ(h.state.connectionType, RS232);
  ASSERT_FALSE(h.opened.isEmpty());
  EXPECT_EQ(h.opened.first(), "ASRL3");

  // A device path that does not exist: the information box says so.
  d.findChild<QLineEdit*>("addressField")->setText("/dev/karvel-no-such-port");
  h.connect();
  EXPECT_EQ(h.state.serialAddress, "ASRL/dev/karvel-no-such-port::INSTR");
  EXPECT_TRUE(infoText(d).contains("/dev/karvel-no-such-port does not exist on this PC."));
}

TEST(CommunicationDialog, TheRs232HelpNeverCutsADevicePath) {
  for (int language = 0; language < 5; ++language) {
    DialogHarness h;
    h.state.language = language;
    auto& d = h.open(RS232);
    d.resize(340, 420);  // narrow enough for the hint to wrap
    d.show();
    QCoreApplication::processEvents();
    const QTextDocument* document = d.findChild<QPlainTextEdit*>("infoBox")->document();
    QStringList lines;
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
      const QTextLayout* layout = b.layout();
      for (int i = 0; layout && i < layout->lineCount(); ++i)
        lines.append(ui::withoutJoiners(
            b.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength())));
    }
    // The hint ("... such as /dev/ttyUSB0.") and the port list both name it.
    EXPECT_EQ(lines.filter("/dev/ttyUSB0").size(), 2) << language << lines.join('|').toStdString();
    EXPECT_EQ(lines.filter("ttyUSB0").size(), 2) << language << lines.join('|').toStdString();
  }
}

TEST(CommunicationDialog, ConnectClosesTheOpenSessionFirst) {
  test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  DialogHarness h;
  QList<int> toolbar;
  h.state.afficheCom = [&](int open) { toolbar.append(open); };
  h.state.connectionType = Ethernet;
  h.state.ethernetAddress = sim.tcpResource();
  ASSERT_EQ(OpenDev(h.state), 0);
  auto& d = h.open(RS232);
  d.findChild<QLineEdit*>("addressField")->setText("/dev/karvel-no-such-port");
  h.connect();
  // Closed before the new opening, which fails and closes again.
  EXPECT_EQ(toolbar.mid(0, 2), (QList<int>{1, 0}));
  EXPECT_EQ(toolbar.last(), 0);
  EXPECT_EQ(h.state.sessionOpen, 0);
  EXPECT_EQ(h.visa.openObjectCount(), 0);
}

TEST(CommunicationDialog, DotMovesTheFocusAlongTheAddressBytes) {
  DialogHarness h;
  auto& d = h.open(Ethernet);
  d.show();
  d.activateWindow();
  QLineEdit* fields[] = {
      d.findChild<QLineEdit*>("addressField"), d.findChild<QLineEdit*>("byte2Field"),
      d.findChild<QLineEdit*>("byte3Field"), d.findChild<QLineEdit*>("byte4Field")};
  QWidget* expected[] = {
      d.findChild<QLineEdit*>("byte2Field"), d.findChild<QLineEdit*>("byte3Field"),
      d.findChild<QLineEdit*>("byte4Field"), d.findChild<QPushButton*>("connectButton")};
  for (int i = 0; i < 4; ++i) {
    fields[i]->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, ".");
    QApplication::sendEvent(fields[i], &press);
    EXPECT_EQ(d.focusWidget(), expected[i]) << i;
    EXPECT_FALSE(fields[i]->text().contains('.'));
  }
}

// Linux has the USB drivers: the help says what it needs instead (the port's
// group, or what stops this account), never a driver folder that is not here.
TEST(CommunicationDialog, UsbHelpOnLinuxSpeaksOfThePortNotOfADriver) {
#ifdef Q_OS_WIN
  GTEST_SKIP() << "Windows keeps its driver folder";
#else
  QTemporaryDir root;
  const QString sys = root.filePath("sys");
  const QString dev = root.filePath("dev");
  ASSERT_TRUE(QDir().mkpath(dev));
  for (int language = French; language <= Italian; ++language) {
    SCOPED_TRACE(language);
    DialogHarness h;
    h.state.language = language;
    h.state.sysfsRoot = sys;  // nothing connected
    h.state.deviceRoot = dev;
    auto& d = h.open(USB);
    const QString none = infoText(d);
    EXPECT_FALSE(none.contains("Driver USB")) << none.toStdString();
    EXPECT_TRUE(none.startsWith(pick(text::kCommHelpUsbLinux, language))) << none.toStdString();
    EXPECT_TRUE(none.contains(pick(text::kCommNoPorts, language)));
    EXPECT_TRUE(none.contains("sudo usermod -aG dialout") ||
                none.endsWith(pick(text::kCommUsbConnect, language)))
        << none.toStdString();
  }

  // The instrument's own USB port plugged in: named, with what this account
  // may do with it.
  const QString usb = sys + "/devices/pci0/usb1/1-1";
  const QString tty = usb + "/1-1:1.0/tty/ttyACM0";
  ASSERT_TRUE(QDir().mkpath(tty + "/device"));
  ASSERT_TRUE(QDir().mkpath(sys + "/class/tty"));
  ASSERT_TRUE(QFile::link(tty, sys + "/class/tty/ttyACM0"));
  for (const auto& [file, text] :
       {std::pair{"idVendor", "0525\n"}, std::pair{"idProduct", "a4a7\n"},
        std::pair{"product", "Gadget Serial\n"}}) {
    QFile f(usb + "/" + file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  QFile node(dev + "/ttyACM0");
  ASSERT_TRUE(node.open(QIODevice::WriteOnly));
  node.close();
  ASSERT_TRUE(node.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
  DialogHarness h;
  h.state.sysfsRoot = sys;
  h.state.deviceRoot = dev;
  const QString shown = infoText(h.open(USB));
  EXPECT_FALSE(shown.contains("Driver USB"));
  EXPECT_TRUE(shown.contains(dev + "/ttyACM0  Gadget Serial\n" + dev +
                             "/ttyACM0 can be opened by your account."))
      << shown.toStdString();
#endif
}

TEST(CommunicationDialog, QuitForgetsThePanel) {
  DialogHarness h;
  auto& d = h.open(USB);
  EXPECT_TRUE(d.findChild<QLineEdit*>("addressField")->isHidden());
  EXPECT_EQ(h.state.commPanel, &d);
  d.Communication(CommunicationDialog::Control::Quit, CommunicationDialog::Commit);
  EXPECT_EQ(h.state.commPanel, nullptr);
}

TEST(SerialPortHelp, NamesTheGroupAndTheRemedy) {
  PortProblem p;
  p.kind = PortProblem::Kind::Permission;
  p.group = "dialout";
  p.user = "ann";
  const QString text = portAdvice(p, "/dev/ttyUSB0", English);
  EXPECT_TRUE(text.contains("\"dialout\""));
  EXPECT_TRUE(text.contains("sudo usermod -aG dialout ann"));
  p.kind = PortProblem::Kind::Busy;
  p.holder = "minicom";
  EXPECT_EQ(portAdvice(p, "/dev/ttyUSB0", English),
            "/dev/ttyUSB0 is in use by another program (minicom). Close that program, then connect "
            "again.");
  EXPECT_TRUE(portAdvice(PortProblem{}, "/dev/ttyUSB0", French).isEmpty());
  EXPECT_EQ(diagnoseSerialPort("/dev/karvel-no-such-port").kind, PortProblem::Kind::Missing);
}

#ifdef Q_OS_UNIX
TEST(SerialPortHelp, APortLockedByAnotherProgramIsNamed) {
  QTemporaryDir dir;
  const QString device = dir.filePath("ttyKARVEL");
  QFile port(device);
  ASSERT_TRUE(port.open(QIODevice::WriteOnly));
  port.close();
  QProcess holder;
  holder.start("sleep", {"30"});
  ASSERT_TRUE(holder.waitForStarted());
  QString name = device;
  name.replace('/', '_');
  QFile lock("/tmp/LCK.." + name);
  ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
  lock.write(QByteArray::number(holder.processId()) + "\nsleep\nhost\n");
  lock.close();
  const PortProblem p = diagnoseSerialPort(device);
  lock.remove();
  holder.kill();
  holder.waitForFinished();
  EXPECT_EQ(p.kind, PortProblem::Kind::Busy);
  EXPECT_EQ(p.holder, "sleep");
  EXPECT_EQ(diagnoseSerialPort(device).kind, PortProblem::Kind::None);  // lock gone
}
#endif
