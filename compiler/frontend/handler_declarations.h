#pragma once
// Where each interrupt handler was declared: a handler declared and never defined would
// leave its vector jumping to a label that does not exist, so it is reported at its
// declaration once the whole program is read.
#include <cstdint>
#include <string>
#include <vector>

namespace qbc {

struct HandlerDeclarationCells {
  struct Place {
    std::string Name;
    std::string FileName;
    std::int32_t LineNumber = 0;
  };
  std::vector<Place> Declared;
};

}  // namespace qbc
