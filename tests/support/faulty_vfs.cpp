#include "support/faulty_vfs.h"

#include <sqlite3.h>

#include <cstring>
#include <stdexcept>

namespace testing_support {

namespace {

FaultyVfs* active = nullptr;
sqlite3_vfs shim;

// A file of the shim: SQLite's own file of the base VFS follows it in the same block.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<ShimFile*>(file)->real;
}

int Counted(FaultyVfs::Operation kind) {
    return active ? active->Count(kind) : SQLITE_OK;
}

int Close(sqlite3_file* f) {
    int rc = Real(f)->pMethods->xClose(Real(f));
    return rc;
}
int Read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
    if (int rc = Counted(FaultyVfs::kRead)) return rc;
    return Real(f)->pMethods->xRead(Real(f), buffer, amount, offset);
}
int Write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
    if (int rc = Counted(FaultyVfs::kWrite)) return rc;
    return Real(f)->pMethods->xWrite(Real(f), buffer, amount, offset);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    if (int rc = Counted(FaultyVfs::kTruncate)) return rc;
    return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) {
    if (int rc = Counted(FaultyVfs::kSync)) return rc;
    return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) {
    if (int rc = Counted(FaultyVfs::kLock)) return rc;
    return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level) {
    return Real(f)->pMethods->xUnlock(Real(f), level);
}
int CheckReservedLock(sqlite3_file* f, int* out) {
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f) {
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
    return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
}
// The write-ahead log's shared-memory locks are not counted: SQLite waits out a failed one for
// the whole busy time-out, so each such point would cost ten seconds and find what a lock of
// the file finds.
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) {
    Real(f)->pMethods->xShmBarrier(Real(f));
}
int ShmUnmap(sqlite3_file* f, int deleteFlag) {
    return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag);
}

// Memory-mapped reads would pass the shim by; xFetch answering "no mapping" makes SQLite read.
int Fetch(sqlite3_file*, sqlite3_int64, int, void** out) {
    *out = nullptr;
    return SQLITE_OK;
}
int Unfetch(sqlite3_file*, sqlite3_int64, void*) {
    return SQLITE_OK;
}

const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    sqlite3_vfs* base = static_cast<sqlite3_vfs*>(vfs->pAppData);
    ShimFile* shimFile = reinterpret_cast<ShimFile*>(file);
    shimFile->real = reinterpret_cast<sqlite3_file*>(shimFile + 1);
    int rc = base->xOpen(base, name, shimFile->real, flags, outFlags);
    // Without methods SQLite does not close the file: nothing was opened.
    shimFile->base.pMethods = rc == SQLITE_OK && shimFile->real->pMethods ? &kMethods : nullptr;
    return rc;
}

}  // namespace

FaultyVfs::FaultyVfs() : base_(sqlite3_vfs_find(nullptr)) {
    if (active) throw std::logic_error("one FaultyVfs at a time");
    shim = *base_;
    shim.zName = "wagelink-faulty";
    shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + base_->szOsFile;
    shim.pAppData = base_;
    shim.xOpen = Open;
    shim.xDelete = [](sqlite3_vfs* vfs, const char* name, int syncDir) {
        sqlite3_vfs* base = static_cast<sqlite3_vfs*>(vfs->pAppData);
        return base->xDelete(base, name, syncDir);
    };
    shim.xAccess = [](sqlite3_vfs* vfs, const char* name, int flags, int* out) {
        sqlite3_vfs* base = static_cast<sqlite3_vfs*>(vfs->pAppData);
        return base->xAccess(base, name, flags, out);
    };
    shim.xFullPathname = [](sqlite3_vfs* vfs, const char* name, int n, char* out) {
        sqlite3_vfs* base = static_cast<sqlite3_vfs*>(vfs->pAppData);
        return base->xFullPathname(base, name, n, out);
    };
    active = this;
    sqlite3_vfs_register(&shim, 1);
}

FaultyVfs::~FaultyVfs() {
    sqlite3_vfs_unregister(&shim);
    sqlite3_vfs_register(base_, 1);
    active = nullptr;
}

void FaultyVfs::FailAt(Operation kind, int n, bool diskFull) {
    counts_ = {};
    failKind_ = kind;
    failAt_ = n;
    diskFull_ = diskFull;
    failed_ = false;
}

int FaultyVfs::Count(Operation kind) {
    if (++counts_[kind] != failAt_ || kind != failKind_) return SQLITE_OK;
    failed_ = true;
    switch (kind) {
        case kRead:
            return SQLITE_IOERR_READ;
        case kWrite:
            return diskFull_ ? SQLITE_FULL : SQLITE_IOERR_WRITE;
        case kSync:
            return SQLITE_IOERR_FSYNC;
        case kLock:
            return SQLITE_IOERR_LOCK;
        case kTruncate:
            return SQLITE_IOERR_TRUNCATE;
        case kOperations:
            break;
    }
    return SQLITE_IOERR;
}

}  // namespace testing_support
