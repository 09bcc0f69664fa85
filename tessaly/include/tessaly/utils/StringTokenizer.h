#pragma once

#include "tessaly/core/String.h"

namespace tessaly::utils {

class StringList;

// Splits a text into tokens. With character-set mode, each character of
// the delimiters is a delimiter; otherwise the whole delimiters text is one
// delimiter. With empty tokens, every delimiter separates two tokens, so a
// text with k delimiters has k + 1 tokens (an empty text has none);
// without, runs of delimiters count as one and leading or trailing
// delimiters give no token.
class StringTokenizer {
public:
    // Delimiters " \t\n\r", no empty tokens, character-set mode.
    explicit StringTokenizer(const core::String& text);
    StringTokenizer(const core::String& text, const core::String& delimiters, bool emptyTokens, bool charSet);

    bool hasMoreTokens() const;
    // Tokens still to come.
    int countTokens() const;
    // The next token; empty when there is none.
    core::String nextToken();
    // Switches to new delimiters and mode, then takes the next token.
    core::String nextToken(const core::String& delimiters, bool charSet);
    // Appends all remaining tokens; returns their number.
    int nextAllTokens(StringList& into);

    // The last token taken and where it lay in the text.
    const core::String& currentToken() const { return token_; }
    int tokenStart() const { return start_; }
    int tokenEnd() const { return end_; }

private:
    // From position pos: the next token's [begin, end) and the position after it.
    bool scan(int pos, bool finished, int& begin, int& end, int& after) const;
    // Length of a delimiter at i, 0 when there is none.
    int delimiterAt(int i) const;

    core::String text_;
    core::String delimiters_;
    bool emptyTokens_;
    bool charSet_;
    core::String token_;
    int start_ = -1;
    int end_ = -1;
    int position_ = 0;      // where scanning resumes
    bool finished_ = false; // with empty tokens: the last one has been taken
};

} // namespace tessaly::utils
