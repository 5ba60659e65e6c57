// The terminal's pure parts: received text handling, the settings string, event texts,
// port names and the connection clock.
#include <gtest/gtest.h>

#include "tools/terminal/core/comm_events.h"
#include "tools/terminal/core/connect_clock.h"
#include "tools/terminal/core/port_paths.h"
#include "tools/terminal/core/receive_transform.h"
#include "tools/terminal/core/serial_frame.h"

namespace qbc {
namespace {

struct ReceiveCase {
  const char* name;
  std::string shown;
  std::string chunk;
  std::string expectedShown;
  std::string expectedLogged;
};

TEST(ReceiveTransform, BackspacesAndLineEnds) {
  const ReceiveCase cases[] = {
      {"leading backspace takes back the last shown character", "AB", "\bC", "AC", "C"},
      {"two leading backspaces take back only one", "AB", "\b\bC", "AC", "C"},
      {"a character and its backspace vanish", "", "xy\bz", "xz", "xz"},
      {"backspace at position 2 removes the chunk's first character", "A", "x\bq", "Aq", "q"},
      {"a pair of backspaces after one character reaches back one shown character", "AB", "x\b\bC", "AC", "C"},
      {"CR LF stays CR LF", "", "hi\r\n", "hi\r\n", "hi\r\n"},
      {"a lone CR gets its LF", "", "a\rb", "a\r\nb", "a\r\nb"},
      {"a lone LF disappears", "", "a\nb", "ab", "ab"},
      // On an empty screen a leading backspace has nothing to take back.
      {"leading backspace on an empty screen is ignored", "", "\bok", "ok", "ok"},
      {"only backspaces on an empty screen", "", "\b\b", "", ""},
  };
  for (const ReceiveCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ReceivedChunk chunk = TransformReceived(c.shown.size(), c.chunk);
    std::string shown = c.shown;
    ApplyReceived(shown, chunk);
    EXPECT_EQ(shown, c.expectedShown);
    EXPECT_EQ(chunk.data, c.expectedLogged);
  }
}

TEST(ReceiveTransform, LeadingBackspaceOnAnEmptyScreenTakesNothingBack) {
  EXPECT_FALSE(TransformReceived(0, "\bok").replaceLast);
  EXPECT_TRUE(TransformReceived(1, "\bok").replaceLast);
}

TEST(ReceiveTransform, LongTextLosesItsFirst4096CharactersBeforeNewData) {
  std::string shown(16000, 'a');
  ReceivedChunk chunk = TransformReceived(shown.size(), "x");
  EXPECT_EQ(chunk.dropFront, 0u);  // 16000 is still within the limit

  shown = std::string(4096, 'a') + std::string(11905, 'b');  // 16001 characters
  chunk = TransformReceived(shown.size(), "\bx");
  ApplyReceived(shown, chunk);
  EXPECT_EQ(shown, std::string(11904, 'b') + "x");
}

struct FrameCase {
  const char* text;
  long baud;
  char parity;
  int dataBits;
  StopBits stop;
  const char* composed;
};

TEST(SerialFrame, ParseAndCompose) {
  const FrameCase cases[] = {
      {"9600,n,8,1", 9600, 'n', 8, StopBits::One, "9600,n,8,1"},
      {"115200,n,8,1.5", 115200, 'n', 8, StopBits::OneAndHalf, "115200,n,8,1.5"},
      {"1200,e,7,2", 1200, 'e', 7, StopBits::Two, "1200,e,7,2"},
      // An upper-case letter (as older settings hold it) is read and written back lower case.
      {"9600,N,8,1", 9600, 'n', 8, StopBits::One, "9600,n,8,1"},
      {" 4800 , O , 7 , 1 ", 4800, 'o', 7, StopBits::One, "4800,o,7,1"},
      {"57600,M,8,1", 57600, 'm', 8, StopBits::One, "57600,m,8,1"},
      {"19200,s,8,2", 19200, 's', 8, StopBits::Two, "19200,s,8,2"},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.text);
    const auto frame = ParseSerialFrame(c.text);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->baud, c.baud);
    EXPECT_EQ(frame->parity, c.parity);
    EXPECT_EQ(frame->dataBits, c.dataBits);
    EXPECT_EQ(frame->stopBits, c.stop);
    EXPECT_EQ(ComposeSerialFrame(*frame), c.composed);
  }
  for (const char* bad : {"", "9600,,8,1", "9600,n,8", "9600,x,8,1", "0,n,8,1", "fast,n,8,1",
                          "9600,n,9,1", "9600,n,8,3", "9600,n,8,1,1"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseSerialFrame(bad));
  }
}

TEST(CommEvents, StatusTextForEachCode) {
  const std::pair<int, const char*> cases[] = {
      {1, ""},
      {2, ""},
      {3, "Status: Change in CTS Detected"},
      {4, "Status: Change in DSR Detected"},
      {5, "Status: Change in CD Detected"},
      {6, "Status: The Phone is Ringing"},
      {7, "Status: End of File Detected"},
      {1001, "Status: Break Received"},
      {1002, "Status: CTS Timeout"},
      {1003, "Status: DSR Timeout"},
      {1004, "Status: Framing Error"},
      {1006, "Status: Overrun Error"},
      {1007, "Status: Carrier Detect Timeout"},
      {1008, "Status: Receive Buffer Overflow"},
      {1009, "Status: Parity Error"},
      {1010, "Status: Transmit Buffer Full"},
      {1011, "Status: Error retrieving DCB"},
      {0, "Status: Unknown error or event"},
      {1005, "Status: Unknown error or event"},
  };
  for (const auto& [code, text] : cases) {
    SCOPED_TRACE(code);
    EXPECT_EQ(CommEventStatus(code), text);
  }
}

TEST(PortPaths, NamesAndDefaultPaths) {
  EXPECT_EQ(PortName(1), "Com1");
  EXPECT_EQ(PortName(4), "Com4");
  EXPECT_EQ(DefaultPortPath(1), "/dev/ttyUSB0");
  EXPECT_EQ(DefaultPortPath(2), "/dev/ttyUSB1");
  EXPECT_EQ(DefaultPortPath(3), "/dev/ttyACM0");
  EXPECT_EQ(DefaultPortPath(4), "/dev/ttyS0");
  EXPECT_EQ(DefaultPortPath(5), "");
}

TEST(ConnectClock, HoursMinutesSecondsWrappingAtADay) {
  EXPECT_EQ(ConnectTimeText(0), "00:00:00 ");
  EXPECT_EQ(ConnectTimeText(3725), "01:02:05 ");
  EXPECT_EQ(ConnectTimeText(25 * 3600 + 1), "01:00:01 ");
}

}  // namespace
}  // namespace qbc
