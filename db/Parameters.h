#pragma once

#include <string>
#include <vector>

#include "db/Values.h"

namespace db {

enum class ParamDirection { Input, Output, InputOutput, ReturnValue };

// One parameter of a query or stored procedure. The value is kept in the declared type
// (a text typed into an integer parameter is converted when set, or refused).
class Parameter {
  public:
    Parameter(std::string name, Type type, ParamDirection direction, int size, bool nullable,
              Value value);

    const std::string& name() const { return name_; }
    Type type() const { return type_; }
    ParamDirection direction() const { return direction_; }
    int size() const { return size_; }
    bool nullable() const { return nullable_; }

    const Value& value() const { return value_; }
    void setValue(const Value& v);
    void clear() { value_ = Value(); }
    bool isNull() const { return db::isNull(value_); }

    // Written by the dataset when an output or return value comes back.
    void assignResult(const Value& v) { value_ = v; }

  private:
    std::string name_;
    Type type_;
    ParamDirection direction_;
    int size_;
    bool nullable_;
    Value value_;
};

// The parameters of a dataset, in declaration order; found by position or by name
// ("@group", "group" and "GROUP" name the same one).
class Parameters {
  public:
    Parameter& add(const std::string& name, Type type = Type::Null,
                   ParamDirection direction = ParamDirection::Input, int size = 0,
                   bool nullable = true, const Value& value = Value());
    void clear() { items_.clear(); }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    // Error when out of range or not found.
    Parameter& operator[](std::size_t index);
    const Parameter& operator[](std::size_t index) const;
    Parameter& byName(const std::string& name);
    Parameter* find(const std::string& name);

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<Parameter> items_;
};

// A query text with its ":name" parameters turned into "?" placeholders, in the order
// the server binds them (a name used twice is bound twice).
struct PreparedText {
    std::string text;
    std::vector<std::string> names;
};

// Finds ":name" outside string literals, quoted and bracketed names and comments.
PreparedText prepareNamedParameters(const std::string& sql);

}  // namespace db
