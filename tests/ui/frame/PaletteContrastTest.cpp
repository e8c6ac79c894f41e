// SPDX-License-Identifier: GPL-3.0-or-later
// Text on the backgrounds the tables paint themselves (the bus table's bands,
// the results table's band and status colours, the verdict) reads at a
// contrast of at least 4.5:1 under a light and under a dark desktop palette;
// where a table paints no background, the text colour is the palette's.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QBrush>
#include <QFile>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cmath>

#include "core/frame/Langue.h"
#include "support/ScriptedInteraction.h"
#include "ui/bus/BusFeature.h"
#include "ui/frame/MainWindow.h"
#include "ui/results/ResultWindow.h"
#include "ui_MainWindow.h"

using namespace karvel;
using namespace karvel::ui;

namespace {

// WCAG 2 relative luminance and contrast ratio.
double luminance(const QColor& c) {
  auto linear = [](double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette lightPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xEF));
  p.setColor(QPalette::WindowText, Qt::black);
  p.setColor(QPalette::Base, Qt::white);
  p.setColor(QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
  p.setColor(QPalette::Text, Qt::black);
  p.setColor(QPalette::Button, QColor(0xEF, 0xEF, 0xEF));
  p.setColor(QPalette::ButtonText, Qt::black);
  return p;
}

// As dark desktop themes set it: light text meant for dark backgrounds.
QPalette darkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(53, 53, 53));
  p.setColor(QPalette::WindowText, QColor(230, 230, 230));
  p.setColor(QPalette::Base, QColor(35, 35, 35));
  p.setColor(QPalette::AlternateBase, QColor(60, 60, 60));
  p.setColor(QPalette::Text, QColor(230, 230, 230));
  p.setColor(QPalette::Button, QColor(53, 53, 53));
  p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  return p;
}

QColor colourOf(const QVariant& v) {
  return v.typeId() == QMetaType::QBrush ? v.value<QBrush>().color() : v.value<QColor>();
}

// Every cell of `model` under `palette`; counts the cells with a background
// of the table's own.
int expectReadableCells(const QAbstractItemModel& model, const QPalette& palette,
                        const char* table) {
  int painted = 0;
  for (int r = 0; r < model.rowCount(); ++r) {
    for (int c = 0; c < model.columnCount(); ++c) {
      const QModelIndex index = model.index(r, c);
      const QVariant background = model.data(index, Qt::BackgroundRole);
      const QVariant foreground = model.data(index, Qt::ForegroundRole);
      if (background.isValid()) {
        ++painted;
        if (!foreground.isValid()) {
          ADD_FAILURE() << table << " row " << r << " column " << c << ": no text colour";
          continue;
        }
        EXPECT_GE(contrast(colourOf(background), colourOf(foreground)), 4.5)
            << table << " row " << r << " column " << c << ": "
            << colourOf(foreground).name().toStdString() << " on "
            << colourOf(background).name().toStdString();
      } else {
        // The palette's own text on the palette's own background.
        EXPECT_FALSE(foreground.isValid()) << table << " row " << r << " column " << c;
        EXPECT_GE(contrast(palette.color(QPalette::Base), palette.color(QPalette::Text)), 4.5);
      }
    }
  }
  return painted;
}

class PaletteContrast : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    before = QApplication::palette();
    palette = GetParam() ? darkPalette() : lightPalette();
    QApplication::setPalette(palette);
    state.ui = &ui;
    state.clock = &clock;
    state.programDir = KARVEL_APPDIR;
    state.settingsPath = dir.filePath("karvel.ini");
  }
  void TearDown() override { QApplication::setPalette(before); }

  QTemporaryDir dir;
  QPalette before;
  QPalette palette;
  test::ScriptedInteraction ui;
  test::RecordingClock clock;
  AppState state;
};

}  // namespace

TEST_P(PaletteContrast, BusTableBands) {
  MainWindow window(state);
  attachBusFeature(window);
  window.GestionMenu(item::FirstLanguage + English);
  const QString path = dir.filePath("CAN_HS.BUS");
  ASSERT_TRUE(QFile::copy(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_HS.BUS", path));
  ui.files.enqueue({FileChoice::Kind::Existing, path});
  window.GestionMenu(item::Open);
  const QAbstractItemModel& model = *window.form().busTable->model();
  ASSERT_GE(model.rowCount(), 3);
  // Every row is banded, white or grey.
  EXPECT_EQ(expectReadableCells(model, palette, "bus table"), model.rowCount() * 3);
}

TEST_P(PaletteContrast, ResultsTableAndVerdict) {
  // A result with green, yellow and red measurements on both kinds of rows.
  ResultWindow* w =
      ReadHTMLFile(state, QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/PROFIBUS_FAIL.HTM"));
  ASSERT_NE(w, nullptr);
  QPointer<ResultWindow> window(w);
  const QAbstractItemModel& model = *w->findChild<QTableView*>("resultsTable")->model();
  ASSERT_GE(model.rowCount(), 4);
  const int painted = expectReadableCells(model, palette, "results table");
  EXPECT_GT(painted, 0);
  EXPECT_LT(painted, model.rowCount() * model.columnCount());  // even rows keep the palette's

  const QPalette verdict = w->findChild<QLabel*>("verdict")->palette();
  EXPECT_GE(contrast(verdict.color(QPalette::Window), verdict.color(QPalette::WindowText)), 4.5);
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, PaletteContrast, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Dark") : std::string("Light");
                         });
