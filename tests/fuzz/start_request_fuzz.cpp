// Fuzz target for a later start's request as it arrives over the local
// socket: whatever the line holds, reading it and the command line it
// carries must not crash; arguments that read must make the same line
// again, and a request the running copy accepts must travel unchanged.

#include "app/command_line.h"
#include "fuzz_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView line(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QStringList> arguments = vz::argumentsOfRequestLine(line);
    if (!arguments) return 0;
    const std::optional<QStringList> back = vz::argumentsOfRequestLine(vz::requestLine(*arguments));
    fuzz::check(back.has_value(), "a request line of ours does not read");
    fuzz::check(*back == *arguments, "a request line of ours reads back differently");

    const vz::CommandLine cl = vz::parseCommandLine(*arguments, QStringLiteral("/"));
    if (!cl.error.isEmpty()) return 0;
    const std::optional<QStringList> sent =
        vz::argumentsOfRequestLine(vz::requestLine(vz::requestArguments(cl.request)));
    fuzz::check(sent.has_value(), "a forwarded request does not read");
    const vz::CommandLine taken = vz::parseCommandLine(*sent, QStringLiteral("/"));
    fuzz::check(taken.error.isEmpty() && taken.request == cl.request, "a forwarded request changes on the way");
    return 0;
}
