#include "fuzz/compile_input.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "compiler/driver/driver.h"
#include "compiler/driver/memory_check.h"
#include "compiler/base/report.h"
#include "compiler/base/state.h"

namespace qbc::fuzz {

namespace {

// A fresh folder under the system's temporary folder, removed when this goes out of scope.
class TempFolder {
 public:
  TempFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "qbc-fuzz-XXXXXX").string();
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = buf.data();
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void WriteWhole(const std::string& path, std::string_view text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace

CompileOutcome CompileInput(std::string_view source, const std::string& incDir) {
  TempFolder dir;
  const std::string install = dir.Path() + "/install";
  std::filesystem::create_directory(install);
  std::filesystem::create_directory_symlink(incDir, install + "/inc");
  WriteWhole(install + "/tmp.tmp", source);
  const std::string doc = dir.Path() + "/prog.bas";
  WriteWhole(doc, source);

  auto st = std::make_unique<CompilerState>();
  ReportSink report;
  st->report = &report;
  CompileProgram(*st, doc, install + "/");
  return CompileOutcome{st->ErrorCount, report.LastFailure(), report.Text()};
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// " N. message (\"file\" --> Line  L)" as the compile error reporter writes it, without
// the line end.
bool IsNumberedError(std::string_view line) {
  std::size_t i = 0;
  if (i >= line.size() || (line[i] != ' ' && line[i] != '-')) return false;
  ++i;
  const std::size_t digits = i;
  while (i < line.size() && IsDigit(line[i])) ++i;
  if (i == digits || line.substr(i, 2) != ". ") return false;
  const std::size_t message = i + 2;
  const std::size_t place = line.rfind(" (\"");
  if (place == std::string_view::npos || place <= message) return false;
  const std::size_t at = line.find("\" --> Line ", place + 3);
  if (at == std::string_view::npos) return false;
  std::size_t k = at + 11;
  if (k >= line.size() || (line[k] != ' ' && line[k] != '-')) return false;
  ++k;
  const std::size_t number = k;
  while (k < line.size() && IsDigit(line[k])) ++k;
  return k > number && k + 1 == line.size() && line[k] == ')';
}

// The report's own line of a compilation without errors: "Quorvil Compiler : N lines
// compiled OK".
bool IsCompiledOk(std::string_view line) {
  constexpr std::string_view kHead = "Quorvil Compiler : ";
  constexpr std::string_view kTail = " lines compiled OK";
  if (line.size() <= kHead.size() + kTail.size() || line.substr(0, kHead.size()) != kHead ||
      line.substr(line.size() - kTail.size()) != kTail)
    return false;
  const std::string_view number = line.substr(kHead.size(), line.size() - kHead.size() - kTail.size());
  for (char c : number)
    if (!IsDigit(c)) return false;
  return true;
}

}  // namespace

std::vector<std::string> BareOutputLines(const CompileOutcome& outcome) {
  std::vector<std::string> bare;
  if (!outcome.failure.empty()) bare.push_back(outcome.failure);
  std::size_t start = 0;
  const std::string& text = outcome.report;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The one note a successful build may add: a $stack check that could not be made.
    if (!line.empty() && !IsNumberedError(line) && !IsCompiledOk(line) && line != kStackDepthUnknown)
      bare.push_back(line);
    start = end + 1;
  }
  return bare;
}

}  // namespace qbc::fuzz
