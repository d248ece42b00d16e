#pragma once

// The demo database built afresh in a temporary folder per test, with engines signed in
// as the client signs in: bootstrap login, GET_USER, then the server login it returns.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Engine.h"
#include "tests/support/ResultText.h"

namespace qortest {

using testsupport::cellText;
using testsupport::columnNames;
using testsupport::rowTexts;

// MD5 of the demo password "demo2026", as the client sends it.
inline constexpr const char* demoDigest = "155F06B993E3E522EEEF5DD556460C96";

// The user check the sign-in window sends, without a password change.
std::string getUserCall(const std::string& login, const std::string& digest,
                        const std::string& newArg = "NULL");

// The values of one column.
std::vector<std::string> column(const values::ResultSet& rs, const std::string& name);

// Each byte one code higher: how the client reads the bootstrap file and GET_USER.
std::string shiftUp(const std::string& s);

class DemoTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Signs in like the client and returns the working engine of that teacher.
    std::unique_ptr<server::Engine> signIn(const std::string& login);
    // The bootstrap engine (technical login from Data/QOR).
    std::unique_ptr<server::Engine> boot();

    // Runs a batch on the main demo teacher's engine and returns its last result set.
    values::ResultSet rows(const std::string& batch);
    std::string errorOf(server::Engine& engine, const std::string& batch);

    std::filesystem::path dir_;
    std::string path_;
    std::unique_ptr<server::Engine> ivanova_;
    int year_ = 0;  // id of the current academic year
};

}  // namespace qortest
