// Ctrl-C and SIGTERM during a call: the first asks the server library to stop at its next
// boundary (its export WagelinkRequestStop, which is async-signal-safe), so that the records
// handled are answered and the database is closed as usual; a second ends the process at once
// (each record is its own transaction, so nothing is torn).
#pragma once

namespace cli {

using StopFunction = void (*)();

// Installs the handlers; `stop` (null when the library has none) is what the first signal calls.
void CatchStopSignals(StopFunction stop);

// The signal that asked for a stop (SIGINT, SIGTERM); 0 when none came.
int StopSignal();

}  // namespace cli
