#include "tests/support/routine_bench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "compiler/codegen/far_jumps.h"
#include "compiler/codegen/handlers/handler_finish.h"

namespace qbc::test::bench {

void SetChipProfile(CompilerState& st, const ChipProfile& chip) {
  st.dev.RamStart = chip.ram_start;
  st.dev.RamEnd = chip.ram_end;
  st.dev.FlashEnd = chip.flash_bytes;
  st.dev.LpmPostIncrement = st.dev.ElpmPostIncrement = chip.mega_core || chip.tiny_lpm;
  st.dev.NeedRampz = chip.rampz;
  st.dev.WideProgramCounter = chip.flash_bytes > 128 * 1024;
  st.dev.HardwareMultiplier = chip.multiplier;
  st.mn.LpmMnemonic = chip.rampz ? "elpm" : "lpm";
  const bool big = chip.flash_bytes > 8192;
  st.mn.CallMnemonic = big ? "call" : "rcall";
  st.mn.JumpMnemonic = big ? "jmp" : "rjmp";
}

void SetChipProfile(CompilerState& st, const Chip& chip, bool rampz) {
  SetChipProfile(st, {.ram_start = static_cast<std::int32_t>(chip.ram_start),
                      .ram_end = static_cast<std::int32_t>(chip.ram_end),
                      .flash_bytes = static_cast<std::int32_t>(chip.flash_bytes),
                      .mega_core = chip.mega_core,
                      .tiny_lpm = chip.tiny_lpm,
                      .rampz = rampz,
                      .multiplier = chip.multiplier});
}

std::string WithFarTargetsReached(CompilerState& st, const std::string& program) {
  st.out.Clear();
  st.out.Put(program);
  const AsmView layout(st.out.Str(), OutputFiles(st), AsmView::Keep::kLayout);
  EXPECT_TRUE(layout.Understood() && layout.SizesKnown()) << "the fixture program's placing is not known";
  ReachFarTargets(st, layout);
  EXPECT_EQ(st.ErrorCount, 0) << "a jump of the fixture program reaches its target in no form";
  return st.out.Str();
}

std::string Hex2(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "0x%02x", v & 0xFFu);
  return b;
}

std::string DbLines(Bytes bytes, std::size_t per_line) {
  if (bytes.size() % 2) bytes.push_back(0);
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += per_line) {
    text += "\t.db\t";
    for (std::size_t j = i; j < std::min(bytes.size(), i + per_line); ++j) {
      if (j != i) text += ',';
      text += Hex2(bytes[j]);
    }
    text += '\n';
  }
  return text;
}

std::string DbTable(const std::string& label, const Bytes& bytes) { return label + ":\n" + DbLines(bytes); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

void PutLe(Bytes& v, std::uint64_t x, int count) {
  for (int i = 0; i < count; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

Bytes LeBytes(std::uint64_t x, int count) {
  Bytes v;
  PutLe(v, x, count);
  return v;
}

std::uint64_t GetLe(const Bytes& v, std::size_t at, int count) {
  std::uint64_t x = 0;
  for (int i = count - 1; i >= 0; --i) x = (x << 8) | v.at(at + static_cast<std::size_t>(i));
  return x;
}

std::string StackSetup(bool high_byte, const std::string& indent) {
  std::string t = indent + "ldi\tr16,low(RAMEND)\n" + indent + "out\tSPL,r16\n";
  if (high_byte) t += indent + "ldi\tr16,high(RAMEND)\n" + indent + "out\tSPH,r16\n";
  return t;
}

std::unique_ptr<SimRunner> AssembleAndRun(const std::string& program, const SimOptions& options,
                                          const std::string& what) {
  AsmResult a = AssembleAsm(program);
  if (!a.ok) {
    ADD_FAILURE() << "assembling the " << what << " failed:\n" << a.output;
    return nullptr;
  }
  auto sim = std::make_unique<SimRunner>(options);
  if (!sim->Load(a.hex_path, a.map_path)) {
    ADD_FAILURE() << what << ": " << sim->Error();
    return nullptr;
  }
  const SimStop stop = sim->Run();
  if (stop != SimStop::EndLoop) {
    ADD_FAILURE() << what << ": the run stopped with " << SimStopName(stop) << " at pc " << sim->PcBytes() << "\n"
                  << sim->Log();
    return nullptr;
  }
  return sim;
}

ResultsAt FixedAddress(std::uint32_t addr) {
  return [addr](const SimRunner&) -> std::optional<std::uint32_t> { return addr; };
}

ResultsAt SymbolAddress(const std::string& name) {
  return [name](const SimRunner& sim) { return sim.Symbol(name); };
}

std::vector<Bytes> RunInBatches(const std::vector<Bytes>& cases, const BatchPlan& plan, const BatchProgram& program,
                                const ResultsAt& results_at, const AfterRun& after) {
  std::vector<Bytes> results;
  const std::size_t per_run = std::max<std::size_t>(plan.cases_per_run, 1);
  for (std::size_t first = 0; first < cases.size(); first += per_run) {
    Batch batch{.first = first, .count = std::min(per_run, cases.size() - first), .table = {}};
    for (std::size_t i = first; i < first + batch.count; ++i) {
      Bytes c = cases[i];
      if (plan.zero_fill)
        c.resize(plan.in_bytes, 0);
      else
        EXPECT_EQ(c.size(), plan.in_bytes) << plan.what << ": case " << i;
      batch.table.insert(batch.table.end(), c.begin(), c.end());
    }
    SimOptions options = plan.sim;
    if (plan.cycles_per_case != 0) options.max_cycles += plan.cycles_per_case * batch.count;
    auto sim = AssembleAndRun(program(batch), options, plan.what);
    if (!sim) return results;
    const std::optional<std::uint32_t> base = results_at(*sim);
    if (!base) {
      ADD_FAILURE() << plan.what << ": no address for the results";
      return results;
    }
    std::uint32_t addr = *base;
    for (std::size_t i = 0; i < batch.count; ++i) {
      Bytes out(plan.out_bytes);
      for (std::uint8_t& b : out) b = sim->Sram(addr++);
      results.push_back(std::move(out));
    }
    if (after) after(*sim, addr);
  }
  return results;
}

}  // namespace qbc::test::bench
