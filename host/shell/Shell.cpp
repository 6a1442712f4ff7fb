#include "host/shell/Shell.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <utility>

#include "host/shell/TextFiles.h"

namespace zorshell {

using zorhost::CallResult;
using zorhost::EntryInfo;
using zorhost::HostValue;
using Arguments = std::vector<HostValue>;

namespace {

constexpr int32_t kInterfaceVersion = 5;
constexpr char kFailUsage[] = "host.fail(service, status[, after]) or host.fail()";

// A numbered error that the library returned; the call holds its message and details.
struct LibraryError {
    CallResult call;
};

std::string AsciiLower(std::string strText) {
    for (char& c : strText)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return strText;
}

// A blank line or a comment line: nothing to run.
bool IsQuiet(std::string_view strLine) {
    const size_t nFirst = strLine.find_first_not_of(" \t");
    return nFirst == std::string_view::npos || strLine[nFirst] == '#';
}

// A text argument of a built-in as UTF-8 (8-bit texts as they are).
std::string TextArgument(const HostValue& value, const char* szWhat) {
    if (value.kind() == HostValue::Kind::Text16) return zorhost::ToUtf8(value.text16());
    if (value.kind() == HostValue::Kind::Text8) return value.text8();
    throw ShellError(std::string(szWhat) + " must be a text");
}

// A built-in called with arguments its usage does not allow.
ShellError UsageError(const char* szUsage) { return ShellError(std::string("the call is written ") + szUsage); }

// An integer argument of a built-in from 0 up.
uint32_t CountArgument(const HostValue& value, const char* szWhat) {
    if (value.kind() != HostValue::Kind::Integer || value.integer() < 0)
        throw ShellError(std::string(szWhat) + " must be an integer from 0");
    return static_cast<uint32_t>(value.integer());
}

// The host service named by a built-in's argument, in any letter case.
zorhost::Service ServiceArgument(const HostValue& value) {
    static const std::pair<const char*, zorhost::Service> services[] = {
        {"createarray", zorhost::Service::CreateArray},
        {"setarrayelement", zorhost::Service::SetArrayElement},
        {"storetovariable", zorhost::Service::StoreToVariable},
        {"mapoperation", zorhost::Service::MapOperation},
    };
    const std::string strName = TextArgument(value, "the service");
    for (const auto& [szName, service] : services)
        if (AsciiLower(strName) == szName) return service;
    throw ShellError("the host has no service " + strName +
                     " (CreateArray, SetArrayElement, StoreToVariable, MapOperation)");
}

// Why a call's answer cannot be believed; empty when it keeps the protocol:
// one run of the return callback, with this call's arguments and a status of
// 0 or -1, and a result record the host can read.
std::string ProtocolFault(const CallResult& call) {
    if (call.callbackCount != 1) return "the return callback ran " + Decimal(call.callbackCount) + " times";
    if (!call.callbackArgsOk) return "the return callback got another call's cookie, services or record";
    if (call.status != 0 && call.status != -1) return "the return callback got status " + Decimal(call.status);
    if (call.status == 0 && call.value.kind() == HostValue::Kind::None && call.record.nType != 0)
        return "the result record has a type the host does not know";
    return std::string();
}

}  // namespace

// ---- Handshake -------------------------------------------------------------------

Handshake Greet(zorhost::ZorHost& host) {
    Handshake handshake;
    handshake.nInterface = host.Negotiate({kInterfaceVersion});
    if (handshake.nInterface != kInterfaceVersion) throw ShellError("the extender does not speak interface version 5");
    handshake.version = host.QueryVersion();
    if (!host.ReadTable()) throw ShellError("the extender's entry table cannot be read");
    return handshake;
}

// ---- Running lines --------------------------------------------------------------------

Shell::Shell(zorhost::ZorHost& host, const Handshake& handshake, std::ostream& out, const ShellOptions& options)
    : m_host(host), m_handshake(handshake), m_out(out), m_options(options), m_printer(options.bStableHandles) {}

bool Shell::RunLines(std::istream& in, const char* szPrompt) {
    std::string strLine;
    for (size_t nLine = 1;; ++nLine) {
        if (szPrompt != nullptr) m_out << szPrompt << std::flush;
        if (!std::getline(in, strLine)) break;
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
        if (nLine == 1 && strLine.compare(0, 3, "\xEF\xBB\xBF") == 0) strLine.erase(0, 3);
        if (!RunLine(strLine, nLine) && m_options.bStopOnError) return false;
    }
    if (szPrompt != nullptr) m_out << "\n" << std::flush;
    return true;
}

bool Shell::RunLine(std::string_view strLine, size_t nLine) {
    const bool bQuiet = IsQuiet(strLine);
    if (m_options.bEcho) m_out << (bQuiet ? "" : "> ") << strLine << "\n";
    if (bQuiet) return true;
    const std::string strWhere = "shell error, line " + Decimal(static_cast<long long>(nLine));
    bool bOk = false;
    try {
        const Statement statement = ParseStatement(strLine);
        std::optional<HostValue> value = statement.expression->kind == Expression::Kind::Call
                                             ? Call(*statement.expression)
                                             : Evaluate(*statement.expression);
        if (!statement.strTarget.empty()) {
            if (!value) throw ShellError(statement.expression->strName + " gives no value to assign");
            m_host.Store().SetVariable(statement.strTarget, *value);
        }
        if (value) m_out << m_printer.Value(*value);
        bOk = true;
    } catch (const SyntaxError& e) {
        m_out << strWhere << ", column " << Decimal(static_cast<long long>(e.Column())) << ": " << e.what() << "\n";
    } catch (const ShellError& e) {
        m_out << strWhere << ": " << e.what() << "\n";
    } catch (const zorhost::HostError& e) {
        m_out << strWhere << ": " << e.what() << "\n";
    } catch (const LibraryError& e) {
        m_out << m_printer.Error(e.call);
    }
    m_out << std::flush;
    return bOk;
}

// ---- Evaluation -----------------------------------------------------------------------

HostValue Shell::Evaluate(const Expression& expression) {
    switch (expression.kind) {
        case Expression::Kind::Integer:
            return HostValue::Integer(expression.nValue);
        case Expression::Kind::Text:
            return HostValue::Text16(expression.strText);
        case Expression::Kind::Constant: {
            const EntryInfo* pEntry = m_host.FindEntry(expression.strName);
            if (pEntry == nullptr || pEntry->kind != zorhost::kKindConstant)
                throw ShellError("the extender has no constant " + expression.strName);
            return HostValue::Integer(static_cast<int32_t>(pEntry->value));
        }
        case Expression::Kind::Variable: {
            const HostValue* pValue = m_host.Store().Variable(expression.strName);
            if (pValue == nullptr) throw ShellError("no variable is named " + expression.strName);
            return *pValue;
        }
        case Expression::Kind::Call:
            if (std::optional<HostValue> value = Call(expression)) return *value;
            throw ShellError(expression.strName + " gives no value to pass on");
    }
    throw ShellError("an expression the shell does not know");
}

std::optional<HostValue> Shell::Call(const Expression& call) {
    Arguments args;
    for (const Expression& arg : call.args) args.push_back(Evaluate(arg));
    if (call.strName.find('.') != std::string::npos) return CallBuiltin(call.strName, args);
    return CallFunction(call.strName, args);
}

HostValue Shell::CallFunction(const std::string& strName, const Arguments& args) {
    const EntryInfo* pEntry = m_host.FindEntry(strName);
    if (pEntry == nullptr || pEntry->kind != zorhost::kKindFunction)
        throw ShellError("the extender has no function " + strName);
    CallResult call = m_host.CallIndex(static_cast<int16_t>(pEntry->index), args);
    const std::string strFault = ProtocolFault(call);
    if (!strFault.empty()) throw ShellError(strName + ": " + strFault);
    if (call.status != 0) throw LibraryError{std::move(call)};
    return call.value;
}

// ---- Built-ins -------------------------------------------------------------------------

struct Shell::Builtin {
    const char* szName;  // lower case
    size_t nMinArgs;
    size_t nMaxArgs;
    const char* szUsage;
    std::optional<HostValue> (Shell::*pfnRun)(const Arguments&);
};

const Shell::Builtin Shell::s_builtins[] = {
    {"host.read", 1, 1, "host.read(file)", &Shell::Read},
    {"host.write", 2, 2, "host.write(file, text)", &Shell::Write},
    {"host.pointer", 1, 1, "host.pointer(name)", &Shell::Pointer},
    {"host.print", 0, SIZE_MAX, "host.print(value, ...)", &Shell::Print},
    {"host.table", 0, 0, "host.table()", &Shell::Table},
    {"host.fail", 0, 3, kFailUsage, &Shell::Fail},
    {"host.version", 1, 1, "host.version(n)", &Shell::Version},
};

std::optional<HostValue> Shell::CallBuiltin(const std::string& strName, const Arguments& args) {
    const std::string strLower = AsciiLower(strName);
    for (const Builtin& builtin : s_builtins) {
        if (strLower != builtin.szName) continue;
        if (args.size() < builtin.nMinArgs || args.size() > builtin.nMaxArgs) throw UsageError(builtin.szUsage);
        return (this->*builtin.pfnRun)(args);
    }
    throw ShellError("the shell has no built-in " + strName);
}

std::optional<HostValue> Shell::Read(const Arguments& args) {
    const std::string strPath = TextArgument(args[0], "the file name");
    std::string strBytes;
    if (!ReadFileBytes(strPath, strBytes)) throw ShellError("cannot read the file " + strPath);
    return HostValue::Text16(DecodeText(strBytes));
}

std::optional<HostValue> Shell::Write(const Arguments& args) {
    const std::string strPath = TextArgument(args[0], "the file name");
    const std::string strBytes = TextArgument(args[1], "what host.write writes");
    if (!WriteFileBytes(strPath, strBytes)) throw ShellError("cannot write the file " + strPath);
    return HostValue::Integer(static_cast<int32_t>(strBytes.size()));
}

std::optional<HostValue> Shell::Pointer(const Arguments& args) {
    const std::string strName = TextArgument(args[0], "the variable name");
    return HostValue::Text8(m_host.Store().MakePointer(strName));
}

std::optional<HostValue> Shell::Print(const Arguments& args) {
    for (size_t i = 0; i < args.size(); ++i) m_out << (i > 0 ? " " : "") << m_printer.Plain(args[i]);
    m_out << "\n";
    return std::nullopt;
}

std::optional<HostValue> Shell::Table(const Arguments&) {
    m_out << TableListing(m_handshake.nInterface, m_handshake.version, m_host.Entries());
    return std::nullopt;
}

std::optional<HostValue> Shell::Fail(const Arguments& args) {
    zorhost::HostServices& services = m_host.Services();
    if (args.empty()) {
        services.ClearFaults();
        return std::nullopt;
    }
    if (args.size() == 1) throw UsageError(kFailUsage);
    const zorhost::Service service = ServiceArgument(args[0]);
    if (args[1].kind() != HostValue::Kind::Integer) throw ShellError("the status must be an integer");
    const uint32_t nAfter = args.size() > 2 ? CountArgument(args[2], "the successes before the fault") : 0;
    services.SetFault(service, args[1].integer(), nAfter);
    return std::nullopt;
}

std::optional<HostValue> Shell::Version(const Arguments& args) {
    m_host.Services().SetHostVersion(CountArgument(args[0], "the host version"));
    return std::nullopt;
}

}  // namespace zorshell
