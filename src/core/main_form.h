#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "core/option_controls.h"
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
class Achievements;
class PelkGridModel;
class TFormNew;

// The main window: the achievement list of one category and year, the page and action buttons,
// the completeness lock and the query builder.
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
    // Reloads Qrypelk for the selected category and year and remembers the text in SavedListSql,
    // then numbers the list and evaluates the current achievement's pages and lock (the lock only
    // once a unit profile exists). Returns false (after showing the engine's message) when the
    // list could not be opened.
    bool LoadAchievementList();
    // Fills cbYear from a query that returns item_4 values in descending order.
    void FillYearList(engine::Dataset& query);
    // Writes 1, 2, 3, ... into NO of the listed records in list order.
    void RenumberList();
    // Closes the query, replaces its text and opens it. Throws engine::EngineError.
    void ReopenQuery(engine::Query& query, const QString& text);
    // Reopens one of the child queries for the current achievement ("cgwcdw", "jdwyhmd", "cgwcr").
    // Throws engine::EngineError.
    void reopenChildQuery(engine::Query& query, const QString& table);
    bool isListEmpty() const;
    // The list's category (0 applied technology, 1 basic theory, 2 soft science) and year, for the
    // dialogs that follow or set them; selecting another category reloads the list.
    int listCategory() const;
    QString listYear() const;
    void selectListCategory(int category);
    // Selects the year in the year list when it holds it; the list is not reloaded.
    void selectListYear(const QString& year);
    // A field of the current achievement, trimmed; empty when the list is empty.
    QString currentValue(const QString& field) const;
    // Enables the page buttons, the lists, the grid and the commands when a unit profile exists
    // (and the achievement table opened at start), else disables them; 删除 and 导入 stay as
    // they were unless the achievement table is unusable. True when enabled. Run at start and
    // again after the unit profile window closes.
    bool enableCommands();

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

    // The main window's own warnings.
    void ShowWarning(const QString& text) { core::ShowWarning(this, text); }

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
    bool storeNewAchievement(TFormNew& dialog);
    bool storeMainItems(TFormNew& dialog);
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
    // The list query alone: LoadAchievementList without numbering and evaluation.
    bool loadList();
    // The achievement rules over this window's data module (which must be set).
    Achievements achievements() const;
    void connectHandlers();
    QList<QWidget*> lockedControls() const;
    void setListControlsEnabled(bool enabled);
    // Opens a page: an empty list first offers a new achievement; false when still empty.
    bool preparePage();
    void openListPage(engine::Query& query, const QString& table, const std::function<void()>& page);
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
