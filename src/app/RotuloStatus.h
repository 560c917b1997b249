#pragma once
#include <QLabel>

namespace norvo::app {

// The status line: one line as wide as its strip. A text longer than that is drawn cut
// with an ellipsis and shown whole as the tooltip; text() always keeps it whole.
class RotuloStatus : public QLabel {
public:
    explicit RotuloStatus(QWidget* pai = nullptr);

    void mostrar(const QString& texto);
    // Whether the whole text fits the width it has now.
    bool cabe() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void atualizarDica();
};

} // namespace norvo::app
