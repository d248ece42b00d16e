#pragma once

// The texts a change history is written with: quoting, a field's value in a deleted
// record's description and in a change sentence.

#include <string>

#include "db/Field.h"

namespace history {

// An apostrophe, s, an apostrophe. Apostrophes inside s are left as they are: callers
// hand it text that is already escaped.
std::string QuoteOnce(const std::string& s);
// QuoteOnce applied twice: two apostrophes, s, two apostrophes.
std::string QuoteTwice(const std::string& s);
// Every apostrophe of s doubled, for text that goes into a T-SQL string literal.
std::string DoubleApostrophes(const std::string& s);

// A field's current value for a deleted record's description: "NULL" when empty;
// floating-point and date-time values within doubled apostrophes; text with its
// apostrophes doubled, then within doubled apostrophes; anything else as it reads.
std::string FieldSqlText(const db::Field& field);

enum class Side { Old, New };
// The value a field was read with (Old) or holds now (New) for a change sentence:
// "NULL" when empty; a date-time as its date alone in the workstation's short date
// format; text with its apostrophes doubled; anything else as it reads.
std::string FieldChangeText(const db::Field& field, Side side);

}  // namespace history
