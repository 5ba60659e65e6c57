// The fixed order in which the link step appends the library routines, and the guard of
// each. A library area fills in its emitter by replacing the row's nullptr with the
// function (and including its header above); the order and the guards stay here.
#include "compiler/driver/link_order.h"

#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/library/comm/text_to_number.h"
#include "compiler/library/core/bit_var_routines.h"
#include "compiler/library/core/delay_routines.h"
#include "compiler/library/core/float_core.h"
#include "compiler/library/core/float_functions.h"
#include "compiler/library/core/float_text.h"
#include "compiler/library/core/handler_text_swap.h"
#include "compiler/library/core/int_divide.h"
#include "compiler/library/core/int_multiply.h"
#include "compiler/library/core/memory_crc.h"
#include "compiler/library/core/num_to_text.h"
#include "compiler/library/core/search_sort.h"
#include "compiler/library/core/shift_rotate.h"
#include "compiler/library/core/sqrt_bcd.h"
#include "compiler/library/core/string_routines.h"

namespace qbc {

namespace {

// The pixel routine of a T6963C follows the "fs" setting: the value of its first
// character, 0 for a blank, a setting never given or anything that is not a digit.
int FsDigit(const CompilerState& s) {
  const std::string& fs = s.cfg.GlcdLine5;
  if (fs.empty() || fs[0] < '0' || fs[0] > '9') return 0;
  return fs[0] - '0';
}

// The T6963C set routines call the 16-bit multiply, which comes later in the order.
void SetMul16uAfterT6963(CompilerState& st) { st.used.Set(NeedMul16u); }

void FsParameterError(CompilerState& st) { CompileError(st, "FS parameter not defined!"); }

bool AnyFloatRoutine(const CompilerState& s) {
  for (UsedFlag f : {NeedFadd, NeedFmul, NeedFdiv, NeedFcmp0, NeedF2e, NeedFsin, NeedFACos, NeedFtan, NeedFAtan,
                     NeedFAtan2, NeedFpow, NeedFpot, NeedFsqrt, NeedFlog, NeedFexp, NeedFmod, NeedFmodf, NeedFsinh,
                     NeedFcosh, NeedFtanh, NeedFdp, NeedFstr})
    if (s.used[f]) return true;
  return false;
}

#define QBC_GUARD(expr) [](const CompilerState& s) -> bool { return expr; }

const LinkRow kLinkOrder[] = {
    {"EmitStoreBitVarRoutine", QBC_GUARD(s.used[NeedStoreBit]), EmitStoreBitVarRoutine},
    {"EmitVaBitRoutine", QBC_GUARD(s.used[NeedBitMask]), EmitVaBitRoutine},
    {"EmitLoadBitVarRoutine", QBC_GUARD(s.used[NeedVaBiL]), EmitLoadBitVarRoutine},
    {"EmitStoreStrRoutine", QBC_GUARD(s.used[NeedStoreStr]), EmitStoreStrRoutine},
    {"EmitStoreStrConstRoutine", QBC_GUARD(s.used[NeedStoreStrConst]), EmitStoreStrConstRoutine},
    {"EmitInitStrArrayRoutine", QBC_GUARD(s.used[NeedStrI]), EmitInitStrArrayRoutine},
    {"EmitGetCharRoutine", QBC_GUARD(s.used[NeedGetChar] || s.used[NeedInput]), nullptr},
    {"EmitGetChar1Routine", QBC_GUARD(s.used[NeedGetChar1] || s.used[NeedInput1]), nullptr},
    {"EmitGetChar2Routine", QBC_GUARD(s.used[NeedGetChar2] || s.used[NeedInput2]), nullptr},
    {"EmitGetChar3Routine", QBC_GUARD(s.used[NeedGetChar3] || s.used[NeedInput3]), nullptr},
    {"EmitNumToHexRoutine", QBC_GUARD(s.used[NeedNumToHex]), EmitNumToHexRoutine},
    {"EmitPrintByteWordRoutine", QBC_GUARD(s.used[NeedPrintByte] || s.used[NeedPrintInteger] || s.used[NeedPrintWord] || s.used[NeedPrintLong]), nullptr},
    {"EmitPrint1ByteWordRoutine", QBC_GUARD(s.used[NeedPrintByte1] || s.used[NeedPrintInteger1] || s.used[NeedPrintWord1] || s.used[NeedPrintLong1]), nullptr},
    {"EmitPrint2ByteWordRoutine", QBC_GUARD(s.used[NeedPrintByte2] || s.used[NeedPrintInteger2] || s.used[NeedPrintWord2] || s.used[NeedPrintLong2]), nullptr},
    {"EmitPrint3ByteWordRoutine", QBC_GUARD(s.used[NeedPrintByte3] || s.used[NeedPrintInteger3] || s.used[NeedPrintWord3] || s.used[NeedPrintLong3]), nullptr},
    {"EmitPrintStringRoutine", QBC_GUARD(s.used[NeedPrintString]), nullptr},
    {"EmitPrint2StringRoutine", QBC_GUARD(s.used[NeedPrintString2]), nullptr},
    {"EmitPrint3StringRoutine", QBC_GUARD(s.used[NeedPrintString3]), nullptr},
    {"EmitPrint1StringRoutine", QBC_GUARD(s.used[NeedPrintString1]), nullptr},
    {"EmitPrintStrConstRoutine", QBC_GUARD(s.used[NeedPrintStringConst]), nullptr},
    {"EmitPrint2StrConstRoutine", QBC_GUARD(s.used[NeedPrintStringConst2]), nullptr},
    {"EmitPrint3StrConstRoutine", QBC_GUARD(s.used[NeedPrintStringConst3]), nullptr},
    {"EmitPrint1StrConstRoutine", QBC_GUARD(s.used[NeedPrintStringConst1]), nullptr},
    {"EmitPrintCharRoutine", QBC_GUARD(s.used[NeedPrintCrLf]), nullptr},
    {"EmitPrint2CharRoutine", QBC_GUARD(s.used[NeedPrintCrLf2]), nullptr},
    {"EmitPrint3CharRoutine", QBC_GUARD(s.used[NeedPrintCrLf3]), nullptr},
    {"EmitPrint1CharRoutine", QBC_GUARD(s.used[NeedPrintCrLf1]), nullptr},
    {"EmitCom1PrintStrConstRoutine", QBC_GUARD(s.used[NeedComPrintStringConst1]), nullptr},
    {"EmitCom1PrintStringRoutine", QBC_GUARD(s.used[NeedComPrintString1]), nullptr},
    {"EmitCom2PrintStrConstRoutine", QBC_GUARD(s.used[NeedComPrintStringConst2]), nullptr},
    {"EmitCom2PrintStringRoutine", QBC_GUARD(s.used[NeedComPrintString2]), nullptr},
    {"EmitCom3PrintStrConstRoutine", QBC_GUARD(s.used[NeedComPrintStringConst3]), nullptr},
    {"EmitCom3PrintStringRoutine", QBC_GUARD(s.used[NeedComPrintString3]), nullptr},
    {"EmitCom4PrintStrConstRoutine", QBC_GUARD(s.used[NeedComPrintStringConst4]), nullptr},
    {"EmitCom4PrintStringRoutine", QBC_GUARD(s.used[NeedComPrintString4]), nullptr},
    {"EmitCom1PrintByteWordRoutine", QBC_GUARD(s.used[NeedComPrintByte1] || s.used[NeedComPrintWord1]), nullptr},
    {"EmitCom2PrintByteWordRoutine", QBC_GUARD(s.used[NeedComPrintByte2] || s.used[NeedComPrintWord2]), nullptr},
    {"EmitCom3PrintByteWordRoutine", QBC_GUARD(s.used[NeedComPrintByte3] || s.used[NeedComPrintWord3]), nullptr},
    {"EmitCom4PrintByteWordRoutine", QBC_GUARD(s.used[NeedComPrintByte4] || s.used[NeedComPrintWord4]), nullptr},
    {"EmitGetSpiCharRoutine", QBC_GUARD(s.used[NeedSPIch]), nullptr},
    {"EmitSpiInputAllRoutine", QBC_GUARD(s.used[NeedSPIal]), nullptr},
    {"EmitSpiStRoutine", QBC_GUARD(s.used[NeedSPIst]), nullptr},
    {"EmitHardPrintBinAllRoutine", QBC_GUARD(s.used[NeedPrintBinAll]), nullptr},
    {"EmitHardInputBinAllRoutine", QBC_GUARD(s.used[NeedInputBinAll]), nullptr},
    {"EmitHardInputBinAll2Routine", QBC_GUARD(s.used[NeedInputBinAll2]), nullptr},
    {"EmitSoftInputBinAll1Routine", QBC_GUARD(s.used[NeedSoftInputBinAll1]), nullptr},
    {"EmitSoftInputBinAll2Routine", QBC_GUARD(s.used[NeedSoftInputBinAll2]), nullptr},
    {"EmitSoftInputBinAll3Routine", QBC_GUARD(s.used[NeedSoftInputBinAll3]), nullptr},
    {"EmitSoftInputBinAll4Routine", QBC_GUARD(s.used[NeedSoftInputBinAll4]), nullptr},
    {"EmitStringCompareRoutine", QBC_GUARD(s.used[NeedStrCmp]), EmitStringCompareRoutine},
    {"EmitStringConstCompareRoutine", QBC_GUARD(s.used[NeedStrConstCmp]), EmitStringConstCompareRoutine},
    {"EmitLenStrRoutine", QBC_GUARD(s.used[NeedLenStr]), EmitLenStrRoutine},
    {"EmitLenStrConstRoutine", QBC_GUARD(s.used[NeedLenStrConst]), EmitLenStrConstRoutine},
    {"EmitInstrRoutine", QBC_GUARD(s.used[NeedInstr]), EmitInstrRoutine},
    {"EmitInputRoutine", QBC_GUARD(s.used[NeedInput]), nullptr},
    {"EmitInput1Routine", QBC_GUARD(s.used[NeedInput1]), nullptr},
    {"EmitInput2Routine", QBC_GUARD(s.used[NeedInput2]), nullptr},
    {"EmitInput3Routine", QBC_GUARD(s.used[NeedInput3]), nullptr},
    {"EmitCom1OutputRoutines", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[0].PrintUsed), nullptr},
    {"EmitCom1InputRoutine", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[0].InputUsed), nullptr},
    {"EmitCom2OutputRoutines", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[1].PrintUsed), nullptr},
    {"EmitCom2InputRoutine", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[1].InputUsed), nullptr},
    {"EmitCom3OutputRoutines", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[2].PrintUsed), nullptr},
    {"EmitCom3InputRoutine", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[2].InputUsed), nullptr},
    {"EmitCom4OutputRoutines", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[3].PrintUsed), nullptr},
    {"EmitCom4InputRoutine", QBC_GUARD(!s.cfg.SoftUartInterrupt && s.sym.SoftComPorts[3].InputUsed), nullptr},
    {"EmitLcdInitRoutine", QBC_GUARD(s.cfg.LcdConfigured), nullptr},
    {"EmitLcdWriteRoutines", QBC_GUARD(s.cfg.LcdConfigured), nullptr},
    {"EmitLcdEnRoutine", QBC_GUARD(s.cfg.LcdConfigured && !s.cfg.NeedLcdEN), nullptr},
    {"EmitLcdByteWordRoutine", QBC_GUARD(s.used[NeedLcdPrintByte] || s.used[NeedLcdPrintWord]), nullptr},
    {"EmitLcdStringRoutine", QBC_GUARD(s.used[NeedLcdPrintString]), nullptr},
    {"EmitLcdStringConstRoutine", QBC_GUARD(s.used[NeedLcdPrintStringConst]), nullptr},
    {"EmitLcdHexRoutine", QBC_GUARD(s.used[NeedLcdHex]), nullptr},
    {"EmitOutSpiRoutine", QBC_GUARD(s.used[NeedSpiOut]), nullptr},
    {"EmitShiftOutRoutine", QBC_GUARD(s.cfg.ShiftOutDeclared), nullptr},
    {"EmitShiftInRoutine", QBC_GUARD(s.cfg.ShiftInDeclared), nullptr},
    {"EmitShiftOutAllRoutine", QBC_GUARD(s.used[NeedShiftOutAll]), nullptr},
    {"EmitSpiOutAllRoutine", QBC_GUARD(s.used[NeedSpiOutAll]), nullptr},
    {"Emit1WireRoutines", QBC_GUARD(s.used[NeedOneWire]), nullptr, /*EmitBus=*/nullptr, nullptr, true},
    {"Emit1WireReadAllRoutine", QBC_GUARD(s.used[NeedOneWireReadAll]), nullptr, /*EmitBus=*/nullptr, nullptr, true},
    {"Emit1WireWriteAllRoutine", QBC_GUARD(s.used[NeedOneWireWriteAll]), nullptr, /*EmitBus=*/nullptr, nullptr, true},
    {"EmitCalcCrc8Routine", QBC_GUARD(s.used[NeedCrc8]), EmitCalcCrc8Routine},
    {"EmitI2CRoutines", QBC_GUARD(s.cfg.I2cInterface == 1), nullptr},
    {"EmitI2CRoutinesMode2", QBC_GUARD(s.cfg.I2cInterface == 2), nullptr},
    {"EmitI2CRoutinesMode3", QBC_GUARD(s.cfg.I2cInterface == 3), nullptr},
    {"EmitShiftLeftByteRoutine", QBC_GUARD(s.used[NeedShiftLeftByte]), EmitShiftLeftByteRoutine},
    {"EmitShiftLeftWordRoutine", QBC_GUARD(s.used[NeedShiftLeftWord]), EmitShiftLeftWordRoutine},
    {"EmitShiftLeftLongRoutine", QBC_GUARD(s.used[NeedShiftLeftLong]), EmitShiftLeftLongRoutine},
    {"EmitShiftRightByteRoutine", QBC_GUARD(s.used[NeedShiftRightByte]), EmitShiftRightByteRoutine},
    {"EmitShiftRightWordRoutine", QBC_GUARD(s.used[NeedShiftRightWord]), EmitShiftRightWordRoutine},
    {"EmitShiftRightLongRoutine", QBC_GUARD(s.used[NeedShiftRightLong]), EmitShiftRightLongRoutine},
    {"EmitRotateLeftByteRoutine", QBC_GUARD(s.used[NeedRotateLeftByte]), EmitRotateLeftByteRoutine},
    {"EmitRotateLeftWordRoutine", QBC_GUARD(s.used[NeedRotateLeftWord]), EmitRotateLeftWordRoutine},
    {"EmitRotateRightByteRoutine", QBC_GUARD(s.used[NeedRotateRightByte]), EmitRotateRightByteRoutine},
    {"EmitRotateRightWordRoutine", QBC_GUARD(s.used[NeedRotateRightWord]), EmitRotateRightWordRoutine},
    {"EmitRotateRightLongRoutine", QBC_GUARD(s.used[NeedRotateRightLong]), EmitRotateRightLongRoutine},
    {"EmitRotateLeftLongRoutine", QBC_GUARD(s.used[NeedRotateLeftLong]), EmitRotateLeftLongRoutine},
    {"EmitWriteEERoutine", QBC_GUARD(s.used[NeedWriteEE]), nullptr},
    {"EmitReadEERoutine", QBC_GUARD(s.used[NeedReadEE]), nullptr},
    {"EmitFindStrConstRoutine", QBC_GUARD(s.used[NeedFSC]), EmitFindStrConstRoutine},
    {"EmitKeyRoutines", QBC_GUARD(s.cfg.KeysDeclared), nullptr},
    {"EmitPcKeyRoutines", QBC_GUARD(s.cfg.NeedPcKey), nullptr},
    {"EmitBcdRoutine", QBC_GUARD(s.used[NeedBcd]), EmitBcdRoutine},
    {"EmitFromBcdRoutine", QBC_GUARD(s.used[NeedFromBcd]), EmitFromBcdRoutine},
    {"EmitAdcRoutine", QBC_GUARD(s.used[NeedAdc]), nullptr},
    {"EmitAdc8Routine", QBC_GUARD(s.used[NeedAdc8]), nullptr},
    {"EmitSoundRoutine", QBC_GUARD(s.used[NeedSound]), nullptr},
    {"EmitMemCopyRoutine", QBC_GUARD(s.used[NeedMemCopy]), EmitMemCopyRoutine},
    {"EmitCopyLcdCharsRoutine", QBC_GUARD(s.used[NeedDef]), nullptr},
    {"EmitRc5ReceiveRoutine", QBC_GUARD(s.used[NeedRc5]), nullptr},
    {"EmitRc5Ovf0InterruptRoutine", QBC_GUARD(s.used[NeedRc5]), nullptr},
    {"EmitDtmfRoutines", QBC_GUARD(s.cfg.DtmfUsed), nullptr},
    {"EmitInterruptSwUartRoutines", QBC_GUARD(s.cfg.SoftUartInterrupt), nullptr},
    {"EmitT6963GraphLcdSetRoutines", QBC_GUARD(s.cfg.GlcdType == 1), nullptr},
    {"SetMul16uAfterT6963", QBC_GUARD(s.cfg.GlcdType == 1), nullptr, nullptr, SetMul16uAfterT6963},
    {"EmitHd61202GraphLcdInitRoutines", QBC_GUARD(s.cfg.GlcdType == 2), nullptr},
    {"EmitSed1520GraphLcdInitRoutines", QBC_GUARD(s.cfg.GlcdType == 3), nullptr},
    {"EmitPcd8544GraphLcdInitRoutines", QBC_GUARD(s.cfg.GlcdType == 4), nullptr},
    {"EmitT6963NumbersRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTBW])), nullptr},
    {"EmitT6963StringRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTst])), nullptr},
    {"EmitT6963StringConstRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTsc])), nullptr},
    {"EmitT6963GraphCharPrintRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedGlcdNumbers] || s.used[NeedGlcdString])), nullptr},
    {"EmitT6963GraphNumPrintRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTNBW] || s.used[NeedTNBW2])), nullptr},
    {"EmitT6963FontStringConstRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedGlcdStrConst])), nullptr},
    {"EmitT6963NumStringConstRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTNsc])), nullptr},
    {"EmitT6963FontHexRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedGlcdHex])), nullptr},
    {"EmitT6963ChrRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTFchr])), nullptr},
    {"EmitT6963BoxRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedBox])), nullptr},
    {"EmitT6963GraphHomeAreaRoutines", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedGrpHome])), nullptr},
    {"EmitT6963TextHomeAreaRoutines", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTxtHome])), nullptr},
    {"EmitT6963Pset8Routine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedPset] && FsDigit(s) == 0)), nullptr},
    {"EmitT6963Pset6Routine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedPset] && FsDigit(s) == 1)), nullptr},
    {"FsParameterError", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedPset] && FsDigit(s) > 1)), nullptr, nullptr, FsParameterError},
    {"EmitT6963PointRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedPoint])), nullptr},
    {"EmitT6963CircleRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedCircle])), nullptr},
    {"EmitT6963LineRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedLine])), nullptr},
    {"EmitT6963LineHRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedLineH])), nullptr},
    {"EmitT6963LineVRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedLineV])), nullptr},
    {"EmitT6963ImgGetRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedImgSet] || s.used[NeedImgArraySet])), nullptr},
    {"EmitT6963ImgSetRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedImgSet] || s.used[NeedImgArraySet])), nullptr},
    {"EmitT6963ImgArraySetRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedImgSet] || s.used[NeedImgArraySet])), nullptr},
    {"EmitT6963FillRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedGfill])), nullptr},
    {"EmitT6963InverseRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedInverse])), nullptr},
    {"EmitT6963WriteByteRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTwri])), nullptr},
    {"EmitT6963ReadRoutines", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedTrd])), nullptr},
    {"EmitT6963HexRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedThb])), nullptr},
    {"EmitFontSelectRoutine", QBC_GUARD(s.cfg.GlcdType == 1 && (s.used[NeedFnt])), nullptr},
    {"EmitHd61202PsetRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedPset])), nullptr},
    {"EmitHd61202CalcPixRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedCalcPix])), nullptr},
    {"EmitHd61202NumbersRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedGlcdNumbers])), nullptr},
    {"EmitHd61202StringRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedGlcdString])), nullptr},
    {"EmitHd61202StringConstRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedGlcdStrConst])), nullptr},
    {"EmitHd61202HexRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedGlcdHex])), nullptr},
    {"EmitHd61202GraphCharPrintRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedGlcdStrConst] || s.used[NeedGlcdString] || s.used[NeedGlcdNumbers] || s.used[NeedGlcdHex])), nullptr},
    {"EmitHd61202ImgSetRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedImgSet])), nullptr},
    {"EmitHd61202ImgArraySetRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedImgArraySet])), nullptr},
    {"EmitHd61202InverseRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedInverse])), nullptr},
    {"EmitHd61202FillRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedGfill])), nullptr},
    {"EmitHd61202LineHRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedLineH])), nullptr},
    {"EmitHd61202LineVRoutine", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedLineV])), nullptr},
    {"EmitHd61202LineHRoutineAlt", QBC_GUARD(s.cfg.GlcdType == 2 && (s.used[NeedBox])), nullptr},
    {"EmitSed1520PsetRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedPset])), nullptr},
    {"EmitSed1520CalcPixRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedCalcPix])), nullptr},
    {"EmitSed1520NumbersRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedGlcdNumbers])), nullptr},
    {"EmitSed1520StringRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedGlcdString])), nullptr},
    {"EmitSed1520StringConstRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedGlcdStrConst])), nullptr},
    {"EmitSed1520HexRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedGlcdHex])), nullptr},
    {"EmitSed1520GraphCharPrintRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedGlcdStrConst] || s.used[NeedGlcdString] || s.used[NeedGlcdNumbers] || s.used[NeedGlcdHex])), nullptr},
    {"EmitSed1520ImgSetRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedImgSet])), nullptr},
    {"EmitSed1520ImgArraySetRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedImgArraySet])), nullptr},
    {"EmitSed1520InverseRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedInverse])), nullptr},
    {"EmitSed1520FillRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedGfill])), nullptr},
    {"EmitSed1520LineHRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedLineH])), nullptr},
    {"EmitSed1520LineVRoutine", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedLineV])), nullptr},
    {"EmitSed1520LineHRoutineAlt", QBC_GUARD(s.cfg.GlcdType == 3 && (s.used[NeedBox])), nullptr},
    {"EmitPcd8544NumbersRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedGlcdNumbers])), nullptr},
    {"EmitPcd8544StringRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedGlcdString])), nullptr},
    {"EmitPcd8544StringConstRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedGlcdStrConst])), nullptr},
    {"EmitPcd8544GraphCharPrintRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedGlcdStrConst] || s.used[NeedGlcdString] || s.used[NeedGlcdNumbers] || s.used[NeedGlcdHex] || s.used[NeedTFchr])), nullptr},
    {"EmitPcd8544ImgSetRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedImgSet])), nullptr},
    {"EmitPcd8544ImgArraySetRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedImgArraySet])), nullptr},
    {"EmitPcd8544InverseRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedInverse])), nullptr},
    {"EmitPcd8544HexRoutine", QBC_GUARD(s.cfg.GlcdType == 4 && (s.used[NeedGlcdHex])), nullptr},
    {"EmitSoftInputCom1Routine", QBC_GUARD(s.used[NeedSoftInput1]), nullptr},
    {"EmitSoftInputCom2Routine", QBC_GUARD(s.used[NeedSoftInput2]), nullptr},
    {"EmitSoftInputCom3Routine", QBC_GUARD(s.used[NeedSoftInput3]), nullptr},
    {"EmitSoftInputCom4Routine", QBC_GUARD(s.used[NeedSoftInput4]), nullptr},
    {"EmitStrToNumRoutine", QBC_GUARD(s.used[NeedStrToNum] || s.used[NeedStrToNum1] || s.used[NeedStrToNum2] || s.used[NeedStrToNum3] || s.used[NeedSoftInput1] || s.used[NeedSoftInput2] || s.used[NeedSoftInput3] || s.used[NeedSoftInput4]), EmitStrToNumRoutine},
    {"EmitHexStrToNumRoutine", QBC_GUARD(s.used[NeedHx2Nm]), EmitHexStrToNumRoutine},
    {"EmitLongToStrRoutine", QBC_GUARD(s.used[NeedLongToStr]), EmitLongToStrRoutine},
    {"EmitIntToStrRoutine", QBC_GUARD(s.used[NeedIntToStr] && !s.used[NeedLongToStr]), EmitIntToStrRoutine},
    {"EmitByteToStrRoutine", QBC_GUARD(s.used[NeedByteToStr] && !s.used[NeedIntToStr] && !s.used[NeedLongToStr]), EmitByteToStrRoutine},
    {"EmitLcaseRoutine", QBC_GUARD(s.used[NeedLcase]), EmitLcaseRoutine},
    {"EmitUcaseRoutine", QBC_GUARD(s.used[NeedUcase]), EmitUcaseRoutine},
    {"EmitSortRoutine", QBC_GUARD(s.used[NeedSort]), EmitSortRoutine},
    {"EmitSqr16Routine", QBC_GUARD(s.used[NeedSqr16]), EmitSqr16Routine},
    {"EmitSqr32Routine", QBC_GUARD(s.used[NeedSqr32]), EmitSqr32Routine},
    {"EmitFind8RoutineAlt", QBC_GUARD(s.used[NeedFnd8Alt]), EmitFind8RoutineAlt},
    {"EmitFind8Routine", QBC_GUARD(s.used[NeedFnd8] && !s.used[NeedFnd8Alt]), EmitFind8Routine},
    {"EmitFind16Routine", QBC_GUARD(s.used[NeedFnd16Alt]), EmitFind16Routine},
    {"EmitFind16RoutineAlt", QBC_GUARD(s.used[NeedFnd16] && !s.used[NeedFnd16Alt]), EmitFind16RoutineAlt},
    {"EmitWaitmsRoutine", QBC_GUARD(s.used[NeedWaitMs]), EmitWaitmsRoutine},
    {"EmitWaitusRoutine", QBC_GUARD(s.used[NeedWaitUs]), EmitWaitusRoutine},
    {"EmitWaitMicroRoutine", QBC_GUARD(s.used[NeedWaitMicro]), EmitWaitMicroRoutine},
    {"EmitWait5usRoutine", QBC_GUARD(s.used[NeedWait5us]), EmitWait5usRoutine},
    {"EmitWaitsRoutine", QBC_GUARD(s.used[NeedWaitS]), EmitWaitsRoutine},
    {"EmitWaitTicksRoutine", QBC_GUARD(s.used[NeedWaitTicks]), EmitWaitTicksRoutine},
    {"EmitMpy8uRoutine", QBC_GUARD(s.used[NeedMul8u]), EmitMpy8uRoutine},
    {"EmitDiv8uRoutine", QBC_GUARD(s.used[NeedDiv8u]), EmitDiv8uRoutine},
    {"EmitMp16uRoutine", QBC_GUARD(s.used[NeedMul16u]), EmitMp16uRoutine},
    {"EmitDi16uRoutine", QBC_GUARD(s.used[NeedDiv16u]), EmitDi16uRoutine},
    {"EmitMp16sRoutine", QBC_GUARD(s.used[NeedMul16s]), EmitMp16sRoutine},
    {"EmitDi16sRoutine", QBC_GUARD(s.used[NeedDiv16s]), EmitDi16sRoutine},
    {"EmitMul32Routine", QBC_GUARD(s.used[NeedMul32]), EmitMul32Routine},
    {"EmitDiv32Routine", QBC_GUARD(s.used[NeedDiv32]), EmitDiv32Routine},
    {"EmitIntToLongRoutine", QBC_GUARD(s.used[NeedI2L]), EmitIntToLongRoutine},
    {"EmitIntToLongR16Routine", QBC_GUARD(s.used[NeedI2Lo]), EmitIntToLongR16Routine},
    // every float routine but _Fmov calls into the core: it comes with any of them
    {"EmitFloatCoreRoutines", QBC_GUARD(s.used[NeedFloatCore] || AnyFloatRoutine(s)), EmitFloatCoreRoutines},
    {"EmitFloatAddSubRoutine", QBC_GUARD(s.used[NeedFadd]), EmitFloatAddSubRoutine},
    {"EmitFloatMulRoutine", QBC_GUARD(s.used[NeedFmul]), EmitFloatMulRoutine},
    {"EmitFloatDivRoutine", QBC_GUARD(s.used[NeedFdiv]), EmitFloatDivRoutine},
    {"EmitFloatMoveRoutine", QBC_GUARD(s.used[NeedFmov]), EmitFloatMoveRoutine},
    {"EmitFloatSinCosRoutine", QBC_GUARD(s.used[NeedFsin]), EmitFloatSinCosRoutine},
    {"EmitFloatAsinAcosRoutine", QBC_GUARD(s.used[NeedFACos]), EmitFloatAsinAcosRoutine},
    {"EmitFloatTanRoutine", QBC_GUARD(s.used[NeedFtan]), EmitFloatTanRoutine},
    {"EmitFloatAtanRoutine", QBC_GUARD(s.used[NeedFAtan]), EmitFloatAtanRoutine},
    {"EmitFloatAtan2Routine", QBC_GUARD(s.used[NeedFAtan2]), EmitFloatAtan2Routine},
    {"EmitFloatPowRoutine", QBC_GUARD(s.used[NeedFpow]), EmitFloatPowRoutine},
    {"EmitFloatPotRoutine", QBC_GUARD(s.used[NeedFpot]), EmitFloatPotRoutine},
    {"EmitFloatSqrtRoutine", QBC_GUARD(s.used[NeedFsqrt]), EmitFloatSqrtRoutine},
    {"EmitFloatLogRoutine", QBC_GUARD(s.used[NeedFlog]), EmitFloatLogRoutine},
    {"EmitFloatExpRoutine", QBC_GUARD(s.used[NeedFexp]), EmitFloatExpRoutine},
    {"EmitFloatToExpRoutine", QBC_GUARD(s.used[NeedF2e]), EmitFloatToExpRoutine},
    {"EmitFloatModRoutine", QBC_GUARD(s.used[NeedFmod]), EmitFloatModRoutine},
    {"EmitFloatModfRoutine", QBC_GUARD(s.used[NeedFmodf]), EmitFloatModfRoutine},
    {"EmitFloatCompareRoutine", QBC_GUARD(s.used[NeedFcmp0]), EmitFloatCompareRoutine},
    {"EmitFloatSinhRoutine", QBC_GUARD(s.used[NeedFsinh]), EmitFloatSinhRoutine},
    {"EmitFloatCoshRoutine", QBC_GUARD(s.used[NeedFcosh]), EmitFloatCoshRoutine},
    {"EmitFloatTanhRoutine", QBC_GUARD(s.used[NeedFtanh]), EmitFloatTanhRoutine},
    {"EmitFloatDecPointRoutine", QBC_GUARD(s.used[NeedFdp]), EmitFloatDecPointRoutine},
    {"EmitFloatFormatRoutine", QBC_GUARD(s.used[NeedFdp]), EmitFloatFormatRoutine},
    {"EmitFloatStrRoutine", QBC_GUARD(s.used[NeedFstr]), EmitFloatStrRoutine},
    {"EmitMemFillRoutine", QBC_GUARD(s.used[NeedMfil]), EmitMemFillRoutine},
    {"EmitHandlerTextSwapRoutine", QBC_GUARD(s.used[NeedHandlerTextSwap]), EmitHandlerTextSwapRoutine},
};

#undef QBC_GUARD

}  // namespace

std::span<const LinkRow> LinkOrder() { return kLinkOrder; }

void RunLinkOrder(CompilerState& st, std::span<const LinkRow> rows, LinkRowHook onRow, void* context) {
  for (const LinkRow& row : rows) {
    if (!row.Guard(st)) continue;
    if (row.Action != nullptr) {
      row.Action(st);
      continue;
    }
    if (row.PerBus) {
      const int last = st.sym.OneWireBuses[0].LastBusIndex;
      for (int bus = 0; bus <= last && bus < static_cast<int>(st.sym.OneWireBuses.size()); ++bus) {
        if (onRow != nullptr)
          onRow(st, row, bus, context);
        else if (row.EmitBus != nullptr)
          row.EmitBus(st, static_cast<std::uint8_t>(bus));
      }
      continue;
    }
    if (onRow != nullptr)
      onRow(st, row, -1, context);
    else if (row.Emit != nullptr)
      row.Emit(st);
  }
}

}  // namespace qbc
