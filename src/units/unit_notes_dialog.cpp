// TFormstudy: the unit profile's text "简要说明及补充".
#include "units/unit_notes_dialog.h"

#include "core/keyboard.h"

#include "ui_unit_notes_dialog.h"

namespace tamsel::units {

TFormstudy::TFormstudy(core::TDM& dm, QWidget* parent)
    : UnitMemoDialog(dm, QStringLiteral("studydirec"), parent), m_ui(std::make_unique<Ui::TFormstudy>()) {
    m_ui->setupUi(this);
    core::keyboard::prepare(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    setObjectName(QStringLiteral("TFormstudy"));
    attach(m_ui->Memo1, m_ui->Button1, m_ui->Button2);
}

TFormstudy::~TFormstudy() = default;

} // namespace tamsel::units
