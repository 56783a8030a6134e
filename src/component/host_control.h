// What a host may ask of the server library beside the calls of its classes, through two C
// exports that a platform never needs and never notices:
//
//   void WagelinkRequestStop(void);
//       The call in progress stops at its next boundary: an import before its next record (the
//       reply then holds the results of the records handled), an export after the page it is
//       delivering (the call fails, saying so). Async-signal-safe: a host calls it from its
//       SIGINT handler. A request stays made for the life of the process.
//   void WagelinkSetProgress(WagelinkProgress callback);
//       `callback` (or none, with null) hears of the work as it goes, on the calling thread:
//       kRecords (records done, records in the request) after each record of an import, and
//       kWaiting (milliseconds waited so far, 0) while a record waits for another writer's lock.
#pragma once

#include <chrono>

extern "C" {
enum WagelinkProgressKind { kWagelinkRecords = 0, kWagelinkWaiting = 1 };
typedef void (*WagelinkProgress)(int kind, long done, long total);
}

namespace component {

bool StopRequested();
void RequestStop();
void SetProgress(WagelinkProgress callback);
// Tells the host's callback, when one is set.
void ReportProgress(WagelinkProgressKind kind, long done, long total);

}  // namespace component

// Defines the two exports; used once per server library, beside WAGELINK_SERVER_EXPORTS.
#define WAGELINK_HOST_CONTROL_EXPORTS()                                              \
    extern "C" WAGELINK_EXPORT void WagelinkRequestStop() {                          \
        component::RequestStop();                                                    \
    }                                                                                \
    extern "C" WAGELINK_EXPORT void WagelinkSetProgress(WagelinkProgress callback) { \
        component::SetProgress(callback);                                            \
    }
