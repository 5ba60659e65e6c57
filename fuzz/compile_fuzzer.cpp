// libFuzzer entry: every input is compiled as a whole program. The input must never make
// the compiler crash, hang, grow without bound, overflow its stack or trip a sanitizer,
// nor end in text that names no line: compile errors are the ordinary outcome, and every
// line the compilation writes must be one of them. Anything else ends the run as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/compile_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qbc::fuzz::CompileOutcome outcome =
      qbc::fuzz::CompileInput(std::string_view(reinterpret_cast<const char*>(data), size), QBC_INC_DIR);
  const std::vector<std::string> bare = qbc::fuzz::BareOutputLines(outcome);
  if (!bare.empty()) {
    for (const std::string& line : bare) std::fprintf(stderr, "bare output line: %s\n", line.c_str());
    std::abort();
  }
  return 0;
}
