// The shell's notation: what a line reads as, and where a wrong one fails.
#include <gtest/gtest.h>

#include "host/shell/Notation.h"
#include "host/shell/Printer.h"

namespace {

using namespace zorshell;

Expression ExpressionOf(const std::string& strLine) {
    Statement statement = ParseStatement(strLine);
    EXPECT_TRUE(statement.expression) << strLine;
    return statement.expression.value_or(Expression());
}

// The column of the syntax error in strLine, 0 when it reads.
size_t ErrorColumn(const std::string& strLine) {
    try {
        ParseStatement(strLine);
    } catch (const SyntaxError& e) {
        return e.Column();
    }
    return 0;
}

TEST(Notation, TextsInEitherQuoteWithTheQuoteDoubled) {
    EXPECT_EQ(ExpressionOf(R"('{"a":1}')").strText, u"{\"a\":1}");
    EXPECT_EQ(ExpressionOf(R"("say ""hi""")").strText, u"say \"hi\"");
    EXPECT_EQ(ExpressionOf("'it''s'").strText, u"it's");
    EXPECT_EQ(ExpressionOf("''''").strText, u"'");
    EXPECT_EQ(ExpressionOf("\"\"").strText, u"");
    EXPECT_EQ(ExpressionOf("\"# no comment\"  # a comment").strText, u"# no comment");
    EXPECT_EQ(ExpressionOf("'Z\xc3\xbcrich \xf0\x9f\x98\x80'").strText, u"Z\u00fcrich \U0001F600");
    EXPECT_EQ(ExpressionOf("'\xff'").strText, u"\uFFFD") << "invalid UTF-8";
}

TEST(Notation, TheShownFormOfEveryTextReadsBackAsTheSameText) {
    Printer printer(false);
    for (std::u16string strText :
         {u"", u"plain", u"it's", u"say \"hi\"", u"both ' and \"", u"''", u"\"\"\"", u"#", u"\u00e9\u20ac"}) {
        std::string strShown = printer.Value(zorhost::HostValue::Text16(strText));
        strShown.pop_back();  // the line feed
        EXPECT_EQ(ExpressionOf(strShown).strText, strText) << strShown;
    }
}

TEST(Notation, IntegersCoverTheSigned32BitRange) {
    EXPECT_EQ(ExpressionOf("0").nValue, 0);
    EXPECT_EQ(ExpressionOf("-2147483648").nValue, INT32_MIN);
    EXPECT_EQ(ExpressionOf("2147483647").nValue, INT32_MAX);
    EXPECT_EQ(ExpressionOf("007").nValue, 7);
    for (const auto& [szLine, nColumn] : std::initializer_list<std::pair<const char*, size_t>>{
             {"2147483648", 1},
             {"-2147483649", 1},
             {"99999999999999999999999", 1},
             {"- 1", 1},
             {"1.5", 2},
             {"12ab", 3},
         })
        EXPECT_EQ(ErrorColumn(szLine), nColumn) << szLine;
}

TEST(Notation, AssignmentsCallsAndNames) {
    Statement statement = ParseStatement("h = jsValueGet(store, 'a[1]', @JsonUTF16, -3, host.read(\"f\"))");
    EXPECT_EQ(statement.strTarget, "h");
    ASSERT_TRUE(statement.expression);
    const Expression& call = *statement.expression;
    EXPECT_EQ(call.kind, Expression::Kind::Call);
    EXPECT_EQ(call.strName, "jsValueGet");
    ASSERT_EQ(call.args.size(), 5u);
    EXPECT_EQ(call.args[0].kind, Expression::Kind::Variable);
    EXPECT_EQ(call.args[0].strName, "store");
    EXPECT_EQ(call.args[1].strText, u"a[1]");
    EXPECT_EQ(call.args[2].kind, Expression::Kind::Constant);
    EXPECT_EQ(call.args[2].strName, "@JsonUTF16");
    EXPECT_EQ(call.args[3].nValue, -3);
    EXPECT_EQ(call.args[4].strName, "host.read");
    ASSERT_EQ(call.args[4].args.size(), 1u);

    EXPECT_TRUE(ExpressionOf("jsConClose( )").args.empty());
    EXPECT_EQ(ExpressionOf("\tx_1").strName, "x_1");
    EXPECT_FALSE(ParseStatement("   # only a comment").expression);
    EXPECT_FALSE(ParseStatement("").expression);
}

TEST(Notation, AWrongLineFailsWhereItGoesWrong) {
    for (const auto& [szLine, nColumn] : std::initializer_list<std::pair<const char*, size_t>>{
             {"f(1", 4},
             {"f(1,)", 5},
             {"f(1) g", 6},
             {"x = 'open", 5},
             {"x = = 1", 5},
             {"x =", 4},
             {"@ x", 1},
             {"a.b = 1", 1},    // variables have no dot
             {"host.read", 1},  // a built-in is called
             {"host.", 6},
             {"$", 1},
             {"@JsonNull(1)", 10},
         })
        EXPECT_EQ(ErrorColumn(szLine), nColumn) << szLine;
}

}  // namespace
