#include "compiler/base/decl_text.h"

#include <gtest/gtest.h>

namespace qbc {
namespace {

TEST(Hex2, WritesTheLowByteInTheSpellingEachEmitterUses) {
  struct Case {
    unsigned value;
    HexForm form;
    const char* text;
  };
  const Case cases[] = {
      {0x00, HexForm::Upper, "00"},
      {0x0A, HexForm::Upper, "0A"},
      {0xFF, HexForm::Upper, "FF"},
      {0x1234, HexForm::Upper, "34"},
      {0x00, HexForm::Prefixed0xLower, "0x00"},
      {0xAB, HexForm::Prefixed0xLower, "0xab"},
      {0xFFFFFFFFu, HexForm::Prefixed0xLower, "0xff"},
      {0x80, HexForm::Prefixed0xUpper, "0x80"},
      {0x3F, HexForm::Prefixed0xUpper, "0x3F"},
      {0x1C0, HexForm::Prefixed0xUpper, "0xC0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex2(c.value, c.form), c.text) << std::hex << c.value;
  }
}

}  // namespace
}  // namespace qbc
