#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/Values.h"

namespace db {

// A dataset filter text: comparisons of a field with a literal joined by AND and OR,
// with parentheses ("id_student=12 and id_examination=3", "p35='1203-7-55-2'",
// "[name] <> NULL"). Literals are numbers, quoted texts ('' for an apostrophe) and NULL.
class FilterExpression {
  public:
    FilterExpression();
    // Error naming the place of the fault when the text is not a filter.
    explicit FilterExpression(const std::string& text);
    ~FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;

    bool empty() const { return root_ == nullptr; }
    // Resolves field names to indexes; Error for an unknown field.
    void bind(const std::function<int(const std::string&)>& fieldIndex);
    // Needs bind() first.
    bool matches(const std::vector<Value>& row) const;

    struct Node;

  private:
    std::unique_ptr<Node> root_;
};

}  // namespace db
