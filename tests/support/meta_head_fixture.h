#pragma once
// A first pass over "$" lines for a device, then the program head: for tests of the
// metastatements and the start-up lines they lead to.
#include <string>
#include <vector>

#include "tests/support/compiler_fixture.h"

namespace qbc::test {

struct MetaHead : CompilerFixture {
  // Reads "$device", "$clock" and "$stack" lines for `device` followed by `lines`, then
  // an End statement, through the first pass (with the installed device files).
  MetaHead(const std::string& device, const std::string& lines, const std::string& clock = "8");

  // The start-up lines that the peripheral settings give (the head's last section, before
  // the banner).
  std::string PeripheralInit();

  // The whole program: head, End, link step; labels the library does not write yet
  // (claimed vectors' handlers, init routines) are added as stubs that return, and the
  // link step's "Not supported yet" for them is taken back.
  std::string Program();

  // The InitCodeLines entries in use.
  std::vector<std::string> InitLines() const;

  // Vectors marked used, by index.
  std::vector<int> UsedVectors() const;
};

}  // namespace qbc::test
