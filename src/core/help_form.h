#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class THelpForm;
}

namespace tamsel::core {

// A help window: the filling instructions of one page in a read-only text, closed by "关闭".
// The page's help windows derive from it or set its text.
class THelpForm : public QDialog {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);
    ~THelpForm() override;

    Ui::THelpForm* ui() const { return m_ui.get(); }
    void setHelpText(const QString& text);
    QString helpText() const;
    // Loads the text from a file (UTF-8, or GBK when it is not valid UTF-8). False when the file
    // cannot be read; the text is then left as it was.
    bool loadHelpFile(const QString& path);

public slots:
    void Button1Click();

private:
    std::unique_ptr<Ui::THelpForm> m_ui;
};

} // namespace tamsel::core
