#pragma once

// A trial run of record definitions over a sample of the device's bytes, for the field
// editor: the bytes go through the same input pipeline and field completion as a running
// engine's, and each record comes back as the field texts the data log would get. Nothing
// of a running engine or its device is touched. Plain C++.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "engine/regional.h"

namespace fenno {

struct RecordPreview {
  int fieldCount = 0;
  // One row per record: the texts of fields 1..fieldCount after filter, conversion,
  // expression, format and pre-transfer translation.
  std::vector<std::vector<std::string>> rows;
  // Per field (index 0 is field 1): its expression or format failed in a record shown.
  std::vector<bool> failed;
};

inline constexpr size_t kPreviewRecords = 100;

// Runs `sample` through `settings` and stops after `maxRecords` records. The end of the
// sample ends a record still open under a time-gap framing (as the gap would), not
// under the others (they wait for their end).
RecordPreview PreviewRecords(const Settings& settings, const WorkingValues& working,
                             const RegionalSettings& regional, std::string_view sample,
                             size_t maxRecords = kPreviewRecords);

// Text for a table cell: control characters and DEL as their names in angle brackets
// ("<CR>"), every other byte as it is.
std::string VisibleControls(std::string_view text);

}  // namespace fenno
