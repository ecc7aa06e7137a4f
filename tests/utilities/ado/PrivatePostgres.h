#pragma once
// A PostgreSQL server of the test run's own: a cluster in a temporary folder,
// reachable only through a Unix socket in that folder (no TCP port, no system
// service), with psqlODBC registered in a private driver-manager set-up
// (ODBCSYSINI/ODBCINI point into the folder, so the system's ODBC files are
// neither read nor touched).
//
// As root the server programs run as "postgres" (initdb refuses root). A guard
// process stops the server and removes the folder when the test process ends
// without doing so itself (a crash, an abort, a kill), so no server outlives the
// run.
#include <string>
#include <sys/types.h>
#include <vector>

namespace zevo::testing {

class PrivatePostgres {
public:
    // Starts the server and runs `setupSql` through psql. When anything fails
    // nothing is left running and reason() says why.
    explicit PrivatePostgres(const std::string& setupSql);
    ~PrivatePostgres();
    PrivatePostgres(const PrivatePostgres&) = delete;
    PrivatePostgres& operator=(const PrivatePostgres&) = delete;

    bool running() const { return running_; }
    const std::string& reason() const { return reason_; }

    const std::string& folder() const { return folder_; }       // also the socket folder
    static constexpr const char* kDsn = "zevo";                 // data source in odbc.ini
    static constexpr const char* kDriver = "PostgreSQL Unicode";// driver in odbcinst.ini
    static constexpr const char* kUser = "zevo";                // superuser, trusted locally

    // Runs SQL through psql as the superuser; false (with psql's output) on error.
    bool psql(const std::string& sql, std::string* output = nullptr) const;

private:
    bool start(const std::string& setupSql);
    void stop();
    bool fail(const std::string& why, const std::string& detail = {});
    int run(const std::vector<std::string>& argv, std::string* output) const;
    std::vector<std::string> asServerUser(std::vector<std::string> argv) const;
    void startGuard();

    bool running_ = false;
    std::string reason_;
    std::string folder_;
    std::string binDir_;
    bool root_ = false;
    int guardFd_ = -1;
    pid_t guardPid_ = -1;
};

}  // namespace zevo::testing
