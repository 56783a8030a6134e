// How the writers trap faults: a fault of a step becomes the record's failure, with its
// description as the message, except contention, which passes on so that the caller runs the
// record again, a broken link, which passes on so that the caller finds out on a new connection
// what became of the record, and memory running out, which no trap takes (base/fault.h).
#pragma once

#include <exception>
#include <new>
#include <string>

#include "base/fault.h"
#include "db/contention.h"
#include "db/errors.h"

namespace payroll {

// Runs `step` (which returns whether the record may go on) and returns its answer; false with
// the fault's description in `message` when it raised one.
template <class Step>
bool TrapFaults(std::string& message, Step&& step) {
    try {
        return step();
    } catch (const db::Contention&) {
        throw;
    } catch (const db::ConnectionLost&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        message = base::CurrentFault().description();
    }
    return false;
}

}  // namespace payroll
