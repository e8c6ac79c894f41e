// SPDX-License-Identifier: GPL-3.0-or-later
// The new-speed and new-voltage generators: the worked examples, the ends of
// the instrument's tables, the refusals, and what the written file holds.
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "core/bus/BusFile.h"
#include "core/bus/BusGenerators.h"
#include "core/bus/XmlDocument.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;

TEST(BusGenerator, TimeBaseStepsOfTheWorkedExamples) {
  EXPECT_EQ(timeBaseStep(15, 1.0), 0);
  EXPECT_EQ(timeBaseStep(15, 250000.0 / 500000), 1);    // 100 µs -> 200 µs
  EXPECT_EQ(timeBaseStep(15, 400000.0 / 500000), 0);    // not slow enough to move
  EXPECT_EQ(timeBaseStep(15, 1000000.0 / 125000), -3);  // down to 10 µs
  // The table's ends: no read or step past index 0 or 34.
  EXPECT_EQ(timeBaseStep(34, 0.001), 0);
  EXPECT_EQ(timeBaseStep(33, 1e-9), 1);
  EXPECT_EQ(timeBaseStep(10, 1e-12), 24);
  EXPECT_EQ(timeBaseStep(0, 1000), 0);
  EXPECT_EQ(timeBaseStep(1, 1e9), -1);
  EXPECT_EQ(timeBaseStep(30, 1e12), -30);
  EXPECT_EQ(timeBaseStep(-1, 2), 0);
  EXPECT_EQ(timeBaseStep(35, 0.5), 0);
}

TEST(BusGenerator, SensitivityStepsOfTheWorkedExamples) {
  // SensiCh1 5 shows 4.00 V; the ratio is the new voltage over 4.
  EXPECT_EQ(sensitivityStep(5, 4 / 4.0), 0);
  EXPECT_EQ(sensitivityStep(5, 4.2 / 4), 1);
  EXPECT_EQ(sensitivityStep(5, 20 / 4.0), 2);
  EXPECT_EQ(sensitivityStep(5, 30 / 4.0), 3);
  EXPECT_EQ(sensitivityStep(5, 3.9 / 4), -1);
  EXPECT_EQ(sensitivityStep(5, 1 / 4.0), -2);
  EXPECT_EQ(sensitivityStep(5, 1000 / 4.0), 7);  // index 12, the top
  EXPECT_EQ(sensitivityStep(8, 0.1 / 40), -8);   // index 0, the bottom
  EXPECT_EQ(sensitivityStep(12, 2), 0);
  EXPECT_EQ(sensitivityStep(0, 0.5), 0);
  EXPECT_EQ(sensitivityStep(13, 2), 0);
}

TEST(BusGenerator, SpeedFieldsAndTriggerWidth) {
  const SpeedFields mega = speedFieldsFromMega(2.5);
  EXPECT_EQ(mega.speed, 2500000);
  EXPECT_DOUBLE_EQ(mega.kilo, 2500);
  const SpeedFields kilo = speedFieldsFromKilo(4.35);
  EXPECT_EQ(kilo.speed, 4350);
  EXPECT_DOUBLE_EQ(kilo.mega, 0.00435);
  EXPECT_EQ(speedFieldsFromKilo(0.0019).speed, 1);  // truncated toward zero
  EXPECT_EQ(speedFieldsFromMega(1e9).speed, std::numeric_limits<int>::max());
  const SpeedFields speed = speedFieldsFromSpeed(125000);
  EXPECT_DOUBLE_EQ(speed.kilo, 125);
  EXPECT_DOUBLE_EQ(speed.mega, 0.125);
  EXPECT_EQ(trigPulseWidth(500000), 375);
  EXPECT_EQ(trigPulseWidth(1000000), 188);
  EXPECT_DOUBLE_EQ(voltageFieldValue("4.00 V"), 4);
}

namespace {

class BusGeneratorFile : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  test::ScriptedInteraction ui;
  AppState app;
  BusScreen screen;

