#include "tests/support/spi_models.h"

#include <utility>

namespace qbc::test {

SpiSlaveModel::SpiSlaveModel(SimRunner& sim, std::vector<std::uint8_t> answers) : answers_(std::move(answers)) {
  sim.OnSpiByte([this, &sim](std::uint8_t byte) {
    const std::size_t n = received_.size();
    received_.push_back(byte);
    sim.SpiInput(n < answers_.size() ? answers_[n] : 0);
  });
}

SpiMasterModel::SpiMasterModel(SimRunner& sim, std::vector<std::uint8_t> bytes, std::uint64_t start,
                               std::uint64_t gap)
    : sim_(sim), bytes_(std::move(bytes)), gap_(gap) {
  sim_.OnSpiByte([this](std::uint8_t reply) { replies_.push_back(reply); });
  if (!bytes_.empty()) sim_.After(start, [this] { SendNext(); });
}

void SpiMasterModel::SendNext() {
  sim_.SpiInput(bytes_[next_++]);
  if (next_ < bytes_.size()) sim_.After(gap_, [this] { SendNext(); });
}

}  // namespace qbc::test
