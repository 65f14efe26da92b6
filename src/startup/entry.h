#pragma once
// The program's entry procedure.
#include "state/program.h"

namespace tolvarin {

// The entry procedure: refuses a second instance, dispatches on the mode
// letter and opens the one window of that mode.
void Main(Program& program);

}  // namespace tolvarin
