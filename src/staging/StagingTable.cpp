#include "staging/StagingTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>

#include "texto/Arquivo.h"
#include "texto/Texto.h"
#include "texto/Latin1.h"

namespace norvo::staging {

using texto::salvarArquivo;
using texto::SoNumeros;
using texto::Utf8ParaLatin1;

using texto::Aparar;
using texto::EhBranco;

namespace {

constexpr const char* TabelaFechada = "Cannot perform this operation on a closed dataset";
constexpr const char* TabelaTravada = "Cannot change the staged products while an import is running";

struct DefCampo {
    const char* nome;
    TipoCampo tipo;
    int tamanho;
};

constexpr DefCampo Campos[NumCampos] = {
    {"COD_PRODUTO", TipoCampo::Inteiro, 0}, {"DESCRICAO", TipoCampo::Texto, 100},   {"UNIDADE", TipoCampo::Texto, 3},
    {"ICMS", TipoCampo::Texto, 3},          {"PIS", TipoCampo::Inteiro, 0},         {"COFINS", TipoCampo::Inteiro, 0},
    {"NCM", TipoCampo::Texto, 8},           {"VALORVENDA", TipoCampo::Dinheiro, 0},
};

const DefCampo& def(Campo c)
{
    if (c < 0 || c >= NumCampos)
        throw Error("Invalid field index " + std::to_string(int(c)));
    return Campos[c];
}

// The money field keeps a double; every amount with four decimals comes back unchanged
// after multiplying by 10,000 and rounding.
std::int64_t decimosMilesimos(double valor)
{
    const double m = std::round(valor * 10000.0);
    constexpr double Max = 9223372036854775807.0;
    if (m >= Max)
        return std::numeric_limits<std::int64_t>::max();
    if (m <= -Max)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(m);
}

int indiceInteiro(Campo c)
{
    return c == COD_PRODUTO ? 0 : c == PIS ? 1 : 2;
}

inline std::uint8_t bit(Campo c)
{
    return static_cast<std::uint8_t>(1u << c);
}

std::string mensagemInteiro(std::string_view texto)
{
    return "'" + std::string(texto) + "' is not a valid integer value";
}

bool digito(char c)
{
    return c >= '0' && c <= '9';
}

bool soDigitos(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), digito);
}

// "1.234" / "12.345.678" with separador for ".": one to three digits, then groups of the
// separator and three digits, at least one group.
bool milharesAgrupados(std::string_view s, char separador)
{
    const std::size_t primeiro = s.find(separador);
    if (primeiro == std::string_view::npos || primeiro == 0 || primeiro > 3)
        return false;
    if (!soDigitos(s.substr(0, primeiro)))
        return false;
    for (std::size_t i = primeiro; i < s.size(); i += 4)
        if (s.size() - i < 4 || s[i] != separador || !soDigitos(s.substr(i + 1, 3)))
            return false;
    return true;
}

// digitos * 10^expoente, rounded half up, as a magnitude; false when beyond limite.
bool escalar(std::string_view digitos, long expoente, std::uint64_t limite, std::uint64_t& r)
{
    while (!digitos.empty() && digitos.front() == '0')
        digitos.remove_prefix(1);
    r = 0;
    if (digitos.empty())
        return true;
    constexpr long MaxDigitos = 19; // any 19-digit number fits 64 unsigned bits
    const long n = static_cast<long>(digitos.size());
    long manter = expoente >= 0 ? n : n + expoente;
    if (manter > MaxDigitos || (expoente > 0 && n + expoente > MaxDigitos))
        return false;
    if (manter < 0)
        return true; // below half a ten-thousandth
    for (long i = 0; i < manter; ++i)
        r = r * 10 + static_cast<std::uint64_t>(digitos[static_cast<std::size_t>(i)] - '0');
    for (long i = 0; expoente > 0 && i < expoente; ++i)
        r *= 10;
    if (manter < n && digitos[static_cast<std::size_t>(manter)] >= '5')
        ++r;
    return r <= limite;
}

} // namespace

