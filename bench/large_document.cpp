// Peak memory and time of every function that takes a whole document, on a
// generated document of about 100 MB (or the size in MB given as the only
// argument): jsValid, jsParse, jsSerialize in both layouts and encodings,
// jsKeyPaths listing every path and searching one key, jsKeyExist and
// jsConClose. The library is linked in behind the reference host; its
// allocations alone are counted (the host's copy of a result is not), and
// the peak is given as a multiple of the document's UTF-8 size. Not a
// test: its figures are in docs/reliability.md.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>

#include "tests/injection/ArmedHost.h"
#include "tests/injection/FailingAllocator.h"

namespace {

using zorhost::HostValue;

// One record of about 2 KB: scalars of every kind, a long string with
// escapes and non-ASCII text, a nested array; eleven key paths.
std::string Record(size_t n) {
    std::string strBody;
    while (strBody.size() < 1800) strBody += "Grüße aus Zürich, \\\"quoted\\\" \\n line ";
    return "{\"id\":" + std::to_string(n) + ",\"name\":\"record " + std::to_string(n) +
           "\",\"tags\":[\"alpha\",\"beta\"],\"body\":\"" + strBody + "\",\"nested\":{\"a\":[1,2.5,-3e10]}}";
}

std::string Document(size_t nBytes) {
    std::string strText = "[";
    for (size_t n = 0; strText.size() < nBytes; ++n) strText += (n ? "," : "") + Record(n);
    return strText + "]";
}

int64_t MaxResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<int64_t>(usage.ru_maxrss) * 1024;
}

// Calls the function and prints its time, its peak and that peak over the
// document's size, and what the library holds after it (a container).
zorhost::CallResult Measure(const char* szLabel, const std::string& strFunction, std::vector<HostValue> args,
                            double dDocumentBytes) {
    const int64_t nBefore = injection::LiveBytes();
    injection::TakePeakBytes();
    const auto start = std::chrono::steady_clock::now();
    zorhost::CallResult r = injection::Host().Call(strFunction, args);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double dPeak = static_cast<double>(injection::TakePeakBytes() - nBefore);
    const double dHeld = static_cast<double>(injection::LiveBytes() - nBefore);
    std::printf("| %-36s | %6.2f s | %7.1f MB | %5.2f | %7.1f MB | %s |\n", szLabel, seconds.count(), dPeak / 1e6,
                dPeak / dDocumentBytes, dHeld / 1e6, r.Succeeded() ? "ok" : r.errorText.c_str());
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    injection::Host();  // from here on only the library's allocations count
    const size_t nMegabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    const std::string strUtf8 = Document(nMegabytes * 1000 * 1000);
    const HostValue text = HostValue::Text16(zorhost::FromUtf8(strUtf8));
    const double dSize = static_cast<double>(strUtf8.size());
    std::printf("document: %.1f MB of UTF-8, %.1f MB as the script's UTF-16 text\n\n", dSize / 1e6,
                static_cast<double>(text.text16().size() * 2) / 1e6);
    std::printf("| %-36s | %8s | %10s | %5s | %10s | %s |\n|---|---|---|---|---|---|\n", "call", "time", "peak",
                "x doc", "held after", "result");

    Measure("jsValid(text)", "jsValid", {text}, dSize);
    const std::u16string strHandle = Measure("jsParse(text)", "jsParse", {text}, dSize).value.text16();
    const HostValue handle = HostValue::Text16(strHandle);
    const auto Int = HostValue::Integer;
    Measure("jsSerialize(h, 0) compact UTF-8", "jsSerialize", {handle, Int(0)}, dSize);
    Measure("jsSerialize(h, 1) indented UTF-8", "jsSerialize", {handle, Int(1)}, dSize);
    Measure("jsSerialize(h, 0, 2) compact UTF-16", "jsSerialize", {handle, Int(0), Int(2)}, dSize);
    Measure("jsSerialize(h, 1, 2) indented UTF-16", "jsSerialize", {handle, Int(1), Int(2)}, dSize);
    const zorhost::CallResult paths =
        Measure("jsKeyPaths(h, \"\") every path", "jsKeyPaths", {handle, HostValue::Text16(u"")}, dSize);
    Measure("jsKeyPaths(h, \"a\") one key", "jsKeyPaths", {handle, HostValue::Text16(u"a")}, dSize);
    Measure("jsKeyExist(h, \"a\")", "jsKeyExist", {handle, HostValue::Text16(u"a")}, dSize);
    Measure("jsConClose(h)", "jsConClose", {handle}, dSize);
    std::printf("\nkey paths listed: %zu; library bytes left: %lld; process peak (host included): %.1f MB\n",
                paths.Succeeded() ? paths.value.array()->elements.size() : 0,
                static_cast<long long>(injection::LiveBytes()), static_cast<double>(MaxResidentBytes()) / 1e6);
    return 0;
}
