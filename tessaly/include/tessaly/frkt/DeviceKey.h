#pragma once

#include <atomic>
#include <cstdint>

namespace tessaly::frkt {

// Unlock state of a device, written by the application and read by the
// downloader's thread (hence atomic words).
struct DeviceKey {
    static constexpr std::int32_t _statusRefused = 3;

    // Non-zero while the application is still unlocking the device.
    std::atomic<std::int32_t> keyPending{0};
    // _statusRefused: the device refused; the download is abandoned.
    std::atomic<std::int32_t> keyStatus{0};
};

} // namespace tessaly::frkt
