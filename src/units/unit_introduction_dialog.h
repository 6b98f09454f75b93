#pragma once

#include "units/unit_memo_dialog.h"

#include <memory>

namespace Ui {
class Tformunitintrod;
}

namespace tamsel::units {

// The text window "单位简介" of the unit profile (field `unitintrod`).
class Tformunitintrod : public UnitMemoDialog {
    Q_OBJECT
public:
    explicit Tformunitintrod(core::TDM& dm, QWidget* parent = nullptr);
    ~Tformunitintrod() override;
    Ui::Tformunitintrod* ui() const { return m_ui.get(); }

private:
    std::unique_ptr<Ui::Tformunitintrod> m_ui;
};

} // namespace tamsel::units
