// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the scans look at 16 bytes at a time: wherever the compiler offers SSE2, unless the build asks for
// the plain loops alone (BRANTLEWICK_SIMD=OFF), which must give the same bytes.
#pragma once

#if defined(__SSE2__) && !defined(BRANTLEWICK_SCALAR_ONLY)
#define BRANTLEWICK_SSE2 1
#include <emmintrin.h>
#else
#define BRANTLEWICK_SSE2 0
#endif
