#include "app/AplicacaoImporta.h"

#include <exception>

#include <QLibraryInfo>
#include <QLocale>

#include "app/Dialogos.h"

namespace norvo::app {

AplicacaoImporta::AplicacaoImporta(int& argc, char** argv) : QApplication(argc, argv)
{
    // Name only, no display name: Qt appends an explicitly set display name to every
    // caption it hands to the window system, and the captions must read exactly as set.
    // ASCII: it becomes the class part of WM_CLASS, which X11 reads as Latin-1, while Qt
    // hands it over in the locale's encoding (UTF-8). The captions keep the accents.
    setApplicationName(QLatin1String(NomeAplicacao));
    // Ties the window to the menu entry the package installs (Wayland's app id).
    setDesktopFileName(QStringLiteral("importa-norvo"));
    // Qt's own translations folder (Debian's package), else the "translations" folder beside
    // the program (the Windows zip and installer). Without either the standard buttons simply
    // stay in English.
    for (const QString& pasta :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath), applicationDirPath() + QStringLiteral("/translations")}) {
        if (traducaoQt_.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                             QStringLiteral("_"), pasta)) {
            installTranslator(&traducaoQt_);
            break;
        }
    }
}

bool AplicacaoImporta::notify(QObject* receptor, QEvent* evento)
{
    try {
        return QApplication::notify(receptor, evento);
    } catch (const std::exception& e) {
        relatarFalha(QString::fromLatin1(e.what()));
    } catch (...) {
        relatarFalha(QString());
    }
    return false;
}

void AplicacaoImporta::setDialogos(Dialogos* dialogos)
{
    dialogos_ = dialogos;
}

Dialogos& AplicacaoImporta::dialogos() const
{
    return dialogos_ ? *dialogos_ : DialogosQt::padrao();
}

void AplicacaoImporta::relatarFalha(const QString& mensagem)
{
    dialogos().falha(activeWindow(), textoDaFalha(mensagem));
}

} // namespace norvo::app
