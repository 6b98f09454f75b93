// The data module TDM: opens and owns every shared table and query of the run.
#include "core/data_module.h"

#include "engine/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <exception>

namespace tamsel::core {
namespace {

// A data file's key in the failure records: lower case, with the .dbf extension.
QString fileKey(const QString& fileName) {
    QString key = fileName.trimmed().toLower();
    if (!key.endsWith(QStringLiteral(".dbf"))) {
        key += QStringLiteral(".dbf");
    }
    return key;
}

// Lookup tables on the code dictionary and the dictionary item each shows, in opening order.
struct Lookup {
    engine::Table TDM::*table;
    const char* name;
    const char* item;
};

} // namespace

TDM::TDM(QObject* parent) : QObject(parent), DataPath(defaultDataPath()) {
    init();
}

TDM::TDM(const QString& dataPath, QObject* parent) : QObject(parent), DataPath(dataPath) {
    init();
}

TDM::~TDM() = default;

void TDM::init() {
    ExchangeTableNames = {QStringLiteral("PELK"),    QStringLiteral("CGWCDW"), QStringLiteral("CGWCR"),
                          QStringLiteral("JDWYHMD"), QStringLiteral("ZLQK"),   QStringLiteral("unit"),
                          QStringLiteral("expert")};
    registerObjects();
}

QString TDM::defaultDataPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("data"));
}

void TDM::setDataPath(const QString& path) {
    DataPath = path;
}

const QStringList& TDM::packedFiles() {
    static const QStringList files = {
        QStringLiteral("pelk.DBF"),      QStringLiteral("pelktemp.DBF"),   QStringLiteral("cgwcr.DBF"),
        QStringLiteral("cgwcrtemp.DBF"), QStringLiteral("jdwyhmd.DBF"),    QStringLiteral("jdwyhmdtemp.DBF"),
        QStringLiteral("cgwcdw.DBF"),    QStringLiteral("cgwcdwtemp.DBF"), QStringLiteral("zlqk.DBF"),
        QStringLiteral("zlqktemp.DBF"),  QStringLiteral("cgwcrNew.dbf"),   QStringLiteral("ZTFLH.dbf"),
        QStringLiteral("XKFL.dbf"),      QStringLiteral("LSBW.dbf"),       QStringLiteral("DFJHZDXX.DBF"),
        QStringLiteral("unit.dbf"),      QStringLiteral("unitexpert.dbf"), QStringLiteral("gxjs.dbf"),
    };
    return files;
}

static const Lookup kLookups[] = {
    {&TDM::TblCgwcr_183, "TblCgwcr_183", "item_183"},
    {&TDM::TblCgwcr_184, "TblCgwcr_184", "item_184"},
    {&TDM::TblCgwcr_188, "TblCgwcr_188", "item_188"},
    {&TDM::TblCgwcr_181, "TblCgwcr_181", "item_181"},
    {&TDM::Tbljdwyhmd_193, "Tbljdwyhmd_193", "item_193"},
    {&TDM::Tbljdwyhmd_198, "Tbljdwyhmd_198", "item_198"},
    {&TDM::Tbljdwyhmd_191, "Tbljdwyhmd_191", "item_191"},
    {&TDM::Tblzlqk_st, "Tblzlqk_st", "patent_st"},
    {&TDM::Tblzlqk_ty, "Tblzlqk_ty", "patent_ty"},
    {&TDM::Tblexpert_181, "Tblexpert_181", "item_181"},
    {&TDM::Tblexpert_124_1, "Tblexpert_124_1", "item_124_1"},
};

