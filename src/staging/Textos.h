#pragma once
// The texts of a table's records that do not fit in the record: descriptions one after the
// other in blocks, so a description costs its characters and nothing more, and the rare
// price that could not be read.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "staging/Blocos.h"

namespace norvo::staging::detalhe {

class Textos {
public:
    // The longest text kept in the blocks: a description's size.
    static constexpr std::size_t Maximo = 100;
    // A record keeps where its description starts in 40 bits.
    static constexpr std::uint64_t LimiteInicio = std::uint64_t(1) << 40;

    // Stores at most Maximo characters; where they start.
    std::uint64_t guardar(std::string_view t)
    {
        if (descricoes_.size() + Maximo >= LimiteInicio)
            throw std::bad_alloc();
        return descricoes_.acrescentar(t.data(), t.size());
    }
    std::string_view ler(std::uint64_t inicio, std::size_t n) const
    {
        return n == 0 ? std::string_view() : std::string_view(&descricoes_[inicio], n);
    }
    // The text from `inicio` on is the last one stored and nobody else's: its room is
    // taken again, so a record edited again and again does not pile up texts.
    bool ultimo(std::uint64_t inicio, std::size_t n) const { return inicio + n == descricoes_.size(); }
    void descartarDesde(std::uint64_t inicio) { descricoes_.encurtar(inicio); }

    // Prices that could not be read, by number.
    std::uint64_t guardarPreco(std::string_view t)
    {
        precos_.emplace_back(t);
        return precos_.size() - 1;
    }
    void trocarPreco(std::uint64_t i, std::string_view t) { precos_[i].assign(t); }
    const std::string& preco(std::uint64_t i) const { return precos_[i]; }

    // Gives the memory back.
    void clear()
    {
        descricoes_.clear();
        std::vector<std::string>().swap(precos_);
    }

private:
    Blocos<char, 20> descricoes_;
    std::vector<std::string> precos_;
};

} // namespace norvo::staging::detalhe
