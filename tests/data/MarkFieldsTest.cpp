#include <gtest/gtest.h>

#include <string>

#include "data/MarkFields.h"
#include "server/qor/ModulFields.h"

namespace {

// The client and the embedded server number the control points alike: the server's
// rights, its LoadModulsInfo rows and its copy of marks into a re-examination sheet go by
// the same id_modul that the client's columns and formulas read.
TEST(MarkFields, TheServerNumbersTheControlPointsAsTheClientDoes) {
    ASSERT_EQ(server::qor::kModulCount, data::kControlPointCount);
    for (int i = 0; i < data::kControlPointCount; ++i)
        EXPECT_EQ(std::string(server::qor::kModulFields[i]), std::string(data::kMarkFields[i]))
            << "control point " << i + 1;
    EXPECT_STREQ(data::markFieldOf(1), "m1");
    EXPECT_STREQ(data::markFieldOf(12), "m12");
    EXPECT_STREQ(data::markFieldOf(13), "dop");
    EXPECT_STREQ(data::markFieldOf(14), "dop2");
}

}  // namespace
