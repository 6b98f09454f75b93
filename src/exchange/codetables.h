#pragma once

// Refreshing the four reference tables (project-source sub-classes, library and discipline
// classification, supervising ministries) from a distributed archive or a ready table file.
// The new rows are written and checked beside the table in use and renamed over it, so on
// any failure the old table stays exactly as it was.

#include "engine/dbffile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tamsel::exchange {

enum class CodeTable { ProjectSource, LibraryClass, DisciplineClass, Ministry };

struct CodeTableInfo {
    QString tableFile;               // in the data folder: "DFJHZDXX.DBF", "ztflh.dbf", ...
    QString archive;                 // "DFJHXX.ARJ", ...
    QString member;                  // "DFJHXX.TXT", ...
    QString copyName;                // the table file a copy must be named: "ZTFLH.DBF", ...
    QStringList columns;             // the leading columns the program reads, in order
    QList<engine::FieldSpec> schema; // for a table that is not there yet
};

const CodeTableInfo& codeTableInfo(CodeTable table);

// Replaces the table's rows by the records of a member file in the exchange layout. The whole
// member is checked first (GBK, widths, numbers); nothing is changed unless every record fits.
// Throws ExchangeError or engine::EngineError. The table must not be open anywhere.
int replaceFromMember(const QString& dataFolder, CodeTable table, const QByteArray& member);

// Extracts the member from the archive in a private temporary folder (time limit) and replaces
// the table's rows with it. An archive without the member says so.
int replaceFromArchive(const QString& dataFolder, CodeTable table, const QString& archivePath);

// Copies a table file into the data folder: to a temporary file first, checked to be a table
// with the columns the program reads, then renamed over the table of that name (whatever the
// case of the old file's name). The table must not be open anywhere.
void replaceByCopy(const QString& dataFolder, CodeTable table, const QString& sourcePath);

// Whether a chosen path names the archive or the table copy (the file name compared without
// regard to case).
bool isArchiveName(CodeTable table, const QString& path);
bool isCopyName(CodeTable table, const QString& path);

} // namespace tamsel::exchange
