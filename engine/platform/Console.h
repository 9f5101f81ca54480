#pragma once
// What the command-line tools need of the console: whether output goes to a terminal, its width,
// and the user's interrupt (Ctrl-C). Declared here, implemented once per system.
#include <cstdio>
#include <functional>

// Before the first output: makes the terminal show the program's accented text right (a Windows
// console shows another code page unless told).
void Preparar_Console();
// Whether `saida` is an interactive terminal that obeys the cursor moves of the progress display.
bool E_Terminal(std::FILE *saida);
// The terminal's width in columns; 0 when it is not known.
int Largura_Terminal(std::FILE *saida);

// Takes Ctrl-C on a thread of its own, so no delivery's system call is interrupted: the first
// calls `primeira` there; a second ends the program at once with status 130. Call before any
// other thread starts.
void Vigiar_Interrupcao(std::function<void()> primeira);
