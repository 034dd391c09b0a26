// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Output.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "Text.h"

namespace {

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

bool IsAnInput(const std::string& path, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
#ifdef _WIN32
        if (input == "-") continue;  // no path names the console's input
        if (SameFile(path, input)) return true;
#else
        // Standard input is whatever /dev/stdin leads to: a file redirected with < is caught too.
        if (SameFile(path, input == "-" ? "/dev/stdin" : input)) return true;
#endif
    }
    return false;
}

bool WriteWhole(const std::string& path, const char* what, const std::function<void(std::ostream&)>& write,
                std::ostream& err) {
    const std::filesystem::path target(path);
    std::filesystem::path temporary = target;
    temporary += ".transitfit-partial";
    std::error_code error;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (file) write(file);
        if (!file || !file.flush()) {
            file.close();
            std::filesystem::remove(temporary, error);
            err << "transitfit: " << kit::Escaped(path) << ": cannot write the " << what << '\n';
            return false;
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        err << "transitfit: " << kit::Escaped(path) << ": cannot write the " << what << '\n';
        return false;
    }
    return true;
}
