#pragma once
// The demo site grown to a large monitoring site: many more devices spread
// over many more channels, generated from the same seed. The eight devices
// of the normal site stay as they are; the added devices share a few data
// tables (one per kind of station), so a site of thousands of devices costs
// a handful of tables, not thousands.
#include <cstdint>
#include <string>
#include <vector>

#include "DemoSite.h"

namespace demo {

struct ScaleSite {
    Site site;
    // Groups whose data table is new (one per kind of added station); their
    // tables are not in demo/schema.sql and are created with the site.
    std::vector<Group> sharedTables;
};

// The normal site plus devices "0009".."<devices>" on channels 7..<channels>
// (devices = 5000, channels = 2500 make a site of 5,000 devices on 2,500
// channels). admin sees every device, operator its five plus every fourth
// added device, guest none. devices <= 8 gives the normal site unchanged.
ScaleSite makeScaleSite(std::uint64_t seed, int devices, int channels);

}  // namespace demo
