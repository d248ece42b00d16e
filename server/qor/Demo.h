#pragma once

// Building a QOR database: the schema with its views and rights triggers, the demo
// faculty, and the bootstrap file the client signs in with.

#include <string>

namespace server::qor {

// The fixed logins of the demo database. Every teacher login has the password
// demoPassword; each works under a server login of its own.
namespace demo {
inline constexpr const char* bootLogin = "qor_boot";
inline constexpr const char* bootPassword = "Qb2026boot";
inline constexpr const char* password = "demo2026";
inline constexpr const char* mainTeacher = "a.ivanova";      // groups, streams, every kind
inline constexpr const char* expiredTeacher = "b.sultanov";  // must change the password
inline constexpr const char* dueTeacher = "k.nurlanova";     // is asked to change it
inline constexpr const char* blockedLogin = "d.omarov";      // blocked
// The server logins GET_USER hands out for those four, with their passwords.
struct ServerLogin {
    const char* login;
    const char* serverLogin;
    const char* serverPassword;
};
inline constexpr ServerLogin serverLogins[] = {
    {"a.ivanova", "qor28_ivanova", "Iv26kafIS"},
    {"b.sultanov", "qor28_sultanov", "Sb26kafIS"},
    {"k.nurlanova", "qor28_nurlanova", "Nk26kafVT"},
    {"d.omarov", "qor28_omarov", "Od26kafVT"},
};
}  // namespace demo

// The academic year under way, by the calendar year it began in (it begins in
// September). The demo's years have the id of that number less 2000.
int currentAcademicYear();

// Creates the demo database FILE (which must not exist) and writes the bootstrap file
// Data/QOR beside it, naming FILE by its file name as the data source. Throws
// server::Error with the reason; a failed build leaves no database file behind.
void createDemo(const std::string& path);

// Writes the 84-byte bootstrap file: four values of at most 20 bytes, each byte stored
// one code lower. Throws server::Error for a value longer than 20 bytes.
void writeBootstrap(const std::string& file, const std::string& login, const std::string& password,
                    const std::string& dataSource, const std::string& catalog);

// Each byte one code lower (255 for 0): how the bootstrap file and GET_USER store texts.
std::string shiftDown(const std::string& text);

}  // namespace server::qor
