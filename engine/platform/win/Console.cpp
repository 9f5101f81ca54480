// The console on Windows: its handle's mode, its window's width, and Ctrl-C through the console's
// control handler (which the system already calls on a thread of its own).
#include "engine/platform/Console.h"

#include <windows.h>
#include <io.h>

#include <cstdlib>
#include <utility>

namespace {
HANDLE Handle_De(std::FILE *saida) { return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(saida))); }

std::function<void()> &Primeira()
{
    static std::function<void()> f;
    return f;
}

BOOL WINAPI Ao_Interromper(DWORD evento)
{
    if (evento != CTRL_C_EVENT && evento != CTRL_BREAK_EVENT)
        return FALSE;
    static LONG vezes = 0;
    if (::InterlockedIncrement(&vezes) > 1)
        std::_Exit(130);
    Primeira()();
    return TRUE;
}
} // namespace

bool E_Terminal(std::FILE *saida)
{
    // _isatty is true for NUL as well; a console is what has a console mode. A console that does
    // not take the cursor moves (older Windows) would print them as text: it gets plain lines,
    // as a file does.
    DWORD modo = 0;
    return ::GetConsoleMode(Handle_De(saida), &modo) != 0 && (modo & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

int Largura_Terminal(std::FILE *saida)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(Handle_De(saida), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

void Vigiar_Interrupcao(std::function<void()> primeira)
{
    Primeira() = std::move(primeira);
    ::SetConsoleCtrlHandler(Ao_Interromper, TRUE);
}

void Preparar_Console()
{
    // The tools write text in the ANSI code page (Windows-1252); the console shows the OEM one
    // (850) unless told otherwise, which garbles every accent.
    ::SetConsoleOutputCP(::GetACP());
    ::SetConsoleCP(::GetACP());
    // The progress display moves the cursor with escape sequences, which a console only obeys
    // when told to.
    for (std::FILE *saida : {stdout, stderr}) {
        DWORD modo = 0;
        const HANDLE h = Handle_De(saida);
        if (::GetConsoleMode(h, &modo))
            ::SetConsoleMode(h, modo | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}
