#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

namespace Ui {
class TFormNew;
}

namespace tamsel::core {

class TMainForm;

// The main-items dialog: category, year, approved registration number, name and first completing
// unit of an achievement. The caption selects the mode: it creates an achievement or changes the
// main items of the current one. The storing itself is the main window's (lifecycle.cpp); this
// window checks the input and keeps the `Clean` flag, without which it cannot be closed.
class TFormNew : public QDialog {
    Q_OBJECT
public:
    static QString createCaption(); // "请填写新项目！"
    static QString changeCaption(); // "修改主要项目！"

    explicit TFormNew(QWidget* parent = nullptr);
    ~TFormNew() override;

    void setMainForm(TMainForm* main);
    TMainForm* mainForm() const;
    Ui::TFormNew* ui() const { return m_ui.get(); }

    // Sets the window up for 新增: caption, empty number and name, the unit's name.
    void prepareCreate(const QString& unitName);
    // Sets the window up for 修改主项 from the achievement's stored values.
    void prepareChange(const QString& category, const QString& number, const QString& registration,
                       const QString& name, const QString& unit);
    // FormShow, then modal.
    int showDialog();
    bool isCreateMode() const;

    int category() const; // list position: 0 应用技术, 1 软科学, 2 基础理论
    QString yearText() const;
    QString registration() const; // as typed
    QString name() const;         // trimmed
    QString unit() const;         // trimmed

    // The trimmed text; when it is empty, clears Clean, shows the message and returns nothing,
    // so the caller abandons the whole action.
    std::optional<QString> RequireText(const QString& text, const QString& message);
    // The window may close only while nothing has been changed since it was shown or stored.
    bool FormCloseQuery() const { return Clean; }

    bool Clean = true;

public slots:
    void FormShow();
    void Button1Click(); // 存储
    void Button2Click(); // 退出
    void ComboBox1Change();
    void cbYearChange();
    void cbYearExit();
    void edt_120Change();
    void edt_3Change();
    void edt_9Change();
    // The up-down beside the year: one year up or down within 1900 to 2050.
    void UpDown1Click(bool up);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    void closeDialog();
    void ShowWarning(const QString& text);

    std::unique_ptr<Ui::TFormNew> m_ui;
    QPointer<TMainForm> m_main;
    bool m_inYearExit = false;
};

} // namespace tamsel::core
