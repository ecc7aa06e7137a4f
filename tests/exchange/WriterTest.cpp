// The writer: the grammar byte for byte, and the exported file.
#include <gtest/gtest.h>

#include <cerrno>

#include "Declaration.h"
#include "FileErrors.h"
#include "zevo/exchange/BackupRestoreController.h"
#include "zevo/exchange/ExchangeWriter.h"

namespace zevo::exchange::test {
namespace {

const std::string kMark = "\x14";

TEST_F(DeclarationTest, TheTextFollowsTheGrammarExactly) {
    setValue(0, "K_9", "0101234567");
    setValue(0, "L_9", "a~b#c<d");
    setValue(0, "O_15", "10100");
    setValue(0, "B_30", "An");
    setValue(0, "B_40", "end");
    const std::vector<std::string> book = CreateExcelBook();
    ASSERT_EQ(book.size(), 4u);
    // The silent section writes no block; the cell that is not written leaves no
    // value; an empty value leaves two separators side by side.
    EXPECT_EQ(book[0], "<S1><S><C>0101234567~a" + kMark + "b1" + kMark + kMark + "1c&lt;d~~10100</C></S>"
                       "<S><C>An~</C></S><S><C>end</C></S></S1>");
    // Sheets not in use have no entry.
    EXPECT_EQ(book[1], "");
    EXPECT_EQ(book[2], "");
    EXPECT_EQ(book[3], "<S4><S><C>~</C></S></S4>");

    // A row whose cells are all unwritten writes no row block, a section whose
    // rows write nothing no section block; an active sheet that writes nothing
    // still writes its tags.
    const auto row = section(0, 1).firstChildElement("Cells");
    EXPECT_EQ(CreateCells(row), "");
    EXPECT_EQ(CreateSection(section(0, 1)), "");
    EXPECT_EQ(CreateSections(section(0, 1), "9"), "<S9></S9>");
    section(3, 0).firstChildElement("Cells").firstChildElement("Cell").setAttribute("Encode", "0");
    EXPECT_EQ(CreateCells(section(3, 0).firstChildElement("Cells")), "<C></C>");
    EXPECT_EQ(CreateCell(doc(0)->elementById("L_9")), "a" + kMark + "b1" + kMark + kMark + "1c&lt;d");
}

TEST_F(DeclarationTest, TheFileHoldsTheActiveSheetsBackToBack) {
    fill(2, 1);
    const fs::path file = root_ / "out" / "zevo_export.txt";
    ASSERT_TRUE(BackupRestoreController::exportWithoutDialog(grid_, file.string())) << errorLog();
    const std::string bytes = readFile(file);
    const std::vector<std::string> book = CreateExcelBook();
    EXPECT_EQ(bytes, toUtf16File(book[0] + book[3]));
    // The export leaves the sheets' selection as it was.
    EXPECT_EQ(active(1), "0");
    EXPECT_EQ(active(3), "1");

    // No sheet in use: the file is the byte-order mark alone.
    for (int i : {0, 3}) documents::SetAttributeValue(sheetEntry(i), "Active", "0");
    ASSERT_TRUE(BackupRestoreController::exportWithoutDialog(grid_, file.string()));
    EXPECT_EQ(readFile(file), std::string("\xFF\xFE"));
}

}  // namespace
}  // namespace zevo::exchange::test

namespace zevo::exchange::test {
namespace {

// The message for each way a file can fail, chosen by errno.
TEST_F(ExchangeTest, FileErrorsMapToTheirMessages) {
    using detail::FileErrorShown;
    EXPECT_EQ(detail::showFileError(EACCES), FileErrorShown::Message);
    EXPECT_EQ(detail::showFileError(EPERM), FileErrorShown::Message);
    EXPECT_EQ(detail::showFileError(EINVAL), FileErrorShown::Message);
    EXPECT_EQ(detail::showFileError(ENAMETOOLONG), FileErrorShown::Message);
    EXPECT_EQ(detail::showFileError(ENOSPC), FileErrorShown::Message);
    EXPECT_EQ(detail::showFileError(EDQUOT), FileErrorShown::Message);
    EXPECT_EQ(detail::showFileError(ENOENT), FileErrorShown::PathMessage);
    EXPECT_EQ(detail::showFileError(ENOTDIR), FileErrorShown::PathMessage);
    EXPECT_EQ(detail::showFileError(EEXIST), FileErrorShown::None);
    EXPECT_EQ(detail::showFileError(EEXIST, true), FileErrorShown::PathMessage);
    EXPECT_EQ(detail::showFileError(EIO), FileErrorShown::None);
    EXPECT_EQ(presenter_->shownIds(), Ids({"0021", "0021", "0025", "0025", "0041", "0041", "0010", "0010", "0105"}));
    EXPECT_EQ(presenter_->shown()[4].icon, miCriticalError);
    EXPECT_EQ(presenter_->shown()[6].icon, miInformation);
}

}  // namespace
}  // namespace zevo::exchange::test
