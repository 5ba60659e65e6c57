#pragma once
// The hardware and software UARTs' settings from $baud, $com, $serialinput and the like:
// read by the statements that use a UART, the program head and the link order.
#include <cstdint>
#include <string>

#include "compiler/base/bounded_table.h"

namespace qbc {

struct UartFormatRecord {
  std::uint8_t Parity = 0;
  std::uint8_t DataBits = 0;
  std::uint8_t StopBits = 0;
};

struct SoftComRecord {
  std::uint8_t Channel = 0;  // the number Open gave the channel
  std::string TxPort;
  std::string RxPort;
  std::string TxPin;
  std::string RxPin;
  std::string TxBaud;  // record 0 after $com1: software UART ticks per bit
  std::string RxBaud;  // record 0 after $com1: Timer0 division
  bool PrintUsed = false;
  bool InputUsed = false;
  bool Inverted = false;  // the output idles low and sends inverted bits
};

struct UartCells {
  bool BaudRateSet[4] = {false, false, false, false};
  bool SoftUartInterrupt = false;
  double SoftUartBitCycles = 0;  // $com1: processor cycles per bit
  bool InputTermCharSet = false;
  bool PrintTermCharSet = false;
  std::string UartInitText;
  BoundedTable<UartFormatRecord, 4> UartFormat;
  BoundedTable<std::uint8_t, 4> UartFormatSet;
  // The software UARTs, Com1 to Com4.
  BoundedTable<SoftComRecord, 4> SoftComPorts;
  // The end-of-line characters of Input and Print, as two hexadecimal digits.
  std::string InputTermChar;
  std::string PrintTermChar;
};

}  // namespace qbc
