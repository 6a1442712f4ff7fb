// The public test data beside the repository (../shared/corpus): its
// folders and files.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ExactJson.h"

namespace corpus {

inline const std::filesystem::path kRoot = ZOR_CORPUS_DIR;

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The files of a folder of the corpus with the extension, sorted by name.
inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder,
                                                  const std::string& strExtension) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().extension() == strExtension) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace corpus
