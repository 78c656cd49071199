#include "cli/source_problem.h"

namespace tavrix::cli {

std::string SourceProblem(const std::string& source, bool isDisk, const VvfReader& reader,
                          const VvfForwardScan& scan) {
  if (scan.blocks().valid() == 0) {
    return source + ": no VVF blocks found in " + std::to_string(reader.Size()) + " bytes" +
           (isDisk ? "" : " (a DVR disk or disk image needs --disk)");
  }
  const std::uint64_t tail = reader.Size() % kVvfBlockSize;
  if (tail != 0) {
    return source + ": cut short: the last " + std::to_string(tail) +
           " bytes are not a whole block and were not read";
  }
  return {};
}

}  // namespace tavrix::cli