void TDM::registerObjects() {
    const auto add = [this](engine::Dataset& object, const char* name) {
        object.setObjectName(QString::fromLatin1(name));
        // Children of the module, so a last-resort error handler can find them all.
        object.setParent(this);
        m_objects.insert(object.objectName(), &object);
    };
#define TAMSEL_DM_OBJECT(member) add(member, #member)
    TAMSEL_DM_OBJECT(Qrypelk);
    TAMSEL_DM_OBJECT(QryCgwcdw);
    TAMSEL_DM_OBJECT(QryCgwcr);
    TAMSEL_DM_OBJECT(QryJdwyhmd);
    TAMSEL_DM_OBJECT(Qrydwqk);
    TAMSEL_DM_OBJECT(QryCheckUp);
    TAMSEL_DM_OBJECT(Qryunit);
    TAMSEL_DM_OBJECT(Qryexpert);
    TAMSEL_DM_OBJECT(tempquery);
    TAMSEL_DM_OBJECT(Query1);
    TAMSEL_DM_OBJECT(Query2);
    TAMSEL_DM_OBJECT(Tblpelk);
    TAMSEL_DM_OBJECT(TblCgwcdw);
    TAMSEL_DM_OBJECT(TblCgwcr);
    TAMSEL_DM_OBJECT(Tbljdwyhmd);
    TAMSEL_DM_OBJECT(tblzlqk);
    TAMSEL_DM_OBJECT(Tblzdxx);
    TAMSEL_DM_OBJECT(tblzdxx1);
    TAMSEL_DM_OBJECT(Tblunit);
    TAMSEL_DM_OBJECT(Tblexpert);
    TAMSEL_DM_OBJECT(TblwcrNew);
    TAMSEL_DM_OBJECT(tblProvince);
    TAMSEL_DM_OBJECT(tblLsbw);
    TAMSEL_DM_OBJECT(Tblgxjs);
    TAMSEL_DM_OBJECT(Txkfl2);
    TAMSEL_DM_OBJECT(Tztflh2);
    TAMSEL_DM_OBJECT(TblDFJHZDXX);
    TAMSEL_DM_OBJECT(T_temp_in);
    TAMSEL_DM_OBJECT(T_temp_out);
    TAMSEL_DM_OBJECT(Table_pack);
    TAMSEL_DM_OBJECT(Table1);
    TAMSEL_DM_OBJECT(Table2);
    TAMSEL_DM_OBJECT(TableWcrTemp);
#undef TAMSEL_DM_OBJECT
    for (const Lookup& lookup : kLookups) {
        add(this->*(lookup.table), lookup.name);
    }
}

engine::Dataset* TDM::dataset(const QString& objectName) const {
    return m_objects.value(objectName, nullptr);
}

bool TDM::isOpen(const QString& objectName) const {
    return m_objects.contains(objectName) && !m_failedObjects.contains(objectName);
}

bool TDM::fileFailed(const QString& fileName) const {
    return m_failedFiles.contains(fileKey(fileName));
}

QString TDM::findDataFile(const QString& fileName) const {
    const QDir dir(DataPath);
    if (QFileInfo::exists(dir.filePath(fileName))) {
        return fileName;
    }
    // Delivered folders mix the cases of names and extensions.
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return QString();
}

void TDM::PackTable(const QString& fileName) {
    Table_pack.close();
    Table_pack.setFolder(DataPath);
    Table_pack.setTableName(fileName);
    Table_pack.setExclusive(true);
    try {
        Table_pack.open();
        Table_pack.pack();
    } catch (...) {
        Table_pack.close();
        Table_pack.setExclusive(false);
        throw;
    }
    Table_pack.close();
    Table_pack.setExclusive(false);
}

void TDM::OpenQueryText(engine::Query& query, const QString& sql) {
    query.setFolder(DataPath);
    query.close();
    // The text is kept as one line.
    QString text = sql;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    query.setSql(text);
    query.open();
}

void TDM::OpenQueryText(engine::Query& query, const QString& sql, const QHash<QString, QVariant>& params) {
    query.close();
    query.clearParams();
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        query.setParam(it.key(), it.value());
    }
    OpenQueryText(query, sql);
}

void TDM::fail(const QString& fileName, const QStringList& objects, const QString& message) {
    if (!fileName.isEmpty()) {
        m_failedFiles.insert(fileKey(fileName));
    }
    for (const QString& name : objects) {
        m_failedObjects.insert(name);
    }
    if (!message.isEmpty() && !m_errors.contains(message)) {
        m_errors << message;
    }
}

template <typename Step> bool TDM::attempt(const QString& fileName, const QStringList& objects, Step step) {
    // Objects on a file that already failed stay closed: nothing is written to that file.
    if (!fileName.isEmpty() && fileFailed(fileName)) {
        fail(fileName, objects, QString());
        return false;
    }
    try {
        step();
        return true;
    } catch (const engine::EngineError& error) {
        fail(fileName, objects, error.message());
    } catch (const std::exception& error) {
        fail(fileName, objects, QString::fromLocal8Bit(error.what()));
    }
    for (const QString& name : objects) {
        if (engine::Dataset* object = dataset(name)) {
            try {
                object->close();
            } catch (...) {
            }
        }
    }
    return false;
}

