#include "PrivatePostgres.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace fs = std::filesystem;

namespace zevo::testing {
namespace {

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The newest installed server version's programs (Debian keeps them per version).
std::string findServerBinDir() {
    std::vector<std::pair<int, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        fs::path bin = entry.path() / "bin";
        if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && fs::exists(bin / "psql"))
            found.emplace_back(std::atoi(entry.path().filename().c_str()), bin.string());
    }
    if (found.empty()) return {};
    return std::max_element(found.begin(), found.end())->second;
}

std::string findDriver() {
    std::vector<fs::path> candidates = {"/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib", ec))
        candidates.push_back(entry.path() / "odbc" / "psqlodbcw.so");
    candidates.emplace_back("/usr/lib/odbc/psqlodbcw.so");
    for (const auto& p : candidates)
        if (fs::exists(p, ec)) return p.string();
    return {};
}

bool writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

PrivatePostgres::PrivatePostgres(const std::string& setupSql) {
    if (!start(setupSql)) stop();
}

PrivatePostgres::~PrivatePostgres() { stop(); }

bool PrivatePostgres::fail(const std::string& why, const std::string& detail) {
    reason_ = detail.empty() ? why : why + ":\n" + detail;
    return false;
}

std::vector<std::string> PrivatePostgres::asServerUser(std::vector<std::string> argv) const {
    if (!root_) return argv;
    argv.insert(argv.begin(), {"runuser", "-u", "postgres", "--"});
    return argv;
}

// Runs a program without a shell; its standard output and error are collected.
int PrivatePostgres::run(const std::vector<std::string>& argv, std::string* output) const {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string text;
    if (spawned == 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
    } else {
        text = argv[0] + ": cannot be started";
    }
    close(pipeFds[0]);
    if (output) *output = text;
    if (spawned != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool PrivatePostgres::start(const std::string& setupSql) {
    binDir_ = findServerBinDir();
    if (binDir_.empty())
        return fail("the PostgreSQL server programs are not installed (Debian package postgresql)");
    const std::string driver = findDriver();
    if (driver.empty()) return fail("the psqlODBC driver is not installed (Debian package odbc-postgresql)");

    root_ = geteuid() == 0;
    struct passwd* serverUser = nullptr;
    if (root_) {
        serverUser = getpwnam("postgres");
        if (!serverUser) return fail("running as root, but there is no user postgres to run the server as");
    }

    char folderTemplate[] = "/tmp/zevo-pg.XXXXXX";
    if (!mkdtemp(folderTemplate)) return fail("cannot create a temporary folder");
    folder_ = folderTemplate;
    if (root_ && chown(folder_.c_str(), serverUser->pw_uid, serverUser->pw_gid) != 0)
        return fail("cannot hand the temporary folder to postgres");

    const std::string data = folder_ + "/data";
    std::string out;
    if (run(asServerUser({binDir_ + "/initdb", "-D", data, "-A", "trust", "-U", kUser, "-E", "UTF8",
                          "--locale=C", "--no-sync"}),
            &out) != 0)
        return fail("initdb failed", out);
    // One password-protected role, to show that user and password reach the
    // server; everyone else is trusted on the socket.
    if (!writeText(data + "/pg_hba.conf", "local all secret scram-sha-256\nlocal all all trust\n"))
        return fail("cannot write pg_hba.conf");

    if (run(asServerUser({binDir_ + "/pg_ctl", "-D", data, "-l", folder_ + "/server.log", "-w", "-t", "60",
                          "-o", "-k " + folder_ + " -c listen_addresses='' -c fsync=off", "start"}),
            &out) != 0)
        return fail("the server did not start", out + readText(folder_ + "/server.log"));
    running_ = true;
    startGuard();

    if (!psql(setupSql, &out)) return fail("the test schema could not be created", out);

    const fs::path odbc = fs::path(folder_) / "odbc";
    fs::create_directories(odbc);
    if (!writeText(odbc / "odbcinst.ini", std::string("[") + kDriver + "]\nDriver=" + driver + "\n") ||
        !writeText(odbc / "odbc.ini", std::string("[") + kDsn + "]\nDriver=" + kDriver + "\nServername=" +
                                          folder_ + "\nDatabase=postgres\nPort=5432\n"))
        return fail("cannot write the ODBC set-up");
    setenv("ODBCSYSINI", odbc.c_str(), 1);
    setenv("ODBCINI", (odbc / "odbc.ini").c_str(), 1);
    return true;
}

bool PrivatePostgres::psql(const std::string& sql, std::string* output) const {
    int rc = run({binDir_ + "/psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", folder_, "-U", kUser,
                  "-d", "postgres", "-c", sql},
                 output);
    return rc == 0;
}

// A child in its own session that waits for the test process to close its end
// of a pipe. A byte before the close means "already stopped"; a close without
// one (the process died) makes it stop the server and remove the folder.
void PrivatePostgres::startGuard() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    const std::string cleanup = std::string(root_ ? "runuser -u postgres -- " : "") +
                                shellQuote(binDir_ + "/pg_ctl") +
                                " -D " + shellQuote(folder_ + "/data") + " -m immediate -w stop; rm -rf " +
                                shellQuote(folder_);
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return;
    }
    if (pid == 0) {
        setsid();
        signal(SIGINT, SIG_IGN);
        signal(SIGTERM, SIG_IGN);
        int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, 0);
        dup2(devNull, 1);
        dup2(devNull, 2);
        dup2(fds[0], 3);
        close_range(4, ~0U, 0);
        char byte;
        ssize_t n;
        while ((n = read(3, &byte, 1)) < 0 && errno == EINTR) {}
        if (n == 1) _exit(0);
        execl("/bin/sh", "sh", "-c", cleanup.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[0]);
    guardFd_ = fds[1];
    guardPid_ = pid;
}

void PrivatePostgres::stop() {
    if (running_) {
        std::string out;
        run(asServerUser({binDir_ + "/pg_ctl", "-D", folder_ + "/data", "-m", "fast", "-w", "stop"}), &out);
        running_ = false;
    }
    if (guardFd_ >= 0) {
        const char done = 'x';
        [[maybe_unused]] ssize_t n = write(guardFd_, &done, 1);
        close(guardFd_);
        guardFd_ = -1;
        int status = 0;
        while (waitpid(guardPid_, &status, 0) < 0 && errno == EINTR) {}
        guardPid_ = -1;
    }
    if (!folder_.empty()) {
        std::error_code ec;
        fs::remove_all(folder_, ec);
        folder_.clear();
    }
}

}  // namespace zevo::testing
