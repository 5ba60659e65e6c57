#include "compiler/base/text_rows.h"

#include "compiler/base/state.h"
#include "compiler/base/core_flash_read.h"

namespace qbc::textrows {

namespace {

bool OneTabMnemonic(std::string_view m) {
  if (!m.empty() && m[0] == 'b' && m.size() >= 4) return true;  // brne, breq, brts, ...
  static constexpr std::string_view kOneTab[] = {
      "rjmp", "rcall", "jmp", "call", "sbrs", "sbrc", "sbis", "sbic", "push",
      "subi", "sbci", "andi", "swap", "adiw", "lpm", "elpm", "cpse"};
  for (std::string_view k : kOneTab)
    if (m == k) return true;
  return false;
}

// Calls and kSep1 rows take the narrow gap; the others as the table's style says.
Sep RowSep(const Row& r, SepStyle style) {
  if (r.mnem == "@call" || (r.cond & kSep1) != 0) return Sep::kNarrow;
  if (style == SepStyle::kByLength) return CoreMnemonicSep(r.mnem);
  return OneTabMnemonic(r.mnem) ? Sep::kNarrow : Sep::kWide;
}

}  // namespace

std::uint16_t DeviceConds(const CompilerState& st) {
  std::uint16_t c = 0;
  if (st.dev.RamEnd > 255) c |= kY16;
  else c |= kNoY16;
  if (st.dev.RamEnd > 256) c |= kBigRam;
  else c |= kSmallRam;
  return c;
}

void WriteFlashRead(CompilerState& st, std::string_view label) {
  WriteFlashReadLines(st, st.out.LabelLead(label), Sep::kNarrow, "r0", false);
}

void WriteRows(CompilerState& st, const Rows& rows, std::uint16_t active, SepStyle style) {
  const std::uint16_t kSelect = static_cast<std::uint16_t>(~kSep1);
  for (const Row& r : rows) {
    if ((r.cond & kSelect & ~active) != 0) continue;
    if (r.mnem == "@lpm") {
      WriteFlashRead(st, r.label);
      continue;
    }
    if (r.mnem.empty()) {
      if (r.label.empty())
        st.out.Line(r.ops);
      else
        st.out.Label(r.label);
      continue;
    }
    const bool call = r.mnem == "@call";
    st.out.Instr(r.label, RowSep(r, style), call ? std::string_view(st.mn.CallMnemonic) : r.mnem, r.ops);
  }
}

void WriteHeader(CompilerState& st, std::string_view header) {
  st.out.Line();
  st.out.Line(header);
}

void WriteRoutine(CompilerState& st, std::string_view header, const Rows& rows, std::uint16_t variant,
                  SepStyle style) {
  WriteHeader(st, header);
  WriteRows(st, rows, static_cast<std::uint16_t>(DeviceConds(st) | variant), style);
}

long StackSizeValue(const CompilerState& st) {
  const std::string& t = st.cfg.StackSize;
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  int base = 10;
  if (i + 1 < t.size() && t[i] == '&' && (t[i + 1] == 'h' || t[i + 1] == 'H')) {
    base = 16;
    i += 2;
  }
  long v = 0;
  bool any = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    v = v * base + d;
    any = true;
    if (v > 0xFFFFFF) return -1;
  }
  return any ? v : -1;
}

Rows Join(std::initializer_list<const Rows*> parts) {
  Rows all;
  for (const Rows* p : parts) all.insert(all.end(), p->begin(), p->end());
  return all;
}

}  // namespace qbc::textrows
