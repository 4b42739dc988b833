#ifndef FULLDISKVFS_H
#define FULLDISKVFS_H

// Makes SQLite's files behave as on a disk with no room left: while full, every write and every
// growth of a database or journal file fails with SQLITE_FULL, as the operating system's ENOSPC
// makes it. Reads go on. It wraps the default VFS and becomes the default, so it must be installed
// before the connections it should affect are opened (Qt's SQLite driver uses the same library).
class FullDiskVfs
{
public:
    FullDiskVfs();
    ~FullDiskVfs();
    FullDiskVfs(const FullDiskVfs&) = delete;
    FullDiskVfs& operator=(const FullDiskVfs&) = delete;

    void setFull(bool full);
};

#endif // FULLDISKVFS_H
