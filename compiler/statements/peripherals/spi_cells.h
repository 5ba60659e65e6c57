#pragma once
// The SPI settings from $spi.
namespace qbc {

struct SpiCells {
  bool SpiConfigured = false;  // a $spi line came before: SPCR is written
  bool SpiMaster = false;  // $spi chose master mode
  bool SpiFunctionUsed = false;
};

}  // namespace qbc
