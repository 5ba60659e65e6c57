#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/driver/link_order.h"

namespace qbc {
namespace {

// The order the link step appends the routines in, as it was when every area's rows were
// one table. A row moved between areas, or a key mistyped, shows up here.
const char* const kRecordedOrder[] = {
    "DeclareLateNumberTextCells", "EmitStoreBitVarRoutine", "EmitVaBitRoutine", "EmitLoadBitVarRoutine", "EmitStoreStrRoutine",
    "EmitStoreStrConstRoutine", "EmitInitStrArrayRoutine", "EmitGetCharRoutine", "EmitGetChar1Routine",
    "EmitGetChar2Routine", "EmitGetChar3Routine", "EmitNumToHexRoutine", "EmitPrintByteWordRoutine",
    "EmitPrint1ByteWordRoutine", "EmitPrint2ByteWordRoutine", "EmitPrint3ByteWordRoutine",
    "EmitPrintStringRoutine", "EmitPrint2StringRoutine", "EmitPrint3StringRoutine", "EmitPrint1StringRoutine",
    "EmitPrintStrConstRoutine", "EmitPrint2StrConstRoutine", "EmitPrint3StrConstRoutine",
    "EmitPrint1StrConstRoutine", "EmitPrintCharRoutine", "EmitPrint2CharRoutine", "EmitPrint3CharRoutine",
    "EmitPrint1CharRoutine", "EmitCom1PrintStrConstRoutine", "EmitCom1PrintStringRoutine",
    "EmitCom2PrintStrConstRoutine", "EmitCom2PrintStringRoutine", "EmitCom3PrintStrConstRoutine",
    "EmitCom3PrintStringRoutine", "EmitCom4PrintStrConstRoutine", "EmitCom4PrintStringRoutine",
    "EmitCom1PrintByteWordRoutine", "EmitCom2PrintByteWordRoutine", "EmitCom3PrintByteWordRoutine",
    "EmitCom4PrintByteWordRoutine", "EmitGetSpiCharRoutine", "EmitSpiInputAllRoutine", "EmitSpiStRoutine",
    "EmitHardPrintBinAllRoutine", "EmitHardPrintBinAll1Routine", "EmitHardPrintBinAll2Routine",
    "EmitHardPrintBinAll3Routine", "EmitHardInputBinAllRoutine", "EmitHardInputBinAll1Routine",
    "EmitHardInputBinAll2Routine", "EmitHardInputBinAll3Routine",
    "EmitSoftInputBinAll1Routine", "EmitSoftInputBinAll2Routine", "EmitSoftInputBinAll3Routine",
    "EmitSoftInputBinAll4Routine", "EmitStringCompareRoutine", "EmitStringConstCompareRoutine",
    "EmitLenStrRoutine", "EmitLenStrConstRoutine", "EmitInstrRoutine", "EmitInputRoutine", "EmitInput1Routine",
    "EmitInput2Routine", "EmitInput3Routine", "EmitCom1OutputRoutines", "EmitCom1InputRoutine",
    "EmitCom2OutputRoutines", "EmitCom2InputRoutine", "EmitCom3OutputRoutines", "EmitCom3InputRoutine",
    "EmitCom4OutputRoutines", "EmitCom4InputRoutine", "EmitLcdInitRoutine", "EmitLcdWriteRoutines",
    "EmitLcdEnRoutine", "EmitLcdEnableSelectRoutine", "EmitLcdByteWordRoutine", "EmitLcdStringRoutine", "EmitLcdStringConstRoutine",
    "EmitLcdHexRoutine", "EmitOutSpiRoutine", "EmitShiftOutRoutine", "EmitShiftInRoutine",
    "EmitShiftOutAllRoutine", "EmitSpiOutAllRoutine", "Emit1WireRoutines", "Emit1WireReadAllRoutine",
    "Emit1WireWriteAllRoutine", "EmitCalcCrc8Routine", "EmitI2CRoutines", "EmitI2CWriteAllRoutine", "EmitI2CRoutinesMode2",
    "EmitI2CRoutinesMode3", "EmitShiftLeftByteRoutine", "EmitShiftLeftWordRoutine", "EmitShiftLeftLongRoutine",
    "EmitShiftRightByteRoutine", "EmitShiftRightWordRoutine", "EmitShiftRightLongRoutine",
    "EmitRotateLeftByteRoutine", "EmitRotateLeftWordRoutine", "EmitRotateRightByteRoutine",
    "EmitRotateRightWordRoutine", "EmitRotateRightLongRoutine", "EmitRotateLeftLongRoutine",
    "EmitWriteEERoutine", "EmitReadEERoutine", "EmitFindStrConstRoutine", "EmitKeyRoutines",
    "EmitPcKeyRoutines", "EmitBcdRoutine", "EmitFromBcdRoutine", "EmitAdcRoutine", "EmitAdc8Routine",
    "EmitSoundRoutine", "EmitMemCopyRoutine", "EmitCopyLcdCharsRoutine", "EmitRc5ReceiveRoutine",
    "EmitRc5Ovf0InterruptRoutine", "EmitDtmfRoutines", "EmitInterruptSwUartRoutines",
    "EmitT6963GraphLcdSetRoutines", "SetMul16uAfterT6963", "EmitHd61202GraphLcdInitRoutines",
    "EmitSed1520GraphLcdInitRoutines", "EmitPcd8544GraphLcdInitRoutines", "EmitT6963NumbersRoutine",
    "EmitT6963StringRoutine", "EmitT6963StringConstRoutine", "EmitT6963GraphCharPrintRoutine",
    "EmitT6963GraphNumPrintRoutine", "EmitT6963FontStringConstRoutine", "EmitT6963NumStringConstRoutine",
    "EmitT6963FontHexRoutine", "EmitT6963ChrRoutine", "EmitT6963BoxRoutine", "EmitT6963GraphHomeAreaRoutines",
    "EmitT6963TextHomeAreaRoutines", "EmitT6963Pset8Routine", "EmitT6963Pset6Routine", "FsParameterError",
    "EmitT6963PointRoutine", "EmitT6963CircleRoutine", "EmitT6963LineRoutine", "EmitT6963LineHRoutine",
    "EmitT6963LineVRoutine", "EmitT6963ImgGetRoutine", "EmitT6963ImgSetRoutine", "EmitT6963ImgArraySetRoutine",
    "EmitT6963FillRoutine", "EmitT6963InverseRoutine", "EmitT6963WriteByteRoutine", "EmitT6963ReadRoutines",
    "EmitT6963HexRoutine", "EmitFontSelectRoutine", "EmitHd61202PsetRoutine", "EmitHd61202CalcPixRoutine",
    "EmitHd61202NumbersRoutine", "EmitHd61202StringRoutine", "EmitHd61202StringConstRoutine",
    "EmitHd61202HexRoutine", "EmitHd61202GraphCharPrintRoutine", "EmitHd61202ImgSetRoutine",
    "EmitHd61202ImgArraySetRoutine", "EmitHd61202InverseRoutine", "EmitHd61202FillRoutine",
    "EmitHd61202LineHRoutine", "EmitHd61202LineVRoutine", "EmitHd61202BoxRoutine", "EmitHd61202CircleRoutine",
    "EmitHd61202LineRoutine", "EmitHd61202PointRoutine", "EmitHd61202LineHRoutineAlt",
    "EmitSed1520PsetRoutine", "EmitSed1520CalcPixRoutine", "EmitSed1520NumbersRoutine",
    "EmitSed1520StringRoutine", "EmitSed1520StringConstRoutine", "EmitSed1520HexRoutine",
    "EmitSed1520GraphCharPrintRoutine", "EmitSed1520ImgSetRoutine", "EmitSed1520ImgArraySetRoutine",
    "EmitSed1520InverseRoutine", "EmitSed1520FillRoutine", "EmitSed1520LineHRoutine", "EmitSed1520LineVRoutine",
    "EmitSed1520BoxRoutine", "EmitSed1520CircleRoutine", "EmitSed1520LineRoutine", "EmitSed1520PointRoutine",
    "EmitSed1520LineHRoutineAlt", "EmitPcd8544NumbersRoutine", "EmitPcd8544StringRoutine",
    "EmitPcd8544StringConstRoutine", "EmitPcd8544GraphCharPrintRoutine", "EmitPcd8544ImgSetRoutine",
    "EmitPcd8544ImgArraySetRoutine", "EmitPcd8544InverseRoutine", "EmitPcd8544HexRoutine",
    "EmitSoftInputCom1Routine", "EmitSoftInputCom2Routine", "EmitSoftInputCom3Routine",
    "EmitSoftInputCom4Routine", "EmitInputBuffer", "EmitStrToNumRoutine", "EmitHexStrToNumRoutine", "EmitStrToLongRoutine",
    "EmitHexStrToLongRoutine", "EmitLongToStrRoutine",
    "EmitIntToStrRoutine", "EmitByteToStrRoutine", "EmitLcaseRoutine", "EmitUcaseRoutine", "EmitSortRoutine",
    "EmitSqr16Routine", "EmitSqr32Routine", "EmitFind8RoutineAlt", "EmitFind8Routine", "EmitFind16Routine",
    "EmitFind16RoutineAlt", "EmitWaitmsRoutine", "EmitWaitusRoutine", "EmitWaitMicroRoutine",
    "EmitWait5usRoutine", "EmitWaitsRoutine", "EmitWaitTicksRoutine", "EmitMpy8uRoutine", "EmitDiv8uRoutine",
    "EmitMp16uRoutine", "EmitDi16uRoutine", "EmitMp16sRoutine", "EmitDi16sRoutine", "EmitMul32Routine",
    "EmitDiv32Routine", "EmitIntToLongRoutine", "EmitIntToLongR16Routine", "EmitFloatCoreRoutines",
    "EmitFloatAddSubRoutine", "EmitFloatMulRoutine", "EmitFloatDivRoutine", "EmitFloatMoveRoutine",
    "EmitFloatToExpRoutine", "EmitFloatModRoutine", "EmitFloatModfRoutine", "EmitFloatIntRoutine",
    "EmitFloatFractRoutine", "EmitFloatCompareRoutine", "EmitFloatSinCosRoutine", "EmitFloatAsinAcosRoutine", "EmitFloatTanRoutine", "EmitFloatQuadrantRoutine",
    "EmitFloatAtanRoutine", "EmitFloatAtan2Routine", "EmitFloatPowRoutine", "EmitFloatPotRoutine",
    "EmitFloatSqrtRoutine", "EmitFloatLogRoutine", "EmitFloatExpRoutine", "EmitFloatSinhRoutine", "EmitFloatCoshRoutine",
    "EmitFloatTanhRoutine", "EmitFloatDecPointRoutine", "EmitFloatFormatRoutine", "EmitFloatStrRoutine",
    "EmitMemFillRoutine",
};

TEST(LinkOrder, AreasMergeIntoTheRecordedOrderWithUniqueKeys) {
  std::vector<std::string> merged;
  int previous = 0;  // the rows come sorted, so a key no greater than the last one is taken twice
  for (const LinkRow& row : LinkOrder()) {
    merged.push_back(row.Name);
    EXPECT_GT(row.Key, previous) << row.Name << " shares key " << row.Key;
    previous = row.Key;
  }
  EXPECT_EQ(merged, std::vector<std::string>(std::begin(kRecordedOrder), std::end(kRecordedOrder)));
}

}  // namespace
}  // namespace qbc
