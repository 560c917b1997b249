#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PastaTemp.h"
#include "staging/LeitorCSV.h"

using namespace norvo::staging;
using norvo::staging::teste::DentroDe;
using norvo::staging::teste::lerTudo;
using norvo::staging::teste::PastaTemp;
using norvo::staging::teste::mensagem;

namespace {

const std::function<void()> semEventos;


// Reads the bytes as a file would be read and gives the table back, positioned on the
// first record.
struct Leitura {
    StagingTable t{""};
    int total = 0;
    explicit Leitura(const std::string& bytes) {
        t.createDataSet();
        t.emptyDataSet();
        total = preencherTabela(t, bytes, semEventos);
        t.first();
    }
};

} // namespace

TEST(LeitorCSV, PosicoesDosCampos) {
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
    EXPECT_EQ(q.icms, "1");     // field 4 "ab1" has only a 3rd character
    EXPECT_EQ(q.pis, "9");      // field 6 "abc9" has only a 4th character
    EXPECT_EQ(q.cofins, "");    // field 7 "abc" has none
    EXPECT_EQ(q.ncm, "");
    EXPECT_EQ(q.preco.valor, 30000);

    // Three separators: fields 1..3, nothing later, price from field 4.
    const CamposLinha tres = lerLinha("7;DESC;UN;9,90");
    EXPECT_EQ(tres.unidade, "UN");
    EXPECT_EQ(tres.icms, "");
    EXPECT_EQ(tres.ncm, "");
    EXPECT_EQ(tres.preco.valor, 99000);
    EXPECT_EQ(lerLinha("42").codigo, "");     // not followed by ";"
    EXPECT_EQ(lerLinha("42").preco.valor, 420000);  // the whole line is the price
    EXPECT_EQ(lerLinha("").preco.estado, PrecoLido::Estado::Vazio);

    // More than eight: the price is field 9 alone.
    EXPECT_EQ(lerLinha("1;a;b;c;d;e;f;g;12.50;").preco.valor, 125000);
    EXPECT_EQ(lerLinha("1;a;b;c;d;e;f;g;1234567.89;x;y").preco.valor, 12345678900);
}

TEST(LeitorCSV, Precos) {
    using E = PrecoLido::Estado;
    const struct {
        const char* texto;
        E estado;
        std::int64_t valor;
    } casos[] = {
        {"12.50", E::Valido, 125000},
        {"12,50", E::Valido, 125000},
        {"0,5", E::Valido, 5000},
        {"0.5", E::Valido, 5000},
        {",5", E::Valido, 5000},
        {"5,", E::Valido, 50000},
        {" \t 3 \r", E::Valido, 30000},
        {"1234567.89", E::Valido, 12345678900},
        {"1.234", E::Valido, 12340},            // one mark alone is decimal
        {"1,234", E::Valido, 12340},
        {"1.234,56", E::Valido, 12345600},
        {"1,234.56", E::Valido, 12345600},
        {"1.234.567", E::Valido, 12345670000},  // repeated: thousands
        {"1,234,567", E::Valido, 12345670000},
        {"1.234.567,89", E::Valido, 12345678900},
        {"R$ 29,90", E::Valido, 299000},
        {"r$1.234,5", E::Valido, 12345000},
        {"0.00005", E::Valido, 1},              // halves up
        {"0.000049999", E::Valido, 0},
        {"1.00005", E::Valido, 10001},          // exact, not binary-rounded
        {"922337203685477.5807", E::Valido, INT64_MAX},
        {"", E::Vazio, 0},
        {" \t ", E::Vazio, 0},
        {"922337203685477.5808", E::Invalido, 0},   // beyond the 64-bit range
        {"99999999999999999999", E::Invalido, 0},
        {"-5", E::Invalido, 0},
        {"+5", E::Invalido, 0},
        {"+,5", E::Invalido, 0},
        {"-1.234.567,89", E::Invalido, 0},
        {"-0.00005", E::Invalido, 0},
        {"1E3", E::Invalido, 0},
        {"1,5E2", E::Invalido, 0},
        {"25e-1", E::Invalido, 0},
        {"R$", E::Invalido, 0},
        {"R$ ,", E::Invalido, 0},
        {"12a", E::Invalido, 0},
        {"12.5.0", E::Invalido, 0},
        {"1.23.456", E::Invalido, 0},
        {"12.34,5", E::Invalido, 0},
        {"1.234,56,7", E::Invalido, 0},
        {"1.234,5.6", E::Invalido, 0},
        {"1,2,3", E::Invalido, 0},
        {"1 0", E::Invalido, 0},
        {",", E::Invalido, 0},
        {"12.50;", E::Invalido, 0},
        {"0x10", E::Invalido, 0},
        {"$ 10", E::Invalido, 0},
    };
    for (const auto& c : casos) {
        const PrecoLido p = lerPreco(c.texto);
        EXPECT_EQ(p.estado, c.estado) << c.texto;
        EXPECT_EQ(p.valor, c.valor) << c.texto;
    }
    for (const char* ruim : {"abc", "-", "1e", "1e+", "1e300", "1e-300", "-922337203685477.5808"})
        EXPECT_EQ(lerPreco(ruim).estado, E::Invalido) << ruim;
}

