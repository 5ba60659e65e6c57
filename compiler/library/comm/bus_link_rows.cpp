// The link rows of the bus routines: SPI, shift in and out, 1-Wire and I2C.
#include "compiler/base/flags/bus_flags.h"
#include "compiler/library/comm/i2c_routines.h"
#include "compiler/library/comm/i2c_twi_routines.h"
#include "compiler/library/comm/link_rows.h"
#include "compiler/library/comm/one_wire_routines.h"
#include "compiler/library/comm/shift_routines.h"
#include "compiler/library/comm/spi_routines.h"
#include "compiler/statements/peripherals/i2c_cells.h"
#include "compiler/statements/peripherals/shift_cells.h"

namespace qbc {

namespace {

// One set of I2C routines per interface mode, the mode as the row's number.
bool I2cModeWanted(const CompilerState& s, int mode) { return s.Cells<I2cCells>().I2cInterface == mode; }

// The block write sends through _I2cW, which the software and the TWI masters both have.
bool I2cWriteAllWanted(const CompilerState& s, int) {
  const int mode = s.Cells<I2cCells>().I2cInterface;
  return s.used[NeedI2cWriteAll] && (mode == 1 || mode == 2);
}

const LinkRow kRows[] = {
    {400, "EmitGetSpiCharRoutine", QBC_LINK_GUARD(s.used[NeedSPIch]), EmitGetSpiCharRoutine},
    {410, "EmitSpiInputAllRoutine", QBC_LINK_GUARD(s.used[NeedSPIal]), EmitSpiInputAllRoutine},
    {420, "EmitSpiStRoutine", QBC_LINK_GUARD(s.used[NeedSPIst]), EmitSpiStRoutine},
    {740, "EmitOutSpiRoutine", QBC_LINK_GUARD(s.used[NeedSpiOut]), EmitOutSpiRoutine},
    {750, "EmitShiftOutRoutine", QBC_LINK_GUARD(s.Cells<ShiftCells>().ShiftOutDeclared), EmitShiftOutRoutine},
    {760, "EmitShiftInRoutine", QBC_LINK_GUARD(s.Cells<ShiftCells>().ShiftInDeclared), EmitShiftInRoutine},
    {770, "EmitShiftOutAllRoutine", QBC_LINK_GUARD(s.used[NeedShiftOutAll]), EmitShiftOutAllRoutine},
    {780, "EmitSpiOutAllRoutine", QBC_LINK_GUARD(s.used[NeedSpiOutAll]), EmitSpiOutAllRoutine},
    {.Key = 790, .Name = "Emit1WireRoutines", .Guard = QBC_LINK_GUARD(s.used[NeedOneWire]),
     .EmitNumbered = Emit1WireRoutines, .PerBus = true},
    {.Key = 800, .Name = "Emit1WireReadAllRoutine", .Guard = QBC_LINK_GUARD(s.used[NeedOneWireReadAll]),
     .EmitNumbered = Emit1WireReadAllRoutine, .PerBus = true},
    {.Key = 810, .Name = "Emit1WireWriteAllRoutine", .Guard = QBC_LINK_GUARD(s.used[NeedOneWireWriteAll]),
     .EmitNumbered = Emit1WireWriteAllRoutine, .PerBus = true},
    {830, "EmitI2CRoutines", I2cModeWanted, EmitI2CRoutines, nullptr, 1},
    {835, "EmitI2CWriteAllRoutine", I2cWriteAllWanted, EmitI2CWriteAllRoutine},
    {840, "EmitI2CRoutinesMode2", I2cModeWanted, EmitI2CRoutinesMode2, nullptr, 2},
    {850, "EmitI2CRoutinesMode3", I2cModeWanted, nullptr, nullptr, 3},
};

}  // namespace

std::span<const LinkRow> BusLinkRows() { return kRows; }

}  // namespace qbc
