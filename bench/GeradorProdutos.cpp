#include "GeradorProdutos.h"

#include <cstdio>
#include <random>
#include <vector>

namespace norvo::bench {

namespace {

// Latin-1 bytes: \xc7 Ç, \xc3 Ã, \xc9 É, \xd3 Ó, \xc2 Â, \xcd Í, \xda Ú, \xc1 Á, \xca Ê.
const std::vector<std::string> kNomes = {"ARROZ TIPO 1",
                                         "FEIJ\xc3O CARIOCA",
                                         "A\xc7\xda"
                                         "CAR CRISTAL",
                                         "CAF\xc9 TORRADO",
                                         "MACARR\xc3O ESPAGUETE",
                                         "\xd3LEO DE SOJA",
                                         "FARINHA DE TRIGO",
                                         "SAB\xc3O EM P\xd3",
                                         "DETERGENTE NEUTRO",
                                         "LEITE INTEGRAL",
                                         "MANTEIGA COM SAL",
                                         "P\xc3O DE FORMA",
                                         "BISCOITO MAIZENA",
                                         "CHOCOLATE AO LEITE",
                                         "SUCO DE LARANJA",
                                         "\xc1GUA MINERAL",
                                         "CERVEJA PILSEN",
                                         "REFRIGERANTE COLA",
                                         "PAPEL HIGI\xc9NICO",
                                         "CREME DENTAL",
                                         "SHAMPOO NEUTRO",
                                         "ESPONJA DE A\xc7O",
                                         "VASSOURA PL\xc1STICA",
                                         "PREGO 17X21",
                                         "PARAFUSO SEXTAVADO",
                                         "TINTA L\xc1TEX BRANCA",
                                         "CIMENTO CP II",
                                         "CAL HIDRATADA",
                                         "FIO EL\xc9TRICO 2,5MM",
                                         "L\xc2MPADA LED 9W"};
// Written by a spreadsheet: quoted because of the ";", inner quotes doubled.
const std::vector<std::string> kNomesCitados = {"\"SAB\xc3O; EM P\xd3\"", "\"CREME DENTAL; MENTA\"",
                                                "\"LEITE \"\"LONGA VIDA\"\"; 1L\"", "\"PARAFUSO 4,2X32; CX 100\"",
                                                "\"AZEITE; EXTRA VIRGEM\""};
const std::vector<std::string> kMarcas = {"ALVORADA",  "BOA SAFRA",  "S\xc3O JORGE", "PRIMOR",
                                          "IGUA\xc7U", "MONTE AZUL", "CRISTAL",      "TR\xcaS IRM\xc3OS"};
// Units as each shop types them: the same unit in several cases and lengths.
const std::vector<std::vector<std::string>> kUnidades = {{"UN", "UN", "un", "Un", "UND"},
                                                         {"KG", "KG", "kg", "Kg"},
                                                         {"CX", "CXA", "cx"},
                                                         {"PC", "pc"},
                                                         {"PCT", "pct", "Pct"},
                                                         {"LT", "lt"},
                                                         {"MT", "mt"},
                                                         {"FD", "FDO"},
                                                         {"DZ", "dz"}};
const std::vector<std::string> kNcm = {"10063021", "07133399", "17019900", "09012100", "19021900", "15079011",
                                       "11010010", "34022000", "34022000", "04012010", "04051000", "19059090",
                                       "19053100", "18063210", "20091200", "22011000", "22030000", "22021000",
                                       "48181000", "33061000", "33051000", "73239000", "96031000", "73170020",
                                       "73181500", "32091010", "25232910", "25222000", "85444900", "85395000"};
const std::vector<std::string> kIcms = {"018", "018", "018", "007", "012", "025", "000"};
const std::vector<std::string> kCst = {"01", "01", "04", "06", "49", "99"};
const std::vector<std::string> kPrecosIlegiveis = {"12.5.0", "R$", "1.23.456", "-4,90", "3,5O"};
const std::vector<std::string> kIcmsIlegiveis = {"ISE", "N/A", "1 8"};

// "1234,56" / "1.234,56" / "1,234.56" / "R$ 29,90": cents written as this shop writes them.
std::string escreverPreco(int centavos, std::mt19937& rng)
{
    const bool virgula = rng() % 2 == 0;
    const char decimal = virgula ? ',' : '.';
    const char milhar = virgula ? '.' : ',';
    std::string reais = std::to_string(centavos / 100);
    // Large amounts are mostly grouped; some exports never group.
    if (reais.size() > 3 && rng() % 4 != 0)
        for (auto i = static_cast<long>(reais.size()) - 3; i > 0; i -= 3)
            reais.insert(static_cast<std::size_t>(i), 1, milhar);
    char casas[8];
    std::snprintf(casas, sizeof casas, "%c%02d", decimal, centavos % 100);
    return (rng() % 8 == 0 ? "R$ " : "") + reais + casas;
}

} // namespace

std::string gerarArquivoProdutos(int linhas, unsigned semente, bool tropecos)
{
    std::mt19937 rng(semente);
    auto escolher = [&](const std::vector<std::string>& v) -> const std::string& {
        return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng)];
    };
    std::string out;
    out.reserve(static_cast<size_t>(linhas) * 96);
    for (int i = 0; i < linhas; ++i) {
        int codigo = 1000 + i;
        const size_t p = static_cast<size_t>(i) % kNomes.size();
        std::string nome = i % 23 == 11 ? escolher(kNomesCitados) : kNomes[p] + " " + escolher(kMarcas);
        const std::string unidade = escolher(kUnidades[p % kUnidades.size()]);
        std::string ncm = kNcm[p];
        if (rng() % 3 == 0)
            ncm = ncm.substr(0, 4) + "." + ncm.substr(4, 2) + "." + ncm.substr(6);
        // Mostly everyday prices, now and then an appliance-sized one.
        const int centavos = rng() % 10 == 0 ? std::uniform_int_distribution<int>(100000, 2500000)(rng)
                                             : std::uniform_int_distribution<int>(49, 25000)(rng);
        std::string preco = escreverPreco(centavos, rng);
        // Drawn one by one: the operands of one expression may be evaluated in any order,
        // and the file must not depend on the compiler.
        std::string icms = escolher(kIcms);
        const std::string pis = escolher(kCst);
        const std::string cofins = escolher(kCst);
        const char* fim = i % 41 == 17 ? ";" : ""; // some exports close every field
        if (tropecos && i % 37 == 5) {
            switch ((i / 37) % 3) {
            case 0:
                preco = escolher(kPrecosIlegiveis);
                break;
            case 1:
                icms = escolher(kIcmsIlegiveis);
                break;
            case 2:
                codigo = 1000 + i - 1;
                break; // the previous line's code
            }
        }
        out += std::to_string(codigo) + ";" + nome + ";" + unidade + ";T0" + icms + ";;PIS" + pis + ";COF" + cofins +
               ";" + ncm + ";" + preco + fim + "\r\n";
    }
    return out;
}

} // namespace norvo::bench
