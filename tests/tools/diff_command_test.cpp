// `dalvon-db diff` as a service engineer runs it after an update, on installations of either
// database format.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "store/database.h"
#include "tests/presetdb/example_plant.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

const char* const kPlant = "D:\\Plant";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The sums of the counts of a JSON diff, read by Node.js, in the words of the text's last line.
const char* const kJsonCounts =
    "const d = JSON.parse(require('fs').readFileSync(0, 'utf8'));"
    "const sum = k => d.groups.reduce((a, g) => a + g.counts[k], 0);"
    "const listed = k => d.groups.reduce((a, g) => a + g[k].length, 0);"
    "if (sum('notCarriedOver') !== listed('notCarriedOver') || sum('new') !== listed('new')"
    "    || sum('changed') !== listed('changed')) throw new Error('lists and counts differ');"
    "console.log(`In all: ${sum('notCarriedOver')} not carried over, ${sum('new')} new, "
    "${sum('changed')} changed, ${sum('same')} the same (differ: ${d.differ})`);";

class DiffCommand : public ::testing::TestWithParam<DatabaseFormat> {
protected:
    DiffCommand() : plant(GetParam()) {}

    Outcome run(const std::vector<std::string>& arguments, const std::string& pipeTo = "") {
        std::string command = quoted(DALVON_DB);
        for (const std::string& argument : arguments)
            command += " " + quoted(argument);
        fs::path out = plant.root() / "out.txt", err = plant.root() / "err.txt";
        command += " 2> " + quoted(err.string());
        if (!pipeTo.empty())
            command = "set -o pipefail; " + command + " | " + pipeTo;
        command = "bash -c " + quoted(command + " > " + quoted(out.string()));
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
    }

    std::string host(const std::string& windowsPath) { return plant.host(windowsPath).string(); }

    // Sets `field` of the rows of `table` that `which` picks to `value`, through the store.
    void change(const char* database, const std::string& table,
                const std::function<bool(const Recordset&)>& which, const std::string& field,
                const Variant& value) {
        std::unique_ptr<Database> db = plant.rt().databases.open(database);
        std::unique_ptr<Recordset> rows = db->openTable(table);
        for (; !rows->eof(); rows->moveNext()) {
            if (!which(*rows))
                continue;
            rows->edit();
            rows->setValue(field, value);
            rows->update();
        }
        rows->close();
        db->close();
    }

    static std::function<bool(const Recordset&)> varNameEndsWith(const std::string& end) {
        return [end](const Recordset& row) {
            return row.value("var_name").toTextOrEmpty().ends_with(end);
        };
    }

    // The source renames HoldTime to DwellTime, after the operators gave HoldTime their own
    // limits; then the update runs again.
    void renameHoldTime() {
        change(kComponentDatabase, "PRESET_DEFS", varNameEndsWith(".HoldTime"), "min",
               Variant::doubleValue(2.5));
        change(kComponentDatabase, "PRESET_DEFS", varNameEndsWith(".HoldTime"), "max",
               Variant::doubleValue(45));
        change(kSourceDatabase, "Source_PRESET_DEFS", varNameEndsWith("HoldTime"), "var_name",
               Variant::string("DwellTime"));
        ASSERT_EQ(plant.runUpdate(), -1);
    }

    ExamplePlant plant;
};

TEST_P(DiffCommand, ARenamedVariableIsNotCarriedOverAndNew) {
    ASSERT_EQ(plant.runUpdate(), -1);
    renameHoldTime();
    Outcome diff = run({"diff", "--installation", host(kPlant)});
    EXPECT_EQ(diff.status, 1) << diff.err;
    EXPECT_EQ(diff.err, "");
    const std::string expected =
        "machine_type \"1\": 2 not carried over, 2 new, 0 changed, 28 the same\n"
        "  not carried over (only in OLD), with their limits:\n"
        "    var_name \"Press1.Recipe.HoldTime\" offset_or_bitno 0: abs_min 0, abs_max 60, "
        "min 2.5, max 45, pass 2\n"
        "    var_name \"Winder.Recipe.HoldTime\" offset_or_bitno 0: abs_min 0, abs_max 60, "
        "min 2.5, max 45, pass 2\n"
        "  new (only in NEW), with the limits they got:\n"
        "    var_name \"Press1.Recipe.DwellTime\" offset_or_bitno 0: abs_min 0, abs_max 60, "
        "min 0.5, max 30, pass 2\n"
        "    var_name \"Winder.Recipe.DwellTime\" offset_or_bitno 0: abs_min 0, abs_max 60, "
        "min 0.5, max 30, pass 2\n";
    EXPECT_NE(diff.out.find(expected), std::string::npos) << diff.out;
    EXPECT_NE(diff.out.find("machine_type \"0\": 0 not carried over, 0 new, 0 changed, 5 the same"),
              std::string::npos)
        << diff.out;
    EXPECT_NE(diff.out.find("\nIn all: 2 not carried over, 2 new, 0 changed, 33 the same "
                            "(the tables differ).\n"),
              std::string::npos)
        << diff.out;
    // The update's own count agrees with the diff.
    ASSERT_TRUE(plant.rt().run.takeover.has_value());
    EXPECT_EQ(plant.rt().run.takeover->notKept, 2);
    EXPECT_EQ(plant.rt().run.takeover->kept, 33);
}

