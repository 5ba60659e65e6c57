#include "compiler/statements/comm_display/glcd_args.h"

#include <cctype>
#include <string>

#include "compiler/base/symbols.h"
#include "compiler/codegen/operand_load.h"
#include "compiler/codegen/statement_kit.h"
#include "compiler/frontend/numeric_constants.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The low byte of a whole decimal number, as the registers take it.
std::string LowByte(const std::string& digits) { return std::to_string(std::stoull(digits.substr(0, 18)) & 0xFF); }

// A named constant's value as a whole number, when it is one ("&h" and "&b" forms too).
bool ConstantByte(CompilerState& st, int index, std::string& out) {
  std::string value = st.sym.Constants[index].Value;
  if (st.sym.Constants[index].ConstType != kTokNumber) return false;
  if (value.size() > 2 && value[0] == '&' && (value[1] == 'h' || value[1] == 'b')) {
    std::string digits = value.substr(1);
    const std::int32_t v = value[1] == 'h' ? HexConstantValue(digits) : BinConstantValue(digits);
    out = std::to_string(v & 0xFF);
    return true;
  }
  if (!AllDigits(value)) return false;
  out = LowByte(value);
  return true;
}

// A global whose first byte is its value's low byte: a number in SRAM (an array named
// alone is no number: the expression code refuses it).
bool PlainGlobal(const GlobalVarRecord& v) {
  return v.VarType >= kTypeByte && v.VarType <= kTypeLong && v.Storage != kStorageFlash && v.Size <= 4 &&
         v.IndexType == 0;
}

}  // namespace

bool IsExpressionArg(CompilerState& st) {
  for (int i = st.src.TokenIndex; i < st.src.TokenCount; ++i) {
    const TokenRecord& t = st.src.Tokens[i];
    switch (t.Kind) {
      case kTokCloseParen:
      case kTokComma:
      case kTokColon:
      case kTokEol: return false;
      case kTokOperator:
      case kTokOpenParen:
      case kTokCallName:
      case kTokKeyword: return true;
      default: break;
    }
  }
  return false;
}

void GlcdArgs::BeforeExpression() {
  if (in_zl_.empty()) return;
  st_.out.Instr(Sep::kNarrow, "push", "zl");
  pushed_.push_back(in_zl_);
  in_zl_.clear();
}

void GlcdArgs::Compute(std::string_view reg) {
  ComputeIntoZl();
  in_zl_ = std::string(reg);
}

void GlcdArgs::Value() { ComputeIntoZl(); }

void GlcdArgs::ComputeIntoZl() {
  BeforeExpression();
  ParseSum(st_, kTypeAnyNumber);
  if (st_.sticky.OperandType == kTypeFloat) EmitConvertFromFloat(st_, kTypeByte);
}

void GlcdArgs::Load(std::string_view reg) {
  if (IsExpressionArg(st_)) {
    Compute(reg);
    return;
  }
  // Every register takes a byte: a larger constant would arrive cut to its low byte.
  if (const auto value = kit::ConstantArgument(st_); value && (*value < 0 || *value > 255))
    ReportInPlace(st_, "Must be from 0 to 255!");
  const std::string text = st_.TokText();
  const std::uint8_t kind = st_.Tok().Kind;
  const std::string r(reg);
  st_.sticky.OperandType = kTypeByte;
  if (kind == kTokNumber && AllDigits(text)) {
    ++st_.src.TokenIndex;
    direct_.push_back({r, "ldi", LowByte(text)});
    return;
  }
  if (kind == kTokNumber) {  // a fraction: through the expression code, rounded
    Compute(reg);
    return;
  }
  if (kind == kTokName) {
    std::string value;
    if (int c = FindConst(st_, text); c != 0) {
      if (!ConstantByte(st_, c, value)) {
        Compute(reg);
        return;
      }
      ++st_.src.TokenIndex;
      direct_.push_back({r, "ldi", value});
      return;
    }
    if (FindLocalVar(st_, text) != 0) {
      Compute(reg);
      return;
    }
    if (int g = FindGlobalVar(st_, text); g != 0) {
      if (!PlainGlobal(st_.sym.GlobalVars[g])) {
        Compute(reg);
        return;
      }
      ++st_.src.TokenIndex;
      direct_.push_back({r, "lds", st_.sym.GlobalVars[g].Name});
      return;
    }
    ReportInPlace(st_, "Unknown identifier ");
    ++st_.src.TokenIndex;
    return;
  }
  if (kind == kTokAmpersand) {
    ++st_.src.TokenIndex;
    std::string word = st_.TokText();
    if (!word.empty() && (word[0] == 'h' || word[0] == 'b')) {
      const std::int32_t v = word[0] == 'h' ? HexConstantValue(word) : BinConstantValue(word);
      ++st_.src.TokenIndex;
      direct_.push_back({r, "ldi", std::to_string(v & 0xFF)});
      return;
    }
  }
  ReportInPlace(st_, "Parameter load error!");
  if (!kit::AtStatementEnd(st_)) ++st_.src.TokenIndex;
}

void GlcdArgs::Finish() {
  if (!in_zl_.empty()) {
    st_.out.Instr(Sep::kWide, "mov", in_zl_ + ",zl");
    in_zl_.clear();
  }
  for (auto it = pushed_.rbegin(); it != pushed_.rend(); ++it) st_.out.Instr(Sep::kWide, "pop", *it);
  pushed_.clear();
  for (const Direct& d : direct_) st_.out.Instr(Sep::kWide, d.mnemonic, d.reg + "," + d.operand);
  direct_.clear();
}

void LoadXY(GlcdArgs& args, CompilerState& st) {
  args.Load("r16");
  kit::ExpectComma(st);
  args.Load("r17");
}

void LoadXYR21(GlcdArgs& args, CompilerState& st) {
  LoadXY(args, st);
  kit::ExpectComma(st);
  args.Load("r21");
}

void LoadXYR21R22(GlcdArgs& args, CompilerState& st) {
  LoadXYR21(args, st);
  kit::ExpectComma(st);
  args.Load("r22");
}

int GlcdController(const CompilerState& st) {
  const int type = st.Cells<GlcdCells>().GlcdType;
  return type >= 1 && type <= 4 ? type : 0;
}

bool GlcdServes(CompilerState& st, unsigned supported, std::string_view message) {
  const int type = GlcdController(st);
  if (type == 0) {
    ReportInPlace(st, "Graphic LCD is not configured!");
    return false;
  }
  if ((supported & GlcdBit(type)) == 0) {
    ReportInPlace(st, message);
    return false;
  }
  return true;
}

bool OpenGlcdStatement(CompilerState& st, unsigned supported, std::string_view message) {
  if (!GlcdServes(st, supported, message)) {
    SkipToStatementEnd(st);
    return false;
  }
  ++st.src.TokenIndex;
  return true;
}

bool OpenGlcdFunction(CompilerState& st, unsigned supported, std::string_view message) {
  const bool served = GlcdServes(st, supported, message);
  ++st.src.TokenIndex;
  if (served || st.Tok().Kind != kTokOpenParen) return served;
  int depth = 0;
  while (!kit::AtStatementEnd(st)) {
    const std::uint8_t kind = st.Tok().Kind;
    ++st.src.TokenIndex;
    if (kind == kTokOpenParen) ++depth;
    if (kind == kTokCloseParen && --depth == 0) break;
  }
  return false;
}

void LoadParenXY(GlcdArgs& args, CompilerState& st) {
  ExpectToken(st, "(");
  LoadXY(args, st);
  ExpectToken(st, ")");
}

}  // namespace qbc
