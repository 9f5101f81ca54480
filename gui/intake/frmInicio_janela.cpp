#include "gui/intake/frmInicio_janela.h"

#include "gui/cis/CIS_000.h"
#include "gui/history/frmReimpressao.h"
#include "gui/intake/Lista_Arquivos.h"
#include "gui/intake/Lista_Pastas.h"
#include "gui/intake/Lista_Unidades.h"
#include "gui/intake/frmInicio.h"
#include "gui/intake/frmInicio_estado_recibo.h"
#include "gui/receipt/frmVisualizar.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

std::optional<Arquivo_Escolhido> frmInicio_Janela::Escolha() const
{
    const int i = f_.filList->ListIndex();
    if (i == -1)
        return std::nullopt;
    return Arquivo_Escolhido{f_.filList->List(i), f_.filList->Bytes(i).toStdString(),
                             QFile::encodeName(f_.dirList->Path()).toStdString()};
}

bool frmInicio_Janela::Em_Estado_Recibo() { return f_.Em_Recibo_; }

void frmInicio_Janela::Foco_Lista_Arquivos() { f_.filList->setFocus(); }

QWidget *frmInicio_Janela::Widget(Controle c)
{
    switch (c) {
    case Controle::cmdTransmitir: return f_.cmdTransmitir;
    case Controle::cmdSair: return f_.cmdSair;
    case Controle::filList: return f_.filList;
    case Controle::dirList: return f_.dirList;
    case Controle::txtTipoArq: return f_.txtTipoArq;
    case Controle::drvList: return f_.drvList;
    case Controle::txtPercentual: return f_.txtPercentual;
    case Controle::Text1: return f_.Text1;
    case Controle::Label1: return f_.Label1;
    case Controle::Label2: return f_.Label2;
    case Controle::Label3: return f_.Label3;
    case Controle::Label13: return f_.Label13;
    case Controle::cmb_print: return f_.cmb_print;
    case Controle::cmdImprimir: return f_.cmdImprimir;
    }
    return nullptr;
}

QString frmInicio_Janela::Legenda(Controle c)
{
    QWidget *w = Widget(c);
    if (auto *b = qobject_cast<QPushButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    return {};
}

void frmInicio_Janela::Pintar_Agora()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmInicio_Janela::Definir_Legenda(Controle c, const QString &texto)
{
    QWidget *w = Widget(c);
    if (auto *b = qobject_cast<QPushButton *>(w))
        b->setText(texto);
    else if (auto *l = qobject_cast<QLabel *>(w))
        l->setText(texto);
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(texto);
    Pintar_Agora(); // seen at once, even when a long wait follows (connecting, a pause)
}

void frmInicio_Janela::Habilitar(Controle c, bool sim) { Widget(c)->setEnabled(sim); }

void frmInicio_Janela::Mostrar(Controle c, bool sim)
{
    Widget(c)->setVisible(sim);
    Pintar_Agora();
}

void frmInicio_Janela::Definir_Topo(Controle c, int twips)
{
    QWidget *w = Widget(c);
    w->move(w->x(), Twips_Y(twips));
}

void frmInicio_Janela::Definir_Altura_Janela(int twips) { f_.setFixedHeight(Twips_Y(twips)); }

Resposta frmInicio_Janela::Perguntar(Pergunta pergunta, const QString &texto)
{
    return Caixa_Mensagem(texto, Icone_Da_Pergunta(pergunta), Botoes::SimNao);
}

void frmInicio_Janela::Avisar(const Aviso &aviso) { Caixa_Mensagem(aviso.texto, aviso.icone, Botoes::Ok); }

void frmInicio_Janela::Ponteiro_Espera(bool sim)
{
    if (sim)
        Ponteiro_Ampulheta();
    else
        Ponteiro_Padrao();
}

void frmInicio_Janela::Guardar_Recibo(const std::string &registro) { Dados_Recibo = registro; }

void frmInicio_Janela::Entrar_Estado_Recibo(const QString &codigo)
{
    f_.Em_Recibo_ = true;
    Aplicar_Estado_Recibo(*this, codigo);
}

Socketout &frmInicio_Janela::Socket() { return *f_.Socketout_; }

Zip &frmInicio_Janela::Compactador() { return *f_.Zip_; }

void frmInicio_Janela::Mostrar_Visualizar() { frmVisualizar::Mostrar(&f_); }

void frmInicio_Janela::Mostrar_Reimpressao(const std::string &codigo) { frmReimpressao::Mostrar(&f_, codigo); }

void frmInicio_Janela::Processar_Eventos() { QCoreApplication::processEvents(); }

void frmInicio_Janela::Fechar() { f_.Fechar_Pelo_Comando(); }
