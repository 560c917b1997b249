#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "MensagemDeFalha.h"
#include "PastaTemporaria.h"
#include "staging/LeitorCSV.h"

using namespace norvo::staging;
using norvo::staging::teste::mensagem;
using norvo::teste::PastaTemporaria;

namespace {

const std::function<void()> semEventos;

// Reads the bytes as a file would be read and gives the table back, positioned on the
// first record.
struct Leitura {
    StagingTable t{""};
    int total = 0;
    explicit Leitura(const std::string& bytes)
    {
        t.createDataSet();
        t.emptyDataSet();
        total = preencherTabela(t, bytes, semEventos).registros;
        t.first();
    }
};

} // namespace

TEST(LeitorCSV, PosicoesDosCampos)
{
    const CamposLinha c = lerLinha("123;ARROZ TIPO 1;UN;xx018;x;xxx01;xxx01;100;12.50");
    EXPECT_EQ(c.codigo, "123");
    EXPECT_EQ(c.descricao, "ARROZ TIPO 1");
    EXPECT_EQ(c.unidade, "UN");
    EXPECT_EQ(c.icms, "018");
    EXPECT_EQ(c.pis, "01");
    EXPECT_EQ(c.cofins, "01");
    EXPECT_EQ(c.ncm, "100");
    EXPECT_EQ(c.preco.valor, 125000);

    // A quoted ";" belongs to its field; "" inside quotes is one quote.
    const CamposLinha q = lerLinha("\"A-00.123\";\"FEIJ\"\"AO;X\";\"KG\";ab1;;abc9;abc;;\"3\"");
    EXPECT_EQ(q.codigo, "00123");
    EXPECT_EQ(q.descricao, "FEIJ\"AO;X");
    EXPECT_EQ(q.unidade, "KG");
    EXPECT_EQ(q.icms, "1");  // field 4 "ab1" has only a 3rd character
    EXPECT_EQ(q.pis, "9");   // field 6 "abc9" has only a 4th character
    EXPECT_EQ(q.cofins, ""); // field 7 "abc" has none
    EXPECT_EQ(q.ncm, "");
    EXPECT_EQ(q.preco.valor, 30000);

    // Fewer fields: each one is what its position says, and the price is missing, never
    // another field.
    const CamposLinha tres = lerLinha("7;DESC;UN;9,90");
    EXPECT_EQ(tres.campos, 4u);
    EXPECT_EQ(tres.unidade, "UN");
    EXPECT_EQ(tres.icms, "90");
    EXPECT_FALSE(tres.temPreco);
    const CamposLinha oito = lerLinha("2;SEM PRECO;UN;xx018;0;xxx01;xxx01;34022000");
    EXPECT_EQ(oito.ncm, "34022000");
    EXPECT_FALSE(oito.temPreco);
    EXPECT_EQ(lerLinha("42").codigo, "42");
    EXPECT_TRUE(lerLinha("1;a;b;c;d;e;f;g;").temPreco); // present and empty: 0
    EXPECT_EQ(lerLinha("1;a;b;c;d;e;f;g;").preco.estado, PrecoLido::Estado::Vazio);

    // More than eight: the price is field 9 alone.
    EXPECT_EQ(lerLinha("1;a;b;c;d;e;f;g;12.50;").preco.valor, 125000);
    EXPECT_EQ(lerLinha("1;a;b;c;d;e;f;g;1234567.89;x;y").preco.valor, 12345678900);
}

