#include "host/shell/Printer.h"

#include <charconv>

#include "platform/HostPlatform.h"

namespace zorshell {

using zorhost::HostValue;

namespace {

// Lower-case hexadecimal digits.
std::string HexDigits(unsigned long long nValue) {
    char szDigits[24];
    return std::string(szDigits, std::to_chars(szDigits, szDigits + sizeof szDigits, nValue, 16).ptr);
}

std::string PadLeft(const std::string& strText, size_t nWidth, char fill = ' ') {
    return std::string(strText.size() < nWidth ? nWidth - strText.size() : 0, fill) + strText;
}

std::string PadRight(std::string strText, size_t nWidth) {
    if (strText.size() < nWidth) strText.resize(nWidth, ' ');
    return strText;
}

// 0x and at least three hexadecimal digits: count words read as 0x001, 0x102.
std::string Hex(uint64_t nValue) { return "0x" + PadLeft(HexDigits(nValue), 3, '0'); }

// U+ and four upper-case hexadecimal digits, in angle brackets: <U+001F>.
std::string CodePoint(unsigned char c) {
    std::string strDigits = PadLeft(HexDigits(c), 4, '0');
    for (char& d : strDigits)
        if (d >= 'a' && d <= 'f') d = static_cast<char>(d - 'a' + 'A');
    return "<U+" + strDigits + ">";
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string Decimal(long long nValue) {
    char szDigits[24];
    return std::string(szDigits, std::to_chars(szDigits, szDigits + sizeof szDigits, nValue).ptr);
}

std::string Printer::Value(const HostValue& value) {
    std::string strShown = Shown(value, "");
    if (strShown.empty() || strShown.back() != '\n') strShown += '\n';
    return strShown;
}

std::string Printer::Plain(const HostValue& value) {
    switch (value.kind()) {
        case HostValue::Kind::Text16:
            return Visible(zorhost::ToUtf8(value.text16()));
        case HostValue::Kind::Text8:
            return Visible(value.text8());
        default:
            return Shown(value, "");
    }
}

std::string Printer::Error(const zorhost::CallResult& call) {
    // The message comes in the system's code page, the output is UTF-8.
    const std::string strMessage = Visible(zorhost::ToUtf8(platform::FromSystemCodePage(call.errorText)));
    const bool bNumbered = !strMessage.empty() && IsDigit(strMessage[0]);
    std::string strLines = (bNumbered ? "error " : "error: ") + strMessage + "\n";
    for (const std::string& strDetail : call.details) strLines += "  detail " + Quoted(strDetail) + "\n";
    return strLines;
}

std::string Printer::Shown(const HostValue& value, const std::string& strIndent) {
    switch (value.kind()) {
        case HostValue::Kind::None:
            return "(none)";
        case HostValue::Kind::Integer:
            return Decimal(value.integer());
        case HostValue::Kind::Text16:
            return Quoted(zorhost::ToUtf8(value.text16()));
        case HostValue::Kind::Text8:
            return Visible(value.text8());
        case HostValue::Kind::Array: {
            const auto& elements = value.array()->elements;
            std::string strLines = "array of " + Decimal(static_cast<long long>(elements.size()));
            for (size_t i = 0; i < elements.size(); ++i)
                strLines += "\n" + strIndent + "  [" + Decimal(static_cast<long long>(i)) + "] " +
                            Shown(elements[i], strIndent + "  ");
            return strLines;
        }
        case HostValue::Kind::Map: {
            const auto& entries = value.map()->Entries();
            std::string strLines = "map of " + Decimal(static_cast<long long>(entries.size()));
            for (const auto& entry : entries)
                strLines += "\n" + strIndent + "  " + Quoted(zorhost::ToUtf8(entry.first)) + ": " +
                            Shown(entry.second, strIndent + "  ");
            return strLines;
        }
    }
    return "(unknown)";
}

std::string Printer::Visible(std::string_view strText) {
    const std::string strMasked = MaskHandles(strText);
    std::string strVisible;
    for (char c : strMasked) {
        const auto b = static_cast<unsigned char>(c);
        const bool bControl = (b < 0x20 && c != '\t' && c != '\n') || b == 0x7F;
        strVisible += bControl ? CodePoint(b) : std::string(1, c);
    }
    return strVisible;
}

// Double quotes unless the text holds a double quote and no single one; the
// quote in use is doubled inside, as the notation reads it back.
std::string Printer::Quote(const std::string& strText) {
    const bool bSingle = strText.find('"') != std::string::npos && strText.find('\'') == std::string::npos;
    const char quote = bSingle ? '\'' : '"';
    std::string strQuoted(1, quote);
    for (char c : strText) {
        strQuoted += c;
        if (c == quote) strQuoted += quote;
    }
    return strQuoted + quote;
}

std::string Printer::MaskHandles(std::string_view strText) {
    if (!m_bStableHandles) return std::string(strText);
    std::string strMasked;
    size_t nPos = 0;
    while (nPos < strText.size()) {
        const std::string_view strPrefix = strText.substr(nPos, 4);
        size_t nEnd = nPos + 4;
        while (nEnd < strText.size() && IsDigit(strText[nEnd])) ++nEnd;
        const bool bHandle = (strPrefix == "*arr" || strPrefix == "*obj") && nEnd > nPos + 4 && nEnd < strText.size() &&
                             strText[nEnd] == '*';
        if (!bHandle) {
            strMasked += strText[nPos++];
            continue;
        }
        const std::string strHandle(strText.substr(nPos, nEnd + 1 - nPos));
        const size_t nNumber = m_handleNumbers.emplace(strHandle, m_handleNumbers.size() + 1).first->second;
        strMasked += std::string(strPrefix) + "#" + Decimal(static_cast<long long>(nNumber)) + "*";
        nPos = nEnd + 1;
    }
    return strMasked;
}

std::string TableListing(int32_t nInterface, const zorhost::VersionAnswer& version,
                         const std::vector<zorhost::EntryInfo>& entries) {
    std::string strLines = "interface " + Decimal(nInterface) + "\nversion " + Decimal(version.version) + "\ntitle " +
                           zorhost::ToUtf8(version.title) + "\n" + Decimal(static_cast<long long>(entries.size())) +
                           " entries\n";
    for (const zorhost::EntryInfo& entry : entries) {
        strLines += PadLeft(Decimal(entry.index), 4) + "  " + PadRight(zorhost::ToUtf8(entry.name), 13);
        if (entry.kind == zorhost::kKindFunction)
            strLines += "function  count " + PadRight(Hex(entry.value), 6) + " types " + Hex(entry.types);
        else if (entry.kind == zorhost::kKindConstant)
            strLines += "constant  value " + Decimal(entry.value);
        else
            strLines += "kind " + Decimal(entry.kind) + "  value " + Hex(entry.value) + "  types " + Hex(entry.types);
        strLines += "\n";
    }
    return strLines;
}

}  // namespace zorshell
