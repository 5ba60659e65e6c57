#include "compiler/base/source_names.h"

namespace qbc {

std::string SourceName(std::string_view tokenText) {
  if (tokenText == "x_" || tokenText == "y_" || tokenText == "z_") return std::string(tokenText.substr(0, 1));
  return std::string(tokenText);
}

std::string UnknownIdentifier(std::string_view tokenText) { return "Unknown identifier " + SourceName(tokenText); }

}  // namespace qbc
