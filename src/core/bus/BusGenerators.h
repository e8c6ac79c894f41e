// SPDX-License-Identifier: GPL-3.0-or-later
// The two generators: a new bus definition file for another bus speed (time
// bases moved along the instrument's table) or for another maximum voltage
// (sensitivities moved along theirs), saved under a new name and shown.
#pragma once

#include <QString>

#include "core/bus/BusFile.h"
#include "core/frame/AppState.h"

namespace karvel {

// The number of time-base settings to move for a speed ratio r = new / old,
// from setting `index` (0..34). Never leaves the table: a walk stops at its
// ends, and no step is taken from an end in the direction of that end.
int timeBaseStep(int index, double ratio);
// The number of sensitivity settings to move for a voltage ratio, from
// "SensiCh1" `index` (0..12); the result stays within 0..12.
int sensitivityStep(int index, double ratio);

// The new-speed dialog's three coupled fields.
struct SpeedFields {
  int speed = 0;    // bit/s or Hz
  double kilo = 0;  // the same in thousands
  double mega = 0;  // the same in millions
};
SpeedFields speedFieldsFromSpeed(int speed);
SpeedFields speedFieldsFromKilo(double kilo);
SpeedFields speedFieldsFromMega(double mega);

// The trigger pulse width for a speed: 1 500 000 000 / speed / 8, rounded.
long long trigPulseWidth(int speed);

// The number at the start of the maximum-voltage field ("4.00 V" gives 4).
double voltageFieldValue(const QString& text);

// Why a generator cannot run with these inputs on the document shown (no
// document, a locked speed, a new value or a loaded value of 0 ...); empty
// when it can. The dialogs ask before they ask for a file name.
QString newSpeedRefusal(const AppState& app, const BusScreen& screen, int newSpeed);
QString newVoltageRefusal(const AppState& app, const BusScreen& screen, double newVoltage);

// Generates from app.xmlDocument (with its edits) a file for `newSpeed` named
// `title`, writes it to `path` and loads it into the panel. A refusal or a
// failed write is shown through app.ui and gives a negative result; the
// document shown is then left as it was.
int CalculNewFreq(AppState& app, BusScreen& screen, int newSpeed, const QString& title,
                  const QString& path);
// The same for a new maximum bus voltage in volts.
int CalculNewAmpl(AppState& app, BusScreen& screen, double newVoltage, const QString& title,
                  const QString& path);

}  // namespace karvel
