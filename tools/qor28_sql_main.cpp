// qor28-sql: a shell for the embedded database, like sqlcmd.
//
//   qor28-sql FILE -U LOGIN -P PASSWORD            batches from standard input, split at GO
//   qor28-sql --create FILE -U LOGIN -P PASSWORD   a new empty database with that one login
//   qor28-sql --create-demo FILE                   the demo faculty's QOR database, and the
//                                                  bootstrap file Data/QOR beside it
//
// Standard output carries only the results: per result set a header line of column names
// and then its rows, tab-separated, NULL as NULL. Each error is one line "Msg: TEXT".
// The exit status is 1 when the login was refused or any batch failed.

#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "BatchScript.h"
#include "Contract.h"
#include "Demo.h"
#include "Engine.h"
#include "SqlFunctions.h"
#include "ValueText.h"
#include "values/DateTimeText.h"

namespace {

int usage() {
    std::cerr << "usage: qor28-sql [--create] FILE -U LOGIN -P PASSWORD\n"
                 "       qor28-sql --create-demo FILE\n";
    return 2;
}

std::string cell(const values::Value& v) {
    std::string s = server::valueText(v);
    // one row per line: tabs and line breaks inside a value would break the layout
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s;
}

void print(const values::BatchResult& r) {
    for (const auto& rs : r.resultSets) {
        std::string line;
        for (std::size_t c = 0; c < rs.columns.size(); ++c) {
            if (c) line += '\t';
            line += rs.columns[c].name;
        }
        std::cout << line << '\n';
        for (const auto& row : rs.rows) {
            line.clear();
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c) line += '\t';
                line += cell(row[c]);
            }
            std::cout << line << '\n';
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    server::qor::install();
    if (argc == 3 && std::string(argv[1]) == "--create-demo") {
        try {
            server::qor::createDemo(argv[2]);
            return 0;
        } catch (const server::Error& e) {
            std::cout << "Msg: " << e.what() << '\n';
            return 1;
        }
    }
    bool create = false;
    std::string file, login, password;
    bool haveLogin = false, havePassword = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--create")
            create = true;
        else if (a == "-U" && i + 1 < argc) {
            login = argv[++i];
            haveLogin = true;
        } else if (a == "-P" && i + 1 < argc) {
            password = argv[++i];
            havePassword = true;
        } else if (file.empty() && !a.empty() && a[0] != '-')
            file = a;
        else
            return usage();
    }
    if (file.empty() || !haveLogin || !havePassword) return usage();
    try {
        if (create) {
            server::Engine::create(file, login, password);
            return 0;
        }
    } catch (const server::Error& e) {
        std::cout << "Msg: " << e.what() << '\n';
        return 1;
    }
    std::unique_ptr<server::Engine> engine;
    try {
        engine = server::Engine::open(file, login, password);
    } catch (const server::Error& e) {
        std::cout << "Msg: " << e.what() << '\n';
        return 1;
    }
    // batches run as they arrive, so a long script shows its results as it goes
    bool failed = false;
    std::string batch, line;
    auto run = [&] {
        if (batch.find_first_not_of(" \t\r\n") != std::string::npos) {
            try {
                print(engine->execute(batch));
            } catch (const server::Error& e) {
                std::cout << "Msg: " << e.what() << '\n';
                failed = true;
            }
            std::cout.flush();
        }
        batch.clear();
    };
    while (std::getline(std::cin, line)) {
        if (server::BatchScript::isSeparator(line)) {
            run();
            continue;
        }
        batch += line;
        batch += '\n';
    }
    run();
    return failed ? 1 : 0;
}
