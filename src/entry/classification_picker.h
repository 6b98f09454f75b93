#pragma once

#include <QAbstractItemModel>
#include <QDialog>
#include <QIcon>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

namespace Ui {
class TFormTree;
}

namespace tamsel::engine {
class Table;
}

namespace tamsel::core {
class TDM;
}

namespace tamsel::entry {

// A classification table held in memory as a tree. The picker loads tables of tens of
// thousands of rows, so nodes live in one flat vector and the view asks for them lazily;
// nothing goes back to the database while the user browses.
class ClassTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        LevelRole = Qt::UserRole + 1, // 0 for the root
        ImageIndexRole,               // the node's image: its level
        SelectedIndexRole,            // image shown while selected: 0 for the root, 5 below
    };
    static constexpr int kSelectedImage = 5;

    explicit ClassTreeModel(QObject* parent = nullptr);
    ~ClassTreeModel() override;

    // Empties the tree and adds the root node with the given text.
    void resetWithRoot(const QString& rootText);
    void clear();

    // Builders for a load. beginBuild() drops every node but the root; nodes added between
    // beginBuild() and endBuild() are published to views in one reset.
    void beginBuild();
    // Adds text as the last child of parentNode and returns the new node's id.
    int addNode(int parentNode, const QString& text, int level);
    void reserve(int nodes) { m_nodes.reserve(static_cast<size_t>(nodes)); }
    void endBuild();

    static constexpr int kRootNode = 0;
    int nodeCount() const { return static_cast<int>(m_nodes.size()); }
    int nodeLevel(int node) const { return m_nodes[static_cast<size_t>(node)].level; }
    QModelIndex indexOfNode(int node) const;
    int nodeOf(const QModelIndex& index) const; // -1 for an invalid index

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Node {
        QString text;
        int parent = -1;
        int row = 0; // position among the parent's children
        int level = 0;
        std::vector<int> children;
    };
    QIcon iconFor(int level) const;

    std::vector<Node> m_nodes;
    // By level 0..4, each with the selected image as its Selected mode; drawn on first use.
    mutable std::vector<QIcon> m_icons;
    bool m_building = false;
};

// The classification picker: shows one classification table (discipline, library or
// high-technology fields) as a tree and writes the chosen node's text, code + two blanks +
// name, into the edit it was opened for. One shared window serves every calling page; the
// edit it was last opened for is the only one it ever writes to.
class TFormTree : public QDialog {
    Q_OBJECT
public:
    // The picker's table object is borrowed from the data module (its Table1); the picker
    // only sets the table's name before each use.
    explicit TFormTree(engine::Table& table, QWidget* parent = nullptr);
    explicit TFormTree(core::TDM& dm, QWidget* parent = nullptr);
    ~TFormTree() override;

    static QString rootText() { return QStringLiteral("详细分类"); }

    // Makes target the only active target for tableFile ("xkfl.dbf", "ztflh.dbf", "gxjs.dbf"),
    // loads the tree and shows the picker modally. Returns QDialog::Accepted when a node was
    // confirmed into the target. When the table cannot be loaded the error has been shown, the
    // picker is not shown and Rejected is returned.
    int OpenFor(QLineEdit* target, const QString& tableFile);

    // Makes target the only active target, for tableFile, without showing anything.
    void SetActiveTarget(QLineEdit* target, const QString& tableFile);
    // The active target and its table, as OpenFor set them.
    QLineEdit* activeTarget() const { return m_target; }
    QString activeTableFile() const { return m_tableFile; }
    ClassTreeModel* treeModel() const { return m_model; }

    // Loads the tree from the active target's table. Returns false (after showing the error)
    // when the table cannot be opened or holds a level that is not a whole number; the table
    // is closed in every case.
    bool loadTree();

public slots:
    // Reopens the table under the active target's name, loads the tree and selects the root.
    bool FormShow();
    void Button1Click(); // 确认
    void Button2Click(); // 取消

public:
    // Closing the window by its close box or Esc counts as 取消.
    void reject() override;

private:
    void finish(int result);

    std::unique_ptr<Ui::TFormTree> m_ui;
    engine::Table& m_table;
    ClassTreeModel* m_model = nullptr;
    QPointer<QLineEdit> m_target;
    QString m_tableFile;
};

} // namespace tamsel::entry
