#include "formula/TCustomParser.h"

#include "formula/Compiler.h"

namespace formula {

namespace {

bool isIdentifier(std::string_view name) {
    if (name.empty()) return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!letter(name[0]) && name[0] != '_') return false;
    for (char c : name.substr(1))
        if (!letter(c) && c != '_' && !(c >= '0' && c <= '9')) return false;
    return true;
}

}  // namespace

TCustomParser::TCustomParser() = default;

TCustomParser::~TCustomParser() {
    Release(program_);
    variables_.clear();
    expression_.clear();
}

double* TCustomParser::ownCell(char letter) {
    switch (letter) {
        case 'A':
            return &A;
        case 'B':
            return &B;
        case 'C':
            return &C;
        case 'D':
            return &D;
        case 'E':
            return &E;
        case 'X':
            return &X;
        case 'Y':
            return &Y;
        case 'T':
            return &T;
        default:
            return nullptr;
    }
}

double* TCustomParser::SetVariable(std::string_view name, long double value) {
    RecentName* recent = nullptr;
    std::uint64_t key = 0;
    if (!name.empty() && name.size() <= 8) {
        for (std::size_t i = 0; i < name.size(); ++i)
            key |= std::uint64_t(static_cast<unsigned char>(upperAscii(name[i]))) << (8 * i);
        recent = &recent_[(key * 0x9E3779B97F4A7C15ull) >> 58];
        if (recent->cell && recent->key == key && recent->length == name.size()) {
            *recent->cell = static_cast<double>(value);
            return recent->cell;
        }
    }
    if (double* const* found = variables_.find(name)) {
        **found = static_cast<double>(value);
        if (recent) *recent = RecentName{key, name.size(), *found};
        return *found;
    }
    const std::string upper = upperAscii(name);
    double* cell = upper.size() == 1 ? ownCell(upper[0]) : nullptr;
    if (!cell) {
        if (!isIdentifier(upper)) throw EBadName(upper);
        allocated_.push_back(std::make_unique<double>(0.0));
        cell = allocated_.back().get();
    }
    *cell = static_cast<double>(value);
    variables_.add(upper, cell);
    return cell;
}

void TCustomParser::setExpression(std::string_view text) {
    Release(program_);
    expression_.assign(text);
    if (expression_.empty()) return;
    try {
        CompileExpression(expression_, variables_, functions1_, functions2_, pascalNumberformat_,
                          program_);
    } catch (EMathParserError& e) {
        Release(program_);
        if (!OnParserError) throw;
        OnParserError(*this, e);
    }
}

}  // namespace formula
