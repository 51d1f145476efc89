// Sound: plays one wave resource at a time, asynchronously.
#pragma once

// Starts the wave resource `id`, cutting off whatever plays. Silent when the
// resource is missing or there is no audio device.
void PlatPlayWave(int id);
