#pragma once

// A sorted, case-insensitive name table (ASCII letters), as the parser keeps its
// variables and functions in. Names are stored upper case.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace formula {

inline char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

inline std::string upperAscii(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = upperAscii(c);
    return s;
}

// Three-way ASCII case-insensitive comparison.
inline int compareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(upperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(upperAscii(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Kept sorted, as the names are listed; looked up through a small hash index, since
// the compiler asks for names many times per formula.
template <class T>
class NameTable {
  public:
    using Entry = std::pair<std::string, T>;

    const T* find(std::string_view name) const {
        if (index_.empty()) return nullptr;
        const std::size_t mask = index_.size() - 1;
        for (std::size_t i = hashOf(name) & mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = index_[i];
            if (slot == 0) return nullptr;
            const Entry& e = items_[slot - 1];
            if (sameUpper(e.first, name)) return &e.second;
        }
    }

    // Adds the name (upper-cased) unless it is there already; returns whether it was added.
    bool add(std::string_view name, T value) {
        if (find(name)) return false;
        auto it = std::lower_bound(
            items_.begin(), items_.end(), name,
            [](const Entry& e, std::string_view n) { return compareNoCase(e.first, n) < 0; });
        items_.emplace(it, upperAscii(name), std::move(value));
        longest_ = std::max(longest_, name.size());
        rebuildIndex();
        return true;
    }

    void clear() {
        items_.clear();
        index_.clear();
        longest_ = 0;
    }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // The length of the longest name: no longer text can be one.
    std::size_t longest() const { return longest_; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    // Clearing bit 5 upper-cases ASCII letters and maps every other byte the same
    // way on both sides, so names equal but for case hash alike.
    static std::size_t hashOf(std::string_view name) {
        std::uint32_t h = static_cast<std::uint32_t>(name.size()) * 2654435761u;
        for (char c : name) h = (h ^ (static_cast<unsigned char>(c) & 0xDFu)) * 16777619u;
        return h ^ (h >> 15);
    }

    // Whether `name` equals the stored upper-case `key` but for the case of its letters.
    static bool sameUpper(const std::string& key, std::string_view name) {
        if (key.size() != name.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (key[i] != upperAscii(name[i])) return false;
        return true;
    }

    void rebuildIndex() {
        std::size_t n = 16;
        while (n < items_.size() * 4) n <<= 1;
        index_.assign(n, 0);
        for (std::size_t k = 0; k < items_.size(); ++k) {
            std::size_t i = hashOf(items_[k].first) & (n - 1);
            while (index_[i]) i = (i + 1) & (n - 1);
            index_[i] = static_cast<std::uint32_t>(k + 1);
        }
    }

    std::vector<Entry> items_;
    std::vector<std::uint32_t> index_;  // item number + 1, 0 for an empty slot
    std::size_t longest_ = 0;
};

struct OperationRecord;
using VariableTable = NameTable<double*>;
using FunctionTable = NameTable<void (*)(const OperationRecord&)>;

}  // namespace formula
