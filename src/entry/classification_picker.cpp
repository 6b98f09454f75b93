// TFormTree, the classification picker: a code table as a tree, searched and picked from.
#include "entry/classification_picker.h"

#include "core/accessibility.h"
#include "core/data_module.h"
#include "core/keyboard.h"
#include "core/page_helpers.h"
#include "engine/dbffile.h"
#include "engine/error.h"
#include "engine/table.h"
#include "platform/prompt.h"
#include "ui_classification_picker.h"

#include <QColor>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeView>
#include <utility>

namespace tamsel::entry {

namespace {

// Small drawn images: one per level, so the depth of a class shows at a glance, and a
// common marker for the selected node.
QPixmap levelPixmap(int level) {
    static const QColor colours[] = {core::maroon(), QColor(0x1f, 0x5f, 0xbf), QColor(0x2e, 0x8b, 0x57),
                                     QColor(0xc0, 0x80, 0x00), QColor(0x70, 0x70, 0x70)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours[level]);
    if (level == 0) {
        painter.drawRoundedRect(QRectF(1.5, 3.5, 13, 10), 2, 2);
    } else {
        const qreal size = 12 - 1.5 * (level - 1);
        painter.drawEllipse(QRectF((16 - size) / 2, (16 - size) / 2, size, size));
    }
    return pixmap;
}

QPixmap selectedPixmap() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(core::maroon());
    painter.drawEllipse(QRectF(2, 2, 12, 12));
    painter.drawLine(QPointF(5, 8), QPointF(7, 10.5));
    painter.drawLine(QPointF(7, 10.5), QPointF(11, 5.5));
    return pixmap;
}

constexpr int kLastImageLevel = 4;

} // namespace

// --- ClassTreeModel ------------------------------------------------------------------------------

ClassTreeModel::ClassTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

ClassTreeModel::~ClassTreeModel() = default;

void ClassTreeModel::resetWithRoot(const QString& rootText) {
    beginResetModel();
    m_nodes.clear();
    Node root;
    root.text = rootText;
    m_nodes.push_back(std::move(root));
    endResetModel();
}

void ClassTreeModel::clear() {
    beginResetModel();
    m_nodes.clear();
    m_nodes.shrink_to_fit();
    endResetModel();
}

void ClassTreeModel::beginBuild() {
    beginResetModel();
    m_building = true;
    if (m_nodes.empty()) {
        m_nodes.emplace_back();
    }
    m_nodes.resize(1);
    m_nodes.front().children.clear();
}

int ClassTreeModel::addNode(int parentNode, const QString& text, int level) {
    const int id = nodeCount();
    Node node;
    node.text = text;
    node.parent = parentNode;
    node.level = level;
    auto& siblings = m_nodes[static_cast<size_t>(parentNode)].children;
    node.row = static_cast<int>(siblings.size());
    siblings.push_back(id);
    m_nodes.push_back(std::move(node));
    return id;
}

void ClassTreeModel::endBuild() {
    m_building = false;
    endResetModel();
}

QModelIndex ClassTreeModel::indexOfNode(int node) const {
    if (node < 0 || node >= nodeCount()) {
        return {};
    }
    return createIndex(m_nodes[static_cast<size_t>(node)].row, 0, static_cast<quintptr>(node));
}

int ClassTreeModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return -1;
    }
    return static_cast<int>(index.internalId());
}

QModelIndex ClassTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (m_building || column != 0 || row < 0) {
        return {};
    }
    if (!parent.isValid()) {
        return row == 0 && !m_nodes.empty() ? createIndex(0, 0, quintptr(kRootNode)) : QModelIndex();
    }
    const auto& children = m_nodes[parent.internalId()].children;
    if (row >= static_cast<int>(children.size())) {
        return {};
    }
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex ClassTreeModel::parent(const QModelIndex& child) const {
    if (m_building || !child.isValid()) {
        return {};
    }
    const int parentNode = m_nodes[child.internalId()].parent;
    return parentNode < 0 ? QModelIndex() : indexOfNode(parentNode);
}

int ClassTreeModel::rowCount(const QModelIndex& parent) const {
    if (m_building) {
        return 0;
    }
    if (!parent.isValid()) {
        return m_nodes.empty() ? 0 : 1;
    }
    if (parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(m_nodes[parent.internalId()].children.size());
}

int ClassTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QIcon ClassTreeModel::iconFor(int level) const {
    if (m_icons.empty()) {
        const QPixmap selected = selectedPixmap();
        for (int i = 0; i <= kLastImageLevel; ++i) {
            QIcon icon;
            icon.addPixmap(levelPixmap(i), QIcon::Normal);
            // The root keeps its own image when selected; every class shows the common marker.
            icon.addPixmap(i == 0 ? levelPixmap(0) : selected, QIcon::Selected);
            m_icons.push_back(icon);
        }
    }
    return m_icons[static_cast<size_t>(std::min(level, kLastImageLevel))];
}

QVariant ClassTreeModel::data(const QModelIndex& index, int role) const {
    if (m_building || !index.isValid()) {
        return {};
    }
    const Node& node = m_nodes[index.internalId()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return node.text;
    case Qt::DecorationRole:
        return iconFor(node.level);
    case LevelRole:
    case ImageIndexRole:
        return node.level;
    case SelectedIndexRole:
        return node.level == 0 ? 0 : kSelectedImage;
    default:
        return {};
    }
}

// --- TFormTree -----------------------------------------------------------------------------------

TFormTree::TFormTree(engine::Table& table, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFormTree>()), m_table(table) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    m_model = new ClassTreeModel(this);
    m_ui->TreeView1->setModel(m_model);
    m_ui->Button1->setAccessibleName(m_ui->Button1->text());
    m_ui->Button2->setAccessibleName(m_ui->Button2->text());
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFormTree::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TFormTree::Button2Click);
    core::nameControlsByLabels(this);
}

