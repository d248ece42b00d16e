#pragma once

// A T-SQL script as sqlcmd reads it: batches separated by lines that read GO. The shell
// uses it for its standard input; the QOR schema scripts can use it to build a database.

#include <string>
#include <string_view>
#include <vector>

namespace server {

class BatchScript {
  public:
    // The batches of a script, without the GO lines; batches of blanks only are left out.
    // A script without GO is one batch.
    static std::vector<std::string> split(std::string_view script);
    // Whether a line is a batch separator: GO in any letter case, blanks around it.
    static bool isSeparator(std::string_view line);
};

}  // namespace server
