#include "ui/Hyphenator.h"

#include <hyphen.h>

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace ui {

namespace {

QString& dictionaryPath() {
    static QString path = Hyphenator::defaultDictionaryPath();
    return path;
}

std::unique_ptr<Hyphenator>& instance() {
    static std::unique_ptr<Hyphenator> h;
    return h;
}

// The lower-case Russian letters in KOI8-R, the code page of Debian's Russian patterns:
// а..я from 0xC0 in the order of the code page, ё at 0xA3.
constexpr char16_t kKoi8rLetters[32] = {
    u'ю', u'а', u'б', u'ц', u'д', u'е', u'ф', u'г', u'х', u'и', u'й', u'к', u'л', u'м', u'н', u'о',
    u'п', u'я', u'р', u'с', u'т', u'у', u'ж', u'в', u'ь', u'ы', u'з', u'ш', u'э', u'щ', u'ч', u'ъ'};

// Debian's Russian patterns come as TeX has them, while the library only applies the
// pattern that ends where its matching stands: "2й1" is lost inside "рейтинг" behind
// "1рейш". As the library's own substrings.pl does, every prefix of a pattern gets the
// values of the patterns that end with it; the library then loads the result.
QByteArray embedSubstrings(const QByteArray& file) {
    struct Pattern {
        std::string letters;
        std::vector<char> values;  // before each letter, and after the last
    };
    QList<QByteArray> lines = file.split('\n');
    if (lines.isEmpty()) return file;
    QByteArray head = lines.takeFirst() + '\n';  // the code page
    std::vector<Pattern> patterns;
    std::unordered_map<std::string, std::size_t> byLetters;
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('%')) continue;
        if (line.contains(' ') || line.contains('/') || (line[0] >= 'A' && line[0] <= 'Z')) {
            head += line + '\n';  // directives and replacements stay as they are
            continue;
        }
        Pattern p;
        p.values.push_back(0);
        for (char c : line) {
            if (c >= '0' && c <= '9') {
                p.values.back() = static_cast<char>(c - '0');
            } else {
                p.letters += c;
                p.values.push_back(0);
            }
        }
        byLetters.emplace(p.letters, patterns.size());
        patterns.push_back(std::move(p));
    }
    // Each prefix of a pattern, where the library's matching may stand, with the values
    // of every pattern that ends there.
    QByteArray out = head;
    std::unordered_map<std::string, bool> done;
    for (const Pattern& p : patterns) {
        for (std::size_t end = 1; end <= p.letters.size(); ++end) {
            const std::string prefix = p.letters.substr(0, end);
            if (!done.emplace(prefix, true).second) continue;
            std::vector<char> values(end + 1, 0);
            bool any = false;
            for (std::size_t from = 0; from < end; ++from) {
                auto inner = byLetters.find(prefix.substr(from));
                if (inner == byLetters.end()) continue;
                const Pattern& q = patterns[inner->second];
                for (std::size_t k = 0; k < q.values.size(); ++k)
                    values[from + k] = std::max(values[from + k], q.values[k]);
                any = true;
            }
            if (!any) continue;
            for (std::size_t k = 0; k <= end; ++k) {
                if (values[k] > 0) out += static_cast<char>('0' + values[k]);
                if (k < end) out += prefix[k];
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace

QString Hyphenator::defaultDictionaryPath() {
    return QStringLiteral("/usr/share/hyphen/hyph_ru_RU.dic");
}

Hyphenator& Hyphenator::russian() {
    if (!instance()) instance().reset(new Hyphenator(dictionaryPath()));
    return *instance();
}

void Hyphenator::setDictionaryPath(const QString& path) {
    dictionaryPath() = path;
    instance().reset();
}

Hyphenator::Hyphenator(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return;
    QByteArray prepared = embedSubstrings(file.readAll());
    FILE* memory = fmemopen(prepared.data(), static_cast<std::size_t>(prepared.size()), "r");
    if (!memory) return;
    HyphenDict* dict = hnj_hyphen_load_file(memory);
    std::fclose(memory);
    if (!dict) return;
    const QByteArray charset = QByteArray(dict->cset).trimmed().toUpper();
    if (charset != "KOI8-R" && charset != "UTF-8") {
        hnj_hyphen_free(dict);
        return;
    }
    koi8r_ = charset == "KOI8-R";
    dict_ = dict;
}

Hyphenator::~Hyphenator() {
    if (dict_) hnj_hyphen_free(static_cast<HyphenDict*>(dict_));
}

bool Hyphenator::encode(const QString& word, std::string& bytes) const {
    bytes.clear();
    for (QChar c : word.toLower()) {
        if (!koi8r_) return false;  // a UTF-8 dictionary: see breaks()
        if (c == u'ё') {
            bytes += static_cast<char>(0xA3);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (kKoi8rLetters[i] == c.unicode()) found = i;
        if (found < 0) return false;
        bytes += static_cast<char>(0xC0 + found);
    }
    return true;
}

std::vector<int> Hyphenator::breaks(const QString& word) const {
    std::vector<int> at;
    if (!dict_ || word.size() < 4) return at;
    std::string bytes;
    std::vector<int> charOf;  // the letter each byte belongs to
    if (koi8r_) {
        if (!encode(word, bytes)) return at;
        for (int i = 0; i < static_cast<int>(bytes.size()); ++i) charOf.push_back(i);
    } else {
        for (int i = 0; i < word.size(); ++i) {
            if (!word[i].isLetter()) return at;
            const QByteArray b = QString(word[i]).toLower().toUtf8();
            bytes.append(b.constData(), static_cast<std::size_t>(b.size()));
            for (int k = 0; k < b.size(); ++k) charOf.push_back(i);
        }
    }
    HyphenDict* dict = static_cast<HyphenDict*>(dict_);
    std::vector<char> hyphens(bytes.size() + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const int n = static_cast<int>(bytes.size());
    hnj_hyphen_hyphenate2(dict, bytes.c_str(), n, hyphens.data(), nullptr, &rep, &pos, &cut);
    if (rep) {
        for (int i = 0; i < n; ++i) std::free(rep[i]);
        std::free(rep);
    }
    std::free(pos);
    std::free(cut);
    // At least two letters on either side of a break, as Russian typesetting wants.
    const int left = std::max(2, static_cast<int>(dict->lhmin));
    const int right = std::max(2, static_cast<int>(dict->rhmin));
    for (int i = 0; i + 1 < n; ++i) {
        if (!(hyphens[static_cast<std::size_t>(i)] & 1)) continue;
        // a break after byte i: before the letter that starts at byte i + 1
        if (charOf[static_cast<std::size_t>(i)] == charOf[static_cast<std::size_t>(i + 1)])
            continue;
        const int before = charOf[static_cast<std::size_t>(i + 1)];
        if (before >= left && word.size() - before >= right) at.push_back(before);
    }
    return at;
}

}  // namespace ui
