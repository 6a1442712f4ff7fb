// The container registry of the library's one extender object, for the
// unit tests that register trees and look at them directly rather than
// through the exported entry.
#pragma once

#include "json/ZorJson.h"

struct CRegistryAccess {
    static CContainerRegistry& Of(CZorJson& zj) { return zj.m_Containers; }
};

inline CContainerRegistry& LibraryRegistry() { return CRegistryAccess::Of(g_ZorJson); }
