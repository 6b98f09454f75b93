#pragma once

#include "engine/query.h"
#include "engine/table.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

class QWidget;

namespace tamsel::core {

// The data module: owns every shared table and query for the whole run. Windows borrow these
// objects; none opens a table of its own. Each object's objectName is its member name, so
// `dataset("Qrypelk")` and the failure records below can name them.
class TDM : public QObject {
    Q_OBJECT
public:
    // DataPath is the executable's folder + "data".
    explicit TDM(QObject* parent = nullptr);
    // DataPath is the given folder (tests and tools).
    explicit TDM(const QString& dataPath, QObject* parent = nullptr);
    ~TDM() override;

    // The folder beside the executable: applicationDirPath() + "/data".
    static QString defaultDataPath();
    // Must be called before DataModuleCreate to take effect.
    void setDataPath(const QString& path);

    // Start-up set-up: packs the working tables, opens the queries and tables. Never throws:
    // every engine error is collected, the objects on the failing file stay closed (nothing is
    // written to it), the rest still open, and the messages are shown in one box on `parent`.
    // The box needs the windows' library: this one is defined in tamsel_core; tools and the
    // services' tests call openObjects() and read startupErrors() instead.
    void DataModuleCreate(QWidget* parent = nullptr);
    // DataModuleCreate without the box.
    void openObjects();

    // Points Table_pack at fileName in DataPath, opens it exclusively, packs and closes it.
    // Throws engine::EngineError.
    void PackTable(const QString& fileName);
    // Points the query at DataPath, closes it, replaces its text and opens it.
    // Throws engine::EngineError.
    void OpenQueryText(engine::Query& query, const QString& sql);
    // The same with values for the text's :name parameters (names without ':'); they replace the
    // query's earlier parameters and stay with it for later reopening.
    void OpenQueryText(engine::Query& query, const QString& sql, const QHash<QString, QVariant>& params);

    // --- Start-up results -------------------------------------------------------------------
    // False when the named object (member name, e.g. "Tblunit") failed to pack or open during
    // DataModuleCreate, or the name is unknown. Objects only pointed at the folder at start
    // (T_temp_in, Table1, Table2, TableWcrTemp, and Tztflh2/Txkfl2 when their file is absent)
    // count as open unless their file failed to pack.
    bool isOpen(const QString& objectName) const;
    // Member names of the objects that failed, and the data files (lower case, with extension)
    // that failed to pack or open.
    QSet<QString> failedObjects() const { return m_failedObjects; }
    QSet<QString> failedFiles() const { return m_failedFiles; }
    bool fileFailed(const QString& fileName) const;
    // The engine messages collected during DataModuleCreate, in order, without repeats.
    QStringList startupErrors() const { return m_errors; }

    // The object with this member name (case-sensitive), or nullptr.
    engine::Dataset* dataset(const QString& objectName) const;
    // File name inside DataPath matching name without regard to case; empty when absent.
    QString findDataFile(const QString& fileName) const;

    // --- State held for the whole run ---------------------------------------------------------
    QString DataPath;
    bool HasLibraryClass = false;    // ztflh.dbf present at start
    bool HasDisciplineClass = false; // xkfl.dbf present at start
    // "PELK", "CGWCDW", "CGWCR", "JDWYHMD", "ZLQK", "unit", "expert" (filled on construction).
    QStringList ExchangeTableNames;
    QString SavedListSql; // the achievement-list text as last loaded by the main window

    // --- Queries ---------------------------------------------------------------------------------
    engine::Query Qrypelk;    // the achievement list shown by the main window
    engine::Query QryCgwcdw;  // one achievement's cooperating units (cached updates)
    engine::Query QryCgwcr;   // one achievement's completers (cached updates)
    engine::Query QryJdwyhmd; // one achievement's committee members (cached updates)
    engine::Query Qrydwqk;    // select * from dwqk
    engine::Query QryCheckUp; // checkup
    engine::Query Qryunit;    // unit.dbf
    engine::Query Qryexpert;  // unitexpert.dbf
    engine::Query tempquery;  // scratch: counts, maxima, year list
    engine::Query Query1;
    engine::Query Query2;

    // --- Tables ----------------------------------------------------------------------------------
    engine::Table Tblpelk;    // pelk.dbf
    engine::Table TblCgwcdw;  // cgwcdw.DBF
    engine::Table TblCgwcr;   // cgwcr.DBF
    engine::Table Tbljdwyhmd; // jdwyhmd.DBF
    engine::Table tblzlqk;    // zlqk.dbf
    engine::Table Tblzdxx;    // zdxx.dbf
    engine::Table tblzdxx1;   // zdxx1.dbf
    engine::Table Tblunit;    // unit.dbf
    engine::Table Tblexpert;  // unitexpert.dbf
    engine::Table TblwcrNew;  // cgwcrNew.dbf
    engine::Table tblProvince;
    engine::Table tblLsbw;
    engine::Table Tblgxjs;
    engine::Table Txkfl2;  // xkfl.dbf, opened only when present
    engine::Table Tztflh2; // ztflh.dbf, opened only when present
    engine::Table TblDFJHZDXX;
    engine::Table T_temp_in;  // pointed at one import twin at a time
    engine::Table T_temp_out; // pelk.DBF, for appending and editing achievements directly
    engine::Table Table_pack; // packing at start only
    engine::Table Table1;
    engine::Table Table2;
    engine::Table TableWcrTemp;

    // Dictionary lookups on zdxx.dbf, each filtered to its item's rows.
    engine::Table TblCgwcr_181;
    engine::Table TblCgwcr_183;
    engine::Table TblCgwcr_184;
    engine::Table TblCgwcr_188;
    engine::Table Tbljdwyhmd_191;
    engine::Table Tbljdwyhmd_193;
    engine::Table Tbljdwyhmd_198;
    engine::Table Tblzlqk_st;
    engine::Table Tblzlqk_ty;
    engine::Table Tblexpert_124_1;
    engine::Table Tblexpert_181;

    // The 18 working tables packed at every start, in packing order.
    static const QStringList& packedFiles();

private:
    void init();
    void registerObjects();
    // Runs step for the named objects on fileName; on an engine error records it and returns false.
    template <typename Step> bool attempt(const QString& fileName, const QStringList& objects, Step step);
    void fail(const QString& fileName, const QStringList& objects, const QString& message);

    QHash<QString, engine::Dataset*> m_objects;
    QSet<QString> m_failedObjects;
    QSet<QString> m_failedFiles;
    QStringList m_errors;
};

} // namespace tamsel::core
