#pragma once
// Wakes a thread blocked on, or busy draining, a connected socket: both
// directions are shut down, so reads and writes fail from now on. The
// descriptor itself stays open for its owner to close.
void breakSocket(int fd);
