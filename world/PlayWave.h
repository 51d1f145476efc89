// The game's sounds: wave resources of the program, one at a time.
#pragma once

enum : int {
    WAVE_SHOT = 141,   // a shot is fired
    WAVE_HIT = 142,    // a shot hits an enemy
    WAVE_CAUGHT = 156, // the player is caught
    WAVE_GUN = 160,    // a gun is picked up
    WAVE_DOT = 161,    // a dot is eaten, the last one too
};

// Starts wave resource `id` and returns at once; starting a sound cuts off
// the one playing. A missing wave is silent.
void PlayWave(int id);
