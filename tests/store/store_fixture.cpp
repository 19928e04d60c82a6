#include "tests/store/store_fixture.h"

#include <fstream>
#include <sstream>

#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {

StoreTest::StoreTest() = default;

StoreTest::~StoreTest() {
    m_engine.reset();
}

std::string StoreTest::readBytes(const std::string& file) const {
    std::ifstream in(pathFromUtf8(host(file)), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void StoreTest::writeBytes(const std::string& file, const std::string& bytes) const {
    std::ofstream(pathFromUtf8(host(file)), std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::vector<std::string>> StoreTest::readAll(Recordset& set) {
    std::vector<std::vector<std::string>> result;
    if (set.eof())
        return result;
    set.moveFirst();
    for (; !set.eof(); set.moveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < set.fieldCount(); ++i) {
            Variant value = set.value(i);
            row.push_back(value.isNull() ? "Null" : value.toText());
        }
        result.push_back(std::move(row));
    }
    return result;
}

}  // namespace dalvon::testing
