#pragma once
// The demo monitoring site: configuration records and how each data item's
// measurements behave. Everything derives from one seed, so the same seed
// gives the same site and the same values.
#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// The seed of the demo database that demo/load-demo.sh loads; the gateway
// simulator continues its measurements from the same seed.
inline constexpr std::uint64_t kDefaultSeed = 20240501;

// How an item's values are made.
enum class Signal {
    Daily,    // base + daily cycle + noise (double)
    Counter,  // grows with time (64-bit)
    State,    // 1 most of the time, 0 now and then (int)
    Angle,    // 0..359 degrees (int)
    Text,     // a status word (text)
};

struct Item {
    std::string id;
    std::string code;  // column of the data table (c2) and data_item
    std::string name;  // display name (c4), UTF-8
    std::string unit;  // c3, UTF-8
    int dataType = 3;
    int colour = 0;    // 0x00BBGGRR
    int order = 0;     // b3
    Signal signal = Signal::Daily;
    double base = 0, amplitude = 0, noise = 0;
    int decimals = 2;
    int peakHour = 14;
};

struct Group {
    std::string id;
    std::string name;
    std::string device;
    std::string table;  // c4
    int order = 0;      // b1
    int minutes = 5;    // sampling interval
    std::vector<Item> items;
};

struct Device {
    std::string id, name, channel, type, longitude, latitude;
    int address = 0;
};

struct Channel {
    std::string id, name, protocol, communication;
    int period = 2000, timeout = 1000, retry = 1;
};

struct Protocol {
    std::string id, name, plugins, publishPlugins;
};

struct User {
    std::string id, name, address, phone, login, password, role;
    std::vector<std::string> devices;
};

struct Module {
    std::string id, name, picture;
    int menuNo = 0;
};

struct Role {
    std::string id, name;
    std::vector<std::string> modules;
};

struct Site {
    std::vector<Protocol> protocols;
    std::vector<Channel> channels;
    std::vector<Device> devices;
    std::vector<Group> groups;
    std::vector<Module> modules;
    std::vector<Role> roles;
    std::vector<User> users;
};

// The normal demo site (8 devices, 6 channels, 2-3 groups per device).
Site makeSite(std::uint64_t seed);
// The benchmark group: one year of 1-minute rows, 8 items, on the weather
// station of the normal site.
Group makeLargeGroup(std::uint64_t seed);

// A 32-digit lower-case hexadecimal identifier drawn from the seeded stream.
std::string hexId(std::uint64_t seed, const std::string& salt);

}  // namespace demo
