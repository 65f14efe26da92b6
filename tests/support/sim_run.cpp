#include "support/sim_run.h"

#include <exception>

#include "base/errors.h"
#include "platform/process_end.h"
#include "startup/entry.h"

namespace tolvarin::sim {

namespace {

template <class Body>
RunOutcome Guarded(SimPlatform& sim, Body&& body) {
  RunOutcome outcome;
  try {
    try {
      body();
      outcome.idle = true;
    } catch (const std::exception& error) {
      // Nothing trapped it: the error report, then the end of the process.
      sim.process.ErrorReport(ErrorReportText(error));
    }
  } catch (const ProcessEnded& end) {
    outcome.ended = true;
    outcome.exitCode = end.exitCode;
    outcome.errorReported = end.errorReported;
  } catch (const SimHalt&) {
    outcome.halted = true;
  }
  return outcome;
}

}  // namespace

RunOutcome RunProgram(SimPlatform& sim, Program& program) {
  return Guarded(sim, [&] {
    Main(program);
    sim.windowing.RunMessageLoop();
  });
}

RunOutcome ContinueRun(SimPlatform& sim) {
  return Guarded(sim, [&] { sim.windowing.RunMessageLoop(); });
}

}  // namespace tolvarin::sim
