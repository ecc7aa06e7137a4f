// --import-list: individuals from a payroll .xlsx/.csv into the saved declaration.
#include <QCommandLineParser>

#include <cstdio>
#include <exception>

#include "zevo/commandline/CommandLine.h"
#include "zevo/engine/ListImport.h"
#include "zevo/engine/MainController.h"

namespace zevo::commandline {

namespace {

constexpr const char* kImportList = "import-list";
constexpr const char* kMap = "map";

void put(std::FILE* to, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), to);
    if (text.empty() || text.back() != '\n') std::fputc('\n', to);
    std::fflush(to);
}

}  // namespace

Command importListCommand() {
    Command command;
    command.name = QString::fromLatin1(kImportList);
    command.options = {
        {QString::fromLatin1(kImportList),
         QStringLiteral("Append the individuals of the payroll file <file> (.xlsx: its first sheet, or .csv) "
                        "to the list of the saved declaration, run its checks and save it. The cells not "
                        "taken are listed on stdout (row, column, field, value, reason). Exit status 3: "
                        "saved, but some rows were left out or some cells not taken."),
         QStringLiteral("file")},
        {QString::fromLatin1(kMap),
         QStringLiteral("With --import-list: which column holds which field, as name=B,birth=C,... "
                        "Fields: tin, name, birth, sex, nationality, idno, iddate, idplace, passport, "
                        "passportdate, natnote, street, province, district, ward, country, street2, "
                        "province2, district2, ward2, phone, email, start. Without it the columns are "
                        "guessed from the header texts."),
         QStringLiteral("fields")}};
    command.check = [](const QCommandLineParser& parser) {
        if (!parser.isSet(QString::fromLatin1(kMap))) return QString();
        std::string error;
        if (!engine::parseMapping(parser.value(QString::fromLatin1(kMap)).toStdString(), error))
            return QString::fromStdString(error);
        return QString();
    };
    command.run = [](const QCommandLineParser& parser, engine::MainController& controller) {
        const std::string file = parser.value(QString::fromLatin1(kImportList)).toStdString();
        engine::SourceTable table;
        try {
            table = engine::readSourceTable(file);
        } catch (const std::exception& e) {
            put(stderr, std::string("The file cannot be read: ") + e.what());
            return kExitFailed;
        }
        put(stderr, table.headerRow >= 0 ? "Header row: " + std::to_string(table.headerRow + 1) +
                                               " (the rows above it are titles)"
                                         : std::string("No header row found: every row is data."));
        engine::ColumnMapping mapping;
        if (parser.isSet(QString::fromLatin1(kMap))) {
            std::string error;
            mapping = *engine::parseMapping(parser.value(QString::fromLatin1(kMap)).toStdString(), error);
        } else {
            mapping = table.headerRow >= 0 ? engine::guessMapping(table.rows[static_cast<std::size_t>(table.headerRow)])
                                           : engine::ColumnMapping(engine::listFields().size(), -1);
            put(stderr, "Columns guessed from the header: " + engine::formatMapping(mapping));
        }
        const engine::ImportReport report = engine::importList(controller, table, mapping);
        put(stderr, report.summary());
        if (!report.failure.empty()) return kExitFailed;
        if (!report.issues.empty()) put(stdout, report.table());
        if (report.imported > 0 && !controller.UpdateData(true)) return kExitFailed;
        return report.complete() ? kExitDone : kExitPartly;
    };
    return command;
}

}  // namespace zevo::commandline
