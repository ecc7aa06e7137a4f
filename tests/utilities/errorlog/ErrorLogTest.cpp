// Layout of "LogFile.txt" entries and a log that cannot be written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "zevo/ErrorLog.h"

namespace {

struct LogFolder {
    std::string path;
    LogFolder() {
        std::string t = (std::filesystem::temp_directory_path() / "zevo-log-XXXXXX").string();
        path = mkdtemp(t.data());
        zevo::setErrorLogFolderOverride(path);
    }
    ~LogFolder() {
        zevo::setErrorLogFolderOverride("");
        std::filesystem::remove_all(path);
    }
    std::string content() const {
        std::ifstream in(path + "/LogFile.txt", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

TEST(ErrorLog, EntriesAppendInOrderWithTheirLayout) {
    LogFolder log;
    zevo::WriteErrorLog("mdlFunctions", "GetValidityNode", 13, "Type mismatch");
    zevo::WriteErrorLog("mainForm", "Form_Load", zevo::RuntimeError(53, "first line\r\nsecond line"));

    const std::string dashes(60, '-');
    const std::string stamp = R"(\d{2}/\d{2}/\d{4} \d{2}:\d{2}:\d{2})";
    const std::regex layout("^" + stamp + " mdlFunctions GetValidityNode\r\n" +
                            "13 : Type mismatch\r\n" + dashes + "\r\n" + stamp +
                            " mainForm Form_Load\r\n" + "53 : first line\r\nsecond line\r\n" +
                            dashes + "\r\n$");
    EXPECT_TRUE(std::regex_match(log.content(), layout)) << log.content();

    // Anything that is not a RuntimeError is logged with the generic number.
    zevo::WriteErrorLog("mdlFunctions", "SetupData", std::runtime_error("boom"));
    EXPECT_NE(log.content().find("440 : boom\r\n"), std::string::npos);
}

TEST(ErrorLog, UnwritableLogDoesNotDisturbTheCaller) {
    LogFolder log;
    const std::string missing = log.path + "/no/such/folder";
    zevo::setErrorLogFolderOverride(missing);
    EXPECT_NO_THROW(zevo::WriteErrorLog("mdlFunctions", "SaveData", 75, "I/O error"));
    EXPECT_FALSE(std::filesystem::exists(missing));
    // A log path that is a folder cannot be opened either.
    std::filesystem::create_directories(log.path + "/dir/LogFile.txt");
    zevo::setErrorLogFolderOverride(log.path + "/dir");
    EXPECT_NO_THROW(zevo::WriteErrorLog("mdlFunctions", "SaveData", 75, "I/O error"));
}
