// SPDX-License-Identifier: GPL-3.0-or-later
// The register's two settings lines: read after the twelve, written only when
// set, merged like the others, and harmless to the twelve lines' reading.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/frame/Settings.h"

using namespace karvel;

namespace {

const QByteArray kTwelve =
    "1 1\nC:\\My Files\\bus\\\n2\n0\nASRL3\nUSB0::1::INSTR\nTCPIP0::10.0.0.5::23::SOCKET\n"
    "40\n50\n600\n700\n0\n";

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(SettingsRegister, TechnicianAndRegisterLinesAreReadWrittenAndMerged) {
  QTemporaryDir dir;
  const QString path = dir.filePath("karvel.ini");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kTwelve);
  }
  AppState a;
  WindowGeometry place;
  ASSERT_TRUE(readSettingsFile(path, a, place));
  EXPECT_TRUE(a.technician.isEmpty());
  EXPECT_TRUE(a.registerPath.isEmpty());
  ASSERT_TRUE(SauvegardeIni(path, a, place));
  EXPECT_EQ(readBytes(path), kTwelve) << "nothing added while nothing is set";

  // A name with blanks and a path with blanks, one line each.
  a.technician = "Jean  Martin";
  a.registerPath = "/srv/karvel data/register.sqlite";
  ASSERT_TRUE(SauvegardeIni(path, a, place));
  EXPECT_EQ(readBytes(path), kTwelve +
                                 "technician=Jean  Martin\n"
                                 "register=/srv/karvel data/register.sqlite\n");
  AppState b;
  WindowGeometry placeB;
  ASSERT_TRUE(readSettingsFile(path, b, placeB)) << "the twelve values still read";
  EXPECT_EQ(b.technician, "Jean  Martin");
  EXPECT_EQ(b.registerPath, "/srv/karvel data/register.sqlite");
  EXPECT_EQ(b.ethernetAddress, "TCPIP0::10.0.0.5::23::SOCKET");
  EXPECT_EQ(placeB.width, 700);

  // Another program changes the technician; this one its serial port: both stay.
  b.technician = "Lena Vogt";
  ASSERT_TRUE(SauvegardeIni(path, b, placeB));
  a.serialAddress = "ASRL9";
  ASSERT_TRUE(SauvegardeIni(path, a, place));
  AppState c;
  ASSERT_TRUE(readSettingsFile(path, c, place));
  EXPECT_EQ(c.technician, "Lena Vogt");
  EXPECT_EQ(c.serialAddress, "ASRL9");

  // A line break typed into the name cannot make a line of its own.
  c.technician = "Lena\nregister=/tmp/evil.sqlite";
  ASSERT_TRUE(SauvegardeIni(path, c, place));
  AppState d;
  ASSERT_TRUE(readSettingsFile(path, d, place));
  EXPECT_EQ(d.registerPath, "/srv/karvel data/register.sqlite");
}

TEST(SettingsRegister, TheReportsCompanyAndLogoLinesAreKeptAndMerged) {
  QTemporaryDir dir;
  const QString path = dir.filePath("karvel.ini");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kTwelve + "technician=Ana\n");
  }
  AppState a;
  WindowGeometry place;
  ASSERT_TRUE(readSettingsFile(path, a, place));
  // A line break typed into the name cannot split the line.
  a.companyName = "Karvel\nServices";
  a.companyLogo = "/home/ana/logo files/logo.png";
  ASSERT_TRUE(SauvegardeIni(path, a, place));
  EXPECT_EQ(readBytes(path), kTwelve +
                                 "technician=Ana\n"
                                 "company=Karvel Services\n"
                                 "logo=/home/ana/logo files/logo.png\n");
  // Another copy changes the logo; this one the technician: both stay.
  AppState b;
  WindowGeometry placeB;
  ASSERT_TRUE(readSettingsFile(path, b, placeB));
  EXPECT_EQ(b.companyName, "Karvel Services");
  b.companyLogo = "/srv/logo.png";
  ASSERT_TRUE(SauvegardeIni(path, b, placeB));
  a.technician = "Ana Ruiz";
  ASSERT_TRUE(SauvegardeIni(path, a, place));
  AppState c;
  ASSERT_TRUE(readSettingsFile(path, c, placeB));
  EXPECT_EQ(c.companyLogo, "/srv/logo.png");
  EXPECT_EQ(c.technician, "Ana Ruiz");
  EXPECT_EQ(c.companyName, "Karvel Services");
}
