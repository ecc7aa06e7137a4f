#pragma once
// A declaration of one to three small sheets in a private folder: blank sheet
// documents, a validity node naming them, the documents loaded into the session,
// a data folder, scripted answers to messages and the error log in the folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/exchange/ExchangeFile.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/testing/TestFiles.h"

namespace zevo::exchange::test {

namespace fs = std::filesystem;
using Ids = std::vector<std::string>;
using zevo::testing::readFile;
using zevo::testing::writeFile;

struct SheetSpec {
    std::string id;
    std::string dataFile;
    std::string body;            // the Section elements of the blank document
    std::string active = "1";
};

// A sheet document with the installed documents' DTD (CellID is an ID).
inline std::string sheetDocument(const std::string& sections) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE Sections [\n"
           "<!ELEMENT Sections (Section*)>\n<!ELEMENT Section (Cells*)>\n"
           "<!ATTLIST Section Dynamic CDATA #IMPLIED MaxRows CDATA #IMPLIED Receive CDATA #IMPLIED>\n"
           "<!ELEMENT Cells (Cell*)>\n<!ELEMENT Cell EMPTY>\n"
           "<!ATTLIST Cell CellID ID #IMPLIED CellID2 CDATA #IMPLIED Value CDATA #IMPLIED\n"
           "  FirstCell CDATA #IMPLIED Encode CDATA #IMPLIED Receive CDATA #IMPLIED>\n]>\n"
           "<Sections>" + sections + "</Sections>\n";
}

// A Cell with CellID and CellID2 on the same address; extra attributes as written.
inline std::string cell(const std::string& id, const std::string& value, const std::string& extra = {}) {
    return "<Cell CellID=\"" + id + "\" CellID2=\"" + id + "\" Value=\"" + value + "\"" +
           (extra.empty() ? "" : " " + extra) + "/>";
}

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        clsVariables::resetSession();
        root_ = fs::temp_directory_path() /
                ("zevo-exchange-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 "-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "templates");
        fs::create_directories(root_ / "data");
        setErrorLogFolderOverride(root_.string());
        presenter_ = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(presenter_);
        clsVariables().DataFolder((root_ / "data").string() + "/");
    }
    void TearDown() override {
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        clsVariables::resetSession();
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Writes the blank documents, names them in a validity node and loads them
    // as the open declaration.
    void declare(const std::vector<SheetSpec>& sheets) {
        std::string menu = "<Root><Menu ID=\"100_7\" Year=\"0\"><Validity>";
        for (const SheetSpec& s : sheets) {
            writeFile(root_ / "templates" / (s.dataFile + ".xml"), sheetDocument(s.body));
            menu += "<Sheet ID=\"" + s.id + "\" Caption=\"Sheet " + s.id + "\" Active=\"" + s.active +
                    "\" TemplateFolder=\"" + (root_ / "templates").string() + "/\" DataFile=\"" + s.dataFile + "\"/>";
        }
        menu += "</Validity></Menu></Root>";
        menuDoc_ = xml::Document::fromString(menu, nullptr, xml::Trust::Installed);
        clsVariables vars;
        vars.NodeMenu(menuDoc_->documentElement().firstChildElement("Menu"));
        vars.NodeValidity(vars.NodeMenu().firstChildElement("Validity"));
        vars.xmlDataReDim(static_cast<int>(sheets.size()) - 1);
        for (std::size_t i = 0; i < sheets.size(); ++i) reopen(static_cast<int>(i));
    }
    // The open document of sheet index i becomes its blank document again.
    void reopen(int i) {
        const std::string name = sheetEntry(i).attribute("DataFile").value_or("");
        xml::LoadResult r;
        auto doc = xml::Document::fromFile((root_ / "templates" / (name + ".xml")).string(), &r);
        ASSERT_TRUE(r.ok()) << r.reason;
        clsVariables().Data(i, doc);
    }
    // Loads a data file as the open document of sheet index i.
    void openDataFile(int i) {
        const std::string name = sheetEntry(i).attribute("DataFile").value_or("");
        xml::LoadResult r;
        auto doc = xml::Document::fromFile(dataPath(name).string(), &r);
        ASSERT_TRUE(r.ok()) << r.reason;
        clsVariables().Data(i, doc);
    }

    xml::Node sheetEntry(int i) const { return clsVariables().NodeValidity().childElements("Sheet").at(i); }
    std::string active(int i) const { return documents::GetAttributeValue(sheetEntry(i), "Active"); }
    xml::DocumentPtr doc(int i) const { return clsVariables().Data(i); }
    std::string value(int i, const std::string& id) const {
        return documents::GetAttributeValue(doc(i)->elementById(id), "Value");
    }
    void setValue(int i, const std::string& id, const std::string& v) {
        documents::SetAttributeValue(doc(i)->elementById(id), "Value", v);
    }
    fs::path dataPath(const std::string& dataFile) const { return root_ / "data" / (dataFile + ".xml"); }
    std::string errorLog() const { return readFile(root_ / "LogFile.txt"); }
    // An exchange file holding the text.
    fs::path exchangeFile(const std::string& text, const std::string& name = "in.txt") {
        writeFile(root_ / name, toUtf16File(text));
        return root_ / name;
    }

    fs::path root_;
    grid::SpreadModel grid_;
    std::shared_ptr<ScriptedMessagePresenter> presenter_;
    xml::DocumentPtr menuDoc_;
};

}  // namespace zevo::exchange::test
