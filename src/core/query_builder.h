#pragma once

// The lower panel of the main window: conditions on any registration item, joined with
// and / or / not and parentheses, narrow the list of the selected category and year.

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

namespace Ui {
class TMainForm;
}

namespace tamsel::core {

class TMainForm;

class QueryBuilder : public QObject {
    Q_OBJECT
public:
    // Wires itself to the panel's controls; owned by the main window.
    explicit QueryBuilder(TMainForm& main);
    // The builder of a main window.
    static QueryBuilder* of(const TMainForm& main);

    // A condition as the box shows it (" item_3 like '%x%'") and as it runs, its value bound
    // under name, so a quote, a % or text that reads like SQL is searched as typed.
    struct Piece {
        QString shown;
        QString bound;
        QString name;
        QString value;
    };
    // A statement with the values of its :names.
    struct Statement {
        QString sql;
        QHash<QString, QVariant> params;
    };

    // The piece "加入" appends for the current item, comparison and value.
    Piece conditionPiece(const QString& name) const;
    // The year as it goes into a query: its first four characters when they are digits,
    // otherwise the trimmed text cut to four characters.
    static QString yearPrefix(const QString& yearText);
    // The statement "查询" runs for the box's condition, category position and year text. Each
    // piece "加入" made that the box still holds as made runs with its value bound; any other
    // text runs as the box shows it. The year is bound under yearName.
    static Statement queryText(const QString& condition, const QList<Piece>& pieces, int category,
                               const QString& yearText, const QString& yearName);
    // The parenthesis check: false when a ")" stands before the next "(".
    static bool parenthesesInOrder(const QString& condition);
    // Refills the value list when the current item lists a code table (after code maintenance).
    void refreshValueList();

public slots:
    void ComboBox5DropDown();  // library classification picker
    void ComboBox6DropDown();  // discipline classification picker
    void SpeedButton24Click(); // 加入
    void SpeedButton15Click(); // and
    void SpeedButton17Click(); // not
    void SpeedButton18Click(); // or
    void SpeedButton20Click(); // (
    void SpeedButton21Click(); // )
    void SpeedButton16Click(); // 查询
    void SpeedButton26Click(); // 恢复
    void SpeedButton23Click(); // 剪切

private:
    void insertAtCaret(const QString& text);
    // Puts the list back as it was before 查询 (a failure keeps the condition for correction).
    void restoreList(const QString& text);
    // Re-evaluates the current achievement's pages and the lock, as every list change does.
    void reevaluate();
    // Whether a failed statement is the user's condition at fault (syntax, unknown field, a
    // value of the wrong kind) rather than the files.
    bool conditionIsMalformed(const Statement& statement) const;
    void showEngineError(const QString& message);
    // A parameter name not used before on the list, so the values of an earlier statement stay
    // bound for going back to it.
    QString nextName(const QString& stem);

    QList<Piece> m_pieces;
    int m_names = 0;

    TMainForm& m_main;
    Ui::TMainForm& m_ui;
};

} // namespace tamsel::core