const char* nomeCampo(Campo c)
{
    return def(c).nome;
}
TipoCampo tipoCampo(Campo c)
{
    return def(c).tipo;
}
int tamanhoCampo(Campo c)
{
    return def(c).tamanho;
}

std::optional<std::int32_t> lerInteiro(std::string_view texto)
{
    const auto v = texto::textoParaInteiro(texto, {.hexadecimal = true, .bits = 32});
    if (!v)
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

PrecoLido lerPreco(std::string_view entrada)
{
    using Estado = PrecoLido::Estado;
    constexpr PrecoLido Invalido{Estado::Invalido, 0};
    std::string t = Aparar(entrada);
    if (t.empty())
        return {Estado::Vazio, 0};
    if (t.size() >= 2 && (t[0] == 'R' || t[0] == 'r') && t[1] == '$')
        t = Aparar(std::string_view(t).substr(2));

    // The decimal mark is the last mark when both kinds appear, and must then appear once;
    // one kind alone is decimal when it appears once, thousands when more often.
    const auto pontos = std::count(t.begin(), t.end(), '.');
    const auto virgulas = std::count(t.begin(), t.end(), ',');
    char decimal = 0, milhar = 0;
    if (pontos && virgulas) {
        decimal = t.rfind('.') > t.rfind(',') ? '.' : ',';
        milhar = decimal == '.' ? ',' : '.';
        if ((decimal == '.' ? pontos : virgulas) > 1)
            return Invalido;
    } else if (pontos + virgulas == 1) {
        decimal = pontos ? '.' : ',';
    } else if (pontos + virgulas > 1) {
        milhar = pontos ? '.' : ',';
    }
    const std::size_t posDecimal = decimal ? t.find(decimal) : t.size();
    const std::string_view inteiro = std::string_view(t).substr(0, posDecimal);
    const std::string_view fracao =
        posDecimal < t.size() ? std::string_view(t).substr(posDecimal + 1) : std::string_view();

    std::string digitos;
    if (milhar) {
        if (!milharesAgrupados(inteiro, milhar))
            return Invalido;
        std::remove_copy(inteiro.begin(), inteiro.end(), std::back_inserter(digitos), milhar);
    } else {
        if (!soDigitos(inteiro))
            return Invalido;
        digitos = inteiro;
    }
    if (!soDigitos(fracao) || (digitos.empty() && fracao.empty()))
        return Invalido;
    digitos += fracao;

    std::uint64_t m;
    if (!escalar(digitos, 4 - static_cast<long>(fracao.size()),
                 static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()), m))
        return Invalido;
    return {Estado::Valido, static_cast<std::int64_t>(m)};
}

// ---------------------------------------------------------------------------------------

StagingTable::StagingTable(std::string fileName) : fileName_(std::move(fileName)) {}

StagingTable::~StagingTable()
{
    try {
        close();
    } catch (...) {
        // Nobody is left to tell; losing the by-product file must not end the program.
    }
}

void StagingTable::exigirAberta() const
{
    if (!aberta_)
        throw Error(TabelaFechada);
}

void StagingTable::exigirEditavel() const
{
    exigirAberta();
    if (travas_ > 0)
        throw Error(TabelaTravada);
}

StagingTable::Registro& StagingTable::pendenteEditavel()
{
    exigirEditavel();
    if (!pendente_)
        throw Error("Dataset not in edit or insert mode");
    return *pendente_;
}

void StagingTable::exigirDinheiro(Campo c)
{
    if (def(c).tipo != TipoCampo::Dinheiro)
        throw Error(std::string("Field '") + nomeCampo(c) + "' is not a money field");
}

void StagingTable::lock()
{
    if (aberta_)
        assentar();
    ++travas_;
}

void StagingTable::unlock()
{
    if (travas_ > 0)
        --travas_;
}

void StagingTable::exigirLinha(int row) const
{
    exigirAberta();
    if (row < 0 || row >= static_cast<int>(registros_.size()))
        throw Error("Record index " + std::to_string(row) + " out of range");
}

void StagingTable::avisarReset()
{
    if (ouvinte_ && emLote_ == 0)
        ouvinte_->tableReset();
}

