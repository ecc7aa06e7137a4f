#pragma once
// A private folder per test, a clean session, the error log and the message service
// redirected, and small builders for workbooks and documents.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/Xml.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/testing/TestFiles.h"
#include "zevo/grid/WorkbookData.h"

namespace zevo::engine::test {

namespace fs = std::filesystem;

using zevo::testing::col;
using zevo::testing::readFile;
using zevo::testing::writeFile;

// The DTD every declaration and ini document carries; they are validated on load.
inline const char* kDocumentHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE Sections [\n"
    "<!ELEMENT Sections (Section*)>\n"
    "<!ATTLIST Sections PaperOrientation CDATA #IMPLIED>\n"
    "<!ELEMENT Section (Cells*)>\n"
    "<!ATTLIST Section Dynamic CDATA #IMPLIED MaxRows CDATA #IMPLIED Receive CDATA #IMPLIED>\n"
    "<!ELEMENT Cells (Cell*)>\n"
    "<!ELEMENT Cell EMPTY>\n"
    "<!ATTLIST Cell CellID ID #IMPLIED CellID2 CDATA #IMPLIED Value CDATA #IMPLIED\n"
    "  FirstCell CDATA #IMPLIED PageBreak CDATA #IMPLIED Encode CDATA #IMPLIED Receive CDATA #IMPLIED\n"
    "  StatusID CDATA #IMPLIED MaxLen CDATA #IMPLIED MinValue CDATA #IMPLIED MaxValue CDATA #IMPLIED\n"
    "  TextNumberFormat CDATA #IMPLIED HelpContextID CDATA #IMPLIED>\n"
    "]>\n";

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        clsVariables::resetSession();
        dir_ = fs::temp_directory_path() /
               ("zevo-engine-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "log");
        setErrorLogFolderOverride((dir_ / "log").string());
        presenter_ = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(presenter_);
    }

    void TearDown() override {
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        setProgramFolderOverride("");
        clsVariables::resetSession();
        fs::remove_all(dir_);
    }

    // What the error log holds ("" when nothing was logged).
    std::string errorLog() const { return readFile(dir_ / "log" / "LogFile.txt"); }

    // The message list of the session from <Message><Item ID Msg/>...</Message>.
    void useMessages(const std::string& itemsXml) {
        messages_ = xml::Document::fromString("<Message>" + itemsXml + "</Message>");
        clsVariables().NodeMessage(messages_->documentElement().childElements());
    }

    fs::path dir_;
    std::shared_ptr<ScriptedMessagePresenter> presenter_;
    xml::DocumentPtr messages_;
};

}  // namespace zevo::engine::test