TEST_P(DiffCommand, TheJsonFormHoldsTheSameCounts) {
    ASSERT_EQ(plant.runUpdate(), -1);
    renameHoldTime();
    if (std::system("command -v node > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "Node.js is not installed (scripts/install-deps)";
    Outcome text = run({"diff", "--installation", host(kPlant)});
    std::string node = "node -e " + quoted(kJsonCounts);
    Outcome json = run({"diff", "--format", "json", "--installation", host(kPlant)}, node);
    EXPECT_EQ(json.status, 1) << json.err;
    std::string totals = text.out.substr(text.out.rfind("In all: "));
    EXPECT_EQ(json.out, totals.substr(0, totals.find(" (")) + " (differ: true)\n") << json.err;

    Outcome raw = run({"diff", "--format=json", "--installation", host(kPlant)});
    EXPECT_NE(raw.out.find("{\"machine_type\":\"1\",\"var_name\":\"Press1.Recipe.HoldTime\","
                           "\"offset_or_bitno\":0,\"abs_min\":0,\"abs_max\":60,\"min\":2.5,"
                           "\"max\":45,\"pass\":2}"),
              std::string::npos)
        << raw.out;
}

TEST_P(DiffCommand, TablesThatAgreeExitWithZero) {
    ASSERT_EQ(plant.runUpdate(), -1);
    fs::copy_file(host(kComponentDatabase), plant.root() / "copy.mdb");
    Outcome same = run({"diff", (plant.root() / "copy.mdb").string(), host(kComponentDatabase)});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_NE(same.out.find("In all: 0 not carried over, 0 new, 0 changed, 35 the same "
                            "(the tables agree).\n"),
              std::string::npos)
        << same.out;
    // An update that changes nothing keeps every limit: its backup and the result agree.
    ASSERT_EQ(plant.runUpdate(), -1);
    EXPECT_EQ(run({"diff", "--installation", host(kPlant)}).status, 0);
    EXPECT_EQ(run({"diff", "--format", "json", "--installation", host(kPlant)}).status, 0);
}

TEST_P(DiffCommand, AnotherTableByAnotherKey) {
    fs::copy_file(host(kSourceDatabase), plant.root() / "source-before.mdb");
    renameHoldTime();
    Outcome diff = run({"diff", "--key", "ID", (plant.root() / "source-before.mdb").string(),
                        host(kSourceDatabase), "Source_PRESET_DEFS"});
    EXPECT_EQ(diff.status, 1) << diff.err;
    EXPECT_NE(diff.out.find("    ID 15: var_name \"HoldTime\" -> \"DwellTime\"\n"),
              std::string::npos)
        << diff.out;
    EXPECT_NE(diff.out.find("In all: 0 not carried over, 0 new, 1 changed, 19 the same"),
              std::string::npos)
        << diff.out;
}

TEST_P(DiffCommand, TroubleIsStatusTwoWithAClearMessage) {
    ASSERT_EQ(plant.runUpdate(), -1);
    const std::string component = host(kComponentDatabase);
    const std::string missing = (plant.root() / "missing.mdb").string();
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"diff", "--key", "machine_type,nope", component, component},
         "dalvon-db: diff: the key field 'nope' is not a field of the table in '" + component +
             "' (error 3265)\n"},
        {{"diff", "--fields", "price", component, component},
         "the compared field 'price' is not a field of the table"},
        {{"diff", component, component, "NOPE"},
         "dalvon-db: diff: there is no table 'NOPE' in '" + component + "' (error 3078)\n"},
        {{"diff", missing, component}, "Could not find file '" + missing + "'."},
        {{"diff", "--installation", plant.root().string()}, "there is no backup of"},
        {{"diff", component}, "diff needs OLD and NEW"},
        {{"diff", "--format", "xml", component, component}, "unknown diff format 'xml'"},
        {{"diff", "--key", "a,,b", component, component}, "empty field name in --key"},
        {{"diff", "--installation", host(kPlant), "a", "b"}, "at most one BACKUP"},
    };
    for (const auto& [arguments, message] : rows) {
        Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments[1] << ": " << outcome.err;
        EXPECT_EQ(outcome.out, "") << arguments[1];
        EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, DiffCommand, ::testing::ValuesIn(kFormats), FormatName{});

}  // namespace
}  // namespace dalvon::testing