void StagingTable::avisarAtual()
{
    if (ouvinte_ && emLote_ == 0)
        ouvinte_->currentChanged(atual_);
}

void StagingTable::setListener(Listener* l)
{
    ouvinte_ = l;
}

void StagingTable::beginBulk()
{
    if (emLote_++ == 0 && ouvinte_)
        ouvinte_->tableReset();
}

void StagingTable::endBulk()
{
    if (emLote_ == 0)
        return;
    if (--emLote_ == 0 && ouvinte_) {
        ouvinte_->tableReset();
        ouvinte_->currentChanged(aberta_ ? atual_ : -1);
    }
}

void StagingTable::close()
{
    if (!aberta_)
        return;
    if (travas_ > 0)
        throw Error(TabelaTravada);
    pendente_.reset();
    pendenteAtribuido_ = false;
    if (alterada_ && !fileName_.empty())
        gravarArquivo();
    aberta_ = false;
    alterada_ = false;
    fim_ = true;
    atual_ = -1;
    std::vector<Registro>().swap(registros_);
    avisarReset();
    avisarAtual();
}

void StagingTable::createDataSet()
{
    if (aberta_)
        throw Error("Cannot perform this operation on an open dataset");
    registros_.clear();
    pendente_.reset();
    pendenteAtribuido_ = false;
    aberta_ = true;
    alterada_ = false;
    fim_ = true;
    atual_ = -1;
    avisarReset();
    avisarAtual();
}

void StagingTable::emptyDataSet()
{
    exigirEditavel();
    registros_.clear();
    pendente_.reset();
    pendenteAtribuido_ = false;
    atual_ = -1;
    fim_ = true;
    alterada_ = true;
    avisarReset();
    avisarAtual();
}

void StagingTable::assentar()
{
    if (!pendente_)
        return;
    if (pendenteAtribuido_)
        post();
    else
        cancel();
}

void StagingTable::insert()
{
    exigirEditavel();
    assentar();
    if (registros_.capacity() == registros_.size())
        registros_.reserve(registros_.size() < 1024 ? 1024 : registros_.size() * 2);
    pendente_.emplace();
    pendenteAtribuido_ = false;
}

void StagingTable::cancel()
{
    exigirAberta();
    const bool linhaDaGrade = pendente_ && pendenteNoFim_;
    pendente_.reset();
    pendenteAtribuido_ = false;
    pendenteNoFim_ = false;
    if (linhaDaGrade) {
        avisarReset();
        avisarAtual();
    }
}

void StagingTable::post()
{
    pendenteEditavel();
    // Inserted after the current record, so records walk in the order they were stored;
    // the grid's new row goes after the last one, where the grid shows it.
    const int pos = pendenteNoFim_ ? static_cast<int>(registros_.size()) : atual_ + 1;
    registros_.insert(registros_.begin() + pos, std::move(*pendente_));
    pendente_.reset();
    pendenteAtribuido_ = false;
    pendenteNoFim_ = false;
    atual_ = pos;
    fim_ = false;
    alterada_ = true;
    avisarReset();
    avisarAtual();
}

namespace {

// "3402.20.00", "3402 20 00", "3402-20-00": digits and group marks only, with both.
bool ncmEmGrupos(std::string_view s)
{
    return s.find_first_of(".- ") != std::string_view::npos &&
           s.find_first_of("0123456789") != std::string_view::npos &&
           s.find_first_not_of("0123456789.- ") == std::string_view::npos;
}

} // namespace

TextoGuardado guardarTexto(Campo c, std::string_view v)
{
    // Blank means a code 0..32, as everywhere in this program, so a trailing tab or CR is
    // dropped just like a space.
    const std::size_t nul = v.find('\0');
    if (nul != std::string_view::npos)
        v = v.substr(0, nul);
    // Exports and invoices print NCM codes in groups: the same code as its digits, which the
    // field's 8 characters would otherwise cut.
    std::string digitos;
    if (c == NCM) {
        const std::string aparado = Aparar(v);
        if (ncmEmGrupos(aparado))
            v = digitos = SoNumeros(aparado);
    }
    while (!v.empty() && EhBranco(v.back()))
        v.remove_suffix(1);
    const std::size_t tamanho = static_cast<std::size_t>(def(c).tamanho);
    TextoGuardado r;
    r.cortado = v.size() > tamanho;
    v = v.substr(0, tamanho);
    while (!v.empty() && EhBranco(v.back()))
        v.remove_suffix(1);
    r.texto.assign(v);
    return r;
}