TEST(LeitorCSV, LinhasDeUmaLojaEPrecoIlegivel) {
    PastaTemp pasta;
    DentroDe dentro(pasta.caminho());
    // Latin-1: \xc3 is A with tilde, \xd3 O acute.
    const std::string bytes =
        "10;\"SAB\xc3O; EM P\xd3 \"\"ECO\"\"\";un;T0018;;PIS01;COF01;3402.20.00;R$ 1.234,56\r\n"
        "11;\"FEIJ\xc3O;CARIOCA;UN;T0018;;PIS01;COF01;0713.33.99;8,49\r\n"   // never closed
        "12;ARROZ TIPO 1;KG;T0007;;PIS04;COF04;10063021;1,234.5\r\n"
        "13;DETERGENTE;CX;T0018;;PIS01;COF01;3402.20.00;12.5.0\r\n";
    StagingTable t;
    t.createDataSet();
    ASSERT_EQ(preencherTabela(t, bytes, semEventos), 4);

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
    EXPECT_FALSE(t.isNull(VALORVENDA));   // the current record is the last one
    EXPECT_EQ(t.asText(VALORVENDA), "12.5.0");
    EXPECT_EQ(mensagem([&] { t.cellMoney(3, VALORVENDA); }), "Pre\xe7o inv\xe1lido: '12.5.0'");
    EXPECT_EQ(mensagem([&] { t.setCellText(1, VALORVENDA, "8.4.9"); }),
              "'8.4.9' is not a valid floating point value for field 'VALORVENDA'");
    t.setCellText(1, VALORVENDA, "8,49");   // typing a price over it replaces the text
    EXPECT_EQ(t.cellMoney(1, VALORVENDA), 84900);

    t.insert();
    t.setFieldInvalid(VALORVENDA, "9\t90");
    EXPECT_EQ(mensagem([&] { t.setFieldInvalid(NCM, "x"); }), "Field 'NCM' is not a money field");
    t.post();
    t.close();
    const std::string cds = lerTudo("ProdutosTARVEX.cds");
    EXPECT_NE(cds.find("\n11\tFEIJ\xc3O\tCAR\t\\N\t\\N\t1\tCOF01\t8.49\n"), std::string::npos) << cds;
    EXPECT_NE(cds.find("\n13\tDETERGENTE\tCX\t018\t1\t1\t34022000\t!12.5.0\n"), std::string::npos) << cds;
    EXPECT_NE(cds.find("\t!9\\t90\n"), std::string::npos) << cds;
}

