// zelta-servidor: the local stand-in for the reception server.
#include "tools/servidor/Log.h"
#include "tools/servidor/Servidor.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <thread>

int main(int argc, char **argv)
{
    std::string erro;
    auto opcoes = servidor::Ler_Opcoes(std::vector<std::string>(argv + 1, argv + argc), erro);
    if (!opcoes) {
        servidor::Registrar_Log(erro);
        servidor::Registrar_Log("as opções: zelta-servidor --help");
        return 2;
    }
    if (opcoes->ajuda) {
        std::fputs(servidor::Texto_Ajuda().c_str(), stdout);
        return 0;
    }
    servidor::Limitar_Log(opcoes->log_maximo);
    // Interrupt and terminate are taken by one thread that stops the server cleanly.
    sigset_t sinais;
    sigemptyset(&sinais);
    sigaddset(&sinais, SIGINT);
    sigaddset(&sinais, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &sinais, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        servidor::Servidor s(*opcoes);
        std::printf("porta %u\n", unsigned(s.Iniciar()));
        std::fflush(stdout);
        std::thread vigia([&s, sinais] {
            int sinal = 0;
            sigwait(&sinais, &sinal);
            s.Parar();
        });
        s.Executar(); // returns only after the watcher's Parar
        vigia.join();
    } catch (const std::exception &x) {
        servidor::Registrar_Log(x.what());
        return 1;
    }
    return 0;
}
