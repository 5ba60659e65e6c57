#pragma once
// Records generated assembler text for the output guard: when QBC_ASM_SNAPSHOT_DIR is
// set, every program the tests compile or assemble is written there, so that two runs of
// the suite (before and after a change that must not alter the output) can be compared
// file by file (scripts/asm-snapshot.sh). Without the variable nothing is written.
#include <string>

namespace qbc::test {

// A program compiled from BASIC `source` by `pipeline` ("driver", "qbc", "stages"): the
// file is named by a hash of both, so the same source names the same file in every run.
void RecordCompiledAsm(const std::string& pipeline, const std::string& source, const std::string& asm_text);

// Assembler text handed to avra by a test (fixtures and library routine benches): named
// by the running test and the order of the call within it.
void RecordAssembledAsm(const std::string& asm_text);

}  // namespace qbc::test