TFormTree::TFormTree(core::TDM& dm, QWidget* parent) : TFormTree(dm.Table1, parent) {}

TFormTree::~TFormTree() = default;

int TFormTree::OpenFor(QLineEdit* target, const QString& tableFile) {
    // The previous target stops being active before anything else happens, so a failed
    // opening can never write into the edit of another page.
    SetActiveTarget(target, tableFile);
    if (!target || !FormShow()) {
        m_model->clear();
        return QDialog::Rejected;
    }
    return platform::showModal(this);
}

void TFormTree::SetActiveTarget(QLineEdit* target, const QString& tableFile) {
    m_target = target;
    m_tableFile = tableFile;
}

bool TFormTree::FormShow() {
    const bool loaded = loadTree();
    if (loaded) {
        const QModelIndex root = m_model->indexOfNode(ClassTreeModel::kRootNode);
        m_ui->TreeView1->setCurrentIndex(root);
        m_ui->TreeView1->expand(root);
        m_ui->TreeView1->scrollToTop();
        m_ui->TreeView1->setFocus();
    }
    return loaded;
}

bool TFormTree::loadTree() {
    QString error;
    m_model->resetWithRoot(rootText());
    m_model->beginBuild();
    try {
        m_table.close();
        m_table.setTableName(m_tableFile);
        m_table.open();
        const std::shared_ptr<engine::DbfFile> file = m_table.file();
        if (file->fields().size() < 3) {
            throw engine::EngineError(
                QStringLiteral("分类表 %1 的字段不足三个（级别、代码、名称），无法显示分类树。")
                    .arg(m_tableFile));
        }
        // The table is in tree order: each record hangs under the nearest open ancestor, which
        // is kept on a stack of (level, node). A record that skips levels therefore lands under
        // the closest shallower class instead of a stale subtree or nowhere.
        std::vector<std::pair<int, int>> open{{0, ClassTreeModel::kRootNode}};
        const quint32 count = file->recordCount();
        m_model->reserve(static_cast<int>(count) + 1);
        for (quint32 record = 0; record < count; ++record) {
            if (file->isDeleted(record)) {
                continue;
            }
            const char* row = file->recordData(record);
            const QString levelText = file->text(row, 0).trimmed();
            bool ok = false;
            const int level = levelText.toInt(&ok);
            if (!ok) {
                throw engine::EngineError(
                    QStringLiteral("分类表 %1 第 %2 条记录的级别“%3”不是整数，分类树无法载入。")
                        .arg(m_tableFile)
                        .arg(record + 1)
                        .arg(levelText));
            }
            if (level <= 0) {
                continue;
            }
            while (open.back().first >= level) {
                open.pop_back();
            }
            const QString text =
                file->text(row, 1).trimmed() + QStringLiteral("  ") + file->text(row, 2).trimmed();
            open.emplace_back(level, m_model->addNode(open.back().second, text, level));
        }
    } catch (const engine::EngineError& e) {
        error = e.message();
    }
    try {
        m_table.close();
    } catch (const engine::EngineError& e) {
        if (error.isEmpty()) {
            error = e.message();
        }
    }
    m_model->endBuild();
    if (!error.isEmpty()) {
        m_model->clear();
        platform::showMessage(this, QStringLiteral("Tamsel"), error, platform::Icon::Warning);
        return false;
    }
    return true;
}

void TFormTree::Button1Click() {
    const QModelIndex current = m_ui->TreeView1->currentIndex();
    const int node = m_model->nodeOf(current);
    if (node < 0) {
        return; // nothing chosen yet: stay open
    }
    // The root stands for "no classification": choosing it empties the target.
    const QString text = node == ClassTreeModel::kRootNode ? QString() : current.data().toString();
    if (m_target) {
        m_target->setText(text);
    }
    finish(QDialog::Accepted);
}

void TFormTree::Button2Click() {
    reject();
}

void TFormTree::reject() {
    finish(QDialog::Rejected);
}

void TFormTree::finish(int result) {
    m_model->clear();
    done(result);
}

} // namespace tamsel::entry
