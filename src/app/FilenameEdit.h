#pragma once
#include <functional>
#include <optional>

#include <QWidget>

class QLineEdit;
class QMimeData;
class QToolButton;

namespace norvo::app {

// A file-name box: a read-only line with a browse button at its right end, that also takes
// a file dropped on it from the desktop. The operator cannot type into it.
class FilenameEdit : public QWidget {
    Q_OBJECT
public:
    static constexpr int LarguraBotao = 30;

    explicit FilenameEdit(QWidget* pai = nullptr);

    QString text() const;
    void setText(const QString& texto);

    QLineEdit* linha() const { return linha_; }
    QToolButton* botao() const { return botao_; }

    // Asks for a file when the browse button is pressed; receives the current text.
    using Escolher = std::function<std::optional<QString>(const QString& atual)>;
    void setEscolher(Escolher escolher) { escolher_ = std::move(escolher); }

    // What the box writes for a chosen or dropped path: in double quotes when it holds a
    // blank, as the file-name boxes of the original desktop did.
    static QString textoDoCaminho(const QString& caminho);

    // What a drop does: the first local file of the dropped items becomes the text (any
    // extension). False, and nothing changes, when the box is disabled or holds no file.
    bool soltar(const QMimeData* dados);

signals:
    void textChanged(const QString& texto);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void procurar();

    QLineEdit* linha_;
    QToolButton* botao_;
    Escolher escolher_;
};

} // namespace norvo::app
