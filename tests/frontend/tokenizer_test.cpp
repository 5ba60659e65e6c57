#include "compiler/frontend/tokenizer.h"

#include <gtest/gtest.h>

#include "compiler/base/compile_failure.h"
#include "compiler/driver/keyword_list.h"
#include "compiler/frontend/source_reader.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

using Tokens = std::vector<std::string>;

struct TokenCase {
  const char* line;
  Tokens tokens;             // "text/kind", "<EOL>/0" last
  bool skipOperandPush;      // SkipOperandPush after the line
};

// Kinds: 0 <EOL>, 1 operator, 2 name, 3 "(", 4 ")", 5 ",", 6 ".", 7 name + "(", 8 number,
// 9 "$", 10 ":", 11 keyword, 12 string, 13 "&", 15 ";", 16 "#".
const TokenCase kCases[] = {
    // Spacing and letter case do not matter.
    {"A=B", {"a/2", "=/1", "b/2", "<EOL>/0"}, false},
    {"a = b", {"a/2", "=/1", "b/2", "<EOL>/0"}, false},
    {"\ta\t=\tb\t", {"a/2", "=/1", "b/2", "<EOL>/0"}, false},
    // Keywords, the x/y/z renaming, and merged comparison operators.
    {"if x <= 10 then", {"if/11", "x_/2", "<=/1", "10/8", "then/2", "<EOL>/0"}, false},
    {"IF Y >= z THEN", {"if/11", "y_/2", ">=/1", "z_/2", "then/2", "<EOL>/0"}, false},
    {"if a < > b then", {"if/11", "a/2", "<>/1", "b/2", "then/2", "<EOL>/0"}, false},
    {"if a => b then", {"if/11", "a/2", "=>/1", "b/2", "then/2", "<EOL>/0"}, false},
    {"if a > < b then", {"if/11", "a/2", ">/1", "</1", "b/2", "then/2", "<EOL>/0"}, false},
    // No merge without a previous token on the line.
    {"=5", {"=/1", "5/8", "<EOL>/0"}, false},
    {"> a", {">/1", "a/2", "<EOL>/0"}, false},
    // Port bits; a "." inside a number is its decimal point wherever the number stands; in a
    // word that begins with a letter it is a separator.
    {"portb.3 = 1", {"portb/2", "./6", "3/8", "=/1", "1/8", "<EOL>/0"}, false},
    {"a = portb.3", {"a/2", "=/1", "portb/2", "./6", "3/8", "<EOL>/0"}, false},
    {"if portb.3 = 1 then", {"if/11", "portb/2", "./6", "3/8", "=/1", "1/8", "then/2", "<EOL>/0"}, false},
    {"a = x1.5", {"a/2", "=/1", "x1/2", "./6", "5/8", "<EOL>/0"}, false},
    {"a = 1.5", {"a/2", "=/1", "1.5/8", "<EOL>/0"}, false},
    {"waitms 1.5", {"waitms/11", "1.5/8", "<EOL>/0"}, false},
    {"a = b + 1.5", {"a/2", "=/1", "b/2", "+/1", "1.5/8", "<EOL>/0"}, true},
    {"a = b * 2.25 + c", {"a/2", "=/1", "b/2", "*/1", "2.25/8", "+/1", "c/2", "<EOL>/0"}, false},
    {"if x > 1.5 then", {"if/11", "x_/2", ">/1", "1.5/8", "then/2", "<EOL>/0"}, false},
    {"print 2.5", {"print/11", "2.5/8", "<EOL>/0"}, false},
    {"call s(1.5, b.1)", {"call/2", "s/7", "(/3", "1.5/8", ",/5", "b/2", "./6", "1/8", ")/4", "<EOL>/0"}, false},
    // String literals keep their case and their inner delimiters.
    {"print \"Hello, World: 'x'\"", {"print/11", "Hello, World: 'x'/12", "<EOL>/0"}, false},
    {"lcd \"\"", {"lcd/11", "/12", "<EOL>/0"}, false},
    // Comments end the line.
    {"a = b ' set a", {"a/2", "=/1", "b/2", "<EOL>/0"}, false},
    {"' only a comment", {"<EOL>/0"}, false},
    {"", {"<EOL>/0"}, false},
    // A name directly followed by "(" becomes kind 7; a keyword stays 11.
    {"foo(1)", {"foo/7", "(/3", "1/8", ")/4", "<EOL>/0"}, false},
    {"print(1)", {"print/11", "(/3", "1/8", ")/4", "<EOL>/0"}, false},
    // Numbers are words that begin with a digit; "&h" constants arrive split.
    {"1wreset", {"1wreset/8", "<EOL>/0"}, false},
    {"a = &HFF", {"a/2", "=/1", "&/13", "hff/2", "<EOL>/0"}, false},
    // Separators.
    {"$device = m8", {"$/9", "device/2", "=/1", "m8/2", "<EOL>/0"}, false},
    {"lbl: a = 1", {"lbl/2", ":/10", "a/2", "=/1", "1/8", "<EOL>/0"}, false},
    {"print a;b,#c", {"print/11", "a/2", ";/15", "b/2", ",/5", "#/16", "c/2", "<EOL>/0"}, false},
    // SkipOperandPush: exactly one two-operand operator after "=", no parenthesis.
    {"a = b + c", {"a/2", "=/1", "b/2", "+/1", "c/2", "<EOL>/0"}, true},
    {"a = b and c", {"a/2", "=/1", "b/2", "and/2", "c/2", "<EOL>/0"}, true},
    {"a = b + c + d", {"a/2", "=/1", "b/2", "+/1", "c/2", "+/1", "d/2", "<EOL>/0"}, false},
    {"a = (b + c)", {"a/2", "=/1", "(/3", "b/2", "+/1", "c/2", ")/4", "<EOL>/0"}, false},
    {"a = -b", {"a/2", "=/1", "-/1", "b/2", "<EOL>/0"}, false},
    {"a = b", {"a/2", "=/1", "b/2", "<EOL>/0"}, false},
    // "mod", "not" and "!" rule the one-operator form out.
    {"a = b mod c", {"a/2", "=/1", "b/2", "mod/2", "c/2", "<EOL>/0"}, false},
    {"a = b + c mod d", {"a/2", "=/1", "b/2", "+/1", "c/2", "mod/2", "d/2", "<EOL>/0"}, false},
    {"a = not b and c", {"a/2", "=/1", "not/2", "b/2", "and/2", "c/2", "<EOL>/0"}, false},
    {"a = !b and c", {"a/2", "=/1", "!/1", "b/2", "and/2", "c/2", "<EOL>/0"}, false},
    {"a = b and not c", {"a/2", "=/1", "b/2", "and/2", "not/2", "c/2", "<EOL>/0"}, false},
    // Only the first statement of the line counts: the hint serves it alone.
    {"a = 5 : b = c and d", {"a/2", "=/1", "5/8", ":/10", "b/2", "=/1", "c/2", "and/2", "d/2", "<EOL>/0"}, false},
    {"a = b + c : d = e", {"a/2", "=/1", "b/2", "+/1", "c/2", ":/10", "d/2", "=/1", "e/2", "<EOL>/0"}, true},
};

