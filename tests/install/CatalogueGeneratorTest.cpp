// The catalogue generator run as the build runs it: names are trimmed, names that
// repeat under one parent are told apart by their codes, and a repetition that
// cannot be resolved fails the generator.
#include "XmlText.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using zevo::tools::XmlElement;

namespace {

class CatalogueGenerator : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zevo-catgen-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "out");
        write("shortnames.csv", "province_code,shortname\n01,AAA\n02,BBB\n");
        write("countries.csv",
              "alpha2,alpha3,numeric,name_en,name_vi\nVN,VNM,704,Viet Nam,Việt Nam\n"
              "FR,FRA,250,France, Pháp \n");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    // Runs the generator on the units table; its exit status.
    int run(const std::string& units) {
        write("units.csv",
              "province_code,province_name,province_type,district_code,district_name,district_type,"
              "ward_code,ward_name,ward_type\n" +
                  units);
        const std::string command = std::string("'") + ZEVO_CATALOGUEGEN + "' --units '" +
                                    (dir_ / "units.csv").string() + "' --countries '" +
                                    (dir_ / "countries.csv").string() + "' --shortnames '" +
                                    (dir_ / "shortnames.csv").string() + "' --tables '" +
                                    ZEVO_SOURCE_DIR "/install/catalogues' --out '" + (dir_ / "out").string() +
                                    "' >'" + (dir_ / "log.txt").string() + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string log() const {
        std::ifstream in(dir_ / "log.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    XmlElement catalogue(const std::string& name) const {
        return zevo::tools::readXmlFile((dir_ / "out" / name).string());
    }

    fs::path dir_;
};

std::string attr(const XmlElement& e, const std::string& key) {
    for (const auto& [k, v] : e.attributes)
        if (k == key) return v;
    return {};
}

std::vector<std::string> values(const XmlElement& parent) {
    std::vector<std::string> out;
    for (const XmlElement& c : parent.children) out.push_back(attr(c, "value"));
    return out;
}

using Names = std::vector<std::string>;

TEST_F(CatalogueGenerator, RepeatedNamesUnderOneParentCarryTheirCodes) {
    ASSERT_EQ(run("01,Tỉnh A,Tỉnh,001, Huyện  Một ,Huyện,00001,Xã Đông Khê,Xã\n"
                  "01,Tỉnh A,Tỉnh,001, Huyện  Một ,Huyện,00002,Xã Tây,Xã\n"
                  "01,Tỉnh A,Tỉnh,001, Huyện  Một ,Huyện,00003,Xã Đông Khê ,Xã\n"
                  "01,Tỉnh A,Tỉnh,002,Huyện Hai,Huyện,00004,Xã Đông Khê,Xã\n"
                  "01,Tỉnh A,Tỉnh,003,Huyện Hai,Huyện,,,\n"
                  "02,Tỉnh B,Tỉnh,004,Huyện Một,Huyện,00005,Xã Tây,Xã\n"),
              0)
        << log();
    const XmlElement places = catalogue("DMDiaban.xml");
    ASSERT_EQ(places.children.size(), 2u);
    const XmlElement& a = places.children[0];
    EXPECT_EQ(values(a), Names({"Huyện Một", "Huyện Hai (002)", "Huyện Hai (003)"}));
    EXPECT_EQ(values(a.children[0]), Names({"Xã Đông Khê (00001)", "Xã Tây", "Xã Đông Khê (00003)"}));
    // The same name under another parent is no repetition.
    EXPECT_EQ(values(a.children[1]), Names({"Xã Đông Khê"}));
    EXPECT_EQ(values(places.children[1]), Names({"Huyện Một"}));
    EXPECT_EQ(values(places.children[1].children[0]), Names({"Xã Tây"}));

    // Tax offices named after the districts stay apart too.
    const XmlElement offices = catalogue("DMCQT.xml");
    const Names officeNames = values(offices.children[0]);
    ASSERT_EQ(officeNames.size(), 4u);
    EXPECT_NE(officeNames[2], officeNames[3]);
    EXPECT_EQ(values(catalogue("DMQuocGia.xml")), Names({"Việt Nam", "Pháp"}));
}

TEST_F(CatalogueGenerator, RepetitionThatCodesCannotResolveFailsTheBuild) {
    EXPECT_NE(run("01,Tỉnh A,Tỉnh,001,Huyện Một,Huyện,00001,Xã X,Xã\n"
                  "01,Tỉnh A,Tỉnh,001,Huyện Một,Huyện,00002,Xã X,Xã\n"
                  "01,Tỉnh A,Tỉnh,001,Huyện Một,Huyện,00003,Xã X (00001),Xã\n"),
              0);
    EXPECT_NE(log().find("Xã X (00001)"), std::string::npos) << log();
}

}  // namespace
