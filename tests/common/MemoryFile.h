#pragma once
// An input held in an anonymous in-memory file (memfd), named by its /proc path, for fuzz targets whose
// parser is QSettings: Qt 5 reads INI only from a file name, and a disk file per input costs the fuzzer
// far more than the parse. One name serves every input: QSettings keeps what it read while the file's
// size and modification time stay the same, so each input gets a time of its own.
#include <QString>

#include <cstdint>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

class MemoryFile {
public:
    MemoryFile() : m_fd(::memfd_create("zf-fuzz-input", MFD_CLOEXEC)) {}
    ~MemoryFile() { ::close(m_fd); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the contents; false when the memory file could not be made or written.
    bool set(const uint8_t* data, size_t size) {
        const timespec times[2] = {{0, UTIME_OMIT}, {++m_stamp, 0}};
        return m_fd >= 0 && ::ftruncate(m_fd, 0) == 0 && ::pwrite(m_fd, data, size, 0) == ssize_t(size) &&
               ::futimens(m_fd, times) == 0;
    }
    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

private:
    int m_fd;
    time_t m_stamp = 0;
};
