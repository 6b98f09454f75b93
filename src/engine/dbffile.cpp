// DbfFile: one dBase table and its memo file on disk, shared by every dataset that opens it;
// reading, positional writes, locks, create and pack.
#include "engine/dbffile.h"

#include "engine/dbf_util.h"
#include "engine/gbk.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace tamsel::engine {

using namespace dbf;

namespace {

constexpr int kDbase3BlockSize = 512;

// Holders of this process, keyed by canonical path, so every open of one file shares its state.
struct Registry {
    std::mutex mutex;
    std::unordered_map<std::string, std::weak_ptr<DbfFile>> files;
};

Registry& registry() {
    static Registry r;
    return r;
}

QString fileLabel(const QString& path) {
    return QFileInfo(path).fileName();
}

bool isDbase7(quint8 version) {
    return (version & 0x07) == 0x04;
}

MemoLayout layoutFor(quint8 version) {
    // dBase IV and 7 keep typed memo blocks; everything else uses the plain 512-byte blocks.
    if (isDbase7(version) || (version & 0x08) != 0) {
        return MemoLayout::Dbase4;
    }
    return MemoLayout::Dbase3;
}

QString memoNameFor(const QString& tableFile) {
    const QFileInfo info(tableFile);
    const QString suffix = info.suffix();
    const bool upper = !suffix.isEmpty() && suffix == suffix.toUpper();
    return info.completeBaseName() + (upper ? QStringLiteral(".DBT") : QStringLiteral(".dbt"));
}

void setHeaderDate(char* header, const QDate& date) {
    header[hdr::kDate] = static_cast<char>(date.year() - 1900);
    header[hdr::kDate + 1] = static_cast<char>(date.month());
    header[hdr::kDate + 2] = static_cast<char>(date.day());
}

QString packTempName(const QString& path) {
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".pack");
}

void syncFolder(const QString& folder) {
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// Whether the table in fd declares a memo field (looked at without full checks).
bool declaresMemo(int fd) {
    char fixed[32];
    if (!preadAll(fd, fixed, 32, 0)) {
        return false;
    }
    const bool v7 = isDbase7(static_cast<quint8>(fixed[hdr::kVersion]));
    const int headerLength = le16(fixed + hdr::kHeaderLength);
    QByteArray header(headerLength, '\0');
    if (headerLength < 33 || !preadAll(fd, header.data(), size_t(headerLength), 0)) {
        return false;
    }
    const int descSize = v7 ? hdr::kDescriptorSize7 : hdr::kDescriptorSize;
    for (int pos = v7 ? hdr::kFixedSize7 : hdr::kFixedSize;
         pos + descSize <= headerLength && header[pos] != hdr::kHeaderEnd; pos += descSize) {
        const char type = header[pos + (v7 ? hdr::kFieldType7 : hdr::kFieldType)];
        if (type == 'M' || type == 'm') {
            return true;
        }
    }
    return false;
}

// A pack renames the new memo file over the old one first and the table last. Left-overs of a
// pack cut short are settled before the table is used:
//  - the memo temp still there: nothing was renamed, the old pair is whole; drop the temps;
//  - only the table temp left (and the table has a memo): the new memo is in place and the
//    new table, complete before any rename, finishes the pair.
void recoverInterruptedPack(const QString& path) {
    // A memo temp alone is harmless: the next pack writes over it.
    const QString tableTemp = packTempName(path);
    if (!QFileInfo::exists(tableTemp)) {
        return;
    }
    const QFileInfo info(path);
    const QString memoPath = DbfFile::resolve(info.absolutePath(), memoNameFor(info.fileName()));
    const QString memoTemp = memoPath.isEmpty() ? QString() : packTempName(memoPath);
    const bool haveMemoTemp = !memoTemp.isEmpty() && QFileInfo::exists(memoTemp);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        if (haveMemoTemp || memoPath.isEmpty() || !declaresMemo(fd)) {
            QFile::remove(tableTemp);
            QFile::remove(memoTemp);
        } else if (::rename(QFile::encodeName(tableTemp).constData(), QFile::encodeName(path).constData()) ==
                   0) {
            syncFolder(info.absolutePath());
        }
    }
    ::close(fd);
}

} // namespace

struct DbfFile::Impl {
    QString path;
    QByteArray nativePath;
    QString folder;
    QString fileName;
    QString tableName;
    OpenMode mode = OpenMode::Shared;
    int fd = -1;
    bool readOnly = false;

    QByteArray header; // headerLength bytes as on disk (count and date kept current)
    quint8 version = 0;
    quint8 languageDriver = 0;
    int headerLength = 0;
    int recordLength = 0;
    quint32 count = 0;
    QList<Field> fields;
    QHash<QString, int> fieldByName; // upper-case name -> index

    MemoLayout memoLayout = MemoLayout::None;
    int memoBlockSize = kDbase3BlockSize;
    QString memoPath; // empty when the memo file is missing
    int memoFd = -1;
    bool memoReadOnly = false;

    // Which files we hold, to notice a file replaced under its name by another program's pack.
    dev_t dev = 0;
    ino_t ino = 0;
    dev_t memoDev = 0;
    ino_t memoIno = 0;

    // Writing (see beginWrite): nesting depth of write scopes, and what the outermost scope
    // needs to put the files back when it ends by an exception.
    int writeDepth = 0;
    struct Saved {
        bool memo;
        qint64 offset;
        QByteArray bytes;
    };
    std::vector<Saved> saved;
    qint64 tableSizeBefore = -1;
    qint64 memoSizeBefore = -1;
    quint32 countBefore = 0;
    QByteArray headerBefore;
    bool touchedBefore = false;
    qint64 memoNext = -1; // the memo file's next free block while the write lock is held

    // Memo reading: the sorted first blocks of every memo the records point to (bounds a memo
    // whose end marker is missing) and the last memo read (records sharing one memo read it once).
    mutable std::vector<quint32> memoStarts;
    mutable bool memoStartsValid = false;
    mutable quint64 memoStamp = 0; // bumped whenever memo blocks may have changed under us
    mutable quint64 lastMemoStamp = ~quint64(0);
    mutable qint64 lastMemoSize = -1;
    mutable qint64 lastMemoWritten = -1;
    mutable quint32 lastMemoBlock = 0;
    mutable QByteArray lastMemoText;
    // Memos longer than a block, by first block: a memo many records share is read once.
    mutable std::unordered_map<quint32, QByteArray> longMemos;
    mutable qint64 longMemoBytes = 0;

    mutable const char* map = nullptr;
    mutable size_t mapLength = 0;

    bool headerTouched = false;
    quint64 changes = 0;
    quint64 layoutChanges = 0;
    QByteArray scratch; // reused by appendRecord

    ~Impl() { closeFiles(); }

    void closeFiles() {
        unmap();
        if (memoFd >= 0) {
            ::close(memoFd);
            memoFd = -1;
        }
        if (fd >= 0) {
            ::close(fd); // releases the flock and the write lock
            fd = -1;
        }
    }

    [[noreturn]] void damaged(const QString& reason) const {
        throw EngineError(QStringLiteral("表文件 %1 已损坏：%2").arg(fileName, reason));
    }

    [[noreturn]] void ioFailure(const QString& what, const QString& file, int err) const {
        throw EngineError(QStringLiteral("%1 %2 失败：%3").arg(what, file, errorText(err)));
    }

    void unmap() const {
        if (map != nullptr) {
            ::munmap(const_cast<char*>(map), mapLength);
            map = nullptr;
            mapLength = 0;
        }
    }

