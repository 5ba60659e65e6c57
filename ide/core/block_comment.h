#pragma once
// Comment Block and UnComment Block: the environment's own transformations of the
// selected lines. Every line keeps its line end (LF or CR LF); an empty piece after the
// selection's last line end is the start of the next line, which the selection does not
// hold, so it is left alone.
#include <string>

namespace qbc {

// Puts "'" in front of every selected line.
std::string CommentBlock(const std::string& selection);

// Removes a leading "'" from every selected line that has one.
std::string UnCommentBlock(const std::string& selection);

}  // namespace qbc
