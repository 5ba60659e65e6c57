#pragma once
// What the port properties window changes: the terminal's port, read, applied and its
// DTR and RTS lines toggled.
#include <QString>

#include "tools/terminal/core/port_settings.h"

namespace qbc {

class PortPropertiesTarget {
 public:
  virtual ~PortPropertiesTarget() = default;
  // The values as the port has them now.
  virtual PortSettings CurrentPortSettings() const = 0;
  // Applies new values; an error description when one could not be applied.
  virtual QString ApplyPortSettings(const PortSettings& settings) = 0;
  virtual void ToggleDtr() = 0;
  virtual void ToggleRts() = 0;
};

}  // namespace qbc
