// How much one message from the broker may carry before the handler drops
// it, per kind of topic. A CommStatus message is a state byte (a gateway may
// add a line end or padding); transup data is bounded like the debug view's
// receive text, so one message can never be more than the view keeps.
#pragma once

#include <cstddef>

namespace intake {

constexpr int kMaxCommStatusPayload = 16;
constexpr int kMaxTransUpPayload = 1024 * 1024;

// The largest packet the broker is asked to send at all: the largest payload
// kept plus the longest topic and the packet's own header. Anything larger
// stays at the broker, so a flood of huge messages never reaches memory here.
constexpr unsigned kMaxIncomingPacket = kMaxTransUpPayload + 65535 + 2 + 16;

// The queue between the MQTT thread and the debug view: a slow view loses
// the newest data beyond these, never the program its memory.
constexpr std::size_t kDebugQueueMessages = 4096;
constexpr std::size_t kDebugQueueBytes = 8 * 1024 * 1024;

static_assert(kDebugQueueBytes >= 2 * static_cast<std::size_t>(kMaxTransUpPayload),
              "the debug queue must hold at least two of the largest transup messages");

}  // namespace intake
