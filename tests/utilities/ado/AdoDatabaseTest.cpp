// clsADO against a real PostgreSQL server through unixODBC and psqlODBC. The
// server is private to this run (see PrivatePostgres) and holds a schema P with
// a function F(text, numeric) and a view DUAL, so the package statements run as
// they would against the Oracle schema they were written for.
//
// When the server cannot start the tests are skipped with the reason, unless
// ZEVO_REQUIRE_DATABASE is set (CI), where that is a failure.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "PrivatePostgres.h"
#include "zevo/clsADO.h"

namespace zevo {
namespace {

using testing::PrivatePostgres;

const char* const kSetupSql =
    "CREATE SCHEMA P;"
    "CREATE FUNCTION P.F(t text, n numeric) RETURNS text LANGUAGE sql IMMUTABLE"
    "  AS $$ SELECT t || '|' || n::text $$;"
    "CREATE VIEW DUAL AS SELECT 'X'::text AS dummy;"
    "CREATE ROLE secret LOGIN PASSWORD 'p;w=}x{';";

PrivatePostgres* server = nullptr;

class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override { server = new PrivatePostgres(kSetupSql); }
    // Runs after the last test however the tests went.
    void TearDown() override {
        delete server;
        server = nullptr;
    }
};

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server || !server->running()) {
            const std::string why = server ? server->reason() : "no server";
            if (std::getenv("ZEVO_REQUIRE_DATABASE")) FAIL() << "the private PostgreSQL server is required: " << why;
            GTEST_SKIP() << "no private PostgreSQL server: " << why;
        }
        ASSERT_TRUE(ado.PackageDocument()->loadFile(ZEVO_TEST_DATA_DIR "/Packages.xml").ok());
    }
    void connect() {
        ado.CreateConnectionString(0, PrivatePostgres::kDsn, PrivatePostgres::kUser);
        ado.Connect();
        ASSERT_TRUE(ado.Connected());
    }
    std::string psqlValue(const std::string& sql) {
        std::string out;
        EXPECT_TRUE(server->psql(sql, &out)) << out;
        while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
        return out;
    }
    clsADO ado;
};

// The error a call throws, or a failure when it does not throw one.
DatabaseError databaseErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const DatabaseError& e) {
        return e;
    }
    ADD_FAILURE() << "no DatabaseError";
    return DatabaseError("none", {});
}

TEST_F(DatabaseTest, ConnectExecuteDisconnect) {
    connect();
    ado.Connect();   // already connected: nothing happens
    EXPECT_TRUE(ado.Connected());

    std::unique_ptr<Recordset> rs =
        ado.Execute("SELECT 'Nguyễn Văn Ánh' AS name, 42 AS n, NULL AS missing FROM DUAL");
    ASSERT_NE(rs, nullptr);
    ASSERT_EQ(rs->FieldCount(), 3);
    EXPECT_EQ(rs->FieldName(0), "name");
    EXPECT_EQ(rs->Value("NAME"), "Nguyễn Văn Ánh");
    EXPECT_EQ(rs->Value(1), "42");
    EXPECT_TRUE(rs->IsNull(2));
    EXPECT_FALSE(rs->IsNull(1));
    rs->MoveNext();
    EXPECT_TRUE(rs->AtEnd());

    // Rows read forward, and a value longer than one read of the driver.
    rs = ado.Execute("SELECT k, repeat('ư', 5000) AS long FROM generate_series(1, 3) AS k");
    ASSERT_NE(rs, nullptr);
    for (int k = 1; k <= 3; ++k, rs->MoveNext()) {
        ASSERT_FALSE(rs->AtEnd());
        EXPECT_EQ(rs->Value(0), std::to_string(k));
        EXPECT_EQ(rs->Value("long").size(), 5000u * std::string("ư").size());
    }
    EXPECT_TRUE(rs->AtEnd());

    // Nothing for no row and for no field.
    EXPECT_EQ(ado.Execute("SELECT dummy FROM DUAL WHERE 1 = 0"), nullptr);
    EXPECT_EQ(ado.Execute("CREATE TEMPORARY TABLE t (x int)"), nullptr);
    EXPECT_EQ(ado.Execute("INSERT INTO t VALUES (1)"), nullptr);
    EXPECT_EQ(ado.Execute("UPDATE t SET x = 2 WHERE x = 99"), nullptr);

    ado.DisConnect();
    EXPECT_FALSE(ado.Connected());
    ado.DisConnect();
    EXPECT_FALSE(ado.Connected());
    EXPECT_THROW(ado.Execute("SELECT 1"), RuntimeError);
}

