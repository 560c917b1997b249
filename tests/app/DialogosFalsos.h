#pragma once
// A stand-in for the window's dialogs: records what would have been shown and answers
// from queues the test fills beforehand.
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <QString>

#include "app/Dialogos.h"

// Readable texts in the failure messages of the tests.
inline void PrintTo(const QString& texto, std::ostream* saida)
{
    *saida << '"' << texto.toStdString() << '"';
}

namespace norvo::app::teste {

struct Dialogo {
    std::string tipo; // "mostraMensagem", "confirma", "mensagem", "falha", "exclusao", "csv", "banco", "salvar", "log"
    QString texto;
    bool aviso = false;
};

class DialogosFalsos : public Dialogos {
public:
    std::vector<Dialogo> mostrados;
    std::deque<bool> respostas;                  // confirma and confirmaExclusao
    std::deque<std::optional<QString>> arquivos; // the file dialogs, in order
    std::vector<QString> sugeridos;              // what the file dialogs were offered
    std::vector<QString> detalhes;               // each notice's details, in order

    void mostraMensagem(QWidget*, const QString& texto, bool aviso, const QString& detalhesDoAviso) override
    {
        mostrados.push_back({"mostraMensagem", texto, aviso});
        detalhes.push_back(detalhesDoAviso);
    }
    bool confirma(QWidget*, const QString& texto) override
    {
        mostrados.push_back({"confirma", texto});
        return proximaResposta();
    }
    void mensagem(QWidget*, const QString& texto) override { mostrados.push_back({"mensagem", texto}); }
    void falha(QWidget*, const QString& texto) override { mostrados.push_back({"falha", texto}); }
    bool confirmaExclusao(QWidget*) override
    {
        mostrados.push_back({"exclusao", textos::PerguntaExcluir});
        return proximaResposta();
    }
    std::optional<QString> escolherArquivoCSV(QWidget*, const QString& ultimo) override
    {
        mostrados.push_back({"csv", ultimo});
        sugeridos.push_back(ultimo);
        return proximoArquivo();
    }
    std::optional<QString> escolherOndeSalvar(QWidget*, const QString& titulo, const QString& sugestao) override
    {
        mostrados.push_back({"salvar", titulo});
        sugeridos.push_back(sugestao);
        return proximoArquivo();
    }
    std::optional<QString> escolherBanco(QWidget*, const QString& atual) override
    {
        mostrados.push_back({"banco", atual});
        sugeridos.push_back(atual);
        return proximoArquivo();
    }

    void mostrarLog(QWidget*, const QString& caminho, const QString& conteudo) override
    {
        mostrados.push_back({"log", caminho});
        logs.push_back(conteudo);
    }
    std::vector<QString> logs; // what each log window showed

    std::vector<QString> textosDe(const std::string& tipo) const
    {
        std::vector<QString> r;
        for (const auto& d : mostrados)
            if (d.tipo == tipo)
                r.push_back(d.texto);
        return r;
    }

private:
    bool proximaResposta()
    {
        if (respostas.empty())
            return false;
        const bool r = respostas.front();
        respostas.pop_front();
        return r;
    }
    std::optional<QString> proximoArquivo()
    {
        if (arquivos.empty())
            return std::nullopt;
        const QString r = arquivos.front().value_or(QString());
        const bool escolheu = arquivos.front().has_value();
        arquivos.pop_front();
        return escolheu ? std::optional<QString>(r) : std::nullopt;
    }
};

} // namespace norvo::app::teste
