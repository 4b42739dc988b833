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

int shimClose(sqlite3_file* file)
{
    return real(file)->pMethods->xClose(real(file));
}

int shimRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
{
    return real(file)->pMethods->xRead(real(file), buffer, amount, offset);
}

int shimWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
{
    return diskFull ? SQLITE_FULL : real(file)->pMethods->xWrite(real(file), buffer, amount, offset);
}

int shimTruncate(sqlite3_file* file, sqlite3_int64 size)
{
    return real(file)->pMethods->xTruncate(real(file), size);
}

int shimSync(sqlite3_file* file, int flags)
{
    return real(file)->pMethods->xSync(real(file), flags);
}

int shimFileSize(sqlite3_file* file, sqlite3_int64* size)
{
    return real(file)->pMethods->xFileSize(real(file), size);
}

int shimLock(sqlite3_file* file, int level)
{
    return real(file)->pMethods->xLock(real(file), level);
}

int shimUnlock(sqlite3_file* file, int level)
{
    return real(file)->pMethods->xUnlock(real(file), level);
}

int shimCheckReservedLock(sqlite3_file* file, int* out)
{
    return real(file)->pMethods->xCheckReservedLock(real(file), out);
}

int shimFileControl(sqlite3_file* file, int op, void* arg)
{
    // Growing a file ahead of its writes needs room just the same.
    if (op == SQLITE_FCNTL_SIZE_HINT && diskFull)
        return SQLITE_FULL;
    return real(file)->pMethods->xFileControl(real(file), op, arg);
}

int shimSectorSize(sqlite3_file* file)
{
    return real(file)->pMethods->xSectorSize(real(file));
}

int shimDeviceCharacteristics(sqlite3_file* file)
{
    return real(file)->pMethods->xDeviceCharacteristics(real(file));
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
    shim->methods = sqlite3_io_methods { 1, shimClose, shimRead, shimWrite, shimTruncate, shimSync, shimFileSize,
        shimLock, shimUnlock, shimCheckReservedLock, shimFileControl, shimSectorSize, shimDeviceCharacteristics,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr };
    shim->base.pMethods = &shim->methods;
    return SQLITE_OK;
}

int shimDelete(sqlite3_vfs*, const char* name, int syncDir)
{
    return realVfs->xDelete(realVfs, name, syncDir);
}

int shimAccess(sqlite3_vfs*, const char* name, int flags, int* out)
{
    return realVfs->xAccess(realVfs, name, flags, out);
}

int shimFullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return realVfs->xFullPathname(realVfs, name, size, out);
}

int shimRandomness(sqlite3_vfs*, int size, char* out)
{
    return realVfs->xRandomness(realVfs, size, out);
}

int shimSleep(sqlite3_vfs*, int microseconds)
{
    return realVfs->xSleep(realVfs, microseconds);
}

int shimCurrentTime(sqlite3_vfs*, double* now)
{
    return realVfs->xCurrentTime(realVfs, now);
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
    shimVfs.xDelete = shimDelete;
    shimVfs.xAccess = shimAccess;
    shimVfs.xFullPathname = shimFullPathname;
    shimVfs.xRandomness = shimRandomness;
    shimVfs.xSleep = shimSleep;
    shimVfs.xCurrentTime = shimCurrentTime;
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
