// The host's platform functions on a POSIX system: dlopen for modules, the C
// heap for host array blocks (nothing here needs them to be movable), and
// plain stdio, whose file names and streams are bytes already.
#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <iostream>
#include <pthread.h>
#include <unistd.h>
#include <vector>

#include "platform/HostPlatform.h"
#include "platform/Utf8Codec.h"

namespace platform {

void* LoadModule(const std::string& strPath, std::string& strError) {
    void* hModule = dlopen(strPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (hModule == nullptr) {
        const char* szReason = dlerror();
        strError = szReason ? szReason : strPath + ": cannot be loaded";
    }
    return hModule;
}

void* FindEntry(void* hModule, const char* szName) { return hModule ? dlsym(hModule, szName) : nullptr; }

void UnloadModule(void* hModule) {
    if (hModule != nullptr) dlclose(hModule);
}

void* AllocGlobalBlock(size_t nBytes) { return std::calloc(nBytes, 1); }

void FreeGlobalBlock(void* pData) { std::free(pData); }

std::string DefaultExtenderPath() {
    const std::string strModule = "qrbjs64i.so";
    std::vector<char> path(4096);
    ssize_t nLength = readlink("/proc/self/exe", path.data(), path.size());
    if (nLength <= 0 || static_cast<size_t>(nLength) >= path.size()) return "./" + strModule;
    std::string strExe(path.data(), static_cast<size_t>(nLength));
    return strExe.substr(0, strExe.rfind('/') + 1) + strModule;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void UseBinaryStandardStreams() {}

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

std::istream& StandardInput() { return std::cin; }

std::FILE* OpenFile(const std::string& strPath, const char* szMode) { return std::fopen(strPath.c_str(), szMode); }

std::filesystem::path SettingsFolder(const std::filesystem::path& scratch) {
    setenv("ZOR_WINDIR", scratch.c_str(), 1);
    return scratch;
}

std::string ToSystemCodePage(const std::u16string& strText) { return Utf8Of(strText); }

std::u16string FromSystemCodePage(const std::string& strText) { return Utf16Of(strText); }

namespace {
void* ThreadBody(void* pBody) {
    (*static_cast<const std::function<void()>*>(pBody))();
    return nullptr;
}
}  // namespace

bool RunOnThread(size_t nBytes, const std::function<void()>& body) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_t thread;
    const bool bStarted =
        pthread_attr_setstacksize(&attributes, nBytes) == 0 &&
        pthread_create(&thread, &attributes, ThreadBody, const_cast<std::function<void()>*>(&body)) == 0;
    pthread_attr_destroy(&attributes);
    return bStarted && pthread_join(thread, nullptr) == 0;
}

}  // namespace platform
