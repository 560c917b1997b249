#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace norvo::texto {

// A file written from scratch, replacing what it held, in as many writes as the caller
// likes. When it cannot be created or written, throws norvo::Error: "Cannot create file
// \"<caminho>\". <system reason>", the path as given (in Latin-1), so a caller that wants the
// full path shown passes it. A write that fails is reported by fechar, with its own reason.
class ArquivoNovo {
public:
    explicit ArquivoNovo(std::string caminho);
    ~ArquivoNovo();
    ArquivoNovo(const ArquivoNovo&) = delete;
    ArquivoNovo& operator=(const ArquivoNovo&) = delete;

    void escrever(std::string_view bytes);
    void fechar();

private:
    std::string caminho_;
    std::FILE* f_;
    int erro_ = 0; // the first write's failure
};

// The whole content of the file at once.
void salvarArquivo(const std::string& caminho, std::string_view bytes);

} // namespace norvo::texto
