#pragma once
// What the fuzz targets share: a file in memory that the code under test opens by path, and a
// check that stops the run (so libFuzzer keeps the input) when a promise of the code is broken.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Stops with a crash report; libFuzzer saves the input that got here.
#define EXIGIR(condicao)                                                                  \
    do {                                                                                  \
        if (!(condicao)) {                                                                \
            std::fprintf(stderr, "promessa quebrada: %s (%s:%d)\n", #condicao, __FILE__, \
                         __LINE__);                                                       \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

// A memory file reopened by its /proc path: each open gets its own offset, as a disk file
// would, and nothing touches the disk.
class Arquivo_Memoria {
public:
    Arquivo_Memoria()
    {
        fd_ = ::memfd_create("zelta-fuzz", MFD_CLOEXEC);
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        caminho_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    Arquivo_Memoria(const Arquivo_Memoria &) = delete;
    Arquivo_Memoria &operator=(const Arquivo_Memoria &) = delete;
    ~Arquivo_Memoria() { ::close(fd_); }

    // Replaces the content; returns the path to open.
    const std::string &Gravar(const std::string &bytes)
    {
        if (::ftruncate(fd_, 0) != 0 ||
            ::pwrite(fd_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
            std::perror("memfd");
            std::abort();
        }
        return caminho_;
    }

private:
    int fd_ = -1;
    std::string caminho_;
};
