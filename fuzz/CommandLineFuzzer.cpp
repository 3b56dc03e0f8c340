// The command-line splitter, on any text and delimiter, and the command line
// it serves, on any argument words.
//
// Input: the first byte chooses the form.
//   even: the rest is the program's arguments, separated by zero bytes; they
//         are joined as the program joins them, split at blanks, and the
//         whole command line is carried out (see below).
//   odd:  the next byte's low two bits are the delimiter's length, then come
//         the delimiter's bytes and then the text.
//
// Checked for every split: each token is terminated inside the tokenizer,
// holds no delimiter, and the tokens joined by the delimiter give back the
// text (cut at its first zero byte and to the tokenizer's room), less a
// delimiter at the very end; after the last token every call gives "".
//
// The command line runs in a network namespace of this process's own, with
// nothing but a loopback device that is down, so a Wake-on-LAN packet it
// tries to send cannot leave the machine. Checked: the exit status is 2 for
// an unrecognised line or a refused MAC text and otherwise 0 or 1, with one
// error message exactly when it is not 0. Without the namespace (not root)
// only the split runs.

#include "app/CmdLineTokenizer.h"
#include "app/CommandLine.h"
#include "fuzz/FuzzSupport.h"
#include "platform/process/CommandLineText.h"
#include "probe/WakeOnLan.h"

#include <sched.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace nodescout {
namespace {

bool g_bIsolated = false; // in a network namespace of our own

std::vector<std::string> SplitAll(const std::string& text, const std::string& delimiter) {
    // On the heap, so that a read or write past the tokenizer's copy is
    // caught at the object's end.
    const auto tokenizer = std::make_unique<CmdLineTokenizer>(text.c_str(), delimiter.c_str());
    const char* const begin = reinterpret_cast<const char*>(tokenizer.get());
    const char* const end = begin + sizeof(CmdLineTokenizer);

    const std::string usedDelimiter(delimiter.c_str()); // cut at a zero byte, as the copy is
    std::vector<std::string> tokens;
    while (tokenizer->HasMoreTokens()) {
        NODESCOUT_FUZZ_CHECK(tokens.size() <= CmdLineTokenizer::kMaxTextLength);
        const char* token = tokenizer->NextToken();
        NODESCOUT_FUZZ_CHECK(token >= begin && token < end);
        const std::size_t length = std::strlen(token);
        NODESCOUT_FUZZ_CHECK(token + length < end);
        tokens.emplace_back(token, length);
        NODESCOUT_FUZZ_CHECK(usedDelimiter.empty() ||
                             tokens.back().find(usedDelimiter) == std::string::npos);
    }
    NODESCOUT_FUZZ_CHECK(*tokenizer->NextToken() == '\0');
    NODESCOUT_FUZZ_CHECK(*tokenizer->NextToken() == '\0');
    NODESCOUT_FUZZ_CHECK(!tokenizer->HasMoreTokens());

    std::string joined;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        joined += (i > 0 ? usedDelimiter : "") + tokens[i];
    }
    std::string_view copied(text.c_str()); // cut at a zero byte
    if (copied.size() > CmdLineTokenizer::kMaxTextLength) {
        copied = copied.substr(0, CmdLineTokenizer::kMaxTextLength);
    }
    NODESCOUT_FUZZ_CHECK(joined == copied ||
                         (!usedDelimiter.empty() && joined + usedDelimiter == copied));
    return tokens;
}

void CheckCommandLine(std::string_view input) {
    std::vector<std::string> words = {"nodescout"};
    for (std::size_t zero; (zero = input.find('\0')) != std::string_view::npos;) {
        words.emplace_back(input.substr(0, zero));
        input.remove_prefix(zero + 1);
    }
    words.emplace_back(input);
    std::vector<const char*> argv;
    for (const std::string& word : words) {
        argv.push_back(word.c_str());
    }
    const std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());
    const std::vector<std::string> tokens = SplitAll(line, " ");
    if (!g_bIsolated || line.empty()) {
        return; // the program shows its window for an empty line
    }

    const auto token = [&tokens](std::size_t i) { return i < tokens.size() ? tokens[i] : ""; };
    const bool refused = token(0) != "-w" || !BuildMagicPacket(token(1).c_str());
    std::ostringstream errors;
    const int status = RunCommandLine(line, errors);
    const std::string message = errors.str();
    NODESCOUT_FUZZ_CHECK(refused ? status == 2 : (status == 0 || status == 1));
    NODESCOUT_FUZZ_CHECK((status == 0) == message.empty());
    NODESCOUT_FUZZ_CHECK(message.empty() ||
                         (message.starts_with("nodescout: ") &&
                          message.ends_with("; usage: nodescout [-w MAC [ADDRESS]]\n")));
}

void CheckSplit(std::string_view input) {
    if (input.empty()) {
        return;
    }
    const std::size_t length = std::size_t{static_cast<unsigned char>(input.front())} & 3u;
    input.remove_prefix(1);
    const std::string delimiter(input.substr(0, length));
    input.remove_prefix(delimiter.size());
    SplitAll(std::string(input), delimiter);
}

} // namespace
} // namespace nodescout

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    nodescout::g_bIsolated = ::unshare(CLONE_NEWNET) == 0;
    if (!nodescout::g_bIsolated) {
        std::fprintf(stderr,
                     "nodescout fuzz: no network namespace of our own (%s): "
                     "the command line is split but not carried out\n",
                     std::strerror(errno));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 1u) == 0) {
        nodescout::CheckCommandLine(input);
    } else {
        nodescout::CheckSplit(input);
    }
    return 0;
}