    // Maps the file with room to spare: pages past the end become readable once appends reach
    // them (MAP_SHARED), so a run of appends does not force a remap per read.
    void remap() const {
        unmap();
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_size <= 0) {
            return;
        }
        const auto size = static_cast<size_t>(st.st_size);
        size_t length = size + std::max<size_t>(size / 2, size_t(16) << 20);
        const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
        length = (length + page - 1) / page * page;
        void* p = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
        if (p == MAP_FAILED) {
            return;
        }
        map = static_cast<const char*>(p);
        mapLength = length;
    }

    const char* record(quint32 n) const {
        if (n >= count) {
            return nullptr;
        }
        const size_t end = size_t(headerLength) + size_t(n + 1) * size_t(recordLength);
        if (end > mapLength) {
            remap();
            if (end > mapLength) {
                return nullptr;
            }
        }
        return map + end - size_t(recordLength);
    }

    qint64 fileSize() const {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? st.st_size : 0;
    }
    qint64 memoFileSize() const {
        struct stat st {};
        return ::fstat(memoFd, &st) == 0 ? st.st_size : 0;
    }

    void openFiles();
    bool replaced(bool withMemo) const;
    void reopen();
    void settleTail();
    void takeInCount();
    void forgetMemos() {
        memoStartsValid = false;
        ++memoStamp;
    }

    // Writing
    void beginWrite();
    void endWrite(bool failed);
    void rollback();
    void journalTable();
    void journalMemo();
    void put(bool memo, const char* data, size_t size, qint64 offset);

    void parseHeader();
    void openMemo();
    void requireWritable() const;
    void requireMemo(const Field& f) const;
    void touchHeader();

    // Memo file
    QByteArray readMemo(quint32 block) const;
    quint32 nextMemoStart(quint32 block) const;
    quint32 writeMemo(const QByteArray& text);
    quint32 memoPointer(const char* rec, const Field& f) const;
    void putMemoPointer(char* rec, const Field& f, quint32 block) const;
    QByteArray memoBlocks(const QByteArray& text, quint32 blocks) const;

    QString fieldError(const Field& f, const QString& what) const {
        return QStringLiteral("表 %1 的字段 %2 %3").arg(tableName, f.name, what);
    }
    void encodeField(char* rec, const Field& f, const QVariant& value) const;
};

// ---------------------------------------------------------------------------------------------
// Header

void DbfFile::Impl::parseHeader() {
    char fixed[hdr::kFixedSize];
    if (!preadAll(fd, fixed, hdr::kFixedSize, 0)) {
        if (errno == EIO && fileSize() < hdr::kFixedSize) {
            damaged(QStringLiteral("文件太短，不是有效的表文件"));
        }
        ioFailure(QStringLiteral("读取表文件"), fileName, errno);
    }
    // The size is taken after the count: an append writes its record before the count, so a
    // count never runs ahead of the records a later look at the size finds.
    const qint64 size = fileSize();
    version = static_cast<quint8>(fixed[hdr::kVersion]);
    count = le32(fixed + hdr::kRecordCount);
    headerLength = le16(fixed + hdr::kHeaderLength);
    recordLength = le16(fixed + hdr::kRecordLength);
    languageDriver = static_cast<quint8>(fixed[hdr::kLanguageDriver]);

    const bool v7 = isDbase7(version);
    const int base = v7 ? hdr::kFixedSize7 : hdr::kFixedSize;
    const int descSize = v7 ? hdr::kDescriptorSize7 : hdr::kDescriptorSize;
    if (headerLength < base + 1 || headerLength > size) {
        damaged(QStringLiteral("表头长度 %1 与文件长度 %2 不符").arg(headerLength).arg(size));
    }
    header.resize(headerLength);
    if (!preadAll(fd, header.data(), size_t(headerLength), 0)) {
        ioFailure(QStringLiteral("读取表文件"), fileName, errno);
    }
    std::memcpy(header.data(), fixed, hdr::kFixedSize); // the count as read before the size

    fields.clear();
    fieldByName.clear();
    int pos = base;
    int offset = 1;
    while (pos < headerLength && header[pos] != hdr::kHeaderEnd) {
        if (pos + descSize > headerLength) {
            damaged(QStringLiteral("字段描述与表头长度 %1 不符").arg(headerLength));
        }
        const char* desc = header.constData() + pos;
        const int nameMax = v7 ? 32 : 11;
        const int nameLength = int(::strnlen(desc, size_t(nameMax)));
        Field f;
        f.name = decodeGbk(desc, nameLength).trimmed();
        f.type = desc[v7 ? hdr::kFieldType7 : hdr::kFieldType];
        f.length = static_cast<quint8>(desc[v7 ? hdr::kFieldLength7 : hdr::kFieldLength]);
        f.decimals = static_cast<quint8>(desc[v7 ? hdr::kFieldDecimals7 : hdr::kFieldDecimals]);
        f.offset = offset;
        if (f.length == 0) {
            damaged(QStringLiteral("字段 %1 的宽度为 0").arg(f.name));
        }
        if (f.type == 'm') {
            f.type = 'M';
        }
        offset += f.length;
        fieldByName.insert(f.name.toUpper(), int(fields.size()));
        fields.append(f);
        pos += descSize;
    }
    if (pos >= headerLength) {
        damaged(QStringLiteral("字段描述与表头长度 %1 不符").arg(headerLength));
    }
    if (fields.isEmpty()) {
        damaged(QStringLiteral("表头中没有字段"));
    }
    if (offset != recordLength) {
        damaged(QStringLiteral("记录长度 %1 与字段宽度之和 %2 不符").arg(recordLength).arg(offset));
    }
    const qint64 needed = qint64(headerLength) + qint64(count) * recordLength;
    if (size < needed) {
        damaged(QStringLiteral("文件长度 %1 字节，不足以容纳表头声明的 %2 条记录").arg(size).arg(count));
    }
}

