#include "tools/dalvon-db/diff_report.h"

#include <sstream>

#include "platform/text.h"
#include "tools/dalvon-db/json_writer.h"

namespace dalvon::db_tool {
namespace {

std::string joined(const std::vector<std::string>& names, const std::string& separator) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : separator) + name;
    return text;
}

// Texts in quotes (so that an empty text and Null differ), Null as Null, the rest as it reads.
std::string shown(const Variant& value) {
    if (value.isNull() || value.isEmpty())
        return "Null";
    if (value.isString())
        return jsonString(value.asString());
    return value.toText();
}

// "limits" for the takeover's fields, "values" for any others.
std::string valuesWord(const TableDiff& diff) {
    return diff.compared == limitFields() ? "limits" : "values";
}

std::string countsText(const DiffCounts& counts) {
    return std::to_string(counts.onlyOld) + " not carried over, " + std::to_string(counts.onlyNew) +
           " new, " + std::to_string(counts.changed) + " changed, " + std::to_string(counts.same) +
           " the same";
}

DiffCounts groupCounts(const DiffGroup& group) {
    return {static_cast<int>(group.onlyOld.size()), static_cast<int>(group.onlyNew.size()),
            static_cast<int>(group.changed.size()), group.same};
}

// The key of a row without the group field, which the group's heading names.
std::string keyText(const TableDiff& diff, const std::vector<Variant>& key) {
    std::string text;
    for (size_t i = 0; i < key.size(); ++i) {
        if (key.size() > 1 && equalsIgnoreCase(diff.key[i], diff.groupField))
            continue;
        text += (text.empty() ? "" : " ") + diff.key[i] + " " + shown(key[i]);
    }
    return text;
}

std::string valuesText(const TableDiff& diff, const std::vector<Variant>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i)
        text += (i == 0 ? "" : ", ") + diff.compared[i] + " " + shown(values[i]);
    return text;
}

std::string changesText(const TableDiff& diff, const ChangedRow& row) {
    std::string text;
    for (size_t i = 0; i < row.oldValues.size(); ++i) {
        if (sameValue(row.oldValues[i], row.newValues[i]))
            continue;
        text += (text.empty() ? "" : ", ") + diff.compared[i] + " " + shown(row.oldValues[i]) +
                " -> " + shown(row.newValues[i]);
    }
    return text;
}

void writeRows(std::ostream& out, const TableDiff& diff, const std::string& heading,
               const std::vector<DiffRow>& rows) {
    if (rows.empty())
        return;
    out << "  " << heading << ":\n";
    for (const DiffRow& row : rows)
        out << "    " << keyText(diff, row.key) << ": " << valuesText(diff, row.values) << '\n';
}

void writeGroupText(std::ostream& out, const TableDiff& diff, const DiffGroup& group) {
    std::string name =
        diff.groupField.empty() ? "All rows" : diff.groupField + " " + shown(group.name);
    out << '\n' << name << ": " << countsText(groupCounts(group)) << '\n';
    std::string word = valuesWord(diff);
    writeRows(out, diff, "not carried over (only in OLD), with their " + word, group.onlyOld);
    writeRows(out, diff, "new (only in NEW), with the " + word + " they got", group.onlyNew);
    if (group.changed.empty())
        return;
    out << "  " << word << " changed (OLD -> NEW):\n";
    for (const ChangedRow& row : group.changed)
        out << "    " << keyText(diff, row.key) << ": " << changesText(diff, row) << '\n';
}

// {"field":value,...} of names and values in order.
std::string jsonObject(const std::vector<std::string>& names, const std::vector<Variant>& values) {
    std::ostringstream text;
    writeJsonLine(text, names, values);
    std::string line = text.str();
    return line.substr(0, line.size() - 1);
}

std::string jsonNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + jsonString(name);
    return "[" + text + "]";
}

std::string jsonCounts(const DiffCounts& counts) {
    return "{\"notCarriedOver\":" + std::to_string(counts.onlyOld) +
           ",\"new\":" + std::to_string(counts.onlyNew) +
           ",\"changed\":" + std::to_string(counts.changed) +
           ",\"same\":" + std::to_string(counts.same) + "}";
}

std::string jsonRows(const TableDiff& diff, const std::vector<DiffRow>& rows) {
    std::string text;
    std::vector<std::string> names = diff.key;
    names.insert(names.end(), diff.compared.begin(), diff.compared.end());
    for (const DiffRow& row : rows) {
        std::vector<Variant> values = row.key;
        values.insert(values.end(), row.values.begin(), row.values.end());
        text += (text.empty() ? "" : ",") + jsonObject(names, values);
    }
    return "[" + text + "]";
}

std::string jsonChanged(const TableDiff& diff, const std::vector<ChangedRow>& rows) {
    std::string text;
    for (const ChangedRow& row : rows) {
        text += std::string(text.empty() ? "" : ",") + "{\"key\":" + jsonObject(diff.key, row.key) +
                ",\"old\":" + jsonObject(diff.compared, row.oldValues) +
                ",\"new\":" + jsonObject(diff.compared, row.newValues) + "}";
    }
    return "[" + text + "]";
}

std::string jsonGroup(const TableDiff& diff, const DiffGroup& group) {
    return "{\"name\":" + jsonValue(group.name) + ",\"counts\":" + jsonCounts(groupCounts(group)) +
           ",\"notCarriedOver\":" + jsonRows(diff, group.onlyOld) +
           ",\"new\":" + jsonRows(diff, group.onlyNew) +
           ",\"changed\":" + jsonChanged(diff, group.changed) + "}";
}

}  // namespace

void writeDiffText(std::ostream& out, const DiffSubject& subject, const TableDiff& diff) {
    out << "OLD " << subject.oldFile << "\nNEW " << subject.newFile << "\ntable " << subject.table
        << ", rows matched by " << joined(diff.key, ", ")
        << "; compared: " << joined(diff.compared, ", ") << '\n';
    if (diff.renamed > 0)
        out << diff.renamed << " previous row(s) matched under the other system's variable name, "
            << "as the update renames them\n";
    for (const DiffGroup& group : diff.groups)
        writeGroupText(out, diff, group);
    DiffCounts counts = diff.counts();
    out << "\nIn all: " << countsText(counts) << " ("
        << (counts.differ() ? "the tables differ" : "the tables agree") << ").\n";
}

void writeDiffJson(std::ostream& out, const DiffSubject& subject, const TableDiff& diff) {
    DiffCounts counts = diff.counts();
    out << "{\"old\":" << jsonString(subject.oldFile) << ",\"new\":" << jsonString(subject.newFile)
        << ",\"table\":" << jsonString(subject.table) << ",\"key\":" << jsonNames(diff.key)
        << ",\"compared\":" << jsonNames(diff.compared)
        << ",\"groupField\":" << jsonString(diff.groupField) << ",\"renamed\":" << diff.renamed
        << ",\"differ\":" << (counts.differ() ? "true" : "false")
        << ",\"counts\":" << jsonCounts(counts) << ",\"groups\":[";
    for (size_t i = 0; i < diff.groups.size(); ++i)
        out << (i == 0 ? "" : ",") << jsonGroup(diff, diff.groups[i]);
    out << "]}\n";
}

}  // namespace dalvon::db_tool
