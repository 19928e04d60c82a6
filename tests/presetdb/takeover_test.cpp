// Taking the machine's previous limits over into the rebuilt table, and the three checks that
// can stop the program.
#include <gtest/gtest.h>

#include "presetdb/takeover.h"
#include "presetdb/work_on_mdb.h"
#include "store/database.h"
#include "tests/support/test_installation.h"

namespace dalvon {
namespace {

using testing::Rows;
using testing::TestInstallation;

const char* const kSource = testing::kSourceDatabase;
const char* const kComponent = testing::kComponentDatabase;

std::string limitsOf(TestInstallation& inst, const std::string& file, const std::string& varName,
                     int offset = 0) {
    Rows rows = inst.query(
        file, "SELECT abs_min, abs_max, min, max, pass FROM PRESET_DEFS WHERE var_name='" +
                  varName + "' AND offset_or_bitno=" + std::to_string(offset) + " ORDER BY rowid");
    std::string text;
    for (const auto& row : rows) {
        for (const auto& value : row)
            text += value + " ";
        text += "| ";
    }
    return text;
}

TEST(Takeover, CarriesTheMachinesLimitsOverByKey) {
    TestInstallation inst;
    inst.makeExample();
    inst.prepareStart();
    ASSERT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    // Changed limits of the previous table, found under their renamed (Studio) names, among them
    // a previous table that still calls its category field "categorie".
    EXPECT_EQ(limitsOf(inst, kComponent, "Press1.Recipe.TempZone1"), "0.0 400.0 170.0 245.0 2 | ");
    EXPECT_EQ(limitsOf(inst, kComponent, "Press1.Recipe.Pressure"), "0.0 250.0 40.0 180.0 2 | ");
    EXPECT_EQ(limitsOf(inst, kComponent, "Global.BatchSize"), "1.0 100000.0 10.0 25000.0 1 | ");
    EXPECT_EQ(limitsOf(inst, kComponent, "Winder.Bits.Options", 1), "0.0 1.0 0.0 1.0 3 | ");
    // Two previous rows with one key: the later one wins.
    EXPECT_EQ(limitsOf(inst, kComponent, "Winder.Recipe.TempZone1"), "0.0 400.0 155.0 255.0 2 | ");
    // Rows without a previous row keep their generated values.
    EXPECT_EQ(limitsOf(inst, kComponent, "Winder.Recipe.TempZone2"), "0.0 400.0 150.0 260.0 2 | ");
    EXPECT_EQ(limitsOf(inst, kComponent, "Press1.Recipe.OldValve"), "");
}

TEST(Takeover, OnlyTheFirstMatchingRebuiltRowChanges) {
    TestInstallation inst;
    inst.makeExample();
    // A duplicate definition gives two rebuilt rows with one key.
    inst.makeDatabase(
        kComponent,
        "CREATE TABLE PRESET_DEFS (ID LONG, machine_type VARCHAR(20), type LONG, part SHORT,"
        " var_name VARCHAR(255), category_id LONG, isBitArray BIT, offset_or_bitno LONG,"
        " text VARCHAR(255), page_name VARCHAR(100), abs_min DOUBLE, abs_max DOUBLE,"
        " min DOUBLE, max DOUBLE, pass SHORT, unit VARCHAR(20), decimals SHORT);"
        "INSERT INTO PRESET_DEFS VALUES (1, '1', 1, 1, 'Press1.Recipe.TempZone1', 2, 0, 0,"
        " 't', 'p', -1, -2, -3, -4, NULL, '', 0);"
        "INSERT INTO PRESET_DEFS VALUES (2, '1', 1, 1, 'Press1.Recipe.\"quoted', 2, 0, 0,"
        " 't', 'p', 9, 9, 9, 9, 9, '', 0);"
        "INSERT INTO PRESET_DEFS VALUES (3, '1', 1, 1, 'Press1.Recipe.Speed', 2, 0, NULL,"
        " 't', 'p', 9, 9, 9, 9, 9, '', 0);");
    inst.prepareStart();
    ASSERT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), -1);
    EXPECT_EQ(limitsOf(inst, kComponent, "Press1.Recipe.TempZone1"), "-1.0 -2.0 -3.0 -4.0 NULL | ");
    EXPECT_TRUE(inst.dialogs().shown().empty());  // malformed keys are skipped without a report
    EXPECT_FALSE(inst.exists(TestInstallation::kErrorLog));
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

// Runs the takeover alone, on a previous table of two rows and a rebuilt table of
// `rebuiltRows` rows whose first two have the previous rows' keys.
struct TakeoverRun {
    TakeoverRun(TestInstallation& inst, const std::string& extraFields = "", int rebuiltRows = 2)
        : inst(inst) {
        std::string create =
            "CREATE TABLE PRESET_DEFS (ID LONG, machine_type VARCHAR(20), type LONG,"
            " var_name VARCHAR(255), category_id LONG, isBitArray BIT, offset_or_bitno LONG,"
            " text VARCHAR(255), page_name VARCHAR(100), abs_min DOUBLE, abs_max DOUBLE,"
            " min DOUBLE, max DOUBLE, pass SHORT, part SHORT" +
            extraFields + ");";
        std::string rebuilt = create;
        for (int i = 1; i <= rebuiltRows; ++i) {
            rebuilt +=
                "INSERT INTO PRESET_DEFS (ID, machine_type, var_name, offset_or_bitno) VALUES (" +
                std::to_string(i) + ", '1', '" + std::string(1, char('a' + i - 1)) + "', 0);";
        }
        inst.makeDatabase(kSource, rebuilt);
        inst.makeDatabase(kComponent, create +
                                          "INSERT INTO PRESET_DEFS (ID, machine_type, var_name,"
                                          " offset_or_bitno, min) VALUES (1, '1', 'a', 0, 5),"
                                          " (2, '1', 'b', 0, 6);");
    }
    int run(int32_t claimed = -1) {
        return inst.runUntilEnd([&] {
            auto source = inst.rt().databases.open(kSource);
            auto component = inst.rt().databases.open(kComponent);
            std::unique_ptr<Recordset> previous = component->openTable("PRESET_DEFS");
            if (claimed >= 0)
                previous = std::make_unique<MiscountedSet>(std::move(previous), claimed);
            TakeoverMachineCopyMDBData(inst.rt(), source, previous);
            EXPECT_EQ(previous, nullptr);
            source->close();
            component->close();
        });
    }
    TestInstallation& inst;
};

TEST(Takeover, FieldCountWarningAskedAndAnswered) {
    for (DialogAnswer answer : {DialogAnswer::Yes, DialogAnswer::No}) {
        TestInstallation inst;
        inst.makeExample();
        TakeoverRun takeover(inst, ", extra LONG");  // 16 fields, no additional fields read
        inst.prepareStart();
        inst.dialogs().queue(answer);
        int status = takeover.run();
        ASSERT_GE(inst.dialogs().shown().size(), 1u);
        const MessageBox& box = inst.dialogs().shown()[0];
        EXPECT_EQ(
            box.text,
            "WARNING!\n\rMachinecopy contains data in fields that won't be taken over!\n\r"
            "Configurationfile \"DALVON.CFG\", missing entry \"DataBaseAdditionalFields \"\n\r"
            "If you continue now this data will be lost.\n\rContinue?");
        EXPECT_EQ(box.title, "Dalvon_Config");
        EXPECT_EQ(box.defaultButton, DialogAnswer::No);
        if (answer == DialogAnswer::Yes) {
            EXPECT_EQ(status, -1);
            EXPECT_EQ(limitsOf(inst, kSource, "a"), "NULL NULL 5.0 NULL NULL | ");
        } else {
            EXPECT_EQ(status, 1);
            EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog),
                      "Dalvon_Config :Database-Error - Contact Administrator! Configurationprogram "
                      "\"DALVON\" terminated. Please check Configuration in \"DALVON.CFG\" Restart "
                      "D:\\PLANT\\CONFIG\\DALVON_CONFIG.EXE!\r\n"
                      "Fehler in Dalvon / Dalvon_Config / TakeoverMachineCopyMDBData (Nr. 9999) "
                      ":Database-Error - Contact Administrator!\r\n");
            EXPECT_EQ(inst.dialogs().shown()[1].title, "Fatal error");
            EXPECT_EQ(limitsOf(inst, kSource, "a"), "NULL NULL NULL NULL NULL | ");
        }
    }
}

