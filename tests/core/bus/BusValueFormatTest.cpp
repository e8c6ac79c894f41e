// SPDX-License-Identifier: GPL-3.0-or-later
// The unit switch points of the value formats, on both sides of each, and
// the speed and bit-time fields a loaded file shows around them.
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "core/bus/BusFile.h"

using namespace karvel;

namespace {
const QString us = QString::fromUtf8(" \xC2\xB5s");
}

TEST(BusValueFormat, EverySwitchPointOnBothSides) {
  struct Case {
    const char* text;
    const char* unit;
    QString shown;
  };
  const Case cases[] = {
      {"9.99e-7", "s", "999 ns"},      {"1e-6", "s", "1.00" + us},
      {"9.99e-6", "s", "9.99" + us},   {"1e-5", "s", "10.0" + us},
      {"9.99e-5", "s", "99.9" + us},   {"1e-4", "s", "100" + us},
      {"9.99e-4", "s", "999" + us},    {"0.001", "s", "1.00 ms"},
      {"0.00999", "s", "9.99 ms"},     {"0.01", "s", "10.0 ms"},
      {"0.0999", "s", "99.9 ms"},      {"0.1", "s", "100 ms"},
      {"0.999", "s", "999 ms"},        {"1", "s", "1.00 s"},
      {"9.99", "s", "9.99 s"},         {"10", "s", "10.0 s"},
      {"99.9", "s", "99.9 s"},         {"100", "s", "100 s"},
      {"0.999", "Hz", "999.00 mHz"},   {"1", "Hz", "1.00 Hz"},
      {"9999", "Hz", "9999.00 Hz"},    {"10000", "Hz", "10.000 kHz"},
      {"999999", "Hz", "999.999 kHz"}, {"1000000", "Hz", "1.00 MHz"},
      {"9.99", "V", "9.99 V"},         {"10", "V", "10.0 V"},
      {"-9.99", "V", "-9.99 V"},       {"-10", "V", "-10.0 V"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MiseEnForme(c.text, c.unit), c.shown) << c.text << " " << c.unit;
}

TEST(BusValueFormat, SpeedAndBitTimeFieldsOfALoadedFile) {
  struct Case {
    int speed;
    const char* frequency;
    QString bitTime;
  };
  const Case cases[] = {
      {1000001, "1.00 MHz", "1000 ns"},
      {1000000, "1.00 MHz", "1.00" + us},
      {10000, "10.000 kHz", "100" + us},
      {9999, "9999.00 Hz", "100" + us},
  };
  QTemporaryDir dir;
  AppState app;
  BusScreen screen;
  for (const Case& c : cases) {
    const QString path = dir.filePath(QStringLiteral("%1.BUS").arg(c.speed));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        QStringLiteral("<R><V/><BUS><TITLE a=\"t\"/><COMMENT a=\"c\"/><Speed a=\"%1\"/></BUS>"
                       "<SETUP/><MESURE0><D><NameMesure a=\"m\"/><TimeBitTheo a=\"1\"/></D>"
                       "</MESURE0></R>")
            .arg(c.speed)
            .toUtf8());
    file.close();
    ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
    EXPECT_EQ(screen.view.frequencyText, c.frequency) << c.speed;
    EXPECT_EQ(screen.view.bitTimeText, c.bitTime) << c.speed;
  }
}
