#pragma once
// Test seam of the file layer: makes the n-th future operation of one kind fail
// with a given error number, so tests can break a multi-step write at each step.
// Inactive unless a test arms it.
namespace tessarin::faults {

enum class Op { Open, Read, Write, Sync, Rename };

// The nth (1-based) operation of kind op from now on throws VbError(errorNumber).
void FailAt(Op op, int nth, int errorNumber);
// Disarms every fault and resets the counters.
void Reset();
// Called by the file layer before each operation; throws when armed for it.
void Check(Op op);

}  // namespace tessarin::faults
