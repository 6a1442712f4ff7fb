// The shell's notation: one statement a line, read into a small tree.
//
//   statement   := [ name "=" ] expression      (a blank or comment line is empty)
//   expression  := integer | text | @constant | name | name "(" [ expression { "," expression } ] ")"
//   integer     := [ "-" ] digits                (a signed 32-bit value)
//   text        := '...' | "..."                 (the quote doubled inside stands for itself)
//   name        := word [ "." word ]             (a word: a letter or _, then letters, digits, _)
//   comment     := "#" to the end of the line, outside a text
//
// Names qualified with a dot (host.read) are the shell's built-ins; plain
// names are variables, or functions of the extender when called.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorshell {

struct Expression {
    enum class Kind { Integer, Text, Constant, Variable, Call };

    Kind kind = Kind::Integer;
    int32_t nValue = 0;            // Integer
    std::u16string strText;        // Text
    std::string strName;           // Constant (with its @), Variable, Call: as written
    std::vector<Expression> args;  // Call
};

struct Statement {
    std::string strTarget;                 // the variable assigned; empty for a bare expression
    std::optional<Expression> expression;  // none for a blank or comment line
};

// A line that does not follow the notation; nColumn counts bytes from 1.
class SyntaxError : public std::runtime_error {
public:
    SyntaxError(size_t nColumn, const std::string& strMessage);
    size_t Column() const { return m_nColumn; }

private:
    size_t m_nColumn;
};

// Reads one line (UTF-8, without its line break). Throws SyntaxError.
Statement ParseStatement(std::string_view strLine);

}  // namespace zorshell
