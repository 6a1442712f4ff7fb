// The container registry: the open containers, each under the handle text
// the script holds, made from a counter permuted so that handles do not
// run in order. The only code that touches the containers' map.
//
// A container's root is an array or an object: registration refuses
// anything else (20128), and the functions that read or change a container
// find it through FindContainerRoot, which says so again (20110) for a
// container that is no longer one.
#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "json/store/TreeArena.h"

// A tree just read, in the arena it was built in.
struct CParsedTree {
    std::unique_ptr<CTreeArena> pArena;
    boost::json::value root;
};

class CContainerRegistry {
public:
    // Seeds the handle counter from the clock: 42 to 140.
    CContainerRegistry();

    // Registers an array or object under a new handle (20128 otherwise; the
    // counter advances either way). bMove moves the value in and leaves it
    // null; otherwise a deep copy is stored. Stored in the ordinary heap.
    // Each returns the handle as the registry keeps it, until it closes.
    const std::u16string& RegisterContainer(boost::json::value& jv, bool bMove);
    // Registers a tree just read with its arena, sealed from now on: the
    // tree is not copied. 20128 for a root that is no array or object.
    const std::u16string& RegisterContainer(CParsedTree tree);

    // The container registered under handle exactly; 20104 when absent.
    boost::json::value& FindContainer(std::u16string_view handle);
    // Its root, checked to be an array or an object: 20110 otherwise.
    boost::json::value& FindContainerRoot(std::u16string_view handle);

    // Closes the container of the handle; an unknown handle changes nothing.
    void CloseContainer(std::u16string_view handle);
    void CloseAll() { m_Containers.clear(); }
    size_t Count() const { return m_Containers.size(); }

    // The handle number for the counter value before its increment.
    static uint32_t HandleNumber(uint32_t nSeedBefore);

private:
    // The root, destroyed before the arena that may hold it.
    struct CContainer {
        CContainer(std::unique_ptr<CTreeArena> pTreeArena, boost::json::value jv)
            : pArena(std::move(pTreeArena)), root(std::move(jv)) {}
        CContainer(CContainer&&) = default;
        ~CContainer();

        std::unique_ptr<CTreeArena> pArena;
        boost::json::value root;
    };

    // A new handle for the root, the counter advanced; 20128 for a root
    // that is no array or object.
    std::u16string NewHandle(const boost::json::value& root);
    // Stores the container under the handle; returns the map's own key.
    const std::u16string& Store(std::u16string strHandle, CContainer container);

    uint32_t m_nHandleSeed;
    // Ordered by handle text; looked up by any view of a handle, without a copy.
    std::map<std::u16string, CContainer, std::less<>> m_Containers;
};
