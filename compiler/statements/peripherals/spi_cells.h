#pragma once
// The SPI settings from $spi.
namespace qbc {

struct SpiCells {
  bool SpiMaster = false;  // $spi chose master mode
  bool SpiFunctionUsed = false;
};

}  // namespace qbc
