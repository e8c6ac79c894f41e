// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports in the order people count them: the communication dialog's
// list and the USB search both go through this order.
#include <gtest/gtest.h>

#include "io/PortOrder.h"
#include "io/Visa.h"

using namespace karvel::io;

TEST(PortOrder, NumbersInNamesCountAsNumbers) {
  QList<SerialPortEntry> ports = {{"/dev/ttyUSB10", ""},      {"/dev/ttyS1", ""},
                                  {"/dev/ttyUSB2", "CP2102"}, {"/dev/ttyACM0", ""},
                                  {"/dev/ttyUSB1", ""},       {"/dev/ttyS10", ""}};
  sortSerialPorts(ports);
  QStringList devices;
  for (const SerialPortEntry& p : ports) devices << p.device;
  EXPECT_EQ(devices, QStringList({"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyS10", "/dev/ttyUSB1",
                                  "/dev/ttyUSB2", "/dev/ttyUSB10"}));
  EXPECT_EQ(ports[4].description, "CP2102");  // each description stays with its port

  EXPECT_TRUE(portNameLess("COM9", "COM10"));
  EXPECT_FALSE(portNameLess("COM10", "COM9"));
  // A number inside a path counts too, and a name before its longer form.
  EXPECT_TRUE(portNameLess("/dev/serial2/port", "/dev/serial10/port"));
  EXPECT_TRUE(portNameLess("ttyUSB", "ttyUSB0"));
  EXPECT_FALSE(portNameLess("ttyUSB0", "ttyUSB"));
}

TEST(PortOrder, TotalOrderEvenForOddNames) {
  // Equal values written differently still have an order, one way only.
  EXPECT_NE(portNameLess("ttyS01", "ttyS1"), portNameLess("ttyS1", "ttyS01"));
  EXPECT_FALSE(portNameLess("ttyS1", "ttyS1"));
  // A number longer than any integer type compares by its digits.
  const QString huge = "tty" + QString(40, u'9');
  EXPECT_TRUE(portNameLess("tty1", huge));
  EXPECT_TRUE(portNameLess(huge, "tty1" + QString(40, u'0')));
}
