// Progress on standard error while a call runs, for the person at the terminal: an import's
// records done of the total, the rate and the time left; an export's pages and rows; and a wait
// for another writer's lock. One line, rewritten in place at most five times a second, and
// cleared at the end. Shown when standard error is a terminal or when asked for.
#pragma once

#include <string>

namespace cli {

// What the server library tells through WagelinkSetProgress (component/host_control.h).
extern "C" void ShowServerProgress(int kind, long done, long total);

// Whether the display is on: what it would show need not be worked out otherwise.
bool ProgressShown();

// A page of an export, as the host writes it: its number, the page count and its records.
void ShowPageProgress(long number, long count, long records);

// Turns the display on (it is off until then) and clears its line when the host is done.
void StartProgress();
void EndProgress();

}  // namespace cli
