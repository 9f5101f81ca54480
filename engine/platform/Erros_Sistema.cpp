// The C library's error numbers (errno) as the program reports them: its failure numbers and
// Portuguese descriptions. Names one system lacks (Windows' C library) are left out there.
#include "engine/platform/Erro_Execucao.h"

#include <cerrno>
#include <cstring>

namespace {
// The failures the program can meet, in the user's language; the system's own (English) text
// is the last resort.
struct Descricao { int err; const char *texto; };
constexpr Descricao Descricoes[] = {
    {EPERM, "Operação não permitida"},
    {ENOENT, "Arquivo ou diretório inexistente"},
    {EINTR, "Chamada de sistema interrompida"},
    {EIO, "Erro de entrada/saída"},
    {ENXIO, "Dispositivo ou endereço inexistente"},
    {EBADF, "Descritor de arquivo inválido"},
    {EAGAIN, "Recurso temporariamente indisponível"},
    {ENOMEM, "Memória insuficiente"},
    {EACCES, "Permissão negada"},
    {EFAULT, "Endereço inválido"},
    {EBUSY, "Dispositivo ou recurso ocupado"},
    {EEXIST, "O arquivo já existe"},
    {EXDEV, "Link entre dispositivos inválido"},
    {ENODEV, "Dispositivo inexistente"},
    {ENOTDIR, "Não é um diretório"},
    {EISDIR, "É um diretório"},
    {EINVAL, "Argumento inválido"},
    {ENFILE, "Arquivos abertos demais no sistema"},
    {EMFILE, "Arquivos abertos demais"},
    {ETXTBSY, "Arquivo de texto ocupado"},
    {EFBIG, "Arquivo grande demais"},
    {ENOSPC, "Não há espaço disponível no dispositivo"},
    {ESPIPE, "Posicionamento inválido"},
    {EROFS, "Sistema de arquivos somente para leitura"},
    {EMLINK, "Links demais"},
    {EPIPE, "Pipe quebrado"},
    {ERANGE, "Resultado numérico fora do intervalo"},
    {ENAMETOOLONG, "Nome de arquivo longo demais"},
    {ELOOP, "Níveis demais de links simbólicos"},
    {EOVERFLOW, "Valor grande demais para o tipo de dado"},
    {ENOTSOCK, "Operação de socket em algo que não é um socket"},
    {EDESTADDRREQ, "Endereço de destino obrigatório"},
    {EMSGSIZE, "Mensagem longa demais"},
    {EPROTOTYPE, "Tipo de protocolo errado para o socket"},
    {ENOPROTOOPT, "Protocolo não disponível"},
    {EPROTONOSUPPORT, "Protocolo não suportado"},
#ifdef ESOCKTNOSUPPORT
    {ESOCKTNOSUPPORT, "Tipo de socket não suportado"},
#endif
    {EOPNOTSUPP, "Operação não suportada"},
#ifdef EPFNOSUPPORT
    {EPFNOSUPPORT, "Família de protocolos não suportada"},
#endif
    {EAFNOSUPPORT, "Família de endereços não suportada pelo protocolo"},
    {EADDRINUSE, "Endereço já em uso"},
    {EADDRNOTAVAIL, "Não foi possível atribuir o endereço pedido"},
    {ENETDOWN, "A rede não está ativa"},
    {ENETUNREACH, "A rede está inalcançável"},
    {ENETRESET, "A rede derrubou a conexão ao reinicializar"},
    {ECONNABORTED, "Conexão abortada"},
    {ECONNRESET, "Conexão reinicializada pela outra ponta"},
    {ENOBUFS, "Não há espaço de buffer disponível"},
    {EISCONN, "O socket já está conectado"},
    {ENOTCONN, "O socket não está conectado"},
#ifdef ESHUTDOWN
    {ESHUTDOWN, "Não é possível enviar após o fechamento da conexão"},
#endif
    {ETIMEDOUT, "Tempo esgotado para a conexão"},
    {ECONNREFUSED, "Conexão recusada"},
#ifdef EHOSTDOWN
    {EHOSTDOWN, "A máquina não está ativa"},
#endif
    {EHOSTUNREACH, "Não há rota para a máquina"},
    {EALREADY, "A operação já está em andamento"},
    {EINPROGRESS, "A operação está em andamento"},
#ifdef ESTALE
    {ESTALE, "Identificador de arquivo desatualizado"},
#endif
#ifdef EDQUOT
    {EDQUOT, "Cota de disco excedida"},
#endif
};
} // namespace

QString Descricao_Sistema(int err)
{
    for (const Descricao &d : Descricoes)
        if (d.err == err)
            return QString::fromUtf8(d.texto);
    return QString::fromLocal8Bit(std::strerror(err));
}

Erro_Execucao Erro_De_Arquivo(int err)
{
    int numero = Erro::Erro_Entrada_Saida;
    switch (err) {
    case ENOENT: numero = Erro::Arquivo_Nao_Encontrado; break;
    case ENOTDIR: numero = Erro::Caminho_Nao_Encontrado; break;
    case EACCES:
    case EPERM:
    case EROFS: numero = Erro::Permissao_Negada; break;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        numero = Erro::Disco_Cheio; break;
    case EISDIR: numero = Erro::Caminho_Inacessivel; break;
    case EINVAL:
    case ENAMETOOLONG: numero = Erro::Argumento_Invalido; break;
    case ENOMEM: numero = Erro::Sem_Memoria; break;
    default: break;
    }
    return Erro_Execucao(numero, Descricao_Sistema(err));
}