void StagingTable::gravarValor(Registro& r, Campo c, std::string_view v)
{
    switch (def(c).tipo) {
    case TipoCampo::Texto: {
        const std::string t = guardarTexto(c, v).texto;
        auto fixo = [&](auto& f) {
            std::memcpy(f.c, t.data(), t.size());
            f.n = static_cast<std::uint8_t>(t.size());
        };
        switch (c) {
        case DESCRICAO:
            r.descricao = t;
            break;
        case UNIDADE:
            fixo(r.unidade);
            break;
        case ICMS:
            fixo(r.icms);
            break;
        case NCM:
            fixo(r.ncm);
            break;
        default:
            break;
        }
        if (t.empty())
            r.nulos |= bit(c);
        else
            r.nulos &= static_cast<std::uint8_t>(~bit(c));
        return;
    }
    case TipoCampo::Inteiro: {
        if (v.empty()) {
            r.nulos |= bit(c);
            return;
        }
        const auto n = lerInteiro(v);
        if (!n)
            throw Error(mensagemInteiro(v) + " for field '" + nomeCampo(c) + "'");
        r.inteiro[indiceInteiro(c)] = *n;
        r.nulos &= static_cast<std::uint8_t>(~bit(c));
        return;
    }
    case TipoCampo::Dinheiro: {
        if (EhBranco(v)) {
            r.precoInvalido.reset();
            r.nulos |= bit(c);
            return;
        }
        const PrecoLido p = lerPreco(v);
        if (p.estado != PrecoLido::Estado::Valido)
            throw Error("'" + std::string(v) + "' is not a valid floating point value for field '" + nomeCampo(c) +
                        "'");
        r.valor = static_cast<double>(p.valor) / 10000.0;
        r.precoInvalido.reset();
        r.nulos &= static_cast<std::uint8_t>(~bit(c));
        return;
    }
    }
}

void StagingTable::setFieldText(Campo c, std::string_view v)
{
    gravarValor(pendenteEditavel(), c, v); // throws before anything changes
    pendenteAtribuido_ = true;
}

void StagingTable::setFieldMoney(Campo c, std::int64_t v)
{
    Registro& r = pendenteEditavel();
    exigirDinheiro(c);
    r.valor = static_cast<double>(v) / 10000.0;
    r.precoInvalido.reset();
    r.nulos &= static_cast<std::uint8_t>(~bit(c));
    pendenteAtribuido_ = true;
}

void StagingTable::setFieldInvalid(Campo c, std::string_view texto)
{
    Registro& r = pendenteEditavel();
    exigirDinheiro(c);
    r.valor = 0;
    r.precoInvalido = std::make_unique<const std::string>(texto);
    r.nulos &= static_cast<std::uint8_t>(~bit(c));
    pendenteAtribuido_ = true;
}

void StagingTable::setLinha(int linha)
{
    pendenteEditavel().linha = linha;
}

void StagingTable::marcar(Campo c)
{
    def(c);
    pendenteEditavel().marcas |= bit(c);
}

void StagingTable::first()
{
    exigirAberta();
    assentar();
    atual_ = registros_.empty() ? -1 : 0;
    fim_ = registros_.empty();
    avisarAtual();
}

void StagingTable::next()
{
    exigirAberta();
    assentar();
    if (atual_ + 1 < static_cast<int>(registros_.size())) {
        ++atual_;
        fim_ = false;
        avisarAtual();
    } else {
        fim_ = true;
    }
}

bool StagingTable::eof() const
{
    exigirAberta();
    return fim_;
}

int StagingTable::recordCount() const
{
    exigirAberta();
    return static_cast<int>(registros_.size());
}

