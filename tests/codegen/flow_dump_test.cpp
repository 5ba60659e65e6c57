// Prints the assembler text of a program given in the environment (a debugging aid; the
// test passes without a program).
#include <cstdlib>
#include <iostream>

#include "tests/codegen/flow_fixture.h"

namespace qbc {
namespace {
TEST(FlowDump, PrintsTheProgramOfQbcFlowProgram) {
  const char* path = std::getenv("QBC_FLOW_PROGRAM");
  if (path == nullptr) return;
  auto r = test::CompileOnly(test::ReadFile(path));
  std::cout << r.report << r.asmText;
  if (std::getenv("QBC_FLOW_RUN") == nullptr) return;
  auto run = test::RunProgram(test::ReadFile(path));
  if (run.sim) std::cout << "stop " << test::SimStopName(run.stop) << " pc " << run.sim->PcBytes() << "\n" << run.sim->Log();
}
}  // namespace
}  // namespace qbc
