#pragma once

// Fills `bytes` with a random (version 4) UUID in network order: the first
// 32-bit field, the two 16-bit fields, then the eight bytes. False when the
// system could not make one.
bool newRandomUuid(unsigned char (&bytes)[16]);
