#include "app/ProgressFiles.h"
#include "app/RunFileIo.h"
#include "platform/Files.h"
#include "platform/SystemFiles.h"
#include "platform/WholeFile.h"
#include <filesystem>
#include <system_error>

namespace {

// Far beyond any player's count of damaged files; past it nothing is set
// aside, and so nothing is written over.
const int kMaxAsideNames = 1000;

bool Exists(const std::string& path) {
    std::error_code failure;
    return std::filesystem::symlink_status(path, failure).type() !=
           std::filesystem::file_type::not_found;
}

} // namespace

bool CProgressFiles::Read(std::vector<uint8_t>* bytes, bool* missing, std::string* why) {
    *missing = m_strFolder.empty() || !Exists(Where());
    if (*missing)
        return false;
    return ReadWholeFile(Where().c_str(), kMaxProgressBytes, bytes, why, true);
}

bool CProgressFiles::Write(const std::vector<uint8_t>& bytes, std::string* why) {
    if (m_strFolder.empty()) {
        *why = "there is no home folder to keep it in";
        return false;
    }
    if (!PlatMakeFolders(m_strFolder)) {
        *why = "cannot make the folder " + m_strFolder;
        return false;
    }
    return PlatReplaceFile(Where(), bytes, why);
}

bool CProgressFiles::KeepAside(std::string* where, std::string* why) {
    for (int n = 1; n <= kMaxAsideNames; ++n) {
        const std::string aside = m_strFolder + "progress-damaged-" + std::to_string(n) + ".json";
        if (Exists(aside))
            continue;
        if (!PlatRenameOver(Where(), aside, why))
            return false;
        *where = aside;
        return true;
    }
    *why = "every name for it is taken";
    return false;
}

std::string CProgressFiles::RunCode(const RunRecord& run) {
    return MakeRunCode(run);
}
