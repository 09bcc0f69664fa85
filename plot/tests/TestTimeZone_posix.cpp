// Every test runs in one fixed zone without daylight saving (UTC+8), so
// local midnights and labels do not depend on the machine.
#include <cstdlib>
#include <ctime>

namespace {
struct FixedZone {
    FixedZone() {
        setenv("TZ", "CST-8", 1);
        tzset();
    }
} fixedZone;
}  // namespace
