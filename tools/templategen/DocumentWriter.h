#pragma once
#include "Description.h"

#include <string>
#include <vector>

namespace zevo::tools {

// The internal DTD subset of sheet documents and ini files: declares "CellID" the ID of `Cell`.
extern const char* const kSheetDtd;

struct ReportCheck {
    const Description* report = nullptr;   // CellID2 must be a data cell of this workbook
};

// Blank sheet documents and interface ini files of every sheet of `d` that names
// them. Every CellID must be a data cell of `input` (the sheet of the same name);
// every CellID2 a data cell of each report at the same sheet position. Throws
// std::runtime_error listing the offending cells.
void writeDocuments(const Description& d, const Description& input, const std::vector<ReportCheck>& reports,
                    const std::string& outDir);

// Report ini files ("PaperOrientation" and per-cell limits) of a report description.
void writeReportInis(const Description& d, const std::string& outDir);

// Status catalogue from a table of "ID | text" lines; every StatusID used by the
// descriptions must be in the table.
void writeStatus(const std::string& tablePath, const std::vector<const Description*>& used,
                 const std::string& outPath);

}  // namespace zevo::tools
