// zor_tour: loads an extender the way a ZOR interpreter does and prints what
// the host learns: the negotiated interface version, the extender's version
// and title, its entry table, and a few jsGetInfo answers.
//
//   zor_tour [extender-path]     (default: the module beside this program)
#include <cstdio>
#include <exception>
#include <string>

#include "ZorHost.h"

namespace {

using zorhost::CallResult;
using zorhost::EntryInfo;
using zorhost::ZorHost;

// At least three hexadecimal digits: count words read as 0x001, 0x102.
std::string Hex(uint64_t nValue) {
    char szText[24];
    std::snprintf(szText, sizeof szText, "0x%03llx", static_cast<unsigned long long>(nValue));
    return szText;
}

void PrintEntry(const EntryInfo& entry) {
    std::string strName = zorhost::ToUtf8(entry.name);
    if (entry.kind == zorhost::kKindFunction)
        std::printf("%4u  %-12s function  count %-6s types %s\n", entry.index, strName.c_str(),
                    Hex(entry.value).c_str(), Hex(entry.types).c_str());
    else if (entry.kind == zorhost::kKindConstant)
        std::printf("%4u  %-12s constant  value %u\n", entry.index, strName.c_str(), entry.value);
    else
        std::printf("%4u  %-12s kind %u  value %s  types %s\n", entry.index, strName.c_str(),
                    entry.kind, Hex(entry.value).c_str(), Hex(entry.types).c_str());
}

void PrintCall(const char* szWhat, const CallResult& call) {
    if (call.Succeeded()) {
        std::printf("%s = %s\n", szWhat, zorhost::Display(call.value).c_str());
        return;
    }
    std::printf("%s failed: return %d, callbacks %d, status %d, message \"%s\"\n", szWhat,
                call.returnValue, call.callbackCount, call.status, call.errorText.c_str());
    for (const std::string& strDetail : call.details)
        std::printf("    detail \"%s\"\n", strDetail.c_str());
}

int Tour(ZorHost& host) {
    std::printf("interface: %d\n", host.Negotiate({1, 2, 3, 4, 5}));
    zorhost::VersionAnswer version = host.QueryVersion();
    std::printf("version: %d\n", version.version);
    std::printf("title: %s\n", zorhost::ToUtf8(version.title).c_str());
    if (!host.ReadTable()) {
        std::printf("the entry table cannot be read (count %d)\n", host.EntryCount());
        return 1;
    }
    std::printf("entries: %zu\n", host.Entries().size());
    for (const EntryInfo& entry : host.Entries()) PrintEntry(entry);
    for (int32_t nRequest : {0, 1, 2, 3, 101, 20104, 5}) {
        std::string strWhat = "jsGetInfo(" + std::to_string(nRequest) + ")";
        PrintCall(strWhat.c_str(), host.Call("jsGetInfo", {zorhost::HostValue::Integer(nRequest)}));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: zor_tour [extender-path]\n");
        return 2;
    }
    try {
        ZorHost host;
        bool bLoaded = argc == 2 ? host.Load(argv[1]) : host.Load();
        if (!bLoaded) {
            std::fprintf(stderr, "zor_tour: %s\n", host.LoadError().c_str());
            return 1;
        }
        return Tour(host);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zor_tour: %s\n", e.what());
        return 1;
    }
}
