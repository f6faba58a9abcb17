// The scene's pseudo-random numbers: one process-wide linear congruential sequence that is
// never seeded, so the same settings build the same scene on every run and in every build.
// state ← state × 214013 + 2531011 (mod 2^32), starting at 1; each draw yields bits 16–30.
#pragma once

// The next number, 0..32767. The first three are 41, 18467 and 6334.
int SceneRandom();
// Restarts the sequence from the given state (1 is the never-seeded start).
void SetSceneRandomState(unsigned state);
