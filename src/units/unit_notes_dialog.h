#pragma once

#include "units/unit_memo_dialog.h"

#include <memory>

namespace Ui {
class TFormstudy;
}

namespace tamsel::units {

// The text window "简要说明及补充" of the unit profile (field `studydirec`).
class TFormstudy : public UnitMemoDialog {
    Q_OBJECT
public:
    explicit TFormstudy(core::TDM& dm, QWidget* parent = nullptr);
    ~TFormstudy() override;
    Ui::TFormstudy* ui() const { return m_ui.get(); }

private:
    std::unique_ptr<Ui::TFormstudy> m_ui;
};

} // namespace tamsel::units
