// Script functions whose handlers have not landed yet: each answers the
// numbered error 20103 "System runtime error" through the return callback.
#include "Guarded.h"

#define ZOR_PENDING_HANDLER(name)                                  \
    int32_t CZorJson::name(ZorValue*, int32_t) {                   \
        return Guarded(CatchRule::Quiet, []() -> int32_t {         \
            throw CUserException(kErrSystem);                      \
        });                                                        \
    }

ZOR_PENDING_HANDLER(jsValueGet)
ZOR_PENDING_HANDLER(jsValueType)
ZOR_PENDING_HANDLER(jsValueAdd)
ZOR_PENDING_HANDLER(jsKeyPaths)
ZOR_PENDING_HANDLER(jsKeyExist)
