// The patents of the current achievement: narrowing the table, counts and summary, renumbering
// and the grid model.
#include "entry/patent_list.h"

#include "core/data_module.h"
#include "core/main_form.h"
#include "core/page_helpers.h"
#include "engine/dataset.h"
#include "engine/error.h"

#include <QColor>
#include <QSignalBlocker>

namespace tamsel::entry {

void filterPatentsToCurrent(core::TDM& dm, const core::TMainForm& mainForm) {
    engine::Table& patents = dm.tblzlqk;
    core::filterToCurrent(patents, mainForm);
    if (!patents.isActive()) {
        patents.open();
    }
}

QString PatentCounts::summary() const {
    if (granted > 0) {
        return QStringLiteral("3");
    }
    return applied > 0 ? QStringLiteral("2") : QStringLiteral("1");
}

QString PatentCounts::typeCodes() const {
    QString codes;
    for (int type = 1; type <= 3; ++type) {
        if (types[type]) {
            codes += QString::number(type) + QLatin1Char(';');
        }
    }
    return codes;
}

namespace {

void countRow(engine::Dataset& patents, PatentCounts& counts) {
    ++counts.rows;
    const QString status = patents.asString(u"PATENT_ST").trimmed();
    if (status == QLatin1String("1")) {
        ++counts.applied;
    } else if (status == QLatin1String("2")) {
        ++counts.granted;
    }
    const QString type = patents.asString(u"PATENT_TY").trimmed();
    if (type == QLatin1String("1") || type == QLatin1String("2") || type == QLatin1String("3")) {
        counts.types[type.toInt()] = true;
    }
}

// Resumes the views however the walk ends.
struct ControlsOff {
    explicit ControlsOff(engine::Dataset& d) : dataset(d) { dataset.disableControls(); }
    ~ControlsOff() { dataset.enableControls(); }
    ControlsOff(const ControlsOff&) = delete;
    ControlsOff& operator=(const ControlsOff&) = delete;
    engine::Dataset& dataset;
};

} // namespace

PatentCounts countPatents(engine::Dataset& patents) {
    PatentCounts counts;
    if (!patents.isActive()) {
        return counts;
    }
    ControlsOff off(patents);
    const int saved = patents.recNo();
    for (patents.first(); !patents.eof(); patents.next()) {
        countRow(patents, counts);
    }
    if (saved > 0 && saved <= patents.recordCount()) {
        patents.setRecNo(saved);
    }
    return counts;
}

PatentCounts renumberPatents(engine::Dataset& patents) {
    PatentCounts counts;
    if (!patents.isActive()) {
        return counts;
    }
    ControlsOff off(patents);
    int number = 0;
    for (patents.first(); !patents.eof(); patents.next()) {
        ++number;
        if (patents.asString(u"ITEM_NO").trimmed() != QString::number(number)) {
            patents.edit();
            patents.setValue(u"ITEM_NO", number);
            try {
                patents.post();
            } catch (const engine::EngineError&) {
                patents.cancel();
                throw;
            }
        }
        countRow(patents, counts);
    }
    return counts;
}

// --- Grid ------------------------------------------------------------------------------------------------

PatentGridModel::PatentGridModel(engine::Dataset& statusTexts, engine::Dataset& typeTexts, QObject* parent)
    : QAbstractTableModel(parent), m_statusTexts(statusTexts), m_typeTexts(typeTexts) {}

void PatentGridModel::setDataset(engine::Dataset* dataset) {
    if (m_dataset) {
        disconnect(m_dataset, nullptr, this, nullptr);
    }
    m_dataset = dataset;
    if (m_dataset) {
        connect(m_dataset, &engine::Dataset::dataChanged, this, [this] {
            if (m_dataset && !m_dataset->controlsDisabled()) {
                reload();
            }
        });
    }
    reload();
}

QHash<QString, QString> PatentGridModel::readTexts(engine::Dataset& lookup) const {
    QHash<QString, QString> texts;
    try {
        if (!lookup.isActive()) {
            return texts;
        }
        for (lookup.first(); !lookup.eof(); lookup.next()) {
            texts.insert(lookup.asString(u"xxdm").trimmed(), lookup.asString(u"xxmc").trimmed());
        }
    } catch (const engine::EngineError&) {
        // A dictionary that cannot be read leaves the text columns empty; the codes still show.
    }
    return texts;
}

void PatentGridModel::reload() {
    beginResetModel();
    m_rows.clear();
    engine::Dataset* patents = m_dataset;
    if (patents && patents->isActive() && patents->state() == engine::Dataset::State::Browse) {
        const QHash<QString, QString> statusTexts = readTexts(m_statusTexts);
        const QHash<QString, QString> typeTexts = readTexts(m_typeTexts);
        try {
            // Reading moves the shared cursor; it is put back before anyone sees it.
            const QSignalBlocker blocker(patents);
            const int saved = patents->recNo();
            for (patents->first(); !patents->eof(); patents->next()) {
                const QString status = patents->asString(u"PATENT_ST").trimmed();
                const QString type = patents->asString(u"PATENT_TY").trimmed();
                m_rows.append({patents->asString(u"ITEM_NO"), statusTexts.value(status),
                               typeTexts.value(type), patents->asString(u"PATENT_NO"),
                               patents->asString(u"PATENT_NAM"), status, type, patents->asString(u"ITEM_4"),
                               patents->asString(u"ITEM_DQDM")});
            }
            if (saved > 0) {
                patents->setRecNo(saved);
            }
        } catch (const engine::EngineError&) {
            m_rows.clear();
        }
    }
    endResetModel();
}

int PatentGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PatentGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PatentGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= ColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return m_rows.at(index.row()).at(index.column());
    }
    return {};
}

QVariant PatentGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    if (role == Qt::ForegroundRole) {
        return core::maroon();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    static const char* const titles[ColumnCount] = {"序号",     "专利状况",     "专利类型",
                                                    "专利号",   "专利名称",     "状况代码",
                                                    "类型代码", "成果管理编号", "地区代码"};
    return section >= 0 && section < ColumnCount ? QVariant(QString::fromUtf8(titles[section])) : QVariant();
}

Qt::ItemFlags PatentGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace tamsel::entry
