#include "ScaleSite.h"

#include <algorithm>
#include <cstdio>

namespace demo {

namespace {

struct Kind {
    const char* type;
    const char* label;   // part of the device name, UTF-8
    const char* table;   // the data table all devices of the kind share
    const char* groupName;
};

const Kind kKinds[] = {
    {"pump", "泵站", "data_site_pump", "运行参数"},
    {"weather", "气象站", "data_site_weather", "气象要素"},
    {"water_quality", "水质站", "data_site_quality", "水质参数"},
    {"substation", "变电所", "data_site_power", "电气参数"},
    {"tower", "水塔", "data_site_tower", "水位"},
};
const char* const kAreas[] = {"东区", "西区", "南区", "北区", "中区", "新区"};

// The first group of a device of the normal site with the given type: the
// added devices of that kind measure the same items.
const Group* templateGroup(const Site& site, const std::string& type)
{
    for (const Device& d : site.devices) {
        if (d.type != type)
            continue;
        for (const Group& g : site.groups)
            if (g.device == d.id && g.order == 1)
                return &g;
    }
    return nullptr;
}

std::string numbered(const char* prefix, int n, int width)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%0*d", prefix, width, n);
    return buf;
}

}  // namespace

ScaleSite makeScaleSite(std::uint64_t seed, int devices, int channels)
{
    ScaleSite out;
    out.site = makeSite(seed);
    Site& site = out.site;
    const int baseDevices = static_cast<int>(site.devices.size());
    const int baseChannels = static_cast<int>(site.channels.size());
    if (devices <= baseDevices)
        return out;
    const int added = devices - baseDevices;
    const int addedChannels = std::max(1, std::min(added, channels - baseChannels));

    for (const Kind& kind : kKinds) {
        const Group* tpl = templateGroup(site, kind.type);
        if (!tpl)
            continue;
        Group shared = *tpl;
        shared.table = kind.table;
        shared.device.clear();
        out.sharedTables.push_back(shared);
    }

    for (int c = 0; c < addedChannels; ++c) {
        const int number = baseChannels + 1 + c;
        Channel ch;
        ch.id = std::to_string(number);
        ch.name = numbered("现场通道", number, 4);
        ch.protocol = std::to_string(1 + c % 3);
        ch.communication = numbered("gw", number, 4);
        site.channels.push_back(ch);
    }

    User* admin = nullptr;
    User* oper = nullptr;
    for (User& u : site.users) {
        if (u.login == "admin")
            admin = &u;
        else if (u.login == "operator")
            oper = &u;
    }

    for (int k = 0; k < added; ++k) {
        const int number = baseDevices + 1 + k;
        const Kind& kind = kKinds[k % std::size(kKinds)];
        Device d;
        d.id = numbered("dev", number, 4);
        d.name = std::string(kAreas[(k / 5) % std::size(kAreas)]) + numbered(kind.label, number, 4);
        d.channel = site.channels[static_cast<std::size_t>(baseChannels + k % addedChannels)].id;
        d.type = kind.type;
        d.longitude = numbered("118.", 6000 + (k * 37) % 3000, 4);
        d.latitude = numbered("32.", 1000 + (k * 53) % 2000, 4);
        d.address = number;
        site.devices.push_back(d);

        for (const Group& shared : out.sharedTables) {
            if (shared.table != kind.table)
                continue;
            Group g = shared;
            g.id = hexId(seed, "group/" + d.id + "/1");
            g.device = d.id;
            g.order = 1;
            for (Item& item : g.items)
                item.id = hexId(seed, g.id + "/" + item.code);
            site.groups.push_back(std::move(g));
        }
        if (admin)
            admin->devices.push_back(d.id);
        if (oper && k % 4 == 0)
            oper->devices.push_back(d.id);
    }
    return out;
}

}  // namespace demo
