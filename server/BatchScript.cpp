#include "BatchScript.h"

namespace server {

bool BatchScript::isSeparator(std::string_view line) {
    std::size_t a = line.find_first_not_of(" \t\r");
    if (a == std::string_view::npos) return false;
    std::size_t b = line.find_last_not_of(" \t\r");
    std::string_view word = line.substr(a, b - a + 1);
    return word.size() == 2 && (word[0] == 'G' || word[0] == 'g') &&
           (word[1] == 'O' || word[1] == 'o');
}

std::vector<std::string> BatchScript::split(std::string_view script) {
    std::vector<std::string> batches;
    std::string batch;
    auto flush = [&] {
        if (batch.find_first_not_of(" \t\r\n") != std::string::npos) batches.push_back(batch);
        batch.clear();
    };
    std::size_t pos = 0;
    while (pos <= script.size()) {
        std::size_t end = script.find('\n', pos);
        if (end == std::string_view::npos) end = script.size();
        std::string_view line = script.substr(pos, end - pos);
        if (isSeparator(line)) {
            flush();
        } else {
            batch.append(line);
            batch += '\n';
        }
        pos = end + 1;
    }
    flush();
    return batches;
}

}  // namespace server
