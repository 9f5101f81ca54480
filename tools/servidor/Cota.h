#pragma once
// The room the data folder may take: what it held at start plus what uploads, unpacking and
// new declarations reserve before they write; released when a temporary file goes away.
#include <atomic>
#include <cstdint>

namespace servidor {

constexpr uint64_t Cota_Padrao = uint64_t(1) << 30; // 1 GiB

class Cota {
public:
    explicit Cota(uint64_t limite) : limite_(limite), usado_(0) {}
    virtual ~Cota() = default;
    Cota(const Cota &) = delete;
    Cota &operator=(const Cota &) = delete;

    // False, reserving nothing, when `n` more bytes would pass the limit.
    virtual bool Reservar(uint64_t n);
    virtual void Liberar(uint64_t n) { usado_ -= n; }
    // Counts bytes already there, whatever the limit.
    void Contar(uint64_t n) { usado_ += n; }
    uint64_t Usado() const { return usado_; }
    uint64_t Limite() const { return limite_; }

private:
    const uint64_t limite_;
    std::atomic<uint64_t> usado_;
};

} // namespace servidor
