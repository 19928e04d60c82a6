#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "store/database.h"
#include "store/jet/format/jet_file.h"
#include "store/jet/reader/jet_catalog.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/writer/jet_index_definition.h"
#include "store/jet/writer/jet_page_space.h"

namespace dalvon::jet {

class TableWriter;

// Writes a Jet 4 database (version byte 1, 4096-byte pages, pages not encoded) natively: the
// storage operations the store issues. The file is read whole into memory; each operation
// changes pages there and either completes or, on a Fault, leaves the image as it was. commit()
// replaces the file by the image atomically (FileSystem::writeFileAtomic), so the file on disk
// is always the old one or the new one. Nothing is written without commit(); destroying the
// writer drops uncommitted changes.
//
// A row id is page << 8 | row number of the row's first slot; it stays when the row moves.
// Tables are matched by exact name first, then without regard to case.
class JetWriter {
public:
    // The file at `path` (Windows form, through `files`). Removes the temp copies that commits
    // of ended processes left beside it. Fault 3045 when a lock file <name>.ldb lies beside the
    // file (someone has it open), Fault 3027 for a file this user may not write, a Jet 3 file,
    // encoded pages, a size that is not a whole number of pages or a global page map of another
    // kind, Fault 3051 when the file cannot be read.
    JetWriter(FileSystem& files, std::string path);
    // As above, starting from the file's bytes as a reader already holds them.
    JetWriter(FileSystem& files, std::string path, std::optional<std::vector<uint8_t>> held);
    // For tools and tests on a host file: through a file system of its own.
    explicit JetWriter(const std::string& hostPath);
    ~JetWriter();
    JetWriter(const JetWriter&) = delete;
    JetWriter& operator=(const JetWriter&) = delete;

    // The current image, with uncommitted changes (for the reader's functions).
    const JetFile& file() const { return *m_file; }

    std::vector<std::string> tableNames();
    // Fault 3265 when the table does not exist.
    std::vector<FieldDef> tableFields(const std::string& table);
    // Every row with its id, in storage order (Fault 3078 when the table does not exist).
    std::vector<std::pair<uint32_t, Row>> rows(const std::string& table);
    // One row by id; Fault 3167 when there is no such row.
    Row row(const std::string& table, uint32_t id);

    // Creates a table with these fields and indexes. Fault 3010 when the name is taken, 3125
    // for a name longer than 64 characters, 3264 without fields, 3027 when the catalog's indexes
    // are not single leaf pages with room or the name has characters
    // whose place in the sort order is not known here.
    void createTable(const std::string& name, const std::vector<FieldDef>& fields,
                     const std::vector<NewIndex>& indexes = {});
    // Removes the table, its catalog and access-control entries, and releases its pages.
    // Fault 3265 when it does not exist.
    void deleteTable(const std::string& name);
    // The column's property set in the catalog's LvProp, where it has one, takes the new name
    // too. Fault 3265 for a missing table or field (the old name matched without regard to
    // case), 3191 when the new name is taken, 3125 when it is not a valid name.
    void renameField(const std::string& table, const std::string& oldName,
                     const std::string& newName);

    // Adds a row: one value per field in field order, each of the field's type or Null; its
    // entries go into every index of the table. Fault 3047 when the row is longer than 4060
    // bytes, 3022 when a unique index or primary key holds its key already, 3027 for a key this
    // program cannot encode (jet_index_key.h).
    uint32_t appendRow(const std::string& table, const std::vector<Variant>& values);
    // Changes values of a row (field position, value), and its index entries where its keys
    // change. Faults as appendRow.
    void updateRow(const std::string& table, uint32_t id,
                   const std::vector<std::pair<size_t, Variant>>& changes);
    // Removes a row and its index entries; Fault 3167 when there is no such row.
    void deleteRow(const std::string& table, uint32_t id);

    // True when there are uncommitted changes.
    bool hasChanges() const;
    // Puts the changes in place (see above). Fault 75 when the copy cannot be written or
    // renamed; the file is then unchanged and the changes stay pending.
    void commit();

private:
    const CatalogTable* findTable(const std::string& name);
    const CatalogTable& requireTable(const std::string& name, int faultNumber);
    TableWriter& tableWriter(const CatalogTable& table);
    template <typename Work>
    auto change(Work&& work);
    void checkNotLocked() const;
    void load(std::optional<std::vector<uint8_t>> held);

    std::unique_ptr<FileSystem> m_ownFiles;  // only for a writer on a host file
    FileSystem& m_files;
    std::string m_path;
    std::unique_ptr<JetFile> m_file;
    std::unique_ptr<PageSpace> m_space;
    std::optional<std::vector<CatalogTable>> m_tables;
    std::map<uint32_t, std::unique_ptr<TableWriter>> m_writers;
};

// The whole file at `path` (Windows form, through `files`); Fault 3051 naming it when it cannot
// be read.
std::vector<uint8_t> readJetFile(FileSystem& files, const std::string& path);

// The lock file that Access keeps beside a database while a program has it open ("<name>.ldb",
// Windows form); empty when there is none.
std::string lockFileBeside(FileSystem& files, const std::string& path);

}  // namespace dalvon::jet
