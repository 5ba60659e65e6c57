#pragma once
// A document window's caption is its identity: "Open Document - " and the document's path
// (or untitled name). Every consumer of the active document's path reads it from there.
#include <string>
#include <string_view>

namespace qbc {

inline constexpr std::string_view kCaptionPrefix = "Open Document - ";

std::string CaptionFor(const std::string& path);

// The caption without its prefix; "" for a caption no longer than the prefix.
std::string PathFromCaption(const std::string& caption);

// The name of the n-th document window: "BasDoc", n, ".bas".
std::string UntitledName(int n);

// True for a document name that still carries its untitled name ("BasDoc...").
bool IsUntitled(const std::string& documentName);

}  // namespace qbc
