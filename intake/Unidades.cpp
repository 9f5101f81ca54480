#include "intake/Unidades.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>

namespace {
Fonte_Unidades &Fonte()
{
    static Fonte_Unidades f;
    return f;
}

std::vector<QString> Volumes_Do_Sistema()
{
    std::vector<QString> raizes;
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            raizes.push_back(v.rootPath());
    std::sort(raizes.begin(), raizes.end(), [](const QString &a, const QString &b) {
        if ((a == QLatin1String("/")) != (b == QLatin1String("/")))
            return a == QLatin1String("/");
        return a < b;
    });
    raizes.erase(std::unique(raizes.begin(), raizes.end()), raizes.end());
    return raizes;
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
