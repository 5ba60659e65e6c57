#pragma once
// The argument lists of the graphic LCD statements: coordinates into r16, r17, r21 and r22
// (an image number into r20, a command into r20) and the controller checks they share.
//
// Expression code uses these registers itself (a long operand in r16/r17, the 16-bit
// divide r21), so an argument compiled later could overwrite one loaded earlier. The
// loader therefore keeps every computed argument on the stack until the last one, and
// writes the one-instruction loads (a number, a constant, a variable) after all code:
//   GlcdArgs args(st);
//   args.Load("r16"); ExpectToken(st, ","); args.Load("r17");
//   args.Value();    // a last value into zl
//   args.Finish();   // the pops and the direct loads; zl is left alone
#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/state.h"

namespace qbc {

// Whether the argument at TokenIndex needs the expression compiler (an operator, "(", a
// call or keyword before the "," or ")" that ends it); the end of the statement ends the
// scan too. TokenIndex stays.
bool IsExpressionArg(CompilerState& st);

class GlcdArgs {
 public:
  explicit GlcdArgs(CompilerState& st) : st_(st) {}
  // Reads the argument at TokenIndex for register `reg` and steps past it.
  void Load(std::string_view reg);
  // Call before compiling other code into zl (a last value, an item).
  void BeforeExpression();
  // The last value of a statement into zl: its low byte, computed in its own type (a
  // float converted), after the computed arguments went to the stack.
  void Value();
  // Writes the loads that are still due. A computed argument still in zl is moved to its
  // register first.
  void Finish();

 private:
  struct Direct {
    std::string reg;
    std::string mnemonic;
    std::string operand;
  };
  void Compute(std::string_view reg);
  void ComputeIntoZl();

  CompilerState& st_;
  std::vector<Direct> direct_;
  std::vector<std::string> pushed_;
  std::string in_zl_;  // the register whose value zl still holds
};

// The lists of the statements: x, y into r16, r17; then r21; then r22.
void LoadXY(GlcdArgs& args, CompilerState& st);
void LoadXYR21(GlcdArgs& args, CompilerState& st);
void LoadXYR21R22(GlcdArgs& args, CompilerState& st);

// The configured controller, 1 T6963C, 2 HD61202, 3 SED1520, 4 PCD8544; 0 without $glcd.
int GlcdController(const CompilerState& st);

// The statement-start checks: false, after reporting, when the statement cannot be
// compiled for the configured controller ("Graphic LCD is not configured!" without $glcd,
// else `message`). `supported` names the controllers (bit n for controller n).
bool GlcdServes(CompilerState& st, unsigned supported, std::string_view message);
constexpr unsigned kAllGlcds = 0x1E;
constexpr unsigned GlcdBit(int controller) { return 1u << controller; }

// The start of a statement: the controller check and the step past the keyword. A
// refused statement is skipped to its end and gives false.
bool OpenGlcdStatement(CompilerState& st, unsigned supported, std::string_view message);
// The same for a function inside an expression: a refused one is skipped past its
// parenthesised arguments.
bool OpenGlcdFunction(CompilerState& st, unsigned supported, std::string_view message);
// "(" x "," y ")" into r16 and r17.
void LoadParenXY(GlcdArgs& args, CompilerState& st);

}  // namespace qbc
