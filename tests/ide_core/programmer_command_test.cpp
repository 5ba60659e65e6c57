// The programmer's arguments from the user's command line and the document's .hex file.
#include <gtest/gtest.h>

#include "ide/core/programmer_command.h"

namespace qbc {
namespace {

using Args = std::vector<std::string>;

TEST(SplitShellWords, SplitsLikeTheShell) {
  const std::pair<const char*, Args> cases[] = {
      {"-p m8515 -e ", {"-p", "m8515", "-e"}},
      {"  -c  'my prog'\t-P \"/dev/tty USB0\"", {"-c", "my prog", "-P", "/dev/tty USB0"}},
      {"a\\ b \"q\\\"x\" 'x\\y'", {"a b", "q\"x", "x\\y"}},
      {"-U flash:w:", {"-U", "flash:w:"}},
      {"\"\"", {""}},
      {"", {}},
  };
  for (const auto& [text, words] : cases) EXPECT_EQ(SplitShellWords(text), words) << text;
}

TEST(ProgrammerArguments, TheFileFollowsTheCommandLineWithNothingBetween) {
  EXPECT_EQ(ProgrammerArguments("-p m8515 -e ", "/w/my blink.hex"), (Args{"-p", "m8515", "-e", "/w/my blink.hex"}));
  EXPECT_EQ(ProgrammerArguments("", "/w/blink.hex"), (Args{"/w/blink.hex"}));
  EXPECT_EQ(ProgrammerArguments("-c usbasp -U flash:w:", "/w/a b.hex"),
            (Args{"-c", "usbasp", "-U", "flash:w:/w/a b.hex"}));
  EXPECT_EQ(ProgrammerCommandText("/t/prog", "-p m8515 -e ", "/w/blink.hex"), "/t/prog -p m8515 -e /w/blink.hex");
}

}  // namespace
}  // namespace qbc
