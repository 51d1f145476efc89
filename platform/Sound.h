// Sound: plays one wave resource at a time, asynchronously, unless the
// player has muted it.
#pragma once

// Starts the wave resource `id`, cutting off whatever plays, at the volume.
// Silent when the resource is missing, there is no audio device, or the
// sound is muted.
void PlatPlayWave(int id);

// How loud the waves play, 0 (silence) to kMaxVolume (platform/Wave.h: the
// waves as they were made), clamped to that range. Every backend gets the
// samples already scaled, so each plays the same volume. PlatStartup sets it
// from the configuration. The copies made for a volume are kept for the
// program's life: a device may still be playing one (Windows plays from
// the bytes it is given) when the volume changes.
void PlatSetVolume(int volume);
int PlatGetVolume();

// The one mute switch, which every backend's playback obeys: muting cuts
// off what plays; unmuting lets the next wave play (a backend whose device
// was never opened opens it then). PlatStartup sets it from the
// configuration (--nosound starts muted); the M key toggles it.
void PlatSetMuted(bool muted);
bool PlatIsMuted();
