#include "SqlOutput.h"
#include "Hashing.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace demo {

namespace {

// Uniform in [0, 1) from a key.
double uniform(std::uint64_t key)
{
    return static_cast<double>(mix(key) >> 11) * (1.0 / 9007199254740992.0);
}

// Roughly normal (sum of four uniforms), mean 0, deviation about 1.
double gauss(std::uint64_t key)
{
    double s = uniform(key) + uniform(key ^ 0x1111) + uniform(key ^ 0x2222) + uniform(key ^ 0x3333);
    return (s - 2.0) * 1.732;
}

std::string quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\')
            out += c == '\'' ? "''" : "\\\\";
        else
            out += c;
    }
    return out + "'";
}

std::string columnType(const Item& item)
{
    switch (item.dataType) {
    case 0: return "INT";
    case 1:
    case 2: return "BIGINT";
    case 100: return "VARCHAR(64)";
    default: return "DOUBLE";
    }
}

const char* const kAlarmWords[] = {"正常", "正常", "正常", "压力偏高", "正常", "流量偏低"};
const char* const kWeatherWords[] = {"晴", "多云", "阴", "小雨", "晴", "多云", "雾"};
const char* const kSamplingWords[] = {"正常采样", "正常采样", "正常采样", "校准中", "正常采样"};
const char* const kRemarkWords[] = {"正常", "已巡检", "正常", "正常", "待清洗"};

template <std::size_t N>
const char* pick(const char* const (&words)[N], std::uint64_t key)
{
    return words[mix(key) % N];
}

void appendNumber(std::string& out, double value, int decimals)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    out.append(buf, r.ptr);
}

}  // namespace

std::string dataTableDdl(const Group& group)
{
    std::string s = "CREATE TABLE " + group.table + " (\n  DataTime DATETIME NOT NULL";
    for (const Item& item : group.items)
        s += ",\n  " + item.code + " " + columnType(item) + " NULL";
    s += ",\n  KEY idx_" + group.table + "_time (DataTime)\n) ENGINE=InnoDB DEFAULT CHARSET=gbk";
    return s;
}

void writeGroupConfiguration(const Group& group, const StatementSink& sink)
{
    sink("INSERT INTO em_device_group (id, group_name, collect_no, b0, b1, b2, b3, b4, c0, c1, c2, c3, c4, device) "
         "VALUES (" + quote(group.id) + ", " + quote(group.name) + ", " + std::to_string(group.minutes) +
         ", 0, " + std::to_string(group.order) + ", 0, 0, 0, '', '', '', '', " + quote(group.table) + ", " +
         quote(group.device) + ")");
    std::string s = "INSERT INTO em_device_group_item (id, data_item, group_id, b0, b1, b2, b3, b4, "
                    "c0, c1, c2, c3, c4, data_type) VALUES ";
    bool first = true;
    for (const Item& item : group.items) {
        if (!first)
            s += ",\n  ";
        first = false;
        s += '(';
        s += quote(item.id) + ", " + quote(item.code) + ", " + quote(group.id) + ", 0, 0, 0, " +
             std::to_string(item.order) + ", " + std::to_string(item.colour) + ", '', '', " + quote(item.code) +
             ", " + quote(item.unit) + ", " + quote(item.name) + ", " + std::to_string(item.dataType) + ")";
    }
    sink(s);
}

void writeConfiguration(const Site& site, std::uint64_t seed, const StatementSink& sink)
{
    for (const Protocol& p : site.protocols)
        sink("INSERT INTO em_protocol (id, protocol_name, protocol_plugins, publish_plugins) VALUES (" +
             quote(p.id) + ", " + quote(p.name) + ", " + quote(p.plugins) + ", " + quote(p.publishPlugins) + ")");
    for (const Channel& c : site.channels)
        sink("INSERT INTO em_passageway (id, name, protocol, period, timeout, retry, communication) VALUES (" +
             quote(c.id) + ", " + quote(c.name) + ", " + quote(c.protocol) + ", " + std::to_string(c.period) +
             ", " + std::to_string(c.timeout) + ", " + std::to_string(c.retry) + ", " + quote(c.communication) + ")");
    for (const Device& d : site.devices)
        sink("INSERT INTO em_device (id, name, address, platform_address, area_code, dev_type, passageway, enable, "
             "longitude, latitude) VALUES (" + quote(d.id) + ", " + quote(d.name) + ", " +
             std::to_string(d.address) + ", " + quote("pa" + d.id.substr(3)) + ", '320100', " + quote(d.type) +
             ", " + quote(d.channel) + ", 1, " + quote(d.longitude) + ", " + quote(d.latitude) + ")");
    for (const Group& g : site.groups)
        writeGroupConfiguration(g, sink);
    for (const Module& m : site.modules)
        sink("INSERT INTO em_module (id, menu_no, menu_pic_file, name) VALUES (" + quote(m.id) + ", " +
             std::to_string(m.menuNo) + ", " + quote(m.picture) + ", " + quote(m.name) + ")");
    for (const Role& r : site.roles) {
        sink("INSERT INTO em_role (id, name) VALUES (" + quote(r.id) + ", " + quote(r.name) + ")");
        for (const std::string& module : r.modules)
            sink("INSERT INTO em_role_module (id, role, module) VALUES (" +
                 quote(hexId(seed, "rolemodule/" + r.id + "/" + module)) + ", " + quote(r.id) + ", " +
                 quote(module) + ")");
    }
    for (const User& u : site.users) {
        sink("INSERT INTO em_user (id, name, address, phone, login_name, password, role) VALUES (" + quote(u.id) +
             ", " + quote(u.name) + ", " + quote(u.address) + ", " + quote(u.phone) + ", " + quote(u.login) +
             ", " + quote(u.password) + ", " + quote(u.role) + ")");
        for (const std::string& device : u.devices)
            sink("INSERT INTO em_user_device (id, user, device) VALUES (" +
                 quote(hexId(seed, "userdevice/" + u.id + "/" + device)) + ", " + quote(u.id) + ", " +
                 quote(device) + ")");
    }
    // Every channel starts with an unrelieved fault record, so its live
    // state (CommStatus) has a record to land on.
    for (const Channel& c : site.channels)
        sink("INSERT INTO em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) "
             "VALUES (" + quote(hexId(seed, "fault/" + c.id)) + ", " + quote(c.id) + ", '通讯中断', 1, 0, 0)");
}

