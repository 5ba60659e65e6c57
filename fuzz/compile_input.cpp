#include "fuzz/compile_input.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "compiler/driver/driver.h"
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

}  // namespace qbc::fuzz