int StagingTable::recNo() const
{
    exigirAberta();
    return atual_;
}

bool StagingTable::pending() const
{
    exigirAberta();
    return pendente_.has_value();
}

bool StagingTable::changed() const
{
    return aberta_ && alterada_;
}

const StagingTable::Registro* StagingTable::registroAtual() const
{
    exigirAberta();
    if (pendente_)
        return &*pendente_;
    if (atual_ < 0)
        return nullptr;
    return &registros_[static_cast<std::size_t>(atual_)];
}

std::string_view StagingTable::texto(const Registro& r, Campo c)
{
    switch (c) {
    case DESCRICAO:
        return r.descricao;
    case UNIDADE:
        return r.unidade.vista();
    case ICMS:
        return r.icms.vista();
    case NCM:
        return r.ncm.vista();
    default:
        return {};
    }
}

std::string StagingTable::textoCampo(const Registro& r, Campo c)
{
    if (r.nulos & bit(c))
        return {};
    switch (def(c).tipo) {
    case TipoCampo::Texto:
        return std::string(texto(r, c));
    case TipoCampo::Inteiro:
        return std::to_string(r.inteiro[indiceInteiro(c)]);
    case TipoCampo::Dinheiro:
        break;
    }
    if (r.precoInvalido)
        return *r.precoInvalido;
    return texto::decimal(decimosMilesimos(r.valor), EscalaDinheiro);
}

std::string StagingTable::asText(Campo c) const
{
    def(c);
    const Registro* r = registroAtual();
    return r ? textoCampo(*r, c) : std::string();
}

std::int32_t StagingTable::asInteger(Campo c) const
{
    return inteiroDe(registroAtual(), c);
}

std::int64_t StagingTable::asMoney(Campo c) const
{
    return dinheiroDe(registroAtual(), c);
}

std::int32_t StagingTable::cellInteger(int row, Campo c) const
{
    exigirLinha(row);
    return inteiroDe(&registros_[static_cast<std::size_t>(row)], c);
}

std::int64_t StagingTable::cellMoney(int row, Campo c) const
{
    exigirLinha(row);
    return dinheiroDe(&registros_[static_cast<std::size_t>(row)], c);
}

int StagingTable::cellLinha(int row) const
{
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].linha;
}

bool StagingTable::cellMarcada(int row, Campo c) const
{
    def(c);
    exigirLinha(row);
    return registros_[static_cast<std::size_t>(row)].marcas & bit(c);
}

std::int32_t StagingTable::inteiroDe(const Registro* r, Campo c)
{
    const TipoCampo tipo = def(c).tipo;
    if (tipo == TipoCampo::Inteiro)
        return (r && !(r->nulos & bit(c))) ? r->inteiro[indiceInteiro(c)] : 0;
    if (tipo == TipoCampo::Dinheiro)
        throw Error(std::string("Field '") + nomeCampo(c) + "' cannot be read as an integer");
    const std::string t = r ? textoCampo(*r, c) : std::string();
    const auto n = lerInteiro(t);
    if (!n)
        throw Error(mensagemInteiro(t));
    return *n;
}

std::int64_t StagingTable::dinheiroDe(const Registro* r, Campo c)
{
    exigirDinheiro(c);
    if (!r || (r->nulos & bit(c)))
        return 0;
    if (r->precoInvalido && r->precoInvalido->empty())
        throw Error(Utf8ParaLatin1("Preço ausente: a linha do arquivo não tem o campo do preço"));
    if (r->precoInvalido)
        throw Error(Utf8ParaLatin1("Preço inválido: '") + *r->precoInvalido + "'");
    return decimosMilesimos(r->valor);
}

bool StagingTable::isNull(Campo c) const
{
    def(c);
    const Registro* r = registroAtual();
    return !r || (r->nulos & bit(c));
}

int StagingTable::gridRowCount() const
{
    if (!aberta_)
        return 0;
    return static_cast<int>(registros_.size()) + (pendente_ && pendenteNoFim_ ? 1 : 0);
}

