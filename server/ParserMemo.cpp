// Remembered failures. The FROM clause tries a bracket that opens another bracket as a
// derived table first and, when that fails, reads it again as a bracketed join. Each
// trial goes down through every bracket inside, and the join reading makes the same
// trial at the next bracket, so nested brackets were read again and again: a text of a
// few hundred brackets kept the server busy for minutes. While a trial is under way
// every select that fails is remembered by its first token, with its error; reading
// that select again, at a depth where the answer holds, raises the same error at once.
// A select that succeeded is simply read again: its own failed trials are remembered,
// so that costs about as much as the text it covers. Every text parses exactly as it
// would be read afresh, only without reading the same failure twice.

#include "ParserInternal.h"

namespace server::parser_internal {

ParserImpl::ParserImpl(std::string_view text) : tokens_(Lexer::tokenize(text)) {
    pastOpenings_.resize(tokens_.size());
    for (std::size_t i = tokens_.size(); i-- > 0;)
        pastOpenings_[i] =
            tokens_[i].isSymbol("(") && i + 1 < tokens_.size() ? pastOpenings_[i + 1] : i;
}

// Whether the select a trial would read at the current token is sure to fail: brackets
// that lead to anything but SELECT, or a failure remembered at a depth where it holds.
// The trial's error is never shown, so knowing that it fails is enough.
bool ParserImpl::knownToFail() {
    if (!tokens_[pastOpenings_[pos_]].is("SELECT")) return true;
    auto it = failures_.find(pos_);
    if (it == failures_.end()) return false;
    const Failure& f = it->second;
    if (!holds(f)) return false;
    reached_ = std::max(reached_, depth_ + f.span);
    tooDeep_ = tooDeep_ || f.tooDeep;
    return true;
}

SelectPtr ParserImpl::parseSelect() {
    // Outside every trial, with nothing remembered, a failure ends the batch.
    if (trials_ == 0 && failures_.empty()) return readSelect();
    const std::size_t start = pos_;
    if (auto it = failures_.find(start); it != failures_.end()) {
        const Failure& f = it->second;
        if (holds(f)) {
            reached_ = std::max(reached_, depth_ + f.span);
            tooDeep_ = tooDeep_ || f.tooDeep;
            throw Error(f.error);
        }
    }
    if (trials_ == 0) return readSelect();

    // Read it, noting how deep it goes, and remember a failure.
    const int outerReached = reached_;
    const bool outerTooDeep = tooDeep_;
    reached_ = depth_;
    tooDeep_ = false;
    const int depth = depth_;
    auto restore = [&] {
        const int span = reached_ - depth;
        const bool tooDeep = tooDeep_;
        reached_ = std::max(outerReached, reached_);
        tooDeep_ = outerTooDeep || tooDeep_;
        return std::pair{span, tooDeep};
    };
    try {
        SelectPtr select = readSelect();
        restore();
        return select;
    } catch (const Error& e) {
        const auto [span, tooDeep] = restore();
        failures_.insert_or_assign(start, Failure{depth, span, tooDeep, e.what()});
        throw;
    }
}

}  // namespace server::parser_internal
