#pragma once
// Text in fixed positions (the declaration's lines, the receipt record, the server's replies):
// the rules every reader of such text shares.
#include <string>
#include <string_view>

// Characters [inicio, inicio + tamanho) by 1-based position; a short text gives a short or empty
// field, never a failure.
std::string Campo(std::string_view texto, int inicio, int tamanho);

// `s` without the blanks that pad it on either side.
std::string_view Sem_Brancos(std::string_view s);

// Whether `s` is one or more of the digits 0-9 and nothing else.
bool So_Digitos(std::string_view s);

// Control bytes (below 32, and 127) become blanks: in a fixed-layout line a stray line feed would
// split it, and on paper or on screen they show as nothing readable.
std::string Sem_Controles(std::string texto);
