#include "kx/File.h"

#include "PosixFileApi.h"
#include "kx/Exception.h"

namespace KX {

namespace {

constexpr const char* kSource = "Utilities\\Storage\\KXFile";

} // namespace

File::File(const WString& path, const WString& fileName, uint32_t flags) : m_flags(flags)
{
    File::Open(path, fileName, flags);
}

File::~File()
{
    File::Close();
}

int File::Descriptor() const
{
    // A closed File has no descriptor; the system calls then fail and report it.
    return m_descriptor ? m_descriptor->Value() : -1;
}

KXRESULT File::Open(const WString& path, const WString& fileName, uint32_t flags)
{
    if (m_descriptor)
        return S_FALSE;

    if (!fileName.IsEmpty()) {
        m_fileName = fileName;
        m_fullPath = path + WString(u'/') + fileName;
    } else {
        if (path.IsEmpty())
            KX_THROW(std::runtime_error, "invalid pathname", "KX::File::Open", kSource, 294);
        m_fullPath = path;
    }
    m_flags = flags;

    // Binary mode, never truncating or appending; other openers may share the file.
    int openFlags = FileApi::OpenBinary;
    openFlags |= (flags & ReadWriteAccess) ? FileApi::OpenReadWrite : FileApi::OpenReadOnly;
    if (flags & Create) {
        openFlags |= FileApi::OpenCreate;
        if (flags & Exclusive)
            openFlags |= FileApi::OpenExclusive;
    }
    int descriptor = -1;
    if (FileApi::OpenFile(&descriptor, m_fullPath.GetString(), openFlags, FileApi::ShareDenyNone,
                          FileApi::PermissionRead | FileApi::PermissionWrite) == 0) {
        RCPtr<LHolder<int>> holder = LHolder<int>::Create();
        holder->Value() = descriptor;
        m_descriptor = holder;
    }
    if (!m_descriptor)
        KX_THROW(std::runtime_error, "open", "KX::File::Open", kSource, 422);
    return S_OK;
}

KXRESULT File::Close()
{
    if (!m_descriptor)
        return S_OK;
    // Another copy still uses the descriptor: keep it, the destructor drops the reference.
    if (m_descriptor->GetRefCount() != 1)
        return S_OK;
    FileApi::CloseFile(Descriptor());
    if (m_flags & DeleteOnClose)
        FileApi::UnlinkFile(m_fullPath.GetString());
    m_descriptor = nullptr;
    return S_OK;
}

int32_t File::Read(void* buffer, uint32_t count, uint32_t position)
{
    const int fd = Descriptor();
    if (position != CurrentPosition &&
        FileApi::SeekFile(fd, static_cast<int32_t>(position), FileApi::SeekFromStart) != static_cast<int32_t>(position))
        KX_THROW(std::runtime_error, "lseek", "KX::File::Read", kSource, 476);
    const int32_t done = FileApi::ReadFile(fd, buffer, count);
    if (done == -1)
        KX_THROW(std::runtime_error, "read", "KX::File::Read", kSource, 503);
    return done;
}

int32_t File::Write(const void* buffer, uint32_t count, uint32_t position)
{
    if (!(m_flags & ReadWriteAccess))
        KX_THROW(std::runtime_error, "file is read only", "KX::File::Write", kSource, 598);
    const int fd = Descriptor();
    if (position != CurrentPosition &&
        FileApi::SeekFile(fd, static_cast<int32_t>(position), FileApi::SeekFromStart) != static_cast<int32_t>(position))
        KX_THROW(std::runtime_error, "lseek", "KX::File::Write", kSource, 607);
    const int32_t done = FileApi::WriteFile(fd, buffer, count);
    if (done == -1)
        KX_THROW(std::runtime_error, "write", "KX::File::Write", kSource, 643);
    return done;
}

int32_t File::Seek(int32_t offset, int32_t origin)
{
    return FileApi::SeekFile(Descriptor(), offset, origin);
}

int32_t File::GetLength()
{
    FileApi::FileStatus32 status;
    if (FileApi::StatDescriptor32(Descriptor(), &status) == -1)
        KX_THROW(std::runtime_error, "fstat", "KX::File::GetLength", kSource, 113);
    return status.size;
}

} // namespace KX
