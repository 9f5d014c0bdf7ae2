// The processor's vector registers as a run finds them. A process that loads
// Qt's QML library (the window's 3-D charts bring it in) starts with the
// upper halves of the AVX registers marked in use: the library's start-up
// code leaves them so. The model is compiled to plain SSE code, and while
// that mark stands every change between it and the AVX code of the C library
// (memset, memcpy, log) costs the processor a slow state change. On the
// project's machine this made a design 8% slower in the window than in the
// runner, and the division-of-labour index 15 times slower.
//
// ClearUpperVectorState drops the mark (vzeroupper). No result depends on
// it: only the upper halves are cleared, which SSE code never reads and the
// calling convention lets any called function overwrite. A no-op
// on processors without AVX and on other architectures.
#pragma once

namespace davrel3 {

void ClearUpperVectorState();

// Whether this thread's upper AVX halves are marked in use: false where the
// processor cannot tell (no AVX, or no XGETBV with ECX = 1). For tests.
bool UpperVectorStateInUse();

}  // namespace davrel3
