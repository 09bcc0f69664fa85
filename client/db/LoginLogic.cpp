#include "db/LoginLogic.h"

#include "db/EMUser.h"

const char* messageText(LoginStatus status)
{
    switch (status) {
    case LoginStatus::ConnectFailed: return "连接服务器失败，请检查配置！";
    case LoginStatus::UnknownUser: return "该用户不存在！";
    case LoginStatus::WrongPassword: return "密码不正确！";
    case LoginStatus::WrongOldPassword: return "旧密码不正确！";
    case LoginStatus::EmptyNewPassword: return "密码不可以位空，修改无效！";
    case LoginStatus::PasswordChanged: return "修改成功，将使用新密码登陆！";
    case LoginStatus::PasswordChangeFailed: return "修改密码失败，请稍后再试！";
    case LoginStatus::LoggedIn:
    case LoginStatus::OldPasswordAccepted: return nullptr;
    }
    return nullptr;
}

LoginLogic::LoginLogic(std::function<bool()> openDb) : openDb_(std::move(openDb)) {}

LoginStatus LoginLogic::connect()
{
    connected_ = openDb_();
    return connected_ ? LoginStatus::LoggedIn : LoginStatus::ConnectFailed;
}

LoginStatus LoginLogic::logIn(const std::string& userName, const std::string& password)
{
    if (!connected_ && connect() == LoginStatus::ConnectFailed)
        return LoginStatus::ConnectFailed;
    user_ = EMUser::getByLoginName(userName);
    if (!user_)
        return LoginStatus::UnknownUser;
    if (password != user_->password)
        return LoginStatus::WrongPassword;
    return LoginStatus::LoggedIn;
}

LoginStatus LoginLogic::checkOldPassword(const std::string& userName, const std::string& password)
{
    user_ = EMUser::getByLoginName(userName);
    if (!user_)
        return LoginStatus::UnknownUser;
    if (password != user_->password)
        return LoginStatus::WrongOldPassword;
    return LoginStatus::OldPasswordAccepted;
}

LoginStatus LoginLogic::applyNewPassword(const std::string& newPassword)
{
    if (!user_)
        return LoginStatus::UnknownUser;
    if (newPassword.empty())
        return LoginStatus::EmptyNewPassword;
    std::string oldPassword = user_->password;
    user_->password = newPassword;
    if (!user_->updatePassword()) {
        // The database still holds the old password: so must the cache.
        user_->password = oldPassword;
        return LoginStatus::PasswordChangeFailed;
    }
    return LoginStatus::PasswordChanged;
}
