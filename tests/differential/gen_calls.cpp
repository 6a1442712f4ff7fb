// Writes a zor_shell script of random library calls from a seed, for the
// differential run of scripts/differential.sh: the native and the Windows
// shell run the same script and must print the same transcript.
//
//   gen_calls SEED STATEMENTS
//
// The script works in episodes. Each parses random documents generated as
// trees, builds another with jsConNew and jsValueAdd, then calls every
// function with key paths drawn mostly from its own model of the trees, in
// every written form and with delimiters inside and outside ASCII, with
// number and boolean texts from the runtimes' edge forms, and with arguments
// of every type, some missing, extra or wrong on purpose. Values are read back
// after they are added, so that a difference in what was stored shows.
// The last line counts the calls and statements written.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

// splitmix64: the same sequence from a seed on every compiler and library.
class Random {
public:
    explicit Random(uint64_t nSeed) : m_nState(nSeed) {}
    uint64_t Next() {
        uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }
    bool Percent(unsigned nChance) { return Below(100) < nChance; }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

private:
    uint64_t m_nState;
};

// ---- Inputs ---------------------------------------------------------------

// Member names: spaces, dots, brackets, the empty name, letters outside ASCII,
// every delimiter used below, quotes, a character beyond 16 bits, and one
// longer than an error's detail (128 bytes), cut inside a character.
const std::vector<std::string> kKeys = {std::string(126, 'k') + "é€😀",
                                        "name",
                                        "a",
                                        "b",
                                        "list",
                                        "x1",
                                        "Value",
                                        "with space",
                                        "a.b",
                                        "[x]",
                                        "a]b",
                                        "a[b",
                                        "",
                                        "Zürich",
                                        "été",
                                        "→arrow",
                                        "π",
                                        "日本",
                                        "/slash",
                                        "a|b",
                                        "k:v",
                                        "tab\there",
                                        "§1",
                                        "a§b",
                                        "a→b",
                                        "é",
                                        "ü",
                                        "x😀y",
                                        "q\"uote",
                                        "back\\slash",
                                        "it's",
                                        ".lead",
                                        "trail.",
                                        "0",
                                        "12",
                                        "a.b.c",
                                        "[]",
                                        "]"};

// String contents (UTF-8); control characters reach documents as escapes.
const std::vector<std::string> kStrings = {"",
                                           "text",
                                           "Zürich €",
                                           "😀",
                                           "a\"b",
                                           "back\\",
                                           "\x01",
                                           "line\nfeed",
                                           "tab\there",
                                           "日本語",
                                           "*obj1*",
                                           "null",
                                           "42",
                                           " padded ",
                                           "it's",
                                           "a.b[1]",
                                           "→§é",
                                           "\xC3\xA9t\xC3\xA9",
                                           "\x7F",
                                           "bad \xC0\xAF \xED\xA0\x80 \xE2\x82 \xFF",
                                           std::string("a\0b", 3)};

// Number texts inside documents, as JSON writes them.
const std::vector<std::string> kJsonNumbers = {"0",
                                               "7",
                                               "-5",
                                               "42",
                                               "-0",
                                               "-0.0",
                                               "1.5",
                                               "0.1",
                                               "2.5e-7",
                                               "1e300",
                                               "-1.5e300",
                                               "5e-324",
                                               "1.7976931348623157e308",
                                               "123456.789",
                                               "3.14159265358979",
                                               "9007199254740993",
                                               "9223372036854775807",
                                               "-9223372036854775808",
                                               "18446744073709551615",
                                               "1E2",
                                               "1e-400",
                                               "4.9e-324",
                                               "2.2250738585072011e-308",
                                               "123456789012345678901234567890"};

// Texts for @JsonNum and @JsonBool: the forms on which C runtimes disagree.
const std::vector<std::string> kEdgeNumbers = {"1d5",
                                               "1D5",
                                               "1e5",
                                               "1E+05",
                                               " 12",
                                               "+7",
                                               "-5",
                                               "-0",
                                               "007",
                                               "0x10",
                                               "0X1p3",
                                               "inf",
                                               "-inf",
                                               "infinity",
                                               "nan",
                                               "1e999",
                                               "-1e999",
                                               "1e-400",
                                               "4.9e-324",
                                               "2.2250738585072011e-308",
                                               "1,5",
                                               "1.",
                                               ".5",
                                               ".",
                                               "1e",
                                               "1e+",
                                               "1.5e3x",
                                               "18446744073709551615",
                                               "18446744073709551616",
                                               "-9223372036854775808",
                                               "-9223372036854775809",
                                               "TRUE",
                                               "fAlSe",
                                               "yes",
                                               "",
                                               "   ",
                                               "0",
                                               "1",
                                               "true",
                                               "False",
                                               "2",
                                               "-1",
                                               "42",
                                               "2.5",
                                               "1e3"};