TEST_F(DatabaseTest, PackageRunsWithBoundValues) {
    connect();
    ado.Package("F");
    auto rs = ado.ExcutePackage();
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(rs->FieldName(0), "a");
    EXPECT_EQ(rs->Value(0), "x|5");

    // A quote neither breaks the call nor lets the value out of its parameter;
    // the text form shows what splicing would have sent.
    const std::string hostile = "O'Brien', 1) a FROM DUAL; DROP VIEW DUAL; --";
    ado.ParameterByName("text", hostile);
    ado.ParameterByName("AMOUNT", "12.50");
    EXPECT_EQ(ado.PackageStatement(), "SELECT P.F('" + hostile + "',12.50) a FROM DUAL");
    rs = ado.ExcutePackage();
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(rs->Value("A"), hostile + "|12.50");

    ado.ParameterByIndex(0, "Trần Thị Hương");
    ado.ParameterByIndex(1, "-3");
    rs = ado.ExcutePackage();
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(rs->Value(0), "Trần Thị Hương|-3");

    // A numeric value is a number to the server, never SQL text.
    ado.ParameterByIndex(1, "5) a FROM DUAL; DROP VIEW DUAL; --");
    DatabaseError e = databaseErrorOf([&] { ado.ExcutePackage(); });
    EXPECT_EQ(e.sqlState(), "22P02") << e.what();
    EXPECT_TRUE(ado.Connected());

    EXPECT_EQ(psqlValue("SELECT count(*) FROM DUAL"), "1");
}

TEST_F(DatabaseTest, FailedConnectLeavesTheObjectDisconnectedWithTheDriversMessage) {
    ado.CreateConnectionString(0, "NoSuchSource", PrivatePostgres::kUser);
    DatabaseError e = databaseErrorOf([&] { ado.Connect(); });
    EXPECT_EQ(e.sqlState(), "IM002") << e.what();
    EXPECT_NE(std::string(e.what()).find("[IM002]"), std::string::npos) << e.what();
    EXPECT_FALSE(ado.Connected());

    // A whole ODBC connection string as the data source, with a socket folder
    // where no server listens: the driver's own diagnostic.
    ado.CreateConnectionString(-1, std::string("Driver={") + PrivatePostgres::kDriver +
                                       "};Servername=" + server->folder() + "/none;Database=postgres");
    e = databaseErrorOf([&] { ado.Connect(); });
    EXPECT_EQ(e.sqlState(), "08001") << e.what();
    EXPECT_FALSE(ado.Connected());

    // The password-protected role: a wrong password is refused, the right one
    // (holding ";", "=", "}" and "{") gets through.
    ado.CreateConnectionString(-1, PrivatePostgres::kDsn, "secret", "wrong");
    e = databaseErrorOf([&] { ado.Connect(); });
    EXPECT_NE(std::string(e.what()).find("password authentication failed"), std::string::npos) << e.what();
    EXPECT_FALSE(ado.Connected());
    ado.CreateConnectionString(-1, "", "", "p;w=}x{");
    ado.Connect();
    ASSERT_TRUE(ado.Connected());
    auto rs = ado.Execute("SELECT current_user AS who");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(rs->Value(0), "secret");
}

TEST_F(DatabaseTest, FailuresLeaveTheConnectionAsItWas) {
    connect();
    const std::string before = ado.Connection().ConnectionString();

    DatabaseError e = databaseErrorOf([&] { ado.Execute("SELEC 1"); });
    EXPECT_EQ(e.sqlState(), "42601") << e.what();
    EXPECT_TRUE(ado.Connected());
    ASSERT_NE(ado.Execute("SELECT dummy FROM DUAL"), nullptr);

    // The open connection keeps its string, and nothing given is stored.
    try {
        ado.CreateConnectionString(-1, "Elsewhere", "someone");
        ADD_FAILURE() << "a connection string was assigned to an open connection";
    } catch (const RuntimeError& r) {
        EXPECT_EQ(r.number(), 3705);
    }
    EXPECT_EQ(ado.DataSource(), PrivatePostgres::kDsn);
    EXPECT_EQ(ado.DBUserName(), PrivatePostgres::kUser);
    EXPECT_EQ(ado.Connection().ConnectionString(), before);
    EXPECT_NE(ado.Execute("SELECT dummy FROM DUAL"), nullptr);
}

TEST_F(DatabaseTest, DestroyingTheObjectEndsItsSession) {
    // Sessions of the password-protected role; the server notices a closed
    // session a moment after the client has gone.
    auto sessionsAfterAWhile = [&](const std::string& wanted) {
        std::string sessions;
        for (int i = 0; i < 100; ++i) {
            sessions = psqlValue("SELECT count(*) FROM pg_stat_activity WHERE usename = 'secret'");
            if (sessions == wanted) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return sessions;
    };
    ASSERT_EQ(sessionsAfterAWhile("0"), "0");
    {
        clsADO other;
        other.CreateConnectionString(0, PrivatePostgres::kDsn, "secret", "p;w=}x{");
        other.Connect();
        EXPECT_EQ(sessionsAfterAWhile("1"), "1");
    }
    EXPECT_EQ(sessionsAfterAWhile("0"), "0");
}

}  // namespace
}  // namespace zevo

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new zevo::ServerEnvironment);
    return RUN_ALL_TESTS();
}