TEST(Tokenizer, LinesGiveTheirTokens) {
  for (const TokenCase& c : kCases) {
    test::CompilerFixture f;
    f.st.sticky.SkipOperandPush = false;
    f.Tokenize(c.line);
    EXPECT_EQ(f.TokenList(), c.tokens) << "line: " << c.line;
    EXPECT_EQ(f.st.sticky.SkipOperandPush, c.skipOperandPush) << "line: " << c.line;
    EXPECT_EQ(f.st.ErrorCount, 0) << "line: " << c.line;
  }
}

TEST(Tokenizer, UnterminatedStringIsReportedAndEndsTheLine) {
  test::CompilerFixture f;
  f.Tokenize("a = \"abc");
  EXPECT_EQ(f.TokenList(), (Tokens{"a/2", "=/1", "<EOL>/0"}));
  EXPECT_EQ(f.st.ErrorCount, 1);
  EXPECT_NE(f.report.Text().find("Unterminated string constant"), std::string::npos);
}

TEST(Tokenizer, KeepsEarlierTokensBeyondTheEndOfLine) {
  test::CompilerFixture f;
  f.Tokenize("a = b + c");
  f.Tokenize("d");
  EXPECT_EQ(f.TokenList(), (Tokens{"d/2", "<EOL>/0"}));
  EXPECT_EQ(f.st.src.Tokens[2].Text, "b");  // left by the longer line
}

