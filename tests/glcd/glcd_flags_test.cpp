// The routines a graphic LCD statement brings into the program: its used flags and the
// link rows they reach.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/base/flags/glcd_flags.h"
#include "compiler/driver/link_order.h"
#include "compiler/statements/comm_display/glcd_statements.h"
#include "compiler/statements/peripherals/glcd_cells.h"
#include "tests/support/compiler_fixture.h"

namespace qbc {
namespace {

std::vector<std::string> Linked(CompilerState& st) {
  std::vector<std::string> names;
  RunLinkOrder(
      st, LinkOrder(),
      [](CompilerState&, const LinkRow& row, int, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(row.Name);
      },
      &names);
  return names;
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
  for (const auto& n : names)
    if (n == name) return true;
  return false;
}

struct Compiled {
  test::CompilerFixture f;
  explicit Compiled(int type, const std::string& line, void (*generator)(CompilerState&)) {
    f.st.Cells<GlcdCells>().GlcdType = static_cast<std::uint8_t>(type);
    f.LoadSource(line + "\n");
    generator(f.st);
  }
};

// GWrite and GRead on the T6963C address through _TaSet, one of the graphic home routines.
TEST(GlcdFlags, T6963WriteAndReadBringTheGraphicAddressRoutines) {
  Compiled write(1, "GWrite(1 , 2) , 3", CompileGWriteStatement);
  Compiled read(1, "GRead(1 , 2)", [](CompilerState& st) { CompileGReadFunction(st, kTypeNone); });
  for (Compiled* c : {&write, &read}) {
    EXPECT_TRUE(c->f.st.used[NeedGrpHome]);
    EXPECT_TRUE(Has(Linked(c->f.st), "EmitT6963GraphHomeAreaRoutines"));
  }
  EXPECT_TRUE(write.f.st.used[NeedTwri]);
  EXPECT_TRUE(read.f.st.used[NeedTrd]);
}

// _Fnt comes with FontSet on every controller, text items or not.
TEST(GlcdFlags, FontSetBringsTheFontRoutineOnEveryController) {
  for (int type = 1; type <= 4; ++type) {
    Compiled c(type, "FontSet 0", CompileFontSetStatement);
    EXPECT_TRUE(Has(Linked(c.f.st), "EmitFontSelectRoutine")) << type;
  }
}

// A GLcd of Chr items only still brings the character routine on every controller.
TEST(GlcdFlags, ChrItemsAloneBringTheCharacterRoutine) {
  const char* const rows[] = {"", "EmitT6963ChrRoutine", "EmitHd61202GraphCharPrintRoutine",
                              "EmitSed1520GraphCharPrintRoutine", "EmitPcd8544GraphCharPrintRoutine"};
  for (int type = 1; type <= 4; ++type) {
    Compiled c(type, "GLcd(0 , 0) , Chr(65)", CompileGLcdStatement);
    EXPECT_EQ(c.f.st.ErrorCount, 0) << type;
    EXPECT_TRUE(Has(Linked(c.f.st), rows[type])) << type;
  }
}

}  // namespace
}  // namespace qbc