TEST(LeitorCSV, CodigosEFalhaDeInteiro) {
    Leitura ok("A-00.123;X\nsem digitos;Y\n");
    EXPECT_EQ(ok.t.asInteger(COD_PRODUTO), 123);
    ok.t.next();
    EXPECT_TRUE(ok.t.isNull(COD_PRODUTO));

    StagingTable t("");
    t.createDataSet();
    const std::string bytes = "1;A;UN;xx018;;xxx01;xxx01;1;1\n"
                              "2;B;UN;xx018;;xxxP1;xxx02;2;2\n"
                              "3;C;UN;xx018;;xxx03;xxx03;3;3\n";
    EXPECT_EQ(mensagem([&] { preencherTabela(t, bytes, semEventos); }),
              "'P1' is not a valid integer value for field 'PIS'");
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_TRUE(t.pending());
    EXPECT_EQ(t.asText(COD_PRODUTO), "2");   // assigned before the failure
    EXPECT_EQ(t.asText(ICMS), "018");
    EXPECT_TRUE(t.isNull(COFINS));           // not reached
    t.first();                                // settles: it was assigned, so it is stored
    EXPECT_EQ(t.recordCount(), 2);

    StagingTable longo("");
    longo.createDataSet();
    EXPECT_EQ(mensagem([&] { preencherTabela(longo, "12345678901;X", semEventos); }),
              "'12345678901' is not a valid integer value for field 'COD_PRODUTO'");
    EXPECT_EQ(longo.recordCount(), 0);
}

