#pragma once
// The editor's inventory of the dialect's words: the keyword list (list 1), the
// environment's two further word lists (lists 2 and 3) and the one-character operators.
// They only colour the text; the compiler matches its own keyword table. Words repeat
// within and across lists as they always have.
#include <array>
#include <string>
#include <string_view>

namespace qbc {

inline constexpr std::array<std::string_view, 184> kKeywordList = {
    "Abs", "Ack", "And", "As", "Asc", "At", "Baud", "Baud0", "Baud2", "Bit", "Bin", "Byte", "Bcd",
    "Capture", "Case", "Chr", "Close", "Const", "Compare", "Capture1", "Capture3", "Counter", "Cos",
    "CPeek", "Declare", "Decr", "Dim", "Disable", "Do", "Else", "ElseIf", "End", "Enable", "Exit", "False",
    "Float", "For", "Format", "Fract", "FromBcd", "Function", "GoTo", "Hex", "HexVal", "If", "Incr",
    "Input", "Input0", "Input1", "Input2", "Input3", "InputBin", "InputBin0", "InputBin1", "InputBin2",
    "InputBin3", "Integer", "Inverted", "InStr", "Left", "Len", "LCase", "Local", "Long", "Loop", "LTrim",
    "MakeWord", "MemCopy", "MemLoad", "Mid", "mod", "Nack", "Next", "Normal", "Not", "On", "Off", "Open",
    "Or", "Output", "Peek", "Poke", "Prescale", "Print", "Print0", "Print1", "Print2", "Print3", "PrintBin",
    "PrintBin0", "PrintBin1", "PrintBin2", "PrintBin3", "PWM", "Rnd", "Randomize", "Return", "Right",
    "RTrim", "Scientific", "Select", "Sqr", "Sqrt", "Sin", "Sort", "Str", "String", "Start", "Step", "Stop",
    "Sub", "Sync", "Then", "Timer", "To", "True", "UCase", "Until", "Val", "VarPtr", "Vref", "Wait",
    "WaitMs", "WaitUs", "Wend", "While", "Word", "Xor", "Hi", "Low", "All", "Interrupt", "Interrupts",
    "Save", "$Asm", "$EndAsm", "Set", "Reset", "Toggle", "PORTA", "PORTB", "PORTC", "PORTD", "PORTE",
    "PORTF", "PORTG", "PORTH", "PORTJ", "PORTL", "PORTK", "PINA", "PINB", "PINC", "PIND", "PINE", "PINF",
    "PING", "PINH", "PINJ", "PINL", "PINK", "DDRA", "DDRB", "DDRC", "DDRD", "DDRE", "DDRF", "DDRG", "DDRH",
    "DDRJ", "DDRL", "DDRK", "Tan", "Atan", "Atan2", "Acos", "Asin", "Log", "Log10", "Exp", "Sinh", "Cosh",
    "Tanh", "Pow",
};

inline constexpr std::array<std::string_view, 141> kTolkList2 = {
    "$1Wire", "$Baud", "$Clock", "$Device", "$Def", "$I2C", "$Key", "$Lcd", "$PcKey", "$ShiftOut", "$Sound",
    "$Source", "$Stack", "$Timer0", "$Timer1", "$Timer2", "$WatchDog", "1Wreset", "1Wread", "1Wwrite",
    "Adc", "Adc8", "Com", "CopyMem", "Crc8", "Cursor", "DefLcdChar", "I2Cwrite", "I2Cread", "I2Cstart",
    "I2Cstop", "InitLcd", "$Baud0", "Int0", "Int1", "Int2", "Int3", "Int4", "Int5", "Int6", "Int7",
    "SpiOut", "SpiIn", "Key", "Lcd", "Left", "LoadMem", "Locate", "$GLCD", "PcKey", "Pwm1A", "Pwm1B",
    "Pwm0", "Pwm2", "Xram", "InitEE", "Flash", "PenWidth", "Inverse", "$Gctrl", "Falling", "Rising",
    "DisConnect", "Oc1", "Compare0", "Compare1A", "Compare1B", "Compare1", "Compare2", "NoiseCancel",
    "$Include", "Ac", "BitWait", "PcKeySend", "Inv", "Find8", "Find16", "TLcd", "Counter0", "Counter1",
    "Counter2", "Rows", "Cols", "$Com1", "TXon", "TXbusy", "$Timer3", "Oc1C", "Oc3A", "Oc3B", "Oc3C",
    "Ovf3", "Icp3", "Urxc0", "Udre0", "Utxc0", "Urxc1", "Udre1", "Utxc1", "Erdy", "RS", "EN", "DegToRad",
    "RadToDeg", "PI", "Nop", "Pwm1C", "Pwm3A", "Pwm3B", "Pwm3C", "CompareA", "Compare0A", "Compare0B",
    "Pwm0A", "Pwm0B", "$Jtag", "MemFill", "KS0073", "Utxc2", "Utxc3", "Udre2", "Udre3", "Icp2", "Icp4",
    "Ovf4", "Ovf5", "$Timer4", "$Timer5", "Counter5", "Icp5", "Icp4", "$ShiftIn", "Pwm5A", "Pwm5B", "Pwm5C",
    "Compare4A", "Compare4B", "Compare4C", "Uart", "Uart1", "cccc",
};

inline constexpr std::array<std::string_view, 141> kTolkList3 = {
    "cccc", "Pulse", "ReadEE", "Rotate", "Right", "ShiftOut", "ShiftIn", "Shift", "Sound", "Swap",
    "Display", "Timer0", "Timer1", "Timer2", "WriteEE", "PwmA", "PwmB", "WatchDog", "Oc2", "Ovf2", "Icp1",
    "Oc1A", "Oc1B", "Ovf1", "Oc0", "Ovf0", "Spi", "Urxc", "Udre", "Utxc", "ADCc", "EEwr", "Aci", "$Spi",
    "Master", "Slave", "Msb", "Lsb", "Cls", "Clear", "Pset", "LineH", "LineV", "Async", "Fill", "ImgSet",
    "GLcd", "GCls", "Point", "Inverse", "FontSet", "GWrite", "GRead", "GLcdInit", "GraphHome", "TextHome",
    "GraphArea", "TextArea", "NoKey", "TxtAreaSet", "GrpAreaSet", "Tcls", "TxtHomeSet", "GrpHomeSet",
    "Gcls", "Gcommand", "Gcursor", "Pwm1", "PowerDown", "Idle", "TLcd", "RC5", "$RC5", "DTMF", "$Baud3",
    "$Baud1", "$IncludeAsm", "$LeadChar", "Ext", "Int", "Vcc", "PowerSave", "Line", "Circle", "Box",
    "RXready", "Timer3", "TWI", "SPMR", "$Baud2", "$DTMF", "Data", "Clk", "SDA", "SCL", "$Angles",
    "Deegrees", "Radians", "PowerSave", "Standby", "ExtStandby", "Contrast", "Compare3A", "Compare3B",
    "Oc3A", "Oc3B", "NoInit", "Compare1C", "Compare3C", "Fast", "PwmC", "Ctrl", "Clock", "FastPWM",
    "FastPWM", "FastPWM", "$InputTermChar", "$PrintTermChar", "Urxc2", "Urxc3", "Oc5A", "Oc5B", "Oc5C",
    "Oc4A", "Oc4B", "Oc4C", "Timer4", "Timer5", "Counter4", "WDT", "CompareB", "CompareC", "Pwm4A", "Pwm4B",
    "Pwm4C", "Compare5A", "Compare5B", "Compare5C", "ClockPrescale", "Uart2", "Uart3",
};

inline constexpr std::array<std::string_view, 19> kOperatorList = {
    "=", "+", "-", "/", "\\", "*", ">", "<", ".", ",", ":", ";", "(", ")", "&", "#", "|", "^", "!",
};

// A list as one text: every word followed by a line feed, the last one included.
template <std::size_t N>
std::string WordListText(const std::array<std::string_view, N>& words) {
  std::string text;
  for (std::string_view w : words) {
    text += w;
    text += '\n';
  }
  return text;
}

}  // namespace qbc
