#pragma once
// The used flags of the graphic LCD controllers. A new routine of this area adds its flag
// to the list.
#include "compiler/base/used_flags.h"

#define QBC_GLCD_FLAGS(X) \
  X(NeedTNBW) \
  X(NeedTNsc) \
  X(NeedTNBW2) \
  X(NeedBox) \
  X(NeedPset) \
  X(NeedCalcPix) \
  X(NeedPoint) \
  X(NeedCircle) \
  X(NeedLine) \
  X(NeedLineH) \
  X(NeedLineV) \
  X(NeedImgSet) \
  X(NeedImgArraySet) \
  X(NeedGfill) \
  X(NeedInverse) \
  X(NeedGrpHome) \
  X(NeedTxtHome) \
  X(NeedTrd) \
  X(NeedTwri) \
  X(NeedTFchr) \
  X(NeedThb) \
  X(NeedTchr) \
  X(NeedTBW) \
  X(NeedTst) \
  X(NeedTsc) \
  X(NeedGlcdHex) \
  X(NeedGlcdNumbers) \
  X(NeedGlcdString) \
  X(NeedGlcdStrConst) \
  X(NeedFnt)

namespace qbc {
QBC_DECLARE_USED_FLAGS(Glcd, QBC_GLCD_FLAGS)
}  // namespace qbc
