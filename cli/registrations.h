// What the registry file says of the classes the host can create: for `wagelink registrations`,
// for what `register` registered, and for naming the library behind a ProgID in errors.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/registry.h"

namespace cli {

struct Registration {
    std::string progId;
    std::string clsid;
    std::string library;         // InprocServer32
    std::string typeLibVersion;  // "1.1"; empty when none is registered
};

// Every class with a ProgID and a library, in ProgID order.
std::vector<Registration> Registrations(const com::Registry& registry);

// The class registered under `progId`; nullopt when there is none.
std::optional<Registration> RegistrationOf(const com::Registry& registry,
                                           const std::string& progId);

// "Wagelink.ISalaryItem  1.1  /path/libwagelink.so", one line a class.
std::string RegistrationLines(const std::vector<Registration>& registrations);

}  // namespace cli
