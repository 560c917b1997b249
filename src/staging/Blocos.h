#pragma once
// A growing array kept in blocks of 2^Bits elements: a whole product file's records (or
// their texts) never move to a buffer twice their size, and the last block grows from
// small, so a small table costs little.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace norvo::staging::detalhe {

template <class T, unsigned Bits>
class Blocos {
    static_assert(std::is_trivially_copyable_v<T>, "blocks are grown by copying their bytes");

public:
    static constexpr std::size_t PorBloco = std::size_t(1) << Bits;

    // One past the last element. Every index below it holds one, except those a run of
    // `acrescentar` skipped at the end of a block.
    std::size_t size() const { return fim_; }
    bool empty() const { return fim_ == 0; }
    T& operator[](std::size_t i) { return blocos_[i >> Bits].p[i & (PorBloco - 1)]; }
    const T& operator[](std::size_t i) const { return blocos_[i >> Bits].p[i & (PorBloco - 1)]; }

    void push_back(const T& v) { *espaco(1) = v; }

    // n elements (at most a block) that stay together in one block, as a text must; a run
    // that would cross into the next block starts there. Gives the index of the first.
    std::size_t acrescentar(const T* v, std::size_t n)
    {
        T* p = espaco(n);
        std::copy(v, v + n, p);
        return fim_ - n;
    }

    // Moves the elements after pos one place on and puts v at pos (pos <= size()).
    void insert(std::size_t pos, T v)
    {
        push_back(v);
        for (std::size_t i = fim_ - 1; i > pos; --i)
            (*this)[i] = (*this)[i - 1];
        (*this)[pos] = v;
    }

    void erase(std::size_t pos)
    {
        for (std::size_t i = pos; i + 1 < fim_; ++i)
            (*this)[i] = (*this)[i + 1];
        encurtar(fim_ - 1);
    }

    // Drops the elements from n on (n <= size()).
    void encurtar(std::size_t n)
    {
        while (blocos_.size() > 1 && ((blocos_.size() - 1) << Bits) >= n)
            blocos_.pop_back();
        fim_ = n;
    }

    // Gives the memory back.
    void clear()
    {
        std::vector<Bloco>().swap(blocos_);
        fim_ = 0;
    }

private:
    struct Bloco {
        std::unique_ptr<T[]> p;
        std::size_t capacidade;
    };
    static constexpr std::size_t Primeiro = PorBloco < 64 ? PorBloco : 64;

    static Bloco alocar(std::size_t capacidade)
    {
        return {std::make_unique_for_overwrite<T[]>(capacidade), capacidade};
    }

    // Room for n more elements in the last block, opening one when they do not fit; moves
    // the end past them.
    T* espaco(std::size_t n)
    {
        std::size_t usado = blocos_.empty() ? 0 : fim_ - ((blocos_.size() - 1) << Bits);
        if (blocos_.empty() || usado + n > PorBloco) {
            fim_ = blocos_.size() << Bits;
            // Only the first block starts small: a second one means a big table.
            blocos_.push_back(alocar(blocos_.empty() ? std::max(Primeiro, n) : PorBloco));
            usado = 0;
        }
        Bloco& b = blocos_.back();
        if (usado + n > b.capacidade) {
            Bloco maior = alocar(std::min(PorBloco, std::max(2 * b.capacidade, usado + n)));
            std::copy(b.p.get(), b.p.get() + usado, maior.p.get());
            b = std::move(maior);
        }
        fim_ += n;
        return b.p.get() + usado;
    }

    std::vector<Bloco> blocos_;
    std::size_t fim_ = 0;
};

} // namespace norvo::staging::detalhe
