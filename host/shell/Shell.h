// The shell: runs statements of its notation (Notation.h) against a loaded
// extender through the reference host, and prints every result (Printer.h).
//
// Function calls go to the extender's table entries by name, without regard
// to case; @constants are read from the described table; variables are the
// host's own, so that a host pointer (host.pointer) names one. The built-ins
// are the host's, not the library's:
//
//   host.read(file)           the file's text: UTF-8, or UTF-16 after a byte order mark
//   host.write(file, text)    writes the text (UTF-16 as UTF-8, 8-bit as its bytes); its byte count
//   host.pointer(name)        the host pointer text that names variable name
//   host.print(value, ...)    prints the values on one line, texts without quotes
//   host.table()              prints the handshake and the entry table
//   host.fail(service, status[, after])
//                             makes the host service (CreateArray, SetArrayElement,
//                             StoreToVariable, MapOperation) answer status from now
//                             on, once it has succeeded after times more; status 0
//                             clears it, host.fail() clears every service
//   host.version(n)           the host version the services report from now on
#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/ZorHost.h"
#include "host/shell/Notation.h"
#include "host/shell/Printer.h"

namespace zorshell {

struct ShellOptions {
    bool bEcho = false;         // show each line before its results, statements after "> "
    bool bStopOnError = false;  // stop at the first error
    bool bStableHandles = false;
};

// A statement the shell cannot carry out: an unknown name, a wrong argument
// to a built-in, a file that cannot be read, a call that broke the protocol.
class ShellError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the handshake told the host.
struct Handshake {
    int32_t nInterface = 0;
    zorhost::VersionAnswer version;
};

// The interpreter's handshake with the loaded extender: offers interface
// version 5, asks for the version and title, and reads the entry table.
// Throws ShellError when the extender refuses the interface or its table.
Handshake Greet(zorhost::ZorHost& host);

class Shell {
public:
    Shell(zorhost::ZorHost& host, const Handshake& handshake, std::ostream& out, const ShellOptions& options);

    // Runs the lines of in, writing szPrompt (if any) before each. False when
    // an error stopped the run.
    bool RunLines(std::istream& in, const char* szPrompt = nullptr);
    // Runs one line (nLine counts from 1); false when it ended in an error.
    bool RunLine(std::string_view strLine, size_t nLine);

private:
    struct Builtin;
    static const Builtin s_builtins[];

    zorhost::HostValue Evaluate(const Expression& expression);
    // Nothing for a built-in that gives no value.
    std::optional<zorhost::HostValue> Call(const Expression& call);
    zorhost::HostValue CallFunction(const std::string& strName, const std::vector<zorhost::HostValue>& args);
    std::optional<zorhost::HostValue> CallBuiltin(const std::string& strName,
                                                  const std::vector<zorhost::HostValue>& args);

    std::optional<zorhost::HostValue> Read(const std::vector<zorhost::HostValue>& args);
    std::optional<zorhost::HostValue> Write(const std::vector<zorhost::HostValue>& args);
    std::optional<zorhost::HostValue> Pointer(const std::vector<zorhost::HostValue>& args);
    std::optional<zorhost::HostValue> Print(const std::vector<zorhost::HostValue>& args);
    std::optional<zorhost::HostValue> Table(const std::vector<zorhost::HostValue>& args);
    std::optional<zorhost::HostValue> Fail(const std::vector<zorhost::HostValue>& args);
    std::optional<zorhost::HostValue> Version(const std::vector<zorhost::HostValue>& args);

    zorhost::ZorHost& m_host;
    Handshake m_handshake;
    std::ostream& m_out;
    ShellOptions m_options;
    Printer m_printer;
};

}  // namespace zorshell
