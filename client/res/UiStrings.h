#pragma once
// Fixed texts of the start-up, login and parameter dialogs (the string
// table). Wide literals, so no locale decides how they are read.
namespace uistr {

inline constexpr const wchar_t* kAppName = L"Quorvel_Client";
inline constexpr const wchar_t* kAppTitle = L"Quorvel_Client(Version1.12)";

// Start-up
inline constexpr const wchar_t* kAlreadyRunning = L"该进程已经启动";
inline constexpr const wchar_t* kErrorCaption = L"错误";
inline constexpr const wchar_t* kEditMenuName = L"编辑";  // string 306

// About box (resource 100)
inline constexpr const wchar_t* kAboutTitle = L"关于 Quorvel_Client";
inline constexpr const wchar_t* kAboutText = L"Quorvel_Client(Version1.12)";

// Common buttons
inline constexpr const wchar_t* kOk = L"确定";
inline constexpr const wchar_t* kCancel = L"取消";

// Login dialog (resource 314)
inline constexpr const wchar_t* kLoginTitle = L"用户登录";
inline constexpr const wchar_t* kLabelServer = L"IP地址";
inline constexpr const wchar_t* kLabelUser = L"用户名";
inline constexpr const wchar_t* kLabelPassword = L"密码";
inline constexpr const wchar_t* kBtnChangePassword = L"修改密码";
inline constexpr const wchar_t* kBtnLogin = L"确认";
inline constexpr const wchar_t* kBtnCancel = L"取消";
inline constexpr const wchar_t* kBtnCommParam = L"修改通讯";
inline constexpr const wchar_t* kConnectFailed = L"连接服务器失败，请检查配置！";

// Input box (resource 318)
inline constexpr const wchar_t* kInputTitle = L"输入框";
inline constexpr const wchar_t* kInputPrompt = L"请输入新密码！";

// Remote communication parameters (resource 332)
inline constexpr const wchar_t* kParamTitle = L"远程通讯参数";
inline constexpr const wchar_t* kGroupDb = L"数据库服务器";
inline constexpr const wchar_t* kGroupMqtt = L"MQTT服务器";
inline constexpr const wchar_t* kLabelAddress = L"IP地址";
inline constexpr const wchar_t* kLabelPort = L"端口号";
inline constexpr const wchar_t* kLabelDbName = L"库名称";
// Integer field validation
inline constexpr const wchar_t* kNeedInteger = L"请输入一个整数。";
inline constexpr const wchar_t* kNeedPortRange = L"请输入一个介于 1 和 65535 之间的整数。";

}  // namespace uistr
