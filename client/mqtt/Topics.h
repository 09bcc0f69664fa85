// The MQTT topics between the client and the gateways, made and read here
// only:
//   "<communication>/transup"                   data a channel sends up
//   "<channel id>;<communication>/CommStatus"   a channel's link state
//   "<protocol name>/<communication>/transdown" data sent down to a channel
// Incoming topics are read leniently, so a gateway's stray slashes do not
// lose its data: like strtok, a run of separators counts as one, separators
// at either end give no piece and no piece is ever empty ("/a//b/" -> "a",
// "b"); pieces after the second are not looked at.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The first `maxPieces` pieces of `text` split at `separator`.
std::vector<std::string_view> splitPieces(std::string_view text, char separator, size_t maxPieces = SIZE_MAX);

// --- making topics ---
std::string transupTopic(std::string_view communication);
std::string commStatusTopic(std::string_view channelId, std::string_view communication);
// Empty when either part is empty (there is nothing to send on).
std::string transdownTopic(std::string_view protocolName, std::string_view communication);

// --- reading topics ---
// What a topic asks the handler to do.
struct TopicRoute {
    enum class Kind { Ignore, TransUp, CommStatus };
    Kind kind = Kind::Ignore;
    std::string_view channelKey;     // CommStatus only: the piece before the first ';'
    std::string_view communication;  // TransUp only: the first piece
};

// "C/transup[/...]" -> TransUp; "P;C/CommStatus[/...]" -> CommStatus with
// key P; anything else (fewer than two pieces, another second piece, no key)
// -> Ignore. The views refer into `topic`.
TopicRoute routeTopic(std::string_view topic);

// The channel id of a CommStatus topic; empty for any other topic.
std::string_view commStatusChannel(std::string_view topic);

// True when `topic` is a transup topic of this (non-empty) communication.
bool isTransupOf(std::string_view topic, std::string_view communication);

// The communication C of "<protocol>/<C>/transdown" as a gateway subscribed to
// "+/+/transdown" receives it: exactly three levels split at every '/', the
// last "transdown", C not empty (the protocol level may be). Empty otherwise.
std::string_view transdownCommunication(std::string_view topic);
