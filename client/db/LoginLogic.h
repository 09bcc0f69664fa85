#pragma once
// The decisions of the login dialog, free of windows: connecting, checking
// the user and password, and changing the password. The dialog shows
// messageText(status) in a message box where a status calls for one.
//
// User names and passwords are compared as the database holds them (GBK
// bytes): the dialog converts its text with utf8ToGbk before calling.
#include <functional>
#include <string>

class EMUser;

enum class LoginStatus {
    LoggedIn,              // close the dialog with OK
    ConnectFailed,         // "连接服务器失败，请检查配置！"
    UnknownUser,           // "该用户不存在！"
    WrongPassword,         // "密码不正确！"
    WrongOldPassword,      // "旧密码不正确！"
    OldPasswordAccepted,   // ask for the new password
    EmptyNewPassword,      // "密码不可以位空，修改无效！"
    PasswordChanged,       // "修改成功，将使用新密码登陆！"
    PasswordChangeFailed,  // "修改密码失败，请稍后再试！" (old password stays)
};

// The message box text of a status (UTF-8), or nullptr when it shows none.
const char* messageText(LoginStatus status);

class LoginLogic {
public:
    // openDb opens the pool and loads the caches (openDatabase, Database.h).
    explicit LoginLogic(std::function<bool()> openDb);

    bool connected() const { return connected_; }
    // connected = openDb(); ConnectFailed or LoggedIn (meaning: connected).
    LoginStatus connect();

    // Log in: connects first when not connected, then checks the user and
    // the password (exact, byte-wise). The user found is kept in user().
    LoginStatus logIn(const std::string& userName, const std::string& password);

    // Change password, first step (on the caches only): UnknownUser,
    // WrongOldPassword or OldPasswordAccepted (user() is then set).
    LoginStatus checkOldPassword(const std::string& userName, const std::string& password);
    // Second step, with the text of the input box: EmptyNewPassword,
    // PasswordChanged or PasswordChangeFailed (the cached password is then
    // the old one again). After any of the three the dialog logs the user in.
    LoginStatus applyNewPassword(const std::string& newPassword);

    EMUser* user() const { return user_; }

private:
    std::function<bool()> openDb_;
    bool connected_ = false;
    EMUser* user_ = nullptr;
};
