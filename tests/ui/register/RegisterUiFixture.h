// SPDX-License-Identifier: GPL-3.0-or-later
// A register in a scratch folder for the windows' tests: results of two
// sites filed through the core, and the state the windows use.
#pragma once

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QTemporaryDir>

#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "core/register/RegisterFixtures.h"
#include "support/ScriptedInteraction.h"
#include "ui/register/RegisterWindow.h"
#include "ui/results/CompareWindow.h"
#include "ui/results/ResultWindow.h"

namespace karvel::test {

class RegisterUi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    state.ui = &ui;
    state.language = English;
    state.programDir = QStringLiteral(KARVEL_APPDIR);
    state.temporaryDir = dir.path();
    state.registerPath = dir.filePath("register.sqlite");
  }
  void TearDown() override {
    // Deleting one window may take others along: only those still there.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<ui::RegisterWindow*>(w) || qobject_cast<ui::ResultWindow*>(w) ||
          qobject_cast<ui::CompareWindow*>(w))
        windows << w;
    }
    for (const QPointer<QWidget>& w : windows) {
      if (!w) continue;
      w->close();
      delete w.data();
    }
  }

  // Files one result through the core; `day` of November 2026 as its date.
  qint64 file(const QString& site, const QString& segment, int day, const char* verdict = "green",
              const char* bus = "LIN - 19200 bit/s", const QString& note = {}) {
    Register reg;
    QString error;
    EXPECT_TRUE(reg.open(state.registerPath, English, &error)) << error.toStdString();
    RegisterAddRequest r;
    r.site = site;
    r.segment = segment;
    r.bytes = resultBytes(QStringLiteral("52.%1").arg(day), dateLine(day), bus, verdict);
    r.fileName = QStringLiteral("R%1.HTM").arg(day);
    r.technician = QStringLiteral("Ana Ruiz");
    r.note = note;
    r.sourcePath = QStringLiteral("/data/visits/") + r.fileName;
    const auto outcome = reg.add(r, &error);
    EXPECT_TRUE(outcome) << error.toStdString();
    return outcome ? outcome->id : 0;
  }

  // North/A: days 1, 3, 5 (3 red); North/B: day 2 (CAN); South/A: day 4.
  void fileSample() {
    file("North", "A", 5, "green", "LIN - 19200 bit/s", "after repair");
    file("North", "A", 1);
    file("North", "A", 3, "red");
    file("North", "B", 2, "green", "CAN - 500 kbit/s");
    file("South", "A", 4);
  }

  static QStringList column(ui::RegisterWindow& w, int column) {
    QStringList out;
    for (int r = 0; r < w.model()->rowCount(); ++r)
      out << w.model()->index(r, column).data().toString();
    return out;
  }

  template <typename T>
  static QList<T*> windowsOf() {
    QList<T*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) out << t;
    return out;
  }

  QTemporaryDir dir;
  ScriptedInteraction ui;
  AppState state;
};

}  // namespace karvel::test
