#pragma once

#include "engine/error.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

namespace tamsel::engine {

// One field as its descriptor stores it.
struct Field {
    QString name; // as stored (normally upper case); compare without regard to case
    char type = 'C';
    int length = 0;
    int decimals = 0;
    int offset = 0; // from the start of the record; byte 0 of a record is the deleted flag
};

// Field list for creating a table.
struct FieldSpec {
    QString name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
};

// Shortest decimal text of a number, never in exponent form ("12.5", "3", "-0.25").
QString formatNumber(double value);

enum class MemoLayout { None, Dbase3, Dbase4 };
enum class OpenMode { Shared, Exclusive };

// The language-driver byte of our tables: GBK (code page 936).
constexpr quint8 kGbkLanguageDriver = 0x7A;

struct CreateOptions {
    // 0x03 dBase III, 0x83 dBase III with memo, 0x8B dBase IV with memo, 0x04 dBase 7.
    // 0 picks 0x03, or 0x83 when a memo field is present.
    quint8 version = 0;
    quint8 languageDriver = kGbkLanguageDriver;
    int memoBlockSize = 512; // dBase IV memo files only; dBase III blocks are always 512
};

// The shared state of one open table file. Every table and query of the process that opens
// the same file gets the same DbfFile, so a write through one is seen at once through all.
//
// Records are numbered from 0 in file order and include deleted ones. Reads go through a
// memory map; every write is a positional write to the file before the call returns.
// Holders keep a flock: shared while open, exclusive for Exclusive mode and for pack().
// Writers of several programs take turns through a write lock (WriteScope).
class DbfFile {
public:
    ~DbfFile();
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    // The file named fileName inside folder, matched without regard to case, or an empty
    // string when there is none.
    static QString resolve(const QString& folder, const QString& fileName);

    // Opens the file, or returns the state already open in this process. Throws EngineError
    // (missing file, damaged header, held exclusively elsewhere, ...).
    // Exclusive fails while any other holder in this or another process has the file open.
    static std::shared_ptr<DbfFile> open(const QString& folder, const QString& fileName,
                                         OpenMode mode = OpenMode::Shared);

    // Writes a new empty table (and its memo file when a memo field is present).
    // Used by the build's data generator and by tests; the program never creates tables.
    static void create(const QString& path, const QList<FieldSpec>& fields,
                       const CreateOptions& options = {});

    QString path() const;
    QString tableName() const; // file base name, e.g. "pelk"
    quint8 version() const;
    quint8 languageDriver() const;
    MemoLayout memoLayout() const;
    int memoBlockSize() const;
    int headerLength() const;
    int recordLength() const;

    const QList<Field>& fields() const;
    int fieldIndex(QStringView name) const; // case-insensitive; -1 when absent

    quint32 recordCount() const; // including deleted records
    bool isDeleted(quint32 record) const;
    // The stored bytes of a record (recordLength() bytes). Valid until the next append,
    // pack or refresh.
    const char* recordData(quint32 record) const;

    // Field values of stored record bytes. A value that cannot be read (non-numeric text in a
    // numeric field, an impossible date, a memo pointer past the end) reads as empty.
    // Text form: character fields without trailing blanks (and NULs); numbers in shortest
    // decimal form ("12.5", "3"); dates "yyyy-MM-dd"; logicals "T"/"F"; empty field "".
    QString text(const char* record, int field) const;
    double number(const char* record, int field, bool* ok = nullptr) const;
    QDate date(const char* record, int field) const;
    // Typed: QString for C and M, double for N and F, QDate for D, bool for L; a null
    // QVariant for an empty or unreadable number, date or logical. Other types read as text.
    QVariant value(const char* record, int field) const;
    QString memoText(const char* record, int field) const;
    // The stored bytes of a field without their padding (trailing blanks and NULs; for N and F
    // also leading blanks), for comparing raw bytes in scans without decoding.
    QByteArrayView rawText(const char* record, int field) const;

    // A record of blanks (not deleted).
    QByteArray blankRecord() const;
    // The stored form of base with the given values (field index -> value) applied.
    // Accepts QString for every type (numbers as decimal text, dates "yyyy-MM-dd" or
    // "yyyy.MM.dd" or "yyyyMMdd", empty text for an empty field), double/int for N and F,
    // QDate for D, bool for L, and a null QVariant for an empty field.
    // Throws EngineError naming table and field when a value is too long for its field,
    // holds a character GBK cannot encode, or is not a number or date; nothing is written then.
    // Memo texts are written to the memo file only after every value has been checked.
    QByteArray buildRecord(const QByteArray& base, const QHash<int, QVariant>& values);

    // Positional write of a whole record (a changed memo went to fresh blocks in buildRecord,
    // so this one write switches the record wholly from old to new).
    void writeRecord(quint32 record, const QByteArray& data);
    // Appends a record: writes it (and the end marker), then the header's count. Returns its number.
    quint32 appendRecord(const QByteArray& data);
    void setDeleted(quint32 record, bool deleted);

    // Removes deleted records and compacts the memo file: new files are written beside the old
    // ones and renamed over them. A table without deleted records is left untouched.
    // Needs the only holder in the process and an exclusive lock.
    void pack();

    // Rereads the header (another program may have appended).
    void refresh();
    // Takes in records other programs have appended since (a statement reads the count once).
    void catchUp();

    // Holds the file's write lock across the writes of one statement or post. Every write
    // takes one itself; an outer scope makes a statement of many records one lock. Under it the
    // record count and the memo file's free block are read again and a file another program's
    // pack replaced is reopened. When the outermost scope ends by an exception, the table and
    // memo files are put back byte for byte as they were when it began.
    class WriteScope {
    public:
        explicit WriteScope(DbfFile& file);
        ~WriteScope();
        WriteScope(const WriteScope&) = delete;
        WriteScope& operator=(const WriteScope&) = delete;

    private:
        DbfFile& m_file;
        int m_exceptions;
    };

    // Bumped on every write; datasets rebuild their row lists when it moves.
    quint64 changeCount() const;
    // Bumped when records are added or renumbered (append, pack).
    quint64 layoutChangeCount() const;

private:
    DbfFile();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace tamsel::engine