// Delimiters: accepted inside and outside ASCII, and refused ones (an
// astral character is two UTF-16 units).
const std::vector<std::string> kDelimiters = {"/", "|", ":", "\t", "§", "é", "→", "-", "a"};
const std::vector<std::string> kRefusedDelimiters = {"😀", "$", "ab", "", " ", "[", "]", "\\", "'", "\"", "`"};

// ---- The model of a container -------------------------------------------

struct Node {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    std::string strText;            // a scalar's JSON text, or a string's content
    std::vector<std::string> keys;  // an object's member names, in order
    std::vector<Node> items;        // an object's member values or an array's elements

    bool IsContainer() const { return kind == Kind::Array || kind == Kind::Object; }
    static Node Scalar(Kind kind, std::string strText) { return Node{kind, std::move(strText), {}, {}}; }
    static Node Empty(Kind kind) { return Node{kind, "", {}, {}}; }
};

// One step of a place: a member name, or an element index.
struct Step {
    bool bIndex = false;
    std::string strKey;
    size_t nIndex = 0;
};
using Place = std::vector<Step>;

// A container the script holds in a variable.
struct Held {
    std::string strVar;
    Node root;
    bool bOpen = true;
};

// ---- JSON text --------------------------------------------------------------

// Decodes one UTF-8 sequence at i; a byte that starts none is U+FFFD.
uint32_t DecodeUtf8(const std::string& s, size_t& i) {
    const auto b = static_cast<unsigned char>(s[i++]);
    if ((b >= 0x80 && b < 0xC0) || b >= 0xF8) return 0xFFFD;
    const int nMore = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    uint32_t c = nMore == 0 ? b : b & (0x3F >> nMore);
    for (int k = 0; k < nMore && i < s.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return c;
}

// A \u escape of one UTF-16 unit.
std::string Hex4(uint32_t n) {
    std::string strOut = "\\u";
    for (int nShift = 12; nShift >= 0; nShift -= 4) strOut += "0123456789abcdef"[(n >> nShift) & 0xF];
    return strOut;
}

// A JSON string literal; letters outside ASCII raw or as \u escapes.
std::string JsonString(const std::string& s, Random& random) {
    const bool bEscapeAll = random.Percent(30);
    std::string strOut = "\"";
    for (size_t i = 0; i < s.size();) {
        const size_t nStart = i;
        const uint32_t c = DecodeUtf8(s, i);
        if (c == '"' || c == '\\')
            strOut += std::string("\\") + static_cast<char>(c);
        else if (c == '\n')
            strOut += "\\n";
        else if (c < 0x20 || c == 0x7F)
            strOut += Hex4(c);
        else if (c < 0x80 || !bEscapeAll)
            strOut += s.substr(nStart, i - nStart);
        else if (c < 0x10000)
            strOut += Hex4(c);
        else
            strOut += Hex4(0xD800 + ((c - 0x10000) >> 10)) + Hex4(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    return strOut + "\"";
}

// Blanks, tabs or a comment where white space may stand.
std::string Gap(Random& random) {
    switch (random.Below(8)) {
        case 0:
            return " ";
        case 1:
            return "\t";
        case 2:
            return "/* c */";
        default:
            return "";
    }
}

std::string JsonText(const Node& node, Random& random);

std::string JsonMembers(const Node& node, Random& random) {
    std::string strOut;
    for (size_t i = 0; i < node.items.size(); ++i) {
        if (i > 0) strOut += "," + Gap(random);
        if (node.kind == Node::Kind::Object) strOut += JsonString(node.keys[i], random) + Gap(random) + ":";
        strOut += Gap(random) + JsonText(node.items[i], random);
    }
    if (!node.items.empty() && random.Percent(5)) strOut += ",";  // the lenient trailing comma
    return strOut;
}

std::string JsonText(const Node& node, Random& random) {
    switch (node.kind) {
        case Node::Kind::String:
            return JsonString(node.strText, random);
        case Node::Kind::Array:
            return "[" + JsonMembers(node, random) + "]";
        case Node::Kind::Object:
            return "{" + Gap(random) + JsonMembers(node, random) + Gap(random) + "}";
        default:
            return node.strText;
    }
}

// ---- Random trees -----------------------------------------------------------

Node RandomScalar(Random& random) {
    switch (random.Below(6)) {
        case 0:
            return Node::Scalar(Node::Kind::Null, "null");
        case 1:
            return Node::Scalar(Node::Kind::Bool, random.Percent(50) ? "true" : "false");
        case 2:
        case 3:
            return Node::Scalar(Node::Kind::Number, random.Pick(kJsonNumbers));
        default:
            return Node::Scalar(Node::Kind::String, random.Pick(kStrings));
    }
}

Node RandomTree(Random& random, Node::Kind kind, int nDepth) {
    Node node = Node::Empty(kind);
    const size_t nCount = nDepth == 1 ? 2 + random.Below(5) : random.Below(nDepth > 2 ? 3 : 5);
    for (size_t i = 0; i < nCount; ++i) {
        Node item = RandomScalar(random);
        if (nDepth < 4 && random.Percent(35))
            item = RandomTree(random, random.Percent(60) ? Node::Kind::Object : Node::Kind::Array, nDepth + 1);
        if (kind == Node::Kind::Object) {
            const std::string& strKey = random.Pick(kKeys);
            bool bTaken = false;
            for (const std::string& k : node.keys) bTaken = bTaken || k == strKey;
            if (bTaken) continue;
            node.keys.push_back(strKey);
        }
        node.items.push_back(std::move(item));
    }
    return node;
}

// The node at a place, or null when the model has no such place.
template <class N>
N* At(N& root, const Place& place) {
    N* pNode = &root;
    for (const Step& step : place) {
        size_t i = 0;
        if (step.bIndex)
            i = pNode->kind == Node::Kind::Array ? step.nIndex : SIZE_MAX;
        else if (pNode->kind == Node::Kind::Object)
            for (i = 0; i < pNode->keys.size() && pNode->keys[i] != step.strKey; ++i) {}
        else
            i = SIZE_MAX;
        if (i >= pNode->items.size()) return nullptr;
        pNode = &pNode->items[i];
    }
    return pNode;
}

// Puts a value at a place as jsValueAdd does: a new member goes last, an
// array grows with nulls to the index.
void Put(Node& root, const Place& place, const Node& value) {
    if (place.empty()) return;
    Node* pParent = At(root, Place(place.begin(), place.end() - 1));
    if (pParent == nullptr) return;
    const Step& last = place.back();
    if (last.bIndex && pParent->kind == Node::Kind::Array) {
        if (last.nIndex >= pParent->items.size())
            pParent->items.resize(last.nIndex + 1, Node::Scalar(Node::Kind::Null, "null"));
        pParent->items[last.nIndex] = value;
    } else if (!last.bIndex && pParent->kind == Node::Kind::Object) {
        Node* pMember = At(*pParent, {last});
        if (pMember != nullptr)
            *pMember = value;
        else
            pParent->keys.push_back(last.strKey), pParent->items.push_back(value);
    }
}

// A random place inside the tree, of at least nMin steps when the tree has one.
Place RandomPlace(Random& random, const Node& root, size_t nMin, bool bContainersOnly = false) {
    Place place;
    const Node* pNode = &root;
    while (pNode->IsContainer() && !pNode->items.empty()) {
        const size_t i = random.Below(pNode->items.size());
        const Node& next = pNode->items[i];
        if (bContainersOnly && !next.IsContainer()) break;
        place.push_back(pNode->kind == Node::Kind::Object ? Step{false, pNode->keys[i], 0} : Step{true, "", i});
        pNode = &next;
        if (place.size() >= nMin && random.Percent(40)) break;
    }
    return place;
}

// ---- Key paths --------------------------------------------------------------

// A key may stand plain when it holds no bracket, no white space at its ends
// and no byte of the delimiter.
bool PlainKeyFits(const std::string& strKey, const std::string& strDelimiter) {
    if (strKey.empty() || strKey.find_first_of("[]") != std::string::npos) return false;
    if (strKey.front() == ' ' || strKey.back() == ' ' || strKey.front() == '\t' || strKey.back() == '\t') return false;
    return strKey.find_first_of(strDelimiter) == std::string::npos;
}

std::string KeyForm(Random& random, const std::string& strKey, const std::string& strDelimiter) {
    if (PlainKeyFits(strKey, strDelimiter) && random.Percent(65)) return strKey;
    return "[" + strKey + "]";
}

// The key path of a place in a random written form: plain or bracketed keys,
// an index after its key, "[][n]" for an element of an array that is an
// element or the root.
std::string KeyPath(Random& random, const Place& place, const std::string& strDelimiter) {
    std::string strPath;
    for (size_t i = 0; i < place.size(); ++i) {
        if (i > 0) strPath += strDelimiter;
        if (place[i].bIndex) {
            strPath += "[][" + std::to_string(place[i].nIndex) + "]";
            continue;
        }
        strPath += KeyForm(random, place[i].strKey, strDelimiter);
        if (i + 1 < place.size() && place[i + 1].bIndex) strPath += "[" + std::to_string(place[++i].nIndex) + "]";
    }
    return strPath;
}

// A path broken on purpose: a missing member, an index out of range or
// malformed, an empty or blank path, a stray delimiter or bracket.
std::string BrokenPath(Random& random, std::string strPath, const std::string& strDelimiter) {
    static const std::vector<std::string> kIndexes = {
        "[99]", "[x]", "[-1]", "[ 1]", "[+1]", "[01]", "[]", "[1x]", "[18446744073709551616]"};
    switch (random.Below(9)) {
        case 0:
            return strPath + strDelimiter + "missing";
        case 1:
            return strPath + random.Pick(kIndexes);
        case 2:
            return "";
        case 3:
            return "  " + strPath + "\t";
        case 4:
            return strPath + strDelimiter;
        case 5:
            return strDelimiter + strPath;
        case 6:
            return strPath + strDelimiter + strDelimiter + "a";
        case 7:
            return random.Percent(50) ? "[" + strPath : strPath + strDelimiter + std::string(1100, 'm');
        default:
            return strPath + strDelimiter + "[]" + random.Pick(kIndexes);
    }
}

// ---- The script -------------------------------------------------------------

// A text of the notation in either quote, the quote doubled inside.
std::string Quoted(const std::string& strText, char quote) {
    std::string strOut(1, quote);
    for (char c : strText) {
        strOut += c;
        if (c == quote) strOut += quote;
    }
    return strOut + quote;
}

class Writer {
public:
    explicit Writer(uint64_t nSeed) : m_random(nSeed) {}

    void Run(size_t nStatements) {
        std::cout << "found = 0\nhost.table()\n";
        for (size_t nEpisode = 1; m_nStatements < nStatements; ++nEpisode) Episode(nEpisode, nStatements);
        std::cout << "# " << m_nCalls << " calls in " << m_nStatements << " statements\n";
    }

private:
    // ---- Output ----

    void Line(const std::string& strLine) {
        std::cout << strLine << "\n";
        ++m_nStatements;
    }

    std::string Call(const std::string& strName, const std::vector<std::string>& args) {
        ++m_nCalls;
        std::string strCall = strName + "(";
        for (size_t i = 0; i < args.size(); ++i) strCall += (i > 0 ? ", " : "") + args[i];
        return strCall + ")";
    }

    std::string Text(const std::string& strText) {
        const bool bHasDouble = strText.find('"') != std::string::npos;
        return Quoted(strText, bHasDouble != m_random.Percent(15) ? '\'' : '"');
    }

    // ---- Episodes ----

    void Episode(size_t nEpisode, size_t nStatements) {
        std::cout << "\n# episode " << nEpisode << "\n";
        m_held.clear();
        for (int i = 0, n = 1 + static_cast<int>(m_random.Below(3)); i < n; ++i) ParseDocument();
        BuildDocument();
        Line("bytes = " + Call("jsSerialize", {m_held[0].strVar, "0"}));
        Line("paths = " + Call("jsKeyPaths", {m_held[0].strVar, "\"\""}));
        for (size_t i = 0, n = 60 + m_random.Below(80); i < n && m_nStatements < nStatements; ++i) RandomCall();
        Line(Call("jsGetInfo", {"3"}));
        if (m_random.Percent(50))
            Line(Call("jsConClose", {}));
        else
            Line(Call("jsConClose", {Text(m_random.Percent(50) ? "" : " \t")}));
        Line(Call("jsGetInfo", {"3"}));
    }

    // A new variable, holding a handle that names nothing until a call
    // stores one: a failed call leaves it so.
    std::string NewVar(const char* szPrefix) {
        const std::string strVar = szPrefix + std::to_string(++m_nVars);
        std::cout << strVar << " = '*obj1*'\n";
        return strVar;
    }

    void ParseDocument() {
        Held held{NewVar("d"), RandomTree(m_random, m_random.Percent(70) ? Node::Kind::Object : Node::Kind::Array, 1)};
        Line(held.strVar + " = " + Call("jsParse", {Text(Gap(m_random) + JsonText(held.root, m_random))}));
        m_held.push_back(std::move(held));
    }

    // A tree put together member by member with jsConNew and jsValueAdd, and
    // written out for comparison.
    void BuildDocument() {
        const bool bArray = m_random.Percent(30);
        const Node tree = RandomTree(m_random, bArray ? Node::Kind::Array : Node::Kind::Object, 2);
        Held held{NewVar("c"), Node::Empty(tree.kind)};
        const char* szType = bArray ? (m_random.Percent(50) ? "@JsonArr" : "@JsonArray")
                                    : (m_random.Percent(50) ? "@JsonObj" : "@JsonObject");
        Line(held.strVar + " = " + Call("jsConNew", {szType}));
        m_held.push_back(held);
        BuildMembers(m_held.size() - 1, tree, {});
        Line(Call("jsSerialize", {held.strVar, std::to_string(m_random.Below(2))}));
    }

    // Each member or element in turn, containers first made empty, with
    // accepted delimiters only.
    void BuildMembers(size_t nHeld, const Node& node, const Place& place) {
        for (size_t i = 0; i < node.items.size(); ++i) {
            const Node& item = node.items[i];
            Place child = place;
            child.push_back(node.kind == Node::Kind::Object ? Step{false, node.keys[i], 0} : Step{true, "", i});
            const std::string strDelimiter = m_random.Percent(60) ? "" : m_random.Pick(kDelimiters);
            const auto args = BuildArgs(item);
            Held& held = m_held[nHeld];
            Line(Call("jsValueAdd", WithDelimiter({held.strVar, Text(KeyPath(m_random, child, Effective(strDelimiter))),
                                                   Text(args.first), args.second},
                                                  strDelimiter)));
            Put(held.root, child, item.IsContainer() ? Node::Empty(item.kind) : item);
            if (item.IsContainer()) BuildMembers(nHeld, item, child);
        }
    }

    // The value text and type that make a node (containers empty).
    std::pair<std::string, std::string> BuildArgs(const Node& node) {
        switch (node.kind) {
            case Node::Kind::Null:
                return {"", "@JsonNull"};
            case Node::Kind::Bool:
                return {node.strText, "@JsonBool"};
            case Node::Kind::Number:
                return {node.strText, "@JsonNum"};
            case Node::Kind::String:
                return {Printable(node.strText), "@JsonStr"};
            case Node::Kind::Array:
                return {"", m_random.Percent(50) ? "@JsonArr" : "@JsonArray"};
            default:
                return {"", "@JsonObj"};
        }
    }

    // A script line holds no line feed or other control character but a tab.
    static std::string Printable(std::string s) {
        for (char& c : s)
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) c = '?';
        return s;
    }

    // ---- Calls ----

    Held& AnyHeld() {
        Held& held = m_held[m_random.Below(m_held.size())];
        if (held.bOpen || m_random.Percent(10)) return held;
        for (Held& other : m_held)
            if (other.bOpen) return other;
        return held;
    }

    std::string Delimiter() {
        if (m_random.Percent(55)) return "";
        if (m_random.Percent(20)) return ".";
        if (m_random.Percent(8)) return m_random.Pick(kRefusedDelimiters);
        return m_random.Pick(kDelimiters);
    }

    // The arguments of a call, with the delimiter when one is given.
    std::vector<std::string> WithDelimiter(std::vector<std::string> args, const std::string& strDelimiter) {
        if (!strDelimiter.empty() || m_random.Percent(3)) args.push_back(Text(strDelimiter));
        return args;
    }

    static std::string Effective(const std::string& strDelimiter) { return strDelimiter.empty() ? "." : strDelimiter; }

    // A key path to a place of the held tree, broken now and then.
    std::string PathTo(const Place& place, const std::string& strDelimiter) {
        const std::string strPath = KeyPath(m_random, place, Effective(strDelimiter));
        return m_random.Percent(10) ? BrokenPath(m_random, strPath, Effective(strDelimiter)) : strPath;
    }

    void RandomCall() {
        const size_t n = m_random.Below(100);
        if (n < 22)
            ValueGet();
        else if (n < 30)
            ValueType();
        else if (n < 50)
            ValueAdd();
        else if (n < 58)
            KeyPaths();
        else if (n < 64)
            KeyExist();
        else if (n < 70)
            Serialize();
        else if (n < 74)
            ConMap();
        else if (n < 78)
            GetInfo();
        else if (n < 83)
            ParseOrValid();
        else if (n < 85)
            ConNew();
        else if (n < 87)
            ConClose();
        else
            WrongArguments();
    }

    void ValueGet() {
        Held& held = AnyHeld();
        const Place place = RandomPlace(m_random, held.root, 1);
        const std::string strDelimiter = Delimiter();
        const std::string strCall =
            Call("jsValueGet", WithDelimiter({held.strVar, Text(PathTo(place, strDelimiter))}, strDelimiter));
        const Node* pNode = At(held.root, place);
        if (pNode == nullptr || !pNode->IsContainer() || !held.bOpen || place.empty() || !m_random.Percent(50))
            return Line(strCall);
        // A copy taken out becomes a container of its own, to be used in turn.
        Held copy{NewVar("v"), *pNode};
        Line(copy.strVar + " = " + strCall);
        m_held.push_back(std::move(copy));
    }

    void ValueType() {
        Held& held = AnyHeld();
        const std::string strDelimiter = Delimiter();
        const Place place = RandomPlace(m_random, held.root, 1);
        Line(Call("jsValueType", WithDelimiter({held.strVar, Text(PathTo(place, strDelimiter))}, strDelimiter)));
    }

    // Where an add goes: an existing place, a new member of an object, or an
    // element at or past the end of an array.
    Place AddPlace(const Node& root) {
        Place place = RandomPlace(m_random, root, 0, m_random.Percent(50));
        const Node* pNode = At(root, place);
        if (pNode == nullptr || !pNode->IsContainer() || (m_random.Percent(30) && !place.empty())) return place;
        if (pNode->kind == Node::Kind::Object)
            place.push_back(Step{false, m_random.Pick(kKeys), 0});
        else
            place.push_back(Step{true, "", pNode->items.size() + m_random.Below(3)});
        return place;
    }

    std::string NumberText() { return m_random.Percent(30) ? LongDecimal() : m_random.Pick(kEdgeNumbers); }

    // Up to 40 digits, with an exponent so large that the six-decimal fixed
    // form of the stored double shows every digit.
    std::string LongDecimal() {
        std::string strDigits(1, static_cast<char>('1' + m_random.Below(9)));
        for (size_t i = 0, n = m_random.Below(40); i < n; ++i) strDigits += static_cast<char>('0' + m_random.Below(10));
        if (m_random.Percent(50)) strDigits.insert(1 + m_random.Below(strDigits.size()), ".");
        return (m_random.Percent(20) ? "-" : "") + strDigits + (m_random.Percent(50) ? "e" : "E") +
               std::to_string(17 + m_random.Below(284));
    }

    // A value text, its type argument and the node it makes in the model;
    // a value that cannot be added leaves the model as it is.
    struct Value {
        std::string strText, strType;
        Node node;
        bool bAdds = true;
    };

    Value RandomValue(const Held& target) {
        switch (m_random.Below(9)) {
            case 0:
            case 1:
                return {NumberText(), "@JsonNum", Node::Scalar(Node::Kind::Number, "0")};
            case 2:
                return {NumberText(), m_random.Percent(50) ? "@JsonBool" : "2", Node::Scalar(Node::Kind::Bool, "true")};
            case 3:
                return {Printable(m_random.Pick(kStrings)), "@JsonStr", Node::Scalar(Node::Kind::String, "")};
            case 4:
                return {"", "@JsonNull", Node::Scalar(Node::Kind::Null, "null")};
            case 5:
                return {"", "@JsonArr", Node::Empty(Node::Kind::Array)};
            case 6:
                return ObjectValue(target);
            case 7:
                return {"x", m_random.Pick(std::vector<std::string>{"0", "3", "64", "-1", "'4'"}), Node(), false};
            default:
                return {Printable(m_random.Pick(kKeys)), "@JsonStr", Node::Scalar(Node::Kind::String, "")};
        }
    }

    // @JsonObj: an empty object, a copy of another container, or a handle
    // that cannot serve (the target itself, an array, one never made).
    Value ObjectValue(const Held& target) {
        const Held& source = m_held[m_random.Below(m_held.size())];
        if (m_random.Percent(30)) return {"", "@JsonObj", Node::Empty(Node::Kind::Object)};
        if (m_random.Percent(10)) return {"*obj1*", "@JsonObject", Node(), false};
        const bool bCopies = source.bOpen && source.root.kind == Node::Kind::Object && &source != &target;
        return {"\x01" + source.strVar, "@JsonObj", source.root, bCopies};
    }

    // The value argument: a text, or (marked by \x01) a variable.
    std::string ValueArgument(const std::string& strText) {
        return !strText.empty() && strText[0] == '\x01' ? strText.substr(1) : Text(strText);
    }

    void ValueAdd() {
        Held& held = AnyHeld();
        const Place place = AddPlace(held.root);
        const std::string strDelimiter = Delimiter();
        const std::string strPath = PathTo(place, strDelimiter);
        const Value value = RandomValue(held);
        Line(Call("jsValueAdd", WithDelimiter({held.strVar, Text(strPath), ValueArgument(value.strText), value.strType},
                                              strDelimiter)));
        if (value.bAdds) Put(held.root, place, value.node);
        // Read back what was stored, in another written form now and then.
        if (m_random.Percent(85)) {
            const std::string strAgain = Delimiter();
            Line(Call("jsValueGet",
                      WithDelimiter({held.strVar, Text(KeyPath(m_random, place, Effective(strAgain)))}, strAgain)));
        }
        if (m_random.Percent(15)) Line(Call("jsSerialize", {held.strVar, std::to_string(m_random.Below(2))}));
    }

    // A search: everything, a member name, a name with an index, below a
    // parent path, or an index that a search refuses.
    std::string Search(const Node& root, const std::string& strDelimiter) {
        const Place place = RandomPlace(m_random, root, 1);
        if (place.empty() || m_random.Percent(10)) return "";
        Place parent(place.begin(), place.end() - 1);
        std::string strLast = place.back().bIndex ? "[]" : KeyForm(m_random, place.back().strKey, strDelimiter);
        if (m_random.Percent(20)) strLast += m_random.Pick(std::vector<std::string>{"[0]", "[1]", "[]", "[x]", "[-1]"});
        if (parent.empty() || m_random.Percent(50)) return strLast;
        return KeyPath(m_random, parent, strDelimiter) + strDelimiter + strLast;
    }

    void KeyPaths() {
        Held& held = AnyHeld();
        const std::string strDelimiter = Delimiter();
        Line(Call("jsKeyPaths",
                  WithDelimiter({held.strVar, Text(Search(held.root, Effective(strDelimiter)))}, strDelimiter)));
    }

    // The delimiter goes only with a pointer.
    void KeyExist() {
        Held& held = AnyHeld();
        const bool bPointer = m_random.Percent(60);
        const std::string strDelimiter = bPointer ? Delimiter() : "";
        std::vector<std::string> args = {held.strVar, Text(Search(held.root, Effective(strDelimiter)))};
        if (!bPointer) return Line(Call("jsKeyExist", args));
        args.push_back(m_random.Percent(90) ? "host.pointer(\"found\")"
                                            : m_random.Pick(std::vector<std::string>{"bytes", "'found'", "7"}));
        Line(Call("jsKeyExist", WithDelimiter(args, strDelimiter)));
        Line("found");
    }

    void Serialize() {
        static const std::vector<std::string> kLayouts = {"0", "1", "1", "0", "7", "-1", "@JsonUTF16"};
        static const std::vector<std::string> kEncodings = {"@JsonUTF8", "@JsonUTF16", "@JsonUTF16", "0", "3"};
        std::vector<std::string> args = {AnyHeld().strVar, m_random.Pick(kLayouts)};
        if (m_random.Percent(60)) args.push_back(m_random.Pick(kEncodings));
        Line(Call("jsSerialize", args));
    }

    void ConMap() {
        static const std::vector<std::string> kModes = {"@JsonValue", "@JsonType", "@JsonType", "0", "3", "2"};
        std::vector<std::string> args = {AnyHeld().strVar};
        if (m_random.Percent(70)) args.push_back(m_random.Pick(kModes));
        Line(Call("jsConMap", args));
    }

    void GetInfo() {
        static const std::vector<std::string> kRequests = {
            "0", "1", "2", "3", "4", "4", "4", "101", "5", "-1", "20131", "@JsonArr", "2147483647", "-2147483648"};
        std::vector<std::string> args = {m_random.Percent(20) ? std::to_string(20101 + m_random.Below(30))
                                                              : m_random.Pick(kRequests)};
        if (args[0] == "4" || m_random.Percent(10)) args.push_back(AnyHeld().strVar);
        Line(Call("jsGetInfo", args));
    }

    // jsParse and jsValid over documents, their broken variants and texts
    // that are no array or object.
    void ParseOrValid() {
        static const std::vector<std::string> kOthers = {"",
                                                         "  ",
                                                         "5",
                                                         "\"s\"",
                                                         "null",
                                                         "[1] [2]",
                                                         "{} x",
                                                         "[1,]",
                                                         "{\"a\":1,}",
                                                         "/* c */ [1] // d",
                                                         "[1",
                                                         "{\"a\"}",
                                                         "[\"\\ud800\"]",
                                                         std::string(33, '[') + std::string(33, ']'),
                                                         std::string(32, '[') + std::string(32, ']')};
        std::string strText =
            JsonText(RandomTree(m_random, m_random.Percent(50) ? Node::Kind::Object : Node::Kind::Array, 2), m_random);
        if (m_random.Percent(30))
            strText = strText.substr(0, m_random.Below(strText.size()));
        else if (m_random.Percent(30))
            strText = m_random.Pick(kOthers);
        if (m_random.Percent(50)) return Line(Call("jsValid", {Text(strText)}));
        Line(Call("jsGetInfo", {"4", Call("jsParse", {Text(strText)})}));
    }

    void ConNew() {
        static const std::vector<std::string> kTypes = {"@JsonArr", "@JsonObj", "@JsonArray", "@JsonObject",
                                                        "48",       "0",        "'16'",       "@JsonNum"};
        const std::string strType = m_random.Pick(kTypes);
        if (strType != "@JsonArr" && strType != "@JsonObj") return Line(Call("jsConNew", {strType}));
        Held held{NewVar("n"), Node::Empty(strType == "@JsonArr" ? Node::Kind::Array : Node::Kind::Object)};
        Line(held.strVar + " = " + Call("jsConNew", {strType}));
        m_held.push_back(std::move(held));
    }

    // One container, with an extra argument now and then; or an argument
    // that closes nothing.
    void ConClose() {
        static const std::vector<std::string> kOthers = {"1", "'*obj1*'", "paths", "bytes", "@JsonObj"};
        Held& held = AnyHeld();
        if (m_random.Percent(20)) return Line(Call("jsConClose", {m_random.Pick(kOthers)}));
        std::vector<std::string> args = {held.strVar};
        if (m_random.Percent(15)) args.push_back(m_random.Pick(kOthers));
        Line(Call("jsConClose", args));
        held.bOpen = false;
        Line(Call("jsGetInfo", {"3"}));
    }

    // Any function but jsConClose (an empty text would close everything) with
    // arguments missing, one too many, or of the wrong type.
    void WrongArguments() {
        static const std::vector<std::string> kFunctions = {"jsParse",    "jsValid",     "jsConMap",   "jsConNew",
                                                            "jsValueGet", "jsValueType", "jsValueAdd", "jsKeyPaths",
                                                            "jsKeyExist", "jsGetInfo",   "jsSerialize"};
        const std::vector<std::string> kArguments = {
            AnyHeld().strVar,          "\"a\"", "'[1]'", "0",    "1", "@JsonStr", "bytes", "paths",
            "host.pointer(\"found\")", "\"\"",  "-7",    "\".\""};
        std::vector<std::string> args;
        for (size_t i = 0, n = m_random.Below(7); i < n; ++i) args.push_back(m_random.Pick(kArguments));
        Line(Call(m_random.Pick(kFunctions), args));
    }

    Random m_random;
    std::vector<Held> m_held;
    size_t m_nVars = 0;
    size_t m_nStatements = 0;
    size_t m_nCalls = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: gen_calls SEED STATEMENTS\n";
        return 2;
    }
    Writer(std::strtoull(argv[1], nullptr, 10)).Run(std::strtoull(argv[2], nullptr, 10));
    return 0;
}
