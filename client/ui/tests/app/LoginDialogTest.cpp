// The login dialog against the real MariaDB (a fresh seeded database per
// test), run modally inside the test process with scripted message boxes.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <soci/soci.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "TcpForwarder.h"
#include "quorvel_test/FileSizeLimit.h"
#include "TestDatabase.h"
#include "WxTestSupport.h"
#include "app/Config.h"
#include "db/ConnectionPool.h"
#include "db/EMUser.h"
#include "db/LoginLogic.h"
#include "res/ResourceIds.h"
#include "ui/DlgInput.h"
#include "ui/DlgLogin.h"
#include "ui/DlgRemoteCommParam.h"
#include "ui/UiText.h"

namespace {

wxString Msg(LoginStatus s) { return quorvel::ui::utf8ToUi(messageText(s)); }

class LoginDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("quorvel_login_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        Config::destroyInstance();  // fresh defaults
        Config* config = Config::getInstance();
        config->workParamPath = (dir_ / "WorkParam.xml").string();
        // The configured server is the services' MariaDB with this test's database.
        ConfigWorkParam& wp = config->workParam;
        wp.dbIp = TestDatabase::requireEnv("QUORVEL_DB_HOST");
        wp.dbPort = static_cast<std::uint16_t>(std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
        wp.dbUser = TestDatabase::requireEnv("QUORVEL_DB_CLIENT_USER");
        wp.dbPassword = TestDatabase::requireEnv("QUORVEL_DB_CLIENT_PASSWORD");
        wp.dbName = db_.name();
    }
    void TearDown() override {
        Config::destroyInstance();
        std::filesystem::remove_all(dir_);
    }
    static void Type(wxDialog* d, int id, const wxString& text) {
        auto* e = wxDynamicCast(d->FindWindow(id), wxTextCtrl);
        ASSERT_NE(e, nullptr);
        e->SetValue(text);
    }
    static std::string ReadFile(const std::filesystem::path& p) {
        std::ifstream in(p);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string StoredPassword(const std::string& id) {
        auto sql = db_.openSession();
        std::string pwd;
        *sql << "select password from em_user where id=:id", soci::use(id), soci::into(pwd);
        return pwd;
    }

    TestDatabase db_{{.seed = true}};
    std::filesystem::path dir_;
};

TEST_F(LoginDialogTest, ServerDownFailsBeforeTheDialogEnterRetriesAndLogsInOnceItIsUp) {
    TcpForwarder server(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                        std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    Config::getInstance()->workParam.dbPort = static_cast<std::uint16_t>(server.port());

    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    dialogs.Then([&](wxDialog* box) {
        EXPECT_FALSE(login.IsShown()) << "the failure message comes before the dialog";
        EXPECT_EQ(dynamic_cast<wxMessageDialog*>(box)->GetMessage(), wxString(L"连接服务器失败，请检查配置！"));
        return wxID_OK;
    });
    dialogs.ThenRun([&](wxDialog* d) {
        EXPECT_EQ(d, &login);
        EXPECT_EQ(login.GetTitle(), wxString(L"用户登录"));
        EXPECT_EQ(login.ServerEdit()->GetValue(), wxS("127.0.0.1"));
        EXPECT_FALSE(login.ServerEdit()->IsEditable());
        // Read-only, so drawn as a static text: yellow on the view colour.
        EXPECT_EQ(login.ServerEdit()->GetForegroundColour(), wxColour(255, 255, 0));
        EXPECT_EQ(login.ServerEdit()->GetBackgroundColour(), wxColour(192, 192, 192));
        const auto yellowPixels = [](const wxImage& img) {
            int n = 0;
            for (int y = 0; y < img.GetHeight(); ++y)
                for (int x = 0; x < img.GetWidth(); ++x)
                    n += img.GetRed(x, y) > 200 && img.GetGreen(x, y) > 200 && img.GetBlue(x, y) < 80;
            return n;
        };
        EXPECT_GT(yellowPixels(wxtest::GrabWhen(login.ServerEdit(),
                                                [&](const wxImage& i) { return yellowPixels(i) > 10; })),
                  10)
            << "the address is not drawn in yellow";
        EXPECT_TRUE(login.PasswordEdit()->HasFlag(wxTE_PASSWORD));
        Type(d, res::IDC_EDIT_USER, wxS("admin"));
        Type(d, res::IDC_EDIT_PASSWORD, wxS("admin123"));
        wxtest::SaveShot(d, "login_dialog");
        wxtest::PressKey(login.UserEdit(), WXK_RETURN);  // still down: the message again
        EXPECT_TRUE(login.IsModal());
        EXPECT_FALSE(login.IsConnected());
        server.start();
        wxtest::PressKey(login.PasswordEdit(), WXK_RETURN);
    });
    dialogs.ThenMessage(wxString(L"连接服务器失败，请检查配置！"));
    EXPECT_EQ(login.ShowModal(), wxID_OK);
    EXPECT_TRUE(login.IsConnected());
    ASSERT_NE(login.SelectedUser(), nullptr);
    EXPECT_EQ(login.SelectedUser()->id, "u1");
}

// A server that accepts and never answers (a firewall dropping packets):
// the failure message comes within the connect time-out plus a second, and
// once the server answers again Enter logs in.
TEST_F(LoginDialogTest, BlackHoledServerFailsWithinTheConnectTimeoutThenLogsInOnceItAnswers) {
    TcpForwarder server(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                        std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    server.blackHole();
    server.start();
    ConfigWorkParam& wp = Config::getInstance()->workParam;
    wp.dbPort = static_cast<std::uint16_t>(server.port());
    wp.dbTimeouts.connectSeconds = 2;

    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    const auto t0 = std::chrono::steady_clock::now();
    double failedAfter = -1;
    dialogs.Then([&](wxDialog* box) {
        failedAfter = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_EQ(dynamic_cast<wxMessageDialog*>(box)->GetMessage(), Msg(LoginStatus::ConnectFailed));
        return wxID_OK;
    });
    dialogs.ThenRun([&](wxDialog*) {
        Type(&login, res::IDC_EDIT_USER, wxS("admin"));
        Type(&login, res::IDC_EDIT_PASSWORD, wxS("admin123"));
        server.pass();
        wxtest::PressKey(login.PasswordEdit(), WXK_RETURN);
    });
    EXPECT_EQ(login.ShowModal(), wxID_OK);
    RecordProperty("blackholed_login_failure_s", std::to_string(failedAfter));
    EXPECT_GE(failedAfter, 1.5) << "it did wait for the connection";
    EXPECT_LT(failedAfter, 2 + 1.0) << "connect time-out 2 s";
    EXPECT_TRUE(login.IsConnected());
    ASSERT_NE(login.SelectedUser(), nullptr);
    EXPECT_EQ(login.SelectedUser()->id, "u1");
}

TEST_F(LoginDialogTest, UnknownUserWrongPasswordAndEscapeKeepItOpenCancelEndsIt) {
    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    dialogs.ThenRun([&](wxDialog* d) {
        EXPECT_TRUE(login.IsConnected());
        Type(d, res::IDC_EDIT_USER, wxS("Admin"));  // login names are case-sensitive
        Type(d, res::IDC_EDIT_PASSWORD, wxS("admin123"));
        wxtest::ClickId(d, res::IDC_BTN_LOGIN);
        Type(d, res::IDC_EDIT_USER, wxS("admin"));
        Type(d, res::IDC_EDIT_PASSWORD, wxS("ADMIN123"));
        wxtest::PressKey(login.PasswordEdit(), WXK_RETURN);
        wxtest::PressKey(login.PasswordEdit(), WXK_ESCAPE);
        wxtest::Pump(100);
        EXPECT_TRUE(login.IsModal()) << "Escape does not close the login dialog";
        EXPECT_EQ(login.SelectedUser(), nullptr);
        wxtest::ClickId(d, res::IDC_BTN_CANCEL);
    });
    dialogs.ThenMessage(wxString(L"该用户不存在！"));
    dialogs.ThenMessage(wxString(L"密码不正确！"));
    EXPECT_EQ(login.ShowModal(), wxID_CANCEL);
    EXPECT_EQ(Msg(LoginStatus::UnknownUser), wxString(L"该用户不存在！"));
    EXPECT_EQ(Msg(LoginStatus::WrongPassword), wxString(L"密码不正确！"));
}

TEST_F(LoginDialogTest, TheCloseBoxCancelsLikeTheCancelButton) {
    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    dialogs.ThenRun([&](wxDialog* d) { d->Close(); });
    EXPECT_EQ(login.ShowModal(), wxID_CANCEL);
    EXPECT_EQ(login.SelectedUser(), nullptr);
}

TEST_F(LoginDialogTest, EmptyStoredPasswordLogsInWithAnEmptyField) {
    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    dialogs.ThenRun([&](wxDialog* d) {
        Type(d, res::IDC_EDIT_USER, wxS("guest"));
        wxtest::ClickId(d, res::IDC_BTN_LOGIN);
    });
    EXPECT_EQ(login.ShowModal(), wxID_OK);
    ASSERT_NE(login.SelectedUser(), nullptr);
    EXPECT_EQ(login.SelectedUser()->loginName, "guest");
}

TEST_F(LoginDialogTest, PasswordChangeWritesTheNewPasswordAndLogsIn) {
    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    dialogs.ThenRun([&](wxDialog* d) {
        Type(d, res::IDC_EDIT_USER, wxS("oper"));
        Type(d, res::IDC_EDIT_PASSWORD, wxS("wrong"));
        wxtest::ClickId(d, res::IDC_BTN_CHANGE_PASSWORD);
        EXPECT_TRUE(login.IsModal());
        Type(d, res::IDC_EDIT_PASSWORD, wxS("oper123"));
        wxtest::ClickId(d, res::IDC_BTN_CHANGE_PASSWORD);
    });
    dialogs.ThenMessage(wxString(L"旧密码不正确！"));
    dialogs.ThenRun([&](wxDialog* d) {
        auto* input = dynamic_cast<CDlgInput*>(d);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->GetTitle(), wxString(L"请输入新密码！"));
        input->Edit()->SetValue(L"新口令1");
        wxtest::ClickId(d, res::IDC_BTN_INPUT_OK);
    });
    dialogs.ThenMessage(wxString(L"修改成功，将使用新密码登陆！"));
    EXPECT_EQ(login.ShowModal(), wxID_OK);
    ASSERT_NE(login.SelectedUser(), nullptr);
    EXPECT_EQ(login.SelectedUser()->id, "u2");
    EXPECT_EQ(login.PasswordEdit()->GetValue(), wxString(L"新口令1"));
    EXPECT_EQ(StoredPassword("u2"), TestDatabase::gbk("新口令1")) << "written as GBK";
    EXPECT_EQ(Msg(LoginStatus::WrongOldPassword), wxString(L"旧密码不正确！"));
}

TEST_F(LoginDialogTest, PasswordChangeCancelledOrEmptyStillLogsInWithTheOldPassword) {
    {
        CDlgLogin login(nullptr);
        wxtest::ScriptedDialogs dialogs;
        dialogs.ThenRun([&](wxDialog* d) {
            Type(d, res::IDC_EDIT_USER, wxS("oper"));
            Type(d, res::IDC_EDIT_PASSWORD, wxS("oper123"));
            wxtest::ClickId(d, res::IDC_BTN_CHANGE_PASSWORD);
        });
        dialogs.Then([](wxDialog* d) {
            EXPECT_NE(dynamic_cast<CDlgInput*>(d), nullptr);
            return wxID_CANCEL;
        });
        EXPECT_EQ(login.ShowModal(), wxID_OK);
        EXPECT_EQ(login.SelectedUser()->password, "oper123");
    }
    {
        CDlgLogin login(nullptr);
        wxtest::ScriptedDialogs dialogs;
        dialogs.ThenRun([&](wxDialog* d) {
            Type(d, res::IDC_EDIT_USER, wxS("oper"));
            Type(d, res::IDC_EDIT_PASSWORD, wxS("oper123"));
            wxtest::ClickId(d, res::IDC_BTN_CHANGE_PASSWORD);
        });
        dialogs.ThenRun([](wxDialog* d) { wxtest::ClickId(d, res::IDC_BTN_INPUT_OK); });  // empty
        dialogs.ThenMessage(wxString(L"密码不可以位空，修改无效！"));
        EXPECT_EQ(login.ShowModal(), wxID_OK);
        EXPECT_EQ(login.SelectedUser()->password, "oper123");
    }
    EXPECT_EQ(StoredPassword("u2"), "oper123");
}

TEST_F(LoginDialogTest, AFailedPasswordUpdateSaysSoAndKeepsTheOldPassword) {
    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    dialogs.ThenRun([&](wxDialog* d) {
        // The caches are loaded; the table goes away so the update fails.
        db_.execute("drop table em_user");
        Type(d, res::IDC_EDIT_USER, wxS("oper"));
        Type(d, res::IDC_EDIT_PASSWORD, wxS("oper123"));
        wxtest::ClickId(d, res::IDC_BTN_CHANGE_PASSWORD);
    });
    dialogs.ThenRun([](wxDialog* d) {
        static_cast<CDlgInput*>(d)->Edit()->SetValue(wxS("next1"));
        wxtest::ClickId(d, res::IDC_BTN_INPUT_OK);
    });
    dialogs.Then([](wxDialog* box) {
        const wxString text = dynamic_cast<wxMessageDialog*>(box)->GetMessage();
        EXPECT_NE(text, wxString(L"修改成功，将使用新密码登陆！")) << "a failure is not a success";
        EXPECT_EQ(text, Msg(LoginStatus::PasswordChangeFailed));
        return wxID_OK;
    });
    EXPECT_EQ(login.ShowModal(), wxID_OK) << "a correct old password logs in";
    EXPECT_EQ(login.SelectedUser()->password, "oper123");
    EXPECT_EQ(login.PasswordEdit()->GetValue(), wxS("oper123"));
}

TEST_F(LoginDialogTest, ServerParametersAreWrittenAtOnceEvenWithoutADatabaseAndUsedForTheNextTry) {
    Config* config = Config::getInstance();
    const std::string realPort = TestDatabase::requireEnv("QUORVEL_DB_PORT");
    config->workParam.dbIp = "127.0.0.2";  // nothing listens there on that port
    config->workParam.dbPort = 1;
    ASSERT_FALSE(std::filesystem::exists(config->workParamPath));

    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    dialogs.ThenMessage(wxString(L"连接服务器失败，请检查配置！"));
    dialogs.ThenRun([&](wxDialog* d) {
        EXPECT_EQ(login.ServerEdit()->GetValue(), wxS("127.0.0.2"));
        wxtest::ClickId(d, res::IDC_BTN_COMM_PARAM);
        EXPECT_TRUE(std::filesystem::exists(config->workParamPath)) << "written at once";
        EXPECT_EQ(login.ServerEdit()->GetValue(), wxS("127.0.0.1"));
        EXPECT_FALSE(login.IsConnected());
        Type(d, res::IDC_EDIT_USER, wxS("admin"));
        Type(d, res::IDC_EDIT_PASSWORD, wxS("admin123"));
        wxtest::PressKey(login.UserEdit(), WXK_RETURN);
    });
    dialogs.ThenRun([&](wxDialog* d) {
        auto* param = dynamic_cast<CDlgRemoteCommParam*>(d);
        ASSERT_NE(param, nullptr);
        param->DbAddress()->Field(1)->SetValue(wxS("0"));
        param->DbAddress()->Field(3)->SetValue(wxS("1"));
        Type(d, res::IDC_EDIT_DB_PORT, wxString::FromUTF8(realPort));
        Type(d, res::IDC_EDIT_MQTT_USER, wxS("broker-user"));
        wxtest::ClickId(d, res::IDOK);
    });
    EXPECT_EQ(login.ShowModal(), wxID_OK);
    EXPECT_EQ(login.SelectedUser()->id, "u1");

    const std::string xml = ReadFile(config->workParamPath);
    EXPECT_NE(xml.find("<WorkParam"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<DB"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<mqtt"), std::string::npos) << xml;
    EXPECT_NE(xml.find("ip=\"127.0.0.1\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("port=\"" + realPort + "\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("user=\"broker-user\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("DBName=\"" + db_.name() + "\""), std::string::npos) << xml;
    // Read back through the configuration's own reader.
    ConfigWorkParam reread;
    ASSERT_TRUE(Config::loadFile(config->workParamPath, reread));
    EXPECT_EQ(reread.dbPort, std::stoi(realPort));
    EXPECT_EQ(reread.mqttUser, "broker-user");
}

// Saving the server parameters onto a full disk, or where no file can be
// made, says so; the old WorkParam.xml stays as it was.
TEST_F(LoginDialogTest, ServerParametersThatCannotBeSavedSaySoAndLeaveTheOldFile) {
    Config* config = Config::getInstance();
    ASSERT_TRUE(Config::saveFile(config->workParamPath, config->workParam));
    const std::string before = ReadFile(config->workParamPath);
    const wxString failure = quorvel::ui::utf8ToUi("通讯参数保存失败，配置文件未修改！\n");

    CDlgLogin login(nullptr);
    wxtest::ScriptedDialogs dialogs;
    std::unique_ptr<FileSizeLimit> fullDisk;
    auto setParams = [&](wxDialog* d) {
        auto* param = dynamic_cast<CDlgRemoteCommParam*>(d);
        ASSERT_NE(param, nullptr);
        Type(d, res::IDC_EDIT_MQTT_USER, wxS("a-broker-user-name-long-enough-to-need-more-room"));
        wxtest::ClickId(d, res::IDOK);
    };
    dialogs.ThenRun([&](wxDialog* d) {
        fullDisk = std::make_unique<FileSizeLimit>(64);
        wxtest::ClickId(d, res::IDC_BTN_COMM_PARAM);
        fullDisk.reset();
        EXPECT_EQ(ReadFile(config->workParamPath), before) << "the old file stays whole";
        // A place where no file can be made at all.
        config->workParamPath = "/proc/self/no-such-place/WorkParam.xml";
        wxtest::ClickId(d, res::IDC_BTN_COMM_PARAM);
        wxtest::ClickId(d, res::IDC_BTN_CANCEL);
    });
    dialogs.ThenRun(setParams);
    dialogs.Then([&](wxDialog* box) {
        fullDisk.reset();
        EXPECT_EQ(dynamic_cast<wxMessageDialog*>(box)->GetMessage(), failure + wxString::FromUTF8(
            (dir_ / "WorkParam.xml").string()));
        return wxID_OK;
    });
    dialogs.ThenRun(setParams);
    dialogs.Then([&](wxDialog* box) {
        EXPECT_EQ(dynamic_cast<wxMessageDialog*>(box)->GetMessage(),
                  failure + wxS("/proc/self/no-such-place/WorkParam.xml"));
        return wxID_OK;
    });
    EXPECT_EQ(login.ShowModal(), wxID_CANCEL);
    EXPECT_EQ(dialogs.Remaining(), 0u);
    EXPECT_EQ(ReadFile(dir_ / "WorkParam.xml"), before);
    EXPECT_EQ(config->workParam.mqttUser, "a-broker-user-name-long-enough-to-need-more-room")
        << "the values are taken for this run all the same";
}

}  // namespace
