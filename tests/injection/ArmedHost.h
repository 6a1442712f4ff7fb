// The library linked into the program behind the reference host, with the
// failing allocator armed only for the library's own work: the return
// callback and the host's services run paused.
#pragma once

#include "host/ZorHost.h"

namespace injection {

// Loaded, greeted as the interpreter greets it, and past its first error
// (which resolves the message language once, for good).
zorhost::ZorHost& Host();

}  // namespace injection
