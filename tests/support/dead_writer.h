#pragma once

#include <string>

namespace dalvon::testing {

// Another process writes to the SQLite file at `hostPath` and dies without closing it. With
// `flushFirst` (for `sql` that leaves a transaction open) its uncommitted changes stand in the
// file beside a hot journal; in WAL mode without checkpoints its commit stands only in the log.
void sqliteWriterDiesAfter(const std::string& hostPath, const std::string& sql, bool flushFirst);

}  // namespace dalvon::testing
