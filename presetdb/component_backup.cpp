#include "presetdb/component_backup.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "platform/c_library.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {
namespace {

struct NameParts {
    std::string stem;       // "Dalvon"
    std::string extension;  // ".mdb", or empty
};

NameParts partsOf(const std::string& componentPath) {
    std::string name = componentPath.substr(componentPath.rfind('\\') + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {name, ""};
    return {name.substr(0, dot), name.substr(dot)};
}

// The order key of a backup name: its stamp and sequence number, or nothing when the name is
// not one of this component database's backups.
std::optional<std::pair<std::string, int>> backupKey(const std::string& name,
                                                     const NameParts& parts) {
    const size_t stampLength = 15;  // 20261206-202351
    std::string prefix = parts.stem + "-";
    if (name.size() < prefix.size() + stampLength + parts.extension.size() ||
        !equalsIgnoreCase(name.substr(0, prefix.size()), prefix) ||
        !equalsIgnoreCase(name.substr(name.size() - parts.extension.size()), parts.extension)) {
        return std::nullopt;
    }
    std::string middle =
        name.substr(prefix.size(), name.size() - prefix.size() - parts.extension.size());
    std::string stamp = middle.substr(0, stampLength);
    std::string sequence = middle.substr(stampLength);
    auto digits = [](const std::string& text) {
        return !text.empty() &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(stamp.substr(0, 8)) || stamp[8] != '-' || !digits(stamp.substr(9)))
        return std::nullopt;
    if (sequence.empty())
        return std::make_pair(stamp, 1);
    if (sequence[0] != '-' || !digits(sequence.substr(1)) || sequence.size() > 6)
        return std::nullopt;
    return std::make_pair(stamp, std::stoi(sequence.substr(1)));
}

std::string stampOf(std::time_t now) {
    const std::tm local = localTime(now);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// A name after every backup of the same second, so that the newest always sorts last.
std::string freshName(const std::vector<std::string>& taken, const NameParts& parts,
                      const std::string& stamp) {
    int sequence = 0;
    for (const std::string& name : taken) {
        if (std::optional<std::pair<std::string, int>> key = backupKey(name, parts)) {
            if (key->first == stamp)
                sequence = std::max(sequence, key->second);
        }
    }
    ++sequence;
    return parts.stem + "-" + stamp + (sequence == 1 ? "" : "-" + std::to_string(sequence)) +
           parts.extension;
}

// Removes the oldest backups beyond the number kept; one that cannot be removed stays.
void removeOldest(FileSystem& files, const std::string& componentPath) {
    std::vector<std::string> backups = ListBackups(files, componentPath);
    for (size_t i = 0; i + kKeptBackups < backups.size(); ++i) {
        try {
            files.removeFile(BackupFolder(componentPath) + "\\" + backups[i]);
        } catch (const Fault&) {
        }
    }
}

Fault noBackup(const std::string& componentPath, const Fault& why) {
    return Fault(75, why.source(),
                 "Path/File access error: no backup of '" + componentPath + "' could be made in '" +
                     BackupFolder(componentPath) + "' (" + why.description() + ")");
}

}  // namespace

std::string BackupFolder(const std::string& componentPath) {
    return componentPath.substr(0, componentPath.rfind('\\')) + "\\Backup";
}

std::vector<std::string> ListBackups(FileSystem& files, const std::string& componentPath) {
    NameParts parts = partsOf(componentPath);
    std::vector<std::pair<std::pair<std::string, int>, std::string>> found;
    for (const std::string& name : files.listFolder(BackupFolder(componentPath))) {
        if (std::optional<std::pair<std::string, int>> key = backupKey(name, parts))
            found.emplace_back(*key, name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& entry : found)
        names.push_back(std::move(entry.second));
    return names;
}

std::string MakeBackup(FileSystem& files, const std::string& componentPath,
                       const std::string& content, std::time_t now) {
    std::string folder = BackupFolder(componentPath);
    std::vector<std::string> backups = ListBackups(files, componentPath);
    if (!backups.empty() && files.readFile(folder + "\\" + backups.back()) == content)
        return folder + "\\" + backups.back();
    try {
        files.createFolder(folder);
        files.removeLeftovers(folder);  // a copy that a killed run left half made
        std::string path =
            folder + "\\" +
            freshName(files.listFolder(folder), partsOf(componentPath), stampOf(now));
        files.writeFileAtomic(path, content);
        removeOldest(files, componentPath);
        return path;
    } catch (const Fault& fault) {
        throw noBackup(componentPath, fault);
    }
}

std::string RestoreBackup(FileSystem& files, DatabaseEngine& databases,
                          const std::string& componentPath, const std::string& name,
                          std::time_t now) {
    std::vector<std::string> backups = ListBackups(files, componentPath);
    std::string chosen = name.empty() && !backups.empty() ? backups.back() : name;
    bool known = std::any_of(backups.begin(), backups.end(),
                             [&](const std::string& b) { return equalsIgnoreCase(b, chosen); });
    if (chosen.empty() || !known)
        throw faults::fileNotFound(BackupFolder(componentPath) + "\\" + chosen);
    // Read first: keeping the current file may remove the oldest backup, which may be this one.
    std::string bytes = files.readFile(BackupFolder(componentPath) + "\\" + chosen).value_or("");
    std::string kept;
    if (files.fileExists(componentPath))
        kept = MakeBackup(files, componentPath, databases.committedContent(componentPath), now);
    files.writeFileAtomic(componentPath, bytes);
    return kept;
}

ComponentBackup::ComponentBackup(Runtime& rt, const std::string& componentPath) {
    if (componentPath.empty() || !rt.files.fileExists(componentPath))
        return;
    try {
        std::string content;
        try {
            content = rt.databases.committedContent(componentPath);
        } catch (const Fault& fault) {
            throw noBackup(componentPath, fault);
        }
        rt.run.componentBackup = MakeBackup(rt.files, componentPath, content, std::time(nullptr));
    } catch (const Fault& fault) {
        m_failure = fault.description();
        rt.databases.refuseWrites(
            componentPath, Fault(75, "", m_failure + "; the component database is left unchanged"));
    }
}

void ComponentBackup::requireBeforeReplacing() const {
    if (!m_failure.empty())
        throw Fault(75, "", m_failure + "; the component database was not replaced");
}

}  // namespace dalvon
