#pragma once
// Devices on the chip's SPI unit, through the simulator's SPI byte IRQs.
//
//   SpiSlaveModel slave(sim, {0x12, 0x34});   // the chip is master
//   ... run ...
//   slave.Received()                           // every byte the chip sent
//
//   SpiMasterModel master(sim, {1, 2, 3}, 2000, 4000);  // the chip is slave
//   ... run ...
//   master.Replies()                           // the chip's byte at each of them
#include <cstdint>
#include <vector>

#include "tests/support/sim_runner.h"

namespace qbc::test {

// A slave: answers each byte the chip sends with its next scripted byte (0 once the script
// ran out, as a line nobody drives) and records every byte it got.
class SpiSlaveModel {
 public:
  SpiSlaveModel(SimRunner& sim, std::vector<std::uint8_t> answers);
  const std::vector<std::uint8_t>& Received() const { return received_; }

 private:
  std::vector<std::uint8_t> answers_;
  std::vector<std::uint8_t> received_;
};

// A master: sends its bytes, the first `start` cycles after it is made and then one every
// `gap` cycles, and records the chip's byte shifted back at each.
class SpiMasterModel {
 public:
  SpiMasterModel(SimRunner& sim, std::vector<std::uint8_t> bytes, std::uint64_t start, std::uint64_t gap);
  const std::vector<std::uint8_t>& Replies() const { return replies_; }

 private:
  void SendNext();

  SimRunner& sim_;
  std::vector<std::uint8_t> bytes_;
  std::uint64_t gap_;
  std::size_t next_ = 0;
  std::vector<std::uint8_t> replies_;
};

}  // namespace qbc::test
