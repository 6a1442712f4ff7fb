// The host the integration tests share: the library built beside the test
// program, loaded once and greeted as the interpreter greets it, and the
// helpers the tests call it through.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

#include "host/ZorHost.h"
#include "platform/HostPlatform.h"

namespace integration {

using zorhost::CallResult;
using zorhost::HostValue;
using zorhost::ZorHost;

// Loaded with interface 5 negotiated and the version query made.
inline ZorHost& Host() {
    static ZorHost* pHost = [] {
        auto* p = new ZorHost();
        if (!p->Load()) throw std::runtime_error("cannot load the extender: " + p->LoadError());
        p->Negotiate({5});
        p->QueryVersion();
        p->ReadTable();
        return p;
    }();
    return *pHost;
}

inline HostValue Int(int32_t n) { return HostValue::Integer(n); }
inline HostValue Text(std::u16string str) { return HostValue::Text16(std::move(str)); }

// The handle of a new container parsed from strText; empty on failure.
inline std::u16string ParseHandle(const std::u16string& strText) {
    const CallResult r = Host().Call("jsParse", {Text(strText)});
    EXPECT_TRUE(r.Succeeded()) << r.errorText;
    return r.Succeeded() ? r.value.text16() : u"";
}

// The number of open containers.
inline int32_t OpenCount() { return Host().Call("jsGetInfo", {Int(3)}).value.integer(); }

// The container as compact JSON with its members written "key":value; the
// error text when jsSerialize fails.
inline std::string Json(const std::u16string& strHandle) {
    const CallResult r = Host().Call("jsSerialize", {Text(strHandle), Int(0)});
    if (!r.Succeeded()) return r.errorText;
    std::string strText = r.value.text8();
    for (size_t n = strText.find("\" : "); n != std::string::npos; n = strText.find("\" : ", n))
        strText.replace(n, 4, "\":");
    return strText;
}

// The loaded library's ZORExtender2W, for a test that brings its own return
// callback or services table (support/EntryCall.h).
inline ZorExtender2Fn Entry() { return Host().Entry(); }

// A copy of the library built beside the test program, placed in folder: a
// module apart from the one Host() holds when a host loads it.
inline std::filesystem::path CopyOfLibrary(const std::filesystem::path& folder) {
    const std::filesystem::path library = platform::DefaultExtenderPath();
    const std::filesystem::path copy = folder / library.filename();
    std::filesystem::copy_file(library, copy);
    return copy;
}

// A test that leaves the shared host as it found it: no service faults, the
// default host version, and no container open.
class HostTest : public ::testing::Test {
protected:
    void TearDown() override {
        Host().Services().ClearFaults();
        Host().Services().SetHostVersion(zorhost::kDefaultHostVersion);
        Host().Call("jsConClose", {});
    }
};

}  // namespace integration
