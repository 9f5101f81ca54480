#pragma once
// The server's log: one line on stderr per event, lines of several threads never mixed.
#include <string>
#include <string_view>

namespace servidor {

// Control bytes (and the backslash) as \xNN / \\, so that text from a client cannot forge
// or cut a line.
std::string Escapar_Log(std::string_view texto);

// "zelta-servidor: " + the escaped line.
void Registrar_Log(std::string_view linha);

} // namespace servidor
