// SPDX-License-Identifier: GPL-3.0-or-later
// The connection type of the settings file at and past both ends of its range.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/frame/Settings.h"

using namespace karvel;

TEST(SettingsRange, ConnectionTypeMustNameAnEntry) {
  QTemporaryDir dir;
  const QString path = dir.filePath("karvel.ini");
  for (int type : {-1, int(RS232), int(Ethernet), Ethernet + 1}) {
    SCOPED_TRACE(type);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("1 1\nC:\\k\\\n1\n%1\nASRL1\nUSB\nTCPIP0::1.2.3.4::23::SOCKET\n"
                              "0\n0\n10\n10\n0\n")
                   .arg(type)
                   .toUtf8());
    file.close();
    AppState state;
    WindowGeometry geometry;
    const bool valid = type >= RS232 && type <= Ethernet;
    EXPECT_EQ(readSettingsFile(path, state, geometry), valid);
    if (valid) {
      EXPECT_EQ(state.connectionType, type);
    }
  }
}
