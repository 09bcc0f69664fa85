// Defaults and both readers of the configuration files.
#include "quorvel_test/TempDir.h"
#include "XmlHead.h"

#include "app/Config.h"
#include "app/Globals.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kDefaultTips = {"实时监测", "历史数据", "数据统计", "调试串口",
                                               "数据点维护", "关于", "退出"};

class ConfigRead : public ::testing::Test {
protected:
    bool loadUi(const std::string& body)
    {
        writeBytes(dir.file("UIConfig.xml"), kXmlHead + body);
        return Config::loadFile(dir.file("UIConfig.xml"), config.ui);
    }
    bool loadWork(const std::string& body)
    {
        writeBytes(dir.file("WorkParam.xml"), kXmlHead + body);
        return Config::loadFile(dir.file("WorkParam.xml"), config.workParam);
    }

    TempDir dir;
    Config config;
};

void expectDefaultWorkParam(const ConfigWorkParam& w)
{
    EXPECT_EQ(w.dbIp, "127.0.0.1");
    EXPECT_EQ(w.dbPort, 3306);
    EXPECT_EQ(w.dbName, "quor");
    EXPECT_EQ(w.dbUser, "root");
    EXPECT_EQ(w.dbPassword, "qpzr739105");
    EXPECT_EQ(w.mqttIp, "127.0.0.1");
    EXPECT_EQ(w.mqttPort, 6002);
    EXPECT_EQ(w.mqttUser, "tzmk");
    EXPECT_EQ(w.mqttPassword, "qpzr739105");
}

void expectDefaultUi(const ConfigUI& ui)
{
    EXPECT_EQ(ui.viewColor, 0xC0C0C0u);
    EXPECT_EQ(ui.toolbarColor, 0x319500u); // RGB(0, 149, 49)
    EXPECT_EQ(ui.statusbarColor, 0x319500u);
    EXPECT_EQ(ui.buttonImages, std::vector<std::string>(7, "param_setting_1.bmp"));
    EXPECT_EQ(ui.buttonTips, kDefaultTips);
}

} // namespace

TEST_F(ConfigRead, DefaultsWithoutAnyFile)
{
    expectDefaultUi(config.ui);
    expectDefaultWorkParam(config.workParam);
    EXPECT_FALSE(Config::loadFile(dir.file("none.xml"), config.workParam));
    expectDefaultWorkParam(config.workParam);
}

TEST_F(ConfigRead, LoadAllWithoutConfigFolderKeepsDefaults)
{
    g_moduleDir = dir.path().string();
    config.loadAll();
    EXPECT_EQ(config.uiConfigPath, dir.path().string() + "/config/UIConfig.xml");
    EXPECT_EQ(config.workParamPath, dir.path().string() + "/config/WorkParam.xml");
    expectDefaultUi(config.ui);
    expectDefaultWorkParam(config.workParam);
}

TEST_F(ConfigRead, LoadAllReadsBothFilesBesideTheProgram)
{
    std::filesystem::create_directory(dir.file("config"));
    writeBytes(dir.file("config/WorkParam.xml"),
               kXmlHead + "<W><DB ip=\"10.1.2.3\" port=\"3307\"/><mqtt port=\"1883\"/></W>");
    writeBytes(dir.file("config/UIConfig.xml"),
               kXmlHead + "<U><BackgroundColor><view r=\"1\" g=\"2\" b=\"3\"/></BackgroundColor></U>");
    g_moduleDir = dir.path().string();
    config.loadAll();
    EXPECT_EQ(config.workParam.dbIp, "10.1.2.3");
    EXPECT_EQ(config.workParam.dbPort, 3307);
    EXPECT_EQ(config.workParam.mqttPort, 1883);
    EXPECT_EQ(config.workParam.mqttIp, "127.0.0.1");
    EXPECT_EQ(config.ui.viewColor, 0x030201u);
}