void writeMeasurements(const Group& group, std::uint64_t seed, std::time_t end, long rows,
                       const StatementSink& sink, int batch)
{
    const std::uint64_t groupKey = mix(seed ^ hashText(group.id));
    const long step = group.minutes * 60L;
    std::string head = "INSERT INTO " + group.table + " (DataTime";
    for (const Item& item : group.items)
        head += "," + item.code;
    head += ") VALUES ";

    std::string s;
    s.reserve(static_cast<std::size_t>(batch) * 16 * (group.items.size() + 2));
    int inBatch = 0;
    for (long k = 0; k < rows; ++k) {
        std::time_t t = end - (rows - 1 - k) * step;
        std::tm tm{};
        localtime_r(&t, &tm);
        char when[32];
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
        const double hour = tm.tm_hour + tm.tm_min / 60.0;
        const long day = static_cast<long>(t / 86400);
        const double season = std::sin(2 * M_PI * (tm.tm_yday - 100) / 365.0);

        if (inBatch == 0)
            s = head;
        else
            s += ',';
        s += "('";
        s += when;
        s += '\'';
        std::uint64_t itemNo = 0;
        for (const Item& item : group.items) {
            ++itemNo;
            const std::uint64_t key = groupKey ^ (static_cast<std::uint64_t>(t) * 0x100000001b3ULL) ^ (itemNo << 56);
            s += ',';
            if (mix(key ^ 0xabcdef) % 997 == 0) {  // a reading lost now and then
                s += "NULL";
                continue;
            }
            switch (item.signal) {
            case Signal::Daily: {
                double v = item.base + item.amplitude * std::cos(2 * M_PI * (hour - item.peakHour) / 24.0) +
                           0.15 * std::fabs(item.amplitude) * season + item.noise * gauss(key);
                if (item.base >= 0 && v < 0)
                    v = 0;
                if (item.unit == "%RH" && v > 100)
                    v = 100;
                appendNumber(s, v, item.decimals);
                break;
            }
            case Signal::Counter: {
                long long v = 10000 + static_cast<long long>(item.base * (t / 3600.0 - 480000.0));
                s += std::to_string(v < 0 ? 0 : v);
                break;
            }
            case Signal::State: {
                // Stopped for a few night hours on some days (maintenance).
                bool stopped = mix(groupKey ^ static_cast<std::uint64_t>(day) ^ itemNo) % 9 == 0 &&
                               tm.tm_hour >= 1 && tm.tm_hour < 4;
                s += stopped ? '0' : '1';
                break;
            }
            case Signal::Angle: {
                double v = 150 + 90 * std::sin(2 * M_PI * day / 6.0) + 35 * gauss(key);
                long a = std::lround(v) % 360;
                s += std::to_string(a < 0 ? a + 360 : a);
                break;
            }
            case Signal::Text: {
                const std::uint64_t slot = static_cast<std::uint64_t>(t / 10800);  // changes every 3 hours
                const char* word = item.code == "weather"    ? pick(kWeatherWords, slot ^ groupKey)
                                   : item.code == "sampling" ? pick(kSamplingWords, slot ^ groupKey)
                                   : item.code == "remark"   ? pick(kRemarkWords, slot ^ groupKey)
                                                             : pick(kAlarmWords, slot ^ groupKey);
                s += '\'';
                s += word;
                s += '\'';
                break;
            }
            }
        }
        s += ')';
        if (++inBatch == batch || k == rows - 1) {
            sink(s);
            inBatch = 0;
        }
    }
}

}  // namespace demo
