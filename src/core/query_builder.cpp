// The query builder of the main window: assembles an SQL condition over pelk from item,
// comparison and value, and runs it within the selected category and year.

#include "core/query_builder.h"

#include "core/achievement_grid_model.h"
#include "core/data_module.h"
#include "core/main_form.h"
#include "engine/error.h"
#include "engine/expr.h"
#include "engine/query.h"
#include "engine/sql.h"
#include "platform/prompt.h"
#include "ui_main_form.h"

#include <QApplication>
#include <exception>

namespace tamsel::core {

using engine::EngineError;
using platform::Icon;

namespace {

const QString kSyntaxMessage = QStringLiteral("条件输入有误，请检查");
const QString kOtherMessage = QStringLiteral("请检查查询输入框,重新选择条件");

bool isDigits(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// The escape of the like patterns the builder binds, and a value made literal within one.
const QString kLikeEscape = QStringLiteral(" escape '\\'");
QString likeLiteral(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    value.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return value;
}

// The value as the box shows it inside quotes.
QString quoted(const QString& value) {
    QString text = value;
    text.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("'") + text + QStringLiteral("'");
}

} // namespace

QueryBuilder::QueryBuilder(TMainForm& main) : QObject(&main), m_main(main), m_ui(*main.ui()) {
    connect(m_ui.ComboBox5, &QToolButton::clicked, this, &QueryBuilder::ComboBox5DropDown);
    connect(m_ui.ComboBox6, &QToolButton::clicked, this, &QueryBuilder::ComboBox6DropDown);
    connect(m_ui.SpeedButton24, &QPushButton::clicked, this, &QueryBuilder::SpeedButton24Click);
    connect(m_ui.SpeedButton15, &QPushButton::clicked, this, &QueryBuilder::SpeedButton15Click);
    connect(m_ui.SpeedButton17, &QPushButton::clicked, this, &QueryBuilder::SpeedButton17Click);
    connect(m_ui.SpeedButton18, &QPushButton::clicked, this, &QueryBuilder::SpeedButton18Click);
    connect(m_ui.SpeedButton20, &QPushButton::clicked, this, &QueryBuilder::SpeedButton20Click);
    connect(m_ui.SpeedButton21, &QPushButton::clicked, this, &QueryBuilder::SpeedButton21Click);
    connect(m_ui.SpeedButton16, &QPushButton::clicked, this, &QueryBuilder::SpeedButton16Click);
    connect(m_ui.SpeedButton26, &QPushButton::clicked, this, &QueryBuilder::SpeedButton26Click);
    connect(m_ui.SpeedButton23, &QPushButton::clicked, this, &QueryBuilder::SpeedButton23Click);
}

QueryBuilder* QueryBuilder::of(const TMainForm& main) {
    return main.findChild<QueryBuilder*>(QString(), Qt::FindDirectChildrenOnly);
}

QString QueryBuilder::yearPrefix(const QString& yearText) {
    const QString year = yearText.left(4);
    if (year.size() == 4 && isDigits(year)) {
        return year;
    }
    return year.trimmed();
}

QueryBuilder::Statement QueryBuilder::queryText(const QString& condition, const QList<Piece>& pieces,
                                                int category, const QString& yearText,
                                                const QString& yearName) {
    Statement statement;
    const QString text = condition.trimmed();
    QString bound;
    qsizetype from = 0;
    for (const Piece& piece : pieces) {
        const qsizetype at = text.indexOf(piece.shown, from);
        if (at < 0) {
            continue; // cut out or edited: what is left runs as shown
        }
        bound += text.mid(from, at - from) + piece.bound;
        statement.params.insert(piece.name, piece.value);
        from = at + piece.shown.size();
    }
    bound += text.mid(from);
    statement.params.insert(yearName, QString(likeLiteral(yearPrefix(yearText)) + QStringLiteral("%")));
    statement.sql =
        QStringList{QStringLiteral("select * from pelk"), QStringLiteral(" where  ("), bound,
                    QStringLiteral(" ) and (item_cglb='") + QString::number(category + 1) +
                        QStringLiteral("' and item_4 like :") + yearName + kLikeEscape + QStringLiteral(")")}
            .join(QLatin1Char('\n'));
    return statement;
}

bool QueryBuilder::parenthesesInOrder(const QString& condition) {
    QString rest = condition;
    while (rest.contains(QLatin1Char('(')) && rest.contains(QLatin1Char(')'))) {
        const qsizetype close = rest.indexOf(QLatin1Char(')'));
        if (close < rest.indexOf(QLatin1Char('('))) {
            return false;
        }
        rest = rest.mid(close + 1);
    }
    return true;
}

QueryBuilder::Piece QueryBuilder::conditionPiece(const QString& name) const {
    TDM* dm = m_main.dataModule();
    const QString itemText = m_ui.ComboBox2->currentText();
    QString field;
    if (dm && m_ui.ComboBox2->currentIndex() >= 0) {
        engine::Table& items = dm->tblzdxx1;
        const QVariant record = m_ui.ComboBox2->currentData();
        items.setRecNo(record.isValid() ? record.toInt() : m_ui.ComboBox2->currentIndex() + 1);
        field = items.fieldCount() > 1 ? items.asString(1).trimmed() : QString();
    }
    if (itemText == QStringLiteral("评价形式(软、基)")) {
        field = QStringLiteral("item_21");
    }

    QString value;
    if (!m_ui.Combobox3->isHidden()) {
        value = m_ui.Combobox3->currentText().left(3).trimmed();
    } else if (itemText.contains(QStringLiteral("分类号"))) {
        // A picked classification reads "code  name"; only the code is compared.
        const QString text = m_ui.Edit2->text();
        const qsizetype blanks = text.indexOf(QStringLiteral("  "));
        value = (blanks < 0 ? text : text.left(blanks)).trimmed();
    } else {
        value = m_ui.Edit2->text();
    }
    const QString comparison = m_ui.ComboBox4->currentText();
    Piece piece;
    piece.name = name;
    if (comparison == QStringLiteral("包含")) {
        piece.shown = QStringLiteral(" ") + field + QStringLiteral(" like ") +
                      quoted(QStringLiteral("%") + value + QStringLiteral("%"));
        piece.bound = QStringLiteral(" ") + field + QStringLiteral(" like :") + name + kLikeEscape;
        piece.value = QStringLiteral("%") + likeLiteral(value) + QStringLiteral("%");
    } else {
        piece.shown = QStringLiteral(" ") + field + QStringLiteral(" ") + comparison + quoted(value);
        piece.bound =
            QStringLiteral(" ") + field + QStringLiteral(" ") + comparison + QStringLiteral(":") + name;
        piece.value = value;
    }
    return piece;
}

QString QueryBuilder::nextName(const QString& stem) {
    return stem + QString::number(++m_names);
}

void QueryBuilder::refreshValueList() {
    const QString item = m_ui.ComboBox2->currentText();
    if (item.contains(QStringLiteral("隶属部委")) || item.contains(QStringLiteral("分类号"))) {
        m_main.ComboBox2Change();
    }
}

void QueryBuilder::ComboBox5DropDown() {
    if (m_main.Hooks.pickClass) {
        m_main.Hooks.pickClass(m_ui.Edit2, QStringLiteral("ztflh.dbf"));
    }
}

void QueryBuilder::ComboBox6DropDown() {
    if (m_main.Hooks.pickClass) {
        m_main.Hooks.pickClass(m_ui.Edit2, QStringLiteral("xkfl.dbf"));
    }
}

void QueryBuilder::SpeedButton24Click() {
    Piece piece;
    try {
        piece = conditionPiece(nextName(QStringLiteral("qb")));
    } catch (const EngineError& e) {
        showEngineError(e.message());
        return;
    }
    m_pieces.append(piece);
    QTextCursor cursor = m_ui.MMSysV->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(piece.shown);
    m_ui.MMSysV->setTextCursor(cursor);
}

void QueryBuilder::insertAtCaret(const QString& text) {
    m_ui.MMSysV->textCursor().insertText(text);
    m_ui.MMSysV->moveCursor(QTextCursor::End);
}

void QueryBuilder::SpeedButton15Click() {
    insertAtCaret(QStringLiteral("and "));
}

void QueryBuilder::SpeedButton17Click() {
    insertAtCaret(QStringLiteral("not "));
}

void QueryBuilder::SpeedButton18Click() {
    insertAtCaret(QStringLiteral("or "));
}

void QueryBuilder::SpeedButton20Click() {
    insertAtCaret(QStringLiteral("("));
}

void QueryBuilder::SpeedButton21Click() {
    insertAtCaret(QStringLiteral(")"));
}

void QueryBuilder::SpeedButton23Click() {
    // The box is read-only so nothing is typed into it; cutting is the one way to edit it.
    m_ui.MMSysV->setReadOnly(false);
    m_ui.MMSysV->cut();
    m_ui.MMSysV->setReadOnly(true);
}

void QueryBuilder::SpeedButton26Click() {
    m_main.LoadAchievementList();
    m_ui.MMSysV->clear();
    m_pieces.clear();
    reevaluate();
}

void QueryBuilder::SpeedButton16Click() {
    TDM* dm = m_main.dataModule();
    if (!dm) {
        return;
    }
    engine::Query& list = dm->Qrypelk;
    // Failures go back to the list shown before this query; SavedListSql stays the plain list
    // of category and year, for 恢复 and for the other windows.
    const QString before = list.sql();
    const QString condition = m_ui.MMSysV->toPlainText();

    if (!parenthesesInOrder(condition)) {
        m_main.ShowWarning(QStringLiteral("您的查询语句含有不正确的的“（”“）”,请修改！"));
        return;
    }
    if (condition.isEmpty()) {
        platform::showMessage(&m_main, QStringLiteral("信息"), QStringLiteral("没有条件无法查询!"),
                              Icon::Information);
        restoreList(before);
        return;
    }

    const Statement statement = queryText(condition, m_pieces, std::max(0, m_ui.ComboBox1->currentIndex()),
                                          m_ui.cbYear->currentText(), nextName(QStringLiteral("qby")));
    QString failure;
    try {
        // The names are new, so the values of the statement shown before stay bound for going back.
        for (auto it = statement.params.cbegin(); it != statement.params.cend(); ++it) {
            list.setParam(it.key(), it.value());
        }
        m_main.ReopenQuery(list, statement.sql);
    } catch (const EngineError&) {
        failure = conditionIsMalformed(statement) ? kSyntaxMessage : kOtherMessage;
    } catch (const std::exception&) {
        failure = kOtherMessage;
    }
    if (!failure.isEmpty()) {
        platform::showBox(&m_main, {QStringLiteral("请注意！"), failure, Icon::Question, platform::Ok});
        restoreList(before);
        return;
    }

    m_main.RenumberList();
    if (list.isActive() && list.isEmpty()) {
        platform::showMessage(&m_main, QStringLiteral("信息"),
                              QStringLiteral("没找到符合条件的条目,请再输入合适语句!"), Icon::Information);
        restoreList(before);
        return;
    }
    reevaluate();
}

void QueryBuilder::restoreList(const QString& text) {
    TDM* dm = m_main.dataModule();
    try {
        m_main.ReopenQuery(dm->Qrypelk, text.isEmpty() ? dm->SavedListSql : text);
    } catch (const EngineError& e) {
        showEngineError(e.message());
    }
    m_main.gridModel()->reload();
    reevaluate();
}

void QueryBuilder::reevaluate() {
    m_main.MarkIncompletePages();
    m_main.ApplyCompleteness();
}

bool QueryBuilder::conditionIsMalformed(const Statement& statement) const {
    std::shared_ptr<engine::DbfFile> pelk;
    try {
        pelk = engine::DbfFile::open(m_main.dataModule()->DataPath, QStringLiteral("pelk.dbf"));
    } catch (const EngineError&) {
        return false; // the file is at fault, not the condition
    }
    engine::expr::Params params;
    for (auto it = statement.params.cbegin(); it != statement.params.cend(); ++it) {
        params.insert(engine::expr::paramKey(it.key()), it.value());
    }
    try {
        const engine::sql::Statement parsed = engine::sql::parse(statement.sql);
        if (parsed.where) {
            engine::expr::Condition::compile(*parsed.where, *pelk, params,
                                             engine::sql::sqlSource(statement.sql));
        }
    } catch (const EngineError&) {
        return true;
    }
    return false;
}

void QueryBuilder::showEngineError(const QString& message) {
    platform::showBox(&m_main, {QStringLiteral("提示"), message, Icon::Warning, platform::Ok});
}

} // namespace tamsel::core
