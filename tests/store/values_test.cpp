#include <gtest/gtest.h>

#include "tests/store/store_fixture.h"

namespace dalvon::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const char* const kTypes =
    "CREATE TABLE T (Code VARCHAR(5), Flag BIT, Small BYTE, Part SHORT, ID LONG, "
    "Price CURRENCY, Ratio SINGLE, Level DOUBLE, Stamp DATETIME, Notes LONGTEXT, "
    "Picture LONGBINARY, Key GUID, Loose);";

class ValuesTest : public StoreTest {
protected:
    ValuesTest() : m_file(makeDatabase("values.db", kTypes)), m_db(open(m_file)) {
        m_set = m_db->openTable("T");
    }

    // Stores one value into a new row and returns what the field then reads.
    Variant roundTrip(const std::string& field, const Variant& value) {
        m_set->addNew();
        m_set->setValue(field, value);
        m_set->update();
        m_set->moveLast();
        return m_set->value(field);
    }

    std::string m_file;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<Recordset> m_set;
};

TEST_F(ValuesTest, ValuesAreConvertedLikeTheClassicEngine) {
    struct Row {
        std::string field;
        Variant in;
        Variant out;
    };
    const std::vector<Row> rows = {
        {"Code", Variant::string("0123"), Variant::string("0123")},
        {"Code", Variant::longValue(42), Variant::string("42")},
        {"Code", Variant::string("äöüßé"), Variant::string("äöüßé")},  // 5 characters fit
        {"ID", Variant::string(" 42 "), Variant::longValue(42)},
        {"ID", Variant::doubleValue(2.5), Variant::longValue(2)},  // half to even
        {"ID", Variant::doubleValue(3.5), Variant::longValue(4)},
        {"ID", Variant::boolean(true), Variant::longValue(-1)},
        {"Part", Variant::string("-7"), Variant::integer(-7)},
        {"Small", Variant::longValue(255), Variant::byte(255)},
        {"Flag", Variant::boolean(true), Variant::boolean(true)},
        {"Flag", Variant::string("False"), Variant::boolean(false)},
        {"Flag", Variant::longValue(-1), Variant::boolean(true)},
        {"Price", Variant::string("1234.5678"), Variant::currency(12345678)},
        {"Price", Variant::currency(-1), Variant::currency(-1)},
        {"Ratio", Variant::doubleValue(0.5), Variant::single(0.5f)},
        {"Level", Variant::string("1e3"), Variant::doubleValue(1000)},
        {"Stamp", Variant::string("2024-02-29 13:45:00"),
         Variant::date(45351 + (13 * 3600 + 45 * 60) / 86400.0)},
        {"Stamp", Variant::date(1.5), Variant::date(1.5)},
        {"Notes", Variant::string(std::string(70000, 'x')),
         Variant::string(std::string(70000, 'x'))},
        {"Picture", Variant::binary({0, 1, 255}), Variant::binary({0, 1, 255})},
        {"Key", Variant::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
         Variant::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")},
        {"Loose", Variant::longValue(5), Variant::longValue(5)},
        {"Loose", Variant::string("5"), Variant::string("5")},
        {"ID", Variant::null(), Variant::null()},
    };
    for (const Row& row : rows) {
        Variant out = roundTrip(row.field, row.in);
        EXPECT_EQ(out, row.out) << row.field << " <- " << row.in.toTextOrEmpty() << " read "
                                << out.typeName() << " " << out.toTextOrEmpty();
    }
}

TEST_F(ValuesTest, ValuesTheFieldCannotTakeAreRefusedNamingTheField) {
    struct Row {
        std::string field;
        Variant in;
        int32_t fault;
    };
    const std::vector<Row> cases = {
        {"ID", Variant::string("abc"), 3421},         {"ID", Variant::string(""), 3421},
        {"Flag", Variant::string("maybe"), 3421},     {"Stamp", Variant::string("yesterday"), 3421},
        {"Key", Variant::string("not a guid"), 3421}, {"ID", Variant::binary({1}), 3421},
        {"Code", Variant::string("123456"), 3163},    {"Code", Variant::string("äöüßéè"), 3163},
        {"Small", Variant::longValue(256), 3349},     {"Small", Variant::longValue(-1), 3349},
        {"Part", Variant::longValue(70000), 3349},    {"ID", Variant::doubleValue(3e9), 3349},
    };
    m_set->addNew();
    for (const Row& row : cases) {
        std::string description;
        EXPECT_EQ(faultOf([&] { m_set->setValue(row.field, row.in); }, &description), row.fault)
            << row.field;
        EXPECT_NE(description.find("'T." + row.field + "'"), std::string::npos) << description;
    }
    EXPECT_NE(faultOf([&] { m_set->setValue("Code", Variant::string("123456")); }), 0);
    std::string description;
    faultOf([&] { m_set->setValue("Code", Variant::string("123456")); }, &description);
    EXPECT_EQ(description.rfind("The field is too small to accept the amount of data you "
                                "attempted to add.",
                                0),
              0u);
    m_set->update();
    m_db->close();
    EXPECT_EQ(rows(m_file, "SELECT count(*) FROM T WHERE ID IS NULL AND Code IS NULL"),
              (Rows{{"1"}}));
}

TEST_F(ValuesTest, TheFileHoldsTheDocumentedRepresentation) {
    m_set->addNew();
    m_set->setValue("Code", Variant::string("0123"));
    m_set->setValue("Flag", Variant::boolean(true));
    m_set->setValue("Price", Variant::string("12.34"));
    m_set->setValue("Stamp", Variant::string("1899-12-31 12:00"));
    m_set->setValue("ID", Variant::string("17"));
    m_set->update();
    m_db->close();
    EXPECT_EQ(rows(m_file,
                   "SELECT Code, typeof(Code), Flag, Price, typeof(Price), Stamp, ID, "
                   "typeof(ID) FROM T"),
              (Rows{{"0123", "text", "1", "123400", "integer", "1.5", "17", "integer"}}));
}

TEST_F(ValuesTest, CriteriaFollowTheFieldRepresentation) {
    for (const char* price : {"1.5", "2", "1.5"}) {
        m_set->addNew();
        m_set->setValue("Price", Variant::string(price));
        m_set->setValue("Flag", Variant::boolean(std::string(price) == "2"));
        m_set->setValue("Notes", Variant::string(std::string("Äpfel ") + price));
        m_set->update();
    }
    EXPECT_EQ(m_db->openQuery("SELECT * FROM T WHERE Price = 1.5")->recordCount(), 2);
    EXPECT_EQ(m_db->openQuery("SELECT * FROM T WHERE Flag = -1")->recordCount(), 1);
    EXPECT_EQ(m_db->openQuery("SELECT * FROM T WHERE Notes = \"äPFEL 2\"")->recordCount(), 1);
}

}  // namespace
}  // namespace dalvon::testing
