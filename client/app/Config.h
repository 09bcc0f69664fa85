// The program's configuration: look of the windows (UIConfig.xml) and the
// servers to talk to (WorkParam.xml), both under config/ beside the program.
#pragma once

#include "app/ConfigUI.h"
#include "app/ConfigWorkParam.h"
#include "app/Singleton.h"

#include <string>

class Config : public Singleton<Config> {
public:
    Config() = default;
    virtual ~Config() = default;

    ConfigUI ui;
    ConfigWorkParam workParam;
    std::string uiConfigPath;
    std::string workParamPath;

    // Sets both paths from g_moduleDir and loads both files. A missing or
    // malformed file leaves its values as they were, silently.
    void loadAll();

    // Reads `path` into `config`; false (values untouched) when the file is
    // missing or not well-formed.
    static bool loadFile(const std::string& path, ConfigBase& config);
    // Builds the tree from the values and writes it to `path`, created
    // readable by its owner only (it holds passwords). The old file stays
    // whole when the write fails; false then.
    static bool saveFile(const std::string& path, ConfigBase& config);
};
