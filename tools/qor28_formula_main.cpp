// qor28-formula: checks grading-rule formulas the way the program evaluates them.
//
//   qor28-formula -e FORMULA [NAME=VALUE ...]   compile, evaluate, print the value
//   qor28-formula < script                      one command a line:
//       let NAME VALUE | compile TEXT | value | eval TEXT
//
// A value prints as "value " and the shortest text that reads back to the same
// double; an error as "error CLASS: MESSAGE", each carriage return written as \r.
// Numbers in formulas use '.' unless --locale-numbers is given.

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "formula/TParser.h"

namespace {

std::string formatValue(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return "value " + std::string(buf, ec == std::errc() ? end : buf);
}

std::string formatError(const char* className, std::string_view message) {
    std::string out = "error ";
    out += className;
    out += ": ";
    for (char c : message) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

bool parseNumber(std::string_view text, double& v) {
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

std::string notANumber(std::string_view text) {
    return formatError("EConvertError",
                       "'" + std::string(text) + "' is not a valid floating point value");
}

// Runs one action, printing its error (if any); returns whether it succeeded.
template <class F>
bool guarded(F&& action) {
    try {
        action();
        return true;
    } catch (const formula::Exception& e) {
        std::cout << formatError(e.className(), e.message()) << '\n';
    } catch (const std::exception& e) {
        std::cout << formatError("Exception", e.what()) << '\n';
    }
    return false;
}

int usage() {
    std::cerr << "usage: qor28-formula [--locale-numbers] -e FORMULA [NAME=VALUE ...]\n"
                 "       qor28-formula [--locale-numbers] < script\n"
                 "script commands, one a line: let NAME VALUE | compile TEXT | value | eval TEXT\n";
    return 2;
}

int runOnce(formula::TParser& parser, std::string_view text, const std::vector<std::string>& vars) {
    for (const std::string& assignment : vars) {
        const std::size_t eq = assignment.find('=');
        if (eq == std::string::npos) return usage();
        const std::string_view name = std::string_view(assignment).substr(0, eq);
        const std::string_view valueText = std::string_view(assignment).substr(eq + 1);
        double v = 0;
        if (!parseNumber(valueText, v)) {
            std::cout << notANumber(valueText) << '\n';
            return 1;
        }
        if (!guarded([&] { parser.SetVariable(name, v); })) return 1;
    }
    double value = 0;
    if (!guarded([&] {
            parser.setExpression(text);
            value = static_cast<double>(parser.Value());
        }))
        return 1;
    std::cout << formatValue(value) << '\n';
    return 0;
}

int runScript(formula::TParser& parser) {
    bool failed = false;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string_view l(line);
        if (l.empty() || l[0] == '#') continue;
        const std::size_t blank = l.find(' ');
        const std::string_view command = l.substr(0, blank);
        const std::string_view text =
            blank == std::string_view::npos ? std::string_view() : l.substr(blank + 1);
        bool ok = true;
        if (command == "let") {
            const std::size_t sep = text.find(' ');
            const std::string_view name = text.substr(0, sep);
            const std::string_view valueText =
                sep == std::string_view::npos ? std::string_view() : text.substr(sep + 1);
            double v = 0;
            if (!parseNumber(valueText, v)) {
                std::cout << notANumber(valueText) << '\n';
                ok = false;
            } else {
                ok = guarded([&] { parser.SetVariable(name, v); });
            }
        } else if (command == "compile") {
            ok = guarded([&] {
                parser.setExpression(text);
                std::cout << "ok\n";
            });
        } else if (command == "value") {
            ok = guarded(
                [&] { std::cout << formatValue(static_cast<double>(parser.Value())) << '\n'; });
        } else if (command == "eval") {
            ok = guarded([&] {
                parser.setExpression(text);
                std::cout << formatValue(static_cast<double>(parser.Value())) << '\n';
            });
        } else {
            std::cout << "error: unknown command '" << command << "'\n";
            ok = false;
        }
        std::cout.flush();
        failed = failed || !ok;
    }
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool localeNumbers = false;
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "--locale-numbers") == 0) {
        localeNumbers = true;
        ++i;
    }
    formula::TParser parser;
    if (localeNumbers) {
        std::setlocale(LC_ALL, "");
        parser.setPascalNumberformat(false);
    }
    if (i < argc && std::strcmp(argv[i], "-e") == 0) {
        if (i + 1 >= argc) return usage();
        std::vector<std::string> vars(argv + i + 2, argv + argc);
        return runOnce(parser, argv[i + 1], vars);
    }
    if (i < argc) return usage();
    return runScript(parser);
}
