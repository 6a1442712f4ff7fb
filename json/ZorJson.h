// CZorJson, the JSON extender: its 24-entry extension table, the script
// functions, the container registry it holds and the way a handler ends (a result or
// a numbered error through the host's return callback).
//
// Where each part lives (docs/architecture.md tells the whole route of a call):
//
//   the table, dispatch        json/ExtTable.def, json/ZorJson.cpp
//   ending a call              json/frame/Returns.cpp, the catch rule json/frame/Guarded.h
//   arguments                  json/frame/Arguments.h
//   the registry               json/store/ContainerRegistry.h, its arenas json/store/TreeArena.h
//
//   function     what it does                                  its handler
//   jsParse      parse JSON text into a new container          json/store/StoreFunctions.cpp
//   jsValid      1 when a text is acceptable JSON, else 0      json/store/StoreFunctions.cpp
//   jsConNew     a new empty array or object container         json/store/StoreFunctions.cpp
//   jsConClose   close one container, or all of them           json/store/StoreFunctions.cpp
//   jsValueGet   the value at a key path as text               json/values/ValueFunctions.cpp
//   jsValueType  the type bit of the value at a key path       json/values/ValueFunctions.cpp
//   jsValueAdd   add or replace the value at a key path        json/values/ValueFunctions.cpp
//   jsKeyPaths   list or search the key paths of a container   json/keypaths/KeyPathFunctions.cpp
//   jsKeyExist   count the matches of a key path               json/keypaths/KeyPathFunctions.cpp
//   jsSerialize  the container as indented or compact JSON     json/output/OutputFunctions.cpp
//   jsConMap     the top level of a container as a host map    json/output/OutputFunctions.cpp
//   jsGetInfo    version, counts, open containers, messages    json/frame/InfoFunctions.cpp
#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "extender/ZTExtender.h"
#include "json/frame/Arguments.h"
#include "json/frame/KeptStorage.h"
#include "json/store/ContainerRegistry.h"

class CZorJson final : public CZorExtenderT<CZorJson> {
public:
    static constexpr int32_t kEntries = 24;
    static const CExtEntry<CZorJson> m_ExtTable[kEntries];

    // Sets g_pExtender and makes the numeric locale.
    CZorJson();

    // Query 1: copies the title into the host's buffer, records the module
    // base name and returns the version number of the version resource.
    int32_t VersionQuery(char16_t* pTitle, int32_t nSize);

    // The module base name recorded by the last version query.
    const char16_t* ModuleName() const { return m_szModuleName; }
    // ---- Script functions --------------------------------------------------------
    // One handler for each function of ExtTable.def, in the file the table
    // at the top of this header names.
#define ZOR_FUNCTION(name, counts, types) int32_t name(ZorValue* pArgs, int32_t nArgCount);
#define ZOR_CONSTANT(name, value)
#include "json/ExtTable.def"
#undef ZOR_FUNCTION
#undef ZOR_CONSTANT

private:
    // The unit tests reach the registry through tests/support/RegistryAccess.h.
    friend struct CRegistryAccess;

    // Which catch clauses a handler runs its body under.
    enum class CCatchRule {
        Parse,     // bad_alloc 20115, other standard exceptions 20105, user detail passed
        Standard,  // system_error 20103, standard 20105, user detail passed
        Quiet,     // as Standard, but a user exception's detail is not passed
    };

    // Runs a handler body; turns any exception into the error return.
    template <class Body>
    int32_t Guarded(CCatchRule rule, Body&& body);

    // Ends a call with a result (status 0) or an error (status -1).
    int32_t ReturnInteger(int32_t nValue);
    int32_t ReturnText(const std::u16string& strText);
    int32_t ReturnText(const char16_t* szText);
    int32_t ReturnText8(const char* szText);
    int32_t ReturnResult();
    int32_t ReportError(int32_t nCode);

    int32_t m_nVersion;
    char16_t m_szTitle[260];
    char16_t m_szModuleName[260];
    CContainerRegistry m_Containers;
    // The storage of long transient texts; freed when every container is
    // closed.
    CKeptStorage m_TextStorage;
    // The UTF-8 of the key path a read follows, kept so that reading a value
    // allocates nothing for its path; done with before the result goes out.
    std::string m_strKeyPath;
};

// The one extender object of the library.
extern CZorJson g_ZorJson;
