#include "registrations.h"

#include <algorithm>

namespace cli {

std::optional<Registration> RegistrationOf(const com::Registry& registry,
                                           const std::string& progId) {
    std::optional<std::string> clsid = registry.Get(progId + "\\CLSID");
    if (!clsid) return std::nullopt;
    const std::string key = "CLSID\\" + *clsid;
    std::optional<std::string> library = registry.Get(key + "\\InprocServer32");
    if (!library) return std::nullopt;
    Registration r{progId, *clsid, *library, ""};
    if (std::optional<std::string> typeLib = registry.Get(key + "\\TypeLib")) {
        std::vector<std::string> versions = registry.SubKeys("TypeLib\\" + *typeLib);
        if (!versions.empty()) r.typeLibVersion = versions.back();
    }
    return r;
}

std::vector<Registration> Registrations(const com::Registry& registry) {
    std::vector<Registration> out;
    for (const std::string& name : registry.SubKeys(""))
        if (name.find('.') != std::string::npos)  // a ProgID; CLSID, Interface, TypeLib are not
            if (std::optional<Registration> r = RegistrationOf(registry, name))
                out.push_back(std::move(*r));
    return out;
}

std::string RegistrationLines(const std::vector<Registration>& registrations) {
    std::size_t width = 0;
    for (const Registration& r : registrations) width = std::max(width, r.progId.size());
    std::string out;
    for (const Registration& r : registrations)
        out += r.progId + std::string(width - r.progId.size() + 2, ' ') +
               (r.typeLibVersion.empty() ? "-" : r.typeLibVersion) + "  " + r.library + "\n";
    return out;
}

}  // namespace cli
