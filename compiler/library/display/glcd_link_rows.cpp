// The link rows of the graphic LCD routines, one set per controller (T6963C, HD61202,
// SED1520, PCD8544).
#include "compiler/base/flags/arith_flags.h"
#include "compiler/base/flags/glcd_flags.h"
#include "compiler/library/display/link_rows.h"

#include <string>

#include "compiler/base/compile_error.h"
#include "compiler/library/display/glcd_routines.h"
#include "compiler/library/display/page_glcd_routines.h"
#include "compiler/library/display/pcd8544_routines.h"
#include "compiler/library/display/t6963_routines.h"
#include "compiler/statements/peripherals/glcd_cells.h"

namespace qbc {

namespace {

// The pixel routine of a T6963C follows the "fs" setting: the value of its first
// character, 0 for a blank, a setting never given or anything that is not a digit.
int FsDigit(const CompilerState& s) {
  const std::string& fs = s.Cells<GlcdCells>().GlcdLine5;
  if (fs.empty() || fs[0] < '0' || fs[0] > '9') return 0;
  return fs[0] - '0';
}

// The T6963C set routines call the 16-bit multiply, which comes later in the order.
void SetMul16uAfterT6963(CompilerState& st) { st.used.Set(NeedMul16u); }

void FsParameterError(CompilerState& st) { CompileError(st, "FS parameter not defined!"); }

const LinkRow kRows[] = {
    {1140, "EmitT6963GraphLcdSetRoutines", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1), EmitT6963GraphLcdSetRoutines},
    {.Key = 1150, .Name = "SetMul16uAfterT6963", .Guard = QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1), .Action = SetMul16uAfterT6963},
    {1160, "EmitHd61202GraphLcdInitRoutines", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2), EmitHd61202GraphLcdInitRoutines},
    {1170, "EmitSed1520GraphLcdInitRoutines", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3), EmitSed1520GraphLcdInitRoutines},
    {1180, "EmitPcd8544GraphLcdInitRoutines", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4), EmitPcd8544GraphLcdInitRoutines},
    {1190, "EmitT6963NumbersRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTBW])), EmitT6963NumbersRoutine},
    {1200, "EmitT6963StringRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTst])), EmitT6963StringRoutine},
    {1210, "EmitT6963StringConstRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTsc])), EmitT6963StringConstRoutine},
    {1220, "EmitT6963GraphCharPrintRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedGlcdNumbers] || s.used[NeedGlcdString])), EmitT6963GraphCharPrintRoutine},
    {1230, "EmitT6963GraphNumPrintRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTNBW] || s.used[NeedTNBW2])), EmitT6963GraphNumPrintRoutine},
    {1240, "EmitT6963FontStringConstRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedGlcdStrConst])), EmitT6963FontStringConstRoutine},
    {1250, "EmitT6963NumStringConstRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTNsc])), EmitT6963NumStringConstRoutine},
    {1260, "EmitT6963FontHexRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedGlcdHex])), EmitT6963FontHexRoutine},
    {1270, "EmitT6963ChrRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTFchr])), EmitT6963ChrRoutine},
    {1280, "EmitT6963BoxRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedBox])), EmitT6963BoxRoutine},
    {1290, "EmitT6963GraphHomeAreaRoutines", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedGrpHome])), EmitT6963GraphHomeAreaRoutines},
    {1300, "EmitT6963TextHomeAreaRoutines", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTxtHome])), EmitT6963TextHomeAreaRoutines},
    {1310, "EmitT6963Pset8Routine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && ((s.used[NeedPset] || s.used[NeedPoint]) && FsDigit(s) == 0)), EmitT6963Pset8Routine},
    {1320, "EmitT6963Pset6Routine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && ((s.used[NeedPset] || s.used[NeedPoint]) && FsDigit(s) == 1)), EmitT6963Pset6Routine},
    {.Key = 1330, .Name = "FsParameterError", .Guard = QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && ((s.used[NeedPset] || s.used[NeedPoint]) && FsDigit(s) > 1)), .Action = FsParameterError},
    {1340, "EmitT6963PointRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedPoint])), EmitT6963PointRoutine},
    {1350, "EmitT6963CircleRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedCircle])), EmitT6963CircleRoutine},
    {1360, "EmitT6963LineRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedLine])), EmitT6963LineRoutine},
    {1370, "EmitT6963LineHRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedLineH])), EmitT6963LineHRoutine},
    {1380, "EmitT6963LineVRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedLineV])), EmitT6963LineVRoutine},
    {1390, "EmitT6963ImgGetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedImgSet] || s.used[NeedImgArraySet])), EmitT6963ImgGetRoutine},
    {1400, "EmitT6963ImgSetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedImgSet] || s.used[NeedImgArraySet])), EmitT6963ImgSetRoutine},
    {1410, "EmitT6963ImgArraySetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedImgSet] || s.used[NeedImgArraySet])), EmitT6963ImgArraySetRoutine},
    {1420, "EmitT6963FillRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedGfill])), EmitT6963FillRoutine},
    {1430, "EmitT6963InverseRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedInverse])), EmitT6963InverseRoutine},
    {1440, "EmitT6963WriteByteRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTwri])), EmitT6963WriteByteRoutine},
    {1450, "EmitT6963ReadRoutines", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedTrd] || s.used[NeedPoint])), EmitT6963ReadRoutines},
    {1460, "EmitT6963HexRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 1 && (s.used[NeedThb])), EmitT6963HexRoutine},
    {1470, "EmitFontSelectRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType >= 1 && s.Cells<GlcdCells>().GlcdType <= 4 && (s.used[NeedFnt])), EmitFontSelectRoutine},
    {1480, "EmitHd61202PsetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedPset])), nullptr, EmitPageGlcdPsetRoutine, 2},
    {1490, "EmitHd61202CalcPixRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedCalcPix] || s.used[NeedPset] || s.used[NeedPoint])), nullptr, EmitPageGlcdCalcPixRoutine, 2},
    {1500, "EmitHd61202NumbersRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedGlcdNumbers])), nullptr, EmitPageGlcdNumbersRoutine, 2},
    {1510, "EmitHd61202StringRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedGlcdString])), nullptr, EmitPageGlcdStringRoutine, 2},
    {1520, "EmitHd61202StringConstRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedGlcdStrConst])), nullptr, EmitPageGlcdStringConstRoutine, 2},
    {1530, "EmitHd61202HexRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedGlcdHex])), nullptr, EmitPageGlcdHexRoutine, 2},
    {1540, "EmitHd61202GraphCharPrintRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedGlcdStrConst] || s.used[NeedGlcdString] || s.used[NeedGlcdNumbers] || s.used[NeedGlcdHex] || s.used[NeedTFchr])), nullptr, EmitPageGlcdCharPrintRoutine, 2},
    {1550, "EmitHd61202ImgSetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedImgSet])), nullptr, EmitPageGlcdImgSetRoutine, 2},
    {1560, "EmitHd61202ImgArraySetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedImgArraySet])), nullptr, EmitPageGlcdImgArraySetRoutine, 2},
    {1570, "EmitHd61202InverseRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedInverse])), nullptr, EmitPageGlcdInverseRoutine, 2},
    {1580, "EmitHd61202FillRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedGfill])), nullptr, EmitPageGlcdFillRoutine, 2},
    {1590, "EmitHd61202LineHRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedLineH])), nullptr, EmitPageGlcdLineHRoutine, 2},
    {1600, "EmitHd61202LineVRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedLineV])), nullptr, EmitPageGlcdLineVRoutine, 2},
    {1602, "EmitHd61202BoxRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedBox])), nullptr, EmitPageGlcdBoxRoutine, 2},
    {1603, "EmitHd61202CircleRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedCircle])), nullptr, EmitPageGlcdCircleRoutine, 2},
    {1604, "EmitHd61202LineRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedLine])), nullptr, EmitPageGlcdLineRoutine, 2},
    {1605, "EmitHd61202PointRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedPoint])), nullptr, EmitPageGlcdPointRoutine, 2},
    {1610, "EmitHd61202LineHRoutineAlt", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 2 && (s.used[NeedBox] && !s.used[NeedLineH])), nullptr, EmitPageGlcdLineHRoutine, 2},
    {1620, "EmitSed1520PsetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedPset])), nullptr, EmitPageGlcdPsetRoutine, 3},
    {1630, "EmitSed1520CalcPixRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedCalcPix] || s.used[NeedPset] || s.used[NeedPoint])), nullptr, EmitPageGlcdCalcPixRoutine, 3},
    {1640, "EmitSed1520NumbersRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedGlcdNumbers])), nullptr, EmitPageGlcdNumbersRoutine, 3},
    {1650, "EmitSed1520StringRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedGlcdString])), nullptr, EmitPageGlcdStringRoutine, 3},
    {1660, "EmitSed1520StringConstRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedGlcdStrConst])), nullptr, EmitPageGlcdStringConstRoutine, 3},
    {1670, "EmitSed1520HexRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedGlcdHex])), nullptr, EmitPageGlcdHexRoutine, 3},
    {1680, "EmitSed1520GraphCharPrintRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedGlcdStrConst] || s.used[NeedGlcdString] || s.used[NeedGlcdNumbers] || s.used[NeedGlcdHex] || s.used[NeedTFchr])), nullptr, EmitPageGlcdCharPrintRoutine, 3},
    {1690, "EmitSed1520ImgSetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedImgSet])), nullptr, EmitPageGlcdImgSetRoutine, 3},
    {1700, "EmitSed1520ImgArraySetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedImgArraySet])), nullptr, EmitPageGlcdImgArraySetRoutine, 3},
    {1710, "EmitSed1520InverseRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedInverse])), nullptr, EmitPageGlcdInverseRoutine, 3},
    {1720, "EmitSed1520FillRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedGfill])), nullptr, EmitPageGlcdFillRoutine, 3},
    {1730, "EmitSed1520LineHRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedLineH])), nullptr, EmitPageGlcdLineHRoutine, 3},
    {1740, "EmitSed1520LineVRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedLineV])), nullptr, EmitPageGlcdLineVRoutine, 3},
    {1742, "EmitSed1520BoxRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedBox])), nullptr, EmitPageGlcdBoxRoutine, 3},
    {1743, "EmitSed1520CircleRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedCircle])), nullptr, EmitPageGlcdCircleRoutine, 3},
    {1744, "EmitSed1520LineRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedLine])), nullptr, EmitPageGlcdLineRoutine, 3},
    {1745, "EmitSed1520PointRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedPoint])), nullptr, EmitPageGlcdPointRoutine, 3},
    {1750, "EmitSed1520LineHRoutineAlt", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 3 && (s.used[NeedBox] && !s.used[NeedLineH])), nullptr, EmitPageGlcdLineHRoutine, 3},
    {1760, "EmitPcd8544NumbersRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedGlcdNumbers])), EmitPcd8544NumbersRoutine},
    {1770, "EmitPcd8544StringRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedGlcdString])), EmitPcd8544StringRoutine},
    {1780, "EmitPcd8544StringConstRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedGlcdStrConst])), EmitPcd8544StringConstRoutine},
    {1790, "EmitPcd8544GraphCharPrintRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedGlcdStrConst] || s.used[NeedGlcdString] || s.used[NeedGlcdNumbers] || s.used[NeedGlcdHex] || s.used[NeedTFchr])), EmitPcd8544GraphCharPrintRoutine},
    {1800, "EmitPcd8544ImgSetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedImgSet])), EmitPcd8544ImgSetRoutine},
    {1810, "EmitPcd8544ImgArraySetRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedImgArraySet])), EmitPcd8544ImgArraySetRoutine},
    {1820, "EmitPcd8544InverseRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedInverse])), EmitPcd8544InverseRoutine},
    {1830, "EmitPcd8544HexRoutine", QBC_LINK_GUARD(s.Cells<GlcdCells>().GlcdType == 4 && (s.used[NeedGlcdHex])), EmitPcd8544HexRoutine},
};

}  // namespace

std::span<const LinkRow> GlcdLinkRows() { return kRows; }

}  // namespace qbc
