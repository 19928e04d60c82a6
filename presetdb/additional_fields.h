#pragma once

#include <string>
#include <vector>

namespace dalvon {

struct Runtime;

// The additional fields of the configuration file: element 0 empty, element 1 "part", then the
// names of [Project] DataBaseAdditionalFields exactly as written between the commas.
std::vector<std::string> GetAdditionalFieldsMDB(Runtime& rt);

// Sets AdditionalFields, AdditionalFieldsClause and AdditionalFieldCount for the takeover.
void GetAddFields(Runtime& rt);

}  // namespace dalvon
