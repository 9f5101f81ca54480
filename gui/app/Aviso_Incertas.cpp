#include "gui/app/Aviso_Incertas.h"

#include "engine/ledger/Razao_Entregas.h"
#include "engine/platform/Erro_Execucao.h"
#include "engine/transmit/Verificar_Incertas.h"

#include <QFile>

QString Texto_Aviso_Incertas(int quantas)
{
    return quantas == 1 ? QStringLiteral("1 entrega incerta — verificar")
                        : QStringLiteral("%1 entregas incertas — verificar").arg(quantas);
}

Aviso_Incertas::Aviso_Incertas(QWidget *pai, std::string historico)
    : QLabel(pai), historico_(std::move(historico))
{
    setTextFormat(Qt::RichText);
    setContentsMargins(8, 0, 8, 0);
    connect(this, &QLabel::linkActivated, this, [this] { emit Verificar(); });
    connect(&relogio_, &QTimer::timeout, this, &Aviso_Incertas::Atualizar);
    relogio_.start(10000); // deliveries of other programs on the same folder show up too
    Atualizar();
}

void Aviso_Incertas::Atualizar()
{
    quantas_ = 0;
    // Only an existing ledger is read: looking never creates one.
    if (QFile::exists(QFile::decodeName(Caminho_Razao(historico_).c_str()))) {
        try {
            quantas_ = static_cast<int>(Entregas_Incertas(historico_).size());
        } catch (const Erro_Execucao &) {
            // an unreadable ledger: nothing to point at; the month window says why
        }
    }
    setText(quantas_
                ? QStringLiteral("<a href=\"#\">%1</a>").arg(Texto_Aviso_Incertas(quantas_).toHtmlEscaped())
                : QString());
    setToolTip(
        quantas_ ? QStringLiteral("Entregas enviadas sem resposta da máquina servidora: abra Entregas do Mês "
                                  "para verificá-las")
                 : QString());
    setVisible(quantas_ > 0);
}
