// A build without ReadStat: no SPSS or Stata files, only their syntax files.
#include "collect/export/StatExporter.h"

namespace StatExporter {

bool builtIn()
{
    return false;
}

std::unique_ptr<Exporter> makeSav()
{
    return nullptr;
}

std::unique_ptr<Exporter> makeDta()
{
    return nullptr;
}

} // namespace StatExporter
