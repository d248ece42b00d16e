#pragma once

// A small QOR-shaped database for the server tests: the tables and columns the client's
// statements name, a few rows each, and test versions of the procedures and the table
// function, all in a temporary folder of its own per test.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Engine.h"
#include "Registry.h"
#include "tests/support/ResultText.h"

namespace servertest {

using testsupport::cellText;
using testsupport::columnNames;
using testsupport::rowTexts;

// A folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The academic year numbers of the fixture are relative to this year.
int currentYear();

class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    values::BatchResult run(const std::string& batch, std::vector<values::Value> params = {});
    // Runs the batch and returns its only result set.
    values::ResultSet rows(const std::string& batch, std::vector<values::Value> params = {});
    std::string errorOf(const std::string& batch, std::vector<values::Value> params = {});

    TempDir dir_;
    std::string path_;
    std::unique_ptr<server::Engine> engine_;
};

// The fixture schema and rows as a T-SQL batch.
std::string fixtureSchema();
// Registers the test procedures and the table function on an engine.
void registerFixtureObjects(server::Engine& engine);

}  // namespace servertest
