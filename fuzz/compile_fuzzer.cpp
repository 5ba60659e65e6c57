// libFuzzer entry: every input is compiled as a whole program. The input must never make
// the compiler crash, hang, grow without bound, overflow its stack or trip a sanitizer;
// compile errors and reported run-time failures are ordinary outcomes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/compile_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qbc::fuzz::CompileInput(std::string_view(reinterpret_cast<const char*>(data), size), QBC_INC_DIR);
  return 0;
}
