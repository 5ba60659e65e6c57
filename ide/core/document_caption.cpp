#include "ide/core/document_caption.h"

namespace qbc {

std::string CaptionFor(const std::string& path) { return std::string(kCaptionPrefix) + path; }

std::string PathFromCaption(const std::string& caption) {
  return caption.size() > kCaptionPrefix.size() ? caption.substr(kCaptionPrefix.size()) : std::string();
}

std::string UntitledName(int n) { return "BasDoc" + std::to_string(n) + ".bas"; }

bool IsUntitled(const std::string& documentName) { return documentName.starts_with("BasDoc"); }

}  // namespace qbc
