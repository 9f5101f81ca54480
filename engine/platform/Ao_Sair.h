#pragma once
// Runs an action when the scope ends, however it ends: state that a step sets for its duration
// (the hourglass, a "running" flag) is put back even when an exception leaves the step.
#include <utility>

template <class Acao> class Ao_Sair {
public:
    explicit Ao_Sair(Acao acao) : acao_(std::move(acao)) {}
    ~Ao_Sair() { acao_(); }
    Ao_Sair(const Ao_Sair &) = delete;
    Ao_Sair &operator=(const Ao_Sair &) = delete;

private:
    Acao acao_;
};
