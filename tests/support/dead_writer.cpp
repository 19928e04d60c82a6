#include "tests/support/dead_writer.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dalvon::testing {

void sqliteWriterDiesAfter(const std::string& hostPath, const std::string& sql, bool flushFirst) {
    pid_t child = fork();
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(hostPath.c_str(), &db);
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        if (flushFirst)
            sqlite3_db_cacheflush(db);
        _exit(0);
    }
    waitpid(child, nullptr, 0);
}

}  // namespace dalvon::testing
