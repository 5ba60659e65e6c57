#include "compiler/library/core/search_sort.h"

#include <string>

#include "compiler/base/core_flash_read.h"

namespace qbc {

namespace {

// 16-bit pointer lines are needed once SRAM reaches past address 255.
bool WidePointers(const CompilerState& st) { return st.dev.RamEnd > 256; }

}  // namespace

// Bubble sort of unsigned bytes, largest first. Fewer than two elements leave the array
// as it is: the passes below need a neighbouring pair and would run below the array and
// wrap the pass counter otherwise.
void EmitSortRoutine(CompilerState& st) {
  const bool wide = WidePointers(st);
  st.out.Line();
  st.out.Text(R"(
;////// Sort in SRAM /////////////////////
_Sort:\tcpi\t\tzl,0x02
\t\tbrlo\t_Sor4
\t\tdec\t\tzl)");
  if (wide) st.out.Text(R"(\t\tclr\t\tzh)");
  st.out.Text(R"(
\t\tmov\t\tr24,zl
\t\tadd\t\tzl,xl)");
  if (wide) st.out.Text(R"(\t\tadc\t\tzh,xh)");
  st.out.Text(R"(\t\tmov\t\txl,zl)");
  if (wide) st.out.Text(R"(\t\tmov\t\txh,zh)");
  st.out.Text(R"(_Sor3:\tmov\t\tzl,xl)");
  if (wide) st.out.Text(R"(\t\tmov\t\tzh,xh)");
  st.out.Text(R"(
\t\tmov\t\tr25,r24
_Sor1:\tld\t\tr22,Z
\t\tld\t\tr23,-Z
\t\tcp\t\tr22,r23
\t\tbrlo\t_Sor2
\t\tst\t\tZ,r22
\t\tstd\t\tZ+1,r23
_Sor2:\tdec\t\tr25
\t\tbrne\t_Sor1
\t\tdec\t\tr24
\t\tbrne\t_Sor3
_Sor4:\tret)");
}

// The table searches take the number of elements and compare each of them exactly once:
// the count is tested before an entry is read, so a count of 0 finds nothing and the
// entry whose index equals the count is compared too. The result is the 1-based index of
// the first equal entry, 0 when there is none, always as a 16-bit value in zh:zl.

// 16-bit entries (stored low byte first) read as r1 = first byte, r0 = second byte.
static void EmitFind16EntryRead(CompilerState& st) {
  if (HasLpmPostIncrement(st)) {
    EmitCoreFlashRead(st, {}, "r1");
    EmitCoreFlashRead(st, {}, "r0");
    return;
  }
  EmitCoreFlashRead(st, {}, "r0");
  st.out.Text(R"(\t\tmov\t\tr1,r0)");
  EmitCoreFlashRead(st, {}, "r0");
}

void EmitFind16Routine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Find16 in Table //////////////////
_Fnd16:\tclr\t\txl
\t\tclr\t\txh
_Fn161:\tcp\t\txl,r22
\t\tcpc\t\txh,r23
\t\tbreq\t_Fn162)");
  EmitFind16EntryRead(st);
  st.out.Text(R"(
\t\tadiw\txl,0x01
\t\tcp\t\tr24,r0
\t\tcpc\t\tr25,r1
\t\tbrne\t_Fn161
\t\tmov\t\tzl,xl
\t\tmov\t\tzh,xh
\t\tret
_Fn162:\tclr\t\tzl
\t\tclr\t\tzh
\t\tret)");
}

void EmitFind16RoutineAlt(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Find16 in Table //////////////////
_Fnd16:\tclr\t\txh
_Fn161:\tcp\t\txh,xl
\t\tbreq\t_Fn162)");
  EmitFind16EntryRead(st);
  st.out.Text(R"(
\t\tinc\t\txh
\t\tcp\t\tr24,r0
\t\tcpc\t\tr25,r1
\t\tbrne\t_Fn161
\t\tmov\t\tzl,xh
\t\tclr\t\tzh
\t\tret
_Fn162:\tclr\t\tzl
\t\tclr\t\tzh
\t\tret)");
}

void EmitFind8Routine(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Find8 in Table ///////////////////
_Fnd8:\tclr\t\txh
_Fn81:\tcp\t\txh,xl
\t\tbreq\t_Fn82)");
  EmitCoreFlashRead(st, {}, "r0");
  st.out.Text(R"(
\t\tinc\t\txh
\t\tcp\t\tr24,r0
\t\tbrne\t_Fn81
\t\tmov\t\tzl,xh
\t\tclr\t\tzh
\t\tret
_Fn82:\tclr\t\tzl
\t\tclr\t\tzh
\t\tret)");
}

void EmitFind8RoutineAlt(CompilerState& st) {
  st.out.Line();
  st.out.Text(R"(
;////// Find8 in Table ///////////////////
_Fnd8:\tclr\t\txh
\t\tclr\t\txl
_Fn81:\tcp\t\txl,r22
\t\tcpc\t\txh,r23
\t\tbreq\t_Fn82)");
  EmitCoreFlashRead(st, {}, "r0");
  st.out.Text(R"(
\t\tadiw\txl,0x01
\t\tcp\t\tr24,r0
\t\tbrne\t_Fn81
\t\tmov\t\tzl,xl
\t\tmov\t\tzh,xh
\t\tret
_Fn82:\tclr\t\tzl
\t\tclr\t\tzh
\t\tret)");
}

// Whole preformatted lines (label and mnemonic padded to eight columns); only the flash
// reads use the layout cells. Written without an empty line before the header.
static void EmitFscFlashRead(CompilerState& st) {
  WriteFlashReadLines(st, st.out.OperandSeparator, Sep::kWide, "r0", false);
}

void EmitFindStrConstRoutine(CompilerState& st) {
  st.out.Text(R"(
;////// Find Str Const ////////////////////
_FSC:   tst     r24
        breq    _FSC1)");
  EmitFscFlashRead(st);
  st.out.Text(R"(
        tst     r0
        breq    _FSC2
        rjmp    _FSC
_FSC2:  dec     r24)");
  EmitFscFlashRead(st);
  st.out.Text(R"(
        tst     r0
        breq    _FSC
        sbiw    zl,0x01
        rjmp    _FSC
_FSC1:  ret)");
}

}  // namespace qbc
