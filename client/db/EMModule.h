#pragma once
// Modules (toolbar functions), table em_module.
#include <map>
#include <string>

class EMModule {
public:
    virtual ~EMModule() = default;

    static constexpr int kMenuDebug = 3;      // debug view
    static constexpr int kMenuDataPoint = 4;  // data point maintenance view

    std::string id;
    int menuNo = 0;  // position among the toolbar buttons
    std::string menuPicFile;
    std::string name;

    static bool createAll();
    static void releaseAll();
    static EMModule* getById(const std::string& id);
    static const std::map<std::string, EMModule*>& all();
};
