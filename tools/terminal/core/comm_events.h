#pragma once
// Communication event codes of the serial port and the status texts the terminal shows
// for them.
#include <string>

namespace qbc {

namespace comm_event {
inline constexpr int kSend = 1;
inline constexpr int kReceive = 2;
inline constexpr int kCts = 3;
inline constexpr int kDsr = 4;
inline constexpr int kCd = 5;
inline constexpr int kRing = 6;
inline constexpr int kEof = 7;
inline constexpr int kBreak = 1001;
inline constexpr int kCtsTimeout = 1002;
inline constexpr int kDsrTimeout = 1003;
inline constexpr int kFrame = 1004;
inline constexpr int kOverrun = 1006;
inline constexpr int kCdTimeout = 1007;
inline constexpr int kRxOver = 1008;
inline constexpr int kRxParity = 1009;
inline constexpr int kTxFull = 1010;
inline constexpr int kDcb = 1011;
// Failures the port reports with no code of their own (a device unplugged, a read or
// write refused).
inline constexpr int kOther = 0;
}  // namespace comm_event

// The status panel text for an event other than receive and send: "Status: " and the
// event's message; empty for receive and send, which show nothing.
std::string CommEventStatus(int code);

}  // namespace qbc
