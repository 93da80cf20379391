#pragma once

#include <string>

#include "export/ByteSink.h"
#include "scan/DemoTables.h"

namespace obitrak {

// Writes every kept print message, one text per line, in log order.
void WriteLog(const DemoTables& tables, ByteSink& out);

// Writes the log to `outputPath`, created or truncated.
void ExportLog(const DemoTables& tables, const std::string& outputPath);

}  // namespace obitrak
