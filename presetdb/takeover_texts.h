#pragma once

#include <string>

namespace dalvon {

struct Runtime;

// The texts the takeover shows or logs; their words are fixed, service staff search logs for
// them.
std::string FieldLossWarning(Runtime& rt, bool withBreaks);
std::string TakeoverAbortNote(Runtime& rt);
std::string RecordCountNote(Runtime& rt, int walked, int claimed, int rebuilt);
std::string ExtensionConflictNote(Runtime& rt, const std::string& fieldName);

// The key value as it is written into the takeover query (see docs/database-format.md).
class Variant;
std::string TakeoverKeyText(const Variant& value);

}  // namespace dalvon
