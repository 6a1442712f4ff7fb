#include "host/shell/Notation.h"

#include <limits>

#include "host/HostValues.h"

namespace zorshell {

SyntaxError::SyntaxError(size_t nColumn, const std::string& strMessage)
    : std::runtime_error(strMessage), m_nColumn(nColumn) {}

namespace {

struct Token {
    enum class Kind { End, Name, Constant, Integer, Text, Open, Close, Comma, Equals };

    Kind kind = Kind::End;
    size_t nColumn = 0;      // of the token's first byte, from 1
    std::string strName;     // Name and Constant, as written
    int32_t nValue = 0;      // Integer
    std::u16string strText;  // Text
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits a line into tokens; a comment ends it.
class Lexer {
public:
    explicit Lexer(std::string_view strLine) : m_line(strLine) {}

    std::vector<Token> Tokens() {
        std::vector<Token> tokens;
        do tokens.push_back(Next());
        while (tokens.back().kind != Token::Kind::End);
        return tokens;
    }

private:
    Token Next() {
        while (m_pos < m_line.size() && (m_line[m_pos] == ' ' || m_line[m_pos] == '\t')) ++m_pos;
        Token token;
        token.nColumn = m_pos + 1;
        if (m_pos >= m_line.size() || m_line[m_pos] == '#') return token;
        const char c = m_line[m_pos];
        if (IsLetter(c)) return ReadName(token);
        if (c == '@') return ReadConstant(token);
        if (IsDigit(c) || c == '-') return ReadInteger(token);
        if (c == '\'' || c == '"') return ReadText(token);
        token.kind = Punctuation(c);
        ++m_pos;
        return token;
    }

    Token::Kind Punctuation(char c) const {
        switch (c) {
            case '(':
                return Token::Kind::Open;
            case ')':
                return Token::Kind::Close;
            case ',':
                return Token::Kind::Comma;
            case '=':
                return Token::Kind::Equals;
            default:
                throw SyntaxError(m_pos + 1, "unexpected character '" + std::string(1, c) + "'");
        }
    }

    // Letters, digits and underscores from the current position.
    std::string_view Word() {
        const size_t nStart = m_pos;
        while (m_pos < m_line.size() && (IsLetter(m_line[m_pos]) || IsDigit(m_line[m_pos]))) ++m_pos;
        return m_line.substr(nStart, m_pos - nStart);
    }

    Token& ReadName(Token& token) {
        token.kind = Token::Kind::Name;
        token.strName = Word();
        if (m_pos < m_line.size() && m_line[m_pos] == '.') {
            ++m_pos;
            if (m_pos >= m_line.size() || !IsLetter(m_line[m_pos]))
                throw SyntaxError(m_pos + 1, "a name must follow the dot after " + token.strName);
            token.strName += '.';
            token.strName += Word();
        }
        return token;
    }

    Token& ReadConstant(Token& token) {
        ++m_pos;
        if (m_pos >= m_line.size() || !IsLetter(m_line[m_pos]))
            throw SyntaxError(token.nColumn, "a constant needs a name after @");
        token.kind = Token::Kind::Constant;
        token.strName = "@" + std::string(Word());
        return token;
    }

    Token& ReadInteger(Token& token) {
        const bool bNegative = m_line[m_pos] == '-';
        if (bNegative) ++m_pos;
        if (m_pos >= m_line.size() || !IsDigit(m_line[m_pos]))
            throw SyntaxError(token.nColumn, "digits must follow the minus sign");
        // Accumulated as a negative number, whose range holds the smallest int32.
        int64_t nValue = 0;
        for (; m_pos < m_line.size() && IsDigit(m_line[m_pos]); ++m_pos) {
            nValue = nValue * 10 - (m_line[m_pos] - '0');
            if (nValue < std::numeric_limits<int32_t>::min())
                throw SyntaxError(token.nColumn, "the integer does not fit in 32 bits");
        }
        if (!bNegative) nValue = -nValue;
        if (nValue > std::numeric_limits<int32_t>::max())
            throw SyntaxError(token.nColumn, "the integer does not fit in 32 bits");
        if (m_pos < m_line.size() && (IsLetter(m_line[m_pos]) || m_line[m_pos] == '.'))
            throw SyntaxError(m_pos + 1, "an integer has decimal digits only");
        token.kind = Token::Kind::Integer;
        token.nValue = static_cast<int32_t>(nValue);
        return token;
    }

    Token& ReadText(Token& token) {
        const char quote = m_line[m_pos++];
        std::string strText;
        for (;;) {
            const size_t nQuote = m_line.find(quote, m_pos);
            if (nQuote == std::string_view::npos) throw SyntaxError(token.nColumn, "the text is not closed");
            strText.append(m_line.substr(m_pos, nQuote - m_pos));
            m_pos = nQuote + 1;
            if (m_pos >= m_line.size() || m_line[m_pos] != quote) break;
            strText += quote;  // a doubled quote
            ++m_pos;
        }
        token.kind = Token::Kind::Text;
        token.strText = zorhost::FromUtf8(strText);
        return token;
    }

    std::string_view m_line;
    size_t m_pos = 0;
};

// Reads the tokens of one line as a statement.
class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

    Statement ReadStatement() {
        Statement statement;
        if (Peek().kind == Token::Kind::End) return statement;
        if (Peek().kind == Token::Kind::Name && m_tokens[m_next + 1].kind == Token::Kind::Equals) {
            const Token& target = Take();
            if (target.strName.find('.') != std::string::npos)
                throw SyntaxError(target.nColumn, "a variable name has no dot: " + target.strName);
            statement.strTarget = target.strName;
            Take();
        }
        statement.expression = ReadExpression();
        if (Peek().kind != Token::Kind::End) throw SyntaxError(Peek().nColumn, "the statement ends before this");
        return statement;
    }

private:
    const Token& Peek() const { return m_tokens[m_next]; }
    // The End token is never passed: it stays the last one to peek at.
    const Token& Take() { return m_tokens[Peek().kind == Token::Kind::End ? m_next : m_next++]; }

    Expression ReadExpression() {
        const Token& token = Take();
        Expression expression;
        switch (token.kind) {
            case Token::Kind::Integer:
                expression.nValue = token.nValue;
                return expression;
            case Token::Kind::Text:
                expression.kind = Expression::Kind::Text;
                expression.strText = token.strText;
                return expression;
            case Token::Kind::Constant:
                expression.kind = Expression::Kind::Constant;
                expression.strName = token.strName;
                return expression;
            case Token::Kind::Name:
                expression.strName = token.strName;
                if (Peek().kind == Token::Kind::Open) return ReadCall(expression);
                if (token.strName.find('.') != std::string::npos)
                    throw SyntaxError(token.nColumn, token.strName + " is called with (...)");
                expression.kind = Expression::Kind::Variable;
                return expression;
            default:
                throw SyntaxError(token.nColumn, "a value, name or call is expected here");
        }
    }

    Expression& ReadCall(Expression& call) {
        call.kind = Expression::Kind::Call;
        Take();  // (
        if (Peek().kind == Token::Kind::Close) {
            Take();
            return call;
        }
        for (;;) {
            call.args.push_back(ReadExpression());
            const Token& token = Take();
            if (token.kind == Token::Kind::Close) return call;
            if (token.kind != Token::Kind::Comma)
                throw SyntaxError(token.nColumn, "',' or ')' is expected after an argument");
        }
    }

    std::vector<Token> m_tokens;
    size_t m_next = 0;
};

}  // namespace

Statement ParseStatement(std::string_view strLine) { return Parser(Lexer(strLine).Tokens()).ReadStatement(); }

}  // namespace zorshell
