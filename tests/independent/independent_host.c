/* An independent host: written in plain C from the published host interface
   alone, sharing no code with the library or the reference host. It loads an
   extender (argument 1, or the one beside it) and checks what any host would
   see: negotiation, title and version, the entry table byte for byte, message
   texts, handle numbers, and a translation from a language file written
   beside a copy of the extender.

   Usage: independent_host [extender] */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#define MODULE_NAME "qrbjs64i.dll"
#else
#include <dlfcn.h>
#include <unistd.h>
#define MODULE_NAME "qrbjs64i.so"
#endif

/* ---- The interface, as published ------------------------------------------ */

typedef struct Record {
    uint8_t host[32];
    int32_t nValue;
    uint32_t nType;
    void* pText;
    double dValue;
} Record;

typedef struct Services Services;
typedef int32_t (*ReturnFn)(int32_t, uint32_t, Services*, Record*);

struct Services {
    uint8_t reserved0[16];
    uint32_t nHostVersion;
    uint8_t reserved1[12];
    void* pContext;
    uint8_t reserved2[16];
    void* StoreToVariable;
    void* SetArrayElement;
    void* CreateArray;
    void (*SetErrorDetail)(void*, const char*);
    uint8_t reserved3[40];
    void* MapOperation;
};

typedef int32_t (*QueryFn)(uint16_t, void*, uint32_t);
typedef int32_t (*CallFn)(void*, void*, uint32_t, int16_t, ReturnFn, Services*, void*, Record*, int32_t, Record*);

/* ---- A minimal host ----------------------------------------------------------- */

static QueryFn g_query;
static CallFn g_call;
static Services g_services;
static int g_passed, g_failed;

static struct {
    int calls;
    int32_t status;
    uint32_t cookie;
    Record result;
    char text8[512];
    uint16_t text16[512];
    char detail[512];
} g_last;

static void Check(int ok, const char* what) {
    if (ok) {
        ++g_passed;
    } else {
        ++g_failed;
        printf("FAILED: %s\n", what);
    }
}

static int32_t OnReturn(int32_t status, uint32_t cookie, Services* services, Record* result) {
    (void)services;
    ++g_last.calls;
    g_last.status = status;
    g_last.cookie = cookie;
    g_last.result = *result;
    g_last.text8[0] = 0;
    g_last.text16[0] = 0;
    if (result->nType == 2 && result->pText) snprintf(g_last.text8, sizeof g_last.text8, "%s", (char*)result->pText);
    if (result->nType == 0x80 && result->pText) {
        const uint16_t* p = (const uint16_t*)result->pText;
        size_t n = 0;
        while (p[n] && n + 1 < 512) {
            g_last.text16[n] = p[n];
            ++n;
        }
        g_last.text16[n] = 0;
    }
    return 77; /* what the entry must hand back unchanged */
}

static void OnDetail(void* context, const char* text) {
    (void)context;
    snprintf(g_last.detail, sizeof g_last.detail, "%s", text);
}

static int32_t Invoke(int16_t cmd, Record* args, int32_t count) {
    static uint32_t cookie = 1000;
    Record result;
    memset(&result, 0, sizeof result);
    memset(&g_last, 0, sizeof g_last);
    return g_call(NULL, NULL, ++cookie, cmd, OnReturn, &g_services, NULL, args, count, &result);
}

static void Integer(Record* r, int32_t value) {
    memset(r, 0, sizeof *r);
    r->nType = 1;
    r->nValue = value;
}

static void Text(Record* r, const uint16_t* text) {
    memset(r, 0, sizeof *r);
    r->nType = 0x80;
    r->pText = (void*)text;
}

/* UTF-16 from ASCII, into a static ring of buffers. */
static const uint16_t* U(const char* s) {
    static uint16_t ring[8][128];
    static int next;
    uint16_t* out = ring[next++ % 8];
    size_t i = 0;
    for (; s[i] && i < 127; ++i) out[i] = (unsigned char)s[i];
    out[i] = 0;
    return out;
}

static int SameText(const uint16_t* a, const char* b) {
    size_t i = 0;
    for (; b[i]; ++i)
        if (a[i] != (unsigned char)b[i]) return 0;
    return a[i] == 0;
}

static int Load(const char* path) {
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path);
    if (!module) return 0;
    g_query = (QueryFn)(void (*)(void))GetProcAddress(module, "ZORExtenderQueryW");
    g_call = (CallFn)(void (*)(void))GetProcAddress(module, "ZORExtender2W");
#else
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module) return 0;
    *(void**)&g_query = dlsym(module, "ZORExtenderQueryW");
    *(void**)&g_call = dlsym(module, "ZORExtender2W");
#endif
    return g_query && g_call;
}

/* ---- What any host sees ---------------------------------------------------------- */

