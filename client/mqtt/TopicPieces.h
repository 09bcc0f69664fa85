// Topic splitting as the message handler does it: like strtok, a run of
// separators counts as one, separators at either end give no piece and no
// piece is ever empty ("/a//b/" -> "a", "b").
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The first `maxPieces` pieces of `text` split at `separator`.
std::vector<std::string_view> splitPieces(std::string_view text, char separator, size_t maxPieces = SIZE_MAX);

// What a topic asks the handler to do.
struct TopicRoute {
    enum class Kind { Ignore, TransUp, CommStatus };
    Kind kind = Kind::Ignore;
    std::string_view channelKey;  // CommStatus only: the piece before the first ';'
};

// "C/transup[/...]" -> TransUp; "P;C/CommStatus[/...]" -> CommStatus with
// key P; anything else (fewer than two pieces, another second piece, no key)
// -> Ignore. The view refers into `topic`.
TopicRoute routeTopic(std::string_view topic);
