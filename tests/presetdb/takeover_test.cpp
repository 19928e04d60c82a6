// Taking the machine's previous limits over into the rebuilt table, and the three checks that
// can stop the program.
#include <gtest/gtest.h>

#include <algorithm>

#include "presetdb/takeover.h"
#include "store/database.h"
#include "tests/presetdb/example_plant.h"

namespace dalvon::testing {
namespace {

const char* const kSilent = "/EXTERNAL=SILENT";
const char* const kAbortNote =
    "Dalvon_Config :Database-Error - Contact Administrator! Configurationprogram \"DALVON\" "
    "terminated. Please check Configuration in \"DALVON.CFG\" Restart "
    "D:\\PLANT\\CONFIG\\DALVON_CONFIG.EXE!\r\n"
    "Fehler in Dalvon / Dalvon_Config / TakeoverMachineCopyMDBData (Nr. 9999) :Database-Error - "
    "Contact Administrator!\r\n";

using Takeover = OnBothFormats;

TEST_P(Takeover, CarriesTheMachinesLimitsOverByKey) {
    ExamplePlant plant(GetParam());
    ASSERT_EQ(plant.runUpdate(), -1);
    struct Row {
        const char* varName;
        int offset;
        const char* limits;
    };
    const Row rows[] = {
        // Changed limits of the previous table, found under their renamed (Studio) names, among
        // them a previous table that still calls its category field "categorie".
        {"Press1.Recipe.TempZone1", 0, "0.0 400.0 170.0 245.0 2 | "},
        {"Press1.Recipe.Pressure", 0, "0.0 250.0 40.0 180.0 2 | "},
        {"Global.BatchSize", 0, "1.0 100000.0 10.0 25000.0 1 | "},
        {"Winder.Bits.Options", 1, "0.0 1.0 0.0 1.0 3 | "},
        {"Winder.Recipe.TempZone1", 0, "0.0 400.0 155.0 255.0 2 | "},  // the later of two wins
        {"Winder.Recipe.TempZone2", 0, "0.0 400.0 150.0 260.0 2 | "},  // no previous row
        {"Press1.Recipe.OldValve", 0, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(plant.limits(row.varName, row.offset), row.limits) << row.varName;
}

TEST_P(Takeover, OnlyTheFirstMatchingRebuiltRowChanges) {
    ExamplePlant plant(GetParam());
    // A duplicate definition gives two rebuilt rows with one key.
    plant.makeDatabase(
        kComponentDatabase,
        "CREATE TABLE PRESET_DEFS (ID LONG, machine_type VARCHAR(20), type LONG, part SHORT,"
        " var_name VARCHAR(255), category_id LONG, isBitArray BIT, offset_or_bitno LONG,"
        " text VARCHAR(255), page_name VARCHAR(100), abs_min DOUBLE, abs_max DOUBLE,"
        " min DOUBLE, max DOUBLE, pass SHORT, unit VARCHAR(20), decimals SHORT);"
        "INSERT INTO PRESET_DEFS VALUES (1, '1', 1, 1, 'Press1.Recipe.TempZone1', 2, 0, 0,"
        " 't', 'p', -1, -2, -3, -4, NULL, '', 0),"
        " (2, '1', 1, 1, 'Press1.Recipe.\"quoted', 2, 0, 0, 't', 'p', 9, 9, 9, 9, 9, '', 0),"
        " (3, '1', 1, 1, 'Press1.Recipe.Speed', 2, 0, NULL, 't', 'p', 9, 9, 9, 9, 9, '', 0);");
    ASSERT_EQ(plant.runUpdate(), -1);
    EXPECT_EQ(plant.limits("Press1.Recipe.TempZone1"), "-1.0 -2.0 -3.0 -4.0 NULL | ");
    EXPECT_TRUE(plant.dialogs().shown().empty());  // malformed keys are skipped without a report
    // Counted for the terminal's summary: one row found, two keys that make no valid query.
    ASSERT_TRUE(plant.rt().run.takeover.has_value());
    EXPECT_EQ(plant.rt().run.takeover->kept, 1);
    EXPECT_EQ(plant.rt().run.takeover->notKept, 2);
    EXPECT_FALSE(plant.exists(TestInstallation::kErrorLog));
}

// A previous set that claims a row count other than what walking it finds.
class MiscountedSet : public Recordset {
public:
    MiscountedSet(std::unique_ptr<Recordset> inner, int32_t claimed)
        : m_inner(std::move(inner)), m_claimed(claimed) {}
    bool eof() const override { return m_inner->eof(); }
    void moveFirst() override { m_inner->moveFirst(); }
    void moveNext() override { m_inner->moveNext(); }
    void moveLast() override { m_inner->moveLast(); }
    int32_t recordCount() const override { return m_claimed; }
    int fieldCount() const override { return m_inner->fieldCount(); }
    const FieldDef& field(int index) const override { return m_inner->field(index); }
    int fieldIndex(const std::string& name) const override { return m_inner->fieldIndex(name); }
    Variant value(int index) const override { return m_inner->value(index); }
    void setValue(int index, const Variant& value) override { m_inner->setValue(index, value); }
    void addNew() override { m_inner->addNew(); }
    void edit() override { m_inner->edit(); }
    void update() override { m_inner->update(); }
    void close() override { m_inner->close(); }

private:
    std::unique_ptr<Recordset> m_inner;
    int32_t m_claimed;
};

// The takeover alone, from a previous table of two rows (min 5 and 6) into a rebuilt table of
// `rebuiltRows` rows whose first two have the previous rows' keys.
class TakeoverPlant : public ExamplePlant {
public:
    explicit TakeoverPlant(DatabaseFormat format, const std::string& extraFields = "",
                           int rebuiltRows = 2)
        : ExamplePlant(format) {
        std::string create =
            "CREATE TABLE PRESET_DEFS (ID LONG, machine_type VARCHAR(20), type LONG,"
            " var_name VARCHAR(255), category_id LONG, isBitArray BIT, offset_or_bitno LONG,"
            " text VARCHAR(255), page_name VARCHAR(100), abs_min DOUBLE, abs_max DOUBLE,"
            " min DOUBLE, max DOUBLE, pass SHORT, part SHORT" +
            extraFields + ");";
        std::string rebuilt = create;
        for (int i = 1; i <= rebuiltRows; ++i) {
            rebuilt +=
                "INSERT INTO PRESET_DEFS (ID, machine_type, var_name, offset_or_bitno)"
                " VALUES (" +
                std::to_string(i) + ", '1', '" + char('a' + i - 1) + "', 0);";
        }
        makeDatabase(kSourceDatabase, rebuilt);
        makeDatabase(kComponentDatabase, create +
                                             "INSERT INTO PRESET_DEFS (ID, machine_type, var_name,"
                                             " offset_or_bitno, min) VALUES (1, '1', 'a', 0, 5),"
                                             " (2, '1', 'b', 0, 6);");
    }

    // Starts with `commandLine` and runs the takeover, the previous set claiming `claimed` rows
    // when that is not negative; the exit status, or -1.
    int runTakeover(const std::string& commandLine, int32_t claimed = -1) {
        start(commandLine);
        int status = runUntilEnd([&] {
            auto source = rt().databases.open(kSourceDatabase);
            auto component = rt().databases.open(kComponentDatabase);
            std::unique_ptr<Recordset> previous = component->openTable("PRESET_DEFS");
            if (claimed >= 0)
                previous = std::make_unique<MiscountedSet>(std::move(previous), claimed);
            TakeoverMachineCopyMDBData(rt(), source, previous);
            EXPECT_EQ(previous, nullptr);
            source->close();
            component->close();
        });
        EXPECT_EQ(jetProblems(), std::vector<std::string>{});
        return status;
    }

    std::string rebuiltLimits(const std::string& varName) {
        return limits(varName, 0, kSourceDatabase);
    }
};

TEST_P(Takeover, FieldCountWarningAskedOrLogged) {
    struct Row {
        const char* commandLine;
        DialogAnswer answer;  // to the warning
        int status;
        const char* limitsOfA;
    };
    const Row rows[] = {{"", DialogAnswer::Yes, -1, "NULL NULL 5.0 NULL NULL | "},
                        {"", DialogAnswer::No, 1, "NULL NULL NULL NULL NULL | "},
                        {kSilent, DialogAnswer::No, -1, "NULL NULL 5.0 NULL NULL | "}};
    for (const Row& row : rows) {
        TakeoverPlant plant(GetParam(), ", extra LONG");  // 16 fields, no additional fields read
        plant.dialogs().queue(row.answer);
        EXPECT_EQ(plant.runTakeover(row.commandLine), row.status);
        EXPECT_EQ(plant.rebuiltLimits("a"), row.limitsOfA);
        if (std::string(row.commandLine) == kSilent) {
            EXPECT_TRUE(plant.dialogs().shown().empty());
            EXPECT_EQ(plant.readFile(TestInstallation::kServiceLog),
                      "! Fault Dalvon_Config: WARNING!Machinecopy contains data in fields that "
                      "won't be taken over!Configurationfile \"DALVON.CFG\", missing entry "
                      "\"DataBaseAdditionalFields \"If you continue now this data will be "
                      "lost.Continue?\r\n");
            continue;
        }
        const MessageBox& box = plant.dialogs().shown().at(0);
        EXPECT_EQ(box.text,
                  "WARNING!\n\rMachinecopy contains data in fields that won't be taken over!\n\r"
                  "Configurationfile \"DALVON.CFG\", missing entry \"DataBaseAdditionalFields "
                  "\"\n\rIf you continue now this data will be lost.\n\rContinue?");
        EXPECT_EQ(box.title, "Dalvon_Config");
        EXPECT_EQ(box.defaultButton, DialogAnswer::No);
        if (row.answer == DialogAnswer::No) {
            EXPECT_EQ(plant.readFile(TestInstallation::kErrorLog), kAbortNote);
            EXPECT_EQ(plant.dialogs().shown().at(1).title, "Fatal error");
        }
    }
}

// The previous limits are held compactly between reading and writing: each kind must come back
// as read (text fields show a value's kind: a Single 0.1 is not the Double next to it).
TEST_P(Takeover, LimitsOfEveryKindArriveAsRead) {
    TakeoverPlant plant(GetParam());
    const std::string key =
        "CREATE TABLE PRESET_DEFS (ID LONG, machine_type VARCHAR(20), var_name VARCHAR(255),"
        " offset_or_bitno LONG, text VARCHAR(255), page_name VARCHAR(100), type LONG,"
        " category_id LONG, isBitArray BIT, ";
    plant.makeDatabase(kSourceDatabase,
                       key +
                           "abs_min VARCHAR(40), abs_max VARCHAR(40), min VARCHAR(40),"
                           " max VARCHAR(40), pass VARCHAR(40), part SHORT);"
                           "INSERT INTO PRESET_DEFS (ID, machine_type, var_name, offset_or_bitno)"
                           " VALUES (1, '1', 'a', 0), (2, '1', 'b', 0);");
    plant.makeDatabase(kComponentDatabase,
                       key +
                           "abs_min CURRENCY, abs_max SINGLE, min DATETIME, max BYTE, pass BIT,"
                           " part SHORT);"
                           "INSERT INTO PRESET_DEFS (ID, machine_type, var_name, offset_or_bitno,"
                           " abs_min, abs_max, min, max, pass) VALUES"  // currency in 1/10000
                           " (1, '1', 'a', 0, 15000, 0.1, 2.25, 200, 1),"
                           " (2, '1', 'b', 0, NULL, -2.5, NULL, 0, 0);");
    EXPECT_EQ(plant.runTakeover(kSilent), -1);
    EXPECT_EQ(plant.rebuiltLimits("a"), "1.5 0.1 1900-01-01 06:00:00 200 True | ");
    EXPECT_EQ(plant.rebuiltLimits("b"), "NULL -2.5 NULL 0 False | ");
}

TEST_P(Takeover, RowCountIsCheckedAgainstTheRebuiltTable) {
    for (const char* commandLine : {"", kSilent}) {
        bool silent = std::string(commandLine) == kSilent;
        // Claims 5, walking finds 2, the rebuilt table has 2: consistent enough, no note.
        TakeoverPlant agreeing(GetParam());
        EXPECT_EQ(agreeing.runTakeover(commandLine, 5), -1);
        EXPECT_FALSE(agreeing.exists(TestInstallation::kErrorLog));
        EXPECT_EQ(agreeing.rebuiltLimits("b"), "NULL NULL 6.0 NULL NULL | ");

        // Claims 1, walking finds 2 (capped at claimed + 1), the rebuilt table has 3.
        TakeoverPlant mismatched(GetParam(), "", 3);
        EXPECT_EQ(mismatched.runTakeover(commandLine, 1), silent ? -1 : 1);
        std::string log = mismatched.readFile(TestInstallation::kErrorLog);
        EXPECT_EQ(log.substr(0, log.find("\r\n") + 2),
                  "Dalvon_Config :Database-Error - Contact Administrator! Error in Sourcedatabase "
                  "(D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb): Counted 2 recordsets while "
                  "database claims to have 1 recordsets!  (3 needed.\r\n");
        // Silent start goes on with the walked count; otherwise nothing is written.
        EXPECT_EQ(mismatched.rebuiltLimits("b"),
                  silent ? "NULL NULL 6.0 NULL NULL | " : "NULL NULL NULL NULL NULL | ");
    }
}

TEST_P(Takeover, MissingAdditionalFieldEndsTheProgramInEveryMode) {
    for (const char* commandLine : {"", kSilent, "/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log"}) {
        ExamplePlant plant(GetParam());
        plant.writeFile("D:\\Plant\\Dalvon\\Dalvon.cfg",
                        "[Project]\r\nValidMachines=ALL\r\nForMachine1=true\r\n"
                        "DataBaseAdditionalFields=unit,Decimals\r\n");
        EXPECT_EQ(plant.runUpdate(commandLine), 1) << commandLine;
        std::string log = plant.readFile(
            plant.rt().StartModeIntegrated ? "D:\\Plant\\CFG.LOG" : TestInstallation::kErrorLog);
        EXPECT_NE(log.find("Conflict while attempting to extend database!Configurationsfile "
                           "\"DALVON.CFG\", demanded field \"DECIMALS\"missing in "
                           "machinecopy-database\n\rConfiguration of \"DALVON\" aborted.\r\n"),
                  std::string::npos)
            << log;
        // The source database was never copied over the component database.
        std::vector<std::string> tables = plant.tableNames(kComponentDatabase);
        EXPECT_EQ(std::count(tables.begin(), tables.end(), "Source_PRESET_DEFS"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, Takeover, ::testing::ValuesIn(kFormats), FormatName());

}  // namespace
}  // namespace dalvon::testing
