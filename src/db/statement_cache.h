// Idle prepared statements of one connection, by SQL text. A statement in use is not in the
// cache, so a nested use of the same text prepares a second copy.
//
// Each text has a slot, which a borrowed statement keeps: returning it needs no second look-up
// of its text (a payroll statement is a few hundred characters, hashed once per use, not twice).
// When the cache holds too many texts all slots are dropped; a statement borrowed from a dropped
// slot is freed once it and its slot are let go.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace db {

template <class Prepared>
class StatementCache {
  public:
    struct Slot {
        std::vector<Prepared> idle;
    };
    using SlotRef = std::shared_ptr<Slot>;

    explicit StatementCache(std::size_t maxTexts) : maxTexts_(maxTexts) {}

    // The slot of `sql`, made when the text is new.
    SlotRef SlotOf(const std::string& sql) {
        auto it = slots_.find(sql);
        if (it != slots_.end()) return it->second;
        if (slots_.size() >= maxTexts_) slots_.clear();
        return slots_.emplace(sql, std::make_shared<Slot>()).first->second;
    }

    // An idle statement of the slot, when it has one.
    static std::optional<Prepared> Take(Slot& slot) {
        if (slot.idle.empty()) return std::nullopt;
        std::optional<Prepared> prepared(std::move(slot.idle.back()));
        slot.idle.pop_back();
        return prepared;
    }

    // Keeps `prepared` for the next use of its text; beyond a few copies of one text, or when
    // memory for keeping it runs out, it is freed. Never throws: statements come back from
    // destructors.
    static void Give(Slot& slot, Prepared prepared) noexcept {
        if (slot.idle.size() >= kMaxCopies) return;
        try {
            slot.idle.push_back(std::move(prepared));
        } catch (...) {
            // `prepared` was left as it was, and is freed here.
        }
    }

  private:
    static constexpr std::size_t kMaxCopies = 4;
    std::size_t maxTexts_;
    std::unordered_map<std::string, SlotRef> slots_;
};

}  // namespace db
