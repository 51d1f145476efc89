// Progress on a computer: progress.json in the user's data folder
// (PlatUserDataFolder: $XDG_DATA_HOME/quibbo/, %LOCALAPPDATA%\Quibbo\ on
// Windows), the best runs inside it as run codes. Native builds only, with
// the run files: a kept run is deflated as a .qrun is.
#pragma once
#include "app/ProgressKeeper.h"
#include <string>

class CProgressFiles : public CProgressStorage {
public:
    // `folder` ends with '/'; "" keeps nothing (no home to keep it in).
    explicit CProgressFiles(const std::string& folder) : m_strFolder(folder) {}

    bool Read(std::vector<uint8_t>* bytes, bool* missing, std::string* why) override;
    // Makes the folder when missing; the file is replaced whole.
    bool Write(const std::vector<uint8_t>& bytes, std::string* why) override;
    // progress.json becomes progress-damaged-N.json, N the first free from 1.
    bool KeepAside(std::string* where, std::string* why) override;
    std::string RunCode(const RunRecord& run) override;
    std::string Where() const override { return m_strFolder + "progress.json"; }

private:
    std::string m_strFolder;
};
