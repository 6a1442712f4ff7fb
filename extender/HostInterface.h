// The binary interface between the ZOR interpreter (the host) and an extender:
// the value record, the services table, the return callback and the two
// exported entries. Everything here is x86-64, default C calling convention.
// Both the library and the reference host include this header, so a layout
// mistake breaks the build instead of a script.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Type flags of a host value record (nType).
enum : uint32_t {
    ZOR_TYPE_INTEGER = 0x1,
    ZOR_TYPE_TEXT8 = 0x2,
    ZOR_TYPE_TEXT16 = 0x80,
    ZOR_TYPE_ARRAY = 0x100,
};

// One argument or result, 56 bytes. The first 32 bytes belong to the host:
// they travel with the record and are never read by the extender.
struct ZorValue {
    uint8_t hostOwned[32];
    int32_t nValue;
    uint32_t nType;
    void* pText;  // char16_t* for 0x80, char* for 2, host object for arrays and maps
    double dValue;
};

struct ZorServices;

// Called once per script call to hand back the result (status 0) or an error
// (status -1, result holds the 8-bit message text). Its value is the call's.
typedef int32_t (*ZorReturnFn)(int32_t status, uint32_t cookie, ZorServices* pServices, ZorValue* pResult);

typedef int32_t (*ZorStoreToVariableFn)(void* pContext, const char* pointerText, ZorValue* pValue, uint32_t valueSize,
                                        uint32_t code);
typedef int32_t (*ZorSetArrayElementFn)(void* pContext, ZorValue* pArray, const uint32_t* indexes, ZorValue* pValue,
                                        uint32_t valueSize, uint32_t code);
typedef int32_t (*ZorCreateArrayFn)(void* pContext, ZorValue* pOut, uint32_t outSize, const uint32_t* dims,
                                    uint32_t dimsSize, uint32_t code);
typedef void (*ZorSetErrorDetailFn)(void* pContext, const char* text);
typedef int32_t (*ZorMapOperationFn)(void* pContext, ZorValue* pMap, uint32_t mapSize, ZorValue* pSecond,
                                     uint32_t secondSize, ZorValue* pKey, uint32_t keySize, ZorValue* pValue,
                                     uint32_t valueSize, uint32_t operation);

// Map operations understood by MapOperation.
enum : uint32_t {
    ZOR_MAP_CREATE = 3,
    ZOR_MAP_SET_ENTRY = 7,
};

// The host's services table; bytes not named are reserved to the host.
struct ZorServices {
    uint8_t reserved0[16];
    uint32_t nHostVersion;
    uint8_t reserved1[12];
    void* pContext;
    uint8_t reserved2[16];
    ZorStoreToVariableFn StoreToVariable;
    ZorSetArrayElementFn SetArrayElement;
    ZorCreateArrayFn CreateArray;
    ZorSetErrorDetailFn SetErrorDetail;
    uint8_t reserved3[40];
    ZorMapOperationFn MapOperation;
};

// Entry description record filled by CmdId -2; the name runs from offset 22.
struct ZorDescription {
    uint32_t nIndex;
    uint32_t nKind;
    uint64_t nTypes;
    uint32_t nValue;
    uint16_t nSize;
    char16_t szName[1];
};

typedef int32_t (*ZorExtenderQueryFn)(uint16_t nQuery, void* pData, uint32_t nData);
typedef int32_t (*ZorExtender2Fn)(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t CmdId,
                                  ZorReturnFn pfnReturn, ZorServices* pServices, void* pReserved3, ZorValue* pArgs,
                                  int32_t nArgCount, ZorValue* pResult);

}  // extern "C"

static_assert(sizeof(void*) == 8, "the host interface is defined for 64-bit code only");
// The layouts, field by field, as the host defines them.
static_assert(sizeof(ZorValue) == 56 && offsetof(ZorValue, nValue) == 32 && offsetof(ZorValue, nType) == 36 &&
                  offsetof(ZorValue, pText) == 40 && offsetof(ZorValue, dValue) == 48,
              "host value record: 56 bytes, nValue at 32, nType at 36, pText at 40, dValue at 48");
static_assert(sizeof(ZorServices) == 136 && offsetof(ZorServices, nHostVersion) == 16 &&
                  offsetof(ZorServices, pContext) == 32 && offsetof(ZorServices, StoreToVariable) == 56 &&
                  offsetof(ZorServices, SetArrayElement) == 64 && offsetof(ZorServices, CreateArray) == 72 &&
                  offsetof(ZorServices, SetErrorDetail) == 80 && offsetof(ZorServices, MapOperation) == 128,
              "services table: nHostVersion at 16, pContext at 32, StoreToVariable at 56, SetArrayElement at 64, "
              "CreateArray at 72, SetErrorDetail at 80, MapOperation at 128, 136 bytes in all");
static_assert(offsetof(ZorDescription, nKind) == 4 && offsetof(ZorDescription, nTypes) == 8 &&
                  offsetof(ZorDescription, nValue) == 16 && offsetof(ZorDescription, nSize) == 20 &&
                  offsetof(ZorDescription, szName) == 22,
              "description record: kind at 4, type word at 8, count word at 16, name length at 20, name at 22");