static void CheckNegotiation(void) {
    int32_t both[] = {4, 5}, four[] = {4};
    Check(g_query(2, both, 2) == 5, "query 2 with {4, 5} answers 5");
    Check(g_query(2, four, 1) == -1, "query 2 with {4} answers -1");
    Check(g_query(2, both, 0) == -1, "query 2 with no versions answers -1");
    Check(g_query(3, NULL, 0) == 0, "query 3 answers 0");
}

static void CheckVersion(void) {
    uint16_t title[261];
    memset(title, 0xAB, sizeof title);
    Check(g_query(1, title, 261) == 44009, "version query answers 44009");
    Check(SameText(title, "ZOR JSON extender"), "title in a large buffer");
    memset(title, 0xAB, sizeof title);
    g_query(1, title, 5);
    Check(SameText(title, "ZOR ") && title[5] == 0xABAB, "a buffer of 5 gets 4 units and a terminator");
    memset(title, 0xAB, sizeof title);
    g_query(1, title, 1);
    Check(title[0] == 0 && title[1] == 0xABAB, "a buffer of 1 gets the terminator only");
    Check(g_query(1, NULL, 100) == 44009, "a null buffer still gets the version");
}

static const struct {
    const char* name;
    uint32_t kind;
    uint32_t value;
    uint64_t types;
} kTable[24] = {
    {"jsparse", 2, 0x001, 0x5},
    {"jsvalid", 2, 0x001, 0x5},
    {"jsconmap", 2, 0x101, 0x5},
    {"jsconnew", 2, 0x001, 0x5},
    {"jsvalueget", 2, 0x102, 0x5555},
    {"jsvaluetype", 2, 0x102, 0x555},
    {"jsvalueadd", 2, 0x103, 0x50555},
    {"jskeypaths", 2, 0x102, 0x555},
    {"jskeyexist", 2, 0x202, 0x5155},
    {"jsconclose", 2, 0x100, 0x5},
    {"jsgetinfo", 2, 0x101, 0x50},
    {"jsserialize", 2, 0x102, 0x5},
    {"@jsonnull", 3, 1, 0},
    {"@jsonbool", 3, 2, 0},
    {"@jsonnum", 3, 4, 0},
    {"@jsonstr", 3, 8, 0},
    {"@jsonarr", 3, 16, 0},
    {"@jsonarray", 3, 16, 0},
    {"@jsonobj", 3, 32, 0},
    {"@jsonobject", 3, 32, 0},
    {"@jsonutf8", 3, 1, 0},
    {"@jsonutf16", 3, 2, 0},
    {"@jsonvalue", 3, 1, 0},
    {"@jsontype", 3, 2, 0},
};

