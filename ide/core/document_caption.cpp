#include "ide/core/document_caption.h"

namespace qbc {

std::string CaptionFor(const std::string& path) { return std::string(kCaptionPrefix) + path; }

std::string PathFromCaption(const std::string& caption) {
  return caption.size() > kCaptionPrefix.size() ? caption.substr(kCaptionPrefix.size()) : std::string();
}

std::string UntitledName(int n) { return "BasDoc" + std::to_string(n) + ".bas"; }

bool IsUntitled(const std::string& documentName) { return documentName.starts_with("BasDoc"); }

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (dot == std::string::npos || dot <= nameStart) return path;
  return path.substr(0, dot);
}

}  // namespace qbc
