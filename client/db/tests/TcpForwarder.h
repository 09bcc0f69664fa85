#pragma once
// The relay lives in the shared test support; this name stays for the
// database tests that include it directly.
#include "quorvel_test/TcpForwarder.h"
