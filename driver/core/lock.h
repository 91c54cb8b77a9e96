// The call lock: one flag with an indivisible test-and-set, no owner, no count.
#pragma once

namespace cfe {

// True when the lock is held by someone else; otherwise takes it and returns false.
bool AguardaLock();
// Frees the lock, whoever holds it, and wakes the calls waiting for it.
void LiberaLock();
// Entry of every exported SAT function: when the lock switch is on, waits until
// the lock is taken. A waiting call sleeps on the flag and is woken when the
// lock is freed, so it takes the lock at once; there is no time-out.
void EntraLock();

}  // namespace cfe
