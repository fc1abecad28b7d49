// csr-collect on the command line: options, progress on a terminal, the summary
// line and the exit status.
#pragma once

#include "collect/export/Formats.h"

#include <QStringList>
#include <cstdio>
#include <span>

class FileSystemCalls;

namespace CommandLine {

// Runs with the program's arguments (the first is the program's name) and
// returns the exit status: 0 every file clean, 1 some files had problems,
// 2 a usage error or an output that could not be written, 130 or 143 when
// Ctrl-C or SIGTERM cancelled the run. formats: the formats on offer; files:
// what outputs are written through (the system's when null).
int run(const QStringList &arguments, std::FILE *out = stdout, std::FILE *err = stderr,
        std::span<const Format> formats = Formats::all(), FileSystemCalls *files = nullptr);

} // namespace CommandLine
