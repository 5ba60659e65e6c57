#pragma once
// The compiler's whole state: one record, reset at the start of every compilation and
// passed explicitly to every generator and emitter. Nothing of one compilation survives
// into the next (ResetCompilerGlobals).
//
// Areas of the record live in their own structs so that each part of the compiler adds
// its cells where they belong; the reset clears each area as a whole, so a new cell is
// cleared without further code. Cells whose initial value is not 0/empty/false carry a
// default member initializer.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/base/area_cells.h"
#include "compiler/base/asm_writer.h"
#include "compiler/base/bounded_table.h"
#include "compiler/base/report.h"
#include "compiler/base/used_flags.h"

namespace qbc {

// Type codes of variables, locals, results and expression cells.
enum TypeCode : std::uint8_t {
  kTypeNone = 0,
  kTypeBit = 1,
  kTypeByte = 2,
  kTypeInteger = 3,
  kTypeWord = 4,
  kTypeLong = 5,
  kTypeString = 6,
  kTypeFlashString = 7,
  kTypeFloat = 8,
  kTypeAnyNumber = 9,  // a wanted type only: any number, worked in its own type (no text)
  kTypeChar = 10,  // OperandType only: a single character produced by Chr
  kTypeSubstring = 11,  // OperandType only: Left/Right/Mid: Z on the first character, r20 = count + 1
};

// Kinds of tokens.
enum TokenKind : std::uint8_t {
  kTokEol = 0,
  kTokOperator = 1,
  kTokName = 2,
  kTokOpenParen = 3,
  kTokCloseParen = 4,
  kTokComma = 5,
  kTokDot = 6,
  kTokCallName = 7,  // a name directly followed by "("
  kTokNumber = 8,
  kTokDollar = 9,
  kTokColon = 10,
  kTokKeyword = 11,
  kTokString = 12,
  kTokAmpersand = 13,
  kTokEndOfSource = 14,  // the "last" of the reader's end-of-file pseudo-line, never a word of the program
  kTokSemicolon = 15,
  kTokHash = 16,
};

enum StorageClass : std::uint8_t { kStorageSram = 0, kStorageXram = 1, kStorageFlash = 3 };

// Where the variable operand loaded last lives, and how it was reached (statements that
// store the value back, such as Swap, write it to the same place).
enum LoadedPlace : std::uint8_t { kLoadedNone = 0, kGlobalVar = 3, kFrameVar = 6 };
enum LoadedKind : std::uint8_t { kLoadedNothing = 0, kLoadedGlobal = 1, kLoadedLocal = 2 };

// A string term that began with LCase or UCase: its text is converted as it is copied.
enum StringCase : std::uint8_t { kCaseNone = 0, kCaseLower = 1, kCaseUpper = 2 };

struct TokenRecord {
  std::string Text;
  std::uint8_t Kind = 0;
};

struct IncludeRecord {
  int FileNumber = 0;
  std::string FileName;
  std::int32_t LineNumber = 0;
};

struct GlobalVarRecord {
  std::string Name;
  std::uint8_t VarType = 0;
  std::int16_t Size = 0;
  std::uint8_t ElementSize = 0;
  std::uint8_t Storage = 0;
  std::uint8_t IndexType = 0;
  std::int32_t Address = 0;
  bool Initialized = false;
};

struct LocalVarRecord {
  std::string OwnerProc;
  std::string Name;
  std::uint8_t VarType = 0;
  std::uint8_t Size = 0;
  std::uint8_t FrameOffset = 0;
  std::uint8_t Storage = 0;
  std::uint8_t StrLen = 0;
};

struct ProcRecord {
  std::string Name;
  std::uint8_t ParamCount = 0;  // declared parameters
  std::uint8_t VarCount = 0;    // parameters, then parameters and locals after a definition
  std::uint8_t FrameSize = 0;
  std::uint8_t LocalBytes = 0;
  std::uint8_t ResultType = 0;
  bool Defined = false;
  bool Used = false;
};

struct ConstRecord {
  std::string Name;
  std::string Value;
  std::uint8_t ConstType = 0;  // a TokenKind: 8 number, 12 string
};

struct DefRecord {
  std::string Name;
  std::string Register;
  std::string Bit;
};

struct IoRegisterRecord {
  std::string Name;
  std::int16_t Value = 0;
};

struct VectorRecord {
  bool Used = false;
  std::string Name;
};

struct StringConstRecord {
  int Number = 0;
  std::string Label;
  std::string Text;
};

// Device profile, set by the device loader.
struct DeviceProfile {
  std::string DeviceName;
  std::int32_t RamEnd = 0;
  std::int32_t RamStart = 0;
  std::int32_t XRamEnd = 0;
  std::int32_t EepromEnd = 0;
  std::int32_t FlashEnd = 0;  // flash size in bytes
  bool NeedRampz = false;
  // More than 64K words of flash: the program counter has 22 bits, and ijmp and icall
  // reach only the first 64K words (Z alone); eijmp and eicall take EIND:Z.
  bool WideProgramCounter = false;
  // Instructions of the chip's core, from its definition file (CORE_MUL, CORE_MOVW,
  // CORE_LPM_ZINC, CORE_ELPM_ZINC); a file without them gives none.
  bool HardwareMultiplier = false;  // mul, muls, mulsu
  bool MovwInstruction = false;
  bool LpmPostIncrement = false;   // lpm Rd,Z+
  bool ElpmPostIncrement = false;  // elpm Rd,Z+
};

// Mnemonics the device loader chooses; not cleared by the reset (the loader sets them
// whenever it loads a device).
struct DeviceMnemonics {
  std::string LpmMnemonic = "lpm";
  std::string CallMnemonic = "rcall";
  std::string JumpMnemonic = "rjmp";
};

// Settings of the whole program from $ metastatements and configuration statements. The
// settings of one peripheral or statement area live in that area's own cells
// (st.Cells<LcdCells>(), st.Cells<UartCells>(), ...).
struct Configuration {
  float CrystalFrequency = 0.0f;  // MHz
  // A $clock value was refused with its own error: no second "No Clock specified!".
  bool ClockRefused = false;
  std::string StackSize;
  bool XramEnabled = false;
  bool AnglesDegrees = false;
  bool JtagOff = false;
  bool ListSourceInAsm = false;
  BoundedTable<std::string, 33> InitCodeLines;
};

// Per-statement and expression cells.
struct ExpressionCells {
  std::uint8_t CurrentVarType = 0;
  std::uint8_t ArrayIndexType = 0;
  LoadedKind LoadedVarKind = kLoadedNothing;
  LoadedPlace LoadedVarClass = kLoadedNone;
  std::uint8_t ForVarType = 0;
  // The type of the place the value being compiled goes to: an assignment's target, a
  // parameter, a Function's result (0 where it is compared, printed or taken by a
  // statement, and within a function's arguments, which the function takes for itself).
  // Val and HexVal wanted as a Long read a text in 16 bits for a place of 16 bits or fewer.
  std::uint8_t StoreType = 0;
  int ArgStackOffset = 0;
  // Bytes of the string argument area taken by the string arguments of the calls being
  // compiled (a call inside an argument list puts its strings above its caller's).
  int StringArgAreaTop = 0;
  std::uint8_t ConfigScratch = 0;
  std::uint8_t ParenDepth = 0;
  bool StatementContext = false;
  bool FirstStringTerm = false;
  bool StringVarFlag = false;
  bool OperandInFlash = false;
  bool IndexOnStack = false;
  bool ConstIsByteMax = false;
  bool ConstIsWordMax = false;
  bool MemCopyMode = false;
  bool IfConditionActive = false;
  bool ExpressionTermOnly = false;
  bool InParenExpr = false;
  bool InParamList = false;
  bool InDimList = false;
  bool StrDestPushed = false;
  // The string term being stored began with LCase or UCase.
  StringCase StringTermCase = kCaseNone;
  // The comparison being compiled has a text on one side: Chr on either side is a
  // one-character text and Str a number's text. A number's text (Str, Hex) alone on the
  // left is kept aside while the right side is made; one on the right keeps X, the left
  // side's address.
  bool TextComparison = false;
  bool LeftNumberText = false;
  bool RightNumberText = false;
  bool BitOperandIsVar = false;
  bool BitOperandIsGlobal = false;
  bool BitOperandIsLocal = false;
  bool BitOperandIsIo = false;
  bool RandomizeDone = false;
  bool AdccInterruptUsed = false;
  std::string BitOperandRegister;
  std::string BitOperandBit;
};

// Cells that their writers set before they are read; the reset clears them with the rest.
struct StickyCells {
  std::uint8_t OperandType = 0;
  bool SkipOperandPush = false;
  bool LogicOperatorSeen = false;
  bool SingleLineIf = false;
  std::uint8_t StrOperandLength = 0;
};

// Counters of the compilation and the symbol tables.
struct Symbols {
  BoundedTable<GlobalVarRecord, 257> GlobalVars;
  BoundedTable<LocalVarRecord, 257> LocalVars;
  BoundedTable<ProcRecord, 257> Procs;
  BoundedTable<ConstRecord, 513> Constants;
  BoundedTable<DefRecord, 257> Defs;
  BoundedTable<IoRegisterRecord, 751> IoRegisters;
  BoundedTable<VectorRecord, 49> InterruptVectors;
  BoundedTable<StringConstRecord, 256> StringConstants;
  // Every name the device definition file defines, with its value: register addresses and
  // bit numbers alike. The IoRegisters table ends before the bit names of the bigger chips
  // (m128, m2560), so statements that need a bit's number look it up here.
  std::map<std::string, std::int32_t> DeviceSymbols;