TEST_F(ConfigRead, WorkParamChildrenByExactNameUnderAnyRoot)
{
    ASSERT_TRUE(loadWork("<Whatever>"
                         "<db ip=\"9.9.9.9\" user=\"lower\"/>"
                         "<DB ip=\"10.0.0.5\" port=\"3310\" user=\"u\" pwd=\"p\" DBName=\"n\"/>"
                         "<other ip=\"8.8.8.8\"/>"
                         "<mqtt ip=\"10.0.0.6\" port=\"1883\" user=\"mu\" pwd=\"mp\"/>"
                         "</Whatever>"));
    const ConfigWorkParam& w = config.workParam;
    EXPECT_EQ(w.dbIp, "10.0.0.5");
    EXPECT_EQ(w.dbPort, 3310);
    EXPECT_EQ(w.dbUser, "u");
    EXPECT_EQ(w.dbPassword, "p");
    EXPECT_EQ(w.dbName, "n");
    EXPECT_EQ(w.mqttIp, "10.0.0.6");
    EXPECT_EQ(w.mqttPort, 1883);
    EXPECT_EQ(w.mqttUser, "mu");
    EXPECT_EQ(w.mqttPassword, "mp");
}

TEST_F(ConfigRead, WorkParamMissingAttributesKeepValuesAndLaterWins)
{
    ASSERT_TRUE(loadWork("<W><DB user=\"first\" port=\"70000\"/><DB user=\"second\"/><mqtt/></W>"));
    const ConfigWorkParam& w = config.workParam;
    EXPECT_EQ(w.dbUser, "second");
    EXPECT_EQ(w.dbPort, 70000 & 0xFFFF) << "port kept to 16 bits";
    EXPECT_EQ(w.dbIp, "127.0.0.1");
    EXPECT_EQ(w.dbPassword, "qpzr739105");
    EXPECT_EQ(w.mqttPort, 6002);
}

TEST_F(ConfigRead, MalformedOrChildlessFilesChangeNothing)
{
    EXPECT_FALSE(loadWork("<W><DB ip=\"1.1.1.1\"></W>"));
    EXPECT_TRUE(loadWork("<W ip=\"1.1.1.1\"/>")) << "well-formed, but the root has no children";
    EXPECT_FALSE(loadWork(""));
    EXPECT_FALSE(loadUi("<U><ToolbarButton><b index=\"0\" ImageName=\"x\"></U>"));
    expectDefaultWorkParam(config.workParam);
    expectDefaultUi(config.ui);
}

TEST_F(ConfigRead, ColoursComposeRedInTheLowByte)
{
    ASSERT_TRUE(loadUi("<AnyRoot><BackgroundColor>"
                       "<view r=\"255\" g=\"0\" b=\"0\"/>"
                       "<toolbar r=\"0x10\" g=\"0x20\" b=\"0x30\"/>"
                       "<statusbar r=\"257\" g=\"-1\" b=\"2\"/>"
                       "<unknown r=\"1\" g=\"1\" b=\"1\"/>"
                       "</BackgroundColor></AnyRoot>"));
    EXPECT_EQ(config.ui.viewColor, 255u);
    EXPECT_EQ(config.ui.toolbarColor, 0x302010u);
    EXPECT_EQ(config.ui.statusbarColor, 0x02FF01u) << "each part taken to its low 8 bits";
}

TEST_F(ConfigRead, ColourWithoutAllThreePartsKeepsItsValue)
{
    ASSERT_TRUE(loadUi("<U><BackgroundColor>"
                       "<view r=\"255\" g=\"0\"/>"
                       "<toolbar r=\"1\" g=\"2\" b=\"3\"/>"
                       "</BackgroundColor>"
                       "<backgroundcolor><statusbar r=\"9\" g=\"9\" b=\"9\"/></backgroundcolor>"
                       "<BackgroundColor r=\"5\" g=\"5\" b=\"5\"/>"
                       "</U>"));
    EXPECT_EQ(config.ui.viewColor, 0xC0C0C0u);
    EXPECT_EQ(config.ui.toolbarColor, 0x030201u);
    EXPECT_EQ(config.ui.statusbarColor, 0x319500u);
}

