#include "app/Config.h"

#include "app/Globals.h"

void Config::loadAll()
{
    std::string dir = g_moduleDir;
    uiConfigPath = dir + "/config/UIConfig.xml";
    workParamPath = dir + "/config/WorkParam.xml";
    loadFile(uiConfigPath, ui);
    loadFile(workParamPath, workParam);
}

bool Config::loadFile(const std::string& path, ConfigBase& config)
{
    config.freeElement();
    xandril::CElement* root = config.document().ParseFile(path.c_str());
    if (!root)
        return false;
    config.setParsedTree(root);
    config.parseElement();
    return true;
}

bool Config::saveFile(const std::string& path, ConfigBase& config)
{
    config.buildElement();
    xandril::CCombineElement* tree = config.currentTree();
    return tree && config.document().WriteFile(tree, path.c_str(), 0600);
}
