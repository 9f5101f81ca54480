#pragma once
// What the engine asks and tells whoever drives it, as values: the icon a notice carries, the
// answers to a question, and which question it is. Windows show them in message boxes; a batch
// answers by policy.

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
