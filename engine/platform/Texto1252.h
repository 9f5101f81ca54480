#pragma once
// File and record data are Windows-1252 bytes; these convert only where text meets the screen or the printer.
#include <QString>
#include <string>
#include <string_view>

QString De_1252(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'.
std::string Para_1252(const QString &texto);
