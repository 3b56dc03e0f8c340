#include "app/CommandLine.h"

#include "app/CmdLineTokenizer.h"
#include "probe/WakeOnLan.h"

#include <ostream>

namespace nodescout {
namespace {

constexpr char kUsage[] = "usage: nodescout [-w MAC [ADDRESS]]";
constexpr int kExitSendFailed = 1;
constexpr int kExitUsage = 2;

int Fail(std::ostream& errors, int status, const std::string& what) {
    errors << "nodescout: " << what << "; " << kUsage << '\n';
    return status;
}

} // namespace

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
