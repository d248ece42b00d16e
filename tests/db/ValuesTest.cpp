// Reading values as the data module does: text, numbers, date-times, case folding.

#include <gtest/gtest.h>

#include "db/Error.h"
#include "db/Values.h"
#include "tests/support/ThrowMessage.h"

using db::Value;

namespace {

Value text(const char* s) {
    return Value(std::string(s));
}

TEST(Values, TextOfEachType) {
    struct Case {
        Value v;
        const char* text;
    } cases[] = {
        {Value(), ""},
        {Value(-42), "-42"},
        {Value(75.5), "75.5"},
        {Value(0.1), "0.1"},
        {Value(100.0), "100"},
        {text("д"), "д"},
        {Value(db::makeDateTime(2024, 9, 1)), "01.09.2024"},
        {Value(db::makeDateTime(1899, 12, 31, 23, 59, 58)), "31.12.1899 23:59:58"},
    };
    for (const Case& c : cases) EXPECT_EQ(db::toText(c.v), c.text);
}

TEST(Values, NumbersFromTextOrAClearError) {
    EXPECT_EQ(db::toInteger(text(" 12 ")), 12);
    EXPECT_EQ(db::toInteger(Value(2.5)), 3);
    EXPECT_EQ(db::toInteger(text("7,6")), 8);
    EXPECT_EQ(db::toDouble(text("3,25")), 3.25);
    EXPECT_EQ(db::toDouble(Value()), 0.0);
    for (const char* bad : {"", "abc", "1.2.3", "nan", "inf", "12abc"}) {
        EXPECT_THROW_MSG(db::toDouble(text(bad)), db::Error,
                         std::string("'") + bad + "' is not a valid floating point value");
        EXPECT_THROW_MSG(db::toInteger(text(bad)), db::Error,
                         std::string("'") + bad + "' is not a valid integer value");
    }
    EXPECT_THROW_MSG(db::toInteger(Value(1e300)), db::Error, "Value out of range for an integer");
}

TEST(Values, DateTimesBothWaysAndRefusedNonsense) {
    struct Case {
        const char* text;
        bool ok;
        db::DateTime t;
    } cases[] = {
        {"2024-02-29", true, db::makeDateTime(2024, 2, 29)},
        {"2024-02-01 10:30:00.250", true, db::makeDateTime(2024, 2, 1, 10, 30, 0, 250)},
        {"01.09.2024", true, db::makeDateTime(2024, 9, 1)},
        {"01.09.2024 08:05", true, db::makeDateTime(2024, 9, 1, 8, 5)},
        {"1900-01-01", true, db::DateTime{0}},
        {"31.13.2024", false, {}},
        {"31.02.2024", false, {}},  // would be 02.03.2024
        {"29.02.2023", false, {}},
        {"2024-04-31", false, {}},
        {"29.02.2000", true, db::makeDateTime(2000, 2, 29)},
        {"29.02.1900", false, {}},
        {"2024-01-01 25:00", false, {}},
        {"yesterday", false, {}},
    };
    for (const Case& c : cases) {
        db::DateTime t;
        EXPECT_EQ(db::parseDateTime(c.text, t), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(t, c.t) << c.text;
        }
    }
    db::CivilTime c = db::civil(db::makeDateTime(1850, 3, 4, 5, 6, 7, 8));
    EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 18500304);
    EXPECT_EQ(c.hour * 10000 + c.minute * 100 + c.second, 50607);
    EXPECT_EQ(c.msec, 8);
}

TEST(Values, ComparisonAcrossTypesAndCase) {
    EXPECT_TRUE(db::sameValue(Value(3), Value(3.0)));
    EXPECT_TRUE(db::sameValue(Value(3), text("3")));
    EXPECT_FALSE(db::sameValue(Value(), Value(0)));
    EXPECT_TRUE(db::sameValue(Value(), Value()));
    EXPECT_FALSE(db::sameValue(text("Хор"), text("хор")));
    EXPECT_TRUE(db::sameValue(text("ХОР Ёж Abc"), text("хор ёж aBC"), true));
    EXPECT_LT(db::compareValues(Value(), Value(-5)), 0);
    EXPECT_LT(db::compareValues(Value(2), Value(10.5)), 0);
    EXPECT_EQ(db::foldCase("ПРИВЕТ, World! Ё"), "привет, world! ё");
}

}  // namespace
