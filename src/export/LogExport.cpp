#include "export/LogExport.h"

#include "export/WholeFile.h"

namespace obitrak {

void WriteLog(const DemoTables& tables, ByteSink& out) {
  for (std::uint32_t r = 1; r <= tables.log.logCount; ++r) out.line(tables.log[r].text);
}

void ExportLog(const DemoTables& tables, const std::string& outputPath) {
  writeFile(outputPath, [&](ByteSink& out) { WriteLog(tables, out); });
}

}  // namespace obitrak
