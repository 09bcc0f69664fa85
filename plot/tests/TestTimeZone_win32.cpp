// Every test runs in one fixed zone without daylight saving (UTC+8), so
// local midnights and labels do not depend on the machine. The C runtime
// reads the same "CST-8" form from TZ.
#include <cstdlib>
#include <ctime>

namespace {
struct FixedZone {
    FixedZone() {
        _putenv_s("TZ", "CST-8");
        _tzset();
    }
} fixedZone;
}  // namespace
