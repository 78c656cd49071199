#pragma once
#include <string>

#include "storage/vvf_forward_scan.h"
#include "storage/vvf_reader.h"

namespace tavrix::cli {

// What is wrong with a source after a full forward pass, as one line, or
// empty when nothing is: no valid block at all (not VVF, or a disk read
// without --disk), or an end inside a block (cut short; the whole blocks
// before it were read).
std::string SourceProblem(const std::string& source, bool isDisk, const VvfReader& reader,
                          const VvfForwardScan& scan);

}  // namespace tavrix::cli