TEST(Tokenizer, BlockCommentSkipsLinesUpToTheClosingOne) {
  test::CompilerFixture f;
  f.LoadSource("a = 1 '( start\nmiddle\nend )' ignored\nb = 2\n");
  EXPECT_EQ(f.TokenList(), (Tokens{"a/2", "=/1", "1/8", "<EOL>/0"}));
  EXPECT_EQ(f.st.src.SourceLineNumber, 3);
  f.st.src.TokenIndex = 3;
  CheckStatementEnd(f.st);
  EXPECT_EQ(f.TokenList(), (Tokens{"b/2", "=/1", "2/8", "<EOL>/0"}));
  EXPECT_EQ(f.st.src.SourceLineNumber, 4);
}

TEST(Tokenizer, BlockCommentClosedOnItsOwnLineConsumesNothing) {
  test::CompilerFixture f;
  f.LoadSource("'( one line )'\nb = 2\n");
  EXPECT_EQ(f.TokenList(), (Tokens{"b/2", "=/1", "2/8", "<EOL>/0"}));
  EXPECT_EQ(f.st.src.SourceLineNumber, 2);
}

TEST(Tokenizer, FailuresForBlockCommentAtEndOfFileLongLinesAndTooManyTokens) {
  {
    // An ordinary source: a compile error at the line that opened the comment.
    test::CompilerFixture f;
    f.LoadSource("'( never closed\nstill open\n");
    EXPECT_EQ(f.report.Text(), " 1. Missing \")'\" to close the block comment (\"test.bas\" --> Line  1)\r\n");
    EXPECT_EQ(f.st.TokText(), "last");
  }
  {
    test::CompilerFixture f;
    EXPECT_NO_THROW(f.Tokenize(std::string(253, 'a')));
    EXPECT_THROW(f.Tokenize(std::string(254, 'a')), CompileFailure);
  }
  {
    test::CompilerFixture f;
    std::string line;
    for (int i = 0; i < 126; ++i) line += "a,";  // 252 tokens and "<EOL>"
    EXPECT_NO_THROW(f.Tokenize(line));
    EXPECT_EQ(f.st.src.TokenCount, 253);
    EXPECT_THROW(f.Tokenize(line + "b,c"), CompileFailure);  // 257 tokens
  }
}

