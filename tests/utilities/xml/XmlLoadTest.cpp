// Load outcomes and hostile input.
#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "zevo/Xml.h"

using namespace zevo::xml;
using zevo::test::TempDir;
using zevo::test::writeText;

TEST(XmlLoad, MissingFileIsToldApartFromABrokenOne) {
    TempDir dir;
    auto doc = Document::create();
    LoadResult missing = doc->loadFile(dir.file("nothere.xml"));
    EXPECT_EQ(missing.status, LoadStatus::NotFound);
    EXPECT_FALSE(missing.reason.empty());
    EXPECT_EQ(doc->loadFile(dir.file("no/such/folder.xml")).status, LoadStatus::NotFound);

    writeText(dir.file("broken.xml"), "<Sections><Section></Sections>");
    LoadResult broken = doc->loadFile(dir.file("broken.xml"));
    EXPECT_EQ(broken.status, LoadStatus::ParseError);
    EXPECT_NE(broken.reason.find("mismatch"), std::string::npos) << broken.reason;
    EXPECT_TRUE(doc->isEmpty());
    EXPECT_EQ(doc->lastLoad().reason, broken.reason);

    writeText(dir.file("empty.xml"), "");
    EXPECT_EQ(doc->loadFile(dir.file("empty.xml")).status, LoadStatus::ParseError);
    EXPECT_EQ(doc->loadFile(dir.path()).status, LoadStatus::ParseError);   // a folder
}

TEST(XmlLoad, LoadingReplacesTheTreeAndAFailureEmptiesIt) {
    TempDir dir;
    writeText(dir.file("a.xml"), "<A><B/></A>");
    auto doc = Document::create();
    ASSERT_TRUE(doc->loadFile(dir.file("a.xml")).ok());
    EXPECT_EQ(doc->documentElement().name(), "A");
    ASSERT_TRUE(doc->loadString("<C/>").ok());
    EXPECT_EQ(doc->documentElement().name(), "C");
    EXPECT_FALSE(doc->loadString("<C>").ok());
    EXPECT_TRUE(doc->isEmpty());
    EXPECT_TRUE(doc->documentElement().isNull());
}

TEST(XmlLoad, ValidatedDocumentsMustKeepTheirInternalDtd) {
    TempDir dir;
    const std::string cells = "<Sections><Section><Cells><Cell CellID=\"K_9\" Value=\"1\"/>";
    auto doc = Document::create();

    writeText(dir.file("good.xml"), std::string(zevo::test::kSheetDtd) + cells + "</Cells></Section></Sections>");
    ASSERT_TRUE(doc->loadFile(dir.file("good.xml"), Trust::Installed, Validation::InternalSubset).ok())
        << doc->lastLoad().reason;
    EXPECT_FALSE(doc->elementById("K_9").isNull());

    // Well-formed but invalid: one CellID twice, an undeclared element, no DTD.
    const std::string invalid[] = {
        std::string(zevo::test::kSheetDtd) + cells + "<Cell CellID=\"K_9\" Value=\"2\"/></Cells></Section></Sections>",
        std::string(zevo::test::kSheetDtd) + cells + "</Cells><Stray/></Section></Sections>",
        "<?xml version=\"1.0\"?>" + cells + "</Cells></Section></Sections>",
    };
    for (const std::string& text : invalid) {
        writeText(dir.file("bad.xml"), text);
        LoadResult r = doc->loadFile(dir.file("bad.xml"), Trust::Installed, Validation::InternalSubset);
        EXPECT_EQ(r.status, LoadStatus::ParseError) << text;
        EXPECT_FALSE(r.reason.empty()) << text;
        EXPECT_TRUE(doc->isEmpty()) << text;
        // Without validation the same text loads (catalogues, menu and captions).
        EXPECT_TRUE(doc->loadFile(dir.file("bad.xml")).ok()) << text;
    }
    writeText(dir.file("dup.xml"), invalid[0]);
    EXPECT_NE(doc->loadFile(dir.file("dup.xml"), Trust::Installed, Validation::InternalSubset).reason.find("K_9"),
              std::string::npos);
}

class XmlHostile : public ::testing::TestWithParam<Trust> {};