void TDM::openObjects() {
    m_failedObjects.clear();
    m_failedFiles.clear();
    m_errors.clear();
    // Said first, so the user is not left to guess it from a list of missing tables.
    if (!QFileInfo(DataPath).isDir()) {
        m_errors << QStringLiteral("找不到数据文件夹 %1").arg(QDir::toNativeSeparators(DataPath));
    }

    // Every start removes the records deleted in the previous run. The two classifications are
    // optional files.
    const QString optionalLibrary = QStringLiteral("ZTFLH.dbf");
    const QString optionalDiscipline = QStringLiteral("XKFL.dbf");
    for (const QString& file : packedFiles()) {
        if ((file == optionalLibrary || file == optionalDiscipline) && findDataFile(file).isEmpty()) {
            continue;
        }
        attempt(file, {}, [&] { PackTable(file); });
    }

    struct QueryText {
        engine::Query* query;
        const char* table;
        const char* sql;
    };
    const QueryText queries[] = {
        {&Query1, "pelk", "select * from pelk"},
        {&Query2, "pelk", "select * from pelk"},
        {&Qrypelk, "pelk", "select * from pelk"},
        {&QryCgwcdw, "cgwcdw", "select * from cgwcdw"},
        {&QryJdwyhmd, "jdwyhmd", "select * from jdwyhmd"},
        {&QryCgwcr, "cgwcr", "select * from cgwcr"},
        {&Qrydwqk, "dwqk", "select * from dwqk"},
        {&tempquery, "pelk", "select * from pelk"},
        {&QryCheckUp, "checkup", "select * from CheckUp"},
        {&Qryunit, "unit", "select * from unit"},
        {&Qryexpert, "unitexpert", "select * from unitexpert"},
    };
    for (const QueryText& q : queries) {
        attempt(QString::fromLatin1(q.table), {q.query->objectName()},
                [&] { OpenQueryText(*q.query, QString::fromLatin1(q.sql)); });
    }

    T_temp_in.setFolder(DataPath);
    const auto openTable = [this](engine::Table& table, const QString& fileName) {
        attempt(fileName, {table.objectName()}, [&] {
            table.close();
            table.setFolder(DataPath);
            table.setTableName(fileName);
            table.open();
        });
    };
    openTable(T_temp_out, QStringLiteral("pelk.DBF"));
    for (const Lookup& lookup : kLookups) {
        engine::Table& table = this->*(lookup.table);
        attempt(QStringLiteral("zdxx.dbf"), {table.objectName()}, [&] {
            table.close();
            table.setFolder(DataPath);
            table.setTableName(QStringLiteral("zdxx.dbf"));
            table.setFilter(QStringLiteral("zddm='%1'").arg(QString::fromLatin1(lookup.item)));
            table.setFiltered(true);
            table.open();
        });
    }

    HasLibraryClass = !findDataFile(QStringLiteral("ztflh.dbf")).isEmpty();
    Tztflh2.setFolder(DataPath);
    Tztflh2.setTableName(QStringLiteral("ztflh.dbf"));
    if (HasLibraryClass) {
        openTable(Tztflh2, QStringLiteral("ztflh.dbf"));
    }
    HasDisciplineClass = !findDataFile(QStringLiteral("xkfl.dbf")).isEmpty();
    Txkfl2.setFolder(DataPath);
    Txkfl2.setTableName(QStringLiteral("xkfl.dbf"));
    if (HasDisciplineClass) {
        openTable(Txkfl2, QStringLiteral("xkfl.dbf"));
    }

    openTable(Tblgxjs, QStringLiteral("gxjs.dbf"));
    openTable(TblDFJHZDXX, QStringLiteral("DFJHZDXX.DBF"));
    openTable(Tblzdxx, QStringLiteral("zdxx.dbf"));
    openTable(Tblpelk, QStringLiteral("pelk.dbf"));
    openTable(TblCgwcdw, QStringLiteral("cgwcdw.DBF"));
    openTable(Tbljdwyhmd, QStringLiteral("jdwyhmd.DBF"));
    openTable(TblCgwcr, QStringLiteral("cgwcr.DBF"));
    openTable(Tblunit, QStringLiteral("unit.dbf"));
    openTable(Tblexpert, QStringLiteral("unitexpert.dbf"));
    openTable(tblzlqk, QStringLiteral("zlqk.dbf"));
    openTable(tblzdxx1, QStringLiteral("zdxx1.dbf"));
    openTable(tblProvince, QStringLiteral("province.dbf"));
    openTable(tblLsbw, QStringLiteral("lsbw.dbf"));
    openTable(TblwcrNew, QStringLiteral("cgwcrNew.dbf"));
    Table1.setFolder(DataPath);
    Table2.setFolder(DataPath);
    TableWcrTemp.setFolder(DataPath);
}

} // namespace tamsel::core
