#include "compiler/driver/keyword_dispatch.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <string>
#include <vector>

#include "compiler/codegen/control_flow.h"
#include "compiler/codegen/flash_tables.h"
#include "compiler/codegen/procedures.h"
#include "compiler/codegen/string_functions.h"
#include "compiler/base/compile_error.h"
#include "compiler/frontend/const_statement.h"
#include "compiler/statements/program/simple_statements.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/codegen/assignment.h"
#include "compiler/statements/comm_display/glcd_init.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {

// Every keyword with its generator. A generator may serve several keywords; no row passes
// an argument. Rows whose generator is not built yet carry nullptr: such a statement is
// reported as a compile error (a program that silently lost a statement must not pass
// as compiled) and passed over.
constexpr DispatchRow kRows[] = {
    // Declarations and program structure
    {"dim", "CompileDimStatement", CompileDimStatement},
    {"declare", "CompileDeclareStatement", CompileDeclareStatement},
    {"exit", "CompileExitStatement", CompileExitStatement},
    {"end", "CompileEndStatement", CompileEndStatement},
    {"const", "CompileConstStatement", CompileConstStatement},
    {"on", "CompileOnStatement", CompileOnStatement},
    // Control flow
    {"if", "CompileIfStatement", CompileIfStatement},
    {"select", "CompileSelectStatement", CompileSelectStatement},
    {"do", "CompileDoStatement", CompileDoStatement},
    {"while", "CompileWhileStatement", CompileWhileStatement},
    {"for", "CompileForStatement", CompileForStatement},
    {"goto", "CompileGotoStatement", CompileGotoStatement},
    // Procedures
    {"sub", "CompileSubDefinition", CompileSubDefinition},
    {"function", "CompileFunctionDefinition", CompileFunctionDefinition},
    {"interrupt", "CompileInterruptDefinition", CompileInterruptDefinition},
    {"return", "CompileReturnStatement", CompileReturnStatement},
    // Memory and waits
    {"peek", "CompilePeekFunction", CompilePeekFunction},
    {"cpeek", "CompileCpeekFunction", CompileCpeekFunction},
    {"poke", "CompilePokeStatement", CompilePokeStatement},
    {"waitus", "CompileWaitUsStatement", CompileWaitUsStatement},
    {"waitms", "CompileWaitMsStatement", CompileWaitMsStatement},
    {"wait", "CompileWaitStatement", CompileWaitStatement},
    {"incr", "CompileIncrStatement", CompileIncrStatement},
    {"decr", "CompileDecrStatement", CompileDecrStatement},
    // Bits and pins
    {"toggle", "CompileToggleStatement", CompileToggleStatement},
    {"bitwait", "CompileBitWaitStatement", CompileBitWaitStatement},
    {"set", "CompileSetStatement", nullptr},
    {"reset", "CompileResetStatement", nullptr},
    {"pulse", "CompilePulseStatement", nullptr},
    // Flash tables
    {"find8", "CompileFind8Function", CompileFind8Function},
    {"find16", "CompileFind16Function", CompileFind16Function},
    // String functions
    {"chr", "CompileChrFunction", CompileChrFunction},
    {"str", "CompileStrFunction", CompileStrFunction},
    {"len", "CompileLenFunction", CompileLenFunction},
    {"left", "CompileLeftFunction", CompileLeftFunction},
    {"right", "CompileRightFunction", CompileRightFunction},
    {"mid", "CompileMidFunction", CompileMidFunction},
    {"val", "CompileValFunction", CompileValFunction},
    {"hexval", "CompileHexValFunction", CompileHexValFunction},
    {"instr", "CompileInstrFunction", CompileInstrFunction},
    {"hex", "CompileHexFunction", nullptr},
    {"asc", "CompileAscFunction", nullptr},
    {"ltrim", "CompileLTrimFunction", nullptr},
    {"rtrim", "CompileRTrimFunction", nullptr},
    {"ucase", "CompileUCaseFunction", nullptr},
    {"lcase", "CompileLCaseFunction", nullptr},
    // Numbers and data
    {"bcd", "CompileBcdFunction", nullptr},
    {"frombcd", "CompileFromBcdFunction", nullptr},
    {"msb", "CompileMsbFunction", nullptr},
    {"abs", "CompileAbsFunction", nullptr},
    {"swap", "CompileSwapStatement", nullptr},
    {"makeword", "CompileMakeWordFunction", nullptr},
    {"varptr", "CompileVarPtrFunction", nullptr},
    {"crc8", "CompileCrc8Function", nullptr},
    {"rnd", "CompileRndFunction", nullptr},
    {"randomize", "CompileRandomizeStatement", nullptr},
    {"sort", "CompileSortStatement", nullptr},
    {"memload", "CompileMemLoadStatement", nullptr},
    {"memcopy", "CompileMemCopyStatement", nullptr},
    {"memfill", "CompileMemFillStatement", nullptr},
    {"shift", "CompileShiftStatement", nullptr},
    {"rotate", "CompileRotateStatement", nullptr},
    // Floating-point functions
    {"sin", "CompileSinFunction", nullptr},
    {"cos", "CompileCosFunction", nullptr},
    {"tan", "CompileTanFunction", nullptr},
    {"asin", "CompileAsinFunction", nullptr},
    {"acos", "CompileAcosFunction", nullptr},
    {"atan", "CompileAtanFunction", nullptr},
    {"atan2", "CompileAtan2Function", nullptr},
    {"sinh", "CompileSinhFunction", nullptr},
    {"cosh", "CompileCoshFunction", nullptr},
    {"tanh", "CompileTanhFunction", nullptr},
    {"sqrt", "CompileSqrtFunction", nullptr},
    {"sqr", "CompileSqrFunction", nullptr},
    {"pow", "CompilePowFunction", nullptr},
    {"exp", "CompileExpFunction", nullptr},
    {"log", "CompileLogFunction", nullptr},
    {"log10", "CompileLog10Function", nullptr},
    {"degtorad", "CompileDegToRadFunction", nullptr},
    {"radtodeg", "CompileRadToDegFunction", nullptr},
    {"int", "CompileIntFunction", nullptr},
    {"fract", "CompileFractFunction", nullptr},
    // Timers, counters and capture
    {"timer0", "CompileTimer0Access", nullptr},
    {"counter0", "CompileTimer0Access", nullptr},
    {"timer1", "CompileTimer1Access", nullptr},
    {"counter1", "CompileTimer1Access", nullptr},
    {"timer2", "CompileTimer2Access", nullptr},
    {"counter2", "CompileTimer2Access", nullptr},
    {"timer3", "CompileTimer3Access", nullptr},
    {"counter3", "CompileTimer3Access", nullptr},
    {"timer4", "CompileTimer4Access", nullptr},
    {"counter4", "CompileTimer4Access", nullptr},
    {"timer5", "CompileTimer5Access", nullptr},
    {"counter5", "CompileTimer5Access", nullptr},
    {"capture1", "CompileCapture1Function", nullptr},
    {"capture3", "CompileCapture3Function", nullptr},
    {"capture4", "CompileCapture4Function", nullptr},
    {"capture5", "CompileCapture5Function", nullptr},
    {"start", "CompileStartStatement", nullptr},
    {"stop", "CompileStopStatement", nullptr},
    {"clockprescale", "CompileClockPrescaleStatement", nullptr},
    // PWM and compare
    {"pwm0", "CompilePwm0Statement", nullptr},
    {"compare0", "CompilePwm0Statement", nullptr},
    {"pwm0a", "CompilePwm0AStatement", nullptr},
    {"compare0a", "CompilePwm0AStatement", nullptr},
    {"pwm0b", "CompilePwm0BStatement", nullptr},
    {"compare0b", "CompilePwm0BStatement", nullptr},
    {"pwm1", "CompilePwm1Statement", nullptr},
    {"compare1", "CompilePwm1Statement", nullptr},
    {"pwm1a", "CompilePwm1AStatement", nullptr},
    {"compare1a", "CompilePwm1AStatement", nullptr},
    {"pwm1b", "CompilePwm1BStatement", nullptr},
    {"compare1b", "CompilePwm1BStatement", nullptr},
    {"pwm1c", "CompilePwm1CStatement", nullptr},
    {"compare1c", "CompilePwm1CStatement", nullptr},
    {"pwm2", "CompilePwm2Statement", nullptr},
    {"compare2", "CompilePwm2Statement", nullptr},
    {"pwm3a", "CompilePwm3AStatement", nullptr},
    {"compare3a", "CompilePwm3AStatement", nullptr},
    {"pwm3b", "CompilePwm3BStatement", nullptr},
    {"compare3b", "CompilePwm3BStatement", nullptr},
    {"pwm3c", "CompilePwm3CStatement", nullptr},
    {"compare3c", "CompilePwm3CStatement", nullptr},
    {"pwm4a", "CompilePwm4AStatement", nullptr},
    {"compare4a", "CompilePwm4AStatement", nullptr},
    {"pwm4b", "CompilePwm4BStatement", nullptr},
    {"compare4b", "CompilePwm4BStatement", nullptr},
    {"pwm4c", "CompilePwm4CStatement", nullptr},
    {"compare4c", "CompilePwm4CStatement", nullptr},
    {"pwm5a", "CompilePwm5AStatement", nullptr},
    {"compare5a", "CompilePwm5AStatement", nullptr},
    {"pwm5b", "CompilePwm5BStatement", nullptr},
    {"compare5b", "CompilePwm5BStatement", nullptr},
    {"pwm5c", "CompilePwm5CStatement", nullptr},
    {"compare5c", "CompilePwm5CStatement", nullptr},
    // Interrupts and power
    {"enable", "CompileEnableStatement", nullptr},
    {"disable", "CompileDisableStatement", nullptr},
    {"int0", "CompileIntSenseStatement", nullptr},
    {"int1", "CompileIntSenseStatement", nullptr},
    {"int2", "CompileIntSenseStatement", nullptr},
    {"int3", "CompileIntSenseStatement", nullptr},
    {"int4", "CompileIntSenseStatement", nullptr},
    {"int5", "CompileIntSenseStatement", nullptr},
    {"int6", "CompileIntSenseStatement", nullptr},
    {"int7", "CompileIntSenseStatement", nullptr},
    {"int8", "CompileIntSenseStatement", nullptr},
    {"int9", "CompileIntSenseStatement", nullptr},
    {"int10", "CompileIntSenseStatement", nullptr},
    {"int11", "CompileIntSenseStatement", nullptr},
    {"int12", "CompileIntSenseStatement", nullptr},
    {"int13", "CompileIntSenseStatement", nullptr},
    {"int14", "CompileIntSenseStatement", nullptr},
    {"int15", "CompileIntSenseStatement", nullptr},
    {"ac", "CompileAcSenseStatement", nullptr},
    {"idle", "CompileIdleStatement", nullptr},
    {"powerdown", "CompilePowerDownStatement", nullptr},
    {"powersave", "CompilePowerSaveStatement", nullptr},
    {"standby", "CompileStandbyStatement", nullptr},
    {"extstandby", "CompileExtStandbyStatement", nullptr},
    {"nop", "CompileNopStatement", nullptr},
    // Peripherals
    {"adc", "CompileAdcFunction", nullptr},
    {"adc8", "CompileAdc8Function", nullptr},
    {"writeee", "CompileWriteEEStatement", nullptr},
    {"readee", "CompileReadEEStatement", nullptr},
    {"initee", "CompileInitEEStatement", nullptr},
    {"sound", "CompileSoundStatement", nullptr},
    {"dtmf", "CompileDtmfStatement", nullptr},
    {"rc5", "CompileRc5Statement", nullptr},
    {"key", "CompileKeyFunction", nullptr},
    {"nokey", "CompileNoKeyFunction", nullptr},
    {"pckey", "CompilePcKeyFunction", nullptr},
    {"pckeysend", "CompilePcKeySendStatement", nullptr},
    {"spi", "CompileSpiFunction", nullptr},
    {"spiin", "CompileSpiInStatement", nullptr},
    {"spiout", "CompileSpiOutStatement", nullptr},
    {"shiftout", "CompileShiftOutStatement", nullptr},
    {"shiftin", "CompileShiftInFunction", nullptr},
    {"format", "CompileFormatStatement", nullptr},
    {"leadchar", "CompileLeadCharStatement", nullptr},
    // Serial ports
    {"open", "CompileOpenStatement", nullptr},
    {"baud", "CompileBaudStatement", CompileBaudStatement},
    {"baud0", "CompileBaudStatement", CompileBaudStatement},
    {"baud1", "CompileBaud1Statement", CompileBaud1Statement},
    {"baud2", "CompileBaud2Statement", CompileBaud2Statement},
    {"baud3", "CompileBaud3Statement", CompileBaud3Statement},
    {"print", "CompilePrintStatement", nullptr},
    {"print0", "CompilePrintStatement", nullptr},
    {"print1", "CompilePrint1Statement", nullptr},
    {"print2", "CompilePrint2Statement", nullptr},
    {"print3", "CompilePrint3Statement", nullptr},
    {"printbin", "CompilePrintBinStatement", nullptr},
    {"printbin0", "CompilePrintBinStatement", nullptr},
    {"printbin1", "CompilePrintBin1Statement", nullptr},
    {"printbin2", "CompilePrintBin2Statement", nullptr},
    {"printbin3", "CompilePrintBin3Statement", nullptr},
    {"input", "CompileInputStatement", nullptr},
    {"input0", "CompileInputStatement", nullptr},
    {"input1", "CompileInput1Statement", nullptr},
    {"input2", "CompileInput2Statement", nullptr},
    {"input3", "CompileInput3Statement", nullptr},
    {"inputbin", "CompileInputBinStatement", nullptr},
    {"inputbin0", "CompileInputBinStatement", nullptr},
    {"inputbin1", "CompileInputBin1Statement", nullptr},
    {"inputbin2", "CompileInputBin2Statement", nullptr},
    {"inputbin3", "CompileInputBin3Statement", nullptr},
    // I2C and 1-Wire
    {"i2cstart", "CompileI2CStartStatement", nullptr},
    {"i2cwrite", "CompileI2CWriteStatement", nullptr},
    {"i2cread", "CompileI2CReadStatement", nullptr},
    {"i2cstop", "CompileI2CStopStatement", nullptr},
    {"wreset", "Compile1WResetStatement", nullptr},
    {"wwrite", "Compile1WWriteStatement", nullptr},
    {"wread", "Compile1WReadStatement", nullptr},
    // Character LCD
    {"lcd", "CompileLcdStatement", nullptr},
    {"cls", "CompileClsStatement", nullptr},
    {"locate", "CompileLocateStatement", nullptr},
    {"cursor", "CompileCursorStatement", nullptr},
    {"display", "CompileDisplayStatement", nullptr},
    {"deflcdchar", "CompileDefLcdCharStatement", nullptr},
    {"initlcd", "CompileInitLcdStatement", nullptr},
    {"contrast", "CompileContrastStatement", nullptr},
    // Graphic LCD
    {"glcd", "CompileGLcdStatement", nullptr},
    {"glcdinit", "CompileGlcdInitStatement", CompileGlcdInitStatement},
    {"gcls", "CompileGClsStatement", nullptr},
    {"tcls", "CompileTClsStatement", nullptr},
    {"tlcd", "CompileTLcdStatement", nullptr},
    {"gnum", "CompileGNumStatement", nullptr},
    {"pset", "CompilePSetStatement", nullptr},
    {"point", "CompilePointFunction", nullptr},
    {"line", "CompileLineStatement", nullptr},
    {"lineh", "CompileLineHStatement", nullptr},
    {"linev", "CompileLineVStatement", nullptr},
    {"circle", "CompileCircleStatement", nullptr},
    {"box", "CompileBoxStatement", nullptr},
    {"fill", "CompileFillStatement", nullptr},
    {"imgset", "CompileImgSetStatement", nullptr},
    {"inverse", "CompileInverseStatement", nullptr},
    {"fontset", "CompileFontSetStatement", nullptr},
    {"gread", "CompileGReadFunction", nullptr},
    {"gwrite", "CompileGWriteStatement", nullptr},
    {"gcursor", "CompileGCursorStatement", nullptr},
    {"gcommand", "CompileGCommandStatement", nullptr},
    {"txthomeset", "CompileTxtHomeSetStatement", nullptr},
    {"txtareaset", "CompileTxtAreaSetStatement", nullptr},
    {"grphomeset", "CompileGrpHomeSetStatement", nullptr},
    {"grpareaset", "CompileGrpAreaSetStatement", nullptr},
};

