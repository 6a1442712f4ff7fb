// zor_shell: runs small scripts of function calls against the ZOR JSON
// extender through the reference host, the way the ZOR interpreter loads and
// calls it. See the README for the notation and Shell.h for the built-ins.
#include <charconv>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/shell/Shell.h"
#include "host/shell/TextFiles.h"
#include "platform/HostPlatform.h"

namespace {

using zorshell::Shell;
using zorshell::ShellOptions;

constexpr char kShellVersion[] = "1.0";
constexpr char kPrompt[] = "zor> ";

constexpr int kExitDone = 0;
constexpr int kExitStopped = 1;  // an error stopped the script
constexpr int kExitFailed = 2;   // a wrong command line, or no extender to run against

constexpr char kUsage[] =
    "usage: zor_shell [options] [script]\n"
    "\n"
    "Runs statements of function calls against the ZOR JSON extender through the\n"
    "reference host: from the script file, from standard input when the script is\n"
    "\"-\" or standard input is no terminal, else at an interactive prompt.\n"
    "\n"
    "options:\n"
    "  -x, --extender FILE    load FILE instead of the extender beside the program\n"
    "  -s, --stop-on-error    stop at the first error, with exit status 1\n"
    "  -q, --quiet            do not echo the lines of a script\n"
    "      --stable-handles   show handles as *obj#1*, *arr#2*, ... in order of appearance\n"
    "      --host-version N   the host version the services report (default 1100)\n"
    "  -t, --table            print the handshake and the entry table, then exit\n"
    "  -V, --version          print the versions of the shell and the extender, then exit\n"
    "  -h, --help             print this help, then exit\n";

struct CommandLine {
    ShellOptions options;
    bool bQuiet = false;
    bool bTable = false;
    bool bVersion = false;
    bool bHelp = false;
    std::string strExtender;  // empty: the one beside the program
    std::string strScript;    // empty: standard input
    uint32_t nHostVersion = zorhost::kDefaultHostVersion;
};

bool ParseNumber(const std::string& strText, uint32_t& nValue) {
    const char* pEnd = strText.data() + strText.size();
    auto result = std::from_chars(strText.data(), pEnd, nValue);
    return !strText.empty() && result.ec == std::errc() && result.ptr == pEnd;
}

// Reads the arguments into line; the reason when one is wrong, else empty.
std::string ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        const bool bHasValue = i + 1 < args.size();
        if (strArg == "-x" || strArg == "--extender") {
            if (!bHasValue) return strArg + " needs a file name";
            line.strExtender = args[++i];
        } else if (strArg == "--host-version") {
            if (!bHasValue || !ParseNumber(args[++i], line.nHostVersion)) return "--host-version needs a number";
        } else if (strArg == "-s" || strArg == "--stop-on-error") {
            line.options.bStopOnError = true;
        } else if (strArg == "-q" || strArg == "--quiet") {
            line.bQuiet = true;
        } else if (strArg == "--stable-handles") {
            line.options.bStableHandles = true;
        } else if (strArg == "-t" || strArg == "--table") {
            line.bTable = true;
        } else if (strArg == "-V" || strArg == "--version") {
            line.bVersion = true;
        } else if (strArg == "-h" || strArg == "--help") {
            line.bHelp = true;
        } else if (strArg.size() > 1 && strArg[0] == '-') {
            return "unknown option " + strArg;
        } else if (!line.strScript.empty()) {
            return "one script at a time";
        } else {
            line.strScript = strArg;
        }
    }
    return std::string();
}

// Runs the script file, standard input, or the prompt, as the command line says.
int RunScript(Shell& shell, const CommandLine& line) {
    bool bCompleted;
    if (!line.strScript.empty() && line.strScript != "-") {
        std::string strBytes;
        if (!zorshell::ReadFileBytes(line.strScript, strBytes)) {
            std::cerr << "zor_shell: cannot read the script " << line.strScript << "\n";
            return kExitFailed;
        }
        std::istringstream script(zorhost::ToUtf8(zorshell::DecodeText(strBytes)));
        bCompleted = shell.RunLines(script);
    } else {
        const bool bPrompt = line.strScript.empty() && platform::StandardInputIsTerminal();
        bCompleted = shell.RunLines(platform::StandardInput(), bPrompt ? kPrompt : nullptr);
    }
    return bCompleted ? kExitDone : kExitStopped;
}

int Run(const CommandLine& line) {
    zorhost::ZorHost host;
    const bool bLoaded = line.strExtender.empty() ? host.Load() : host.Load(line.strExtender);
    if (!bLoaded) {
        std::cerr << "zor_shell: " << host.LoadError() << "\n";
        return kExitFailed;
    }
    host.Services().SetHostVersion(line.nHostVersion);
    const zorshell::Handshake handshake = zorshell::Greet(host);
    if (line.bVersion) {
        std::cout << "zor_shell " << kShellVersion << "\n"
                  << zorhost::ToUtf8(handshake.version.title) << " " << zorshell::Decimal(handshake.version.version)
                  << "\n";
        return kExitDone;
    }
    if (line.bTable) {
        std::cout << zorshell::TableListing(handshake.nInterface, handshake.version, host.Entries());
        return kExitDone;
    }
    ShellOptions options = line.options;
    const bool bInteractive = line.strScript.empty() && platform::StandardInputIsTerminal();
    options.bEcho = !line.bQuiet && !bInteractive;
    Shell shell(host, handshake, std::cout, options);
    return RunScript(shell, line);
}

}  // namespace

int main(int argc, char** argv) {
    platform::UseBinaryStandardStreams();
    CommandLine line;
    const std::string strError = ParseCommandLine(platform::ProgramArguments(argc, argv), line);
    if (!strError.empty()) {
        std::cerr << "zor_shell: " << strError << "\n\n" << kUsage;
        return kExitFailed;
    }
    if (line.bHelp) {
        std::cout << kUsage;
        return kExitDone;
    }
    try {
        return Run(line);
    } catch (const std::exception& e) {
        std::cerr << "zor_shell: " << e.what() << "\n";
        return kExitFailed;
    }
}
