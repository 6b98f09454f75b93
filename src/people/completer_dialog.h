#pragma once

#include <QList>
#include <QVariant>
#include <memory>

#include "core/child_list.h"

namespace Ui {
class TFinto8;
}

namespace tamsel::core {
class TDM;
class TMainForm;
} // namespace tamsel::core

namespace tamsel::people {

// The entry dialog of one completer. Its caption tells the mode: the add caption appends a
// person to the list, the modify caption changes the list's current row.
class TFinto8 : public core::childlist::EntryDialog {
    Q_OBJECT
public:
    TFinto8(core::TDM& dm, core::TMainForm& mainForm, QWidget* parent = nullptr);
    ~TFinto8() override;

    Ui::TFinto8* ui() const { return m_ui.get(); }
    static QString addCaption();
    static QString modifyCaption();

public slots:
    void FormShow() override;
    void Button1Click(); // 储存
    void Button2Click(); // 退出

public:
    void reject() override; // Esc leaves as 退出 does

private:
    // 储存; true when the dialog may close (stored, or nothing to store).
    bool store();
    bool differsFromRow() const;
    // The person pool learns the person just added (by name; a name found twice is left alone).
    void updatePool(const QList<QVariant>& row);

    std::unique_ptr<Ui::TFinto8> m_ui;
    core::TDM& m_dm;
    core::TMainForm& m_main;
};

} // namespace tamsel::people
