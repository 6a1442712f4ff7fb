// Files for the tests: a folder of its own for one test, and the bytes of
// a UTF-16 text file.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace support {

// A folder of its own for one test, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& strName)
        : m_path(std::filesystem::temp_directory_path() / ("zor-" + strName + "-" + std::to_string(std::rand()))) {
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Writes the file strName with these bytes; its path.
    std::filesystem::path Write(const std::string& strName, const std::string& strBytes) const {
        const std::filesystem::path file = m_path / strName;
        std::ofstream(file, std::ios::binary) << strBytes;
        return file;
    }

private:
    std::filesystem::path m_path;
};

// The bytes of a text file in UTF-16LE after a byte order mark, the form
// that Windows reads alike on every code page.
inline std::string Utf16FileBytes(const std::u16string& strText) {
    std::string strBytes = "\xFF\xFE";
    for (char16_t c : strText) strBytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return strBytes;
}

}  // namespace support
