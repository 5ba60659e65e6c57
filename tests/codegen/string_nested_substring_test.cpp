// Substrings of substrings: Left, Right and Mid of a Left, Right or Mid take no more than
// the inner substring's characters (its text runs on to the end of the whole string).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/codegen/string_program.h"

namespace qbc {
namespace {

using test::strprog::Program;
using test::strprog::Target;

class NestedSubstring : public ::testing::TestWithParam<Target> {};

TEST_P(NestedSubstring, OuterFunctionHonoursTheInnerCount) {
  // S = "abcdef"; each expression and the text it must give.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Right(Mid(S, 2, 3), 1)", "d"},
      {"Right(Mid(S, 2, 3), 9)", "bcd"},
      {"Right(Left(S, 3), 2)", "bc"},
      {"Mid(Left(S, 4), 2)", "bcd"},
      {"Mid(Left(S, 4), 3, 5)", "cd"},
      {"Mid(Left(S, 4), 6)", ""},
      {"Mid(Mid(S, 2, 4), 2, 2)", "cd"},
      {"Left(Mid(S, 2, 3), 5)", "bcd"},
      {"Left(Mid(S, 2, 3), 2)", "bc"},
      {"Left(Right(Mid(S, 1, 5), 3), 2)", "cd"},
      {"Mid(Right(S, 4), 2, 2)", "de"},
      {"\"<\" + Mid(Left(S, 3), 2) + \">\"", "<bc>"},
  };
  std::string body = "Dim S As String * 10\n";
  for (std::size_t i = 0; i < cases.size(); ++i) body += "Dim Res" + std::to_string(i) + " As String * 10\n";
  body += "S = \"abcdef\"\n";
  for (std::size_t i = 0; i < cases.size(); ++i) body += "Res" + std::to_string(i) + " = " + cases[i].first + "\n";
  body += "End\n";
  Program p = test::strprog::Run(body, GetParam());
  ASSERT_TRUE(p.sim);
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(p.Text("res" + std::to_string(i)), cases[i].second) << cases[i].first;
  EXPECT_EQ(p.Text("s"), "abcdef");
}

INSTANTIATE_TEST_SUITE_P(Devices, NestedSubstring, ::testing::Values(test::strprog::M8(), test::strprog::M128()),
                         [](const auto& param) { return param.param.device; });

}  // namespace
}  // namespace qbc
