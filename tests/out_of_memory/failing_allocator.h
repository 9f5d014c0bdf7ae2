// An allocator that fails on request: armed with n, the n-th allocation from
// then on throws std::bad_alloc, exactly once; every other allocation goes to
// malloc as usual. This is how the tests reach every "out of memory" path of
// a commit or a run without needing a machine that is really out of memory.
#pragma once

namespace davrel3::testing {

// The n-th allocation from now (1: the next one) fails.
void FailAllocation(long long n);
// Every allocation of more than `bytes` fails from now on, as on a machine
// with little memory left (0: none does).
void FailAllocationsOver(unsigned long long bytes);
// Disarms; returns whether the armed allocation was reached and failed.
bool StopFailing();
// Allocations made since the counter was last reset.
long long AllocationCount();
// Bytes allocated and not yet freed, and the most there were at once since
// the last ResetPeakBytes (which starts it from what is allocated now).
long long LiveBytes();
long long PeakBytes();
void ResetPeakBytes();
void ResetAllocationCount();

}  // namespace davrel3::testing
