#include "compiler/library/core/num_to_text.h"

#include <string>

#include "compiler/base/state.h"
#include "compiler/base/text_rows.h"
#include "compiler/frontend/number_format_cells.h"

namespace qbc {

using textrows::kLead;
using textrows::kNoY16;
using textrows::kSep1;
using textrows::kY16;
using textrows::Row;
using textrows::Rows;

namespace {

// ---- pieces shared by the forms -------------------------------------------------------

// Closing lines: Z = text address, Y restored, r6 restored where it was saved. Where Y
// is one byte wide, zh is cleared: the formatted form may stop with digits of the value
// left in zh (an integer part wider than _fmtC), and Z must address the text.
Rows CloseRows(std::string_view label, bool saved_r6, bool formatted) {
  Rows r = {{label, "mov", "zl,yl"}};
  if (saved_r6) r.push_back({"", "pop", "r6"});
  r.push_back({"", "mov", "zh,yh", kY16});
  if (formatted) r.push_back({"", "clr", "zh", kNoY16});
  r.push_back({"", "pop", "yh", kY16});
  r.push_back({"", "pop", "yl"});
  r.push_back({"", "ret", ""});
  return r;
}

// One decimal digit: divide the value by ten bit by bit, store the remainder as a digit
// below Y.
const Rows kDigit8 = {
    {"_N2str", "ldi", "r21,0x08"},
    {"", "sub", "r22,r22"},
    {"_N2st1", "lsr", "zh"},
    {"", "rol", "zl"},
    {"", "rol", "r22"},
    {"", "rol", "zh"},
    {"", "cpi", "r22,0x0a"},
    {"", "brcs", "_N2st2"},
    {"", "sbci", "r22,0x0a"},
    {"", "inc", "zl"},
    {"_N2st2", "dec", "r21"},
    {"", "brne", "_N2st1"},
    {"", "subi", "r22,-0x30"},
    {"", "st", "-Y,r22"},
};
const Rows kDigit16 = {
    {"_N2str", "ldi", "r21,0x10"},
    {"", "sub", "r22,r22"},
    {"_N2st1", "lsr", "r6"},
    {"", "rol", "zl"},
    {"", "rol", "zh"},
    {"", "rol", "r22"},
    {"", "rol", "r6"},
    {"", "cpi", "r22,0x0a"},
    {"", "brcs", "_N2st2"},
    {"", "sbci", "r22,0x0a"},
    {"", "inc", "zl"},
    {"_N2st2", "dec", "r21"},
    {"", "brne", "_N2st1"},
    {"", "subi", "r22,-0x30"},
    {"", "st", "-Y,r22"},
};
const Rows kDigit32 = {
    {"_L2st4", "ldi", "r21,0x20"},
    {"", "sub", "r22,r22"},
    {"_L2st1", "lsr", "r6"},
    {"", "rol", "zl"},
    {"", "rol", "zh"},
    {"", "rol", "r18"},
    {"", "rol", "r19"},
    {"", "rol", "r22"},
    {"", "rol", "r6"},
    {"", "cpi", "r22,0x0a"},
    {"", "brcs", "_L2st2"},
    {"", "sbci", "r22,0x0a"},
    {"", "inc", "zl"},
    {"_L2st2", "dec", "r21"},
    {"", "brne", "_L2st1"},
    {"", "subi", "r22, -0x30"},
    {"", "st", "-Y,r22"},
};

// Two's complement of the 16-bit / 32-bit value, T set for the sign.
const Rows kNegate16 = {
    {"", "com", "zl"},
    {"", "com", "zh"},
    {"", "subi", "zl,-0x01"},
    {"", "sbci", "zh,-0x01"},
    {"", "set", ""},
};
const Rows kNegate32 = {
    {"", "com", "zl"},
    {"", "com", "zh"},
    {"", "com", "r18"},
    {"", "com", "r19"},
    {"", "subi", "zl, -0x01"},
    {"", "sbci", "zh, -0x01"},
    {"", "sbci", "r18,-0x01"},
    {"", "sbci", "r19,-0x01"},
    {"", "set", ""},
};

// Formatted form, digits after the point: `sub` is the digit subroutine (it returns when
// r25 digits are written or the value is used up, r25 = positions left); the positions
// left are zeros, so every one of the _fmtD places holds a digit. `unfilled` is the label
// after the fill.
Rows FractionRows(std::string_view sub, std::string_view unfilled) {
  return {
      {"", "tst", "r25"},
      {"", "breq", "_N2st7"},
      {"", "rcall", sub},
      {"", "tst", "r25"},
      {"", "breq", "_N2st9"},
      {"", "ldi", "r22,0x30"},
      {"_N2stZ", "st", "-Y,r22"},
      {"", "dec", "r25"},
      {"", "brne", "_N2stZ"},
      {"_N2st9", "ldi", "r22,0x2e"},
      {"", "st", "-Y,r22"},
      // Positions before the point. A count of 0 (the start-up value until the program's
      // first Format runs, and Format's scientific) fixes no width: every digit of the
      // integer part, no fill. Eleven positions outlast the ten digits of any long.
      {"_N2st7", "lds", "r25,_fmtC"},
      {"", "tst", "r25"},
      {"", "brne", "_N2stF"},
      {"", "ldi", "r25,0x0b"},
      {"", "rcall", sub},
      {"", "rjmp", unfilled},
      {"_N2stF", "rcall", sub},
  };
}

// ---- byte -----------------------------------------------------------------------------

Rows ByteRows(bool formatted) {
  const Rows entry = {
      {"_B2str", "clr", "zh"},
      {"", "clt", ""},
      {"", "push", "yl"},
      {"", "push", "yh", kY16},
      {"", "st", "-Y,zh"},
  };
  if (!formatted) {
    const Rows body = {
        {"", "ldi", "r25,3", kLead},
    };
    const Rows tail = {
        {"", "dec", "r25", kLead},
        {"", "tst", "zl"},
        {"", "brne", "_N2str"},
        {"", "tst", "r25", kLead},
        {"", "breq", "_N2st3", kLead},
        // A fill character of 0 (no LeadChar has run yet) fills nothing: the text would
        // otherwise end before its first digit.
        {"", "lds", "zl,_lchr", kLead},
        {"", "tst", "zl", kLead},
        {"", "breq", "_N2st3", kLead},
        {"_N2st4", "st", "-Y,zl", kLead},
        {"", "dec", "r25", kLead},
        {"", "brne", "_N2st4", kLead},
    };
    const Rows close = CloseRows("_N2st3", false, false);
  return textrows::Join({&entry, &body, &kDigit8, &tail, &close});
  }
  const Rows head = {{"", "lds", "r25,_fmtD"}};
  const Rows frac = FractionRows("_N2str", "_N2st3");
  const Rows fill = {
      {"", "tst", "r25"},
      {"", "breq", "_N2st3"},
      {"", "lds", "r22,_lchr"},
      {"", "tst", "r22"},
      {"", "breq", "_N2st3"},
      {"_N2st4", "st", "-Y,r22"},
      {"", "dec", "r25"},
      {"", "brne", "_N2st4"},
  };
  const Rows sub_tail = {
      {"", "dec", "r25"},
      {"", "breq", "_N2st8"},
      {"", "tst", "zl"},
      {"", "brne", "_N2str"},
      {"_N2st8", "ret", ""},
  };
  const Rows close = CloseRows("_N2st3", false, false);  // zh is the carry register: 0
  return textrows::Join({&entry, &head, &frac, &fill, &close, &kDigit8, &sub_tail});
}

// ---- integer and word -----------------------------------------------------------------

Rows IntRows(bool formatted) {
  const Rows entries_plain = {
      {"_B2str", "clr", "zh", kSep1},
      {"", "clt", ""},
      {"", "ldi", "r25,0x03", kLead},
      {"", "rjmp", "_W2st4"},
      {"_W2str", "clt", ""},
      {"", "ldi", "r25,0x05", kLead},
      {"", "rjmp", "_W2st4"},
      {"_I2str", "clt", ""},
      {"", "ldi", "r25,0x05", kLead},
      {"", "sbrs", "zh,0x07"},
      {"", "rjmp", "_W2st4"},
  };
  const Rows entries_fmt = {
      {"_B2str", "clr", "zh", kSep1},
      {"", "clt", ""},
      {"_W2str", "clt", ""},
      {"", "rjmp", "_W2st4"},
      {"_I2str", "clt", ""},
      {"", "sbrs", "zh,0x07"},
      {"", "rjmp", "_W2st4"},
  };
  const Rows sign = {
      {"_N2st5", "brtc", "_N2st3"},
      {"", "ldi", "zl,0x2d"},
      {"", "st", "-Y,zl"},
  };
  if (!formatted) {
    const Rows start = {
        {"_W2st4", "push", "yl"},
        {"", "push", "yh", kY16},
        {"", "push", "r6"},
        {"", "clr", "r6"},
        {"", "st", "-Y,r6"},
    };
    const Rows tail = {
        {"", "dec", "r25", kLead},
        {"", "mov", "r22,zl"},
        {"", "or", "r22,zh"},
        {"", "brne", "_N2str"},
        {"", "tst", "r25", kLead},
        {"", "breq", "_N2st5", kLead},
        {"", "lds", "zl,_lchr", kLead},
        {"", "tst", "zl", kLead},
        {"", "breq", "_N2st5", kLead},
        {"_N2st4", "st", "-Y,zl", kLead},
        {"", "dec", "r25", kLead},
        {"", "brne", "_N2st4", kLead},
    };
    const Rows close = CloseRows("_N2st3", true, false);
    return textrows::Join({&entries_plain, &kNegate16, &start, &kDigit16, &tail, &sign, &close});
  }
  const Rows start = {
      {"_W2st4", "push", "yl"},
      {"", "push", "yh", kY16},
      {"", "push", "r6"},
      {"", "lds", "r25,_fmtD"},
      {"", "clr", "r6"},
      {"", "st", "-Y,r6"},
  };
  const Rows frac = FractionRows("_N2str", "_N2st5");
  const Rows fill = {
      {"", "tst", "r25"},
      {"", "breq", "_N2st5"},
      {"", "lds", "r22,_lchr"},
      {"", "tst", "r22"},
      {"", "breq", "_N2st5"},
      {"_N2st4", "st", "-Y,r22"},
      {"", "dec", "r25"},
      {"", "brne", "_N2st4"},
  };
  const Rows sub_tail = {
      {"", "dec", "r25"},
      {"", "breq", "_N2st8"},
      {"", "mov", "r22,zl"},
      {"", "or", "r22,zh"},
      {"", "brne", "_N2st6"},
      {"_N2st8", "ret", ""},
      {"_N2st6", "mov", "r22,zl"},
      {"", "or", "r22,zh"},
      {"", "brne", "_N2str"},
      {"", "ret", ""},
  };
  const Rows close = CloseRows("_N2st3", true, true);
  return textrows::Join({&entries_fmt, &kNegate16, &start, &frac, &fill, &sign, &close,
                         &kDigit16, &sub_tail});
}

// ---- long -----------------------------------------------------------------------------

Rows LongRows(bool formatted) {
  const Rows sign = {
      {"_N2st5", "brtc", "_L2st3"},
      {"", "ldi", "zl,0x2d"},
      {"", "st", "-Y,zl"},
  };
  if (!formatted) {
    const Rows entries = {
        {"_I2str", "sbrs", "zh,0x07"},
        {"", "rjmp", "_W2str"},
        {"", "ldi", "r18,0xff"},
        {"", "ldi", "r19,0xff"},
        {"", "ldi", "r25,0x05", kLead},
        {"", "rjmp", "_S2st1"},
        {"_B2str", "clr", "zh"},
        {"", "clt", ""},
        {"", "clr", "r18"},
        {"", "clr", "r19"},
        {"", "ldi", "r25,0x03", kLead},
        {"", "rjmp", "_L2str"},
        {"_W2str", "clt", ""},
        {"", "clr", "r18"},
        {"", "clr", "r19"},
        {"", "ldi", "r25,0x05", kLead},
        {"", "rjmp", "_L2str"},
        {"_S2str", "clt", ""},
        {"", "ldi", "r25,0x0a", kLead},
        {"_S2st1", "sbrs", "r19,0x07"},
        {"", "rjmp", "_L2str"},
    };
    const Rows start = {
        {"_L2str", "push", "yl"},
        {"", "push", "yh", kY16},
        {"", "push", "r6"},
        {"", "clr", "r6"},
        {"", "st", "-Y,r6"},
    };
    const Rows tail = {
        {"", "dec", "r25", kLead},
        {"", "mov", "r22,zl"},
        {"", "or", "r22,zh"},
        {"", "or", "r22,r18"},
        {"", "or", "r22,r19"},
        {"", "brne", "_L2st4"},
        {"", "tst", "r25", kLead},
        {"", "breq", "_N2st5", kLead},
        {"", "lds", "zl,_lchr", kLead},
        {"", "tst", "zl", kLead},
        {"", "breq", "_N2st5", kLead},
        {"_N2st4", "st", "-Y,zl", kLead},
        {"", "dec", "r25", kLead},
        {"", "brne", "_N2st4", kLead},
    };
    const Rows close = CloseRows("_L2st3", true, false);
    return textrows::Join({&entries, &kNegate32, &start, &kDigit32, &tail, &sign, &close});
  }
  const Rows entries = {
      {"_I2str", "sbrs", "zh,0x07"},
      {"", "rjmp", "_W2str"},
      {"", "ldi", "r18,0xff"},
      {"", "ldi", "r19,0xff"},
      {"", "rjmp", "_S2str"},
      {"_B2str", "clr", "zh"},
      {"_W2str", "clr", "r18"},
      {"", "clr", "r19"},
      {"_S2str", "clt", ""},
      {"", "sbrs", "r19,0x07"},
      {"", "rjmp", "_L2str"},
  };
  const Rows start = {
      {"_L2str", "push", "yl"},
      {"", "push", "yh", kY16},
      {"", "push", "r6"},
      {"", "lds", "r25,_fmtD"},
      {"", "clr", "r6"},
      {"", "st", "-Y,r6"},
  };
  const Rows frac = FractionRows("_L2st4", "_N2st5");
  const Rows fill = {
      {"", "tst", "r25"},
      {"", "breq", "_N2st5"},
      {"", "lds", "r22,_lchr"},
      {"", "tst", "r22"},
      {"", "breq", "_N2st5"},
      {"_N2st4", "st", "-Y,r22"},
      {"", "dec", "r25"},
      {"", "brne", "_N2st4"},
  };
  const Rows sub_tail = {
      {"", "dec", "r25"},
      {"", "breq", "_N2st8"},
      {"", "mov", "r22,zl"},
      {"", "or", "r22,zh"},
      {"", "or", "r22,r18"},
      {"", "or", "r22,r19"},
      {"", "brne", "_N2st6"},
      {"_N2st8", "ret", ""},
      {"_N2st6", "mov", "r22,zl"},
      {"", "or", "r22,zh"},
      {"", "or", "r22,r18"},
      {"", "or", "r22,r19"},
      {"", "brne", "_L2st4"},
      {"", "ret", ""},
  };
  const Rows close = CloseRows("_L2st3", true, true);
  return textrows::Join({&entries, &kNegate32, &start, &frac, &fill, &sign, &close,
                         &kDigit32, &sub_tail});
}

void EmitDecimal(CompilerState& st, std::string_view header, Rows (*rows)(bool)) {
  const bool formatted = st.Cells<NumberFormatCells>().FormatDigits != 0;
  const bool lead = !formatted && st.Cells<NumberFormatCells>().LeadChar != 0;
  textrows::WriteRoutine(st, header, rows(formatted), lead ? kLead : textrows::kAlways);
}

}  // namespace

void EmitByteToStrRoutine(CompilerState& st) {
  EmitDecimal(st, ";////// ByteToStr ////////////////////////", ByteRows);
}

void EmitIntToStrRoutine(CompilerState& st) {
  EmitDecimal(st, ";////// IntToStr //////////////////////////", IntRows);
}

void EmitLongToStrRoutine(CompilerState& st) {
  EmitDecimal(st, ";////// LongToStr ////////////////////////", LongRows);
}

void EmitNumToHexRoutine(CompilerState& st) {
  // The text is built downwards below the caller's Y, as the decimal forms build theirs,
  // last digit first: every caller (main code or a handler, which has its own Y) gets a
  // place of its own, and Y moves only by single st -Y steps.
  static const Rows kRows = {
      {"_ToHL", "push", "yl"},
      {"", "push", "yh", kY16},
      {"", "clr", "xl"},
      {"", "st", "-Y,xl"},
      {"", "rcall", "_ToHex"},
      {"", "mov", "zl,zh"},
      {"", "rcall", "_ToHex"},
      {"", "mov", "zl,r18"},
      {"", "rcall", "_ToHex"},
      {"", "mov", "zl,r19"},
      {"", "rjmp", "_ToH1"},
      {"_ToHW", "push", "yl"},
      {"", "push", "yh", kY16},
      {"", "clr", "xl"},
      {"", "st", "-Y,xl"},
      {"", "rcall", "_ToHex"},
      {"", "mov", "zl,zh"},
      {"", "rjmp", "_ToH1"},
      {"_ToHB", "push", "yl"},
      {"", "push", "yh", kY16},
      {"", "clr", "xl"},
      {"", "st", "-Y,xl"},
      {"_ToH1", "rcall", "_ToHex"},
      {"", "mov", "zl,yl"},
      {"", "mov", "zh,yh", kY16},
      {"", "clr", "zh", kNoY16},  // zh still holds a byte of the value
      {"", "pop", "yh", kY16},
      {"", "pop", "yl"},
      {"", "ret", ""},
      // One byte as two digits, the low one first (the text grows downwards).
      {"_ToHex", "mov", "xl,zl"},
      {"", "rcall", "_ToH2"},
      {"", "mov", "zl,xl"},
      {"", "swap", "zl"},
      {"_ToH2", "andi", "zl,0xf"},
      {"", "subi", "zl,-0x30"},
      {"", "cpi", "zl,0x3a"},
      {"", "brlo", "_ToH3"},
      {"", "subi", "zl,-0x07"},
      {"_ToH3", "st", "-Y,zl"},
      {"", "ret", ""},
  };
  textrows::WriteRoutine(st, ";////// Num to Hex  //////////////////////", kRows);
}

}  // namespace qbc
