// Small run-time pieces: the classic random generator, the program path and
// the classic rounding.
// Threads: Random, Randomize and RandSeed: one thread at a time; SetProgramArgs before threads.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// The classic linear congruential generator (seed * 0x08088405 + 1), so that a
// given seed gives the classic sequence. 0 <= Random(n) < n; Random(n) is 0
// for n <= 0 (the seed still advances).
int32_t Random(int32_t n);
double Random();   // 0 <= x < 1, in steps of 2^-32
void Randomize();  // seeds from the clock
// The generator's state, process-wide; 0 at start, so that an unseeded
// program repeats its sequence. Assign to it to replay a sequence.
uint32_t& RandSeed();

// ParamStr(0) is the full path of the running executable; other indexes the
// program's arguments as given to SetProgramArgs (empty when out of range).
// Arguments are read as UTF-8.
UnicodeString ParamStr(int32_t index);
// Number of arguments after the program name; 0 before SetProgramArgs.
int32_t ParamCount();
// Keeps a copy of main's arguments for ParamStr and ParamCount; argv[0] is
// the program name. A second call replaces the first.
void SetProgramArgs(int argc, char** argv);

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4); Trunc: towards zero.
// v must lie within the range of int64_t (NaN and beyond are undefined).
int64_t Round(double v);
int64_t Trunc(double v);
// The fractional part with v's sign: Frac(-1.25) is -0.25.
double Frac(double v);

}  // namespace dz
