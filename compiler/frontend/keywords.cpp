#include "compiler/frontend/keywords.h"

#include <string>
#include <unordered_set>

namespace qbc {

// The keyword list, in its historical order. Three words stand twice ("shiftin",
// "powersave", "exp"); that is harmless, a word is a keyword when it stands here at all.
// A new statement or function word is one more row here.
const std::vector<std::string_view>& KeywordList() {
  static const std::vector<std::string_view> kList = {
    "declare", "sub", "function", "dim", "const", "def", "crc8", "memload", "memcopy",
    "initlcd", "frombcd", "if", "for", "next", "do", "loop", "while", "wend", "select", "exit",
    "open", "goto", "deflcdchar", "pwm1", "lcase", "inputbin", "wait", "waitms", "waitus",
    "return", "enable", "disable", "interrupt", "asc", "sqr", "ucase", "incr", "decr", "lcd",
    "print", "printbin", "baud", "locate", "display", "cursor", "cls", "bcd", "sin", "ltrim",
    "input", "chr", "val", "str", "len", "left", "right", "mid", "hex", "cpeek", "peek",
    "poke", "msb", "abs", "cos", "rtrim", "set", "reset", "toggle", "bitwait", "pulse",
    "shiftout", "shiftin", "shift", "rotate", "initee", "true", "false", "varptr", "key",
    "nokey", "pckey", "pckeysend", "adc", "adc8", "rc5", "start", "stop", "randomize", "ac",
    "dtmf", "i2cstart", "i2cwrite", "i2cread", "i2cstop", "writeee", "readee", "format",
    "sound", "rnd", "find8", "standby", "int0", "int1", "int2", "int3", "int4", "int5", "int6",
    "int7", "timer0", "timer1", "timer2", "timer3", "idle", "find16", "powersave", "powerdown",
    "end", "spiout", "spiin", "asm", "swap", "pwm1a", "pwm1b", "pwm0", "pwm2", "box", "nop",
    "counter0", "counter1", "counter2", "compare0", "compare1a", "compare1", "compare1b",
    "compare2", "pset", "circle", "line", "lineh", "linev", "fill", "point", "inverse",
    "fontset", "imgset", "gcls", "tcls", "glcd", "makeword", "gread", "gwrite", "glcdinit",
    "txthomeset", "grphomeset", "gcommand", "sort", "tlcd", "gcursor", "print2", "printbin2",
    "input2", "inputbin2", "txtareaset", "grpareaset", "on", "off", "compare3c", "atan2",
    "extstandby", "powersave", "shiftin", "sinh", "cosh", "tanh", "contrast", "compare3a",
    "compare3b", "sqrt", "log", "log10", "pow", "tan", "exp", "exp", "atan", "asin", "acos",
    "degtorad", "radtodeg", "int", "fract", "capture1", "capture3", "instr", "compare1c",
    "pwm1c", "pwm3a", "pwm3b", "pwm3c", "fastpwm", "clockprescale", "compare0a", "compare0b",
    "pwm0a", "pwm0b", "spi", "jtag", "hexval", "memfill", "gnum", "leadchar", "print3",
    "printbin3", "input3", "inputbin3", "print1", "printbin1", "input1", "inputbin1", "timer4",
    "timer5", "counter4", "counter5", "pwm4a", "pwm4b", "pwm4c", "pwm5a", "pwm5b", "pwm5c",
    "compare4a", "compare4b", "compare4c", "compare5a", "compare5b", "compare5c", "print0",
    "printbin0", "input0", "inputbin0",
    // The Baud statements of UARTs 0 to 3 reach their generators like "baud".
    "baud0", "baud1", "baud2", "baud3",
    // The count register of timer 3 under its counter name, the capture registers of
    // timers 4 and 5.
    "counter3", "capture4", "capture5",
  };
  return kList;
}

bool IsKeyword(std::string_view word) {
  static const std::unordered_set<std::string_view> kSet(KeywordList().begin(), KeywordList().end());
  return kSet.count(word) != 0;
}

}  // namespace qbc