TEST(Takeover, FieldCountWarningInSilentStartIsLoggedAndTheTakeoverGoesOn) {
    TestInstallation inst;
    inst.makeExample();
    TakeoverRun takeover(inst, ", extra LONG");
    inst.setCommandLine("/EXTERNAL=SILENT");
    inst.prepareStart();
    EXPECT_EQ(takeover.run(), -1);
    EXPECT_TRUE(inst.dialogs().shown().empty());
    EXPECT_EQ(
        inst.readFile(TestInstallation::kServiceLog),
        "! Fault Dalvon_Config: WARNING!Machinecopy contains data in fields that won't be "
        "taken over!Configurationfile \"DALVON.CFG\", missing entry \"DataBaseAdditionalFields "
        "\"If you continue now this data will be lost.Continue?\r\n");
    EXPECT_EQ(limitsOf(inst, kSource, "b"), "NULL NULL 6.0 NULL NULL | ");
}

TEST(Takeover, RowCountIsCheckedAgainstTheRebuiltTable) {
    for (bool silent : {false, true}) {
        // Claims 5, walking finds 2, the rebuilt table has 2: consistent enough, no note.
        TestInstallation agreeing;
        agreeing.makeExample();
        TakeoverRun first(agreeing);
        agreeing.setCommandLine(silent ? "/EXTERNAL=SILENT" : "");
        agreeing.prepareStart();
        EXPECT_EQ(first.run(5), -1);
        EXPECT_FALSE(agreeing.exists(TestInstallation::kErrorLog));
        EXPECT_EQ(limitsOf(agreeing, kSource, "b"), "NULL NULL 6.0 NULL NULL | ");

        // Claims 1, walking finds 2 (capped at claimed + 1), the rebuilt table has 3.
        TestInstallation mismatched;
        mismatched.makeExample();
        TakeoverRun second(mismatched, "", 3);
        mismatched.setCommandLine(silent ? "/EXTERNAL=SILENT" : "");
        mismatched.prepareStart();
        EXPECT_EQ(second.run(1), silent ? -1 : 1);
        std::string log = mismatched.readFile(TestInstallation::kErrorLog);
        EXPECT_EQ(log.substr(0, log.find("\r\n") + 2),
                  "Dalvon_Config :Database-Error - Contact Administrator! Error in Sourcedatabase "
                  "(D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb): Counted 2 recordsets while "
                  "database claims to have 1 recordsets!  (3 needed.\r\n");
        // Silent start goes on with the walked count; otherwise nothing is written.
        EXPECT_EQ(limitsOf(mismatched, kSource, "b"),
                  silent ? "NULL NULL 6.0 NULL NULL | " : "NULL NULL NULL NULL NULL | ");
    }
}

