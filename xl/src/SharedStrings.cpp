#include "SharedStrings.h"

#include <functional>

namespace xl::detail {

SharedStrings::SharedStrings()
    : index_(0, Hash{this}, Equal{this})
{
}

std::u16string_view SharedStrings::at(uint32_t index) const
{
    const size_t begin = starts_[index];
    const size_t end = index + 1 < starts_.size() ? starts_[index + 1] : chars_.size();
    return std::u16string_view(chars_).substr(begin, end - begin);
}

size_t SharedStrings::Hash::operator()(uint32_t index) const
{
    return std::hash<std::u16string_view>{}(owner->at(index));
}

bool SharedStrings::Equal::operator()(uint32_t a, uint32_t b) const
{
    return owner->at(a) == owner->at(b);
}

uint32_t SharedStrings::intern(std::u16string_view text)
{
    // Append as a candidate, then look it up by its index; drop it again
    // when an equal text is already known.
    const uint32_t candidate = uniqueCount();
    const size_t oldSize = chars_.size();
    starts_.push_back(static_cast<uint32_t>(oldSize));
    chars_.append(text);
    auto found = index_.find(candidate);
    if (found != index_.end()) {
        starts_.pop_back();
        chars_.resize(oldSize);
        return *found;
    }
    index_.insert(candidate);
    return candidate;
}

} // namespace xl::detail
