// libFuzzer entry: the input is a profile file, optionally followed by a zero byte and the
// names to look up ("section\nkey\nvalue"). Reads the entry as text and as a number, writes a
// value into it and reads it back. A Fault is an answer; a crash, hang or sanitizer report is a
// finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/fakes/memory_file_system.h"
#include "platform/fault.h"
#include "platform/profile_store.h"

namespace {

constexpr const char* kFile = "D:\\Plant\\parameter\\Program.ini";

// The line at `index` of the zero-separated tail, or `fallback` when there is none.
std::string part(const std::string& tail, int index, const char* fallback) {
    size_t begin = 0;
    for (int i = 0; i < index; ++i) {
        begin = tail.find('\n', begin);
        if (begin == std::string::npos)
            return fallback;
        ++begin;
    }
    size_t end = tail.find('\n', begin);
    std::string text = tail.substr(begin, end == std::string::npos ? end : end - begin);
    return text.empty() ? fallback : text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    std::string tail = split == std::string::npos ? std::string() : input.substr(split + 1);
    std::string section = part(tail, 0, "Project");
    std::string key = part(tail, 1, "NumberOfMachines");
    std::string value = part(tail, 2, "4");
    dalvon::MemoryFileSystem files;
    files.setFile(kFile, input.substr(0, split));
    auto profiles = dalvon::makeProfileStore(files);
    try {
        profiles->getString(section, key, "<none>", 256, kFile);
        profiles->getInt(section, key, -1, kFile);
        profiles->getString("Machine1", "MachineName", "", 4096, kFile);
        if (profiles->writeString(section, key, value, kFile))
            profiles->getString(section, key, "", 65536, kFile);
    } catch (const dalvon::Fault&) {
    }
    return 0;
}
