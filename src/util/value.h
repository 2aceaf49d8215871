#pragma once
// A value of the program's dynamic kind: what a bound variable, a table field
// or a setting holds. Text is UTF-8.
#include "util/date.h"

#include <string>
#include <variant>

namespace velt {

enum class ValueType { Nil, Text, Number, Date, Logical };

class Value {
public:
    Value() = default;
    Value(std::string s) : v_(std::move(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(double d) : v_(d) {}
    Value(int i) : v_(double(i)) {}
    Value(long long i) : v_(double(i)) {}
    Value(Date d) : v_(d) {}
    Value(bool b) : v_(b) {}

    ValueType type() const { return ValueType(v_.index()); }
    bool isNil() const { return v_.index() == 0; }
    bool isText() const { return v_.index() == 1; }
    bool isNumber() const { return v_.index() == 2; }
    bool isDate() const { return v_.index() == 3; }
    bool isLogical() const { return v_.index() == 4; }

    // Accessors give the type's empty value when the value is of another type.
    const std::string& text() const { static const std::string e; return isText() ? std::get<1>(v_) : e; }
    double number() const { return isNumber() ? std::get<2>(v_) : 0.0; }
    Date date() const { return isDate() ? std::get<3>(v_) : Date(); }
    bool logical() const { return isLogical() && std::get<4>(v_); }

    friend bool operator==(const Value& a, const Value& b) { return a.v_ == b.v_; }

private:
    std::variant<std::monostate, std::string, double, Date, bool> v_;
};

} // namespace velt
