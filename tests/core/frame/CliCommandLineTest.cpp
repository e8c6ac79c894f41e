// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli's command line, the same for every command: help on stdout with
// exit 0, the version, usage errors on stderr with exit 2, languages by code.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "support/CliRun.h"

using karvel::test::CliRun;
using karvel::test::runCli;

namespace {

const QList<QStringList> kCommands = {
    {},
    {"bus"},
    {"bus", "show"},
    {"bus", "speed"},
    {"bus", "voltage"},
    {"bus", "set"},
    {"result"},
    {"result", "show"},
    {"result", "export"},
    {"instrument"},
    {"instrument", "identify"},
    {"instrument", "list"},
    {"instrument", "fetch"},
    {"instrument", "send"},
    {"instrument", "ports"},
};

const QString kResult = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/CAN_HS_PASS.HTM");

}  // namespace

TEST(CliCommandLine, EveryCommandPrintsItsHelpOnStdout) {
  for (const QStringList& command : kCommands) {
    const std::string name = command.join(' ').toStdString();
    const QString usage = ("Usage: karvel-cli " + command.join(' ')).simplified();
    for (const char* help : {"--help", "-h"}) {
      const CliRun run = runCli(command + QStringList{help});
      EXPECT_EQ(run.code, 0) << name << " " << help;
      EXPECT_TRUE(run.out.startsWith(usage)) << name << ": " << run.out.toStdString();
      EXPECT_TRUE(run.err.isEmpty()) << name << ": " << run.err.toStdString();
    }
    // "help COMMAND" is the same text.
    EXPECT_EQ(runCli(QStringList{"help"} + command).out,
              runCli(command + QStringList{"--help"}).out)
        << name;
  }
  // The overview names every option a command takes beyond its arguments.
  const QString overview = runCli({"--help"}).out;
  for (const char* option : {"--language", "--format", "--address", "--title", "--kind", "--store",
                             "--to", "--replace", "--probe", "--sysfs-root", "--dev-root"})
    EXPECT_TRUE(overview.contains(option)) << option;
  EXPECT_TRUE(overview.contains("fetch NAME --kind bus|results [--store 0|1] --to DIR [--address"));
}

TEST(CliCommandLine, VersionAndUsageErrors) {
  const CliRun version = runCli({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_TRUE(QRegularExpression("^karvel-cli 2\\.1 \\(built \\d{4}-\\d\\d-\\d\\d\\)\n$")
                  .match(version.out)
                  .hasMatch())
      << version.out.toStdString();

  const QList<QStringList> wrong = {
      {},
      {"frobnicate"},
      {"--frobnicate"},
      {"bus"},
      {"bus", "frobnicate"},
      {"bus", "show"},
      {"bus", "show", kResult, "--frobnicate"},
      {"bus", "show", kResult, "extra"},
      {"result", "show", kResult, "--format", "xml"},
      {"result", "show", kResult, "--language", "xx"},
      {"result", "show", kResult, "--language", "5"},
      {"instrument", "identify", "--address"},
      {"instrument", "list", "pictures"},
      {"instrument", "fetch", "A.HTM", "--kind", "results", "--store", "2", "--to", "/tmp"},
  };
  for (const QStringList& args : wrong) {
    const CliRun run = runCli(args);
    EXPECT_EQ(run.code, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << args.join(' ').toStdString();
    EXPECT_TRUE(run.err.contains("usage: karvel-cli")) << run.err.toStdString();
  }
  // Without a command: every command's synopsis, as before.
  EXPECT_TRUE(runCli({}).err.contains("\nusage: karvel-cli bus show FILE"));
}

TEST(CliCommandLine, LanguageByCodeOrNumber) {
  const CliRun byCode = runCli({"result", "show", kResult, "--language", "fr"});
  EXPECT_EQ(byCode.code, 0);
  EXPECT_TRUE(byCode.out.startsWith("title\tFichier : can_hs_pass.HTM\n"));
  EXPECT_EQ(runCli({"result", "show", kResult, "--language", "0"}).out, byCode.out);
  EXPECT_EQ(runCli({"result", "show", "--language", "IT", kResult}).out,
            runCli({"result", "show", kResult, "--language", "4"}).out);
}