static void Put16(uint8_t* p, uint16_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
static void Put32(uint8_t* p, uint32_t v) {
    Put16(p, (uint16_t)v);
    Put16(p + 2, (uint16_t)(v >> 16));
}

static void CheckTable(void) {
    uint8_t record[128], expected[128];
    int i;
    Check(Invoke(-1, NULL, 0) == 24, "CmdId -1 answers 24");
    Check(Invoke(-3, NULL, 0) == 1, "CmdId -3 answers 1");
    for (i = 0; i < 24; ++i) {
        size_t n = strlen(kTable[i].name), k;
        char what[96];
        memset(record, 0xCC, sizeof record);
        memset(expected, 0xCC, sizeof expected);
        Put32(expected, (uint32_t)i);
        Put32(expected + 4, kTable[i].kind);
        Put32(expected + 8, (uint32_t)kTable[i].types);
        Put32(expected + 12, (uint32_t)(kTable[i].types >> 32));
        Put32(expected + 16, kTable[i].value);
        Put16(expected + 20, (uint16_t)n);
        for (k = 0; k <= n; ++k) Put16(expected + 22 + 2 * k, (uint16_t)(unsigned char)kTable[i].name[k]);
        snprintf(what, sizeof what, "describe record of entry %d (%s) byte for byte", i, kTable[i].name);
        Check(Invoke(-2, (Record*)record, i) == 1 && memcmp(record, expected, sizeof record) == 0, what);
    }
    memset(record, 0xCC, sizeof record);
    memcpy(expected, record, sizeof record);
    Check(Invoke(-2, (Record*)record, 24) == 0 && !memcmp(record, expected, sizeof record),
          "describe 24 answers 0, writes nothing");
    Check(Invoke(-2, (Record*)record, -1) == 0 && !memcmp(record, expected, sizeof record),
          "describe -1 answers 0, writes nothing");
    Check(Invoke(-2, NULL, 3) == 1, "describe with no record answers 1");
    Check(Invoke(12, NULL, 0) == 0 && g_last.calls == 0, "a constant's CmdId answers 0 and calls back nothing");
    Check(Invoke(24, NULL, 0) == 0 && Invoke(-4, NULL, 0) == 0, "CmdIds outside the table answer 0");
}

static void CheckInfo(void) {
    Record args[2];
    Integer(&args[0], 0);
    Check(Invoke(10, args, 1) == 77 && g_last.calls == 1 && g_last.status == 0 && g_last.result.nType == 1 &&
              g_last.result.nValue == 44009,
          "jsGetInfo(0) gives 44009 through the callback, whose answer comes back");
    Integer(&args[0], 1);
    Invoke(10, args, 1);
    Check(g_last.result.nValue == 12, "jsGetInfo(1) gives 12 functions");
    Integer(&args[0], 2);
    Invoke(10, args, 1);
    Check(g_last.result.nValue == 12, "jsGetInfo(2) gives 12 constants");
    Integer(&args[0], 101);
    Invoke(10, args, 1);
    Check(g_last.result.nType == 0x80 && SameText(g_last.text16, "ZOR JSON extender"),
          "jsGetInfo(101) gives the title");
    Integer(&args[0], 20104);
    Invoke(10, args, 1);
    Check(SameText(g_last.text16, "20104: JSON handle is not valid"), "jsGetInfo(20104) gives the message");
    Integer(&args[0], 5);
    Invoke(10, args, 1);
    Check(g_last.result.nType == 0x80 && g_last.text16[0] == 0, "jsGetInfo(5) gives an empty text");
    Integer(&args[0], 4);
    Invoke(10, args, 1);
    Check(g_last.status == -1 && g_last.result.nType == 2 && !strcmp(g_last.text8, "20106: Wrong number of parameters"),
          "jsGetInfo(4) without a handle fails with 20106");
    Text(&args[1], U("*arr1*"));
    Invoke(10, args, 2);
    Check(g_last.status == -1 && !strcmp(g_last.text8, "20104: JSON handle is not valid"),
          "jsGetInfo(4) with an unknown handle fails with 20104");
}

/* ---- A translation beside a copy of the extender ------------------------------------ */

static int CopyBytes(const char* from, const char* to) {
    FILE* in = fopen(from, "rb");
    FILE* out = in ? fopen(to, "wb") : NULL;
    char buffer[65536];
    size_t n;
    int ok = in && out;
    while (ok && (n = fread(buffer, 1, sizeof buffer, in)) > 0) ok = fwrite(buffer, 1, n, out) == n;
    if (in) fclose(in);
    if (out) fclose(out);
    return ok;
}

static void CheckTranslation(const char* path, const char* folder) {
    char copy[1024], language[1024];
    Record args[2];
    FILE* file;
    snprintf(copy, sizeof copy, "%s/%s", folder, MODULE_NAME);
    snprintf(language, sizeof language, "%s/QRVELANG.enu", folder);
    file = fopen(language, "wb");
    if (!file || !CopyBytes(path, copy)) {
        Check(0, "copying the extender into a temporary folder");
        if (file) fclose(file);
        return;
    }
    fputs("[qrbjs64i Extender]\r\n20104=Handle|kaputt~neu\r\n", file);
    fclose(file);
    Check(Load(copy), "loading the copy");
    g_query(1, NULL, 0);
    Integer(&args[0], 4);
    Text(&args[1], U("*obj9*"));
    Invoke(10, args, 2);
    Check(!strcmp(g_last.text8, "Handle\tkaputt\nneu"), "the error text comes from the language file");
    Integer(&args[0], 20105);
    Invoke(10, args, 1);
    Check(SameText(g_last.text16, "20105: JSON parser error"), "a key absent from the language file falls back");
    remove(language);
    remove(copy);
}

static const char* DefaultPath(const char* program) {
    static char path[1024];
    const char* slash = strrchr(program, '/');
    const char* backslash = strrchr(program, '\\');
    size_t n;
    if (backslash > slash) slash = backslash;
    n = slash ? (size_t)(slash - program + 1) : 0;
    snprintf(path, sizeof path, "%.*s%s", (int)n, program, MODULE_NAME);
    return path;
}

static const char* TempFolder(void) {
    static char folder[1024];
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    snprintf(folder, sizeof folder, "%sindependent-host-%lu", base, (unsigned long)GetCurrentProcessId());
    CreateDirectoryA(folder, NULL);
#else
    snprintf(folder, sizeof folder, "/tmp/independent-host-XXXXXX");
    if (!mkdtemp(folder)) return NULL;
#endif
    return folder;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : DefaultPath(argv[0]);
    const char* folder;
    g_services.nHostVersion = 1100;
    g_services.SetErrorDetail = OnDetail;
    if (!Load(path)) {
        printf("cannot load %s\n", path);
        return 2;
    }
    CheckNegotiation();
    CheckVersion();
    CheckTable();
    CheckInfo();
    folder = TempFolder();
    if (folder) CheckTranslation(path, folder);
    Check(folder != NULL, "a temporary folder");
    printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
