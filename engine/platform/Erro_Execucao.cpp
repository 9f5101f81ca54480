#include "engine/platform/Erro_Execucao.h"

Erro_Execucao::Erro_Execucao(int n, const QString &d)
    : std::runtime_error(QStringLiteral("%1 - %2").arg(n).arg(d).toStdString()), numero(n), descricao(d)
{
}

QString Erro_Nao_Tratado(int numero, const QString &descricao)
{
    return QStringLiteral("Erro não tratado: ") + QString::number(numero) + QStringLiteral("  -  ") + descricao;
}