TEST(LeitorCSV, QuebrasDeLinha) {
    EXPECT_EQ(dividirLinhas("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(dividirLinhas("a\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(dividirLinhas("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(dividirLinhas("\n\r"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(dividirLinhas("").empty());
    // NUL bytes are dropped wherever they stand; what follows is read.
    EXPECT_EQ(dividirLinhas(std::string("a\0b\r\0\nc\0", 9)), (std::vector<std::string>{"ab", "c"}));
    EXPECT_TRUE(dividirLinhas(std::string("\0\0", 2)).empty());

    Leitura l("1;X\n\n");
    EXPECT_EQ(l.total, 2);
    l.t.next();
    for (int c = 0; c < VALORVENDA; ++c) EXPECT_TRUE(l.t.isNull(Campo(c))) << c;
    EXPECT_FALSE(l.t.isNull(VALORVENDA));   // the price is always set, here to 0
    EXPECT_EQ(l.t.asMoney(VALORVENDA), 0);

    const std::string longa = "9;" + std::string(4998, 'L');
    ASSERT_EQ(longa.size(), 5000u);
    const auto linhas = dividirLinhas(longa + "\n;;;;;;;;" + std::string(4990, '0') + "7");
    ASSERT_EQ(linhas.size(), 2u);
    EXPECT_EQ(linhas[0], longa);
    EXPECT_EQ(lerLinha(linhas[1]).preco.valor, 70000);   // a price past the 4,096th character
}

TEST(LeitorCSV, Codificacoes) {
    // UTF-8 with a byte order mark: the mark does not reach the first code.
    Leitura bom("\xEF\xBB\xBF" "5;A\xC3\xA7\xC3\xBA" "car;UN;\n");
    EXPECT_EQ(bom.t.asInteger(COD_PRODUTO), 5);
    EXPECT_EQ(bom.t.asText(DESCRICAO), "A\xE7\xFA" "car");

    Leitura semBom("1;P\xC3\xA3o \xE2\x82\xAC;UN;\n");
    EXPECT_EQ(semBom.t.asText(DESCRICAO), "P\xE3o ?");

    // Latin-1 kept byte for byte, including bytes that would start UTF-8 sequences.
    Leitura latin("1;P\xE3o \xC3\xA7\xE7\xFF;UN;\n");
    EXPECT_EQ(latin.t.asText(DESCRICAO), "P\xE3o \xC3\xA7\xE7\xFF");

    // Decided on the whole file: one Latin-1 byte late in the file keeps it Latin-1.
    Leitura misto("1;\xC3\xA7;UN;\n2;\xE7;UN;\n");
    EXPECT_EQ(misto.t.asText(DESCRICAO), "\xC3\xA7");
}

TEST(LeitorCSV, CarregaArquivoEGravaOAnterior) {
    PastaTemp pasta;
    DentroDe dentro(pasta.caminho());
    const std::string primeiro = pasta.escrever("a.csv", "1;UM;UN;;;;;;1\n2;DOIS;UN;;;;;;2\n");
    const std::string segundo = pasta.escrever("b.csv", "3;TRES;CX;;;;;;3");
    const auto cds = pasta.caminho() / "ProdutosTARVEX.cds";

    StagingTable t;
    int eventos = 0;
    EXPECT_EQ(carregarProdutos(t, primeiro, [&] { ++eventos; }), 2);
    EXPECT_EQ(t.recNo(), 1);   // the last record stored
    EXPECT_FALSE(std::filesystem::exists(cds));   // nothing was read before

    EXPECT_EQ(carregarProdutos(t, segundo, semEventos), 1);
    std::string conteudo = lerTudo(cds.string());
    EXPECT_NE(conteudo.find("RECORDS\t2\n1\tUM\t"), std::string::npos);
    EXPECT_NE(conteudo.find("\n2\tDOIS\t"), std::string::npos);

    t.close();
    conteudo = lerTudo(cds.string());
    EXPECT_NE(conteudo.find("RECORDS\t1\n3\tTRES\tCX\t"), std::string::npos);

    // A missing file: the table is left open and empty.
    t.createDataSet();
    t.close();
    const std::string falta = pasta.arquivo("falta.csv");
    EXPECT_EQ(mensagem([&] { carregarProdutos(t, falta, semEventos); }),
              "Cannot open file \"" + falta + "\". No such file or directory");
    EXPECT_TRUE(t.active());
    EXPECT_EQ(t.recordCount(), 0);

    // A named pipe nobody writes to is refused at once, not waited on; the message is
    // Latin-1, the accented name included.
    const std::string fifo = pasta.arquivo("cota\xC3\xA7\xC3\xA3o.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(mensagem([&] { carregarProdutos(t, fifo, semEventos); }),
              "Cannot open file \"" + pasta.arquivo("cota\xE7\xE3o.csv") + "\". N\xE3o \xE9 um arquivo comum");
    EXPECT_EQ(t.recordCount(), 0);

    // The empty file gives an open, empty table.
    EXPECT_EQ(carregarProdutos(t, pasta.escrever("vazio.csv", ""), semEventos), 0);
    EXPECT_TRUE(t.active());
    EXPECT_EQ(eventos, 0);   // two short lines never reach the event interval
}

TEST(LeitorCSV, LimiteDeCapacidadeEStagingBloqueado) {
    PastaTemp pasta;
    DentroDe dentro(pasta.caminho());
    // A sparse file just past the capacity costs no disk.
    const std::string grande = pasta.arquivo("grande.csv");
    const int fd = ::open(grande.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(CapacidadeTexto) + 1), 0);
    ::close(fd);
    StagingTable t;
    EXPECT_EQ(mensagem([&] { carregarProdutos(t, grande, semEventos); }), "Text exceeds memo capacity");
    EXPECT_EQ(t.recordCount(), 0);

    // The previous table cannot be written: nothing of the new file is read.
    std::filesystem::create_directory(pasta.caminho() / "ProdutosTARVEX.cds");
    const std::string csv = pasta.escrever("p.csv", "1;A\n");
    EXPECT_NE(mensagem([&] { carregarProdutos(t, csv, semEventos); }).find("Cannot create file"),
              std::string::npos);
    EXPECT_EQ(t.recordCount(), 0);
    std::filesystem::remove(pasta.caminho() / "ProdutosTARVEX.cds");
}
