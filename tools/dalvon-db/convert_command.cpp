#include "tools/dalvon-db/convert_command.h"

#include <filesystem>
#include <memory>

#include "platform/c_library.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "store/database.h"
#include "store/jet/writer/jet_create.h"
#include "store/table_copy.h"

namespace dalvon::db_tool {
namespace {

namespace fs = std::filesystem;

// An empty database file of the default format, named like the file it becomes.
void createEmptyFile(const fs::path& path) {
    try {
        createEmptyDatabase(utf8FromPath(path));
    } catch (const Fault& fault) {
        throw faults::pathAccess(utf8FromPath(path), fault.description());
    }
}

void copyAll(CommandContext& context, const std::string& in, const fs::path& temp) {
    auto from = openDatabase(context, in);
    // The context's engine only reads; the new file is written through one of its own.
    std::unique_ptr<DatabaseEngine> writer = makeDatabaseEngine(context.files);
    auto to = writer->open(context.files.windowsPath(utf8FromPath(temp)));
    for (const std::string& table : from->tableNames()) {
        const TableCopy copy = copyTable(*from, *to, table);
        context.out << table << '\t' << copy.rows << " rows";
        if (!copy.indexesLeftOut.empty())
            context.out << "; its indexes were left out: " << copy.indexesLeftOut;
        context.out << '\n';
    }
    to->close();
    from->close();
}

void makeTarget(CommandContext& context, const std::vector<std::string>& arguments,
                const fs::path& temp) {
    const auto format = context.options.find("--format");
    const bool jet = format != context.options.end() && format->second == "jet4";
    if (format != context.options.end() && !jet && format->second != "sqlite")
        throw Fault(5, "", "Unknown format '" + format->second + "' (sqlite or jet4)");
    const auto templateFile = context.options.find("--template");
    if (templateFile != context.options.end() && !jet)
        throw Fault(5, "", "--template needs --format jet4");
    if (!jet)
        createEmptyFile(temp);
    else if (templateFile != context.options.end())
        fs::copy_file(pathFromUtf8(templateFile->second), temp);
    else
        jet::createDatabase(utf8FromPath(temp));
    copyAll(context, arguments[0], temp);
}

// The temp file is the program's business: a fault names the file the user asked for, and the
// template when the temp file was made from one.
Fault withoutTempPath(CommandContext& context, const Fault& fault, const fs::path& temp,
                      const fs::path& out) {
    std::string text = fault.description();
    std::string made = context.files.windowsPath(utf8FromPath(out));
    if (const auto templateFile = context.options.find("--template");
        templateFile != context.options.end())
        made += "' made from the template '" + templateFile->second;
    for (const std::string& name :
         {context.files.windowsPath(utf8FromPath(temp)), utf8FromPath(temp)}) {
        for (size_t at = text.find(name); at != std::string::npos;
             at = text.find(name, at + made.size()))
            text.replace(at, name.size(), made);
    }
    return Fault(fault.number(), fault.source(), text);
}

}  // namespace

int convertDatabase(CommandContext& context, const std::vector<std::string>& arguments) {
    const fs::path out = fs::absolute(pathFromUtf8(arguments[1]));
    if (fs::exists(out)) {
        throw Fault(58, "",
                    "File already exists: '" + arguments[1] + "' (convert writes a new file only)");
    }
    const fs::path temp =
        out.parent_path() / pathFromUtf8("." + utf8FromPath(out.filename()) + ".converting-" +
                                         std::to_string(currentProcessId()));
    try {
        makeTarget(context, arguments, temp);
        fs::rename(temp, out);
    } catch (const Fault& fault) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw withoutTempPath(context, fault, temp, out);
    } catch (...) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw;
    }
    return 0;
}

}  // namespace dalvon::db_tool