TEST(LeitorCSV, LinhasDeUmaLojaEPrecoIlegivel)
{
    PastaTemporaria pasta;
    pasta.entrar();
    // Latin-1: \xc3 is A with tilde, \xd3 O acute.
    const std::string bytes = "10;\"SAB\xc3O; EM P\xd3 \"\"ECO\"\"\";un;T0018;;PIS01;COF01;3402.20.00;R$ 1.234,56\r\n"
                              "11;\"FEIJ\xc3O;CARIOCA;UN;T0018;;PIS01;COF01;0713.33.99;8,49\r\n" // never closed
                              "12;ARROZ TIPO 1;KG;T0007;;PIS04;COF04;10063021;1,234.5\r\n"
                              "13;DETERGENTE;CX;T0018;;PIS01;COF01;3402.20.00;12.5.0\r\n";
    StagingTable t;
    t.createDataSet();
    ASSERT_EQ(preencherTabela(t, bytes, semEventos).registros, 4);

    EXPECT_EQ(t.cellText(0, DESCRICAO), "SAB\xc3O; EM P\xd3 \"ECO\"");
    EXPECT_EQ(t.cellText(0, UNIDADE), "un");
    EXPECT_EQ(t.cellText(0, ICMS), "018");
    EXPECT_EQ(t.cellText(0, NCM), "34022000");
    EXPECT_EQ(t.cellMoney(0, VALORVENDA), 12345600);
    // The unclosed quote is dropped and every ";" separates: the fields shift, as ever.
    EXPECT_EQ(t.cellText(1, DESCRICAO), "FEIJ\xc3O");
    EXPECT_EQ(t.cellText(1, UNIDADE), "CAR");
    EXPECT_EQ(t.cellText(1, NCM), "COF01");
    EXPECT_EQ(t.cellText(1, VALORVENDA), "0713.33.99");
    EXPECT_EQ(t.cellText(2, DESCRICAO), "ARROZ TIPO 1");
    EXPECT_EQ(t.cellText(2, NCM), "10063021");
    EXPECT_EQ(t.cellMoney(2, VALORVENDA), 12345000);

    // An unreadable price is kept as written, not as 0, and reading it as money fails.
    EXPECT_FALSE(t.isNull(VALORVENDA)); // the current record is the last one
    EXPECT_EQ(t.asText(VALORVENDA), "12.5.0");
    EXPECT_EQ(mensagem([&] { t.cellMoney(3, VALORVENDA); }), "Pre\xe7o inv\xe1lido: '12.5.0'");
    EXPECT_EQ(mensagem([&] { t.setCellText(1, VALORVENDA, "8.4.9"); }),
              "'8.4.9' is not a valid floating point value for field 'VALORVENDA'");
    t.setCellText(1, VALORVENDA, "8,49"); // typing a price over it replaces the text
    EXPECT_EQ(t.cellMoney(1, VALORVENDA), 84900);

    t.insert();
    t.setFieldInvalid(VALORVENDA, "9\t90");
    EXPECT_EQ(mensagem([&] { t.setFieldInvalid(NCM, "x"); }), "Field 'NCM' is not a money field");
    t.post();
    t.close();
    const std::string cds = pasta.ler("ProdutosTARVEX.cds");
    EXPECT_NE(cds.find("\n11\tFEIJ\xc3O\tCAR\t\\N\t\\N\t1\tCOF01\t8.49\n"), std::string::npos) << cds;
    EXPECT_NE(cds.find("\n13\tDETERGENTE\tCX\t018\t1\t1\t34022000\t!12.5.0\n"), std::string::npos) << cds;
    EXPECT_NE(cds.find("\t!9\\t90\n"), std::string::npos) << cds;
}

TEST(LeitorCSV, CodigosEFalhaDeInteiro)
{
    Leitura ok("A-00.123;X\nsem digitos;Y\n");
    EXPECT_EQ(ok.t.asInteger(COD_PRODUTO), 123);
    ok.t.next();
    EXPECT_TRUE(ok.t.isNull(COD_PRODUTO));

    // A PIS that is no number and a code too long for an integer (a barcode) no longer stop
    // the reading: each record is kept with that field empty and marked, and named.
    StagingTable t("");
    t.createDataSet();
    const std::string bytes = "1;A;UN;xx018;;xxx01;xxx01;1;1\n"
                              "2;B;UN;xx018;;xxxP1;xxx02;2;2\n"
                              "7891234567895;C;UN;xx018;;xxx03;xxx03;3;3\n";
    const ResultadoLeitura r = preencherTabela(t, bytes, semEventos);
    ASSERT_EQ(t.recordCount(), 3);
    EXPECT_TRUE(t.cellText(1, PIS).empty());
    EXPECT_TRUE(t.cellMarcada(1, PIS));
    EXPECT_EQ(t.cellInteger(1, COFINS), 2); // the fields after it are read
    EXPECT_TRUE(t.cellText(2, COD_PRODUTO).empty());
    EXPECT_TRUE(t.cellMarcada(2, COD_PRODUTO));
    EXPECT_EQ(t.cellText(2, DESCRICAO), "C");
    ASSERT_EQ(r.notas.size(), 2u);
    EXPECT_EQ(r.notas[0].texto(), "linha 2, PIS: 'P1' n\xE3o \xE9 um n\xFAmero: o campo fica vazio "
                                  "[2;B;UN;xx018;;xxxP1;xxx02;2;2]");
    EXPECT_EQ(r.notas[1].texto().rfind("linha 3, COD_PRODUTO: '7891234567895' n\xE3o \xE9 um c\xF3"
                                       "digo num\xE9rico",
                                       0),
              0u)
        << r.notas[1].texto();
}

