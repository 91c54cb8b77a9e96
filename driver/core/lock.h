// The call lock: one flag with an indivisible test-and-set, no owner, no count.
#pragma once

namespace cfe {

// True when the lock is held by someone else; otherwise takes it and returns false.
bool AguardaLock();
// Frees the lock, whoever holds it.
void LiberaLock();
// Entry of every exported SAT function: when the lock switch is on, waits in
// steps of 100 ms until the lock is taken.
void EntraLock();

}  // namespace cfe