// The words the tokenizer has given the kind "keyword" since before the list came from the
// dispatch rows. A row whose word is a new keyword belongs here as well: a word that
// becomes a keyword by accident is no longer a name a program can use.
const char* const kRecordedKeywords[] = {
    "abs", "ac", "acos", "adc", "adc8", "asc", "asin", "asm", "atan", "atan2", "baud", "baud0", "baud1",
    "baud2", "baud3", "bcd", "bitwait", "box", "capture1", "capture3", "capture4", "capture5", "chr", "circle",
    "clockprescale", "cls", "compare0", "compare0a", "compare0b", "compare1", "compare1a", "compare1b",
    "compare1c", "compare2", "compare3a", "compare3b", "compare3c", "compare4a", "compare4b", "compare4c",
    "compare5a", "compare5b", "compare5c", "const", "contrast", "cos", "cosh", "counter0", "counter1",
    "counter2", "counter3", "counter4", "counter5", "cpeek", "crc8", "cursor", "declare", "decr", "def",
    "deflcdchar", "degtorad", "dim", "disable", "display", "do", "dtmf", "enable", "end", "exit", "exp",
    "extstandby", "false", "fastpwm", "fill", "find16", "find8", "fontset", "for", "format", "fract", "frombcd",
    "function", "gcls", "gcommand", "gcursor", "glcd", "glcdinit", "gnum", "goto", "gread", "grpareaset",
    "grphomeset", "gwrite", "hex", "hexval", "i2cread", "i2cstart", "i2cstop", "i2cwrite", "idle", "if",
    "imgset", "incr", "initee", "initlcd", "input", "input0", "input1", "input2", "input3", "inputbin",
    "inputbin0", "inputbin1", "inputbin2", "inputbin3", "instr", "int", "int0", "int1", "int2", "int3", "int4",
    "int5", "int6", "int7", "interrupt", "inverse", "jtag", "key", "lcase", "lcd", "leadchar", "left", "len",
    "line", "lineh", "linev", "locate", "log", "log10", "loop", "ltrim", "makeword", "memcopy", "memfill",
    "memload", "mid", "msb", "next", "nokey", "nop", "off", "on", "open", "pckey", "pckeysend", "peek", "point",
    "poke", "pow", "powerdown", "powersave", "print", "print0", "print1", "print2", "print3", "printbin",
    "printbin0", "printbin1", "printbin2", "printbin3", "pset", "pulse", "pwm0", "pwm0a", "pwm0b", "pwm1",
    "pwm1a", "pwm1b", "pwm1c", "pwm2", "pwm3a", "pwm3b", "pwm3c", "pwm4a", "pwm4b", "pwm4c", "pwm5a", "pwm5b",
    "pwm5c", "radtodeg", "randomize", "rc5", "readee", "reset", "return", "right", "rnd", "rotate", "rtrim",
    "select", "set", "shift", "shiftin", "shiftout", "sin", "sinh", "sort", "sound", "spi", "spiin", "spiout",
    "sqr", "sqrt", "standby", "start", "stop", "str", "sub", "swap", "tan", "tanh", "tcls", "timer0", "timer1",
    "timer2", "timer3", "timer4", "timer5", "tlcd", "toggle", "true", "txtareaset", "txthomeset", "ucase",
    "val", "varptr", "wait", "waitms", "waitus", "wend", "while", "writeee",
};

TEST(Keywords, AreTheDispatchWordsAndTheSyntaxWords) {
  const auto& list = KeywordList();
  EXPECT_EQ(std::vector<std::string>(list.begin(), list.end()),
            std::vector<std::string>(std::begin(kRecordedKeywords), std::end(kRecordedKeywords)));
  EXPECT_TRUE(IsKeyword("baud1"));
  EXPECT_TRUE(IsKeyword("counter3"));
  EXPECT_TRUE(IsKeyword("waitms"));
  EXPECT_TRUE(IsKeyword("next"));
  EXPECT_FALSE(IsKeyword("then"));
  EXPECT_FALSE(IsKeyword("Print"));
}

}  // namespace
}  // namespace qbc

namespace qbc {
namespace {

// Any line within the length limit gives a token list that ends in one "<EOL>" and holds
// only known kinds. A character gives at most two tokens (a "." outside a name is counted
// and also begins the next word), so only a long line can pass the 256 tokens.
TEST(Tokenizer, RandomLinesAlwaysEndInOneEndOfLine) {
  const std::string alphabet = "aZx9._ \t=<>+-*/^|!()$,&#:;\"'%?[]";
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    const unsigned length = next() % 254;
    for (unsigned i = 0; i < length; ++i) line += alphabet[next() % alphabet.size()];
    if (line.find("'(") != std::string::npos) continue;  // block comments read the source file
    test::CompilerFixture f;
    try {
      f.Tokenize(line);
    } catch (const CompileFailure&) {
      EXPECT_GE(line.size(), 128u) << line;
      continue;
    }
    const int count = f.st.src.TokenCount;
    ASSERT_GE(count, 1) << line;
    ASSERT_LE(count, 2 * static_cast<int>(line.size()) + 1) << line;
    EXPECT_EQ(f.st.src.Tokens[count - 1].Text, "<EOL>") << line;
    EXPECT_EQ(f.st.src.Tokens[count - 1].Kind, kTokEol) << line;
    for (int i = 0; i < count - 1; ++i) {
      const TokenRecord& t = f.st.src.Tokens[i];
      EXPECT_NE(t.Text, "<EOL>") << line;
      if (t.Kind != kTokString) {
        EXPECT_NE(t.Text, " ") << line;
      }
      EXPECT_NE(t.Kind, 14) << line;
      EXPECT_LE(t.Kind, 16) << line;
    }
  }
}

}  // namespace
}  // namespace qbc
