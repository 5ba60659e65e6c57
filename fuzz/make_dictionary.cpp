// Writes the fuzzer's dictionary: the compiler's keyword list and the other words of the
// language (words.txt), one quoted entry a line, so that the dictionary never falls behind
// the keyword table.
#include <fstream>
#include <iostream>
#include <set>
#include <string>

#include "compiler/driver/keyword_list.h"

namespace {

std::string Quoted(const std::string& word) {
  std::string q = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: qbc_fuzz_dictionary WORDS.txt OUT.dict\n";
    return 2;
  }
  std::set<std::string> words;
  for (std::string_view k : qbc::KeywordList()) words.emplace(k);
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "cannot read " << argv[1] << "\n";
    return 1;
  }
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    words.insert(line);
  }
  std::ofstream out(argv[2], std::ios::trunc);
  for (const std::string& w : words) out << Quoted(w) << "\n";
  if (!out) {
    std::cerr << "cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
