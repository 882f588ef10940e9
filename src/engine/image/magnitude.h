// The magnitude scale of every table and report the program writes.
#pragma once

namespace lumenda {

// Magnitudes here are -2.512 log10 of a flux ratio. 2.512 is the ratio of
// the fluxes of two stars one magnitude apart (100^(1/5)); photometry proper
// multiplies by 2.5. Every results file and report ever written used 2.512,
// so it stays, and magnitudes of old and new nights still compare. The few
// formulas that take 2.5 (absolute magnitudes, error bars) keep it too.
inline constexpr double kMagnitudeScale = 2.512;

}  // namespace lumenda
