#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "core/window_hooks.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class TMainForm;
}

namespace tamsel::engine {
class Dataset;
class Query;
} // namespace tamsel::engine

namespace tamsel::core {

class TDM;
class PelkGridModel;
class TFormNew;

// The main window: the achievement list of one category and year, the page and action buttons,
// the completeness lock and the query builder. It also carries the option-control operations
// that every entry page uses (dictionary lists, choice panels, warnings).
class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    explicit TMainForm(TDM* dm, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The data module is created after the main window; it is handed over before the window shows.
    void setDataModule(TDM* dm);
    TDM* dataModule() const { return m_dm; }
    // The welcome window that FormShow shows first (none in tests).
    void setWelcomeWindow(QWidget* welcome);
    Ui::TMainForm* ui() const { return m_ui.get(); }
    // The windows above core, set by the program's start-up.
    WindowHooks Hooks;
    PelkGridModel* gridModel() const { return m_gridModel; }

    // --- Achievement list ------------------------------------------------------------------------
    // Reloads Qrypelk for the selected category and year and remembers the text in SavedListSql.
    // Returns false (after showing the engine's message) when the list could not be opened.
    bool LoadAchievementList();
    // Fills cbYear from a query that returns item_4 values in descending order.
    void FillYearList(engine::Dataset& query);
    // Writes 1, 2, 3, ... into NO of the listed records in list order.
    void RenumberList();
    // Closes the query, replaces its text and opens it. Throws engine::EngineError.
    void ReopenQuery(engine::Query& query, const QString& text);
    // Reopens one of the child queries for the current achievement ("cgwcdw", "jdwyhmd", "cgwcr").
    // Throws engine::EngineError.
    void ReopenChildQuery(engine::Query& query, const QString& table);
    bool isListEmpty() const;
    // A field of the current achievement, trimmed; empty when the list is empty.
    QString currentValue(const QString& field) const;
    // Enables the page buttons, the lists, the grid and the commands when a unit profile exists
    // (and the achievement table opened at start), else disables them; 删除 and 导入 stay as
    // they were unless the achievement table is unusable. True when enabled. Run at start and
    // again after the unit profile window closes.
    bool EnableCommands();

    // --- Completeness -----------------------------------------------------------------------------
    void MarkIncompletePages();
    // Locks or unlocks the list and the actions that leave the achievement; true when complete.
    bool ApplyCompleteness();
    // The close guard: false (after the warning) while a required page is open.
    bool FormCloseQuery();

    // Page buttons: done (check mark) or open (question mark). Pages mark their own button done.
    QPushButton* pageButton(const QString& code) const; // "01" ... "09"
    QList<QPushButton*> pageButtons() const;
    static bool isPageDone(const QAbstractButton* button);
    static void setPageDone(QAbstractButton* button, bool done);

    // --- Option controls shared by the entry pages -------------------------------------------------
    void ShowWarning(const QString& text);
    // Fills the combo with "code  text" entries of one dictionary item, without the options of
    // the earlier form edition ("**"); a blank entry is appended unless withoutBlank.
    void FillCodeList(engine::Dataset& table, const QString& itemCode, bool withoutBlank, QComboBox* combo);
    // As FillCodeList, keeping the "**" options (query lists).
    void FillCodeListAll(engine::Dataset& table, const QString& itemCode, bool withoutBlank,
                         QComboBox* combo);
    // "code  (name)" entries from any code table; rows with an empty code or name are skipped.
    void FillCodeNameList(engine::Dataset& table, QComboBox* combo, bool withoutBlank,
                          const QString& codeField, const QString& nameField);
    void FillFieldValues(engine::Dataset& table, QComboBox* combo, const QString& field);
    // Selects the entry whose code part equals code; no match leaves the selection alone.
    void SelectCode(const QString& code, QComboBox* combo);
    // Checks the buttons of a choice panel named by a stored value ("A", "02", "02;05;").
    void CheckCodes(QWidget* form, QWidget* panel, int n, const QString& stored);
    void CheckByCode(QWidget* form, QWidget* panel, int n, const QString& code);
    // Builds the stored value of a panel. False when the caller must abort (too many choices).
    [[nodiscard]] bool CollectCodes(QWidget* form, QWidget* panel, QString& result, const QString& caption,
                                    int n);
    void ClearChoiceButtons(QWidget* form);
    // Unchecks every checked box of the panel except the named one.
    void UncheckOthers(QWidget* panel, const QString& name);
    // Makes the check boxes of a panel behave as a single choice.
    void MakeSingleChoice(QWidget* panel);
    void SplitToEdits(const QString& text, QLineEdit* first, QLineEdit* second, QLineEdit* third);
    void ShowClassCode(engine::Dataset& table, const QString& code, QLineEdit* edit);
    static QString ReplaceTabs(const QString& text);
    // The text with every single quote doubled, for use inside a quoted SQL or filter literal.
    static QString QuoteSql(const QString& text);
    // Amount and count edits: typed characters other than digits (and "." when allowed) are
    // swallowed; editing and navigation keys still work.
    void AcceptDigitsOnly(QLineEdit* edit, bool allowPoint = false);
    // The amount check on a change: a non-empty text that is not a decimal number warns with
    // prefix + " 不是正确的数据格式！现在已经置零" and the edit becomes "0". False when it did.
    bool CheckAmountText(QLineEdit* edit, const QString& prefix);

    // --- Achievement life cycle (lifecycle.cpp) ----------------------------------------------------
    // The main-items dialog; made on first use when the application has not handed one over.
    void setFormNew(TFormNew* dialog);
    TFormNew* formNew();
    // The next free management number of the year in the table (pelk or pelktemp); empty, after
    // a warning, when the year's serials are used up. Throws engine::EngineError.
    QString NextNumber(const QString& year, const QString& table = QStringLiteral("pelk"));
    // Selects the dialog's category and year in the main window and reloads the list.
    void SyncFiltersFromDialog();
    // Deletes the achievement with this key pair from pelk and reloads the list.
    void DeleteMainRecord(const QString& number, const QString& dqdm);
    // 存储 of the main-items dialog after its checks; true when the dialog may close.
    bool StoreNewAchievement(TFormNew& dialog);
    bool StoreMainItems(TFormNew& dialog);
    // The key pair of the achievement that 修改主项 is changing.
    QString OldNumber;
    QString OldDqdm;

public slots:
    void FormCreate();
    void FormShow();
    void FormResize();

    void ComboBox1Change();
    void DBGrid1CellClick();

    void btn_page01Click();
    void btn_page02Click();
    void btn_page03Click();
    void btn_page04Click();
    void btn_page05Click();
    void btn_page07Click();
    void btn_page08Click();
    void btn_page09Click();

    void Button6Click(); // 新增
    void Button3Click(); // 修改主项
    void Button4Click(); // 删除
    void BitBtn1Click(); // 导入
    void BitBtn2Click(); // 导出
    void BitBtn4Click(); // 打印
    void BitBtn3Click(); // 更新指标项
    void Button2Click(); // 单位情况
    void BitBtn7Click(); // 退出

    void ComboBox2Change();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setupControls();
    void connectHandlers();
    QList<QWidget*> lockedControls() const;
    void setListControlsEnabled(bool enabled);
    // Opens a page: an empty list first offers a new achievement; false when still empty.
    bool preparePage();
    void openListPage(engine::Query& query, const QString& table, const std::function<void()>& page);
    void fillCodeList(engine::Dataset& table, const QString& itemCode, bool withoutBlank, QComboBox* combo,
                      bool keepOldEdition);
    void showEngineError(const QString& message);
    bool unitProfileExists() const;
    void syncGridToDataset();
    void onGridRowChanged(int row);

    std::unique_ptr<Ui::TMainForm> m_ui;
    TDM* m_dm = nullptr;
    QPointer<QWidget> m_welcome;
    PelkGridModel* m_gridModel = nullptr;
    bool m_formShown = false;
    bool m_showScheduled = false;
    bool m_syncingGrid = false;

    // Life cycle (lifecycle.cpp).
    void addYearToList(const QString& number);
    void reopenSavedList();
    bool locateAchievement(const QString& number, const QString& dqdm);
    void finishChange(const QString& number);
    QPointer<TFormNew> m_formNew;
};

} // namespace tamsel::core
