#include "FullDiskVfs.h"

#include <sqlite3.h>

#include <atomic>

namespace {

// SQLite keeps its VFS list process-wide; so does this stand-in.
std::atomic<bool> diskFull { false };
sqlite3_vfs* realVfs = nullptr;
sqlite3_vfs shimVfs;

// A file of ours: the real file's structure follows it in the same allocation.
struct ShimFile
{
    sqlite3_file base;
    sqlite3_io_methods methods;
    sqlite3_file* real;
};

sqlite3_file* real(sqlite3_file* file)
{
    return reinterpret_cast<ShimFile*>(file)->real;
}

// A file method that the real file does as it is; its arguments follow from where it is stored.
template <auto method, typename... Args> int onRealFile(sqlite3_file* file, Args... args)
{
    return (real(file)->pMethods->*method)(real(file), args...);
}

// The same for a method of the file system.
template <auto method, typename... Args> int onRealVfs(sqlite3_vfs*, Args... args)
{
    return (realVfs->*method)(realVfs, args...);
}

int shimWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    return diskFull ? SQLITE_FULL : real(file)->pMethods->xWrite(real(file), buffer, amount, offset);
}

int shimFileControl(sqlite3_file* file, int op, void* arg)
{
    // Growing a file ahead of its writes needs room just the same.
    if (op == SQLITE_FCNTL_SIZE_HINT && diskFull)
        return SQLITE_FULL;
    return real(file)->pMethods->xFileControl(real(file), op, arg);
}

int shimOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->base.pMethods = nullptr;
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    const int result = realVfs->xOpen(realVfs, name, shim->real, flags, outFlags);
    if (result != SQLITE_OK || !shim->real->pMethods)
        return result;
    // Version 1 only: without the shared-memory methods SQLite keeps to its rollback journal,
    // which is what the program uses.
    using M = sqlite3_io_methods;
    shim->methods = M { 1, onRealFile<&M::xClose>, onRealFile<&M::xRead>, shimWrite, onRealFile<&M::xTruncate>,
        onRealFile<&M::xSync>, onRealFile<&M::xFileSize>, onRealFile<&M::xLock>, onRealFile<&M::xUnlock>,
        onRealFile<&M::xCheckReservedLock>, shimFileControl, onRealFile<&M::xSectorSize>,
        onRealFile<&M::xDeviceCharacteristics>, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr };
    shim->base.pMethods = &shim->methods;
    return SQLITE_OK;
}

int shimGetLastError(sqlite3_vfs*, int size, char* out)
{
    return realVfs->xGetLastError ? realVfs->xGetLastError(realVfs, size, out) : 0;
}

} // namespace

FullDiskVfs::FullDiskVfs()
{
    sqlite3_initialize();
    realVfs = sqlite3_vfs_find(nullptr);
    shimVfs = sqlite3_vfs {};
    shimVfs.iVersion = 1;
    shimVfs.szOsFile = int(sizeof(ShimFile)) + realVfs->szOsFile;
    shimVfs.mxPathname = realVfs->mxPathname;
    shimVfs.zName = "parlona-full-disk";
    shimVfs.xOpen = shimOpen;
    shimVfs.xDelete = onRealVfs<&sqlite3_vfs::xDelete>;
    shimVfs.xAccess = onRealVfs<&sqlite3_vfs::xAccess>;
    shimVfs.xFullPathname = onRealVfs<&sqlite3_vfs::xFullPathname>;
    shimVfs.xRandomness = onRealVfs<&sqlite3_vfs::xRandomness>;
    shimVfs.xSleep = onRealVfs<&sqlite3_vfs::xSleep>;
    shimVfs.xCurrentTime = onRealVfs<&sqlite3_vfs::xCurrentTime>;
    shimVfs.xGetLastError = shimGetLastError;
    sqlite3_vfs_register(&shimVfs, 1);
}

FullDiskVfs::~FullDiskVfs()
{
    diskFull = false;
    sqlite3_vfs_unregister(&shimVfs);
}

void FullDiskVfs::setFull(bool full)
{
    diskFull = full;
}
