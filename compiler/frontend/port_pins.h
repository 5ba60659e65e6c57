#pragma once
// Port pins as the configuration lines keep them: the port by one of its register names
// ("PORTB", "DDRB", "pinb", or padded to five characters, "PIND "), the pin by its digit,
// or both in one setting ("PORTB,3", as the character LCD's lines are kept). The one reader
// of these forms for every generator and emitter.
#include <string>
#include <string_view>

namespace qbc {

// The port's letter, upper case; 0 when the text names none.
char PortLetter(std::string_view port);
// The same as text: "B", or empty.
std::string PortLetterText(std::string_view port);

// A register of the port: `prefix` ("PORT", "DDR", "PIN") and the letter.
std::string PortRegister(std::string_view prefix, char letter);

struct PortPin {
  char letter = 0;  // upper case; 0: no port
  int bit = -1;     // 0 to 7; -1: no pin
};

// The port of `port` and the pin of the digit `pin`.
PortPin PortPinOf(std::string_view port, std::string_view pin);
// The setting "PORTB,3".
PortPin PortPinOfSetting(std::string_view setting);

}  // namespace qbc
