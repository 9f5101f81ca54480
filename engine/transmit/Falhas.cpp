#include "engine/transmit/Falhas.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/transmit/Mensagens.h"

Aviso_Falha Aviso_Para_Falha(int numero, const QString &descricao)
{
    switch (numero) {
    case 24051: // network unreachable
    case 24065: return {Mensagem::Servidor_Nao_Encontrado_09, Icone::Exclamacao};
    case 24057:
    case 24060:
    case 24061: // connection refused: nobody answers on the server's port
    case 10060: return {Mensagem::Servidor_Nao_Responde_10, Icone::Exclamacao};
    case 24053:
    case 24054: return {Mensagem::Conexao_Abortada_11, Icone::Exclamacao};
    case 24045:
    case 24046:
    case 24047:
    case 25001: return {Mensagem::Sem_Suporte_12, Icone::Exclamacao};
    case 24049: return {Mensagem::Servidor_Desconhecido_13, Icone::Exclamacao};
    default: return {Erro_Nao_Tratado(numero, descricao), Icone::Nenhum};
    }
}
