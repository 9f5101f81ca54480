#include "engine/platform/Console.h"

#include <csignal>
#include <cstdlib>
#include <pthread.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

void Preparar_Console() {} // a Linux terminal takes the locale's encoding as it is

bool E_Terminal(std::FILE *saida)
{
    return ::isatty(::fileno(saida)) != 0;
}

int Largura_Terminal(std::FILE *saida)
{
    winsize ws{};
    return ::ioctl(::fileno(saida), TIOCGWINSZ, &ws) == 0 ? ws.ws_col : 0;
}

void Vigiar_Interrupcao(std::function<void()> primeira)
{
    sigset_t sinais;
    sigemptyset(&sinais);
    sigaddset(&sinais, SIGINT);
    pthread_sigmask(SIG_BLOCK, &sinais, nullptr); // inherited by every thread started after this
    std::thread([sinais, primeira = std::move(primeira)] {
        int sinal = 0;
        sigwait(&sinais, &sinal);
        primeira();
        sigwait(&sinais, &sinal);
        std::_Exit(130);
    }).detach();
}