TEST(Takeover, MissingAdditionalFieldEndsTheProgramInEveryMode) {
    for (const char* commandLine :
         {"", "/EXTERNAL=SILENT", "/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\cfg.log"}) {
        TestInstallation inst;
        inst.makeExample();
        inst.writeFile("D:\\Plant\\Dalvon\\Dalvon.cfg",
                       "[Project]\r\nValidMachines=ALL\r\nForMachine1=true\r\n"
                       "DataBaseAdditionalFields=unit,Decimals\r\n");
        inst.setCommandLine(commandLine);
        inst.prepareStart();
        EXPECT_EQ(inst.runUntilEnd([&] { WorkOnMDB(inst.rt()); }), 1) << commandLine;
        std::string log = inst.readFile(
            inst.rt().StartModeIntegrated ? "D:\\Plant\\CFG.LOG" : TestInstallation::kErrorLog);
        EXPECT_NE(log.find("Conflict while attempting to extend database!Configurationsfile "
                           "\"DALVON.CFG\", demanded field \"DECIMALS\"missing in "
                           "machinecopy-database\n\rConfiguration of \"DALVON\" aborted.\r\n"),
                  std::string::npos)
            << log;
        // The source database was never copied over the component database.
        EXPECT_TRUE(inst.query(kComponent,
                               "SELECT name FROM sqlite_master WHERE name ="
                               " 'Source_PRESET_DEFS'")
                        .empty());
    }
}

}  // namespace
}  // namespace dalvon