void PassOverStatement(CompilerState& st) {
  while (st.TokText() != "<EOL>" && st.TokText() != ":") ++st.src.TokenIndex;
}

// The rows sorted by keyword, for a binary search.
const std::vector<const DispatchRow*>& SortedRows() {
  static const std::vector<const DispatchRow*> sorted = [] {
    std::vector<const DispatchRow*> v;
    for (const DispatchRow& r : kRows) v.push_back(&r);
    std::sort(v.begin(), v.end(), [](const DispatchRow* a, const DispatchRow* b) { return a->keyword < b->keyword; });
    return v;
  }();
  return sorted;
}

}  // namespace

const DispatchRow* FindDispatchRow(std::string_view keyword) {
  const auto& rows = SortedRows();
  auto it = std::lower_bound(rows.begin(), rows.end(), keyword,
                             [](const DispatchRow* r, std::string_view k) { return r->keyword < k; });
  if (it != rows.end() && (*it)->keyword == keyword) return *it;
  return nullptr;
}

int DispatchRowCount() { return static_cast<int>(std::size(kRows)); }

void DispatchKeyword(CompilerState& st) {
  const std::string& text = st.TokText();
  // "spi", "spiin" and the timer words keep SkipOperandPush: their value may be the left
  // operand that a simple assignment loads into the second-operand registers.
  const std::string first5 = text.substr(0, 5);
  if (!(first5 == "spiin" || first5 == "timer" || text == "spi")) st.sticky.SkipOperandPush = false;

  const DispatchRow* row = FindDispatchRow(text);
  if (row == nullptr) {
    st.expr.StatementContext = true;
    CompileAssignment(st);
    return;
  }
  if (row->keyword == "glcdinit") {
    ++st.src.TokenIndex;
    if (row->fn != nullptr) row->fn(st);
    CheckStatementEnd(st);
    return;
  }
  if (row->fn != nullptr) {
    row->fn(st);
    return;
  }
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  CompileError(st, "Not supported yet: " + upper);
  PassOverStatement(st);
}

}  // namespace qbc