  std::int32_t LabelCounter = 0;  // wide: a program of the biggest flash needs more than 32767
  std::int16_t StringConstCount = 0;
  std::uint8_t GlobalVarCount = 0;
  std::uint8_t BitVarCount = 0;
  std::uint8_t LocalVarCount = 0;
  std::uint8_t SubCount = 0;
  std::uint8_t ParamCounter = 0;  // running count of a declaration's parameters
  std::uint8_t DefCount = 0;
  std::uint8_t CurrentSubIndex = 0;
  std::string CurrentSubName;
  std::int16_t SystemVarBytes = 0;
  std::int16_t UserVarBytes = 0;
  std::uint8_t HighestVectorUsed = 0;
  // A Float variable is declared: the data segment holds the float text cells.
  bool FloatVarDeclared = false;
  // The library routine labelled Mp16u is in the output (on chips with the multiplier
  // both 16-bit multiply emitters would write it).
  bool Mp16uWritten = false;
};

// Block nesting depths (the exit-label tables are kept outside: each entry is written
// before it is read).
struct PendingGoto {
  std::string Target;               // the source label
  std::string Trampoline;           // generated label the Goto jumps to
  std::vector<std::string> ForLoops;  // exit labels of the For loops open at the Goto
  std::string FileName;             // where the Goto stands (for the undefined-label error)
  std::int32_t LineNumber = 0;
};

struct Nesting {
  // Source labels with the exit labels of the For loops open where each was defined, and
  // the Gotos inside For loops whose label was not defined yet: a Goto that leaves For
  // loops takes their saved end values off the hardware stack on its way.
  std::map<std::string, std::vector<std::string>> LabelForLoops;
  std::vector<PendingGoto> PendingGotos;
  // Saved end-register bytes of every For loop, by its exit label.
  std::map<std::string, std::uint8_t> ForLoopPushes;
  std::uint8_t DoNestingDepth = 0;
  std::uint8_t WhileNestingDepth = 0;
  std::uint8_t ForNestingDepth = 0;
  std::uint8_t SubNestingDepth = 0;
  std::uint8_t FunctionNestingDepth = 0;
  // Statement blocks open at once: the program, and every If, Select, loop, procedure and
  // included file inside it (each compiles its statements by entering the statement loop
  // again).
  std::uint16_t BlockNestingDepth = 0;
  // Where the statement being compiled stands (its include level and line): a block that
  // it opens beyond the limit is reported there.
  std::uint8_t StatementIncludeLevel = 0;
  std::int32_t StatementLine = 0;
};

struct ExitLabels {
  BoundedTable<std::string, 33> DoExitLabels;
  BoundedTable<std::string, 33> WhileExitLabels;
  BoundedTable<std::string, 33> ForExitLabels;
  BoundedTable<std::string, 33> SubExitLabels;
  BoundedTable<std::string, 33> FunctionExitLabels;
  // Per For depth: how many end registers the loop saved on the hardware stack (0, 1 for
  // r5, 2 for r5 then r6); Exit For takes them off before it jumps past the loop's pops.
  BoundedTable<std::uint8_t, 33> ForPushedRegs;
  // Per Do / While depth: the For depth when the loop opened; leaving the loop unwinds the
  // For loops opened inside it.
  BoundedTable<std::uint8_t, 33> DoForDepth;
  BoundedTable<std::uint8_t, 33> WhileForDepth;
};

// Source position and the token table.
struct SourcePosition {
  BoundedTable<TokenRecord, 257> Tokens;
  BoundedTable<IncludeRecord, 33> IncludeStack;
  int SourceFileNumber = 0;
  std::uint8_t IncludeLevel = 0;
  std::int32_t SourceLineNumber = 0;  // wide: sources may hold more than 32767 lines
  std::string SourceLine;
  std::string ListingComment;
  std::int16_t TokenIndex = 0;
  std::int16_t TokenCount = 0;
  bool DeclarationsEnded = false;
};

// One open source file (the main source tmp.tmp or an $include file), held whole in
// memory and read line by line. Index in the table = the file number.
struct SourceFileRecord {
  bool Open = false;
  std::string Path;
  std::string Text;
  std::size_t ReadPos = 0;  // offset of the next line in Text
};

// The run-time file table of the source readers. The reset closes every file, so no file
// of one compilation stays open into the next.
struct SourceFileTable {
  BoundedTable<SourceFileRecord, 40> Files;  // file numbers 1 to 39
};

// Where the compilation runs: set by the driver from its arguments.
struct Environment {
  std::string InstallDir;      // installation folder: tmp.tmp, inc/
  std::string DocumentFolder;  // folder of the document being compiled ($include, .asm)

