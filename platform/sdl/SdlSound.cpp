#include "platform/sdl/SdlSound.h"
#include "platform/sdl/QuietStderr.h"
#include <SDL.h>
#include <climits>
#include <cstdio>
#include <cstring>

bool CSdlSound::Open() {
    if (m_dwDevice)
        return true;
    CQuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_strProblem = SDL_GetError();
        return false;
    }
    SDL_AudioSpec want, have;
    SDL_zero(want);
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 512; // a small device buffer keeps the cut-off prompt
    want.callback = nullptr;
    m_dwDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!m_dwDevice) {
        m_strProblem = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_nFrequency = have.freq;
    m_nChannels = have.channels;
    m_wFormat = have.format;
    SDL_PauseAudioDevice(m_dwDevice, 0);
    return true;
}

void CSdlSound::Close() {
    if (!m_dwDevice)
        return;
    SDL_CloseAudioDevice(m_dwDevice);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_dwDevice = 0;
    m_cache.clear();
}

bool CSdlSound::Convert(const unsigned char* data, size_t size,
                        std::vector<uint8_t>* samples) const {
    if (!data || size == 0 || size > INT_MAX || !m_dwDevice)
        return false;
    SDL_AudioSpec wav;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(data, static_cast<int>(size)), 1, &wav, &buffer,
                        &length))
        return false;
    SDL_AudioCVT cvt;
    const int need = SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, m_wFormat,
                                       static_cast<Uint8>(m_nChannels), m_nFrequency);
    bool ok = need >= 0;
    if (ok && need == 0) {
        samples->assign(buffer, buffer + length);
    } else if (ok) {
        std::vector<uint8_t> work(static_cast<size_t>(length) * cvt.len_mult);
        std::memcpy(work.data(), buffer, length);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(length);
        ok = SDL_ConvertAudio(&cvt) == 0;
        if (ok) {
            work.resize(static_cast<size_t>(cvt.len_cvt));
            samples->swap(work);
        }
    }
    SDL_FreeWAV(buffer);
    return ok && !samples->empty();
}

void CSdlSound::Play(int /*id*/, const unsigned char* data, size_t size) {
    if (!m_dwDevice || !data)
        return;
    auto it = m_cache.find(data);
    if (it == m_cache.end()) {
        std::vector<uint8_t> samples;
        if (!Convert(data, size, &samples))
            samples.clear();
        it = m_cache.emplace(data, std::move(samples)).first;
    }
    if (it->second.empty())
        return;
    SDL_ClearQueuedAudio(m_dwDevice);
    SDL_QueueAudio(m_dwDevice, it->second.data(), static_cast<Uint32>(it->second.size()));
}

void CSdlSound::Stop() {
    if (m_dwDevice)
        SDL_ClearQueuedAudio(m_dwDevice);
}
