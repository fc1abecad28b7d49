// csr-collect on the command line: options, progress on a terminal, the summary
// line and the exit status.
#pragma once

#include <QStringList>
#include <cstdio>

namespace CommandLine {

// Runs with the program's arguments (the first is the program's name) and
// returns the exit status: 0 every file clean, 1 some files had problems,
// 2 a usage error or an output that could not be written.
int run(const QStringList &arguments, std::FILE *out = stdout, std::FILE *err = stderr);

} // namespace CommandLine
