#include "db/ConnectionString.h"

#include "db/Values.h"

namespace db {

namespace {

std::string trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

}  // namespace

ConnectionString::ConnectionString(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t eq = text.find('=', i);
        std::size_t semi = text.find(';', i);
        if (eq == std::string::npos || (semi != std::string::npos && semi < eq)) {
            // A piece without "=": nothing to keep.
            if (semi == std::string::npos) break;
            i = semi + 1;
            continue;
        }
        std::string key = trim(text.substr(i, eq - i));
        std::size_t v = eq + 1;
        while (v < text.size() && text[v] == ' ') ++v;
        std::string value;
        if (v < text.size() && (text[v] == '"' || text[v] == '\'')) {
            // A quoted value may hold ';'; a doubled quote stands for one.
            char q = text[v++];
            while (v < text.size()) {
                if (text[v] == q) {
                    if (v + 1 < text.size() && text[v + 1] == q) {
                        value += q;
                        v += 2;
                        continue;
                    }
                    ++v;
                    break;
                }
                value += text[v++];
            }
            semi = text.find(';', v);
        } else {
            semi = text.find(';', v);
            value = trim(text.substr(v, semi == std::string::npos ? std::string::npos : semi - v));
        }
        if (!key.empty()) setValue(key, value);
        if (semi == std::string::npos) break;
        i = semi + 1;
    }
}

std::string ConnectionString::value(const std::string& key) const {
    std::string k = foldCase(key);
    for (const auto& [name, value] : pairs_)
        if (foldCase(name) == k) return value;
    return {};
}

bool ConnectionString::contains(const std::string& key) const {
    std::string k = foldCase(key);
    for (const auto& p : pairs_)
        if (foldCase(p.first) == k) return true;
    return false;
}

void ConnectionString::setValue(const std::string& key, const std::string& value) {
    std::string k = foldCase(key);
    for (auto& p : pairs_)
        if (foldCase(p.first) == k) {
            p.second = value;
            return;
        }
    pairs_.emplace_back(key, value);
}

std::string ConnectionString::toString() const {
    std::string out;
    for (const auto& [key, value] : pairs_) {
        if (!out.empty()) out += ';';
        out += key + '=';
        if (value.find_first_of(";\"") != std::string::npos)
            out += '"' + [&] {
                std::string q;
                for (char c : value) q += c == '"' ? std::string("\"\"") : std::string(1, c);
                return q;
            }() + '"';
        else
            out += value;
    }
    return out;
}

}  // namespace db
