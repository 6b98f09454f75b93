// THelpForm, the help window: one page's filling instructions in a read-only text.
#include "core/help_form.h"

#include "core/accessibility.h"
#include "core/keyboard.h"

#include "ui_help_form.h"

#include <QFile>
#include <QStringDecoder>

namespace tamsel::core {

THelpForm::THelpForm(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::THelpForm>()) {
    m_ui->setupUi(this);
    keyboard::prepare(this);
    m_ui->Button1->setDefault(true); // Return in an edit
    connect(m_ui->Button1, &QPushButton::clicked, this, &THelpForm::Button1Click);
    nameControlsByLabels(this);
}

THelpForm::~THelpForm() = default;

void THelpForm::setHelpText(const QString& text) {
    m_ui->Memo1->setPlainText(text);
}

QString THelpForm::helpText() const {
    return m_ui->Memo1->toPlainText();
}

bool THelpForm::loadHelpFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder gbk("GBK");
        if (!gbk.isValid()) {
            return false;
        }
        text = gbk.decode(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    setHelpText(text);
    return true;
}

void THelpForm::Button1Click() {
    close();
}

} // namespace tamsel::core
