#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFinto6;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::entry {

// One patent of the current achievement, new or changed; the caption carries the mode.
class TFinto6 : public QDialog {
    Q_OBJECT
public:
    TFinto6(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFinto6() override;

    static QString newCaption();  // "新增－－【专利情况】"
    static QString editCaption(); // "修改－－【专利情况】"

    Ui::TFinto6* ui() const { return m_ui.get(); }
    bool isEditMode() const;
    // Whether either list was changed since the dialog was shown.
    bool changed() const { return m_changed; }

    // Sets the caption for the mode and shows the dialog modally.
    int Execute(bool editMode);

public slots:
    void FormShow();
    void ListChange();
    void btnSaveClick(); // 储存
    void btnQuitClick(); // 退出

public:
    // Esc runs 退出; the dialog never just closes.
    void reject() override;
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The first failing check's message; empty when the input may be saved.
    QString checkMessage() const;
    // Saves; false (the dialog stays as it is) when a check or the write failed.
    bool save();

    std::unique_ptr<Ui::TFinto6> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
    bool m_changed = false;
    bool m_filling = false;
};

} // namespace tamsel::entry
