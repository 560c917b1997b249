#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "PastaTemporaria.h"
#include "app/IniFile.h"

using norvo::app::IniFile;
using norvo::teste::PastaTemporaria;

namespace {

struct IniLeitura : ::testing::Test {
    PastaTemporaria pasta;
    IniFile ini{pasta.arquivo("Config.ini")};
    void arquivo(const std::string& bytes) { pasta.escrever("Config.ini", bytes); }
};

TEST_F(IniLeitura, ArquivoAusenteDaOValorPadrao)
{
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "");
    EXPECT_EQ(ini.ler("Bancos", "Destino", "nada"), "nada");
}

TEST_F(IniLeitura, SecaoOuChaveAusenteDaOValorPadrao)
{
    arquivo("[Outra]\r\nDestino=/x.fdb\r\n[Bancos]\r\nOrigem=/y.fdb\r\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "");
    EXPECT_EQ(ini.ler("Nenhuma", "Destino"), "");
}

TEST_F(IniLeitura, ChaveDaSecaoCertaMesmoComAMesmaChaveEmOutra)
{
    arquivo("[Outra]\nDestino=/errado.fdb\n[Bancos]\nDestino=/certo.fdb\n[Depois]\nDestino=/x\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/certo.fdb");
}

TEST_F(IniLeitura, NomesSemDiferencaDeMaiusculas)
{
    arquivo("[bancos]\r\nDESTINO=/dados/loja.fdb\r\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/dados/loja.fdb");
}

TEST_F(IniLeitura, BrancosEmVoltaDaChaveEDoValorSaoIgnorados)
{
    arquivo("  [ Bancos ]  \r\n\t Destino \t=  /dados/minha loja.fdb \t\r\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/dados/minha loja.fdb");
}

TEST_F(IniLeitura, AspasEmVoltaSaoRetiradas)
{
    arquivo("[Bancos]\nDestino=\"/dados/minha loja.fdb\"\nOrigem='/a b.fdb'\nOutro=\"meio'\n"
            "Dentro=a\"b\"c\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/dados/minha loja.fdb");
    EXPECT_EQ(ini.ler("Bancos", "Origem"), "/a b.fdb");
    // Quotes that do not pair up around the whole value stay.
    EXPECT_EQ(ini.ler("Bancos", "Outro"), "\"meio'");
    EXPECT_EQ(ini.ler("Bancos", "Dentro"), "a\"b\"c");
}

TEST_F(IniLeitura, ComentariosNaoSaoChaves)
{
    arquivo("[Bancos]\n;Destino=/comentado.fdb\n#Destino=/tambem.fdb\nDestino=/vale.fdb\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/vale.fdb");
}

TEST_F(IniLeitura, ValorLidoAte2047Caracteres)
{
    const std::string longo(3000, 'a');
    arquivo("[Bancos]\nDestino=" + longo + "\nCurto=" + std::string(2047, 'b') + "\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), std::string(2047, 'a'));
    EXPECT_EQ(ini.ler("Bancos", "Curto"), std::string(2047, 'b'));
}

TEST_F(IniLeitura, BytesLatin1PassamComoEstao)
{
    arquivo("[Bancos]\nDestino=/dados/Jo\xE3o.fdb\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/dados/Jo\xE3o.fdb");
}

TEST_F(IniLeitura, ValorVazioELinhaSemFimNoFinal)
{
    arquivo("[Bancos]\r\nOrigem=\r\nDestino=/ultimo.fdb");
    EXPECT_EQ(ini.ler("Bancos", "Origem", "padrao"), "");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/ultimo.fdb");
}

struct IniGravacao : IniLeitura {
    void gravar(const std::string& valor) { ini.gravar("Bancos", "Destino", valor); }
    std::string conteudo() const { return pasta.ler("Config.ini"); }
};

TEST_F(IniGravacao, CriaOArquivoQuandoNaoExiste)
{
    gravar("/dados/loja.fdb");
    EXPECT_EQ(conteudo(), "[Bancos]\r\nDestino=/dados/loja.fdb\r\n");
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/dados/loja.fdb");
}

TEST_F(IniGravacao, ValorVazioTambemEGravado)
{
    gravar("");
    EXPECT_EQ(conteudo(), "[Bancos]\r\nDestino=\r\n");
}

TEST_F(IniGravacao, TrocaSoALinhaDoValorEGuardaORestoByteAByte)
{
    const std::string antes = "; configuracao da loja\r\n"
                              "[Geral]\r\n"
                              "Nome = Loja  Um \r\n"
                              "\r\n"
                              "[BANCOS]\r\n"
                              "Origem=C:\\Bantuva\\MORELIA.FDB\r\n"
                              "  destino  =  \"/velho/caminho.fdb\"\r\n"
                              "Extra=1\r\n"
                              "[Fim]\r\n"
                              "x=y";
    arquivo(antes);
    gravar("/novo/minha loja.fdb");
    std::string esperado = antes;
    esperado.replace(esperado.find("  destino  =  \"/velho/caminho.fdb\""),
                     std::string("  destino  =  \"/velho/caminho.fdb\"").size(), "destino=/novo/minha loja.fdb");
    EXPECT_EQ(conteudo(), esperado);
    EXPECT_EQ(ini.ler("Bancos", "Destino"), "/novo/minha loja.fdb");
}

TEST_F(IniGravacao, ArquivoComFimDeLinhaLFContinuaLF)
{
    arquivo("[Bancos]\nOrigem=/o.fdb\n\n[Outra]\nk=v\n");
    gravar("/d.fdb");
    EXPECT_EQ(conteudo(), "[Bancos]\nOrigem=/o.fdb\nDestino=/d.fdb\n\n[Outra]\nk=v\n");
}

TEST_F(IniGravacao, AcrescentaASecaoNoFimQuandoFalta)
{
    arquivo("[Outra]\r\nk=v");
    gravar("/d.fdb");
    EXPECT_EQ(conteudo(), "[Outra]\r\nk=v\r\n[Bancos]\r\nDestino=/d.fdb\r\n");
}

TEST_F(IniGravacao, AcrescentaAChaveNaSecaoQueJaExiste)
{
    arquivo("[Bancos]\r\nOrigem=/o.fdb");
    gravar("/d.fdb");
    EXPECT_EQ(conteudo(), "[Bancos]\r\nOrigem=/o.fdb\r\nDestino=/d.fdb\r\n");
}

TEST_F(IniGravacao, SegundaGravacaoSubstituiAPrimeira)
{
    gravar("/um.fdb");
    gravar("/dois.fdb");
    EXPECT_EQ(conteudo(), "[Bancos]\r\nDestino=/dois.fdb\r\n");
}

TEST_F(IniGravacao, NaoDeixaArquivoTemporarioParaTras)
{
    arquivo("[Bancos]\r\nDestino=/a.fdb\r\n");
    gravar("/b.fdb");
    EXPECT_EQ(pasta.quantosArquivos(), 1u);
}

#ifndef _WIN32 // Windows has no such permission bits
TEST_F(IniGravacao, GuardaAsPermissoesDoArquivo)
{
    arquivo("[Bancos]\r\nDestino=/a.fdb\r\n");
    ASSERT_EQ(::chmod(pasta.arquivo("Config.ini").c_str(), 0640), 0);
    gravar("/b.fdb");
    struct stat st {};
    ASSERT_EQ(::stat(pasta.arquivo("Config.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}
#endif

TEST(IniFalha, PastaInexistenteFalhaComOCaminhoCompleto)
{
    PastaTemporaria pasta;
    const std::string caminho = pasta.arquivo("nao/existe/Config.ini");
    IniFile ini(caminho);
    try {
        ini.gravar("Bancos", "Destino", "/d.fdb");
        FAIL() << "a write into a missing folder succeeded";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + caminho);
    }
}

TEST(IniFalha, UmaPastaNoLugarDoArquivoFalhaENaoEApagada)
{
    PastaTemporaria pasta;
    std::filesystem::create_directory(pasta.arquivo("Config.ini"));
    IniFile ini(pasta.arquivo("Config.ini"));
    EXPECT_THROW(ini.gravar("Bancos", "Destino", "/d.fdb"), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(pasta.arquivo("Config.ini")));
    EXPECT_EQ(pasta.quantosArquivos(), 1u);
}

} // namespace