  void SetUp() override {
    app.ui = &ui;
    app.programDir = QStringLiteral(KARVEL_APPDIR);
  }
  // A file at `speed` with time base 15 and sensitivity `sensi`, whose count
  // element is spelled `countTag`; MESURE2 has no SETUP.
  QString write(int speed, int sensi, const char* countTag = "NbMesureMax", const char* lock = "") {
    QString text =
        QStringLiteral(
            "<?xml version=\"1.0\"?>\n<R>\n<V/>\n<BUS><TITLE a=\"Old\"/><COMMENT a=\"c\"/>"
            "<%1 a=\"4\"/><Speed a=\"%2\"/>%4</BUS>\n"
            "<SETUP><TimeBase a=\"15\"/><SensiCh1 a=\"%3\"/><TrigPulseWidthD a=\"1\"/></SETUP>\n")
            .arg(countTag)
            .arg(speed)
            .arg(sensi)
            .arg(lock);
    const int bases[4] = {15, 13, 0, 1};
    for (int k = 0; k < 4; ++k) {
      text += QStringLiteral(
                  "<MESURE%1><D><NameMesure a=\"m%1\" unit=\"V\"/><X/><LimiteMax a=\"1\"/>"
                  "<LimiteMin a=\"0\"/><Warning a=\"5\"/><TimeBitTheo a=\"100\"/></D>")
                  .arg(k);
      if (k != 2)
        text += QStringLiteral("<SETUP><TimeBase a=\"%1\"/><SensiCh1 a=\"%2\"/></SETUP>")
                    .arg(bases[k])
                    .arg(k == 3 ? 0 : sensi);
      text += QStringLiteral("</MESURE%1>\n").arg(k);
    }
    text += "</R>\n";
    const QString path = dir.filePath("in.BUS");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();
    EXPECT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
    return path;
  }
  // Attribute "a" of the element reached by tags from the root.
  QString at(std::initializer_list<const char*> tags) {
    pugi::xml_node node = app.xmlDocument->root();
    for (const char* tag : tags) node = XmlDocument::child(node, tag);
    return app.xmlDocument->value(XmlDocument::attribute(node, "a"));
  }
  QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
};

}  // namespace

TEST_F(BusGeneratorFile, FasterBusMovesEveryTimeBaseDownAndShowsTheNewFile) {
  write(125000, 5, "NBMesureMax");
  const QString out = dir.filePath("fast.BUS");
  ASSERT_EQ(CalculNewFreq(app, screen, 1000000, "Fast", out), 0);
  ASSERT_EQ(ui.messages.size(), 1);  // MESURE3 was held at the table's start
  EXPECT_TRUE(ui.messages[0].text.contains("measurement(s) held"))
      << ui.lastMessage().toStdString();
  EXPECT_EQ(screen.view.filePath, out);
  EXPECT_EQ(screen.view.title, "Fast");
  EXPECT_EQ(screen.view.frequencyText, "1.00 MHz");
  EXPECT_EQ(at({"BUS", "Speed"}), "1000000");
  EXPECT_EQ(at({"SETUP", "TimeBase"}), "12");
  EXPECT_EQ(at({"SETUP", "TrigPulseWidthD"}), "188");
  EXPECT_EQ(at({"MESURE0", "SETUP", "TimeBase"}), "12");
  EXPECT_EQ(at({"MESURE1", "SETUP", "TimeBase"}), "10");
  EXPECT_EQ(at({"MESURE3", "SETUP", "TimeBase"}), "0");  // 1 - 3 stops at the table's start
}

TEST_F(BusGeneratorFile, SameSpeedRewritesOnlyTitleSpeedAndTrigger) {
  const QString in = write(500000, 5);
  const QString out = dir.filePath("same.BUS");
  ASSERT_EQ(CalculNewFreq(app, screen, 500000, "Same", out), 0);
  QByteArray expected = read(in);
  expected.replace("<TITLE a=\"Old\"/>", "<TITLE a=\"Same\"/>");
  expected.replace("<TrigPulseWidthD a=\"1\"/>", "<TrigPulseWidthD a=\"375\"/>");
  EXPECT_EQ(read(out), expected);
}

