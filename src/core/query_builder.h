#pragma once

// The lower panel of the main window: conditions on any registration item, joined with
// and / or / not and parentheses, narrow the list of the selected category and year.

#include <QObject>
#include <QString>

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

    // The piece "加入" appends for the current item, comparison and value (" item_3 like '%x%'").
    QString conditionPiece() const;
    // The year as it goes into a query: its first four characters when they are digits,
    // otherwise the trimmed text cut to four characters with quotes doubled.
    static QString yearPrefix(const QString& yearText);
    // The whole statement "查询" runs for a condition, category position and year text.
    static QString queryText(const QString& condition, int category, const QString& yearText);
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
    bool conditionIsMalformed(const QString& sql) const;
    void showEngineError(const QString& message);

    TMainForm& m_main;
    Ui::TMainForm& m_ui;
};

} // namespace tamsel::core
