// Fuzz target for the command line: the input is split at NUL bytes into
// arguments. Whatever they are, parsing must not crash, and a request it
// accepts must come back the same from the arguments a second start hands
// to the running copy.

#include "app/command_line.h"
#include "fuzz_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList arguments;
    for (const QByteArray& part : input.split('\0')) arguments << QString::fromUtf8(part);
    const QString workingDir = QStringLiteral("/home/user/shows");
    const vz::CommandLine cl = vz::parseCommandLine(arguments, workingDir);
    if (!cl.error.isEmpty()) return 0;
    fuzz::check(cl.request.file.isEmpty() || cl.request.file.startsWith(QLatin1Char('/')), "file name not absolute");
    const vz::CommandLine again = vz::parseCommandLine(vz::requestArguments(cl.request), workingDir);
    fuzz::check(again.error.isEmpty(), "the request's own arguments are refused");
    fuzz::check(again.request == cl.request, "the request's own arguments give another request");
    return 0;
}
