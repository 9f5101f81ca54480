#include "engine/platform/Unidades.h"

#include <QDir>

namespace {
Fonte_Unidades &Fonte()
{
    static Fonte_Unidades f;
    return f;
}
} // namespace

std::vector<QString> Unidades_Montadas()
{
    return Fonte() ? Fonte()() : Volumes_Do_Sistema();
}

Fonte_Unidades Trocar_Fonte_Unidades(Fonte_Unidades nova)
{
    Fonte_Unidades antiga = std::move(Fonte());
    Fonte() = std::move(nova);
    return antiga;
}

QString Unidade_De(const QString &caminho, const std::vector<QString> &unidades)
{
    const QString limpo = QDir::cleanPath(caminho);
    QString melhor;
    for (const QString &u : unidades) {
        const QString raiz = QDir::cleanPath(u);
        const bool contem = limpo == raiz
            || limpo.startsWith(raiz.endsWith(u'/') ? raiz : raiz + u'/');
        if (contem && (melhor.isEmpty() || raiz.size() > QDir::cleanPath(melhor).size()))
            melhor = u;
    }
    return melhor;
}
