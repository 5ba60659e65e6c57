#include "tests/support/basic_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "compiler/driver/driver.h"
#include "compiler/base/report.h"
#include "compiler/base/state.h"
#include "tests/support/asm_snapshot.h"
#include "tests/support/fuzz_seeds.h"
#include "tests/support/test_dirs.h"

namespace qbc::test {

CompiledBasic CompileBasic(const std::string& source) {
  CompiledBasic c;
  c.dir = MakeTempDir("basic");
  const std::string install = c.dir + "/install";
  std::filesystem::create_directories(install);
  std::error_code ec;
  std::filesystem::create_directory_symlink(BinDir() + "/inc", install + "/inc", ec);
  WriteFile(install + "/tmp.tmp", source);
  KeepFuzzSeed(source);
  const std::string doc = c.dir + "/prog.bas";
  WriteFile(doc, source);

  auto st = std::make_unique<CompilerState>();
  ReportSink report;
  st->report = &report;
  CompileProgram(*st, doc, install + "/");
  c.report = report.Text();
  c.failure = report.LastFailure();
  c.error_count = st->ErrorCount;
  c.asm_path = c.dir + "/prog.asm";
  c.asm_text = ReadFile(c.asm_path);
  RecordCompiledAsm("driver", source, c.asm_text);
  return c;
}

std::string LinesOfSourceLine(const CompiledBasic& compiled, int line) {
  std::string mark = std::to_string(line);
  mark = ";-Line--" + std::string(4 - std::min<std::size_t>(4, mark.size()), '0') + mark + "--";
  const std::size_t at = compiled.asm_text.find(mark);
  if (at == std::string::npos) return "(no " + mark + ")";
  std::istringstream text(compiled.asm_text.substr(at));
  std::string row, lines;
  std::getline(text, row);  // the mark
  while (std::getline(text, row)) {
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (row.empty() || row.rfind(";-Line--", 0) == 0) break;
    std::istringstream words(row);
    std::string word, out;
    while (words >> word) out += (out.empty() ? "" : " ") + word;
    lines += (lines.empty() ? "" : "; ") + out;
  }
  return lines;
}

bool CompiledBasic::StartsWithError(const std::string& message, int line) const {
  const std::string first = " 1. " + message + " (\"" + dir + "/prog.bas\" --> Line  " + std::to_string(line) + ")\r\n";
  return report.compare(0, first.size(), first) == 0;
}

std::string BasicRun::Diagnostics() const {
  std::ostringstream s;
  s << "compile errors: " << compiled.error_count << "\n" << compiled.report << "\n";
  if (!compiled.failure.empty()) s << "compiler failure: " << compiled.failure << "\n";
  s << "assembler:\n" << assembled.output << "\n";
  s << "stop: " << SimStopName(stop) << "\n";
  s << "---- asm ----\n" << compiled.asm_text;
  return s.str();
}

std::uint32_t BasicRun::Address(const std::string& name) const {
  if (!sim) return 0;
  auto a = sim->Symbol(name);
  if (!a) {
    ADD_FAILURE() << "no symbol " << name << " in the map";
    return 0;
  }
  return *a;
}

std::uint8_t BasicRun::Byte(const std::string& name, int offset) const { return sim->Sram(Address(name) + offset); }
std::uint16_t BasicRun::Word(const std::string& name, int offset) const {
  return sim->SramWord(Address(name) + offset);
}
std::int16_t BasicRun::Integer(const std::string& name, int offset) const {
  return static_cast<std::int16_t>(Word(name, offset));
}
std::uint32_t BasicRun::Long(const std::string& name, int offset) const {
  return sim->SramLong(Address(name) + offset);
}
std::uint32_t BasicRun::FloatBits(const std::string& name, int offset) const { return Long(name, offset); }
std::uint8_t BasicRun::Register(int r) const { return sim->Reg(r); }

std::unique_ptr<BasicRun> RunBasicWith(const std::string& source, const SimOptions& options,
                                       const std::vector<UartInput>& input,
                                       const std::function<void(SimRunner&)>& prepare) {
  auto run = std::make_unique<BasicRun>();
  run->compiled = CompileBasic(source);
  if (run->compiled.error_count != 0 || !run->compiled.failure.empty()) return run;
  run->assembled = AssembleAsmFile(run->compiled.asm_path);
  if (!run->assembled.ok) return run;
  run->sim = std::make_unique<SimRunner>(options);
  if (!run->sim->Load(run->assembled.hex_path, run->assembled.map_path)) return run;
  // the EEPROM image goes into the chip with the program, as the programmer writes it
  std::error_code ec;
  if (std::filesystem::file_size(run->assembled.eep_path, ec) > 0 && !ec)
    run->sim->LoadEeprom(run->assembled.eep_path);
  if (prepare) prepare(*run->sim);
  for (const UartInput& in : input) run->sim->QueueInput(in.bytes, in.uart);
  run->stop = run->sim->Run();
  run->ok = run->stop == SimStop::EndLoop;
  return run;
}

std::unique_ptr<BasicRun> RunBasic(const std::string& source, const std::string& mcu, std::uint64_t max_cycles,
                                   const std::function<void(SimRunner&)>& before_run) {
  SimOptions opt;
  opt.mcu = mcu;
  opt.max_cycles = max_cycles;
  return RunBasicWith(source, opt, {}, before_run);
}

}  // namespace qbc::test
