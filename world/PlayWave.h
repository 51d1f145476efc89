// The game's sounds: wave resources of the program, one at a time.
// The ids are the IDW_ names of res/resources.txt.
#pragma once
#include "res/ResourceIds.h"

// Starts wave resource `id` and returns at once; starting a sound cuts off
// the one playing. A missing wave is silent.
void PlayWave(int id);
