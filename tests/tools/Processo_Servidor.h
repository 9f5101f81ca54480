#pragma once
// The real zelta-servidor run as a child process for tests and benchmarks: its port, its
// resident memory and CPU time read from /proc. The environment variable ZELTA_SERVIDOR_BIN
// names another executable (an older build, to compare).
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class Processo_Servidor {
public:
    // Starts the server on a free loopback port with `args`; its log goes to `log`. With
    // `descritores` > 0 it may open only that many file descriptors.
    Processo_Servidor(std::vector<std::string> args, const std::string &log, rlim_t descritores = 0)
    {
        const char *outro = std::getenv("ZELTA_SERVIDOR_BIN");
        args.insert(args.begin(), {outro && *outro ? outro : ZELTA_SERVIDOR_BIN, "--porta", "0"});
        int saida[2];
        if (::pipe(saida) < 0)
            throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(saida[1], 1);
            const int l = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(l, 2);
            if (descritores > 0) {
                const rlimit r{descritores, descritores};
                ::setrlimit(RLIMIT_NOFILE, &r);
            }
            std::vector<char *> argv;
            for (auto &a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            std::_Exit(127);
        }
        ::close(saida[1]);
        FILE *f = ::fdopen(saida[0], "r");
        unsigned p = 0;
        if (std::fscanf(f, "porta %u", &p) != 1)
            throw std::runtime_error("o servidor não disse sua porta");
        std::fclose(f);
        porta = uint16_t(p);
    }
    ~Processo_Servidor()
    {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

    // A field of /proc/PID/status in MiB ("VmRSS", "VmHWM").
    double Memoria_MiB(const std::string &campo) const
    {
        std::ifstream f("/proc/" + std::to_string(pid_) + "/status");
        std::string nome;
        double kb = 0;
        while (f >> nome) {
            if (nome == campo + ":") {
                f >> kb;
                return kb / 1024;
            }
        }
        return -1;
    }

    // User plus system CPU time so far, in seconds.
    double Cpu_Segundos() const
    {
        std::ifstream f("/proc/" + std::to_string(pid_) + "/stat");
        std::string campo;
        std::getline(f, campo, ')'); // the command name may hold blanks
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && f >> campo; ++i) {
            if (i == 14)
                utime = std::stoull(campo);
            if (i == 15)
                stime = std::stoull(campo);
        }
        return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
    }

    uint16_t porta = 0;

private:
    pid_t pid_ = -1;
};
