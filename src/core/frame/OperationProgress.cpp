// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/OperationProgress.h"

#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "io/Visa.h"

namespace karvel {

OperationScope::OperationScope(AppState& state, const QString& activity)
    : state_(state), outermost_(state.operationDepth == 0) {
  ++state_.operationDepth;
  if (!outermost_) {
    say(activity);
    return;
  }
  state_.operationStopped = false;
  state_.lastOperationCancelled = false;
  if (state_.operationRunning) state_.operationRunning(true);
  if (!state_.operation) return;
  state_.operation->begin(activity);
  if (state_.visa) {
    previousHook_ = state_.visa->waitHook();
    // A read under way hears the cancel too, and gives up its wait.
    state_.visa->setWaitHook([p = state_.operation] { p->keepAlive(); },
                             [&state = state_] { return operationCancelled(state); });
  }
}

OperationScope::~OperationScope() {
  if (outermost_) state_.lastOperationCancelled = operationCancelled(state_);
  --state_.operationDepth;
  if (!outermost_) return;
  if (state_.operation) {
    if (state_.visa) state_.visa->setWaitHook(previousHook_);
    state_.operation->end();
  }
  state_.operationStopped = false;
  if (state_.operationRunning) state_.operationRunning(false);
}

void OperationScope::say(const QString& activity) {
  if (state_.operation) state_.operation->say(activity);
}

bool operationCancelled(AppState& state) {
  if (state.operationDepth == 0) return false;
  if (!state.operationStopped && state.operation && state.operation->cancelRequested())
    state.operationStopped = true;
  return state.operationStopped;
}

void operationSay(AppState& state, const QString& activity) {
  if (state.operationDepth > 0 && state.operation) state.operation->say(activity);
}

bool operationWait(AppState& state, int milliseconds) {
  if (!state.clock) return !operationCancelled(state);
  if (state.operationDepth == 0 || !state.operation) {
    state.clock->wait(milliseconds);
    return !operationCancelled(state);
  }
  OperationProgress* p = state.operation;
  return state.clock->waitUnlessCancelled(
      milliseconds, [p] { p->keepAlive(); }, [&state] { return operationCancelled(state); });
}

}  // namespace karvel
