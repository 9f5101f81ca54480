#include "engine/transmit/Julgamento.h"

#include "engine/transmit/Mensagens.h"

Julgamento Julgar_Resposta(std::string_view r, std::string_view mes, std::string_view ano)
{
    if (r.size() == 1 && r[0] == '9')
        return {Veredito::Recusa, Mensagem::Abortada_06, 6};
    if (r.size() == 1 && r[0] == '8')
        return {Veredito::Recusa, Mensagem::Descompactacao_07, 7};
    if (r.size() == 7 && r[0] == '6')
        return {Veredito::Recusa, Mensagem::Competencia_Anterior_17, 17};
    if (r.size() == 7 && r[0] == '5')
        return {Veredito::Recusa, Mensagem::Competencia_Recusada_18(mes, ano, r), 18};
    if (r.size() == 23 && r[0] == '7')
        return {Veredito::Ja_Transmitido, Mensagem::Ja_Transmitido_08(r), 8};
    return {};
}
