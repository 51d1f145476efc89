// Sound: plays one wave resource at a time, asynchronously, unless the
// player has muted it.
#pragma once

// Starts the wave resource `id`, cutting off whatever plays. Silent when the
// resource is missing, there is no audio device, or the sound is muted.
void PlatPlayWave(int id);

// The one mute switch, which every backend's playback obeys: muting cuts
// off what plays; unmuting lets the next wave play (a backend whose device
// was never opened opens it then). PlatStartup sets it from the
// configuration (--nosound starts muted); the M key toggles it.
void PlatSetMuted(bool muted);
bool PlatIsMuted();