TEST_P(XmlHostile, ExternalEntitiesAndDtdsAreNotRead) {
    TempDir dir;
    writeText(dir.file("secret.txt"), "TOPSECRET");
    writeText(dir.file("evil.dtd"),
              "<!ATTLIST Cell Leak CDATA \"TOPSECRET-DEFAULT\">\n"
              "<!ENTITY ext SYSTEM \"secret.txt\">\n");
    const std::string secretUrl = "file://" + dir.file("secret.txt");
    const std::string documents[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r>&x;</r>",
        "<!DOCTYPE Cell [<!ENTITY % p SYSTEM \"file://" + dir.file("evil.dtd") +
            "\"> %p;]><Cell/>",
        "<!DOCTYPE Cell SYSTEM \"" + dir.file("evil.dtd") + "\"><Cell>&ext;</Cell>",
    };
    for (const std::string& xml : documents) {
        writeText(dir.file("in.xml"), xml);
        LoadResult r;
        auto doc = Document::fromFile(dir.file("in.xml"), &r, GetParam());
        std::string seen = doc->toString() + r.reason;
        if (!doc->isEmpty()) {
            seen += doc->documentElement().text();
            for (auto& [name, value] : doc->documentElement().attributes()) seen += value;
        }
        EXPECT_EQ(seen.find("TOPSECRET"), std::string::npos) << xml;
        EXPECT_EQ(seen.find("root:"), std::string::npos) << xml;
    }
}

TEST_P(XmlHostile, EntityExpansionStaysBounded) {
    std::string xml = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    xml += "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">";
    for (int i = 2; i <= 9; ++i) {
        std::string prev = "&lol" + std::to_string(i - 1) + ";";
        xml += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) xml += prev;
        xml += "\">";
    }
    xml += "]><lolz>&lol9;</lolz>";
    LoadResult r;
    auto doc = Document::fromString(xml, &r, GetParam());
    if (r.ok()) {
        EXPECT_LT(doc->toString().size(), 100000u);
        // Reading the text must not expand to a billion characters either.
        EXPECT_LT(doc->documentElement().text().size(), 10000000u);
    } else {
        EXPECT_FALSE(r.reason.empty());
    }
}

TEST_P(XmlHostile, LinearEntityExpansionIsBounded) {
    // One 1 MiB entity referenced 2,000 times: 2 GB of text once read.
    std::string xml = "<!DOCTYPE r [<!ENTITY big \"" + std::string(1 << 20, 'x') + "\">]><r a=\"";
    for (int i = 0; i < 2000; ++i) xml += "&big;";
    xml += "\">";
    for (int i = 0; i < 2000; ++i) xml += "&big;";
    xml += "</r>";
    LoadResult r;
    auto doc = Document::fromString(xml, &r, GetParam());
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(doc->isEmpty());
    EXPECT_FALSE(r.reason.empty());
}

TEST(XmlLoad, UntrustedDocumentsRefuseEntityDeclarationsInstalledOnesKeepSmallOnes) {
    const std::string xml = "<!DOCTYPE r [<!ENTITY co \"Công ty\">]><r a=\"&co; A\">&co; B</r>";
    LoadResult r;
    auto untrusted = Document::fromString(xml, &r, Trust::Untrusted);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(untrusted->isEmpty());
    auto installed = Document::fromString(xml, &r, Trust::Installed);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(installed->documentElement().attribute("a").value_or(""), "Công ty A");
    // Without entities an untrusted document with an internal subset still loads.
    Document::fromString("<!DOCTYPE r [<!ELEMENT r ANY>]><r/>", &r, Trust::Untrusted);
    EXPECT_TRUE(r.ok()) << r.reason;
}

INSTANTIATE_TEST_SUITE_P(BothTrustLevels, XmlHostile,
                         ::testing::Values(Trust::Installed, Trust::Untrusted));

TEST(XmlLoad, InstalledFilesGetDefaultAttributesOfTheInternalSubset) {
    const std::string xml =
        "<!DOCTYPE Cell [<!ELEMENT Cell EMPTY>"
        "<!ATTLIST Cell CellID ID #REQUIRED Encode CDATA \"1\">]><Cell CellID=\"A_1\"/>";
    auto installed = Document::fromString(xml, nullptr, Trust::Installed);
    EXPECT_EQ(installed->documentElement().attribute("Encode").value_or(""), "1");
    EXPECT_FALSE(installed->elementById("A_1").isNull());
}
