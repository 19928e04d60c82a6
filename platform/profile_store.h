#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dalvon {

class FileSystem;

// Profile (INI) files with the behaviour of the Windows profile API. Every call reads or writes
// the file afresh; nothing is cached. Files are Windows-1252 text; any line end is read, CR LF
// is written. Section and key names match without regard to case and surrounding blanks; the
// first matching section counts.
class ProfileStore {
public:
    ProfileStore() = default;
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;
    virtual ~ProfileStore() = default;

    // The value (trimmed; a value wrapped in matching single or double quotes loses them), cut
    // to `bufferSize` - 1 characters. When the file, section or key is missing: `defaultValue`
    // with its trailing blanks removed (also cut). Never throws for a missing file.
    virtual std::string getString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue, size_t bufferSize,
                                  const std::string& file) = 0;

    // The value read as a decimal integer with an optional sign (leading digits only; a value
    // that starts with no digit gives 0), or `defaultValue` when file, section or key is
    // missing.
    virtual int64_t getInt(const std::string& section, const std::string& key, int64_t defaultValue,
                           const std::string& file) = 0;

    // Sets key=value: replaces the value of an existing key, otherwise adds the entry at the end
    // of the section, creating section and file when missing. Every other byte of the file stays
    // as it was; the file is replaced atomically. False when the write fails.
    virtual bool writeString(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& file) = 0;
};

// The profile engine over a file system (real or fake).
std::unique_ptr<ProfileStore> makeProfileStore(FileSystem& files);

}  // namespace dalvon
