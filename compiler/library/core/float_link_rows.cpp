// The link rows of the float routines.
#include "compiler/base/flags/float_flags.h"
#include "compiler/library/core/link_rows.h"
#include "compiler/library/core/float_core.h"
#include "compiler/library/core/float_functions.h"
#include "compiler/library/core/float_text.h"

namespace qbc {

namespace {

// Any float routine but the exchange _Fmov and the text routines (_Fstr, _Fdp, _Ffmt),
// which work on the float's bits alone: every other flag of the float list, so that a
// routine added to the list comes with the core.
bool AnyFloatRoutine(const CompilerState& s) {
  for (int bit = FloatFlagsBefore + 1; bit < FloatFlagsEnd; ++bit) {
    const UsedFlag f = static_cast<UsedFlag>(bit);
    if (f != NeedFloatCore && f != NeedFmov && f != NeedFstr && f != NeedFdp && s.used[f]) return true;
  }
  return false;
}

const LinkRow kRows[] = {
    // every float routine but _Fmov and the text routines calls into the core: it comes
    // with any of them
    {2180, "EmitFloatCoreRoutines", QBC_LINK_GUARD(s.used[NeedFloatCore] || AnyFloatRoutine(s)), EmitFloatCoreRoutines},
    {2190, "EmitFloatAddSubRoutine", QBC_LINK_GUARD(s.used[NeedFadd]), EmitFloatAddSubRoutine},
    {2200, "EmitFloatMulRoutine", QBC_LINK_GUARD(s.used[NeedFmul]), EmitFloatMulRoutine},
    {2210, "EmitFloatDivRoutine", QBC_LINK_GUARD(s.used[NeedFdiv]), EmitFloatDivRoutine},
    {2220, "EmitFloatMoveRoutine", QBC_LINK_GUARD(s.used[NeedFmov]), EmitFloatMoveRoutine},
    // the scaling, the splits, the whole and fractional parts and the comparison call into
    // the core: they stand next to it, before the functions, which together are longer
    // than rcall reaches, so that their calls stay short (the link step lengthens a call
    // beyond that reach)
    {2222, "EmitFloatToExpRoutine", QBC_LINK_GUARD(s.used[NeedF2e]), EmitFloatToExpRoutine},
    {2224, "EmitFloatModRoutine", QBC_LINK_GUARD(s.used[NeedFmod]), EmitFloatModRoutine},
    {2226, "EmitFloatModfRoutine", QBC_LINK_GUARD(s.used[NeedFmodf]), EmitFloatModfRoutine},
    {2227, "EmitFloatIntRoutine", QBC_LINK_GUARD(s.used[NeedFint]), EmitFloatIntRoutine},
    {2228, "EmitFloatFractRoutine", QBC_LINK_GUARD(s.used[NeedFfrac]), EmitFloatFractRoutine},
    {2229, "EmitFloatCompareRoutine", QBC_LINK_GUARD(s.used[NeedFcmp0]), EmitFloatCompareRoutine},
    {2230, "EmitFloatSinCosRoutine", QBC_LINK_GUARD(s.used[NeedFsin]), EmitFloatSinCosRoutine},
    {2240, "EmitFloatAsinAcosRoutine", QBC_LINK_GUARD(s.used[NeedFACos]), EmitFloatAsinAcosRoutine},
    {2250, "EmitFloatTanRoutine", QBC_LINK_GUARD(s.used[NeedFtan]), EmitFloatTanRoutine},
    // sine, cosine and tangent set its flag
    {2255, "EmitFloatQuadrantRoutine", QBC_LINK_GUARD(s.used[NeedFquad]), EmitFloatQuadrantRoutine},
    {2260, "EmitFloatAtanRoutine", QBC_LINK_GUARD(s.used[NeedFAtan]), EmitFloatAtanRoutine},
    {2270, "EmitFloatAtan2Routine", QBC_LINK_GUARD(s.used[NeedFAtan2]), EmitFloatAtan2Routine},
    {2280, "EmitFloatPowRoutine", QBC_LINK_GUARD(s.used[NeedFpow]), EmitFloatPowRoutine},
    {2290, "EmitFloatPotRoutine", QBC_LINK_GUARD(s.used[NeedFpot]), EmitFloatPotRoutine},
    {2300, "EmitFloatSqrtRoutine", QBC_LINK_GUARD(s.used[NeedFsqrt]), EmitFloatSqrtRoutine},
    {2310, "EmitFloatLogRoutine", QBC_LINK_GUARD(s.used[NeedFlog]), EmitFloatLogRoutine},
    {2320, "EmitFloatExpRoutine", QBC_LINK_GUARD(s.used[NeedFexp]), EmitFloatExpRoutine},
    {2370, "EmitFloatSinhRoutine", QBC_LINK_GUARD(s.used[NeedFsinh]), EmitFloatSinhRoutine},
    {2380, "EmitFloatCoshRoutine", QBC_LINK_GUARD(s.used[NeedFcosh]), EmitFloatCoshRoutine},
    {2390, "EmitFloatTanhRoutine", QBC_LINK_GUARD(s.used[NeedFtanh]), EmitFloatTanhRoutine},
    {2400, "EmitFloatDecPointRoutine", QBC_LINK_GUARD(s.used[NeedFdp]), EmitFloatDecPointRoutine},
    {2410, "EmitFloatFormatRoutine", QBC_LINK_GUARD(s.used[NeedFdp]), EmitFloatFormatRoutine},
    {2420, "EmitFloatStrRoutine", QBC_LINK_GUARD(s.used[NeedFstr]), EmitFloatStrRoutine},
};

}  // namespace

std::span<const LinkRow> FloatLinkRows() { return kRows; }

}  // namespace qbc
