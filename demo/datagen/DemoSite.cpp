#include "DemoSite.h"
#include "Hashing.h"

#include <cstdio>
#include <functional>

namespace demo {

namespace {

const int kPalette[] = {
    0x0000FF,  // red
    0x00A000,  // green
    0xFF0000,  // blue
    0x0080FF,  // orange
    0x800080,  // purple
    0x808000,  // teal
    0x004080,  // brown
    0xFF00FF,  // magenta
};

Item daily(const char* code, const char* name, const char* unit, double base, double amplitude,
           double noise, int decimals, int peakHour = 14)
{
    Item item;
    item.code = code;
    item.name = name;
    item.unit = unit;
    item.dataType = 3;
    item.signal = Signal::Daily;
    item.base = base;
    item.amplitude = amplitude;
    item.noise = noise;
    item.decimals = decimals;
    item.peakHour = peakHour;
    return item;
}

Item state(const char* code, const char* name)
{
    Item item;
    item.code = code;
    item.name = name;
    item.dataType = 0;
    item.signal = Signal::State;
    return item;
}

Item counter(const char* code, const char* name, const char* unit, double perHour, int dataType)
{
    Item item;
    item.code = code;
    item.name = name;
    item.unit = unit;
    item.dataType = dataType;
    item.signal = Signal::Counter;
    item.base = perHour;
    return item;
}

Item angle(const char* code, const char* name)
{
    Item item;
    item.code = code;
    item.name = name;
    item.unit = "°";
    item.dataType = 0;
    item.signal = Signal::Angle;
    return item;
}

Item text(const char* code, const char* name)
{
    Item item;
    item.code = code;
    item.name = name;
    item.dataType = 100;
    item.signal = Signal::Text;
    return item;
}

using GroupTemplate = std::function<std::vector<std::pair<std::string, std::vector<Item>>>(int variant)>;

std::vector<std::pair<std::string, std::vector<Item>>> pumpStation(int v)
{
    return {
        {"运行参数",
         {daily("outlet_pressure", "出口压力", "MPa", 0.42 + 0.03 * v, 0.08, 0.01, 3, 8),
          daily("flow", "瞬时流量", "m3/h", 820 + 60 * v, 260, 25, 1, 9),
          daily("motor_current", "电机电流", "A", 96 + 4 * v, 22, 3, 1, 9),
          state("pump_state", "运行状态"),
          counter("run_hours", "累计运行时间", "h", 1.0, 1)}},
        {"水池水位",
         {daily("pool_level", "水池水位", "m", 3.6, 0.7, 0.05, 2, 4),
          daily("water_temp", "水温", "℃", 14 + v, 2.5, 0.2, 1, 16),
          text("alarm", "报警信息")}},
        {"电能",
         {daily("active_power", "有功功率", "kW", 310 + 20 * v, 90, 12, 1, 9),
          counter("energy", "累计电量", "kWh", 320 + 20 * v, 2),
          daily("power_factor", "功率因数", "", 0.91, 0.03, 0.005, 3, 9)}},
    };
}

std::vector<std::pair<std::string, std::vector<Item>>> weatherStation(int)
{
    return {
        {"气象要素",
         {daily("air_temp", "气温", "℃", 12, 6, 0.6, 1, 14),
          daily("humidity", "相对湿度", "%RH", 68, -18, 3, 1, 14),
          daily("pressure", "气压", "hPa", 1013, -2.5, 0.4, 1, 16),
          daily("wind_speed", "风速", "m/s", 3.2, 1.6, 0.8, 1, 15),
          angle("wind_dir", "风向"),
          daily("rain", "降雨量", "mm", 0.05, 0.05, 0.08, 1, 17),
          text("weather", "天气状况"),
          daily("illuminance", "光照度", "lux", 18000, 22000, 1500, 0, 13)}},
        {"设备状态",
         {daily("battery", "电池电压", "V", 12.6, 0.4, 0.05, 2, 15),
          daily("box_temp", "机箱温度", "℃", 18, 7, 0.5, 1, 15),
          state("signal_ok", "信号状态")}},
    };
}

std::vector<std::pair<std::string, std::vector<Item>>> waterQuality(int)
{
    return {
        {"水质参数",
         {daily("ph", "PH值", "pH", 7.3, 0.25, 0.05, 2, 15),
          daily("dissolved_o2", "溶解氧", "mg/L", 7.8, 1.2, 0.2, 2, 15),
          daily("turbidity", "浊度", "NTU", 2.1, 0.8, 0.3, 2, 20),
          daily("conductivity", "电导率", "uS/cm", 420, 35, 6, 0, 16),
          daily("water_temp", "水温", "℃", 16, 2, 0.2, 1, 16),
          daily("chlorine", "余氯", "mg/L", 0.45, 0.1, 0.03, 2, 7)}},
        {"设备状态",
         {daily("battery", "电池电压", "V", 12.4, 0.3, 0.05, 2, 15),
          text("sampling", "采样状态"),
          state("door", "柜门状态")}},
    };
}

std::vector<std::pair<std::string, std::vector<Item>>> substation(int v)
{
    return {
        {"电气参数",
         {daily("ua", "A相电压", "V", 229 + v, -4, 1.2, 1, 19),
          daily("ub", "B相电压", "V", 230 + v, -4, 1.2, 1, 19),
          daily("uc", "C相电压", "V", 228 + v, -4, 1.2, 1, 19),
          daily("ia", "A相电流", "A", 180 + 20 * v, 90, 8, 1, 19),
          daily("power", "有功功率", "kW", 120 + 15 * v, 60, 6, 1, 19),
          daily("frequency", "频率", "Hz", 50, 0.02, 0.01, 2, 19)}},
        {"室内环境",
         {daily("room_temp", "室内温度", "℃", 24, 4, 0.4, 1, 15),
          daily("room_humidity", "室内湿度", "%RH", 55, -10, 2, 1, 15),
          state("door", "门禁状态")}},
    };
}

std::vector<std::pair<std::string, std::vector<Item>>> waterTower(int v)
{
    return {
        {"水位",
         {daily("level", "水位", "m", 18 + v, -3, 0.2, 2, 20),
          state("inlet_valve", "进水阀状态"),
          daily("outflow", "出水流量", "m3/h", 140 + 10 * v, 70, 8, 1, 8)}},
        {"水质",
         {daily("chlorine", "余氯", "mg/L", 0.38, 0.08, 0.02, 2, 7),
          daily("turbidity", "浊度", "NTU", 0.9, 0.3, 0.1, 2, 20),
          text("remark", "巡检备注")}},
    };
}

}  // namespace

std::string hexId(std::uint64_t seed, const std::string& salt)
{
    std::uint64_t a = mix(seed ^ hashText(salt));
    std::uint64_t b = mix(a ^ 0x5bd1e995u);
    char buf[33];
    std::snprintf(buf, sizeof buf, "%016llx%016llx", static_cast<unsigned long long>(a),
                  static_cast<unsigned long long>(b));
    return buf;
}

Site makeSite(std::uint64_t seed)
{
    Site site;
    site.protocols = {
        {"1", "modbus", "libproto_modbus.so", ";libpub_mqtt.so;;libpub_store.so;"},
        {"2", "dlt645", "libproto_dlt645.so", "libpub_mqtt.so"},
        {"3", "sl651", "libproto_sl651.so", ";libpub_mqtt.so;"},
    };
    site.channels = {
        {"1", "城东泵站通道", "1", "gw01", 2000, 1000, 1},
        {"2", "城西泵站通道", "1", "gw02", 2000, 1000, 1},
        {"3", "气象站通道", "3", "gw03", 5000, 2000, 2},
        {"4", "水质站通道", "3", "gw04", 5000, 2000, 2},
        {"5", "变电所通道", "2", "gw05", 1000, 500, 3},
        {"6", "水塔通道", "1", "gw06", 3000, 1000, 1},
    };
    site.devices = {
        {"dev01", "城东泵站", "1", "pump", "118.8312", "32.0581", 1},
        {"dev02", "城西泵站", "2", "pump", "118.7385", "32.0417", 2},
        {"dev03", "河口气象站", "3", "weather", "118.7021", "32.1266", 3},
        {"dev04", "水源地水质监测站", "4", "water_quality", "118.6903", "32.1412", 4},
        {"dev05", "一号变电所", "5", "substation", "118.7964", "32.0102", 5},
        {"dev06", "二号变电所", "5", "substation", "118.7991", "32.0126", 6},
        {"dev07", "北区水塔", "6", "tower", "118.7813", "32.0925", 7},
        {"dev08", "南区水塔", "6", "tower", "118.7789", "31.9877", 8},
    };
    struct Plan {
        const char* device;
        std::vector<std::pair<std::string, std::vector<Item>>> groups;
    };
    std::vector<Plan> plans = {
        {"dev01", pumpStation(0)},
        {"dev02", pumpStation(1)},
        {"dev03", weatherStation(0)},
        {"dev04", waterQuality(0)},
        {"dev05", substation(0)},
        {"dev06", substation(1)},
        {"dev07", waterTower(0)},
        {"dev08", waterTower(1)},
    };
    for (const Plan& plan : plans) {
        int groupNo = 0;
        for (const auto& [name, items] : plan.groups) {
            ++groupNo;
            Group group;
            group.id = hexId(seed, std::string("group/") + plan.device + "/" + std::to_string(groupNo));
            group.name = name;
            group.device = plan.device;
            group.table = std::string("data_") + plan.device + "_" + std::to_string(groupNo);
            group.order = groupNo;
            group.items = items;
            int itemNo = 0;
            for (Item& item : group.items) {
                item.id = hexId(seed, group.id + "/" + item.code);
                item.order = ++itemNo;
                item.colour = kPalette[(itemNo - 1) % 8];
            }
            site.groups.push_back(std::move(group));
        }
    }
    site.modules = {
        {"m3", "调试串口", "debug.bmp", 3},
        {"m4", "数据点维护", "datapoint.bmp", 4},
    };
    site.roles = {
        {"r1", "系统管理员", {"m3", "m4"}},
        {"r2", "值班操作员", {}},
    };
    site.users = {
        {"u1", "管理员", "江苏省南京市", "025-84561234", "admin", "admin123", "r1",
         {"dev01", "dev02", "dev03", "dev04", "dev05", "dev06", "dev07", "dev08"}},
        {"u2", "张明", "城东泵站值班室", "13905170001", "operator", "oper123", "r2",
         {"dev01", "dev02", "dev03", "dev04", "dev07"}},
        {"u3", "访客", "", "", "guest", "guest123", "r2", {}},
    };
    return site;
}

Group makeLargeGroup(std::uint64_t seed)
{
    Group group;
    group.id = hexId(seed, "group/large");
    group.name = "高频气象（一年）";
    group.device = "dev03";
    group.table = "data_dev03_minute";
    group.order = 9;
    group.minutes = 1;
    group.items = {
        daily("air_temp", "气温", "℃", 12, 6, 0.6, 1, 14),
        daily("humidity", "相对湿度", "%RH", 68, -18, 3, 1, 14),
        daily("pressure", "气压", "hPa", 1013, -2.5, 0.4, 1, 16),
        daily("wind_speed", "风速", "m/s", 3.2, 1.6, 0.8, 1, 15),
        daily("gust", "阵风", "m/s", 5.1, 2.2, 1.1, 1, 15),
        daily("rain", "降雨量", "mm", 0.05, 0.05, 0.08, 1, 17),
        daily("illuminance", "光照度", "lux", 18000, 22000, 1500, 0, 13),
        daily("soil_temp", "地温", "℃", 14, 3, 0.2, 1, 16),
    };
    int itemNo = 0;
    for (Item& item : group.items) {
        item.id = hexId(seed, group.id + "/" + item.code);
        item.order = ++itemNo;
        item.colour = kPalette[(itemNo - 1) % 8];
    }
    return group;
}

}  // namespace demo
