// SPDX-License-Identifier: GPL-3.0-or-later
// Socket resource names at the ends of the port range.
#include <gtest/gtest.h>

#include "io/ResourceName.h"

using namespace karvel::io;

TEST(ResourceNamePorts, OnlyOneTo65535NameASocket) {
  for (const char* bad : {"TCPIP0::10.0.0.5::0::SOCKET", "TCPIP0::10.0.0.5::00::SOCKET",
                          "TCPIP0::10.0.0.5::65536::SOCKET"})
    EXPECT_FALSE(parseResourceName(bad)) << bad;
  for (const auto& [name, port] : {std::pair{"TCPIP0::10.0.0.5::1::SOCKET", 1},
                                   std::pair{"TCPIP::10.0.0.5::65535::SOCKET", 65535}}) {
    const auto r = parseResourceName(name);
    ASSERT_TRUE(r) << name;
    EXPECT_EQ(r->port, port);
  }
}
