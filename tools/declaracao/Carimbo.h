#pragma once
// Stamps the validation mark on a declaration file, as the declaration program does.
#include <cstdint>
#include <string>

namespace declaracao {

// Throws Falha_Ferramenta when the file cannot be read or holds a NUL byte (not a text file).
void Exigir_Texto(const std::string &caminho);

// Computes the file's integrity value with the program's own checks and writes it, five digits
// with leading zeros, at positions 146-150 of the last line, in place. A last line of 145 to
// 149 characters grows to 150. Returns the mark. Throws Falha_Ferramenta when the file is not a
// readable text file or its last line is shorter than 145 characters.
int32_t Carimbar(const std::string &caminho);

} // namespace declaracao
