#include "GeradorProdutos.h"

#include <cstdio>
#include <random>
#include <vector>

namespace norvo::bench {

namespace {

// Latin-1 bytes: \xc7 Ç, \xc3 Ã, \xc9 É, \xd3 Ó, \xc2 Â, \xcd Í, \xda Ú.
const std::vector<std::string> kNomes = {
    "ARROZ TIPO 1", "FEIJ\xc3O CARIOCA", "A\xc7\xda" "CAR CRISTAL", "CAF\xc9 TORRADO", "MACARR\xc3O ESPAGUETE",
    "\xd3LEO DE SOJA", "FARINHA DE TRIGO", "SAB\xc3O EM P\xd3", "DETERGENTE NEUTRO", "LEITE INTEGRAL",
    "MANTEIGA COM SAL", "P\xc3O DE FORMA", "BISCOITO MAIZENA", "CHOCOLATE AO LEITE", "SUCO DE LARANJA",
    "\xc1GUA MINERAL", "CERVEJA PILSEN", "REFRIGERANTE COLA", "PAPEL HIGI\xc9NICO", "CREME DENTAL",
    "SHAMPOO NEUTRO", "ESPONJA DE A\xc7O", "VASSOURA PL\xc1STICA", "PREGO 17X21", "PARAFUSO SEXTAVADO",
    "TINTA L\xc1TEX BRANCA", "CIMENTO CP II", "CAL HIDRATADA", "FIO EL\xc9TRICO 2,5MM", "L\xc2MPADA LED 9W"};
const std::vector<std::string> kMarcas = {"ALVORADA", "BOA SAFRA", "S\xc3O JORGE", "PRIMOR", "IGUA\xc7U",
                                          "MONTE AZUL", "CRISTAL", "TR\xcaS IRM\xc3OS"};
const std::vector<std::string> kUnidades = {"UN", "UN", "UN", "KG", "KG", "CX", "PC", "LT", "MT", "FD", "DZ", "PCT"};
const std::vector<std::string> kNcm = {"10063021", "07133399", "17019900", "09012100", "19021900", "15079011",
                                       "11010010", "34022000", "34022000", "04012010", "04051000", "19059090",
                                       "19053100", "18063210", "20091200", "22011000", "22030000", "22021000",
                                       "48181000", "33061000", "33051000", "73239000", "96031000", "73170020",
                                       "73181500", "32091010", "25232910", "25222000", "85444900", "85395000"};
const std::vector<std::string> kIcms = {"018", "018", "018", "007", "012", "025", "000"};
const std::vector<std::string> kCst = {"01", "01", "04", "06", "49", "99"};

} // namespace

std::string gerarArquivoProdutos(int linhas, unsigned semente, bool tropecos)
{
    std::mt19937 rng(semente);
    auto escolher = [&](const std::vector<std::string>& v) -> const std::string& {
        return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng)];
    };
    std::string out;
    out.reserve(static_cast<size_t>(linhas) * 96);
    char preco[48];
    for (int i = 0; i < linhas; ++i) {
        const int codigo = 1000 + i;
        const size_t p = static_cast<size_t>(i) % kNomes.size();
        std::string nome = kNomes[p] + " " + escolher(kMarcas);
        std::string unidade = kUnidades[p % kUnidades.size()];
        std::string ncm = kNcm[p];
        const int centavos = std::uniform_int_distribution<int>(49, 250000)(rng);
        const bool virgula = rng() % 2 == 0;
        std::snprintf(preco, sizeof preco, "%d%c%02d", centavos / 100, virgula ? ',' : '.', centavos % 100);
        std::string precoTexto = preco;
        std::string fim;
        if (tropecos && i % 37 == 5) {
            switch ((i / 37) % 5) {
            case 0: nome = "\"" + nome + "\""; break;                  // quoted by a spreadsheet
            case 1:                                                  // thousands separator
                std::snprintf(preco, sizeof preco, "%d.%03d,%02d", 1 + centavos / 100000, (centavos / 100) % 1000,
                              centavos % 100);
                precoTexto = preco;
                break;
            case 2: fim = ";"; break;                                 // a stray separator at the end
            case 3: unidade = unidade == "KG" ? "kg" : "un"; break;   // typed in lower case
            case 4: ncm = ncm.substr(0, 4) + "." + ncm.substr(4, 2) + "." + ncm.substr(6); break;
            }
        }
        out += std::to_string(codigo) + ";" + nome + ";" + unidade + ";T0" + escolher(kIcms) + ";;PIS" +
               escolher(kCst) + ";COF" + escolher(kCst) + ";" + ncm + ";" + precoTexto + fim + "\r\n";
    }
    return out;
}

} // namespace norvo::bench
