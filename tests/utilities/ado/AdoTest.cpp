// clsADO without a server: the connection string, its ODBC translation, the
// package document and the package statement text.
#include <gtest/gtest.h>

#include <functional>

#include "zevo/clsADO.h"

namespace zevo {
namespace {

int errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ado.PackageDocument()->loadFile(ZEVO_TEST_DATA_DIR "/Packages.xml").ok())
            << ado.PackageDocument()->lastLoad().reason;
    }
    clsADO ado;
};

TEST(AdoConnectionString, TemplateFilledFromGivenArgumentsAndStoredValues) {
    clsADO ado;
    ado.CreateConnectionString(0, "ORCL", "scott", "tiger");
    EXPECT_EQ(ado.Connection().ConnectionString(),
              "Provider=MSDAORA.1;Password=tiger;User ID=scott;Data Source=ORCL;Persist Security Info=True");

    // Arguments left out (-1, empty) keep what is stored; properties count too.
    ado.DBUserName("hr");
    ado.CreateConnectionString(-1, "", "", "lion");
    EXPECT_EQ(ado.Connection().ConnectionString(),
              "Provider=MSDAORA.1;Password=lion;User ID=hr;Data Source=ORCL;Persist Security Info=True");
    EXPECT_EQ(ado.DBPassword(), "lion");
    EXPECT_EQ(ado.DataSource(), "ORCL");
    EXPECT_EQ(ado.Connection().OdbcConnectionString(), "DSN=ORCL;UID=hr;PWD={lion};");

    // An unknown provider stores nothing, not even the texts given with it.
    EXPECT_EQ(errorNumberOf([&] { ado.CreateConnectionString(3, "OTHER", "u", "p"); }), err::kInvalidCall);
    EXPECT_EQ(ado.DataSource(), "ORCL");
    EXPECT_EQ(ado.DBUserName(), "hr");
    EXPECT_EQ(ado.Connection().ConnectionString(),
              "Provider=MSDAORA.1;Password=lion;User ID=hr;Data Source=ORCL;Persist Security Info=True");
}

TEST(AdoConnectionString, OdbcTranslationKeepsSeparatorsInsideValues) {
    EXPECT_EQ(OdbcConnection::TranslateToOdbc("zevo", "", ""), "DSN=zevo;");
    EXPECT_EQ(OdbcConnection::TranslateToOdbc("zevo", "u", "p;w=}x{"), "DSN=zevo;UID=u;PWD={p;w=}}x{};");
    EXPECT_EQ(OdbcConnection::TranslateToOdbc("zevo", "a;b", ""), "DSN=zevo;UID={a;b};");
    // A data source holding "=" is a whole ODBC connection string.
    EXPECT_EQ(OdbcConnection::TranslateToOdbc("Driver={PostgreSQL Unicode};Servername=/tmp/s", "zevo", ""),
              "Driver={PostgreSQL Unicode};Servername=/tmp/s;UID=zevo;");
    EXPECT_EQ(OdbcConnection::TranslateToOdbc("Driver=X;", "", "pw"), "Driver=X;PWD={pw};");
    // A name that would be read as another one is refused, and nothing is stored.
    clsADO ado;
    EXPECT_EQ(errorNumberOf([&] { ado.CreateConnectionString(0, "zevo;x", "u"); }), err::kInvalidCall);
    EXPECT_EQ(ado.DataSource(), "");
    EXPECT_EQ(ado.DBUserName(), "");
}

TEST(AdoConnection, UnconnectedObjectRefusesStatementsAndIgnoresDisconnect) {
    clsADO ado;
    EXPECT_FALSE(ado.Connected());
    ado.DisConnect();
    EXPECT_FALSE(ado.Connected());
    EXPECT_EQ(errorNumberOf([&] { ado.Execute("SELECT 1"); }), 3709);
}

TEST_F(PackageTest, StatementTextOfThePackage) {
    EXPECT_EQ(ado.PackageStatement(), "");   // nothing selected
    EXPECT_EQ(ado.ExcutePackage(), nullptr);  // nothing selected, not even connected

    ado.Package("F");
    EXPECT_EQ(ado.PackageStatement(), "SELECT P.F('x',5) a FROM DUAL");
    // Quotes are not doubled in the text: it is never what runs.
    ado.ParameterByIndex(0, "O'Brien");
    ado.ParameterByIndex(1, "12.50");
    EXPECT_EQ(ado.PackageStatement(), "SELECT P.F('O'Brien',12.50) a FROM DUAL");

    // Any other data type renders as empty text.
    ado.Package("DateParameter");
    EXPECT_EQ(ado.PackageStatement(), "SELECT P.F('x',) a FROM DUAL");
}

TEST_F(PackageTest, ParametersByIndexAndByName) {
    // Without a selected package the setters do nothing.
    ado.ParameterByIndex(0, "ignored");
    ado.ParameterByName("Text", "ignored");

    ado.Package("Namesakes");
    // Names compare upper-cased, Vietnamese letters included; the first namesake wins.
    ado.ParameterByName("họ TÊN", "changed");
    std::vector<xml::Node> parameters = ado.PackageNode().childElements();
    EXPECT_EQ(parameters[0].attribute("Value").value_or(""), "changed");
    EXPECT_EQ(parameters[1].attribute("Value").value_or(""), "2");
    ado.ParameterByIndex(1, "7");
    EXPECT_EQ(parameters[1].attribute("Value").value_or(""), "7");

    // Unknown names and indices are refused; nothing changes.
    EXPECT_EQ(errorNumberOf([&] { ado.ParameterByName("Tên", "x"); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { ado.ParameterByIndex(2, "x"); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf([&] { ado.ParameterByIndex(-1, "x"); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(ado.PackageStatement(), "SELECT P.F('changed',7) a FROM DUAL");
}

TEST_F(PackageTest, UnusablePackagesAreRefusedBeforeAnythingRuns) {
    ado.Package("F");
    // An unknown ID keeps the selected package.
    EXPECT_EQ(errorNumberOf([&] { ado.Package("Missing"); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(ado.PackageNode().attribute("ID").value_or(""), "F");

    ado.Package("NoParameters");
    EXPECT_EQ(errorNumberOf([&] { ado.PackageStatement(); }), err::kInvalidCall);
    EXPECT_EQ(errorNumberOf([&] { ado.ExcutePackage(); }), err::kInvalidCall);

    // Refused before the (closed) connection is asked, which would answer 3709.
    ado.Package("DateParameter");
    EXPECT_EQ(errorNumberOf([&] { ado.ExcutePackage(); }), err::kInvalidCall);
    ado.Package("SplicedName");
    EXPECT_EQ(errorNumberOf([&] { ado.ExcutePackage(); }), err::kInvalidCall);
    ado.Package("F");
    EXPECT_EQ(errorNumberOf([&] { ado.ExcutePackage(); }), 3709);
}

}  // namespace
}  // namespace zevo