  // The installation's inc folder (no "/" at its end): the device definition files, and
  // the assembler front end, which names it to avra as an include folder (-I).
  std::string IncludeFolder() const {
    return InstallDir.empty() || InstallDir.back() == '/' ? InstallDir + "inc" : InstallDir + "/inc";
  }
};

struct CompilerState;
struct DispatchRow;

// The driver's statement loop and dispatchers, which generators in the layers below it
// re-enter: the block of statements inside an If, a loop, a Select or a procedure, and a
// function keyword or 1-Wire word met inside an expression. The driver connects them
// (ConnectDriverEntries) before a compilation's stages run.
struct DriverEntries {
  void (*compileBlock)(CompilerState&) = nullptr;
  // A function keyword or 1-Wire word compiles its value as `wanted` and returns the type
  // the expression goes on in (see ValueGenerator in dispatch_row.h).
  std::uint8_t (*dispatchKeyword)(CompilerState&, std::uint8_t wanted) = nullptr;
  std::uint8_t (*compileOneWire)(CompilerState&, std::uint8_t wanted) = nullptr;
  // The tokenizer's test of a word: the keywords are the dispatch rows' words.
  bool (*isKeyword)(std::string_view word) = nullptr;
  // The dispatch row of a keyword (nullptr for any other word): the expression typer reads
  // what a function gives from its result column.
  const DispatchRow* (*findRow)(std::string_view word) = nullptr;
};

struct CompilerState {
  // Areas cleared by the reset.
  SourcePosition src;
  Symbols sym;
  DeviceProfile dev;
  Configuration cfg;
  ExpressionCells expr;
  Nesting nest;
  UsedFlags used;
  SourceFileTable files;
  // The statement areas' own cells (st.Cells<LcdCells>(), ...), declared in each area.
  AreaCells areas;
  // Cells a compilation writes before it reads them, cleared as well: a compilation that
  // ended in a failure leaves them as they stood (the one-line If flag among them).
  DeviceMnemonics mn;
  StickyCells sticky;
  ExitLabels exits;

