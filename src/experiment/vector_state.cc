#include "vector_state.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>

namespace davrel3 {
namespace {

__attribute__((target("avx"))) void ZeroUpper() { _mm256_zeroupper(); }

// XGETBV with ECX = 1 reports which state components are in use; bit 2 is
// the upper halves of the AVX registers.
bool CanReadStateInUse() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__builtin_cpu_supports("avx")) return false;
  if (!__get_cpuid_count(0x0d, 1, &eax, &ebx, &ecx, &edx)) return false;
  return (eax & (1u << 2)) != 0;
}

__attribute__((target("xsave"))) unsigned long long StateInUse() { return _xgetbv(1); }

}  // namespace

void ClearUpperVectorState() {
  if (__builtin_cpu_supports("avx")) ZeroUpper();
}

bool UpperVectorStateInUse() {
  static const bool canRead = CanReadStateInUse();
  return canRead && (StateInUse() & 0x4) != 0;
}

}  // namespace davrel3

#else

namespace davrel3 {

void ClearUpperVectorState() {}

bool UpperVectorStateInUse() { return false; }

}  // namespace davrel3

#endif
