#include "support/allocation_faults.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <pugixml.hpp>

namespace {

std::atomic<bool> armed{false};
std::atomic<long> counted{0};
std::atomic<long> failAt{0};
std::atomic<bool> fromThereOn{false};
std::atomic<bool> failedOnce{false};

// Whether this allocation fails.
bool Fails() {
    if (!armed.load(std::memory_order_relaxed)) return false;
    const long n = ++counted;
    const long at = failAt.load(std::memory_order_relaxed);
    const bool fails = at > 0 && (n == at || (fromThereOn && n > at));
    if (fails) failedOnce = true;
    return fails;
}

void* Allocate(std::size_t size) {
    if (Fails()) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

// SQLite's allocator must know each block's size: it is kept in front of the block.
constexpr std::size_t kHeader = 16;
void* SqliteMalloc(int size) {
    auto* block = static_cast<char*>(Allocate(static_cast<std::size_t>(size) + kHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    return block + kHeader;
}
void SqliteFree(void* p) {
    if (p) std::free(static_cast<char*>(p) - kHeader);
}
int SqliteSize(void* p) {
    int size = 0;
    if (p) std::memcpy(&size, static_cast<char*>(p) - kHeader, sizeof size);
    return size;
}
void* SqliteRealloc(void* p, int size) {
    if (Fails()) return nullptr;
    auto* block = static_cast<char*>(std::realloc(p ? static_cast<char*>(p) - kHeader : nullptr,
                                                  static_cast<std::size_t>(size) + kHeader));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    return block + kHeader;
}
int SqliteRoundup(int size) {
    return (size + 7) & ~7;
}
int SqliteInit(void*) {
    return SQLITE_OK;
}
void SqliteShutdown(void*) {}

}  // namespace

// The test binary's operator new: what the server's code allocates with.
void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace testing_support {

AllocationFaults::AllocationFaults() {
    static const sqlite3_mem_methods kSqlite = {SqliteMalloc,   SqliteFree,    SqliteRealloc,
                                                SqliteSize,     SqliteRoundup, SqliteInit,
                                                SqliteShutdown, nullptr};
    sqlite3_shutdown();
    sqlite3_config(SQLITE_CONFIG_MALLOC, &kSqlite);
    sqlite3_initialize();
    pugi::set_memory_management_functions(Allocate, std::free);
}

AllocationFaults::~AllocationFaults() {
    Disarm();
    pugi::set_memory_management_functions(std::malloc, std::free);
}

void AllocationFaults::Arm(long n, Mode mode) {
    counted = 0;
    failAt = n;
    fromThereOn = mode == Mode::kFromThereOn;
    failedOnce = false;
    armed = true;
}

void AllocationFaults::Disarm() {
    armed = false;
}

long AllocationFaults::count() const {
    return counted;
}

bool AllocationFaults::failed() const {
    return failedOnce;
}

}  // namespace testing_support
