// The game's pseudo-random numbers: the enemies' ways and clocks. One
// generator on every platform, so that a seed plays the same game wherever
// it runs. It is Linux's C library's rand (glibc's), seed for seed: the
// frames and figures recorded on Linux stay what they were. Each C library
// has a rand of its own (the browser's and Windows' differ from glibc's),
// so the game never calls it.
#pragma once

const int PLAT_RAND_MAX = 2147483647;

// Starts the sequence of `seed` (0 seeds as 1, as glibc does). Before the
// first call the sequence is seed 1's.
void PlatSeedRand(unsigned int seed);
// The next number of the sequence, 0 to PLAT_RAND_MAX.
int PlatRand();
