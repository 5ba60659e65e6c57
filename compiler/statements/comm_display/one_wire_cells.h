#pragma once
// The 1-Wire buses from $1wire: read by the 1-Wire statements and the link order.
#include <string>

#include "compiler/base/bounded_table.h"

namespace qbc {

struct OneWireRecord {
  int LastBusIndex = 0;
  std::string Port;
  std::string Pin;
};

struct OneWireCells {
  BoundedTable<OneWireRecord, 9> OneWireBuses;
};

}  // namespace qbc
