// Small run-time pieces: the classic random generator, the program path and
// the classic rounding.
// Threads: Random, Randomize and RandSeed: one thread at a time; SetProgramArgs before threads.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// The classic linear congruential generator (seed * 0x08088405 + 1), so that a
// given seed gives the classic sequence. 0 <= Random(n) < n; Random(0) is 0.
int32_t Random(int32_t n);
double Random();   // 0 <= x < 1
void Randomize();  // seeds from the clock
uint32_t& RandSeed();

// ParamStr(0) is the full path of the running executable; other indexes the
// program's arguments as given to SetProgramArgs (empty when out of range).
UnicodeString ParamStr(int32_t index);
int32_t ParamCount();
void SetProgramArgs(int argc, char** argv);

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4); Trunc: towards zero.
int64_t Round(double v);
int64_t Trunc(double v);
double Frac(double v);

}  // namespace dz
