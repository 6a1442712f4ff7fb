// The shell against a fake extender: statements, results, errors of both
// kinds, the echo, stopping at an error; and the decoding of text files.
#include <gtest/gtest.h>
#include <sstream>

#include "host/shell/Shell.h"
#include "host/shell/TextFiles.h"
#include "tests/host/FakeExtender.h"

namespace {

using namespace zorshell;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.Attach(&fake::Query, &fake::Call);
        m_handshake = Greet(m_host);
    }

    // What the shell prints for script; bCompleted tells whether it ran to its end.
    std::string Run(const std::string& strScript, ShellOptions options = {}) {
        std::ostringstream out;
        std::istringstream in(strScript);
        Shell shell(m_host, m_handshake, out, options);
        bCompleted = shell.RunLines(in);
        return out.str();
    }

    zorhost::ZorHost m_host;
    Handshake m_handshake;
    bool bCompleted = false;
};

TEST_F(ShellTest, TheHandshakeReadsTheTable) {
    EXPECT_EQ(m_handshake.nInterface, 5);
    EXPECT_EQ(m_handshake.version.version, 7);
    EXPECT_EQ(m_handshake.version.title, u"Fake");
    EXPECT_EQ(m_host.Entries().size(), 6u);
}

TEST_F(ShellTest, StatementsPrintTheirResults) {
    EXPECT_EQ(Run("x = ECHO('a''b')\r\nx\n@TEN\nEcho(@ten)\narray(x, 2)\n"),
              "\"a'b\"\n\"a'b\"\n10\n10\narray of 2\n  [0] \"a'b\"\n  [1] 2\n");
    EXPECT_TRUE(bCompleted);
    ASSERT_NE(m_host.Store().Variable("x"), nullptr);
    EXPECT_EQ(*m_host.Store().Variable("x"), zorhost::HostValue::Text16(u"a'b"));
    EXPECT_EQ(Run("\xEF\xBB\xBF"
                  "echo(1)\n"),
              "1\n")
        << "a byte order mark before the first line";
}

TEST_F(ShellTest, EntriesAreCalledOnlyAsWhatTheyAre) {
    EXPECT_EQ(Run("@echo\nten()\n"),
              "shell error, line 1: the extender has no constant @echo\n"
              "shell error, line 2: the extender has no function ten\n");
    EXPECT_EQ(Run("X = echo(1)\nx\n"), "1\nshell error, line 2: no variable is named x\n")
        << "variable names keep their case";
}

TEST_F(ShellTest, LibraryErrorsShowMessageAndDetailsAndTheScriptGoesOn) {
    EXPECT_EQ(Run("fail()\necho(2)\n"), "error 20101: Invalid argument\n  detail \"first\"\n  detail \"second\"\n2\n");
    EXPECT_TRUE(bCompleted);
    EXPECT_EQ(Run("y = echo(fail())\ny\n"),
              "error 20101: Invalid argument\n  detail \"first\"\n  detail \"second\"\n"
              "shell error, line 2: no variable is named y\n")
        << "a failed argument stops its statement";
}

TEST_F(ShellTest, ABrokenCallProtocolIsAShellError) {
    EXPECT_EQ(Run("rogue()\nsilent()\n"),
              "shell error, line 1: rogue: the return callback ran 2 times\n"
              "shell error, line 2: silent: the return callback ran 0 times\n");
}

TEST_F(ShellTest, StopOnErrorEndsTheRunAtTheFirstError) {
    ShellOptions options;
    options.bStopOnError = true;
    EXPECT_EQ(Run("echo(1)\nfail()\necho(3)\n", options),
              "1\nerror 20101: Invalid argument\n  detail \"first\"\n  detail \"second\"\n");
    EXPECT_FALSE(bCompleted);
    EXPECT_EQ(Run("echo(1)\necho(\necho(3)\n", options),
              "1\nshell error, line 2, column 6: a value, name or call is expected here\n");
    EXPECT_FALSE(bCompleted);
}

TEST_F(ShellTest, TheEchoShowsStatementsAfterThePromptAndOtherLinesAsTheyAre) {
    ShellOptions options;
    options.bEcho = true;
    EXPECT_EQ(Run("# a comment\n\necho(1)  # and another\n", options), "# a comment\n\n> echo(1)  # and another\n1\n");
}

TEST_F(ShellTest, BuiltInsCheckTheirArguments) {
    EXPECT_EQ(Run("host.print('a', 1, echo(\"b\"))\nhost.pointer(1)\nhost.table(1)\n"),
              "a 1 b\n"
              "shell error, line 2: the variable name must be a text\n"
              "shell error, line 3: the call is written host.table()\n");
    std::string strPointer = m_host.Store().MakePointer("v");
    EXPECT_EQ(Run("host.pointer('v')\n"), strPointer + "\n");
}

TEST(TextFiles, DecodeUtf8OrUtf16ByTheByteOrderMark) {
    EXPECT_EQ(DecodeText("a\xc3\xa9"), u"a\u00e9");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF"
                         "a"),
              u"a");
    EXPECT_EQ(DecodeText(std::string("\xFF\xFE"
                                     "a\0\xe9\0",
                                     6)),
              u"a\u00e9");
    EXPECT_EQ(DecodeText(std::string("\xFE\xFF\0a\xD8\x3D\xDE\x00", 8)), u"a\U0001F600");
    EXPECT_EQ(DecodeText(std::string("\xFF\xFE"
                                     "a\0b",
                                     5)),
              u"a\uFFFD")
        << "half a unit";
    EXPECT_EQ(DecodeText("a\xff"
                         "b"),
              u"a\uFFFDb");
    EXPECT_EQ(DecodeText(""), u"");
}

}  // namespace
