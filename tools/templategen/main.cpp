// Generates the template workbooks, blank sheet documents, ini files and the
// status catalogue from the text descriptions under install/, and writes
// hand-written XML sources in the installed (whitespace-free) form.
//
//   templategen workbook DESC OUT.xlsx [-D NAME]...
//   templategen documents DESC OUTDIR --input DESC [--report DESC[,NAME]]...
//   templategen report-inis DESC OUTDIR [-D NAME]...
//   templategen status TABLE OUT.xml DESC...
//   templategen compact IN.xml OUT.xml
#include "Description.h"
#include "DocumentWriter.h"
#include "TemplateWorkbook.h"
#include "XmlText.h"

#include <cstring>
#include <iostream>
#include <memory>
#include <stdexcept>

using namespace zevo::tools;

namespace {

int usage() {
    std::cerr << "usage:\n"
                 "  templategen workbook DESC OUT.xlsx [-D NAME]...\n"
                 "  templategen documents DESC OUTDIR --input DESC [--report DESC[,NAME]]...\n"
                 "  templategen report-inis DESC OUTDIR [-D NAME]...\n"
                 "  templategen status TABLE OUT.xml DESC...\n"
                 "  templategen compact IN.xml OUT.xml\n";
    return 2;
}

std::set<std::string> defines(int argc, char** argv, int from) {
    std::set<std::string> out;
    for (int i = from; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-D") == 0) out.insert(argv[++i]);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string cmd = argv[1];
    try {
        if (cmd == "workbook" && argc >= 4) {
            writeWorkbook(readDescription(argv[2], defines(argc, argv, 4)), argv[3]);
        } else if (cmd == "documents" && argc >= 4) {
            Description d = readDescription(argv[2]);
            std::unique_ptr<Description> input;
            std::vector<std::unique_ptr<Description>> reports;
            for (int i = 4; i + 1 < argc; ++i) {
                std::string opt = argv[i];
                std::string val = argv[++i];
                if (opt == "--input") {
                    input = std::make_unique<Description>(readDescription(val));
                } else if (opt == "--report") {
                    std::set<std::string> defs;
                    auto comma = val.find(',');
                    if (comma != std::string::npos) {
                        defs.insert(val.substr(comma + 1));
                        val = val.substr(0, comma);
                    }
                    reports.push_back(std::make_unique<Description>(readDescription(val, defs)));
                } else {
                    return usage();
                }
            }
            if (!input) return usage();
            std::vector<ReportCheck> checks;
            for (const auto& r : reports) checks.push_back({r.get()});
            writeDocuments(d, *input, checks, argv[3]);
        } else if (cmd == "report-inis" && argc >= 4) {
            writeReportInis(readDescription(argv[2], defines(argc, argv, 4)), argv[3]);
        } else if (cmd == "status" && argc >= 4) {
            std::vector<Description> descs;
            descs.reserve(static_cast<std::size_t>(argc));
            for (int i = 4; i < argc; ++i) descs.push_back(readDescription(argv[i]));
            std::vector<const Description*> used;
            for (const auto& d : descs) used.push_back(&d);
            writeStatus(argv[2], used, argv[3]);
        } else if (cmd == "compact" && argc == 4) {
            writeTextFile(argv[3], serializeCompact(readXmlFile(argv[2])));
        } else {
            return usage();
        }
    } catch (const std::exception& e) {
        std::cerr << "templategen " << cmd << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
