#pragma once

#include <stdexcept>
#include <string>

namespace db {

// Every failure the dataset layer reports, from the server or from itself. The text is
// the server's own message, without the driver's "[vendor][driver]" prefixes.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A silent exception: an event handler throws it to drop the operation it runs in
// (a refused save, a refused new row). The general error display ignores it.
class Abort : public std::exception {
  public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace db
