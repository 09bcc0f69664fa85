// The book's table of distinct cell texts; cells refer to it by index.
// Texts live back to back in one buffer so that a sheet full of distinct
// texts (a time label per row) costs little more than the characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace xl::detail {

class SharedStrings {
public:
    SharedStrings();
    SharedStrings(const SharedStrings&) = delete;
    SharedStrings& operator=(const SharedStrings&) = delete;

    // Index of text, added if new.
    uint32_t intern(std::u16string_view text);

    uint32_t uniqueCount() const { return static_cast<uint32_t>(starts_.size()); }
    std::u16string_view at(uint32_t index) const;

private:
    struct Hash {
        const SharedStrings* owner;
        size_t operator()(uint32_t index) const;
    };
    struct Equal {
        const SharedStrings* owner;
        bool operator()(uint32_t a, uint32_t b) const;
    };

    std::u16string chars_;
    std::vector<uint32_t> starts_; // start of each text in chars_; its end is the next start
    std::unordered_set<uint32_t, Hash, Equal> index_;
};

} // namespace xl::detail
