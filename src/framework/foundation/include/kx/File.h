#pragma once
// KX::File: a thin, unbuffered file over one descriptor, opened by a wide path.
// Copies share the descriptor; only the last of them closes it.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/Wrappers.h"

#include <cstdint>

namespace KX {

class File {
public:
    // Open flags (the low 16 bits are free; other bits are stored and ignored).
    static constexpr uint32_t ReadAccess = 0x10000;      // reading only, the default
    static constexpr uint32_t ReadWriteAccess = 0x20000; // reading and writing; Write needs it
    static constexpr uint32_t Exclusive = 0x40000;       // with Create: fail when the file exists
    static constexpr uint32_t Create = 0x80000;          // create the file when it is missing
    static constexpr uint32_t DeleteOnClose = 0x100000;  // the closing Close deletes the file

    // Position argument of Read and Write meaning "at the current position".
    static constexpr uint32_t CurrentPosition = 0xFFFFFFFF;

    // Opens at once; a failure throws, so a constructed File is always open.
    File(const WString& path, const WString& fileName, uint32_t flags);
    File(const File& other) = default;
    // Assigning over an open File would drop its descriptor unclosed.
    File& operator=(const File&) = delete;
    virtual ~File();

    // 0 opened, 1 already open (nothing changes). Joins path, "/" and fileName when a
    // file name is given. Throws "invalid pathname" or "open".
    virtual KXRESULT Open(const WString& path, const WString& fileName, uint32_t flags);
    // Closes the descriptor when this File is its last user; always 0.
    virtual KXRESULT Close();
    // Reads count bytes at position (CurrentPosition: where the file stands); returns the
    // number read, 0 at the end. Throws "lseek" or "read".
    virtual int32_t Read(void* buffer, uint32_t count, uint32_t position);
    // Writes count bytes at position; returns the number written. Throws
    // "file is read only", "lseek" or "write".
    virtual int32_t Write(const void* buffer, uint32_t count, uint32_t position);
    // Origin 0 start, 1 current, 2 end; the new position, or -1. Throws nothing.
    virtual int32_t Seek(int32_t offset, int32_t origin);

    // The file's size; the position does not move. Throws "fstat".
    int32_t GetLength();

    bool IsOpen() const { return static_cast<bool>(m_descriptor); }
    const WString& GetFileName() const { return m_fileName; }
    const WString& GetFullPath() const { return m_fullPath; }
    uint32_t GetFlags() const { return m_flags; }

private:
    int Descriptor() const;

    RCPtr<LHolder<int>> m_descriptor;
    WString m_fileName;
    WString m_fullPath;
    uint32_t m_flags = 0;
};

} // namespace KX
