#include "engine/platform/Unidades.h"

#include <QStorageInfo>
#include <algorithm>

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