TEST_F(ConfigRead, ToolbarButtonsByIndexInRange)
{
    ASSERT_TRUE(loadUi("<U><ToolbarButton>"
                       "<Button index=\"0\" ImageName=\"a.bmp\" TipName=\"甲\"/>"
                       "<Anything index=\"6\" ImageName=\"g.bmp\"/>"
                       "<Button index=\"7\" ImageName=\"no.bmp\" TipName=\"no\"/>"
                       "<Button index=\"-1\" ImageName=\"no.bmp\" TipName=\"no\"/>"
                       "<Button ImageName=\"noindex.bmp\" TipName=\"no\"/>"
                       "<Button index=\"3\" TipName=\"丁\"/>"
                       "</ToolbarButton>"
                       "<ToolbarButton><Button index=\"0\" TipName=\"later\"/></ToolbarButton>"
                       "</U>"));
    std::vector<std::string> images(7, "param_setting_1.bmp");
    images[0] = "a.bmp";
    images[6] = "g.bmp";
    std::vector<std::string> tips = kDefaultTips;
    tips[0] = "later";
    tips[3] = "丁";
    EXPECT_EQ(config.ui.buttonImages, images);
    EXPECT_EQ(config.ui.buttonTips, tips);
}

TEST_F(ConfigRead, ReloadingReadsOverCurrentValues)
{
    ASSERT_TRUE(loadWork("<W><DB ip=\"1.1.1.1\"/></W>"));
    ASSERT_TRUE(loadWork("<W><DB user=\"x\"/></W>"));
    EXPECT_EQ(config.workParam.dbIp, "1.1.1.1");
    EXPECT_EQ(config.workParam.dbUser, "x");
}

TEST_F(ConfigRead, ShippedFilesGiveTheirValues)
{
    const char* source = std::getenv("QUORVEL_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "QUORVEL_SOURCE_DIR is set by ctest";
    std::string dirPath = std::string(source) + "/client/res/config/";
    ASSERT_TRUE(Config::loadFile(dirPath + "UIConfig.xml", config.ui));
    ASSERT_TRUE(Config::loadFile(dirPath + "WorkParam.xml", config.workParam));
    EXPECT_EQ(config.ui.buttonImages,
              (std::vector<std::string>{"realtime.bmp", "history.bmp", "statistics.bmp", "about.bmp",
                                        "exit.bmp", "debug.bmp", "datapoint.bmp"}));
    // The frame gives the About and Exit buttons entries 3 and 4.
    EXPECT_EQ(config.ui.buttonTips,
              (std::vector<std::string>{"实时监测", "历史数据", "数据统计", "关于", "退出", "调试串口", "数据点维护"}));
    EXPECT_EQ(config.ui.viewColor, 0xC0C0C0u);
    EXPECT_EQ(config.ui.toolbarColor, 0x319500u);
    EXPECT_EQ(config.ui.statusbarColor, 0x319500u);
    expectDefaultWorkParam(config.workParam);

    // Both are byte for byte what the writer itself produces.
    for (const char* name : {"UIConfig.xml", "WorkParam.xml"}) {
        xandril::CSEM2XML xml;
        xandril::CElement* tree = xml.ParseFile((dirPath + name).c_str());
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(xml.WriteFile(tree, dir.file(name).c_str()));
        EXPECT_EQ(readBytes(dir.file(name)), readBytes(dirPath + name)) << name;
        xandril::CSEM2XML::destroyElement(tree);
    }
}

TEST(ConfigSingleton, OneInstanceUntilDeleted)
{
    Config* first = Singleton<Config>::getInstance();
    EXPECT_EQ(Singleton<Config>::getInstance(), first);
    EXPECT_EQ(Config::getInstance(), first);
    first->workParam.dbPort = 1;
    Singleton<Config>::destroyInstance();
    Config* second = Singleton<Config>::getInstance();
    EXPECT_EQ(second->workParam.dbPort, 3306) << "a new instance starts from the defaults";
    Singleton<Config>::destroyInstance();
}

TEST(ModuleDir, IsTheRunningProgramsFolder)
{
    ASSERT_TRUE(initModuleDir());
    std::string dir = g_moduleDir;
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '/');
    EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").parent_path().string(), dir);
}
