#include "platform/Erro_Execucao.h"

#include <cerrno>
#include <cstring>

Erro_Execucao::Erro_Execucao(int n, const QString &d)
    : std::runtime_error(QStringLiteral("%1 - %2").arg(n).arg(d).toStdString()), numero(n), descricao(d)
{
}

QString Descricao_Sistema(int err)
{
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
    case EDQUOT: numero = Erro::Disco_Cheio; break;
    case EISDIR: numero = Erro::Caminho_Inacessivel; break;
    case EINVAL:
    case ENAMETOOLONG: numero = Erro::Argumento_Invalido; break;
    case ENOMEM: numero = Erro::Sem_Memoria; break;
    default: break;
    }
    return Erro_Execucao(numero, Descricao_Sistema(err));
}
