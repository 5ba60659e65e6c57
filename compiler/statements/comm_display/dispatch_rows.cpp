#include "compiler/statements/comm_display/dispatch_rows.h"

#include "compiler/statements/comm_display/glcd_init.h"
#include "compiler/statements/comm_display/uart_config.h"

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

}  // namespace

std::span<const DispatchRow> CommDisplayDispatchRows() { return kRows; }

}  // namespace qbc
