#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace dalvon {

// A copy of a host file made beside it, changed in place and then put over the original by
// rename, so that the original is either untouched or wholly replaced at every moment. The
// copy is removed when the object goes without commit(); it bears the program's temp naming
// with this process's id (posix::tempPathFor), so that a copy left by a killed process can be
// told from one in use and swept. Failures throw Fault 75 naming `displayPath`; the original is
// then unchanged.
class TempCopy {
public:
    TempCopy(const std::string& hostPath, const std::string& displayPath);
    ~TempCopy();
    TempCopy(const TempCopy&) = delete;
    TempCopy& operator=(const TempCopy&) = delete;

    const std::string& path() const { return m_temp; }
    // Writes `bytes` at `offset` of the copy.
    void write(uint64_t offset, std::span<const uint8_t> bytes);
    // Cuts or extends the copy to `size` bytes.
    void resize(uint64_t size);
    // Flushes the copy, renames it over the original and makes the rename durable.
    void commit();

private:
    [[noreturn]] void fail() const;

    std::string m_host;
    std::string m_display;
    std::string m_temp;
    int m_fd = -1;
};

}  // namespace dalvon
