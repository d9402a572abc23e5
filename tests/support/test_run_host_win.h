// The wizard's stand-in for install runs under test: boxes go through
// ShowMessage, which the test's MessageHook answers; progress is recorded
// and, once it reaches CancelAt, Cancel is pressed as the wizard's button
// would press it.
#pragma once
#include <vector>

#include "base/message_box.h"
#include "install/install_run.h"

struct TTestRunHost : TMessageBoxHost {
  TInstallRun* Run = nullptr;
  int CancelAt = 101;
  std::vector<int> Positions;
  void Progress(int percent) override {
    Positions.push_back(percent);
    if (percent >= CancelAt && Run) RequestInstallCancel(*Run);
  }
};
