// The exchange file's MIME type as the desktop sees it: the shared-mime-info
// package file installed into a private data folder, its cache built by
// update-mime-database, and files told apart by Qt's MIME database (the one file
// managers and the program's dialogs use). Exchange files end in ".txt", so only
// their content (UTF-16LE byte-order mark, then "<S") can name the type, and the
// type must not claim other ".txt" files by their name.
//
// Qt's default look-up trusts a single file-name match over the content (GIO, and
// so GNOME's file manager, lets the more specific content match win), which is
// why the content is asked for explicitly here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QMimeDatabase>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string utf16le(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(ExchangeMimeType, RecognisedByContentNotByName) {
    if (std::system("command -v update-mime-database >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "update-mime-database is not installed (package shared-mime-info)";
    const fs::path data = fs::temp_directory_path() / ("zevo-mime-" + std::to_string(getpid()));
    fs::remove_all(data);
    fs::create_directories(data / "mime" / "packages");
    fs::copy_file(ZEVO_SOURCE_DIR "/install/desktop/org.zevo.Zevo.xml", data / "mime" / "packages" / "org.zevo.Zevo.xml");
    ASSERT_EQ(std::system(("update-mime-database '" + (data / "mime").string() + "'").c_str()), 0);
    // Before the first use of the database, which reads the folders once.
    setenv("XDG_DATA_HOME", data.c_str(), 1);

    writeBytes(data / "export.txt", utf16le("<S1><S><C>0100231564~Nguyen</C></S></S1>"));
    writeBytes(data / "letter.txt", utf16le("Dear tax office"));
    writeBytes(data / "utf8.txt", "<S1><S><C>x</C></S></S1>");

    QMimeDatabase db;
    auto typeOf = [&](const char* name, QMimeDatabase::MatchMode mode = QMimeDatabase::MatchContent) {
        return db.mimeTypeForFile(QString::fromStdString((data / name).string()), mode).name().toStdString();
    };
    EXPECT_EQ(typeOf("export.txt"), "application/x-zevo-exchange");
    EXPECT_TRUE(db.mimeTypeForName(QStringLiteral("application/x-zevo-exchange")).inherits(QStringLiteral("text/plain")));
    EXPECT_EQ(typeOf("letter.txt"), "text/plain");
    EXPECT_EQ(typeOf("utf8.txt"), "text/plain");
    EXPECT_EQ(typeOf("export.txt", QMimeDatabase::MatchExtension), "text/plain");
    fs::remove_all(data);
}

}  // namespace
