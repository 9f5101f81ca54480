#include "platform/Ajuda.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace {
// A help file larger than this is not a manual; refusing it keeps a wrong path from eating memory.
constexpr qint64 Tamanho_Maximo = 4 * 1024 * 1024;

QPointer<QTextBrowser> &Janela()
{
    static QPointer<QTextBrowser> j;
    return j;
}

bool Mostrar(QWidget *dono, const QString &arquivo)
{
    QFile f(arquivo);
    if (f.size() > Tamanho_Maximo || !f.open(QIODevice::ReadOnly))
        return false;
    const QString texto = QString::fromUtf8(f.readAll());
    if (f.error() != QFileDevice::NoError)
        return false;

    if (!Janela()) {
        auto *nova = new QTextBrowser(dono);
        nova->setWindowFlags(Qt::Window);
        nova->setAttribute(Qt::WA_DeleteOnClose);
        nova->setOpenExternalLinks(true);
        nova->setWindowTitle(QStringLiteral("ZELTA Net - Ajuda"));
        nova->resize(640, 520);
        Janela() = nova;
    }
    Janela()->setSearchPaths({QFileInfo(arquivo).absolutePath()});
    Janela()->setHtml(texto);
    Janela()->show();
    Janela()->raise();
    Janela()->activateWindow();
    return true;
}
} // namespace

bool WinHelpA(QWidget *janela, const QString &arquivo, unsigned comando, const char *)
{
    try {
        switch (comando) {
        case HELP_QUIT:
            if (Janela())
                Janela()->close();
            return true;
        case HELP_CONTENTS:
        case HELP_FINDER:
            return Mostrar(janela, arquivo);
        default:
            return false;
        }
    } catch (...) {
        return false;
    }
}

QString Arquivo_Ajuda(const QString &pasta_programa)
{
    const QDir pasta(pasta_programa);
    const QString ao_lado = pasta.filePath(QStringLiteral("Ajuda.hlp"));
    if (QFileInfo::exists(ao_lado))
        return ao_lado;
    return QDir::cleanPath(pasta.filePath(QStringLiteral("../share/zeltanet/Ajuda.hlp")));
}
