#pragma once

// The import dialog TFormin: unpack an exchange archive, read it into the import twins, review
// (delete, remove duplicates, rename, change the year) and store it.

#include "exchange/achievement_rows.h"

#include <QDialog>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace Ui {
class TFormin;
}

namespace tamsel::exchange {

class TFormin : public QDialog {
    Q_OBJECT
public:
    explicit TFormin(QString dataFolder, QWidget* parent = nullptr);
    ~TFormin() override;

    Ui::TFormin* ui() const { return m_ui.get(); }
    AchievementRowsModel* rowsModel() const { return m_rows; }
    bool busy() const { return m_busy; }

    // The file choice (title, filter) -> path; a file dialog unless replaced (tests).
    void setChooseFile(std::function<QString(const QString& title, const QString& filter)> choose);
    // "修改成果年份" for the chosen incoming achievement; the button stays off while unset.
    void setYearChange(std::function<void(const AchievementRow& row)> change);
    // Run after achievements were stored, so the main window can reload its lists.
    void setAfterStore(std::function<void()> afterStore) { m_afterStore = std::move(afterStore); }

    // FormShow, then modal.
    int Execute();

public slots:
    void FormShow();
    void Button1Click(); // 请选择导入文件
    void Button3Click(); // 导入
    void Button4Click(); // 排重
    void Button2Click(); // 确定 (renaming a duplicate)
    void Button7Click(); // 删除
    void Button6Click(); // 保存
    void Button8Click(); // 同名覆盖
    void btnformatClick();
    void Label7Click();  // 改名
    void Button5Click(); // 退出

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void reloadRows(int select);
    void recount();
    void setBusy(bool busy);
    void setButtons(bool choose, bool read, bool review);
    void store(bool overwrite);
    int currentRow() const;
    void warn(const QString& caption, const QString& text);

    QString m_dataFolder;
    std::unique_ptr<Ui::TFormin> m_ui;
    AchievementRowsModel* m_rows;
    std::unique_ptr<QTemporaryDir> m_unpacked; // the members of the chosen archive
    std::function<QString(const QString&, const QString&)> m_chooseFile;
    std::function<void(const AchievementRow&)> m_yearChange;
    std::function<void()> m_afterStore;
    bool m_busy = false;
};

} // namespace tamsel::exchange
