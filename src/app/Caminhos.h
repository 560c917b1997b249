#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

#include "plataforma/Arquivos.h"

namespace norvo::app {

// File names travel to the core and the settings as the program keeps them (the file
// system's bytes; UTF-8 on Windows, whose "local 8-bit" is an old code page); message texts
// are Latin-1 (see QString::fromLatin1 at the report).
inline std::string bytesDoCaminho(const QString& caminho)
{
    return (plataforma::NomesSempreEmUtf8 ? caminho.toUtf8() : QFile::encodeName(caminho)).toStdString();
}
inline QString caminhoDosBytes(const std::string& bytes)
{
    const QByteArray b = QByteArray::fromStdString(bytes);
    return plataforma::NomesSempreEmUtf8 ? QString::fromUtf8(b) : QFile::decodeName(b);
}

} // namespace norvo::app
