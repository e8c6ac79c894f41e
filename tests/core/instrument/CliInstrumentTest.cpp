// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli instrument identify against the simulator.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTcpServer>
#include <QTemporaryDir>

#include "support/CliRun.h"
#include "support/Simulator.h"

using karvel::test::Simulator;

namespace {

struct CliRun {
  int code = -1;
  QString out;
  QString err;
};

CliRun cli(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(KARVEL_APPDIR "/karvel-cli"), args);
  CliRun r;
  if (!p.waitForFinished(30000)) return r;
  r.code = p.exitCode();
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

}  // namespace

TEST(CliInstrument, IdentifyPrintsModelAndReply) {
  Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  const CliRun r = cli({"instrument", "identify", "--address", sim.tcpResource()});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.toStdString(), "model RQ6102\nidentification TARVIK,RQ6102,4472318,V2.03\n");
}

TEST(CliInstrument, FailureGivesTheMessageAndNonZeroExit) {
  karvel::test::ensureCoreApp();
  const CliRun r = cli({"instrument", "identify", "--address", "TCPIP0::127.0.0.1::1::SOCKET"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("Invalid communication (Time Out : no response)."));
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_EQ(cli({"instrument", "identify", "extra"}).code, 2);
}

TEST(CliInstrument, IdentifyAsCsvAndJsonNamesTheModel) {
  Simulator sim({"--tcp", "0", "--family", "1"});
  ASSERT_TRUE(sim.ready());
  const QStringList args = {"instrument", "identify", "--address", sim.tcpResource(), "--format"};
  const QJsonObject doc = karvel::test::jsonOf(karvel::test::runCli(args + QStringList{"json"}));
  EXPECT_EQ(doc["model"].toString(), "RQ4102");
  EXPECT_EQ(doc["resource"].toString(), sim.tcpResource());
  EXPECT_EQ(doc["identification"].toString(), "TARVIK,RQ4102,4471052,V5.12");
  const QJsonArray csv = karvel::test::csvOf(karvel::test::runCli(args + QStringList{"csv"}));
  ASSERT_EQ(csv.size(), 1);
  EXPECT_EQ(csv[0].toObject(), doc);  // the same fields, by the same names
}

TEST(CliInstrument, LinkFailuresNameTheirCauseAndTheAddress) {
  karvel::test::ensureCoreApp();
  quint16 closed = 0;  // a port nobody listens on any more
  {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    closed = server.serverPort();
  }
  const QString refused = QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(closed);
  Simulator silent({"--pty", "--family", "1", "--fault", "silent"});
  Simulator held({"--pty", "--family", "1"});
  ASSERT_TRUE(silent.ready() && held.ready());
  QSerialPort holder(held.pty());  // this test program holds the port (and its lock file)
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  const QList<QPair<QString, QString>> cases = {
      {held.ptyResource(), "Device busy: " + held.ptyResource() + ". " + held.pty() +
                               " is in use by another program (karvel_core_tes"},
      {refused, "Connection refused: " + refused + "."},
      {"TCPIP0::127.0.0.1::SOCKET", "Malformed address: TCPIP0::127.0.0.1::SOCKET."},
      {"ASRL/dev/karvel-no-such-port::INSTR",
       "No such device: ASRL/dev/karvel-no-such-port::INSTR."},
      {silent.ptyResource(), "No answer within the time-out: " + silent.ptyResource() + "."},
  };
  for (const auto& [address, cause] : cases) {
    const CliRun r = cli({"instrument", "identify", "--address", address, "--language", "en"});
    EXPECT_EQ(r.code, 1) << address.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    // The program's message on its lines, then the cause with the address.
    EXPECT_TRUE(
        r.err.startsWith("karvel-cli: Invalid communication (Time Out : no response).\n"
                         "karvel-cli: Check the cables"))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("\nkarvel-cli: " + cause)) << r.err.toStdString();
  }
}

