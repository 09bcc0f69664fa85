#pragma once
// Data items (data points) of a group, table em_device_group_item.
#include <map>
#include <string>
#include <vector>

class EMDeviceGroupItem {
public:
    virtual ~EMDeviceGroupItem() = default;

    // data_type values
    static constexpr int kInt = 0;
    static constexpr int kInt64 = 1;
    static constexpr int kInt64Alt = 2;
    static constexpr int kDouble = 3;
    static constexpr int kText = 100;

    std::string id;
    std::string dataItem;
    std::string groupId;
    int b0 = -1;
    int b1 = -1;
    int b2 = -1;
    int b3 = -1;  // sort key of the items of a group
    int b4 = 0;   // curve colour 0x00BBGGRR
    std::string c0, c1;
    std::string c2;  // column of the group's data table
    std::string c3;  // unit of measure
    std::string c4;  // display name
    int dataType = kDouble;

    static bool createAll();
    static void releaseAll();
    // Items of the group, by b3 ascending; equal b3 keep id order.
    static std::vector<EMDeviceGroupItem*> getByGroup(const std::string& groupId);
    static const std::map<std::string, EMDeviceGroupItem*>& all();

    // Writes every column of this record back (by id). False on failure,
    // which is logged; the record keeps its values either way.
    bool update();
};
