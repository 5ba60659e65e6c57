#pragma once
// Seeds for the fuzzer: when QBC_FUZZ_SEED_DIR is set, every program text the tests hand
// to the compiler is written there (one file per distinct text), so that a run of the
// suite leaves a seed corpus made of the tests' own programs. Without the variable
// nothing is written.
#include <string>

namespace qbc::test {

void KeepFuzzSeed(const std::string& source);

}  // namespace qbc::test
