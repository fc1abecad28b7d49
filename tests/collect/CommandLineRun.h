// Runs csr-collect's command line inside the test process and keeps what it
// printed, so that a test can swap the formats or the file calls it uses.
#pragma once

#include "collect/cli/CommandLine.h"
#include "collect/export/Formats.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <span>

namespace CommandLineRun {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

inline QString readBack(std::FILE *file)
{
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, qsizetype(n));
    std::fclose(file);
    return QString::fromUtf8(bytes);
}

// files: what the outputs are written through; the system's when null.
inline Run here(const QStringList &arguments, std::span<const Format> formats = Formats::all(),
                FileSystemCalls *files = nullptr)
{
    std::FILE *out = std::tmpfile();
    std::FILE *err = std::tmpfile();
    Run run;
    run.exitCode = CommandLine::run(QStringList{QStringLiteral("csr-collect")} + arguments, out, err, formats, files);
    run.out = readBack(out);
    run.err = readBack(err);
    return run;
}

} // namespace CommandLineRun
