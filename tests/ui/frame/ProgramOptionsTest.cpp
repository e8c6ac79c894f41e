// SPDX-License-Identifier: GPL-3.0-or-later
// The built karvel answers --help and --version without a display (no
// DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM: Qt would abort), as its
// manual page says, and leaves every other command line to the windows.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include "core/frame/AppState.h"

namespace {

struct ProgramRun {
  int code = -1;
  bool crashed = false;
  QString out;
  QString err;
};

ProgramRun runKarvel(const QStringList& args, const QString& stdoutFile = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  QProcess p;
  p.setProcessEnvironment(env);
  if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
  p.start(QStringLiteral(KARVEL_APPDIR "/karvel"), args);
  ProgramRun run;
  if (!p.waitForFinished(20000)) {
    p.kill();
    p.waitForFinished(5000);
    run.err = QStringLiteral("(did not end within 20 s)");
    return run;
  }
  run.crashed = p.exitStatus() == QProcess::CrashExit;
  run.code = p.exitCode();
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  run.err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

// The long options a text names: "--help", "--version", ... (the manual
// page writes them "\-\-help").
QSet<QString> longOptions(QString text) {
  text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
  QSet<QString> names;
  QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*"));
  for (const QRegularExpressionMatch& m : option.globalMatch(text)) names.insert(m.captured());
  return names;
}

TEST(ProgramOptions, HelpAndVersionAnswerWithoutADisplay) {
  const ProgramRun help = runKarvel({QStringLiteral("--help")});
  EXPECT_FALSE(help.crashed) << help.err.toStdString();
  EXPECT_EQ(help.code, 0) << help.err.toStdString();
  EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: karvel [FILE]\n")))
      << help.out.toStdString();
  EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

  // -h is the same, and wins wherever it stands, also over --version.
  for (const QStringList& args : {QStringList{"-h"}, QStringList{"LIN.BUS", "--version", "-h"}}) {
    const ProgramRun other = runKarvel(args);
    EXPECT_EQ(other.code, 0) << args.join(' ').toStdString();
    EXPECT_EQ(other.out, help.out) << args.join(' ').toStdString();
  }

  // The version is the one the About dialog shows.
  const ProgramRun version = runKarvel({QStringLiteral("--version")});
  EXPECT_EQ(version.code, 0) << version.err.toStdString();
  const QString about = QString::fromUtf8(karvel::kVersionText);
  ASSERT_TRUE(about.startsWith(QStringLiteral("KARVEL version ")));
  EXPECT_EQ(version.out, QStringLiteral("karvel %1\n").arg(about.mid(15)));
}

TEST(ProgramOptions, TheHelpAndTheManualPageNameTheSameOptions) {
  QFile page(QStringLiteral(KARVEL_SOURCE_DIR "/packaging/man/karvel.1.in"));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QSet<QString> inPage = longOptions(QString::fromUtf8(page.readAll()));
  const ProgramRun help = runKarvel({QStringLiteral("--help")});
  const QSet<QString> inHelp = longOptions(help.out);
  EXPECT_EQ(inHelp, inPage);
  EXPECT_TRUE(inHelp.contains(QStringLiteral("--version")));
}

TEST(ProgramOptions, AnOutputThatCannotBeWrittenIsAFailure) {
  if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full";
  const ProgramRun run = runKarvel({QStringLiteral("--version")}, QStringLiteral("/dev/full"));
  EXPECT_EQ(run.code, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("cannot write to the standard output")))
      << run.err.toStdString();
}

TEST(ProgramOptions, OtherArgumentsStillGoToTheWindows) {
  // Only the exact names count: these start Qt, which finds no display and
  // ends without a help.
  for (const QString& arg : {QStringLiteral("--helpx"), QStringLiteral("./--version")}) {
    const ProgramRun run = runKarvel({arg});
    EXPECT_TRUE(run.crashed || run.code != 0) << arg.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("Usage: karvel"))) << arg.toStdString();
    EXPECT_FALSE(run.out.startsWith(QStringLiteral("karvel "))) << arg.toStdString();
  }
}

}  // namespace
