// SPDX-License-Identifier: GPL-3.0-or-later
// A watcher of instrument operations for tests: it records what an operation
// says it does and asks for a cancel once it has said a chosen text, so that
// a test stops an operation at a chosen point without depending on time.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/frame/OperationProgress.h"

namespace karvel::test {

class ScriptedOperation : public OperationProgress {
 public:
  // Cancel once an activity containing this text was said; empty: never.
  QString cancelAt;
  // Run at each activity said, after it is recorded (a test looks at the
  // windows there, or clicks Exit).
  std::function<void(const QString& activity)> onSay;

  QStringList activities;
  int begins = 0;
  int ends = 0;
  int keepAlives = 0;
  bool cancelled = false;

  void begin(const QString& activity) override {
    ++begins;
    cancelled = false;
    say(activity);
  }
  void say(const QString& activity) override {
    activities.append(activity);
    if (!cancelAt.isEmpty() && activity.contains(cancelAt)) cancelled = true;
    if (onSay) onSay(activity);
  }
  void keepAlive() override { ++keepAlives; }
  bool cancelRequested() override { return cancelled; }
  void end() override { ++ends; }
};

}  // namespace karvel::test
