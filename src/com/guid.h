// GUID, IID and CLSID with the Windows layout, and their "{XXXXXXXX-XXXX-...}" text form.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "com/types.h"

namespace com {

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::array<std::uint8_t, 8> Data4;

    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

// Parses the braced registry form, case-insensitive; nullopt for anything else.
[[nodiscard]] std::optional<GUID> ParseGuid(std::string_view text);
// Parses a GUID literal known at compile time; a malformed literal is a programming error.
GUID MakeGuid(std::string_view text);
// Upper-case braced form, as the registry writes it.
std::string FormatGuid(const GUID& guid);

extern const IID IID_NULL;

struct GuidHash {
    std::size_t operator()(const GUID& g) const noexcept;
};

}  // namespace com
