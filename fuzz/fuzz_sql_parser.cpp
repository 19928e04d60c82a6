// libFuzzer entry: parses the input as a query of the SQL subset. Fault 3075/3131 is the answer
// to a malformed query; a crash, hang or sanitizer report is a finding. A query that parses
// must name a table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/fault.h"
#include "store/sql/sql_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        dalvon::sql::Query query = dalvon::sql::parse(text);
        if (query.table.empty())
            std::abort();
    } catch (const dalvon::Fault& fault) {
        if (fault.number() != 3075 && fault.number() != 3131)
            std::abort();
    }
    return 0;
}
