#include "compiler/codegen/data_list.h"

#include "compiler/codegen/flash_tables.h"
#include "compiler/base/compile_error.h"
#include "compiler/base/labels.h"
#include "compiler/frontend/source_reader.h"

namespace qbc {

namespace {

void StartLine(CompilerState& st, const char* directive) {
  st.out.InstrOpen(Sep::kNarrow, directive);
}

// Writes one value: a string as its text and a terminating zero byte.
void WriteValue(CompilerState& st, std::uint8_t type) {
  if (type == kTypeString || type == kTypeFlashString) {
    st.out.Put("\"" + st.TokText() + "\",0");
    if (st.TokText(1) != "<EOL>") ++st.src.TokenIndex;
    return;
  }
  EmitTableElement(st, type);
}

}  // namespace

int EmitDataList(CompilerState& st, const std::string& label, std::uint8_t& elementType) {
  if (!label.empty()) EmitLabel(st, label);
  const char* directive = nullptr;
  switch (elementType) {
    case kTypeByte:
    case kTypeString:
    case kTypeFlashString: directive = ".db"; break;
    case kTypeInteger:
    case kTypeWord:
    case kTypeLong:
    case kTypeFloat: directive = ".dw"; break;  // a long or float is two words, low word first
    default:
      ++st.src.TokenIndex;
      return 0;
  }
  const bool byteList = elementType == kTypeByte;
  StartLine(st, directive);
  int valuesOnLine = 0;
  int values = 0;
  for (;;) {
    WriteValue(st, elementType);
    ++valuesOnLine;
    ++values;
    // The writers stay on the last value of a line and step past any other value.
    if (st.TokText() != ",") {
      st.out.Line();
      if (st.TokText() != "<EOL>" && st.TokText(1) == "<EOL>") ++st.src.TokenIndex;
      return values;
    }
    ++st.src.TokenIndex;  // past ","
    if (st.TokText() == "<EOL>") {
      st.out.Line();
      if (byteList && valuesOnLine % 2 != 0) {
        ReportInPlace(st, "Number of databytes in line must be even!");
      }
      CheckStatementEnd(st);
      StartLine(st, directive);
      valuesOnLine = 0;
    } else {
      st.out.Put(",");
    }
  }
}

}  // namespace qbc
