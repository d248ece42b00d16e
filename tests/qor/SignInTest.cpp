// Signing in against the demo database: the bootstrap file, the user check for each
// state of a login, and the password change.

#include <fstream>
#include <random>

#include "Demo.h"
#include "QorFixture.h"
#include "tests/support/ThrowMessage.h"

namespace qortest {
namespace {

TEST_F(DemoTest, BootstrapFileHoldsTheTechnicalLoginOneCodeLower) {
    std::ifstream in(dir_ / "Data" / "QOR", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 84u);
    auto value = [&](std::size_t at, std::size_t lengthAt) {
        return bytes.substr(at, static_cast<unsigned char>(bytes[lengthAt]));
    };
    EXPECT_EQ(value(0, 40), "pnq^anns");  // qor_boot, each byte one lower
    EXPECT_EQ(shiftUp(value(0, 40)), "qor_boot");
    EXPECT_EQ(shiftUp(value(42, 82)), "qor.db");
    EXPECT_EQ(shiftUp(value(62, 83)), "QOR");
    EXPECT_EQ(shiftUp(value(20, 41)), server::qor::demo::bootPassword);
    EXPECT_EQ(boot()->login(), "qor_boot");
}

TEST(Bootstrap, ValuesOver20BytesAreRefusedAndByte0IsStoredAs255) {
    auto file = std::filesystem::temp_directory_path() /
                ("qor28_bootstrap_" + std::to_string(std::random_device{}())) / "QOR";
    server::qor::writeBootstrap(file.string(), std::string("a\0", 2), "pw", "db", "QOR");
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 84u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 255);
    EXPECT_EQ(bytes[40], 2);
    EXPECT_THROW_MSG(
        server::qor::writeBootstrap(file.string(), "l", "p", std::string(21, 'x'), "QOR"),
        server::Error,
        "Значение «источник данных» длиннее 20 байт и не помещается в файл Data/QOR: " +
            std::string(21, 'x'));
    std::filesystem::remove_all(file.parent_path());
}

struct LoginCase {
    const char* login;
    const char* digest;
    int minState, maxState;  // password state range
    const char* message;
};

TEST_F(DemoTest, UserCheckAnswersEachLoginState) {
    const LoginCase cases[] = {
        {"a.ivanova", demoDigest, 20, 90, ""},
        {"A.Ivanova", demoDigest, 20, 90, ""},      // logins ignore letter case
        {"b.sultanov", demoDigest, -1000, -1, ""},  // expired: must change
        {"k.nurlanova", demoDigest, 0, 19, ""},     // due: asked to change
        {"d.omarov", demoDigest, 0, 0,
         "Учётная запись заблокирована. Обратитесь к администратору системы QOR."},
        {"nobody", demoDigest, 0, 0, "Неверный логин или пароль."},
        {"a.ivanova", "807571BD186321775FB2FBCDC0AF28C7", 0, 0, "Неверный логин или пароль."},
    };
    auto engine = boot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.login);
        auto r = engine->execute(getUserCall(c.login, c.digest));
        ASSERT_EQ(r.resultSets.size(), 1u);
        const auto& rs = r.resultSets[0];
        ASSERT_EQ(rs.columns.size(), 6u);
        ASSERT_EQ(rs.rows.size(), 1u);
        const auto& row = rs.rows[0];
        EXPECT_EQ(cellText(row[4]), c.message);
        EXPECT_EQ(cellText(row[5]), "29");
        std::int64_t state = std::get<std::int64_t>(row[3]);
        EXPECT_GE(state, c.minState);
        EXPECT_LE(state, c.maxState);
        if (*c.message) {
            EXPECT_EQ(cellText(row[0]), "");
            EXPECT_EQ(cellText(row[2]), "0");
            continue;
        }
        // the working login comes one code lower and opens the server
        auto working =
            server::Engine::open(path_, shiftUp(cellText(row[0])), shiftUp(cellText(row[1])));
        auto id = working->execute("select TOP 1 id_teacher from QORTeacher where id_qor_login = " +
                                   cellText(row[2]));
        EXPECT_EQ(id.resultSets[0].rows.size(), 1u);
    }
    // every attempt is written down: two of the demo's history, the fixture's sign-in, ours
    auto log = engine->execute("SELECT COUNT(*) FROM QOR_LoginLog WHERE program = 'QOR 28'");
    EXPECT_EQ(cellText(log.resultSets[0].rows[0][0]), std::to_string(3 + std::size(cases)));
    auto last = engine->execute(
        "SELECT TOP 1 outcome, ip, comp FROM QOR_LoginLog ORDER BY id_login_log DESC");
    EXPECT_EQ(rowTexts(last.resultSets[0]),
              std::vector<std::string>{"Неверный логин или пароль.|10.10.5.23|KAF-IS-03"});
}

