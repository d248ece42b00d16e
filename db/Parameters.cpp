#include "db/Parameters.h"

#include "db/Error.h"

namespace db {

namespace {

std::string bareName(const std::string& name) {
    std::size_t skip = !name.empty() && (name[0] == '@' || name[0] == ':') ? 1 : 0;
    return foldCase(std::string_view(name).substr(skip));
}

bool isNameChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

Parameter::Parameter(std::string name, Type type, ParamDirection direction, int size, bool nullable,
                     Value value)
    : name_(std::move(name)), type_(type), direction_(direction), size_(size), nullable_(nullable) {
    setValue(value);
}

void Parameter::setValue(const Value& v) {
    try {
        value_ = type_ == Type::Null ? v : convert(v, type_);
    } catch (const Error& e) {
        throw Error("Parameter '" + name_ + "': " + e.what());
    }
}

Parameter& Parameters::add(const std::string& name, Type type, ParamDirection direction, int size,
                           bool nullable, const Value& value) {
    items_.emplace_back(name, type, direction, size, nullable, value);
    return items_.back();
}

Parameter& Parameters::operator[](std::size_t index) {
    if (index >= items_.size())
        throw Error("Parameter index " + std::to_string(index) + " out of range");
    return items_[index];
}

const Parameter& Parameters::operator[](std::size_t index) const {
    return const_cast<Parameters&>(*this)[index];
}

Parameter* Parameters::find(const std::string& name) {
    std::string wanted = bareName(name);
    for (auto& p : items_)
        if (bareName(p.name()) == wanted) return &p;
    return nullptr;
}

Parameter& Parameters::byName(const std::string& name) {
    if (Parameter* p = find(name)) return *p;
    throw Error("Parameter '" + name + "' not found");
}

PreparedText prepareNamedParameters(const std::string& sql) {
    PreparedText out;
    out.text.reserve(sql.size());
    std::size_t i = 0, n = sql.size();
    auto copyUntil = [&](std::size_t end) {
        out.text.append(sql, i, end - i);
        i = end;
    };
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"') {
            // A literal or quoted name; a doubled quote stays inside it.
            std::size_t j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            copyUntil(std::min(j, n));
        } else if (c == '[') {
            std::size_t j = sql.find(']', i);
            copyUntil(j == std::string::npos ? n : j + 1);
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            std::size_t j = sql.find('\n', i);
            copyUntil(j == std::string::npos ? n : j);
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            std::size_t j = sql.find("*/", i + 2);
            copyUntil(j == std::string::npos ? n : j + 2);
        } else if (c == ':' && i + 1 < n && sql[i + 1] == ':') {
            copyUntil(i + 2);
        } else if (c == ':' && i + 1 < n && isNameChar(sql[i + 1]) &&
                   !(sql[i + 1] >= '0' && sql[i + 1] <= '9') &&
                   (i == 0 || !isNameChar(sql[i - 1]))) {
            std::size_t j = i + 1;
            while (j < n && isNameChar(sql[j])) ++j;
            out.names.push_back(sql.substr(i + 1, j - i - 1));
            out.text += '?';
            i = j;
        } else {
            out.text += c;
            ++i;
        }
    }
    return out;
}

}  // namespace db