std::string StagingTable::cellText(int row, Campo c) const
{
    def(c);
    if (aberta_ && pendente_ && pendenteNoFim_ && row == static_cast<int>(registros_.size()))
        return textoCampo(*pendente_, c);
    exigirLinha(row);
    return textoCampo(registros_[static_cast<std::size_t>(row)], c);
}

void StagingTable::setCellText(int row, Campo c, std::string_view v)
{
    def(c);
    exigirEditavel();
    if (pendente_ && pendenteNoFim_ && row == static_cast<int>(registros_.size())) {
        // The first value typed into the new row stores it: a record with data in it is
        // never lost to a close, and one without is never stored.
        gravarValor(*pendente_, c, v); // throws before changing
        pendenteAtribuido_ = true;
        post();
        return;
    }
    exigirLinha(row);
    Registro& r = registros_[static_cast<std::size_t>(row)];
    gravarValor(r, c, v);                           // throws before changing
    r.marcas &= static_cast<std::uint8_t>(~bit(c)); // what the operator typed stands
    alterada_ = true;
}

void StagingTable::appendRecord()
{
    exigirEditavel();
    assentar();
    pendente_.emplace();
    pendenteAtribuido_ = false;
    pendenteNoFim_ = true;
    if (ouvinte_ && emLote_ == 0) {
        ouvinte_->tableReset();
        ouvinte_->currentChanged(static_cast<int>(registros_.size()));
    }
}

void StagingTable::deleteRecord(int row)
{
    exigirEditavel();
    if (pendente_ && pendenteNoFim_ && row == static_cast<int>(registros_.size())) {
        cancel();
        return;
    }
    exigirLinha(row);
    registros_.erase(registros_.begin() + row);
    const int n = static_cast<int>(registros_.size());
    if (row < atual_)
        --atual_;
    if (atual_ >= n)
        atual_ = n - 1;
    fim_ = n == 0;
    alterada_ = true;
    avisarReset();
    avisarAtual();
}

void StagingTable::setCurrent(int row)
{
    exigirLinha(row);
    assentar();
    atual_ = row;
    fim_ = false;
    avisarAtual();
}

// ---------------------------------------------------------------------------------------
// The staging file: see docs/staging-file.md.

namespace {

void escapar(std::string& out, std::string_view v)
{
    for (char c : v) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

const char* nomeTipo(TipoCampo t)
{
    switch (t) {
    case TipoCampo::Inteiro:
        return "integer";
    case TipoCampo::Texto:
        return "text";
    case TipoCampo::Dinheiro:
        return "money";
    }
    return "";
}

} // namespace

void StagingTable::gravarArquivo() const
{
    std::string caminho = fileName_;
    try {
        caminho = std::filesystem::absolute(fileName_).string();
    } catch (const std::exception&) {
        // No working directory left: the name as given still says which file it was.
    }

    std::string out;
    out.reserve(256 + registros_.size() * 64);
    out += "NorvoStaging\t1\n";
    out += "FIELDS\t" + std::to_string(int(NumCampos)) + "\n";
    for (int i = 0; i < NumCampos; ++i) {
        const DefCampo& d = Campos[i];
        out += d.nome;
        out += '\t';
        out += nomeTipo(d.tipo);
        out += '\t';
        out += std::to_string(d.tamanho);
        out += '\n';
    }
    out += "RECORDS\t" + std::to_string(registros_.size()) + "\n";
    for (const Registro& r : registros_) {
        for (int i = 0; i < NumCampos; ++i) {
            const Campo c = static_cast<Campo>(i);
            if (i)
                out += '\t';
            if (r.nulos & bit(c)) {
                out += "\\N";
            } else if (Campos[i].tipo == TipoCampo::Texto) {
                escapar(out, texto(r, c));
            } else if (Campos[i].tipo == TipoCampo::Dinheiro && r.precoInvalido) {
                out += '!'; // told apart from any amount and from \N
                escapar(out, *r.precoInvalido);
            } else {
                out += textoCampo(r, c);
            }
        }
        out += '\n';
    }

    salvarArquivo(caminho, out);
}

} // namespace norvo::staging
