#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QTimer;

namespace tamsel::core {

// The welcome window: the program's picture for five seconds at start. Its tick closes it and
// fixes the program's date formats.
class Tformwel : public QDialog {
    Q_OBJECT
public:
    explicit Tformwel(QWidget* parent = nullptr);
    ~Tformwel() override;

    QTimer* Timer1() const { return m_timer; }
    const QImage& picture() const { return m_picture; }
    // The embedded picture, decoded; a null image (and a plain window) if it cannot be read.
    static QImage loadPicture(QString* error = nullptr);

    static constexpr int kInterval = 5000;

public slots:
    // Switches the timer off, closes the window and sets the date formats. Tests call it
    // directly instead of waiting.
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTimer* m_timer;
    QLabel* m_image;
    QImage m_picture;
};

} // namespace tamsel::core
