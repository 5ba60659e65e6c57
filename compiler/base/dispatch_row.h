#pragma once
// A row of the keyword dispatcher: a keyword and the generator that compiles its
// statement or function. Each statement area keeps its rows in its own dispatch_rows.cpp;
// the driver takes every area's rows in once.
//
// A generator that serves one keyword per UART, channel, timer or bus takes that number
// from its row instead of a wrapper per number:
//   {"dim", "CompileDimStatement", CompileDimStatement},
//   {.keyword = "baud1", .generator = "CompileBaudStatement", .numbered = CompileBaudStatement, .number = 1},
// A keyword that gives a value where an expression wants an operand (a function, a timer's
// count) names what it gives in its result column:
//   {"adc", "CompileAdcFunction", CompileAdcFunction, RowResult::kWord},
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qbc {

struct CompilerState;

// What a keyword gives as an operand of an expression. The expression typer reads it to
// know the values the operand can take; a row that gives nothing cannot stand in an
// expression.
enum class RowResult : std::uint8_t {
  kNone,        // a statement
  kByte,
  kInteger,
  kWord,
  kLong,
  kFloat,
  kOfArgument,  // the range of its argument (Sqrt)
  kMagnitude,   // the magnitudes of its argument's values (Abs)
  kAnyWidth,    // converted to whatever the expression is worked in (Shift, Spi, ReadEE)
  kText,        // a text (Left, Mid, LCase, ...)
  kNumberText,  // a number's text, made where it is read (Str, Hex)
  kChar,        // one character (Chr)
};

// A statement's generator compiles its statement. A function's generator compiles its value
// into the registers of `wanted` (0: none wanted, its own type) and returns the type the
// expression goes on in: `wanted`, or with none wanted the type the value was left in.
using StatementGenerator = void (*)(CompilerState&);
using ValueGenerator = std::uint8_t (*)(CompilerState&, std::uint8_t wanted);
using NumberedStatementGenerator = void (*)(CompilerState&, int number);
using NumberedValueGenerator = std::uint8_t (*)(CompilerState&, int number, std::uint8_t wanted);

// The generator of a row, of either kind; a row names its generator alone and the kind
// follows from its signature.
template <class Statement, class Value>
struct GeneratorOf {
  constexpr GeneratorOf() = default;
  constexpr GeneratorOf(std::nullptr_t) {}
  constexpr GeneratorOf(Statement s) : statement(s) {}
  constexpr GeneratorOf(Value v) : value(v) {}
  constexpr bool operator==(std::nullptr_t) const { return statement == nullptr && value == nullptr; }

  Statement statement = nullptr;
  Value value = nullptr;
};
using Generator = GeneratorOf<StatementGenerator, ValueGenerator>;
using NumberedGenerator = GeneratorOf<NumberedStatementGenerator, NumberedValueGenerator>;

struct DispatchRow {
  std::string_view keyword;    // lower case; a word of the keyword list
  std::string_view generator;  // the generator's name
  Generator fn = nullptr;      // nullptr (and no numbered generator) while not built yet
  RowResult result = RowResult::kNone;
  NumberedGenerator numbered = nullptr;
  int number = 0;              // passed to `numbered`

  bool Built() const { return fn != nullptr || numbered != nullptr; }
};

}  // namespace qbc
