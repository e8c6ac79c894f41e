// SPDX-License-Identifier: GPL-3.0-or-later
// The generators at the ends of the instrument's tables, at the thresholds
// where a step starts or grows, and the speed fields that need rounding.
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "core/bus/BusFile.h"
#include "core/bus/BusGenerators.h"
#include "core/bus/XmlDocument.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;

namespace {

class BusGeneratorEdge : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  AppState app;
  BusScreen screen;

  void SetUp() override {
    app.ui = &ui;
    app.programDir = QStringLiteral(KARVEL_APPDIR);
  }
  // Loads a file at `speed` whose global set-up and measurements have the
  // time bases and sensitivities of `settings`, in that order ({time base, sensitivity}).
  void load(int speed, std::initializer_list<std::pair<int, int>> settings) {
    QString text = QStringLiteral(
                       "<R><V/><BUS><TITLE a=\"t\"/><COMMENT a=\"c\"/><NbMesureMax a=\"%1\"/>"
                       "<Speed a=\"%2\"/></BUS>")
                       .arg(settings.size() - 1)
                       .arg(speed);
    int k = -1;
    for (const auto& [timeBase, sensi] : settings) {
      const QString setup =
          QStringLiteral("<SETUP><TimeBase a=\"%1\"/><SensiCh1 a=\"%2\"/></SETUP>")
              .arg(timeBase)
              .arg(sensi);
      text += k < 0 ? setup
                    : QStringLiteral(
                          "<MESURE%1><D><NameMesure a=\"m\"/><TimeBitTheo a=\"1\"/></D>%2"
                          "</MESURE%1>")
                          .arg(k)
                          .arg(setup);
      ++k;
    }
    const QString path = dir.filePath("in.BUS");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write((text + "</R>").toUtf8());
    file.close();
    ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  }
  // The values of every element `name` of the document shown, in file order.
  QString values(const char* name) {
    QStringList out;
    for (const auto& e : XmlDocument::descendants(app.xmlDocument->root(), name))
      out << app.xmlDocument->value(XmlDocument::attribute(e, "a"));
    return out.join(u',');
  }
};

}  // namespace

TEST_F(BusGeneratorEdge, TimeBaseAtTheTopIsAcceptedAndNeverPassed) {
  load(1000, {{34, 5}, {34, 5}});
  ASSERT_EQ(CalculNewFreq(app, screen, 500, "slower", dir.filePath("a.BUS")), 0);
  EXPECT_EQ(values("TimeBase"), "34,34");
  // One step up from 15 moves the measurements already at the top no further.
  load(500000, {{15, 5}, {34, 5}, {33, 5}});
  ASSERT_EQ(CalculNewFreq(app, screen, 250000, "slower", dir.filePath("b.BUS")), 0);
  EXPECT_EQ(values("TimeBase"), "16,34,34");
  // The one measurement that could not move is told, after the file was written.
  ASSERT_EQ(ui.messages.size(), 1) << ui.lastMessage().toStdString();
  EXPECT_TRUE(ui.messages[0].text.startsWith("File written. 1 measurement(s) held"));
}

TEST_F(BusGeneratorEdge, SensitivityTwelveIsAcceptedAndNeverPassed) {
  load(500000, {{15, 12}, {15, 12}});
  EXPECT_EQ(screen.view.maxVoltageText, "800.0 V");
  ASSERT_EQ(CalculNewAmpl(app, screen, 1000, "higher", dir.filePath("a.BUS")), 0);
  EXPECT_EQ(values("SensiCh1"), "12,12");
  // Three steps up from 5 (4 V to 30 V) stop the measurements at 12.
  load(500000, {{15, 5}, {15, 12}, {15, 10}, {15, 9}});
  ASSERT_EQ(CalculNewAmpl(app, screen, 30, "higher", dir.filePath("b.BUS")), 0);
  EXPECT_EQ(values("SensiCh1"), "8,12,12,12");
  ASSERT_EQ(ui.messages.size(), 1) << ui.lastMessage().toStdString();
  EXPECT_TRUE(ui.messages[0].text.startsWith("File written. 2 measurement(s) held"));
}

TEST(BusGeneratorThresholds, StepsStartAndGrowExactlyAtTheirRatios) {
  struct Case {
    int index, from, to, step;
  };
  // Time base 14 (50 µs) has neighbours 2.5 and 2 times away.
  const Case speeds[] = {
      {14, 19200, 38400, -1},  // 1.3 x 2 = 2.6 passes 50 / 20
      {14, 19200, 36000, 0},   // 1.3 x 1.875 = 2.44 does not
      {14, 13000, 25000, 0},   // exactly 2.5: not above
      {14, 13000, 25001, -1},
      {14, 19200, 52800, -1},  // 20 µs / 1.1 is exactly the new ideal time base
      {14, 19200, 52801, -2},
      {14, 19200, 12800, 0},  // 0.75 x 2/3 is exactly 50 / 100
      {14, 19200, 12799, 1},
      {14, 19200, 8728, 1},  // the ideal time base just under 1.1 x 100 µs
      {14, 19200, 8727, 2},
      {24, 550000, 10000, 5},  // 5.5 s is exactly 1.1 x 5 s, though not in binary
  };
  for (const Case& c : speeds)
    EXPECT_EQ(timeBaseStep(c.index, static_cast<double>(c.to) / c.from), c.step)
        << c.index << ": " << c.from << " -> " << c.to;
  // Sensitivity 5 (4.00 V): the next entries are 2 and 5 times, the previous ones 1/2 and 1/5.
  EXPECT_EQ(sensitivityStep(5, 8 / 4.0), 1);
  EXPECT_EQ(sensitivityStep(5, 8.01 / 4), 2);
  EXPECT_EQ(sensitivityStep(5, 2 / 4.0), -1);
  EXPECT_EQ(sensitivityStep(5, 1.99 / 4), -2);
}

TEST_F(BusGeneratorEdge, LinDoubledMovesEveryTimeBaseOneStepDown) {
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(
                app, screen, QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/LIN.BUS")),
            0);
  ASSERT_EQ(CalculNewFreq(app, screen, 38400, "LIN 38400", dir.filePath("fast.BUS")), 0);
  EXPECT_EQ(values("TimeBase"), "13,13,13,13,11,13");
  EXPECT_EQ(screen.view.frequencyText, "38.400 kHz");
}

TEST(BusGeneratorSpeedFields, TypedKiloAndMegaValuesAreRoundedBeforeTheCut) {
  // 1.005 x 1000 is 1004.9999... in binary; the same for 0.0157 x 1 000 000.
  EXPECT_EQ(speedFieldsFromKilo(1.005).speed, 1005);
  EXPECT_EQ(speedFieldsFromKilo(19.2).speed, 19200);
  EXPECT_EQ(speedFieldsFromMega(0.0157).speed, 15700);
  EXPECT_EQ(speedFieldsFromMega(0.0314).speed, 31400);
  // Rounding is to a millionth only: a real fraction is still cut.
  EXPECT_EQ(speedFieldsFromKilo(1.0049).speed, 1004);
  EXPECT_EQ(speedFieldsFromMega(0.0000019).speed, 1);
}
