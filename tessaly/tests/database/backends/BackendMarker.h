#pragma once

// What the counting back end records; read by the tests through its
// exported "backendMarker".
struct BackendMarker {
    int made = 0;
    int released = 0;
    const void* lastMade = nullptr;
    const void* lastReleased = nullptr;
};
