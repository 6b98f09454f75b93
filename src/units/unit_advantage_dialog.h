#pragma once

#include "units/unit_memo_dialog.h"

#include <memory>

namespace Ui {
class Tformadvantage;
}

namespace tamsel::units {

// The text window "研发优势简要说明" of the unit profile (field `advantage`).
class Tformadvantage : public UnitMemoDialog {
    Q_OBJECT
public:
    explicit Tformadvantage(core::TDM& dm, QWidget* parent = nullptr);
    ~Tformadvantage() override;
    Ui::Tformadvantage* ui() const { return m_ui.get(); }

private:
    std::unique_ptr<Ui::Tformadvantage> m_ui;
};

} // namespace tamsel::units