void DbfFile::Impl::openMemo() {
    const bool hasMemo =
        std::any_of(fields.cbegin(), fields.cend(), [](const Field& f) { return f.type == 'M'; });
    if (!hasMemo) {
        memoLayout = MemoLayout::None;
        return;
    }
    memoLayout = layoutFor(version);
    memoBlockSize = kDbase3BlockSize;
    memoReadOnly = false;
    memoPath = DbfFile::resolve(folder, memoNameFor(fileName));
    if (memoPath.isEmpty()) {
        return; // memos read empty; a memo write says the file is missing
    }
    const QByteArray native = QFile::encodeName(memoPath);
    memoFd = ::open(native.constData(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (memoFd < 0 && !readOnly && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        memoFd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        memoReadOnly = true;
    }
    if (memoFd < 0) {
        memoPath.clear();
        return;
    }
    memoReadOnly = memoReadOnly || readOnly;
    struct stat st {};
    if (::fstat(memoFd, &st) == 0) {
        memoDev = st.st_dev;
        memoIno = st.st_ino;
    }
    if (memoLayout == MemoLayout::Dbase4) {
        char head[memohdr::kUsedSize];
        if (preadAll(memoFd, head, sizeof head, 0)) {
            const int stored = le16(head + memohdr::kBlockSize);
            // No size (a dBase III style header) means the usual 512. A block smaller than 64
            // bytes would put block 1 over the header's own fields: a pack would write the first
            // memo over the block size and every memo would read wrong after it.
            if (stored != 0 && stored < 64) {
                throw EngineError(QStringLiteral("备注文件 %1 已损坏：块大小 %2 太小")
                                      .arg(fileLabel(memoPath))
                                      .arg(stored));
            }
            if (stored != 0) {
                memoBlockSize = stored;
            }
        }
    }
}

void DbfFile::Impl::requireMemo(const Field& f) const {
    requireWritable();
    if (memoFd < 0) {
        throw EngineError(QStringLiteral("表 %1 的备注文件 %2 不存在，无法写入字段 %3")
                              .arg(tableName, memoNameFor(fileName), f.name));
    }
    if (memoReadOnly) {
        throw EngineError(QStringLiteral("表 %1 的备注文件是只读的，无法写入字段 %2").arg(tableName, f.name));
    }
}

void DbfFile::Impl::requireWritable() const {
    if (readOnly) {
        throw EngineError(QStringLiteral("表文件 %1 是只读的，无法写入").arg(fileName));
    }
}

// The first write of an open stamps the last-update date and drops the production-index
// flag: the engine keeps no index, so an index file on disk would no longer match.
void DbfFile::Impl::touchHeader() {
    if (headerTouched) {
        return;
    }
    journalTable();
    setHeaderDate(header.data(), QDate::currentDate());
    header[hdr::kFlags] = static_cast<char>(static_cast<quint8>(header[hdr::kFlags]) & ~0x01u);
    put(false, header.constData() + hdr::kDate, 3, hdr::kDate);
    put(false, header.constData() + hdr::kFlags, 1, hdr::kFlags);
    headerTouched = true;
}

// ---------------------------------------------------------------------------------------------
// Opening, locking and putting back

namespace {

// Writers are kept apart by an open-file-description lock on one byte far past any data. Every
// holder keeps a flock on the table while it is open (shared; exclusive for pack), and flock and
// these byte-range locks do not see each other, so a writer waiting here never deadlocks
// against the shared holds of other programs, and a pack (which needs the flock exclusively)
// cannot run while anyone else has the table open. The lock belongs to the open file, as the
// one descriptor a process keeps per file; nesting is counted in writeDepth.
constexpr off_t kWriteLockOffset = off_t(1) << 62;

bool writeLock(int fd, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kWriteLockOffset;
    fl.l_len = 1;
    while (::fcntl(fd, type == F_UNLCK ? F_OFD_SETLK : F_OFD_SETLKW, &fl) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Writes that put bytes back after a failure go straight to the file, past the write seam.
void rawWrite(int fd, const QByteArray& bytes, qint64 offset) {
    const char* p = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p, left, off_t(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        p += n;
        left -= size_t(n);
        offset += n;
    }
}

void truncateTo(int fd, qint64 size) {
    while (::ftruncate(fd, off_t(size)) != 0 && errno == EINTR) {
    }
}

} // namespace

// Opens the table and its memo file and takes the flock. A pack of another program may rename
// new files over the names between our open and our flock: then the files we hold are no
// longer the table, so open again.
void DbfFile::Impl::openFiles() {
    nativePath = QFile::encodeName(path);
    const QByteArray& native = nativePath;
    for (int attempt = 0;; ++attempt) {
        readOnly = false;
        fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
            readOnly = true;
        }
        if (fd < 0) {
            throw EngineError(QStringLiteral("无法打开表文件 %1：%2").arg(fileName, errorText(errno)));
        }
        const int how = mode == OpenMode::Exclusive ? LOCK_EX : LOCK_SH;
        if (::flock(fd, how | LOCK_NB) != 0) {
            const int err = errno;
            closeFiles();
            if (err == EWOULDBLOCK) {
                throw EngineError(
                    mode == OpenMode::Exclusive
                        ? QStringLiteral("表文件 %1 正被其他程序使用，无法独占打开").arg(fileName)
                        : QStringLiteral("表文件 %1 正被其他程序独占使用，无法打开").arg(fileName));
            }
            throw EngineError(QStringLiteral("无法锁定表文件 %1：%2").arg(fileName, errorText(err)));
        }
        struct stat st {};
        ::fstat(fd, &st);
        dev = st.st_dev;
        ino = st.st_ino;
        try {
            parseHeader();
            openMemo();
        } catch (...) {
            closeFiles();
            throw;
        }
        if (attempt >= 10 || !replaced(true)) {
            break;
        }
        closeFiles();
    }
    settleTail();
    remap();
    if (map == nullptr) {
        const int err = errno;
        closeFiles();
        throw EngineError(QStringLiteral("无法读取表文件 %1：%2").arg(fileName, errorText(err)));
    }
}

// Whether the names now lead to other files than we hold. A pack renames the memo file before
// the table, so once open the table alone tells.
bool DbfFile::Impl::replaced(bool withMemo) const {
    struct stat st {};
    if (::stat(nativePath.constData(), &st) == 0 && (st.st_ino != ino || st.st_dev != dev)) {
        return true;
    }
    return withMemo && memoFd >= 0 && ::stat(QFile::encodeName(memoPath).constData(), &st) == 0 &&
           (st.st_ino != memoIno || st.st_dev != memoDev);
}

void DbfFile::Impl::reopen() {
    const bool locked = writeDepth > 0;
    closeFiles();
    headerTouched = false;
    openFiles();
    if (locked && !writeLock(fd, F_WRLCK)) {
        ioFailure(QStringLiteral("锁定表文件"), fileName, errno);
    }
    forgetMemos();
    ++changes;
    ++layoutChanges;
}

// An append cut short between its record and the header's count leaves records the count does
// not cover; readers that go by the end marker would show them. Cut them back (under the write
// lock, so an append in progress elsewhere is not taken for one), so every reader agrees.
void DbfFile::Impl::settleTail() {
    auto end = [this] { return qint64(headerLength) + qint64(count) * recordLength; };
    if (readOnly || fileSize() <= end() + 1 || !writeLock(fd, F_WRLCK)) {
        return;
    }
    takeInCount();
    if (fileSize() > end() + 1) {
        rawWrite(fd, QByteArray(1, hdr::kFileEnd), end());
        truncateTo(fd, end() + 1);
    }
    writeLock(fd, F_UNLCK);
}

// Takes in the count another program has written since we last looked: only whole records
// count, as a writer puts its record before its count.
void DbfFile::Impl::takeInCount() {
    char fixed[8];
    if (map != nullptr && mapLength >= 8) { // the shared map shows other programs' writes
        std::memcpy(fixed, map, 8);
    } else if (!preadAll(fd, fixed, 8, 0)) {
        ioFailure(QStringLiteral("读取表文件"), fileName, errno);
    }
    if (le32(fixed + hdr::kRecordCount) == count) {
        return;
    }
    const qint64 room = (fileSize() - headerLength) / recordLength;
    const auto stored = quint32(std::clamp<qint64>(room, 0, le32(fixed + hdr::kRecordCount)));
    if (stored != count) {
        count = stored;
        putLe32(header.data() + hdr::kRecordCount, stored);
        forgetMemos();
        ++changes;
        ++layoutChanges;
    }
}

// Every change of the files happens inside a write scope. The outermost one takes the write
// lock, then looks again at what other programs may have changed: a replaced file (reopened),
// the record count. The memo file's free block is taken under the lock as well (writeMemo).
void DbfFile::Impl::beginWrite() {
    if (writeDepth > 0) {
        ++writeDepth;
        return;
    }
    requireWritable();
    if (!writeLock(fd, F_WRLCK)) {
        ioFailure(QStringLiteral("锁定表文件"), fileName, errno);
    }
    writeDepth = 1;
    try {
        // The flock we hold keeps other programs' packs away while we are open; a file replaced
        // all the same (a program that does not lock) is opened again before we write.
        if (replaced(false)) {
            reopen();
        }
        takeInCount();
    } catch (...) {
        endWrite(false);
        throw;
    }
}

void DbfFile::Impl::endWrite(bool failed) {
    if (--writeDepth > 0) {
        return;
    }
    if (failed) {
        rollback();
    }
    saved.clear();
    tableSizeBefore = -1;
    memoSizeBefore = -1;
    memoNext = -1;
    writeLock(fd, F_UNLCK);
}

void DbfFile::Impl::journalTable() {
    if (tableSizeBefore < 0) {
        tableSizeBefore = fileSize();
        countBefore = count;
        headerBefore = header.left(hdr::kFixedSize);
        touchedBefore = headerTouched;
    }
}

// The memo header's free block is kept here once; put() then leaves it out.
void DbfFile::Impl::journalMemo() {
    if (memoSizeBefore < 0) {
        memoSizeBefore = memoFileSize();
        QByteArray head(4, '\0');
        if (memoSizeBefore >= 4 && !preadAll(memoFd, head.data(), 4, memohdr::kNextBlock)) {
            ioFailure(QStringLiteral("读取备注文件"), fileLabel(memoPath), errno);
        }
        if (memoSizeBefore >= 4) {
            saved.push_back({true, memohdr::kNextBlock, head});
        }
    }
}

// A journalled write: the bytes it overwrites inside the file's former size are kept, so a
// failed statement can put them back (whatever lies past the former size is cut off).
void DbfFile::Impl::put(bool memo, const char* data, size_t size, qint64 offset) {
    const int target = memo ? memoFd : fd;
    const qint64 before = memo ? memoSizeBefore : tableSizeBefore;
    const bool memoHead = memo && offset == memohdr::kNextBlock && size <= 4;
    if (offset < before && !memoHead) {
        const qint64 n = std::min<qint64>(qint64(size), before - offset);
        if (!memo && offset + n <= qint64(mapLength)) {
            saved.push_back({memo, offset, QByteArray(map + offset, n)});
        } else {
            QByteArray old(n, Qt::Uninitialized);
            if (!preadAll(target, old.data(), size_t(n), offset)) {
                ioFailure(QStringLiteral("读取表文件"), memo ? fileLabel(memoPath) : fileName, errno);
            }
            saved.push_back({memo, offset, old});
        }
    }
    if (!pwriteAll(target, data, size, offset)) {
        ioFailure(memo ? QStringLiteral("写入备注文件") : QStringLiteral("写入表文件"),
                  memo ? fileLabel(memoPath) : fileName, errno);
    }
}

// Puts both files back byte for byte as they were when the outermost write scope began.
void DbfFile::Impl::rollback() {
    if (tableSizeBefore < 0 && memoSizeBefore < 0) {
        return; // nothing was written
    }
    if (memoSizeBefore >= 0) {
        truncateTo(memoFd, memoSizeBefore);
    }
    if (tableSizeBefore >= 0) {
        truncateTo(fd, tableSizeBefore);
    }
    for (auto it = saved.crbegin(); it != saved.crend(); ++it) {
        rawWrite(it->memo ? memoFd : fd, it->bytes, it->offset);
    }
    if (tableSizeBefore >= 0) {
        count = countBefore;
        std::memcpy(header.data(), headerBefore.constData(), size_t(headerBefore.size()));
        headerTouched = touchedBefore;
    }
    forgetMemos();
    ++changes;
    ++layoutChanges;
}

// ---------------------------------------------------------------------------------------------
// Memo file

quint32 DbfFile::Impl::memoPointer(const char* rec, const Field& f) const {
    const char* p = rec + f.offset;
    if (f.length == 4) { // binary pointer of some writers
        return le32(p);
    }
    quint32 block = 0;
    bool digits = false;
    for (int i = 0; i < f.length; ++i) {
        const char c = p[i];
        if (c >= '0' && c <= '9') {
            const quint64 next = quint64(block) * 10 + quint64(c - '0');
            if (next > 0xFFFFFFFFu) {
                return 0;
            }
            block = quint32(next);
            digits = true;
        } else if (c == ' ' || c == '\0') {
            if (digits) {
                break;
            }
        } else {
            return 0;
        }
    }
    return block;
}

void DbfFile::Impl::putMemoPointer(char* rec, const Field& f, quint32 block) const {
    char* p = rec + f.offset;
    if (f.length == 4) {
        putLe32(p, block);
        return;
    }
    std::memset(p, ' ', size_t(f.length));
    if (block == 0) {
        return;
    }
    const QByteArray digits = QByteArray::number(block);
    std::memcpy(p + f.length - digits.size(), digits.constData(), size_t(digits.size()));
}

// Longest memo read when neither an end marker nor the next memo's start ends it first.
constexpr qint64 kMemoReadCap = qint64(16) << 20;

// The first block after block at which a memo of some record starts (0 when none). Memos never
// overlap, so this bounds a memo whose end marker is missing, and the reads of a statement over
// a damaged memo file stay linear in its size.
quint32 DbfFile::Impl::nextMemoStart(quint32 block) const {
    if (!memoStartsValid) {
        memoStarts.clear();
        for (quint32 r = 0; r < count; ++r) {
            const char* rec = record(r);
            if (rec == nullptr) {
                break;
            }
            for (const Field& f : fields) {
                if (f.type == 'M') {
                    memoStarts.push_back(memoPointer(rec, f));
                }
            }
        }
        std::sort(memoStarts.begin(), memoStarts.end());
        memoStarts.erase(std::unique(memoStarts.begin(), memoStarts.end()), memoStarts.end());
        memoStartsValid = true;
    }
    const auto it = std::upper_bound(memoStarts.cbegin(), memoStarts.cend(), block);
    return it == memoStarts.cend() ? 0 : *it;
}

QByteArray DbfFile::Impl::readMemo(quint32 block) const {
    if (memoFd < 0 || block == 0) {
        return QByteArray();
    }
    // Memo blocks are never rewritten in place, but a failed statement elsewhere may cut its
    // new blocks off and a later one fill them again: what was read stays good only while
    // nobody has written to the memo file since.
    struct stat st {};
    if (::fstat(memoFd, &st) != 0) {
        return QByteArray();
    }
    const qint64 size = st.st_size;
    const auto written = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (lastMemoStamp != memoStamp || lastMemoSize != size || lastMemoWritten != written) {
        longMemos.clear();
        longMemoBytes = 0;
        lastMemoBlock = 0;
        lastMemoStamp = memoStamp;
        lastMemoSize = size;
        lastMemoWritten = written;
    }
    if (block == lastMemoBlock) {
        return lastMemoText;
    }
    if (const auto it = longMemos.find(block); it != longMemos.end()) {
        return it->second;
    }
    const qint64 start = qint64(block) * memoBlockSize;
    if (start >= size) {
        return QByteArray();
    }
    qint64 limit = std::min(size, start + kMemoReadCap);
    auto bound = [&] {
        const quint32 next = nextMemoStart(block);
        if (next != 0) {
            limit = std::min(limit, qint64(next) * memoBlockSize);
        }
    };
    QByteArray text;
    if (memoLayout == MemoLayout::Dbase4) {
        char head[8];
        if (!preadAll(memoFd, head, 8, start) || static_cast<quint8>(head[0]) != 0xFF ||
            static_cast<quint8>(head[1]) != 0xFF) {
            return QByteArray();
        }
        // The stored length counts the 8-byte block header.
        const quint32 stored = le32(head + 4);
        if (stored <= 8) {
            return QByteArray();
        }
        if (qint64(stored) > memoBlockSize) {
            bound();
        }
        const qint64 length = std::min<qint64>(qint64(stored) - 8, limit - start - 8);
        if (length <= 0) {
            return QByteArray();
        }
        text.resize(length);
        if (!preadAll(memoFd, text.data(), size_t(length), start + 8)) {
            return QByteArray();
        }
    } else {
        // dBase III: the text runs up to the first 0x1A (writers put one or two).
        QByteArray chunk(memoBlockSize, Qt::Uninitialized);
        for (qint64 pos = start; pos < limit;) {
            const auto want = size_t(std::min<qint64>(chunk.size(), limit - pos));
            if (!preadAll(memoFd, chunk.data(), want, pos)) {
                break;
            }
            const void* end = std::memchr(chunk.constData(), 0x1A, want);
            if (end != nullptr) {
                text.append(chunk.constData(), static_cast<const char*>(end) - chunk.constData());
                break;
            }
            text.append(chunk.constData(), qsizetype(want));
            pos += qint64(want);
            if (pos == start + memoBlockSize) { // a long memo: bound it, read on in big pieces
                bound();
                chunk.resize(qsizetype(64) << 10);
            }
        }
    }
    lastMemoBlock = block;
    lastMemoText = text;
    if (text.size() >= memoBlockSize) {
        if (longMemoBytes > kMemoReadCap * 4) {
            longMemos.clear();
            longMemoBytes = 0;
        }
        longMemos.emplace(block, text);
        longMemoBytes += text.size();
    }
    return text;
}

// The stored blocks of a memo, padded with NULs to whole blocks (blocks == 0: as few as fit).
QByteArray DbfFile::Impl::memoBlocks(const QByteArray& text, quint32 blocks) const {
    QByteArray out;
    if (memoLayout == MemoLayout::Dbase4) {
        out.reserve(text.size() + 8);
        const char head[4] = {'\xFF', '\xFF', '\x08', '\x00'};
        out.append(head, 4);
        char length[4];
        putLe32(length, quint32(text.size() + 8));
        out.append(length, 4);
        out.append(text);
    } else {
        out = text;
        const qint64 room = qint64(blocks) * memoBlockSize;
        // Two end markers when they fit, as the usual writers do; one is enough for readers.
        out.append(blocks == 0 || room >= text.size() + 2 ? QByteArrayLiteral("\x1A\x1A")
                                                          : QByteArrayLiteral("\x1A"));
    }
    const qint64 whole = blocks != 0 ? qint64(blocks) * memoBlockSize
                                     : (out.size() + memoBlockSize - 1) / memoBlockSize * memoBlockSize;
    out.append(QByteArray(whole - out.size(), '\0'));
    return out;
}

// Writes text as a memo into fresh blocks at the end of the memo file and returns the first.
// A changed memo never overwrites the blocks it replaces: until the record's own write points
// to the new blocks, the record and its old memo stay whole. The old blocks are left to pack.
// The free block is taken from the file's real size under the write lock, never from a header
// another program may have moved or damaged (a free pointer far past the end would write there).
quint32 DbfFile::Impl::writeMemo(const QByteArray& text) {
    if (text.isEmpty()) {
        return 0;
    }
    journalMemo();
    if (memoNext < 0) {
        memoNext = std::max<qint64>((memoSizeBefore + memoBlockSize - 1) / memoBlockSize, 1);
    }
    const QByteArray blocks = memoBlocks(text, 0);
    const qint64 taken = blocks.size() / memoBlockSize;
    if (memoNext + taken > qint64(0xFFFFFFFFu)) {
        throw EngineError(QStringLiteral("备注文件 %1 已满").arg(fileLabel(memoPath)));
    }
    const auto block = quint32(memoNext);
    put(true, blocks.constData(), size_t(blocks.size()), memoNext * memoBlockSize);
    memoNext += taken;
    char head[4];
    putLe32(head, quint32(memoNext));
    put(true, head, 4, memohdr::kNextBlock);
    if (memoStartsValid) {
        memoStarts.insert(std::upper_bound(memoStarts.begin(), memoStarts.end(), block), block);
    }
    return block;
}

// ---------------------------------------------------------------------------------------------
// Field encoding

void DbfFile::Impl::encodeField(char* rec, const Field& f, const QVariant& value) const {
    char* p = rec + f.offset;
    const bool null = value.isNull() || !value.isValid();
    switch (f.type) {
    case 'N':
    case 'F': {
        if (null) {
            std::memset(p, ' ', size_t(f.length));
            return;
        }
        // Decimal text is stored digit for digit; a double goes by its shortest exact text, or
        // when that is longer than the field's decimals by its 15 significant digits
        // (0.1 + 0.2 is 0.3). More decimals than the field holds are refused, never rounded.
        QString given;
        Decimal digits;
        bool plain = false;
        const int type = value.typeId();
        if (type == QMetaType::QString || type == QMetaType::QByteArray) {
            given = value.toString().trimmed();
            if (given.isEmpty()) {
                std::memset(p, ' ', size_t(f.length));
                return;
            }
            const QByteArray latin = given.toLatin1();
            double v = 0;
            plain = parseDecimal(latin.constData(), latin.size(), &digits);
            if (!plain && parseNumber(latin.constData(), latin.size(), &v)) {
                const QByteArray shortest = QByteArray::number(v, 'f', QLocale::FloatingPointShortest);
                plain = parseDecimal(shortest.constData(), shortest.size(), &digits);
            }
            if (!plain) {
                throw EngineError(fieldError(f, QStringLiteral("的值“%1”不是数字").arg(given)));
            }
        } else {
            bool ok = false;
            const double v = value.toDouble(&ok);
            if (!ok || !std::isfinite(v)) {
                throw EngineError(fieldError(f, QStringLiteral("的值“%1”不是数字").arg(value.toString())));
            }
            const QByteArray shortest = QByteArray::number(v, 'f', QLocale::FloatingPointShortest);
            plain = parseDecimal(shortest.constData(), shortest.size(), &digits);
            if (!plain || digits.fraction.size() > f.decimals) {
                const QByteArray rounded = formatNumber(v).toLatin1();
                plain = parseDecimal(rounded.constData(), rounded.size(), &digits);
            }
            given = QString::fromLatin1(decimalText(digits));
        }
        if (digits.fraction.size() > f.decimals) {
            throw EngineError(
                fieldError(f, QStringLiteral("的值 %1 的小数超过 %2 位").arg(given).arg(f.decimals)));
        }
        QByteArray text = digits.negative ? QByteArray("-") : QByteArray();
        text.append(digits.whole.isEmpty() ? QByteArray("0") : digits.whole);
        if (f.decimals > 0) {
            text.append('.')
                .append(digits.fraction)
                .append(QByteArray(f.decimals - digits.fraction.size(), '0'));
        }
        if (text.size() > f.length) {
            throw EngineError(
                fieldError(f, QStringLiteral("的值 %1 超过 %2 字节的宽度").arg(given).arg(f.length)));
        }
        std::memset(p, ' ', size_t(f.length - text.size()));
        std::memcpy(p + f.length - text.size(), text.constData(), size_t(text.size()));
        return;
    }
    case 'D': {
        QDate date;
        if (!null) {
            const int type = value.typeId();
            if (type == QMetaType::QDate) {
                date = value.toDate();
            } else if (type == QMetaType::QDateTime) {
                date = value.toDateTime().date();
            } else {
                const QString s = value.toString().trimmed();
                if (!s.isEmpty()) {
                    date = parseDateText(s);
                    if (!date.isValid()) {
                        throw EngineError(fieldError(f, QStringLiteral("的值“%1”不是有效日期").arg(s)));
                    }
                }
            }
        }
        if (!date.isValid() || f.length < 8) {
            std::memset(p, ' ', size_t(f.length));
            return;
        }
        if (date.year() < 1 || date.year() > 9999) {
            throw EngineError(
                fieldError(f, QStringLiteral("的值“%1”不是有效日期").arg(date.toString(Qt::ISODate))));
        }
        const QByteArray text = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memset(p, ' ', size_t(f.length));
        std::memcpy(p, text.constData(), 8);
        return;
    }
    case 'L': {
        char c = ' ';
        if (!null) {
            if (value.typeId() == QMetaType::Bool) {
                c = value.toBool() ? 'T' : 'F';
            } else {
                const QString s = value.toString().trimmed().toUpper();
                if (s == u"T" || s == u"Y" || s == u".T." || s == u"TRUE") {
                    c = 'T';
                } else if (s == u"F" || s == u"N" || s == u".F." || s == u"FALSE") {
                    c = 'F';
                } else if (!s.isEmpty() && s != u"?") {
                    throw EngineError(
                        fieldError(f, QStringLiteral("的值“%1”不是逻辑值").arg(value.toString())));
                }
            }
        }
        std::memset(p, ' ', size_t(f.length));
        p[0] = c;
        return;
    }
    default: {
        QString s = null ? QString() : value.toString();
        QByteArray bytes;
        if (!encodeGbk(s, &bytes)) {
            throw EngineError(fieldError(f, QStringLiteral("的值含有 GBK 无法表示的字符")));
        }
        if (bytes.size() > f.length) {
            // Trailing blanks are padding anyway; only real text counts against the width.
            qsizetype n = bytes.size();
            while (n > f.length && bytes[n - 1] == ' ') {
                --n;
            }
            if (n > f.length) {
                throw EngineError(fieldError(f, QStringLiteral("的值超过 %1 字节的宽度").arg(f.length)));
            }
            bytes.truncate(n);
        }
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        std::memset(p + bytes.size(), ' ', size_t(f.length - bytes.size()));
        return;
    }
    }
}

// ---------------------------------------------------------------------------------------------
// DbfFile

DbfFile::DbfFile() : d(std::make_unique<Impl>()) {}

DbfFile::~DbfFile() = default;

QString DbfFile::resolve(const QString& folder, const QString& fileName) {
    if (fileName.isEmpty()) {
        return QString();
    }
    const QDir dir(folder);
    const QString direct = dir.filePath(fileName);
    if (QFileInfo(direct).isFile()) {
        return QFileInfo(direct).absoluteFilePath();
    }
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) {
            return QFileInfo(dir.filePath(entry)).absoluteFilePath();
        }
    }
    return QString();
}

std::shared_ptr<DbfFile> DbfFile::open(const QString& folder, const QString& fileName, OpenMode mode) {
    const QString path = resolve(folder, fileName);
    if (path.isEmpty()) {
        throw EngineError(
            QStringLiteral("找不到表文件 %1（文件夹 %2）").arg(fileName, QDir::toNativeSeparators(folder)));
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const std::string key = (canonical.isEmpty() ? path : canonical).toStdString();
    const QString label = fileLabel(path);

    Registry& reg = registry();
    std::lock_guard lock(reg.mutex);
    for (auto it = reg.files.begin(); it != reg.files.end();) {
        it = it->second.expired() ? reg.files.erase(it) : std::next(it);
    }
    if (auto it = reg.files.find(key); it != reg.files.end()) {
        std::shared_ptr<DbfFile> existing = it->second.lock();
        if (existing) {
            if (mode == OpenMode::Exclusive) {
                throw EngineError(QStringLiteral("表文件 %1 已被打开，无法独占使用").arg(label));
            }
            if (existing->d->mode == OpenMode::Exclusive) {
                throw EngineError(QStringLiteral("表文件 %1 正被独占使用，无法打开").arg(label));
            }
            return existing;
        }
    }

    recoverInterruptedPack(path);

    std::shared_ptr<DbfFile> file(new DbfFile());
    Impl& d = *file->d;
    d.path = path;
    d.folder = QFileInfo(path).absolutePath();
    d.fileName = label;
    d.tableName = QFileInfo(path).completeBaseName();
    d.mode = mode;
    d.openFiles();
    reg.files[key] = file;
    return file;
}

QString DbfFile::path() const {
    return d->path;
}
QString DbfFile::tableName() const {
    return d->tableName;
}
quint8 DbfFile::version() const {
    return d->version;
}
quint8 DbfFile::languageDriver() const {
    return d->languageDriver;
}
MemoLayout DbfFile::memoLayout() const {
    return d->memoLayout;
}
int DbfFile::memoBlockSize() const {
    return d->memoBlockSize;
}
int DbfFile::headerLength() const {
    return d->headerLength;
}
int DbfFile::recordLength() const {
    return d->recordLength;
}
const QList<Field>& DbfFile::fields() const {
    return d->fields;
}

int DbfFile::fieldIndex(QStringView name) const {
    return d->fieldByName.value(name.toString().toUpper(), -1);
}

quint32 DbfFile::recordCount() const {
    return d->count;
}

bool DbfFile::isDeleted(quint32 record) const {
    const char* rec = d->record(record);
    return rec != nullptr && rec[0] == '*';
}

const char* DbfFile::recordData(quint32 record) const {
    return d->record(record);
}

QString DbfFile::text(const char* record, int field) const {
    if (record == nullptr || field < 0 || field >= d->fields.size()) {
        return QString();
    }
    const Field& f = d->fields.at(field);
    const char* p = record + f.offset;
    switch (f.type) {
    case 'N':
    case 'F': {
        // The stored digits themselves: a double would lose the digits of wide numbers.
        Decimal digits;
        if (parseDecimal(p, f.length, &digits)) {
            return QString::fromLatin1(decimalText(digits));
        }
        double v = 0;
        return parseNumber(p, f.length, &v) ? formatNumber(v) : QString();
    }
    case 'D': {
        const QDate date = parseDate(p, f.length);
        return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    }
    case 'L':
        switch (p[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return QStringLiteral("T");
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return QStringLiteral("F");
        default:
            return QString();
        }
    case 'M':
        return memoText(record, field);
    default:
        return decodeGbk(p, trimmedLength(p, f.length));
    }
}

double DbfFile::number(const char* record, int field, bool* ok) const {
    double v = 0;
    bool good = false;
    if (record != nullptr && field >= 0 && field < d->fields.size()) {
        const Field& f = d->fields.at(field);
        good = parseNumber(record + f.offset, f.length, &v);
    }
    if (ok != nullptr) {
        *ok = good;
    }
    return good ? v : 0.0;
}

QDate DbfFile::date(const char* record, int field) const {
    if (record == nullptr || field < 0 || field >= d->fields.size()) {
        return QDate();
    }
    const Field& f = d->fields.at(field);
    if (f.type == 'D') {
        return parseDate(record + f.offset, f.length);
    }
    return parseDateText(text(record, field));
}

QVariant DbfFile::value(const char* record, int field) const {
    if (record == nullptr || field < 0 || field >= d->fields.size()) {
        return QVariant();
    }
    const Field& f = d->fields.at(field);
    switch (f.type) {
    case 'N':
    case 'F': {
        double v = 0;
        return parseNumber(record + f.offset, f.length, &v) ? QVariant(v) : QVariant();
    }
    case 'D': {
        const QDate date = parseDate(record + f.offset, f.length);
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case 'L': {
        const QString t = text(record, field);
        return t.isEmpty() ? QVariant() : QVariant(t == u"T");
    }
    default:
        return text(record, field);
    }
}

QString DbfFile::memoText(const char* record, int field) const {
    if (record == nullptr || field < 0 || field >= d->fields.size() || d->fields.at(field).type != 'M') {
        return QString();
    }
    const quint32 block = d->memoPointer(record, d->fields.at(field));
    return decodeGbk(d->readMemo(block));
}

QByteArrayView DbfFile::rawText(const char* record, int field) const {
    if (record == nullptr || field < 0 || field >= d->fields.size()) {
        return QByteArrayView();
    }
    const Field& f = d->fields.at(field);
    const char* p = record + f.offset;
    int n = trimmedLength(p, f.length);
    if (f.type == 'N' || f.type == 'F') {
        while (n > 0 && *p == ' ') {
            ++p;
            --n;
        }
    }
    return QByteArrayView(p, n);
}

QByteArray DbfFile::blankRecord() const {
    return QByteArray(d->recordLength, ' ');
}

QByteArray DbfFile::buildRecord(const QByteArray& base, const QHash<int, QVariant>& values) {
    if (base.size() != d->recordLength) {
        throw EngineError(QStringLiteral("表 %1 的记录长度不符").arg(d->tableName));
    }
    QByteArray out = base;
    struct PendingMemo {
        int field;
        QByteArray text;
    };
    QList<PendingMemo> memos;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int index = it.key();
        if (index < 0 || index >= d->fields.size()) {
            throw EngineError(QStringLiteral("表 %1 没有第 %2 个字段").arg(d->tableName).arg(index + 1));
        }
        const Field& f = d->fields.at(index);
        if (f.type == 'M') {
            const QVariant& v = it.value();
            const QString s = v.isNull() ? QString() : v.toString();
            QByteArray bytes;
            if (!encodeGbk(s, &bytes)) {
                throw EngineError(d->fieldError(f, QStringLiteral("的值含有 GBK 无法表示的字符")));
            }
            if (d->memoLayout == MemoLayout::Dbase3 && bytes.contains('\x1A')) {
                throw EngineError(d->fieldError(f, QStringLiteral("的值含有备注中不能保存的字符")));
            }
            memos.append({index, bytes});
        } else {
            d->encodeField(out.data(), f, it.value());
        }
    }
    if (memos.isEmpty()) {
        return out;
    }
    // Every value is good: now the memo texts may go to the memo file.
    std::optional<WriteScope> scope;
    for (const PendingMemo& m : memos) {
        const Field& f = d->fields.at(m.field);
        const quint32 old = d->memoPointer(base.constData(), f);
        if (d->readMemo(old) == m.text) {
            continue;
        }
        if (m.text.isEmpty()) {
            d->putMemoPointer(out.data(), f, 0);
            continue;
        }
        d->requireMemo(f);
        if (!scope) {
            scope.emplace(*this);
        }
        d->putMemoPointer(out.data(), f, d->writeMemo(m.text));
    }
    return out;
}

DbfFile::WriteScope::WriteScope(DbfFile& file) : m_file(file), m_exceptions(std::uncaught_exceptions()) {
    m_file.d->beginWrite();
}

DbfFile::WriteScope::~WriteScope() {
    m_file.d->endWrite(std::uncaught_exceptions() > m_exceptions);
}

void DbfFile::catchUp() {
    d->takeInCount();
}

void DbfFile::writeRecord(quint32 record, const QByteArray& data) {
    d->requireWritable();
    if (data.size() != d->recordLength) {
        throw EngineError(QStringLiteral("表 %1 的记录长度不符").arg(d->tableName));
    }
    const WriteScope scope(*this);
    if (record >= d->count) {
        throw EngineError(QStringLiteral("表 %1 没有第 %2 条记录").arg(d->tableName).arg(record + 1));
    }
    d->touchHeader();
    const qint64 offset = qint64(d->headerLength) + qint64(record) * d->recordLength;
    d->put(false, data.constData(), size_t(data.size()), offset);
    ++d->changes;
}

// The record (and the end marker) first, the header's count last: until the count is written
// no reader counts the record, and a failure cuts it off again.
quint32 DbfFile::appendRecord(const QByteArray& data) {
    d->requireWritable();
    if (data.size() != d->recordLength) {
        throw EngineError(QStringLiteral("表 %1 的记录长度不符").arg(d->tableName));
    }
    const WriteScope scope(*this);
    if (d->count == 0xFFFFFFFFu) {
        throw EngineError(QStringLiteral("表 %1 已满").arg(d->tableName));
    }
    d->touchHeader();
    const quint32 record = d->count;
    d->scratch.resize(data.size() + 1);
    std::memcpy(d->scratch.data(), data.constData(), size_t(data.size()));
    d->scratch[data.size()] = hdr::kFileEnd;
    const qint64 offset = qint64(d->headerLength) + qint64(record) * d->recordLength;
    d->put(false, d->scratch.constData(), size_t(d->scratch.size()), offset);
    char count[4];
    putLe32(count, record + 1);
    d->put(false, count, 4, hdr::kRecordCount);
    std::memcpy(d->header.data() + hdr::kRecordCount, count, 4);
    d->count = record + 1;
    ++d->changes;
    ++d->layoutChanges;
    return record;
}

void DbfFile::setDeleted(quint32 record, bool deleted) {
    d->requireWritable();
    const WriteScope scope(*this);
    if (record >= d->count) {
        throw EngineError(QStringLiteral("表 %1 没有第 %2 条记录").arg(d->tableName).arg(record + 1));
    }
    d->touchHeader();
    const char flag = deleted ? '*' : ' ';
    const qint64 offset = qint64(d->headerLength) + qint64(record) * d->recordLength;
    d->put(false, &flag, 1, offset);
    ++d->changes;
}

void DbfFile::refresh() {
    char fixed[8];
    if (!preadAll(d->fd, fixed, 8, 0)) {
        d->ioFailure(QStringLiteral("读取表文件"), d->fileName, errno);
    }
    quint32 count = le32(fixed + hdr::kRecordCount);
    // Another program may be between writing its record and its count: only whole records count.
    const qint64 room = (d->fileSize() - d->headerLength) / d->recordLength;
    count = quint32(std::clamp<qint64>(room, 0, count));
    std::memcpy(d->header.data(), fixed, 4);
    putLe32(d->header.data() + hdr::kRecordCount, count);
    d->remap();
    d->forgetMemos();
    if (count != d->count) {
        d->count = count;
        ++d->layoutChanges;
    }
    ++d->changes;
}

quint64 DbfFile::changeCount() const {
    return d->changes;
}
quint64 DbfFile::layoutChangeCount() const {
    return d->layoutChanges;
}

namespace {

// Sequential writer with a large buffer, for the files pack() writes.
class FileWriter {
public:
    FileWriter(int fd, qint64 offset) : m_fd(fd), m_offset(offset) { m_buffer.reserve(kChunk); }
    bool append(const char* data, qsizetype size) {
        m_buffer.append(data, size);
        return m_buffer.size() < kChunk || flush();
    }
    bool append(const QByteArray& data) { return append(data.constData(), data.size()); }
    bool flush() {
        if (!pwriteAll(m_fd, m_buffer.constData(), size_t(m_buffer.size()), m_offset)) {
            return false;
        }
        m_offset += m_buffer.size();
        m_buffer.clear();
        return true;
    }

private:
    static constexpr qsizetype kChunk = qsizetype(1) << 20;
    int m_fd;
    qint64 m_offset;
    QByteArray m_buffer;
};

int createFileLike(const QString& path, int like) {
    struct stat st {};
    const mode_t mode = ::fstat(like, &st) == 0 ? (st.st_mode & 07777) : 0644;
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
}

} // namespace

void DbfFile::pack() {
    Impl& f = *d;
    f.requireWritable();
    const bool upgrade = f.mode != OpenMode::Exclusive;
    if (upgrade && ::flock(f.fd, LOCK_EX | LOCK_NB) != 0) {
        ::flock(f.fd, LOCK_SH | LOCK_NB); // a failed conversion may have dropped the shared lock
        throw EngineError(QStringLiteral("表文件 %1 正被其他程序使用，无法整理").arg(f.fileName));
    }
    struct Downgrade {
        Impl& f;
        bool on;
        ~Downgrade() {
            if (on) {
                ::flock(f.fd, LOCK_SH | LOCK_NB);
            }
        }
    } downgrade{f, upgrade};

    bool anyDeleted = false;
    for (quint32 r = 0; r < f.count && !anyDeleted; ++r) {
        const char* rec = f.record(r);
        anyDeleted = rec != nullptr && rec[0] == '*';
    }
    if (!anyDeleted) {
        return; // nothing to drop: the files stay as they are
    }
    const bool withMemo = f.memoLayout != MemoLayout::None && f.memoFd >= 0;
    if (withMemo && f.memoReadOnly) {
        throw EngineError(QStringLiteral("表 %1 的备注文件是只读的，无法整理").arg(f.tableName));
    }

    const QString tableTemp = packTempName(f.path);
    const QString memoTemp = withMemo ? packTempName(f.memoPath) : QString();
    int tableOut = -1;
    int memoOut = -1;
    auto fail = [&](const QString& file, int err) {
        if (tableOut >= 0) {
            ::close(tableOut);
        }
        if (memoOut >= 0) {
            ::close(memoOut);
        }
        QFile::remove(tableTemp);
        if (!memoTemp.isEmpty()) {
            QFile::remove(memoTemp);
        }
        throw EngineError(QStringLiteral("整理表 %1 失败：%2 %3").arg(f.tableName, file, errorText(err)));
    };

    // The memo temp is made before the table temp: see recoverInterruptedPack().
    const int bs = f.memoBlockSize;
    quint32 nextBlock = 1;
    if (withMemo) {
        memoOut = createFileLike(memoTemp, f.memoFd);
        if (memoOut < 0) {
            fail(memoTemp, errno);
        }
    }
    tableOut = createFileLike(tableTemp, f.fd);
    if (tableOut < 0) {
        fail(tableTemp, errno);
    }
    ::flock(tableOut, LOCK_EX | LOCK_NB); // nobody else knows the file yet; the lock moves with it
    FileWriter table(tableOut, 0);
    FileWriter memo(memoOut, bs);

    QByteArray header = f.header;
    setHeaderDate(header.data(), QDate::currentDate());
    header[hdr::kFlags] = static_cast<char>(static_cast<quint8>(header[hdr::kFlags]) & ~0x01u);
    if (!table.append(header)) {
        fail(tableTemp, errno);
    }
    quint32 kept = 0;
    QByteArray rec(f.recordLength, Qt::Uninitialized);
    for (quint32 r = 0; r < f.count; ++r) {
        const char* source = f.record(r);
        if (source == nullptr || source[0] == '*') {
            continue;
        }
        std::memcpy(rec.data(), source, size_t(f.recordLength));
        if (withMemo) {
            for (const Field& field : std::as_const(f.fields)) {
                if (field.type != 'M') {
                    continue;
                }
                const QByteArray text = f.readMemo(f.memoPointer(source, field));
                if (text.isEmpty()) {
                    f.putMemoPointer(rec.data(), field, 0);
                    continue;
                }
                const QByteArray blocks = f.memoBlocks(text, 0);
                if (!memo.append(blocks)) {
                    fail(memoTemp, errno);
                }
                f.putMemoPointer(rec.data(), field, nextBlock);
                nextBlock += quint32(blocks.size() / bs);
            }
        }
        if (!table.append(rec)) {
            fail(tableTemp, errno);
        }
        ++kept;
    }
    if (!table.append("\x1A", 1) || !table.flush()) {
        fail(tableTemp, errno);
    }
    putLe32(header.data() + 4, kept);
    if (!pwriteAll(tableOut, header.constData() + hdr::kRecordCount, 4, hdr::kRecordCount)) {
        fail(tableTemp, errno);
    }
    if (withMemo) {
        QByteArray head(bs, '\0');
        preadAll(f.memoFd, head.data(), size_t(bs), 0); // a short old header leaves NULs
        putLe32(head.data() + memohdr::kNextBlock, nextBlock);
        if (!memo.flush() || !pwriteAll(memoOut, head.constData(), size_t(bs), 0)) {
            fail(memoTemp, errno);
        }
        if (::fsync(memoOut) != 0) {
            fail(memoTemp, errno);
        }
    }
    if (::fsync(tableOut) != 0) {
        fail(tableTemp, errno);
    }
    // Memo first, table last: a crash in between leaves the new memo with the complete new
    // table beside it under its temp name, which the next open puts in place. A program that
    // reads the folder in that moment sees the new memo beside the old table; two renames
    // cannot be made one, and no other holder of ours can be open while we pack.
    if (withMemo &&
        ::rename(QFile::encodeName(memoTemp).constData(), QFile::encodeName(f.memoPath).constData()) != 0) {
        fail(f.memoPath, errno);
    }
    if (::rename(QFile::encodeName(tableTemp).constData(), QFile::encodeName(f.path).constData()) != 0) {
        const int err = errno;
        if (withMemo) {
            // Finish the pair as the next open would; the table temp is complete.
            throw EngineError(QStringLiteral("整理表 %1 失败：%2").arg(f.tableName, errorText(err)));
        }
        fail(f.path, err);
    }
    syncFolder(f.folder);

    f.unmap();
    ::close(f.fd);
    f.fd = tableOut;
    if (withMemo) {
        ::close(f.memoFd);
        f.memoFd = memoOut;
    }
    struct stat st {};
    if (::fstat(f.fd, &st) == 0) {
        f.dev = st.st_dev;
        f.ino = st.st_ino;
    }
    if (withMemo && ::fstat(f.memoFd, &st) == 0) {
        f.memoDev = st.st_dev;
        f.memoIno = st.st_ino;
    }
    f.forgetMemos();
    f.header = header;
    f.count = kept;
    f.headerTouched = true;
    f.remap();
    ++f.changes;
    ++f.layoutChanges;
}

void DbfFile::create(const QString& path, const QList<FieldSpec>& specs, const CreateOptions& options) {
    const QString label = fileLabel(path);
    auto bad = [&](const QString& why) -> EngineError {
        return EngineError(QStringLiteral("无法建立表 %1：%2").arg(label, why));
    };
    if (specs.isEmpty()) {
        throw bad(QStringLiteral("没有字段"));
    }
    const bool hasMemo =
        std::any_of(specs.cbegin(), specs.cend(), [](const FieldSpec& s) { return s.type == 'M'; });
    const quint8 version = options.version != 0 ? options.version : (hasMemo ? 0x83 : 0x03);
    const bool v7 = isDbase7(version);
    const int base = v7 ? hdr::kFixedSize7 : hdr::kFixedSize;
    const int descSize = v7 ? hdr::kDescriptorSize7 : hdr::kDescriptorSize;
    const int nameMax = v7 ? 31 : 10;
    const int headerLength = base + descSize * int(specs.size()) + 1;
    if (headerLength > 0xFFFF) {
        throw bad(QStringLiteral("字段太多"));
    }
    QByteArray header(headerLength, '\0');
    int recordLength = 1;
    for (int i = 0; i < specs.size(); ++i) {
        FieldSpec s = specs.at(i);
        const QByteArray name = s.name.toUpper().toLatin1();
        if (name.isEmpty() || name.size() > nameMax || s.name.toUpper() != QString::fromLatin1(name)) {
            throw bad(QStringLiteral("字段名 %1 不合适").arg(s.name));
        }
        switch (s.type) {
        case 'D':
            s.length = 8;
            s.decimals = 0;
            break;
        case 'L':
            s.length = 1;
            s.decimals = 0;
            break;
        case 'M':
            s.length = 10;
            s.decimals = 0;
            break;
        case 'C':
            s.decimals = 0;
            break;
        case 'N':
        case 'F':
            if (s.length > 32 || s.decimals < 0 || (s.decimals > 0 && s.decimals > s.length - 2)) {
                throw bad(QStringLiteral("字段 %1 的宽度或小数位不合适").arg(s.name));
            }
            break;
        default:
            throw bad(QStringLiteral("字段 %1 的类型不受支持").arg(s.name));
        }
        if (s.length < 1 || s.length > 254) {
            throw bad(QStringLiteral("字段 %1 的宽度 %2 不合适").arg(s.name).arg(s.length));
        }
        char* desc = header.data() + base + descSize * i;
        std::memcpy(desc, name.constData(), size_t(name.size()));
        desc[v7 ? hdr::kFieldType7 : hdr::kFieldType] = s.type;
        desc[v7 ? hdr::kFieldLength7 : hdr::kFieldLength] = static_cast<char>(s.length);
        desc[v7 ? hdr::kFieldDecimals7 : hdr::kFieldDecimals] = static_cast<char>(s.decimals);
        recordLength += s.length;
    }
    if (recordLength > 0xFFFF) {
        throw bad(QStringLiteral("记录太长"));
    }
    header[0] = static_cast<char>(version);
    setHeaderDate(header.data(), QDate::currentDate());
    putLe16(header.data() + hdr::kHeaderLength, quint16(headerLength));
    putLe16(header.data() + hdr::kRecordLength, quint16(recordLength));
    header[hdr::kLanguageDriver] = static_cast<char>(options.languageDriver);
    header[headerLength - 1] = hdr::kHeaderEnd;
    header.append(hdr::kFileEnd);

    auto writeFile = [&](const QString& file, const QByteArray& bytes) {
        const int fd =
            ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            throw bad(errorText(errno));
        }
        const bool ok = pwriteAll(fd, bytes.constData(), size_t(bytes.size()), 0);
        const int err = errno;
        ::close(fd);
        if (!ok) {
            throw bad(errorText(err));
        }
    };
    writeFile(path, header);
    if (!hasMemo) {
        return;
    }
    const MemoLayout layout = layoutFor(version);
    const int bs = layout == MemoLayout::Dbase4 ? options.memoBlockSize : kDbase3BlockSize;
    if (bs < 64 || bs > 0xFFFF || bs % 64 != 0) {
        throw bad(QStringLiteral("备注块大小 %1 不合适").arg(bs));
    }
    QByteArray memo(bs, '\0');
    putLe32(memo.data() + memohdr::kNextBlock, 1);
    if (layout == MemoLayout::Dbase4) {
        const QByteArray base8 = QFileInfo(path).completeBaseName().toUpper().toLatin1().left(8);
        std::memcpy(memo.data() + memohdr::kDbfName, base8.constData(), size_t(base8.size()));
        putLe16(memo.data() + memohdr::kBlockSize, quint16(bs));
    } else {
        memo[memohdr::kDbase3Version] = '\x03';
    }
    writeFile(QFileInfo(path).absolutePath() + QLatin1Char('/') + memoNameFor(QFileInfo(path).fileName()),
              memo);
}

} // namespace tamsel::engine
