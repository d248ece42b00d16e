#pragma once

// The demo faculty built afresh in a temporary folder per test, a connection as the
// main demo teacher, the grade and kind ids read from its tables as sign-in reads them,
// and helpers for rules and mark rows of the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/GradingIds.h"
#include "db/Connection.h"
#include "db/Dataset.h"

namespace rulestest {

class RulesDemo : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The id of a grade by its short name in table estimation ("хор", " н/п", …).
    std::int64_t grade(const std::string& shortName);
    // Adds a rule row for the ordinary sheet form.
    void addRuleRow(int rule, int order, const std::string& pole, const std::string& formula,
                    double max = 0);
    void addBand(int rule, std::int64_t gradeId, double lower, double upper);
    // Opens ds over the ordinary-form rows of a rule, in the order the sheet reads them.
    void openRule(db::Dataset& ds, int rule);

    std::filesystem::path dir_;
    db::Connection conn;
    data::GradingIds ids;
};

}  // namespace rulestest
