#include "presetdb/additional_fields.h"

#include "platform/event_loop.h"
#include "standard/installation_paths.h"
#include "standard/procedure.h"
#include "standard/profile_access.h"
#include "standard/runtime.h"

namespace dalvon {

std::vector<std::string> GetAdditionalFieldsMDB(Runtime& rt) {
    Procedure proc(rt, "GetAdditionalFieldsMDB");
    std::vector<std::string> fields(1);
    std::string text;
    proc.step([&] {
        text =
            LoadIniString(rt, "Project", "DataBaseAdditionalFields", GetCFGPath(rt), false, false);
    });
    text = text.empty() ? "part" : "part," + text;
    for (;;) {
        rt.events.yield();
        size_t comma = text.find(',');
        if (comma == std::string::npos) {
            fields.push_back(text);
            return fields;
        }
        fields.push_back(text.substr(0, comma));
        text.erase(0, comma + 1);
    }
}

void GetAddFields(Runtime& rt) {
    Procedure proc(rt, "GetAddFields");
    std::vector<std::string> fields;
    proc.step([&] { fields = GetAdditionalFieldsMDB(rt); });
    auto& state = rt.presetdb;
    state.AdditionalFields = fields;
    if (fields.empty())
        return;
    std::string clause;
    for (size_t j = 1; j < fields.size(); ++j)
        clause += ", PRESET_DEFS." + fields[j];
    state.AdditionalFieldsClause = clause;
    proc.step([&] {
        state.AdditionalFieldCount = toInteger16(static_cast<long long>(fields.size()) - 1);
    });
}

}  // namespace dalvon
