#include "tests/common/RoteiroMensagens.h"

#include <QStringList>

RoteiroMensagens::RoteiroMensagens()
{
    anterior_ = Trocar_Mostrador_Mensagem([this](const QString &texto, Icone icone, Botoes botoes) {
        vistas_.push_back({texto, icone, botoes});
        if (ao_mostrar_)
            ao_mostrar_(vistas_.back());
        if (botoes == Botoes::Ok)
            return Resposta::Ok;
        if (respostas_.empty())
            return Resposta::Nao;
        const Resposta r = respostas_.front();
        respostas_.pop_front();
        return r;
    });
}

RoteiroMensagens::~RoteiroMensagens()
{
    Trocar_Mostrador_Mensagem(std::move(anterior_));
}

QStringList RoteiroMensagens::textos() const
{
    QStringList l;
    for (const auto &v : vistas_)
        l << v.texto;
    return l;
}
