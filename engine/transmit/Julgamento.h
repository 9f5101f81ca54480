#pragma once
// Judging the server's reply to a block.
#include <QString>
#include <string>
#include <string_view>

enum class Veredito {
    Segue,          // matches no rule: the next block goes (after the last block: a receipt)
    Recusa,         // 06, 07, 17, 18: the message is shown and the transmission ends
    Ja_Transmitido  // 08: delivered before; the transmission ends, the delivery may be recorded
};

struct Julgamento {
    Veredito veredito = Veredito::Segue;
    QString mensagem; // for Recusa and Ja_Transmitido
    int numero = 0;   // the message's number (06, 07, 17, 18, 08)
};

// `mes` and `ano` are the declaration's competence as cut from its first line.
Julgamento Julgar_Resposta(std::string_view resposta, std::string_view mes, std::string_view ano);
