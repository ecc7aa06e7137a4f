#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"

namespace zevo::test {

// A fresh session, a private folder for files and the error log, and a scripted
// message presenter that records what would have been shown.
class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        clsVariables::resetSession();
        std::string t = (std::filesystem::temp_directory_path() / "zevo-doc-XXXXXX").string();
        folder = mkdtemp(t.data());
        setErrorLogFolderOverride(folder);
        presenter = std::make_shared<ScriptedMessagePresenter>(std::deque<int>{}, mrOK);
        clsMessageBox::setPresenter(presenter);
    }
    void TearDown() override {
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        clsVariables::resetSession();
        std::filesystem::remove_all(folder);
    }
    std::string file(const std::string& name) const { return folder + "/" + name; }
    std::string log() const { return read(file("LogFile.txt")); }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::string folder;
    std::shared_ptr<ScriptedMessagePresenter> presenter;
};

}  // namespace zevo::test
