#pragma once
// Stand-in for the float core while it is not built: the core's entry points as thin
// wrappers around avr-libc's IEEE single routines (round to nearest even), with the core's
// conventions on top (results below the normal range become +0, overflow and operands
// with the exponent field 255 give NaN). Built with avr-gcc at a fixed flash address and
// written into the fixture as .dw words.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <utility>
#include <sstream>
#include <string>

#include "tests/support/test_dirs.h"

namespace qbc::test::floatfn {

inline const char* kStandInSource = R"C(
#include <stdint.h>
typedef union { float f; uint32_t u; } fu;
static uint8_t ex(float a) { fu x; x.f = a; return (x.u >> 23) & 0xff; }
static float nanv(void) { fu x; x.u = 0xFFC00000UL; return x.f; }
static float fix(float r) { uint8_t e = ex(r); if (e == 0xff) return nanv(); if (e == 0) return 0.0f; return r; }
float c_mul(float a, float b) { if (ex(a) == 0xff || ex(b) == 0xff) return nanv(); return fix(a * b); }
float c_add(float a, float b) { if (ex(a) == 0xff || ex(b) == 0xff) return nanv(); return fix(a + b); }
float c_div(float a, float b) { if (ex(a) == 0xff || ex(b) == 0xff || ex(b) == 0) return nanv(); return fix(a / b); }
int32_t c_xsf(float a) {
  uint8_t e = ex(a); fu x; x.f = a;
  if (e < 0x7f || e >= 0x7f + 32) return 0;
  if (e == 0x7f + 31) { uint32_t m = ((x.u & 0x7fffff) | 0x800000) << 8; return (x.u >> 31) ? -(int32_t)m : (int32_t)m; }
  return (int32_t)a;
}
float c_s2f(int32_t n) { return (float)n; }
float c_f2e(float a, int16_t n) {
  fu x; x.f = a; int16_t e = ex(a);
  if (e == 0xff) return nanv(); if (e == 0) return 0.0f;
  e += n; if (e >= 0xff) return nanv(); if (e <= 0) return 0.0f;
  x.u = (x.u & 0x807fffffUL) | ((uint32_t)e << 23); return x.f;
}
asm(
".global _Fmul\n_Fmul: push r1\n clr r1\n rcall c_mul\n pop r1\n ret\n"
".global _Fpow2\n_Fpow2: mov r18,r22\n mov r19,r23\n mov r20,r24\n mov r21,r25\n rjmp _Fmul\n"
".global _Fadd\n_Fadd: push r1\n clr r1\n rcall c_add\n pop r1\n ret\n"
".global _Fsub\n_Fsub: subi r21,0x80\n rjmp _Fadd\n"
".global _Fdiv\n_Fdiv: push r1\n clr r1\n rcall c_div\n pop r1\n ret\n"
".global _Finv\n_Finv: mov r18,r22\n mov r19,r23\n mov r20,r24\n mov r21,r25\n ldi r25,0x3f\n ldi r24,0x80\n clr r23\n clr r22\n rjmp _Fdiv\n"
".global _Fxsf\n_Fxsf: push r1\n clr r1\n rcall c_xsf\n pop r1\n ret\n"
".global _Fs2f\n_Fs2f: push r1\n clr r1\n rcall c_s2f\n pop r1\n ret\n"
".global _F2e\n_F2e: push r1\n clr r1\n rcall c_f2e\n pop r1\n ret\n"
".global _Fba\n_Fba: mov r18,r22\n mov r19,r23\n mov r20,r24\n mov r21,r25\n ret\n"
".global _Fnan\n_Fnan: ldi r25,0xff\n ldi r24,0xc0\n ret\n"
".global _Fclr\n_Fclr: clr r22\n clr r23\n clr r24\n clr r25\n ret\n"
);
)C";

// Assembler text placing the stand-in at the word address `org`.
inline std::string StandInCore(const char* mcu, unsigned org) {
  static std::map<std::pair<std::string, unsigned>, std::string> built;
  auto key = std::make_pair(std::string(mcu), org);
  if (auto it = built.find(key); it != built.end()) return it->second;
  std::string dir = MakeTempDir("standin");
  WriteFile(dir + "/core.c", kStandInSource);
  char cmd[1024];
  std::snprintf(cmd, sizeof cmd,
                "cd %s && avr-gcc -mmcu=%s -Os -mrelax -nostartfiles -Wl,--section-start=.text=0x%x -Wl,-e,_Fmul "
                "core.c -o core.elf -lm >log 2>&1 && avr-objcopy -O binary -j .text core.elf core.bin >>log 2>&1 && "
                "avr-nm core.elf > core.sym",
                dir.c_str(), mcu, org * 2);
  if (std::system(cmd) != 0) return "; stand-in core failed: " + ReadFile(dir + "/log") + "\n";
  std::ifstream bin(dir + "/core.bin", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(bin)), std::istreambuf_iterator<char>());
  if (bytes.size() % 2) bytes.push_back('\0');
  char line[64];
  std::snprintf(line, sizeof line, "\t.org\t0x%04x\n", org);
  std::string t = line;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    std::snprintf(line, sizeof line, "\t.dw\t0x%02x%02x\n", static_cast<uint8_t>(bytes[i + 1]),
                  static_cast<uint8_t>(bytes[i]));
    t += line;
  }
  std::istringstream sym(ReadFile(dir + "/core.sym"));
  std::string addr, type, name;
  while (sym >> addr >> type >> name) {
    if (type != "T" || name.rfind("_F", 0) != 0) continue;
    unsigned a = static_cast<unsigned>(std::stoul(addr, nullptr, 16));
    std::snprintf(line, sizeof line, "\t.equ\t%s = 0x%04x\n", name.c_str(), a / 2);
    t += line;
  }
  built[key] = t;
  return t;
}

}  // namespace qbc::test::floatfn