#ifdef Q_OS_UNIX
TEST(CliInstrument, PermissionDeniedGivesTheGroupAdvice) {
  QTemporaryDir dir;
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
  QFile port(dir.filePath("ttyUSB7"));
  ASSERT_TRUE(port.open(QIODevice::WriteOnly));
  port.close();
  port.setPermissions(::geteuid() == 0 ? QFile::ReadOwner | QFile::WriteOwner
                                       : QFile::Permissions());
  const QString address = "ASRL" + port.fileName() + "::INSTR";
  const auto r = karvel::test::runCli(
      {"instrument", "identify", "--address", address, "--language", "en"}, true);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("karvel-cli: Permission denied: " + address + ". " + port.fileName() +
                             " exists but you may not open it"))
      << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("sudo usermod -aG ")) << r.err.toStdString();
}
#endif

TEST(CliInstrument, APeerThatNeverAnswersIsNoInstrumentOneThatNamesNoModelIsUnidentified) {
  {
    Simulator sim({"--tcp", "0", "--fault", "silent"});
    ASSERT_TRUE(sim.ready());
    const CliRun r = cli({"instrument", "identify", "--address", sim.tcpResource()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("No answer within the time-out: " + sim.tcpResource() + "."))
        << r.err.toStdString();
  }
  {
    // The session opens on what answered; the command says what that was,
    // its escape sequence written out, and that it is no supported model.
    Simulator sim({"--tcp", "0", "--idn", "ACME,\x1b[2JDMM-7,0,V1.0"});
    ASSERT_TRUE(sim.ready());
    const CliRun r = cli({"instrument", "identify", "--address", sim.tcpResource()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.toStdString(),
              "model unidentified instrument\nidentification ACME,\\x1b[2JDMM-7,0,V1.0\n");
    const QJsonObject doc = karvel::test::jsonOf(karvel::test::runCli(
        {"instrument", "identify", "--address", sim.tcpResource(), "--format", "json"}));
    EXPECT_EQ(doc["model"].toString(), "unidentified instrument");
    EXPECT_EQ(doc["identification"].toString(), "ACME,\\x1b[2JDMM-7,0,V1.0");
  }
}

TEST(CliInstrument, EveryCommandStopsAtAFailedIdentification) {
  // A silent instrument: list, fetch and send end with the link's cause
  // after the identification, without asking it for a catalogue (60 s) or
  // judging a file against a model nobody named.
  QTemporaryDir dir;
  const QString log = dir.filePath("commands.log");
  Simulator sim({"--tcp", "0", "--fault", "silent", "--log", log});
  ASSERT_TRUE(sim.ready());
  QFile bus(dir.filePath("CAN.BUS"));
  ASSERT_TRUE(bus.open(QIODevice::WriteOnly));
  bus.write("<x><VSoftTarvikIV/></x>");
  bus.close();
  const QList<QStringList> commands = {
      {"instrument", "list", "results"},
      {"instrument", "fetch", "A.HTM", "--kind", "results", "--to", dir.path()},
      {"instrument", "send", bus.fileName()},
  };
  for (const QStringList& command : commands) {
    SCOPED_TRACE(command.join(' ').toStdString());
    QElapsedTimer timer;
    timer.start();
    const CliRun r = cli(command + QStringList{"--address", sim.tcpResource(), "--language", "en"});
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith("karvel-cli: Invalid communication (Time Out : no response).\n"))
        << r.err.toStdString();
    EXPECT_TRUE(
        r.err.contains("\nkarvel-cli: No answer within the time-out: " + sim.tcpResource() + ".\n"))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("bus definition file")) << r.err.toStdString();
  }
  // The instrument heard the identification query and nothing else.
  QFile heard(log);
  ASSERT_TRUE(heard.open(QIODevice::ReadOnly));
  int queries = 0;
  for (const QByteArray& line : heard.readAll().split('\n')) {
    if (line.isEmpty()) continue;
    EXPECT_TRUE(line.endsWith(" *IDN?")) << line.toStdString();
    ++queries;
  }
  EXPECT_EQ(queries, 3);
}
