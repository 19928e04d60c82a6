// Compares every sample file as our engine reads it with what Debian's mdbtools print (see
// jet_mdbtools.cpp for the normalisations).
#include <gtest/gtest.h>

#include "tests/jet/jet_mdbtools.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

class JetDifferential : public ::testing::TestWithParam<const char*> {};

TEST_P(JetDifferential, AgreesWithMdbTools) {
    DALVON_REQUIRE_SAMPLES();
    if (!haveMdbTools()) {
        GTEST_SKIP() << "mdbtools are not installed";
    }
    EXPECT_EQ(mdbToolsDisagreement(sample(GetParam())), "");
}

INSTANTIATE_TEST_SUITE_P(
    Samples, JetDifferential,
    ::testing::Values("V2003_with-password.mdb", "compIndexTestV1997.mdb", "compIndexTestV2000.mdb",
                      "delColTestV2000.mdb", "delTestV2000.mdb", "empty2003.mdb",
                      "fixedNumericTestV2000.mdb", "indexTestV2000.mdb", "overflowTestV2003.mdb",
                      "test2V1997.mdb", "test2V2000.mdb", "testIndexPropertiesV2003.mdb",
                      "testUnicodeCompV2003.mdb", "testV1997.mdb", "testV2000.mdb"),
    [](const auto& info) {
        std::string name = info.param;
        name = name.substr(0, name.find('.'));
        std::erase(name, '-');
        return name;
    });

}  // namespace
}  // namespace dalvon::jet_test
