#include "compiler/statements/comm_display/dispatch_rows.h"

#include "compiler/statements/comm_display/glcd_init.h"
#include "compiler/statements/comm_display/glcd_statements.h"
#include "compiler/statements/comm_display/i2c_statements.h"
#include "compiler/statements/comm_display/lcd_statements.h"
#include "compiler/statements/comm_display/uart_config.h"
#include "compiler/statements/comm_display/uart_input.h"
#include "compiler/statements/comm_display/uart_print.h"

namespace qbc {

namespace {

// One row per keyword (see dispatch_row.h). A row whose generator is not built yet
// carries nullptr: the statement is reported as not supported yet.
constexpr DispatchRow kRows[] = {
    // Serial ports
    {.keyword = "baud", .generator = "CompileBaudStatement", .numbered = CompileBaudStatement, .number = 0},
    {.keyword = "baud0", .generator = "CompileBaudStatement", .numbered = CompileBaudStatement, .number = 0},
    {.keyword = "baud1", .generator = "CompileBaudStatement", .numbered = CompileBaudStatement, .number = 1},
    {.keyword = "baud2", .generator = "CompileBaudStatement", .numbered = CompileBaudStatement, .number = 2},
    {.keyword = "baud3", .generator = "CompileBaudStatement", .numbered = CompileBaudStatement, .number = 3},
    {.keyword = "print", .generator = "CompilePrintStatement", .numbered = CompilePrintStatement, .number = 0},
    {.keyword = "print0", .generator = "CompilePrintStatement", .numbered = CompilePrintStatement, .number = 0},
    {.keyword = "print1", .generator = "CompilePrint1Statement", .numbered = CompilePrintStatement, .number = 1},
    {.keyword = "print2", .generator = "CompilePrint2Statement", .numbered = CompilePrintStatement, .number = 2},
    {.keyword = "print3", .generator = "CompilePrint3Statement", .numbered = CompilePrintStatement, .number = 3},
    {.keyword = "printbin", .generator = "CompilePrintBinStatement", .numbered = CompilePrintBinStatement, .number = 0},
    {.keyword = "printbin0", .generator = "CompilePrintBinStatement", .numbered = CompilePrintBinStatement, .number = 0},
    {.keyword = "printbin1", .generator = "CompilePrintBin1Statement", .numbered = CompilePrintBinStatement, .number = 1},
    {.keyword = "printbin2", .generator = "CompilePrintBin2Statement", .numbered = CompilePrintBinStatement, .number = 2},
    {.keyword = "printbin3", .generator = "CompilePrintBin3Statement", .numbered = CompilePrintBinStatement, .number = 3},
    {.keyword = "input", .generator = "CompileInputStatement", .numbered = CompileInputStatement, .number = 0},
    {.keyword = "input0", .generator = "CompileInputStatement", .numbered = CompileInputStatement, .number = 0},
    {.keyword = "input1", .generator = "CompileInput1Statement", .numbered = CompileInputStatement, .number = 1},
    {.keyword = "input2", .generator = "CompileInput2Statement", .numbered = CompileInputStatement, .number = 2},
    {.keyword = "input3", .generator = "CompileInput3Statement", .numbered = CompileInputStatement, .number = 3},
    {.keyword = "inputbin", .generator = "CompileInputBinStatement", .numbered = CompileInputBinStatement, .number = 0},
    {.keyword = "inputbin0", .generator = "CompileInputBinStatement", .numbered = CompileInputBinStatement, .number = 0},
    {.keyword = "inputbin1", .generator = "CompileInputBin1Statement", .numbered = CompileInputBinStatement, .number = 1},
    {.keyword = "inputbin2", .generator = "CompileInputBin2Statement", .numbered = CompileInputBinStatement, .number = 2},
    {.keyword = "inputbin3", .generator = "CompileInputBin3Statement", .numbered = CompileInputBinStatement, .number = 3},
    // I2C and 1-Wire
    {"i2cstart", "CompileI2CStartStatement", CompileI2CStartStatement},
    {"i2cwrite", "CompileI2CWriteStatement", CompileI2CWriteStatement},
    {"i2cread", "CompileI2CReadFunction", CompileI2CReadFunction, RowResult::kByte},
    {"i2cstop", "CompileI2CStopStatement", CompileI2CStopStatement},
    // Character LCD
    {"lcd", "CompileLcdStatement", CompileLcdStatement},
    {"cls", "CompileClsStatement", CompileClsStatement},
    {"locate", "CompileLocateStatement", CompileLocateStatement},
    {"cursor", "CompileCursorStatement", CompileCursorStatement},
    {"display", "CompileDisplayStatement", CompileDisplayStatement},
    {"deflcdchar", "CompileDefLcdCharStatement", CompileDefLcdCharStatement},
    {"initlcd", "CompileInitLcdStatement", CompileInitLcdStatement},
    {"contrast", "CompileContrastStatement", CompileContrastStatement},
    // Graphic LCD
    {"glcd", "CompileGLcdStatement", CompileGLcdStatement},
    {"glcdinit", "CompileGlcdInitStatement", CompileGlcdInitStatement},
    {"gcls", "CompileGClsStatement", CompileGClsStatement},
    {"tcls", "CompileTClsStatement", CompileTClsStatement},
    {"tlcd", "CompileTLcdStatement", CompileTLcdStatement},
    {"gnum", "CompileGNumStatement", CompileGNumStatement},
    {"pset", "CompilePSetStatement", CompilePSetStatement},
    {"point", "CompilePointFunction", CompilePointFunction, RowResult::kByte},
    {"line", "CompileLineStatement", CompileLineStatement},
    {"lineh", "CompileLineHStatement", CompileLineHStatement},
    {"linev", "CompileLineVStatement", CompileLineVStatement},
    {"circle", "CompileCircleStatement", CompileCircleStatement},
    {"box", "CompileBoxStatement", CompileBoxStatement},
    {"fill", "CompileFillStatement", CompileFillStatement},
    {"imgset", "CompileImgSetStatement", CompileImgSetStatement},
    {"inverse", "CompileInverseStatement", CompileInverseStatement},
    {"fontset", "CompileFontSetStatement", CompileFontSetStatement},
    {"gread", "CompileGReadFunction", CompileGReadFunction, RowResult::kByte},
    {"gwrite", "CompileGWriteStatement", CompileGWriteStatement},
    {"gcursor", "CompileGCursorStatement", CompileGCursorStatement},
    {"gcommand", "CompileGCommandStatement", CompileGCommandStatement},
    {"txthomeset", "CompileTxtHomeSetStatement", CompileTxtHomeSetStatement},
    {"txtareaset", "CompileTxtAreaSetStatement", CompileTxtAreaSetStatement},
    {"grphomeset", "CompileGrpHomeSetStatement", CompileGrpHomeSetStatement},
    {"grpareaset", "CompileGrpAreaSetStatement", CompileGrpAreaSetStatement},
};

}  // namespace

std::span<const DispatchRow> CommDisplayDispatchRows() { return kRows; }

}  // namespace qbc
