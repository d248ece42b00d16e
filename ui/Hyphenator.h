#pragma once

#include <QString>
#include <vector>

namespace ui {

// Where a word may be broken with a hyphen, by the hyphenation library (libhyphen) with
// the Russian patterns Debian ships (hyphen-ru). Without the dictionary (or for a word
// of another script) no place is offered and callers break words as they must.
class Hyphenator {
  public:
    // The Russian hyphenator, loading its dictionary on first use.
    static Hyphenator& russian();
    // For tests: the dictionary file to use from now on (an empty path: none).
    static void setDictionaryPath(const QString& path);
    static QString defaultDictionaryPath();

    bool available() const { return dict_ != nullptr; }
    // The positions i (0 < i < word.size()) before which the word may be broken.
    std::vector<int> breaks(const QString& word) const;

    Hyphenator(const Hyphenator&) = delete;
    Hyphenator& operator=(const Hyphenator&) = delete;
    ~Hyphenator();

  private:
    explicit Hyphenator(const QString& path);
    // One byte per letter in the dictionary's code page; false for a letter it lacks.
    bool encode(const QString& word, std::string& bytes) const;

    void* dict_ = nullptr;  // HyphenDict
    bool koi8r_ = false;    // else UTF-8
};

}  // namespace ui
