#pragma once

// A value as plain text, the way the shell prints it: NULL, integers in decimal, floats
// with 15 significant digits, date-times as 'YYYY-MM-DD HH:MM:SS.mmm', text as it is.

#include <string>

#include "Engine.h"

namespace server {

std::string valueText(const Value& v);

}  // namespace server