TEST(LeitorCSV, QuebrasDeLinha)
{
    EXPECT_EQ(dividirLinhas("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(dividirLinhas("a\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(dividirLinhas("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(dividirLinhas("\n\r"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(dividirLinhas("").empty());
    // NUL bytes are dropped wherever they stand; what follows is read.
    EXPECT_EQ(dividirLinhas(std::string("a\0b\r\0\nc\0", 9)), (std::vector<std::string>{"ab", "c"}));
    EXPECT_TRUE(dividirLinhas(std::string("\0\0", 2)).empty());

    const std::string longa = "9;" + std::string(4998, 'L');
    ASSERT_EQ(longa.size(), 5000u);
    const auto linhas = dividirLinhas(longa + "\n;;;;;;;;" + std::string(4990, '0') + "7");
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0], longa);
    EXPECT_EQ(lerLinha(linhas[1]).preco.valor, 70000); // a price past the 4,096th character
}

TEST(LeitorCSV, Codificacoes)
{
    // UTF-8 with a byte order mark: the mark does not reach the first code.
    Leitura bom("\xEF\xBB\xBF"
                "5;A\xC3\xA7\xC3\xBA"
                "car;UN;\n");
    EXPECT_EQ(bom.t.asInteger(COD_PRODUTO), 5);
    EXPECT_EQ(bom.t.asText(DESCRICAO), "A\xE7\xFA"
                                       "car");

    Leitura semBom("1;P\xC3\xA3o \xE2\x82\xAC;UN;\n");
    EXPECT_EQ(semBom.t.asText(DESCRICAO), "P\xE3o ?");
    // A quoted field opening with the mark: the mark is no part of its text.
    Leitura aspas("\xEF\xBB\xBF\"1;2\";\xC3\xA7;UN\n");
    EXPECT_EQ(aspas.t.asInteger(COD_PRODUTO), 12);

    // Latin-1 kept byte for byte, including bytes that would start UTF-8 sequences.
    Leitura latin("1;P\xE3o \xC3\xA7\xE7\xFF;UN;\n");
    EXPECT_EQ(latin.t.asText(DESCRICAO), "P\xE3o \xC3\xA7\xE7\xFF");

    // Decided on the whole file: one Latin-1 byte late in the file keeps it Latin-1.
    Leitura misto("1;\xC3\xA7;UN;\n2;\xE7;UN;\n");
    EXPECT_EQ(misto.t.asText(DESCRICAO), "\xC3\xA7");
}

TEST(LeitorCSV, CarregaArquivoEGravaOAnterior)
{
    PastaTemporaria pasta;
    pasta.entrar();
    const std::string primeiro = pasta.escrever("a.csv", "1;UM;UN;;;;;;1\n2;DOIS;UN;;;;;;2\n");
    const std::string segundo = pasta.escrever("b.csv", "3;TRES;CX;;;;;;3");
    const auto cds = pasta.caminho() / "ProdutosTARVEX.cds";

    StagingTable t;
    int eventos = 0;
    EXPECT_EQ(carregarProdutos(t, primeiro, [&] { ++eventos; }).registros, 2);
    EXPECT_EQ(t.recNo(), 1);                    // the last record stored
    EXPECT_FALSE(std::filesystem::exists(cds)); // nothing was read before

    EXPECT_EQ(carregarProdutos(t, segundo, semEventos).registros, 1);
    std::string conteudo = pasta.ler("ProdutosTARVEX.cds");
    EXPECT_NE(conteudo.find("RECORDS\t2\n1\tUM\t"), std::string::npos);
    EXPECT_NE(conteudo.find("\n2\tDOIS\t"), std::string::npos);

    t.close();
    conteudo = pasta.ler("ProdutosTARVEX.cds");
    EXPECT_NE(conteudo.find("RECORDS\t1\n3\tTRES\tCX\t"), std::string::npos);

    // A missing file: the table is left open and empty.
    t.createDataSet();
    t.close();
    const std::string falta = pasta.arquivo("falta.csv");
    EXPECT_EQ(mensagem([&] { carregarProdutos(t, falta, semEventos); }),
              "Cannot open file \"" + falta + "\". No such file or directory");
    EXPECT_TRUE(t.active());
    EXPECT_EQ(t.recordCount(), 0);

#ifndef _WIN32
    // A named pipe nobody writes to is refused at once, not waited on; the message is
    // Latin-1, the accented name included.
    const std::string fifo = pasta.arquivo("cota\xC3\xA7\xC3\xA3o.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(mensagem([&] { carregarProdutos(t, fifo, semEventos); }),
              "Cannot open file \"" + pasta.arquivo("cota\xE7\xE3o.csv") + "\". N\xE3o \xE9 um arquivo comum");
    EXPECT_EQ(t.recordCount(), 0);
#endif

    // The empty file gives an open, empty table.
    EXPECT_EQ(carregarProdutos(t, pasta.escrever("vazio.csv", ""), semEventos).registros, 0);
    EXPECT_TRUE(t.active());
    EXPECT_EQ(eventos, 0); // two short lines never reach the event interval
}

TEST(LeitorCSV, LimiteDeCapacidadeEStagingBloqueado)
{
    PastaTemporaria pasta;
    pasta.entrar();
    // A sparse file just past the capacity costs no disk.
    const std::string grande = pasta.arquivo("grande.csv");
    std::ofstream(grande, std::ios::binary).close();
    std::filesystem::resize_file(grande, static_cast<std::uintmax_t>(CapacidadeTexto) + 1);
    StagingTable t;
    EXPECT_EQ(mensagem([&] { carregarProdutos(t, grande, semEventos); }), "Text exceeds memo capacity");
    EXPECT_EQ(t.recordCount(), 0);

    // The previous table cannot be written: nothing of the new file is read.
    std::filesystem::create_directory(pasta.caminho() / "ProdutosTARVEX.cds");
    const std::string csv = pasta.escrever("p.csv", "1;A\n");
    EXPECT_NE(mensagem([&] { carregarProdutos(t, csv, semEventos); }).find("Cannot create file"), std::string::npos);
    EXPECT_EQ(t.recordCount(), 0);
    std::filesystem::remove(pasta.caminho() / "ProdutosTARVEX.cds");
}

// A file as people edit it: a header row, blank lines, a line without its price, units and
// NCM codes longer than their fields, NCM codes in groups, UTF-8 punctuation, a character
// Latin-1 lacks. Every line comes out as it says, or a note names it with its line.
TEST(LeitorCSV, FormasQueAsPessoasEditamSaoLidasOuNomeadas)
{
    using T = NotaLeitura::Tipo;
    const std::string longa(150, 'D');
    const std::string bytes = "CODIGO;DESCRICAO;UN;ICMS;X;PIS;COFINS;NCM;PRECO\r\n"  // 1
                              "10;ARROZ;UN;xx018;0;xxx01;xxx01;1006.30.21;12,50\r\n" // 2
                              "\r\n"                                                 // 3
                              " \t\r\n"                                              // 4
                              "11;CAMISA \xE2\x80\x9CPOLO\xE2\x80\x9D \xE2\x80\x93 "
                              "AZUL\xE2\x80\xA6;CAIXA;xx018;0;xxx01;xxx01;3402 20 00;1,00\r\n"
                              "12;CANETA;CAIXA12;xx018;0;xxx01;xxx01;3402-20-00;2\r\n"   // 6
                              "13;SEM PRECO;caixa;xx018;0;xxx01;xxx01;34022000\r\n"      // 7
                              "14;MARCA\xE2\x84\xA2;CAI;xx018;0;xxx01;xxx01;AB.12;3\r\n" // 8
                              "15;" +
                              longa +
                              ";UN;xx018;0;xxx01;xxx01;1006.30.21;12.5.0\r\n"         // 9
                              "sem;X;UN\r\n"                                          // 10
                              "16;NCM LONGO;UN;xx018;0;xxx01;xxx01;3402200099;1\r\n"; // 11
    StagingTable t("");
    t.createDataSet();
    const ResultadoLeitura r = preencherTabela(t, bytes, semEventos);
    ASSERT_EQ(r.registros, 8);

    const struct {
        int linha;
        T tipo;
        Campo campo;
    } esperadas[] = {
        {1, T::Cabecalho, NumCampos},      {3, T::LinhaEmBranco, NumCampos},  {4, T::LinhaEmBranco, NumCampos},
        {5, T::TextoCortado, UNIDADE},     {6, T::TextoCortado, UNIDADE},     {6, T::ValoresIguais, UNIDADE},
        {7, T::PrecoAusente, VALORVENDA},  {8, T::SemLatin1, DESCRICAO},      {8, T::ValoresIguais, UNIDADE},
        {9, T::TextoCortado, DESCRICAO},   {9, T::PrecoIlegivel, VALORVENDA}, {10, T::CodigoSemDigitos, COD_PRODUTO},
        {10, T::PrecoAusente, VALORVENDA}, {11, T::TextoCortado, NCM},        {11, T::ValoresIguais, NCM},
    };
    ASSERT_EQ(r.notas.size(), std::size(esperadas));
    for (std::size_t i = 0; i < r.notas.size(); ++i) {
        EXPECT_EQ(r.notas[i].linha, esperadas[i].linha) << i;
        EXPECT_EQ(r.notas[i].tipo, esperadas[i].tipo) << i;
        EXPECT_EQ(r.notas[i].campo, esperadas[i].campo) << i;
    }
    EXPECT_EQ(r.porTipo[std::size_t(T::LinhaEmBranco)], 2);
    EXPECT_EQ(r.notas[3].texto(),
              "linha 5, UNIDADE: 'CAIXA' gravada como 'CAI' (5 caracteres, o campo tem 3), em 2 linhas");
    EXPECT_EQ(r.notas[5].texto(),
              "linha 6, UNIDADE: 'CAIXA12' e 'CAIXA' (linha 5) ficaram iguais, 'CAI': ser\xE3o uma s\xF3 unidade");
    EXPECT_EQ(r.notas[6].texto(),
              "linha 7, VALORVENDA: a linha tem 8 campos, falta o 9\xBA (pre\xE7o): o item de pre\xE7o "
              "n\xE3o ser\xE1 gravado [13;SEM PRECO;caixa;xx018;0;xxx01;xxx01;34022000]");
    EXPECT_NE(r.notas[7].texto().find("U+2122 [14;MARCA?;"), std::string::npos) << r.notas[7].texto();

    // Rows by record: line, what was stored, which cells are marked.
    const struct {
        int linha;
        const char* descricao;
        const char* unidade;
        const char* ncm;
        bool unidadeMarcada;
    } linhas[] = {
        {2, "ARROZ", "UN", "10063021", false},
        {5, "CAMISA \"POLO\" - AZUL...", "CAI", "34022000", true},
        {6, "CANETA", "CAI", "34022000", true},
        {7, "SEM PRECO", "cai", "34022000", true},
        {8, "MARCA?", "CAI", "AB.12", true},
        {9, nullptr, "UN", "10063021", false},
        {10, "X", "UN", "", false},
        {11, "NCM LONGO", "UN", "34022000", false},
    };
    for (int row = 0; row < 8; ++row) {
        const auto& e = linhas[row];
        EXPECT_EQ(t.cellLinha(row), e.linha);
        if (e.descricao) {
            EXPECT_EQ(t.cellText(row, DESCRICAO), e.descricao) << e.linha;
        }
        EXPECT_EQ(t.cellText(row, UNIDADE), e.unidade) << e.linha;
        EXPECT_EQ(t.cellText(row, NCM), e.ncm) << e.linha;
        EXPECT_EQ(t.cellMarcada(row, UNIDADE), e.unidadeMarcada) << e.linha;
    }
    EXPECT_EQ(t.cellText(5, DESCRICAO), longa.substr(0, 100));
    EXPECT_TRUE(t.cellMarcada(5, DESCRICAO));
    EXPECT_FALSE(t.cellMarcada(0, VALORVENDA));
    EXPECT_TRUE(t.cellText(6, COD_PRODUTO).empty());

    // A missing price is no amount: its price item fails, with a message of its own; typed
    // in the grid, it stands and its mark goes.
    EXPECT_EQ(t.cellText(3, VALORVENDA), "");
    EXPECT_EQ(mensagem([&] { t.cellMoney(3, VALORVENDA); }),
              "Pre\xE7o ausente: a linha do arquivo n\xE3o tem o campo do pre\xE7o");
    EXPECT_TRUE(t.cellMarcada(3, VALORVENDA));
    t.setCellText(3, VALORVENDA, "4,50");
    EXPECT_EQ(t.cellMoney(3, VALORVENDA), 45000);
    EXPECT_FALSE(t.cellMarcada(3, VALORVENDA));

    // Short lists print whole; long ones their first notes and a count by kind.
    EXPECT_EQ(r.resumo(100).find("Notas da leitura (15):\n  linha 1: "), 0u) << r.resumo(100);
    const std::string curto = r.resumo(4);
    EXPECT_NE(curto.find("linha 3: em branco"), std::string::npos) << curto;
    EXPECT_EQ(curto.find("linha 4:"), std::string::npos) << curto;
    EXPECT_NE(curto.find("e mais 13. Por tipo:\n    2 linhas em branco ignoradas\n    1 cabe\xE7"
                         "alho ignorado\n"),
              std::string::npos)
        << curto;
}

namespace {

// Everything a reading leaves: its failure, the rows with their lines and marks, the notes.
std::string retrato(const std::function<ResultadoLeitura(StagingTable&)>& ler)
{
    StagingTable t("");
    t.createDataSet();
    ResultadoLeitura r;
    std::string s = mensagem([&] { r = ler(t); }) + "\n";
    for (int row = 0; row < t.recordCount(); ++row) {
        s += std::to_string(t.cellLinha(row));
        for (int c = 0; c < NumCampos; ++c)
            s.append("|").append(t.cellText(row, Campo(c))).append(t.cellMarcada(row, Campo(c)) ? "*" : "");
        s += "\n";
    }
    for (const NotaLeitura& n : r.notas)
        s += n.texto() + "|" + n.conteudo + "\n";
    return s + std::to_string(r.registros) + " " + std::to_string(r.totalNotas()) + " " + std::to_string(t.pending());
}

} // namespace

// Read in pieces, a file gives what its whole bytes give wherever a piece ends: inside a
// CR LF, a UTF-8 sequence or the byte order mark, among NULs, within a line longer than a
// piece, before a byte that decides against UTF-8 late, at a failing line.
TEST(LeitorCSV, EmPedacosComoInteiro)
{
    using namespace std::string_literals;
    const std::string longa(150, 'L');
    const std::string arquivos[] = {
        "\xEF\xBB\xBF"
        "1;A\xC3\xA7\xC3\xA3o;un;xx018;;xxx01;xxx01;1006.30.21;12,50\r\n2;\xE2\x80\x9C"
        "B\xE2\x80\x9D;"
        "CAIXA;;;;;;\r\r\n\r3;" +
            longa + ";\xF0\x9F\x98\x80;;;;;;x\n\n4;\xE2\x84\xA2;UN",
        "CODIGO;DESCRICAO\r\n1;\xC3\xA7;UN;\r\n2;X\0\0Y;UN;\r\0\n\0003;Z;Un;;;;;;1\r"s + longa + "\r\r\n4;\xE7\r",
        "1;\xC3\xA7;UN;;;;;;1,5\n2;\xC3",
        "\xEF\xBB",
        "\xEF\xBB\xBF\"1;2\";\xC3\xA7;UN\n",
        "1;\xE2\x80\x9C"
        "A\xE2\x80\x9D;\xF0\x9F\x98\x80;UN\r\n2;\xC3\xA7\xC3\xA3;;;;;;;1",
        "1;A\n2;B;UN;xx018;;xxxP1;xxx02\n3;C",
    };
    PastaTemporaria pasta;
    for (const std::string& bytes : arquivos) {
        const std::string csv = pasta.escrever("p.csv", bytes);
        const std::string inteiro = retrato([&](StagingTable& t) { return preencherTabela(t, bytes, semEventos); });
        for (std::size_t pedaco : {1, 2, 3, 4, 5, 7, 64})
            EXPECT_EQ(retrato([&](StagingTable& t) { return preencherDoArquivo(t, csv, semEventos, pedaco); }), inteiro)
                << "pieces of " << pedaco << " bytes, file " << &bytes - arquivos;
    }
}
