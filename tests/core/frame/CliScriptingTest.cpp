// SPDX-License-Identifier: GPL-3.0-or-later
// karvel-cli in shell scripts: "-" as the standard streams through real
// pipes, failures as one JSON object of a stable kind, result show --check,
// global options before the command, and the bash completion.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>

#include "support/CliRun.h"
#include "support/Simulator.h"
#include "support/WorkbookReader.h"

namespace {

const QString kCli = QStringLiteral(KARVEL_APPDIR "/karvel-cli");
const QString kSamples = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/");
const QString kBus = kSamples + "RQ6102/CAN_HS.bus";

struct Piped {
  int code = -1;
  QByteArray out;
  QString err;
};

// Runs karvel-cli with `input` on its standard input, through pipes.
Piped pipeCli(const QStringList& args, const QByteArray& input = {}) {
  karvel::test::ensureCoreApp();
  QProcess p;
  p.start(kCli, args);
  p.write(input);
  p.closeWriteChannel();
  Piped r;
  if (!p.waitForFinished(60000)) return r;
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
  r.out = p.readAllStandardOutput();
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

QByteArray bytesOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A shell line's exit status and output (pipes the test cannot make with
// QProcess: a reader that closes early, one that is slow).
Piped shell(const QString& line) {
  QProcess p;
  p.start(QStringLiteral("bash"), {"-c", line});
  Piped r;
  if (!p.waitForFinished(60000)) return r;
  r.code = p.exitCode();
  r.out = p.readAllStandardOutput();
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

// The one failure object of a run: stderr must be exactly one JSON line.
QJsonObject errorOf(const Piped& run) {
  const QList<QByteArray> lines = run.err.toUtf8().trimmed().split('\n');
  if (lines.size() != 1) return {{"lines", static_cast<int>(lines.size())}};
  return QJsonDocument::fromJson(lines.first()).object()["error"].toObject();
}

const QSet<QString> kKinds = {"usage",
                              "file-not-found",
                              "file-unreadable",
                              "file-invalid",
                              "file-exists",
                              "cannot-write",
                              "link-refused",
                              "link-unreachable",
                              "link-timeout",
                              "link-lost",
                              "permission",
                              "device-busy",
                              "not-on-instrument",
                              "memory-full",
                              "unsupported-instrument"};

// Expects a failure of `kind` reported as JSON, stdout empty, and returns it.
QJsonObject expectFailure(const Piped& run, const QString& kind, int code = 1) {
  const QJsonObject e = errorOf(run);
  EXPECT_EQ(run.code, code) << run.err.toStdString();
  EXPECT_EQ(e["kind"].toString(), kind) << run.err.toStdString();
  EXPECT_TRUE(kKinds.contains(e["kind"].toString()));
  EXPECT_FALSE(e["message"].toString().isEmpty());
  EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
  return e;
}

}  // namespace

TEST(CliStreams, BusSpeedFromStdinToStdoutIsTheFileItWouldWrite) {
  QTemporaryDir dir;
  const QString file = dir.filePath("slow.bus");
  ASSERT_EQ(pipeCli({"bus", "speed", kBus, "250000", file}).code, 0);
  const Piped piped = pipeCli({"bus", "speed", "-", "250000", "-"}, bytesOf(kBus));
  ASSERT_EQ(piped.code, 0) << piped.err.toStdString();
  // Only the file on stdout, byte for byte what the file route writes.
  EXPECT_EQ(piped.out, bytesOf(file));
  EXPECT_TRUE(piped.err.isEmpty()) << piped.err.toStdString();
  // ... and it reads back through stdin as the new speed.
  const QJsonObject shown =
      QJsonDocument::fromJson(pipeCli({"bus", "show", "-", "--format", "json"}, piped.out).out)
          .object();
  EXPECT_EQ(shown["frequency"].toObject()["number"].toDouble(), 250000);
  EXPECT_EQ(shown["file"].toString(), "-");
  // No temporary file beside "-", and a file named "-" is still ./-.
  EXPECT_FALSE(QFile::exists(QStringLiteral("-")));
  QProcess p;
  p.setWorkingDirectory(dir.path());
  p.start(kCli, {"bus", "set", kBus, "1", "1", "2.1", "./-"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath("-")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST(CliStreams, WorkbookOnStdoutIsWholeEvenThroughASlowOrClosedPipe) {
  QTemporaryDir dir;
  // Enough sheets that the workbook outgrows a pipe's buffer.
  QStringList inputs;
  for (int i = 0; i < 60; ++i) {
    const QString copy = dir.filePath(QStringLiteral("R%1.HTM").arg(i));
    QFile::copy(kSamples + (i % 2 ? "CAN_HS_PASS.HTM" : "PROFIBUS_FAIL.HTM"), copy);
    inputs << copy;
  }
  const QString args = inputs.join(u' ');
  const Piped slow = shell(QStringLiteral("'%1' result export %2 - | (sleep 1; cat) > %3/out.xlsx; "
                                          "echo ${PIPESTATUS[0]}")
                               .arg(kCli, args, dir.path()));
  EXPECT_EQ(slow.out.trimmed(), "0") << slow.err.toStdString();
  EXPECT_GT(QFileInfo(dir.filePath("out.xlsx")).size(), 64 * 1024);
  const QJsonObject book = karvel::test::readWorkbook(dir.filePath("out.xlsx"));
  ASSERT_FALSE(book.contains("error")) << book["error"].toString().toStdString();
  EXPECT_EQ(book["sheets"].toArray().size(), 61);
  EXPECT_EQ(book["sheets"].toArray().at(1).toString(), "R0");

  // A reader gone before the first byte: no signal death, no message, 141.
  const Piped closed = shell(QStringLiteral("'%1' result export %2 - | (exec 0<&-; sleep 1); "
                                            "echo ${PIPESTATUS[0]}")
                                 .arg(kCli, args));
  EXPECT_EQ(closed.out.trimmed(), "141");
  EXPECT_TRUE(closed.err.isEmpty()) << closed.err.toStdString();
  // Text output too: head takes a line and goes.
  const Piped head =
      shell(QStringLiteral("'%1' result show %2 | (exec 0<&-; sleep 1); echo ${PIPESTATUS[0]}")
                .arg(kCli, inputs.first()));
  EXPECT_EQ(head.out.trimmed(), "141");
  EXPECT_TRUE(head.err.isEmpty()) << head.err.toStdString();
  // A full disk under a redirection is a failure, not a success.
  const Piped full = shell(
      QStringLiteral("'%1' --format json result show %2 >/dev/full").arg(kCli, inputs.first()));
  EXPECT_EQ(full.code, 1);
  EXPECT_EQ(errorOf(full)["kind"].toString(), "cannot-write");
}

TEST(CliStreams, ResultFromStdinAndHugeStdinIsRefusedWithinTheLimit) {
  const Piped shown =
      pipeCli({"result", "show", "-", "--format", "json"}, bytesOf(kSamples + "PROFIBUS_FAIL.HTM"));
  ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
  const QJsonObject doc = QJsonDocument::fromJson(shown.out).object();
  EXPECT_EQ(doc["verdict_status"].toString(), "fail");
  EXPECT_EQ(doc["file"].toString(), "-");
  // 17 MB of stdin: the reader's bound holds, the failure names the cause.
  const Piped huge = shell(QStringLiteral("head -c 17825792 /dev/zero | tr '\\0' x | "
                                          "'%1' --format json result show -")
                               .arg(kCli));
  EXPECT_EQ(huge.code, 1);
  EXPECT_EQ(errorOf(huge)["file"].toString(), "-");
  EXPECT_TRUE(huge.out.isEmpty());
  // Standard input read twice would be empty the second time.
  expectFailure(pipeCli({"--format", "json", "result", "export", "-", "-", "o.xlsx"}), "usage", 2);
}

TEST(CliFailures, EachCauseHasItsKindAsOneJsonObject) {
  QTemporaryDir dir;
  const QJsonObject missing = expectFailure(
      pipeCli({"bus", "show", dir.filePath("none.bus"), "--format", "json"}), "file-not-found");
  EXPECT_EQ(missing["file"].toString(), dir.filePath("none.bus"));
  expectFailure(pipeCli({"--format=json", "bus", "show", kSamples + "LIN_PASS.HTM"}),
                "file-invalid");
  expectFailure(pipeCli({"--format", "json", "result", "show", kBus}), "file-invalid");
  expectFailure(pipeCli({"result", "shw", "--format", "json"}), "usage", 2);
  expectFailure(pipeCli({"bus", "show", kBus, "--format", "json", "--bogus"}), "usage", 2);
  // The same failure as text: lines for people, no JSON.
  const Piped text = pipeCli({"bus", "show", dir.filePath("none.bus")});
  EXPECT_TRUE(text.err.startsWith("karvel-cli: ")) << text.err.toStdString();

  // An existing file is not written over.
  const QString reg = dir.filePath("r.sqlite");
  ASSERT_EQ(pipeCli({"register", "add", kSamples + "LIN_PASS.HTM", "--site", "S", "--segment", "G",
                     "--register", reg})
                .code,
            0);
  QFile(dir.filePath("taken.sqlite")).open(QIODevice::WriteOnly);
  const QJsonObject exists =
      expectFailure(pipeCli({"--register", reg, "--format", "json", "register", "backup",
                             dir.filePath("taken.sqlite")}),
                    "file-exists");
  EXPECT_EQ(exists["file"].toString(), dir.filePath("taken.sqlite"));
  expectFailure(pipeCli({"register", "list", "--format", "json", "--register", kBus}),
                "file-invalid");
  expectFailure(pipeCli({"register", "check", "--format", "json", "--register",
                         dir.filePath("no/such.sqlite")}),
                "file-not-found");
}

TEST(CliFailures, LinkFailuresNameTheirKindAndAddress) {
  karvel::test::ensureCoreApp();
  // A port nobody listens on any more.
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  const QString closed = QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(server.serverPort());
  server.close();
  const QJsonObject refused = expectFailure(
      pipeCli({"instrument", "identify", "--address", closed, "--format", "json"}), "link-refused");
  EXPECT_EQ(refused["address"].toString(), closed);

  karvel::test::Simulator sim({"--tcp", "0", "--fault", "silent"});
  ASSERT_TRUE(sim.ready());
  const QJsonObject timeout = expectFailure(
      pipeCli({"--format", "json", "instrument", "send", kBus, "--address", sim.tcpResource()}),
      "link-timeout");
  EXPECT_EQ(timeout["address"].toString(), sim.tcpResource());
}

TEST(CliFailures, FetchAndSendReportWhatTheyDid) {
  QTemporaryDir dir;
  karvel::test::Simulator sim({"--tcp", "0", "--family", "2"});
  ASSERT_TRUE(sim.ready());
  const Piped sent =
      pipeCli({"instrument", "send", kBus, "--address", sim.tcpResource(), "--format", "json"});
  ASSERT_EQ(sent.code, 0) << sent.err.toStdString();
  const QJsonObject what = QJsonDocument::fromJson(sent.out).object();
  EXPECT_EQ(what["file"].toString(), kBus);
  EXPECT_FALSE(what["replaced"].toBool());
  const QString name = what["name"].toString();
  ASSERT_FALSE(name.isEmpty());
  const QJsonObject taken = expectFailure(
      pipeCli({"instrument", "send", kBus, "--address", sim.tcpResource(), "--format", "json"}),
      "file-exists");
  EXPECT_EQ(taken["file"].toString(), name);

  const Piped fetched = pipeCli({"instrument", "fetch", name, "--kind", "bus", "--to", dir.path(),
                                 "--address", sim.tcpResource(), "--format", "json"});
  ASSERT_EQ(fetched.code, 0) << fetched.err.toStdString();
  const QJsonObject got = QJsonDocument::fromJson(fetched.out).object();
  EXPECT_EQ(got["size"].toInteger(), QFileInfo(got["file"].toString()).size());
  EXPECT_GT(got["size"].toInteger(), 0);
  // --to -: the file itself is all of stdout.
  const Piped streamed = pipeCli(
      {"instrument", "fetch", name, "--kind", "bus", "--to", "-", "--address", sim.tcpResource()});
  EXPECT_EQ(streamed.out, bytesOf(got["file"].toString()));
  expectFailure(pipeCli({"instrument", "fetch", "NOPE.bus", "--kind", "bus", "--to", dir.path(),
                         "--address", sim.tcpResource(), "--format", "json"}),
                "not-on-instrument");
}

TEST(CliCheck, ExitCodeIsTheVerdict) {
  QTemporaryDir dir;
  // LIN_PASS with one row turned to a warning.
  QByteArray warned = bytesOf(kSamples + "LIN_PASS.HTM");
  warned.replace(warned.indexOf("class=\"green\""), 13, "class=\"yellow\"");
  const QString warning = dir.filePath("WARN.HTM");
  QFile f(warning);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(warned);
  f.close();
  struct Case {
    QString file;
    int check, checkWarning;
  };
  for (const Case& c : {Case{kSamples + "LIN_PASS.HTM", 0, 0}, Case{warning, 0, 3},
                        Case{kSamples + "PROFIBUS_FAIL.HTM", 3, 3}}) {
    const Piped plain = pipeCli({"result", "show", c.file, "--check"});
    EXPECT_EQ(plain.code, c.check) << c.file.toStdString();
    EXPECT_FALSE(plain.out.isEmpty()) << "the result is still printed";
    EXPECT_EQ(pipeCli({"result", "show", "--check=warning", c.file}).code, c.checkWarning)
        << c.file.toStdString();
    EXPECT_EQ(pipeCli({"result", "show", c.file}).code, 0);
  }
  // A result cut short cannot pass a check.
  QFile cut(dir.filePath("CUT.HTM"));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(bytesOf(kSamples + "LIN_PASS.HTM").left(700));
  cut.close();
  if (pipeCli({"result", "show", cut.fileName()}).err.contains("incomplete"))
    expectFailure(pipeCli({"result", "show", cut.fileName(), "--check", "--format", "json"}),
                  "file-invalid");
  expectFailure(pipeCli({"result", "show", warning, "--check=maybe", "--format", "json"}), "usage",
                2);
}

TEST(CliGlobalOptions, BeforeTheCommandTheyMeanTheSame) {
  QTemporaryDir dir;
  const QString result = kSamples + "PROFIBUS_FAIL.HTM";
  const Piped after = pipeCli({"result", "show", result, "--language", "de", "--format", "csv"});
  const Piped before = pipeCli({"--language", "de", "--format=csv", "result", "show", result});
  ASSERT_EQ(before.code, 0) << before.err.toStdString();
  EXPECT_EQ(before.out, after.out);
  EXPECT_NE(before.out, pipeCli({"result", "show", result, "--format", "csv"}).out)
      << "German headings differ from English ones";
  // --register before the register command; refused before any other.
  const QString reg = dir.filePath("r.sqlite");
  ASSERT_EQ(
      pipeCli({"--register", reg, "register", "add", result, "--site", "S", "--segment", "G"}).code,
      0);
  const Piped listed = pipeCli({"--register=" + reg, "register", "list", "--format", "json"});
  EXPECT_EQ(QJsonDocument::fromJson(listed.out).array().size(), 1) << listed.err.toStdString();
  expectFailure(pipeCli({"--format", "json", "--register", reg, "bus", "show", kBus}), "usage", 2);
  // "help" after the global options, and the options' own checks.
  const Piped help = pipeCli({"--language", "de", "help", "bus", "show"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(help.out.startsWith("Usage: karvel-cli bus show")) << help.out.toStdString();
  expectFailure(pipeCli({"--format", "json", "--language", "xx", "bus", "show", kBus}), "usage", 2);
}

TEST(CliCompletion, OptionValuesAfterEqualsAndHelp) {
  // The function as bash-completion calls it, with and without its helpers.
  const auto complete = [](const QStringList& words, bool helpers) {
    QString script =
        helpers ? QStringLiteral(". /usr/share/bash-completion/bash_completion; ") : QString();
    script += QStringLiteral(". '" KARVEL_SOURCE_DIR
                             "/packaging/karvel-cli.bash-completion'; "
                             "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; "
                             "COMP_POINT=${#COMP_LINE}; "
                             "_karvel_cli karvel-cli \"${COMP_WORDS[COMP_CWORD]}\" "
                             "\"${COMP_WORDS[COMP_CWORD - 1]}\"; "
                             "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort | paste -sd' '");
    QProcess bash;
    bash.start(QStringLiteral("bash"),
               QStringList{"--norc", "--noprofile", "-c", script, "bash", "karvel-cli"} + words);
    bash.waitForFinished(10000);
    return QString::fromUtf8(bash.readAllStandardOutput()).trimmed();
  };
  const bool haveHelpers = QFile::exists("/usr/share/bash-completion/bash_completion");
  for (bool helpers : {false, true}) {
    if (helpers && !haveHelpers) continue;
    SCOPED_TRACE(helpers ? "with bash-completion" : "bare bash");
    // One word, as given; and split at "=" as bash splits it by default.
    EXPECT_EQ(complete({"bus", "show", "x.bus", "--format=js"}, helpers), "json");
    EXPECT_EQ(complete({"bus", "show", "x.bus", "--format", "=", "c"}, helpers), "csv");
    EXPECT_EQ(complete({"--language="}, helpers).split(u' ').size(), 10);
    EXPECT_EQ(complete({"--language", "=", ""}, helpers).split(u' ').size(), 10);
    EXPECT_EQ(complete({"result", "show", "x.htm", "--check=w"}, helpers), "warning");
    // The words after "--format=json" still count as arguments.
    EXPECT_EQ(complete({"bus", "set", "--format=json", "x.bus", "2", ""}, helpers), "1 2 3");
    EXPECT_EQ(complete({"help", ""}, helpers), "bus instrument register result");
    EXPECT_EQ(complete({"help", "instrument", ""}, helpers), "fetch identify list ports send");
    EXPECT_EQ(complete({"--language", "de", "--format=json", "bus", ""}, helpers),
              "set show speed voltage");
    EXPECT_EQ(complete({"--format", "json", "instrument", "list", ""}, helpers), "bus results");
  }
}
