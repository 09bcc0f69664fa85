#pragma once

#include <map>

#include "tessaly/core/String.h"

namespace tessaly::text {

// Ordered key/value texts. With ignoreCase set, keys are upper-cased
// before every store and lookup.
class PropertySet {
public:
    explicit PropertySet(bool ignoreCase = false) : ignoreCase_(ignoreCase) {}
    virtual ~PropertySet() = default;

    void setValue(const core::String& key, const core::String& value);
    // Decimal text.
    void setValue(const core::String& key, int value);
    // "%.2f".
    void setValue(const core::String& key, double value);
    // "Y" or "N".
    void setValue(const core::String& key, bool value);
    void setValue(const core::String& key, const char* value) { setValue(key, core::String(value)); }

    // False when the key is absent, or the text is no number of that type;
    // value is then left unchanged.
    bool getValue(const core::String& key, core::String& value) const;
    bool getValue(const core::String& key, int& value) const;
    bool getValue(const core::String& key, double& value) const;
    // "Y", "true" (any case) and "1" are true, any other text false.
    bool getValue(const core::String& key, bool& value) const;

    bool hasKey(const core::String& key) const;
    void clear() { values_.clear(); }
    int size() const { return static_cast<int>(values_.size()); }
    const std::map<core::String, core::String>& values() const { return values_; }

private:
    core::String normalise(const core::String& key) const { return ignoreCase_ ? key.toUpperCase() : key; }

    std::map<core::String, core::String> values_;
    bool ignoreCase_;
};

} // namespace tessaly::text
