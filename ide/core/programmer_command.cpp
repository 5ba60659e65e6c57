#include "ide/core/programmer_command.h"

namespace qbc {

std::vector<std::string> SplitShellWords(const std::string& text) {
  std::vector<std::string> words;
  std::string current;
  bool have = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (have) words.push_back(current);
      current.clear();
      have = false;
    } else if (c == '\'') {
      have = true;
      for (++i; i < text.size() && text[i] != '\''; ++i) current += text[i];
    } else if (c == '"') {
      have = true;
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        const bool escapes = text[i] == '\\' && i + 1 < text.size() &&
                             (text[i + 1] == '"' || text[i + 1] == '\\' || text[i + 1] == '$' || text[i + 1] == '`');
        if (escapes) ++i;
        current += text[i];
      }
    } else if (c == '\\' && i + 1 < text.size()) {
      have = true;
      current += text[++i];
    } else {
      have = true;
      current += c;
    }
  }
  if (have) words.push_back(current);
  return words;
}

std::vector<std::string> ProgrammerArguments(const std::string& cmdLine, const std::string& hexFile) {
  std::vector<std::string> args = SplitShellWords(cmdLine);
  const bool separate = cmdLine.empty() || cmdLine.back() == ' ' || cmdLine.back() == '\t';
  if (separate || args.empty()) {
    args.push_back(hexFile);
  } else {
    args.back() += hexFile;
  }
  return args;
}

std::string ProgrammerCommandText(const std::string& program, const std::string& cmdLine, const std::string& hexFile) {
  return program + " " + cmdLine + hexFile;
}

}  // namespace qbc
