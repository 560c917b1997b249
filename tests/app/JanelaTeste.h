#pragma once
#include <functional>
#include <memory>
#include <string>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QString>
#include <gtest/gtest.h>

#include "DialogosFalsos.h"
#include "PastaTemporaria.h"
#include "app/FilenameEdit.h"
#include "app/FormImporta.h"

namespace norvo::app::teste {

using norvo::teste::PastaTemporaria;

// The window's operator with hooks where the core shows a message (to make a run fail
// there) and where it moves the gauge (to look at the window in the middle of a run).
class OperadorEspiao : public OperadorJanela {
public:
    std::function<void(const std::string&, bool)> aoMostrarMensagem;
    std::function<void()> aoMedir;

    void gauge(int minimo, int maximo, int progresso) override
    {
        OperadorJanela::gauge(minimo, maximo, progresso);
        if (aoMedir)
            aoMedir();
    }

    void mostraMensagem(const std::string& texto, bool aviso) override
    {
        if (aoMostrarMensagem)
            aoMostrarMensagem(texto, aviso);
        OperadorJanela::mostraMensagem(texto, aviso);
    }
};

class JanelaEspiada : public TFormImporta {
public:
    explicit JanelaEspiada(const OpcoesJanela& o) : TFormImporta(o, std::make_unique<OperadorEspiao>()) {}
    OperadorEspiao& espiao() { return static_cast<OperadorEspiao&>(operador()); }
    std::function<void(const std::string&, bool)>& aoMostrarMensagem = espiao().aoMostrarMensagem;
    std::function<void()>& aoMedir = espiao().aoMedir;
};

struct Janela : ::testing::Test {
    PastaTemporaria pasta;
    DialogosFalsos dialogos;
    std::unique_ptr<JanelaEspiada> janela;

    // The hooks capture the test body's locals by reference, and the window lives on after
    // the body (its destruction runs the core's teardown): once the body is over nobody
    // may call them.
    void TearDown() override
    {
        if (!janela)
            return;
        janela->aoMedir = nullptr;
        janela->aoMostrarMensagem = nullptr;
    }

    // Runs from the window skip the safety copy unless a test is about it.
    bool semCopia = true;
    // How "Importar" runs (--rapido, --simular).
    ModoExecucao modo;

    void abrir(bool cadastros = false, QString pastaJanela = QString())
    {
        OpcoesJanela o;
        o.cadastros = cadastros;
        o.pasta = pastaJanela.isEmpty() ? QString::fromStdString(pasta.pasta()) : pastaJanela;
        o.dialogos = &dialogos;
        o.opcoes.semCopia = semCopia;
        o.opcoes.modo = modo;
        janela = std::make_unique<JanelaEspiada>(o);
        janela->show();
    }

    template <class T>
    T* filho(const char* nome) const
    {
        T* w = janela->findChild<T*>(QLatin1String(nome));
        if (!w)
            ADD_FAILURE() << "no control " << nome;
        return w;
    }
    QPushButton* botao(const char* nome) const { return filho<QPushButton>(nome); }
    QLabel* rotulo(const char* nome) const { return filho<QLabel>(nome); }
    QCheckBox* caixa(const char* nome) const { return filho<QCheckBox>(nome); }
    FilenameEdit* destino() const { return filho<FilenameEdit>("FilenameEditDestino"); }

    // The controls that must not be used while a run or a reading goes on.
    bool controlesLivres() const
    {
        return botao("BitBtnImportar")->isEnabled() && botao("Button1")->isEnabled() &&
               botao("BitBtnLerCSVProdutos")->isEnabled() && destino()->isEnabled() && destino()->botao()->isEnabled();
    }
    bool controlesBloqueados() const
    {
        return !botao("BitBtnImportar")->isEnabled() && !botao("Button1")->isEnabled() &&
               !botao("BitBtnLerCSVProdutos")->isEnabled() && !destino()->isEnabled() &&
               !destino()->botao()->isEnabled();
    }

    std::string config() const { return pasta.ler("Config.ini"); }
    std::string csv(const std::string& nome, const std::string& bytes) const
    {
        pasta.escrever(nome, bytes);
        return pasta.arquivo(nome);
    }
};

} // namespace norvo::app::teste
