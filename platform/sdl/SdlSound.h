// Sound through SDL: one audio device in queue mode, opened once; each wave
// file is converted to the device's format the first time it is played.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CSdlSound {
public:
    ~CSdlSound() { Close(); }

    // False when there is no audio device, with SDL's reason in Problem();
    // playing is then silent.
    bool Open();
    const std::string& Problem() const { return m_strProblem; }
    void Close();
    // Cuts off whatever plays and starts the wave file held in data/size;
    // silent when data is null or the wave cannot be read.
    void Play(int id, const unsigned char* data, size_t size);
    // Cuts off whatever plays.
    void Stop();
    // A wave file in memory as samples in the device's format. False when
    // it cannot be read or converted.
    bool Convert(const unsigned char* data, size_t size, std::vector<uint8_t>* samples) const;

private:
    uint32_t m_dwDevice = 0; // 0: no device
    int m_nFrequency = 0;
    int m_nChannels = 0;
    uint16_t m_wFormat = 0;
    std::string m_strProblem;
    // By the file's bytes, not its id: the game hands each volume's copy of
    // a wave in bytes of its own, kept for the program's life.
    std::map<const unsigned char*, std::vector<uint8_t>> m_cache; // empty: could not be read
};
