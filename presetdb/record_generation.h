#pragma once

#include <memory>
#include <string>

namespace dalvon {

struct Runtime;
class Database;

// The text with its first occurrence of `search` (compared without regard to case) replaced.
std::string ReplaceSearchItem(Runtime& rt, const std::string& text, const std::string& search,
                              const std::string& replacement);

// Renames a field "categorie" (any case) of the component database's PRESET_DEFS to
// "category_id".
void CategorieNachCategoryID(Runtime& rt);

// Keeps the component database open while CreateRecordSets renames names row by row; closing
// it (at the end of the generation) puts every rename in the file.
class ComponentDatabaseCache {
public:
    explicit ComponentDatabaseCache(Runtime& rt) : m_rt(rt) {}
    ~ComponentDatabaseCache();
    ComponentDatabaseCache(const ComponentDatabaseCache&) = delete;
    ComponentDatabaseCache& operator=(const ComponentDatabaseCache&) = delete;

    // The open component database at `path`, opened on first use.
    Database& open(const std::string& path);
    void close();

private:
    Runtime& m_rt;
    std::string m_path;
    std::unique_ptr<Database> m_database;
};

// Gives the component database's rows that carry the other system's form of a name the
// current system's form.
void VarNameInQuelleErsetzen(Runtime& rt, ComponentDatabaseCache& component,
                             const std::string& visiWin32Name, const std::string& studioName);

// Fills the empty PRESET_DEFS of `database` from Source_PRESET_DEFS for every valid machine.
void CreateRecordSets(Runtime& rt, const std::unique_ptr<Database>& database);

}  // namespace dalvon
