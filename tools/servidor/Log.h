#pragma once
// The server's log: one line on stderr per event, lines of several threads never mixed, in a
// file of bounded size.
#include <cstdint>
#include <string>
#include <string_view>

namespace servidor {

// Control bytes (and the backslash) as \xNN / \\, so that text from a client cannot forge
// or cut a line.
std::string Escapar_Log(std::string_view texto);

// "zelta-servidor: " + the escaped line.
void Registrar_Log(std::string_view linha);

// When stderr is a regular file that a line would take past `bytes`, the file is emptied and
// starts again with a line that says so. 0: no bound.
void Limitar_Log(uint64_t bytes);

} // namespace servidor
