#include "world/PlayWave.h"
#include "platform/Sound.h"

void PlayWave(int id) {
    PlatPlayWave(id);
}
