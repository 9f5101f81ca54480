#pragma once
// What the engine asks and tells whoever drives it, as values: the icon a notice carries, the
// answers to a question, which question it is, and a notice with its number. Windows show them
// in message boxes; a batch answers by policy and words its outcome from the numbers.
#include <QString>

enum class Icone { Nenhum, Exclamacao, Pergunta, Informacao };
enum class Botoes { Ok, SimNao };
enum class Resposta { Ok, Sim, Nao };

// The transmit command's Yes/No questions.
enum class Pergunta {
    Confirmar_03,   // "03 - Confirma a transmissão ...?"
    Tamanho_04,     // a long transfer: continue?
    Demora_05,      // the server is slow to reply: keep waiting?
    Reimprimir_08,  // delivered before: show the reprint window?
};

// The icon each question is shown with.
constexpr Icone Icone_Da_Pergunta(Pergunta p)
{
    return p == Pergunta::Reimprimir_08 ? Icone::Exclamacao : Icone::Pergunta;
}

// The number each question is known by (its text starts with it).
constexpr int Numero_Da_Pergunta(Pergunta p)
{
    switch (p) {
    case Pergunta::Confirmar_03: return 3;
    case Pergunta::Tamanho_04: return 4;
    case Pergunta::Demora_05: return 5;
    case Pergunta::Reimprimir_08: break;
    }
    return 8;
}

// A notice as the command chooses it: the text shown, its icon, and the number of the message
// ("NN - ..."), 0 for a text that is no numbered message (a failure's own words).
struct Aviso {
    QString texto;
    Icone icone = Icone::Exclamacao;
    int numero = 0;
};
