#pragma once
// Users, table em_user.
#include <map>
#include <string>

class EMUser {
public:
    virtual ~EMUser() = default;

    std::string id;
    std::string name;
    std::string address;
    std::string phone;
    std::string loginName;
    std::string password = "51730946";  // plain text, as stored
    std::string role;                   // role id (EMRole)

    static bool createAll();
    static void releaseAll();
    // First user in id order whose login name equals the text byte for byte.
    static EMUser* getByLoginName(const std::string& loginName);
    static const std::map<std::string, EMUser*>& all();

    // Writes the record back (by id). False on failure, which is logged.
    bool update();
    // Writes the password alone (by id): all the client's own database
    // account may change in em_user. False on failure, which is logged.
    bool updatePassword();
};
