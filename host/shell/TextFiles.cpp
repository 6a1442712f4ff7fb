#include "host/shell/TextFiles.h"

#include <cstdio>
#include <memory>

#include "host/HostValues.h"
#include "platform/HostPlatform.h"

namespace zorshell {

namespace {

struct FileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::u16string DecodeUtf16(std::string_view strBytes, bool bBigEndian) {
    std::u16string strText;
    for (size_t i = 0; i + 1 < strBytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(strBytes[i]);
        const auto b1 = static_cast<unsigned char>(strBytes[i + 1]);
        strText += static_cast<char16_t>(bBigEndian ? b0 << 8 | b1 : b1 << 8 | b0);
    }
    if (strBytes.size() % 2 != 0) strText += u'\uFFFD';
    return strText;
}

bool StartsWith(std::string_view strBytes, std::string_view strMark) {
    return strBytes.substr(0, strMark.size()) == strMark;
}

}  // namespace

bool ReadFileBytes(const std::string& strPath, std::string& strBytes) {
    File file(platform::OpenFile(strPath, "rb"));
    if (!file) return false;
    strBytes.clear();
    char buffer[65536];
    size_t nRead;
    while ((nRead = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) strBytes.append(buffer, nRead);
    return std::ferror(file.get()) == 0;
}

bool WriteFileBytes(const std::string& strPath, std::string_view strBytes) {
    File file(platform::OpenFile(strPath, "wb"));
    if (!file) return false;
    const bool bWritten = std::fwrite(strBytes.data(), 1, strBytes.size(), file.get()) == strBytes.size();
    return std::fclose(file.release()) == 0 && bWritten;
}

std::u16string DecodeText(std::string_view strBytes) {
    if (StartsWith(strBytes, "\xFF\xFE")) return DecodeUtf16(strBytes.substr(2), false);
    if (StartsWith(strBytes, "\xFE\xFF")) return DecodeUtf16(strBytes.substr(2), true);
    if (StartsWith(strBytes, "\xEF\xBB\xBF")) strBytes.remove_prefix(3);
    return zorhost::FromUtf8(strBytes);
}

}  // namespace zorshell
