#pragma once

#include <vector>

#include "tessaly/core/String.h"

namespace tessaly::utils {

// An ordered list of texts. Indexes out of range make an operation return
// false (or do nothing); operator[] throws IllegalArgumentException for
// them. Comparisons are byte-wise, or ASCII case-insensitive when asked.
class StringList {
public:
    StringList() = default;
    virtual ~StringList() = default;

    void append(const core::String& s);
    // count < 0 means "to the end"; returns the number appended.
    int append(const StringList& other, int start = 0, int count = -1);
    // Splits text at every separator (empty pieces included) and appends
    // the pieces; returns their number. A null or empty text appends nothing.
    int append(const char* text, const char* separator);
    // Appends the lines of text (CR LF, LF or CR breaks); returns their number.
    int appendLines(const char* text);
    // True when s was appended.
    bool appendIfNotExist(const core::String& s, bool ignoreCase = false);
    // index may equal size() (appends).
    bool insert(int index, const core::String& s);
    bool set(int index, const core::String& s);

    bool remove(int index);
    // Removes the first occurrence; true when there was one.
    bool remove(const core::String& s, bool ignoreCase = false);
    // Removes every occurrence of each text of other's range; returns the count removed.
    int remove(const StringList& other, int start = 0, int count = -1);
    // Removes every occurrence; returns the count removed.
    int removeAll(const core::String& s, bool ignoreCase = false);
    // Removes empty texts (and blank ones when blankToo); returns the count removed.
    int removeEmpty(bool blankToo = false);
    // Keeps the first of equal texts; returns the count removed.
    int unqiue(bool ignoreCase = false);
    // Moves the text at from so that it ends at index to.
    bool move(int from, int to);
    // Trims every text.
    void trim();
    // Ascending.
    void sort(bool ignoreCase = false);
    // count < 0 means "to the end".
    core::String join(const char* separator, int start = 0, int count = -1) const;
    bool contains(const core::String& s, bool ignoreCase = false) const { return indexOf(s, ignoreCase) >= 0; }
    int indexOf(const core::String& s, bool ignoreCase = false, int start = 0) const;

    int size() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }
    void clear() { items_.clear(); }
    core::String& operator[](int index);
    const core::String& operator[](int index) const;
    bool operator==(const StringList& o) const { return items_ == o.items_; }
    bool operator!=(const StringList& o) const { return !(*this == o); }

private:
    bool validRange(const StringList& other, int& start, int& count) const;

    std::vector<core::String> items_;
};

} // namespace tessaly::utils
