#pragma once
// Runs the program on the simulated platform as the Windows entry point does:
// the entry procedure, then the message loop, until the process ends, the
// simulation halts it, or nothing is left to happen.
#include <optional>
#include <string>

#include "platform/sim/sim_platform.h"

namespace tolvarin {
struct Program;
}

namespace tolvarin::sim {

struct RunOutcome {
  bool ended = false;          // the program ended its process
  int exitCode = 0;
  bool errorReported = false;  // ...through the error report
  bool halted = false;         // the simulation stopped it (time or frame limit)
  bool idle = false;           // the message loop ran out of things to do
};

RunOutcome RunProgram(SimPlatform& sim, Program& program);
// Goes on with the message loop of a program that was started before.
RunOutcome ContinueRun(SimPlatform& sim);

}  // namespace tolvarin::sim