  // Areas the reset leaves alone.
  Environment env;
  std::int16_t ErrorCount = 0;  // set to 0 by the driver

  // Where the output goes and where the report is shown. The writer is emptied by the
  // driver when it opens the output; the report belongs to the environment.
  AsmWriter out;
  ReportSink* report = nullptr;
  DriverEntries entries;

  // Returns the record to its initial state; called at the start of every compilation and
  // after every compile command of the environment.
  void ResetCompilerGlobals();

  // Current token helpers. Past the current line's "<EOL>" every read sees that "<EOL>":
  // the records beyond it are left over from longer earlier lines and must never be
  // compiled. The table's bound still holds, so an index that runs away ends the
  // compilation instead of looping.
  TokenRecord& Tok(int offset = 0) {
    long i = src.TokenIndex + offset;
    if (src.TokenCount > 0 && i >= src.TokenCount && i < static_cast<long>(src.Tokens.size()))
      i = src.TokenCount - 1;
    return src.Tokens[i];
  }
  const std::string& TokText(int offset = 0) { return Tok(offset).Text; }

  // The cells of one statement area; created with their defaults on first use.
  template <class T>
  T& Cells() {
    return areas.Get<T>();
  }
  template <class T>
  const T& Cells() const {
    return areas.Get<T>();
  }
};

}  // namespace qbc
