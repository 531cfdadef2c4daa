// Table of the binary64 powers of ten that scale a number's mantissa.
#pragma once

constexpr int kJsonMinPowerOfTen = -323;
constexpr int kJsonMaxPowerOfTen = 308;
constexpr int kJsonPowersOfTenCount = kJsonMaxPowerOfTen - kJsonMinPowerOfTen + 1;

/// kJsonPowersOfTen[e - kJsonMinPowerOfTen] is 10^e rounded to nearest.
extern const double kJsonPowersOfTen[kJsonPowersOfTenCount];
