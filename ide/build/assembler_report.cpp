#include "ide/build/assembler_report.h"

#include <cmath>
#include <cstdio>

namespace qbc {

std::string WriteNumber(double value) {
  const float v = static_cast<float>(value);
  char buf[48];
  if (std::fabs(v) < 1e15f && v == std::trunc(v)) {
    std::snprintf(buf, sizeof buf, "%.0f", static_cast<double>(v));
  } else {
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
  }
  std::string s = buf;
  if (s == "-0") s = "0";
  return s[0] == '-' ? s : " " + s;
}

double ReadNumber(std::string_view text) {
  std::string number;
  bool point = false;
  bool any = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') continue;
    if ((c == '+' || c == '-') && number.empty()) {
      number += c;
    } else if (c >= '0' && c <= '9') {
      number += c;
      any = true;
    } else if (c == '.' && !point) {
      number += c;
      point = true;
    } else {
      break;
    }
  }
  if (!any) return 0;
  return std::strtod(number.c_str(), nullptr);
}

namespace {

// The "too big" line when the size exceeds the device's flash (only after a compilation:
// an assembler document has no device in the compiler state).
bool ReportTooBig(const CompilerState& st, bool compiledFromRun, float words, ReportSink& report) {
  if (!compiledFromRun || !(words > static_cast<float>(st.dev.FlashEnd) / 2.0f)) return false;
  report.Append("  --->  Ops, generated code " + WriteNumber(words) + " is too big!");
  return true;
}

}  // namespace

ExtractResult ExtractErrors(const CompilerState& st, bool compiledFromRun, const std::string& output,
                            ReportSink& report) {
  ExtractResult r;
  static constexpr std::string_view kMarker = ": error:";
  std::size_t match = output.find(kMarker);
  while (match != std::string::npos) {
    ++r.errorLines;
    std::size_t lf = output.rfind('\n', match);
    std::size_t begin = lf == std::string::npos ? 0 : lf + 1;
    // Lines may end in CR LF or in LF alone.
    std::size_t end = output.find_first_of("\r\n", match);
    std::string line = output.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    report.Append(WriteNumber(r.errorLines) + ".  " + line + "\r\n");
    if (end == std::string::npos) break;
    match = output.find(kMarker, end);
  }
  std::size_t seg = output.find("[.cseg]");
  if (seg != std::string::npos) {
    std::string field = seg + 40 < output.size() ? output.substr(seg + 40, 7) : std::string();
    r.codeBytes = ReadNumber(field);
  }
  const float words = static_cast<float>(r.codeBytes) / 2.0f;
  if (r.errorLines > 0) {
    // An assembler that refused a program too big for the flash still knows its size.
    if (seg != std::string::npos) r.tooBig = ReportTooBig(st, compiledFromRun, words, report);
    return r;
  }
  if (seg == std::string::npos) {
    // No error and no size: the assembler did not run or failed silently. Reporting
    // "0 words" here would pass a failed build for an empty program.
    r.errorLines = 1;
    report.Append(WriteNumber(1) + ".  AvrAsm32: error: the assembler gave no result\r\n");
    return r;
  }
  const std::int32_t flash = st.dev.FlashEnd;
  if (ReportTooBig(st, compiledFromRun, words, report)) {
    r.tooBig = true;
    return r;
  }
  if (flash != 0) {
    float freePercent = 100.0f - static_cast<float>(r.codeBytes) * 100.0f / static_cast<float>(flash);
    freePercent = std::nearbyint(freePercent * 10.0f) / 10.0f;  // ties to even
    const double base = st.dev.RamStart != 0 ? st.dev.RamStart : 97;
    const double freeSram = st.dev.RamEnd - base - ReadNumber(st.cfg.StackSize) - st.sym.SystemVarBytes -
                            st.sym.UserVarBytes;
    report.Append("Code size        :" + WriteNumber(words) + " words" + "," + WriteNumber(freePercent) +
                  "% FLASH free, aprox" + WriteNumber(freeSram) + " SRAM bytes free");
  } else {
    report.Append("Code size        :" + WriteNumber(words) + " words");
  }
  return r;
}

}  // namespace qbc
