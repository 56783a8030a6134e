#include "com/guid.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace com {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits starting at `pos`; false when any is not a hex digit.
bool ReadHex(std::string_view text, std::size_t pos, int digits, std::uint64_t& out) {
    out = 0;
    for (int i = 0; i < digits; ++i) {
        int d = HexDigit(text[pos + i]);
        if (d < 0) return false;
        out = (out << 4) | static_cast<std::uint64_t>(d);
    }
    return true;
}

}  // namespace

const IID IID_NULL{};

std::optional<GUID> ParseGuid(std::string_view text) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    if (text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-')
        return std::nullopt;
    GUID g{};
    std::uint64_t v = 0;
    if (!ReadHex(text, 1, 8, v)) return std::nullopt;
    g.Data1 = static_cast<std::uint32_t>(v);
    if (!ReadHex(text, 10, 4, v)) return std::nullopt;
    g.Data2 = static_cast<std::uint16_t>(v);
    if (!ReadHex(text, 15, 4, v)) return std::nullopt;
    g.Data3 = static_cast<std::uint16_t>(v);
    const std::size_t starts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, starts[i], 2, v)) return std::nullopt;
        g.Data4[i] = static_cast<std::uint8_t>(v);
    }
    return g;
}

GUID MakeGuid(std::string_view text) {
    auto g = ParseGuid(text);
    if (!g) throw std::logic_error("malformed GUID literal: " + std::string(text));
    return *g;
}

std::string FormatGuid(const GUID& g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

std::size_t GuidHash::operator()(const GUID& g) const noexcept {
    std::uint64_t tail = 0;
    std::memcpy(&tail, g.Data4.data(), 8);
    return std::hash<std::uint64_t>{}(tail ^
                                      (std::uint64_t{g.Data1} << 32 | g.Data2 << 16 | g.Data3));
}

}  // namespace com