TEST_F(BusGeneratorFile, RefusalsLeaveTheDocumentShownAlone) {
  write(500000, 5);
  const QByteArray before = app.xmlDocument->bytes();
  const QString out = dir.filePath("never.BUS");
  EXPECT_LT(CalculNewFreq(app, screen, 0, "x", out), 0);
  EXPECT_EQ(ui.lastMessage(), "The new speed must be a whole number greater than 0.");
  EXPECT_LT(CalculNewAmpl(app, screen, 0, "x", out), 0);
  EXPECT_EQ(ui.lastMessage(), "The new maximum voltage must be greater than 0.");
  app.language = French;
  EXPECT_LT(CalculNewFreq(app, screen, -5, "x", out), 0);
  EXPECT_TRUE(ui.lastMessage().startsWith("La nouvelle vitesse"));
  app.language = English;
  EXPECT_LT(CalculNewFreq(app, screen, 1000, "x", dir.filePath("no/such/dir/x.BUS")), 0);
  EXPECT_TRUE(ui.lastMessage().startsWith("The file could not be written"));
  EXPECT_FALSE(QFile::exists(out));
  EXPECT_EQ(app.xmlDocument->bytes(), before);

  write(0, 5);
  EXPECT_LT(CalculNewFreq(app, screen, 1000, "x", out), 0);
  EXPECT_TRUE(ui.lastMessage().startsWith("The bus speed of the file shown is 0"));
  write(500000, 13);
  EXPECT_LT(CalculNewAmpl(app, screen, 10, "x", out), 0);
  EXPECT_TRUE(ui.lastMessage().startsWith("The maximum voltage of the file shown"));
  write(500000, 5, "NbMesureMax", "<LockedSpeed a=\"1\"/>");
  EXPECT_LT(CalculNewFreq(app, screen, 1000, "x", out), 0);
  EXPECT_TRUE(ui.lastMessage().startsWith("The speed of this bus is locked"));
  EXPECT_FALSE(QFile::exists(out));
}

TEST_F(BusGeneratorFile, VoltageStepsMoveEveryMeasurementWithinTheTable) {
  write(500000, 5);
  EXPECT_EQ(screen.view.maxVoltageText, "4.00 V");
  const QString up = dir.filePath("up.BUS");
  ASSERT_EQ(CalculNewAmpl(app, screen, 30, "Up", up), 0);
  EXPECT_EQ(at({"SETUP", "SensiCh1"}), "8");
  EXPECT_EQ(at({"MESURE0", "SETUP", "SensiCh1"}), "8");
  EXPECT_EQ(at({"MESURE3", "SETUP", "SensiCh1"}), "3");
  EXPECT_EQ(at({"BUS", "TITLE"}), "Up");
  EXPECT_EQ(screen.view.maxVoltageText, "40.0 V");
  // From 40 V down to 0.1 V: index 0, and MESURE3 (at 3) stops at 0 too.
  ASSERT_EQ(CalculNewAmpl(app, screen, 0.1, "Down", dir.filePath("down.BUS")), 0);
  EXPECT_EQ(at({"SETUP", "SensiCh1"}), "0");
  EXPECT_EQ(at({"MESURE3", "SETUP", "SensiCh1"}), "0");
  EXPECT_EQ(screen.view.maxVoltageText, "0.08 V");
  // Same voltage: only the title changes.
  const QByteArray before = app.xmlDocument->bytes();
  ASSERT_EQ(CalculNewAmpl(app, screen, 0.08, "Down", dir.filePath("same.BUS")), 0);
  EXPECT_EQ(app.xmlDocument->bytes(), before);
}

TEST_F(BusGeneratorFile, ATimeBaseOutsideTheTableIsRefused) {
  write(500000, 5);
  auto setup = XmlDocument::child(app.xmlDocument->root(), "SETUP");
  app.xmlDocument->setValue(XmlDocument::attribute(XmlDocument::child(setup, "TimeBase"), "a"),
                            "40");
  EXPECT_LT(CalculNewFreq(app, screen, 1000, "x", dir.filePath("x.BUS")), 0);
  EXPECT_TRUE(ui.lastMessage().contains("(40)"));
}
