#include "app/CommandLine.h"

#include "app/CmdLineTokenizer.h"
#include "probe/WakeOnLan.h"

#include <ostream>

namespace nodescout {
namespace {

constexpr char kUsage[] = "usage: nodescout [-w MAC [ADDRESS]]";
constexpr int kExitSendFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kHelp[] =
    "usage: nodescout [-w MAC [ADDRESS]]\n"
    "\n"
    "  nodescout                 open the window\n"
    "  nodescout -w MAC          send a Wake-on-LAN packet for MAC to 255.255.255.255\n"
    "  nodescout -w MAC ADDRESS  send the packet to ADDRESS instead\n"
    "  nodescout --help, -h      show this help\n"
    "  nodescout --version       show the version\n"
    "\n"
    "MAC is twelve hexadecimal digits without separators, such as 001122aabbcc.\n"
    "Exit status: 0 sent, 1 not sent, 2 bad command line or MAC, 3 no network socket.\n"
    "See nodescout(1).\n";

int Fail(std::ostream& errors, int status, const std::string& what) {
    errors << "nodescout: " << what << "; " << kUsage << '\n';
    return status;
}

} // namespace

bool AnswerInformationRequest(const std::string& commandLine, std::ostream& output) {
    if (commandLine == "--help" || commandLine == "-h") {
        output << kHelp;
    } else if (commandLine == "--version") {
        output << "nodescout " NODESCOUT_VERSION "\n";
    } else {
        return false;
    }
    output.flush();
    return true;
}

int RunCommandLine(const std::string& commandLine, std::ostream& errors) {
    CmdLineTokenizer tokenizer(commandLine.c_str(), " ");
    const std::string verb = tokenizer.NextToken();
    if (verb != "-w") {
        return Fail(errors, kExitUsage, "unrecognised command line \"" + commandLine + "\"");
    }
    const std::string mac = tokenizer.NextToken();
    std::error_code sendError;
    int result = kWakeOnLanRefused;
    std::string destination = "255.255.255.255";
    if (!tokenizer.HasMoreTokens()) {
        result = SendWakeOnLan(mac.c_str(), &sendError);
    } else {
        destination = tokenizer.NextToken();
        result = SendWakeOnLanTo(mac.c_str(), destination.c_str(), &sendError);
    }
    if (result == kWakeOnLanRefused) {
        return Fail(errors, kExitUsage,
                    "\"" + mac +
                        "\" is no MAC address (twelve hexadecimal digits, such as 001122aabbcc)");
    }
    if (result != kWakeOnLanSent) {
        return Fail(errors, kExitSendFailed,
                    "the Wake-on-LAN packet for " + mac + " to " + destination +
                        " could not be sent: " + sendError.message());
    }
    return 0;
}

} // namespace nodescout
