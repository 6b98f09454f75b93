#pragma once

// The export dialog TFormout: pick a folder and achievements, write cgsbqy.arj there.

#include "exchange/achievement_rows.h"

#include <QDialog>
#include <memory>

class QFileSystemModel;

namespace Ui {
class TFormout;
}

namespace tamsel::exchange {

class TFormout : public QDialog {
    Q_OBJECT
public:
    explicit TFormout(QString dataFolder, QWidget* parent = nullptr);
    ~TFormout() override;

    Ui::TFormout* ui() const { return m_ui.get(); }
    AchievementRowsModel* rowsModel() const { return m_rows; }
    int selectedCount() const;
    bool busy() const { return m_busy; }

    // FormShow, then modal.
    int Execute();

public slots:
    void FormShow();
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void RadioButton5Click();
    void RadioButton7Click();
    void ComboBox2Change();
    void Button2Click(); // 导出
    void Button1Click(); // 退出

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRows(const QString& yearPrefix);
    void updateCount();
    void setBusy(bool busy);
    void setFolder(const QString& folder);

    QString m_dataFolder;
    QString m_lastFolder; // of the last export in this run
    std::unique_ptr<Ui::TFormout> m_ui;
    AchievementRowsModel* m_rows;
    QFileSystemModel* m_dirs;
    bool m_busy = false;
};

} // namespace tamsel::exchange
