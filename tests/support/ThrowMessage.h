#pragma once

// EXPECT_THROW_MSG(statement, Type, "exact message"): the statement throws an exception of
// that type (or one derived from it) whose what() is exactly the message. Anything else
// fails with what did happen: no exception, another type (with its text), or another
// text. Further text can be streamed after it, as with EXPECT_THROW.
//
//   EXPECT_THROW_MSG(conn.open(), db::Error, "The connection has no connection string");

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <typeinfo>

namespace testsupport {

// A text as a failure shows it: control characters escaped, so that "a\rb" and "a b"
// do not look alike.
inline std::string shown(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// Runs the statement; returns "" when it threw Exception with the expected text, else
// a description of what happened instead.
template <class Exception, class Statement>
std::string throwMismatch(Statement&& statement, const std::string& expected,
                          const char* statementText, const char* typeName) {
    const std::string head = std::string("Expected: ") + statementText + " throws " + typeName +
                             " \"" + shown(expected) + "\".\n  Actual: ";
    try {
        statement();
    } catch (const Exception& e) {
        if (expected == e.what()) return {};
        return head + "it throws " + typeName + " \"" + shown(e.what()) + "\".";
    } catch (const std::exception& e) {
        return head + "it throws " + typeid(e).name() + " \"" + shown(e.what()) + "\".";
    } catch (...) {
        return head + "it throws something not derived from std::exception.";
    }
    return head + "it throws nothing.";
}

}  // namespace testsupport

#define QOR28_THROW_MSG_(statement, Exception, expected, fail)                       \
    GTEST_AMBIGUOUS_ELSE_BLOCKER_                                                    \
    if (const std::string qor28_mismatch_ = ::testsupport::throwMismatch<Exception>( \
            [&] { statement; }, std::string(expected), #statement, #Exception);      \
        qor28_mismatch_.empty())                                                     \
        ;                                                                            \
    else                                                                             \
        fail() << qor28_mismatch_

#define EXPECT_THROW_MSG(statement, Exception, expected) \
    QOR28_THROW_MSG_(statement, Exception, expected, ADD_FAILURE)
#define ASSERT_THROW_MSG(statement, Exception, expected) \
    QOR28_THROW_MSG_(statement, Exception, expected, FAIL)
