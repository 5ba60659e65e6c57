#include "compiler/base/decl_text.h"

#include <gtest/gtest.h>

namespace qbc {
namespace {

TEST(CaseText, ChangesOnlyAsciiLetters) {
  struct Case {
    std::string text;
    std::string upper;
    std::string lower;
  };
  const Case cases[] = {
      {"", "", ""},
      {"PortB.3", "PORTB.3", "portb.3"},
      {"@[`{az AZ_09]", "@[`{AZ AZ_09]", "@[`{az az_09]"},
      {"\xE4\xC4x", "\xE4\xC4X", "\xE4\xC4x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpperText(c.text), c.upper) << c.text;
    EXPECT_EQ(LowerText(c.text), c.lower) << c.text;
  }
}

}  // namespace
}  // namespace qbc
