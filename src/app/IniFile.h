#pragma once
#include <string>

namespace norvo::app {

// Reads and writes single values of an INI file the way the Windows profile routines do,
// while leaving every other byte of the file alone: comments, other sections, key order
// and the file's own line endings survive a write.
//
// Texts are bytes (Latin-1 here); section and key names compare case-insensitively.
class IniFile {
public:
    // Longest value handed back, as with a 2048-byte buffer given to the Windows reader.
    static constexpr std::size_t MaxValor = 2047;

    explicit IniFile(std::string caminho);

    const std::string& caminho() const { return caminho_; }

    // The value of key in section, without the blanks around it and without one pair of
    // matching surrounding quotes ("..." or '...'), cut to MaxValor characters. A missing
    // file, section or key gives padrao.
    std::string ler(const std::string& secao, const std::string& chave,
                    const std::string& padrao = std::string()) const;

    // Sets key in section to valor. Only that key's line changes; the section and the key
    // are added when missing, the file is created when missing. The file is replaced
    // through a temporary file in the same folder, so a failed write leaves it intact.
    // Throws std::runtime_error("Unable to write to <full path>").
    void gravar(const std::string& secao, const std::string& chave, const std::string& valor);

private:
    std::string caminho_;
};

} // namespace norvo::app
