#pragma once
// What the terminal does with a received chunk before showing it: backspaces take back
// characters, line ends become CR LF, and the shown text stays bounded.
#include <cstddef>
#include <string>

namespace qbc {

inline constexpr std::size_t kTerminalTextLimit = 16000;
inline constexpr std::size_t kTerminalTextDrop = 4096;

struct ReceivedChunk {
  std::size_t dropFront = 0;  // characters to drop from the start of the shown text
  bool replaceLast = false;   // the last shown character is taken back by a backspace
  std::string data;           // text to append (and to write to the log)
};

// Handles `data` received while `shownLength` characters are shown. A backspace inside
// the chunk removes the character before it; one at the chunk's start takes back the
// last shown character (several there take back only one). A lone LF is dropped and every
// CR gets an LF after it, so a CR LF pair stays CR LF.
ReceivedChunk TransformReceived(std::size_t shownLength, std::string data);

// Applies a transformed chunk to the shown text.
void ApplyReceived(std::string& shown, const ReceivedChunk& chunk);

}  // namespace qbc
