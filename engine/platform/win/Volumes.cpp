// The drives on Windows: the system's own drive letters, "C:/" style as Qt writes paths.
#include "engine/platform/Unidades.h"

#include <windows.h>

std::vector<QString> Volumes_Do_Sistema()
{
    std::vector<QString> raizes;
    const DWORD letras = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (letras & (1u << i))
            raizes.push_back(QString(QChar(u'A' + i)) + QStringLiteral(":/"));
    return raizes;
}
