#include "engine/transmit/Falhas.h"

#include "engine/platform/Erro_Execucao.h"
#include "engine/platform/Proxy.h"
#include "engine/transmit/Mensagens.h"

Aviso Aviso_Para_Falha(int numero, const QString &descricao)
{
    switch (numero) {
    case 24051: // network unreachable
    case 24065: return {Mensagem::Servidor_Nao_Encontrado_09, Icone::Exclamacao, 9};
    case 24057:
    case 24060:
    case 24061: // connection refused: nobody answers on the server's port
    case 10060: return {Mensagem::Servidor_Nao_Responde_10, Icone::Exclamacao, 10};
    case 24053:
    case 24054: return {Mensagem::Conexao_Abortada_11, Icone::Exclamacao, 11};
    case 24045:
    case 24046:
    case 24047:
    case 25001: return {Mensagem::Sem_Suporte_12, Icone::Exclamacao, 12};
    case 24049: return {Mensagem::Servidor_Desconhecido_13, Icone::Exclamacao, 13};
    // Through a proxy: the message of the same trouble met directly, and what the proxy said.
    case Erro_Proxy::Nome_Nao_Encontrado:
    case Erro_Proxy::Destino_Inalcancavel:
        return {Mensagem::Servidor_Nao_Encontrado_09 + QChar(13) + descricao, Icone::Exclamacao, 9};
    case Erro_Proxy::Autenticacao_Recusada:
    case Erro_Proxy::Porta_Bloqueada:
    case Erro_Proxy::Nao_Responde:
    case Erro_Proxy::Destino_Recusou:
        return {Mensagem::Servidor_Nao_Responde_10 + QChar(13) + descricao, Icone::Exclamacao, 10};
    case Erro_Proxy::Resposta_Invalida:
        return {Mensagem::Conexao_Abortada_11 + QChar(13) + descricao, Icone::Exclamacao, 11};
    default: return {Erro_Nao_Tratado(numero, descricao), Icone::Nenhum, 0};
    }
}
