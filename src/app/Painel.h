#pragma once
#include <vector>

#include <QWidget>

namespace norvo::app {

// A panel that places some children along its edges, as the designed window does:
// first the ones on top, then bottom, left and right, each taking its strip from what the
// earlier ones left. Strips may overlap when they do not fit (the lower panel of the header
// covers the bottom of the page control). Other children keep their fixed places.
class Painel : public QWidget {
public:
    enum class Borda { Topo, Base, Esquerda, Direita };
    enum class Chanfro { Nenhum, Alto, Baixo };

    explicit Painel(QWidget* pai = nullptr, Chanfro externo = Chanfro::Alto, Chanfro interno = Chanfro::Nenhum);

    // How a strip's size follows the panel beyond its designed size `desenho` (the panel's
    // height for a strip on top or bottom, its width for one on the left or right): fixed,
    // taking all the growth, or keeping its proportion.
    enum class Medida { Fixa, Cresce, Proporcional };
    void alinhar(QWidget* filho, Borda borda, int tamanho, Medida medida = Medida::Fixa, int desenho = 0);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    struct Alinhado {
        QWidget* filho;
        Borda borda;
        int tamanho;
        Medida medida;
        int desenho;
    };
    void posicionar();
    int espessura() const;

    Chanfro externo_;
    Chanfro interno_;
    std::vector<Alinhado> alinhados_;
};

} // namespace norvo::app