TEST_F(DemoTest, PasswordChangeReplacesTheDigestAndRenewsTheState) {
    auto engine = boot();
    const std::string newDigest = "13D94D82782B85462119FFFBCD5A9E89";  // newpass2027
    // refused changes keep the old password
    for (auto [arg, message] :
         {std::pair{std::string("'") + demoDigest + "'",
                    "Новый пароль должен отличаться от прежнего."},
          std::pair{std::string("'xyz'"), "Новый пароль передан в неверном виде."}}) {
        auto r = engine->execute(getUserCall("b.sultanov", demoDigest, arg));
        EXPECT_EQ(cellText(r.resultSets[0].rows[0][4]), message);
    }
    auto before = engine->execute(getUserCall("b.sultanov", demoDigest));
    EXPECT_LT(std::get<std::int64_t>(before.resultSets[0].rows[0][3]), 0);

    auto changed = engine->execute(getUserCall("b.sultanov", demoDigest, "'" + newDigest + "'"));
    const auto& row = changed.resultSets[0].rows[0];
    EXPECT_EQ(cellText(row[4]), "");
    EXPECT_EQ(cellText(row[3]), "90");
    EXPECT_EQ(
        cellText(engine->execute(getUserCall("b.sultanov", demoDigest)).resultSets[0].rows[0][4]),
        "Неверный логин или пароль.");
    EXPECT_EQ(
        cellText(engine->execute(getUserCall("b.sultanov", newDigest)).resultSets[0].rows[0][3]),
        "90");
}

TEST_F(DemoTest, NewestVersionComesFromTheSettingsRow) {
    auto engine = boot();
    auto version = [&] {
        return cellText(
            engine->execute(getUserCall("a.ivanova", demoDigest)).resultSets[0].rows[0][5]);
    };
    engine->execute("UPDATE VuzDefaults SET id_field = 30 WHERE id_vuz_defaults = 40");
    EXPECT_EQ(version(), "30");
    engine->execute("DELETE FROM VuzDefaults WHERE id_vuz_defaults = 40");
    EXPECT_EQ(version(), "29");
}

}  // namespace
}  // namespace qortest

namespace qortest {
namespace {

// The contract's procedures, functions and views belong to QOR databases: a database of
// another kind opened in the same process answers a call of one as an unknown object,
// as a server without them would, instead of running it on tables it lacks.
TEST_F(DemoTest, AnotherDatabaseOffersNoneOfTheContractsObjects) {
    const std::string other = (dir_ / "other.db").string();
    server::Engine::create(other, "qor_boot", "boot_pw");
    auto engine = server::Engine::open(other, "qor_boot", "boot_pw");
    EXPECT_EQ(errorOf(*engine, "EXEC GET_USER 'a.ivanova', 'x', NULL, 'QOR 28', '', '', '', 0, 0"),
              "Could not find stored procedure 'GET_USER'.");
    EXPECT_EQ(errorOf(*engine, "SELECT * FROM TF_GetEstConfig(101, 1)"),
              "Invalid object name 'TF_GetEstConfig'.");
    // the demo database beside it still has them
    EXPECT_EQ(errorOf(*boot(), "SELECT * FROM TF_GetEstConfig(101, 1)"), "(no error)");
}

}  // namespace
}  // namespace qortest
