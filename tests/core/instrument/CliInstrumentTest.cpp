// karvel-cli instrument identify against the simulator.
#include <gtest/gtest.h>

#include <QProcess>

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
  EXPECT_EQ(r.out.toStdString(), "model 4\nidentification TARVIK,RQ6102,4472318,V2.03\n");
}

TEST(CliInstrument, FailureGivesTheMessageAndNonZeroExit) {
  karvel::test::ensureCoreApp();
  const CliRun r = cli({"instrument", "identify", "--address", "TCPIP0::127.0.0.1::1::SOCKET"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("Invalid communication (Time Out : no response)."));
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_EQ(cli({"instrument", "identify", "extra"}).code, 2);
}
