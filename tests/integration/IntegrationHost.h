// The host the integration tests share: the library built beside the test
// program, loaded once and greeted as the interpreter greets it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/ZorHost.h"

namespace integration {

// Loaded with interface 5 negotiated and the version query made.
inline zorhost::ZorHost& Host() {
    static zorhost::ZorHost* pHost = [] {
        auto* p = new zorhost::ZorHost();
        if (!p->Load()) throw std::runtime_error("cannot load the extender: " + p->LoadError());
        p->Negotiate({5});
        p->QueryVersion();
        p->ReadTable();
        return p;
    }();
    return *pHost;
}

inline zorhost::HostValue Int(int32_t n) { return zorhost::HostValue::Integer(n); }
inline zorhost::HostValue Text(std::u16string str) { return zorhost::HostValue::Text16(std::move(str)); }

// The handle of a new container parsed from strText; empty on failure.
inline std::u16string ParseHandle(const std::u16string& strText) {
    const zorhost::CallResult r = Host().Call("jsParse", {Text(strText)});
    EXPECT_TRUE(r.Succeeded()) << r.errorText;
    return r.Succeeded() ? r.value.text16() : u"";
}

// The number of open containers.
inline int32_t OpenCount() { return Host().Call("jsGetInfo", {Int(3)}).value.integer(); }

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
    const std::filesystem::path& Path() const { return m_path; }
    void Write(const std::string& strName, const std::string& strBytes) const {
        std::ofstream(m_path / strName, std::ios::binary) << strBytes;
    }

private:
    std::filesystem::path m_path;
};

}  // namespace integration
