// What the shared library exports. The library is built with hidden
// visibility; a namespace block opened as `namespace dz DZ_API {` in a public
// header makes what it declares part of the interface, while helpers that are
// only declared in sources stay private to the library.
// Threads: macros only; nothing here holds state.
#pragma once

// Put after `namespace dz` in a public header's namespace block; expands to
// the default-visibility attribute (nothing for other compilers).
#if defined(__GNUC__) || defined(__clang__)
#define DZ_API __attribute__((visibility("default")))
#else
#define DZ_API
#endif
