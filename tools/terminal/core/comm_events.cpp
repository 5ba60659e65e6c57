#include "tools/terminal/core/comm_events.h"

namespace qbc {

namespace {

struct EventText {
  int code;
  const char* text;
};

constexpr EventText kEventTexts[] = {
    {comm_event::kCts, "Change in CTS Detected"},
    {comm_event::kDsr, "Change in DSR Detected"},
    {comm_event::kCd, "Change in CD Detected"},
    {comm_event::kRing, "The Phone is Ringing"},
    {comm_event::kEof, "End of File Detected"},
    {comm_event::kBreak, "Break Received"},
    {comm_event::kCdTimeout, "Carrier Detect Timeout"},
    {comm_event::kCtsTimeout, "CTS Timeout"},
    {comm_event::kDcb, "Error retrieving DCB"},
    {comm_event::kDsrTimeout, "DSR Timeout"},
    {comm_event::kFrame, "Framing Error"},
    {comm_event::kOverrun, "Overrun Error"},
    {comm_event::kRxOver, "Receive Buffer Overflow"},
    {comm_event::kRxParity, "Parity Error"},
    {comm_event::kTxFull, "Transmit Buffer Full"},
};

}  // namespace

std::string CommEventStatus(int code) {
  if (code == comm_event::kReceive || code == comm_event::kSend) return {};
  for (const EventText& e : kEventTexts) {
    if (e.code == code) return std::string("Status: ") + e.text;
  }
  return "Status: Unknown error or event";
}

}  // namespace qbc
