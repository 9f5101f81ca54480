#include "gui/intake/Conexao_Usuario.h"

#include "engine/platform/Texto1252.h"
#include "engine/transmit/Registro_Comunicacao.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QSettings>
#include <mutex>

namespace {
std::mutex Mutex_Senha;
std::string &Senha_Sessao()
{
    static std::string senha;
    return senha;
}
} // namespace

std::unique_ptr<QSettings> Ajustes_Do_Usuario()
{
    return std::make_unique<QSettings>(QStringLiteral("zeltanet"), QStringLiteral("zeltanet"));
}

Ajustes_Conexao Conexao_Do_Usuario()
{
    Ajustes_Conexao c = Ler_Ajustes_Conexao(*Ajustes_Do_Usuario());
    const std::lock_guard<std::mutex> trava(Mutex_Senha);
    if (!c.proxy.usuario.empty())
        c.proxy.senha = Senha_Sessao();
    return c;
}

void Gravar_Conexao_Do_Usuario(const Ajustes_Conexao &conexao)
{
    Gravar_Ajustes_Conexao(*Ajustes_Do_Usuario(), conexao);
}

void Guardar_Senha_Sessao(const std::string &senha)
{
    const std::lock_guard<std::mutex> trava(Mutex_Senha);
    Senha_Sessao() = senha;
}

void Esquecer_Senha_Recusada(int falha, Proxy &proxy)
{
    if (falha != Erro_Proxy::Autenticacao_Recusada)
        return;
    Guardar_Senha_Sessao({});
    proxy.senha.clear();
}

Ajustes_Transmissao Transmissao_Do_Usuario()
{
    const Ajustes_Conexao c = Conexao_Do_Usuario();
    Ajustes_Transmissao a = Ajustes_Padrao();
    a.servidor = c.servidor;
    a.porta = c.porta;
    return a;
}

Ajustes_Lote Lote_Do_Usuario()
{
    const Ajustes_Conexao c = Conexao_Do_Usuario();
    Ajustes_Lote a = Ajustes_Lote_Padrao();
    a.servidor = c.servidor;
    a.porta = c.porta;
    a.proxy = c.proxy;
    a.registro = Registro_Do_Usuario();
    return a;
}

bool Pedir_Senha_Se_Preciso(QWidget *pai, Proxy &proxy)
{
    if (!proxy.Ativo() || proxy.usuario.empty() || !proxy.senha.empty())
        return true;
    {
        const std::lock_guard<std::mutex> trava(Mutex_Senha);
        proxy.senha = Senha_Sessao();
    }
    if (!proxy.senha.empty())
        return true;
    bool ok = false;
    const QString senha = QInputDialog::getText(
        pai, QStringLiteral("Senha do Proxy"),
        QStringLiteral("Senha do usuário %1 no proxy %2:").arg(De_1252(proxy.usuario), De_1252(proxy.host)),
        QLineEdit::Password, {}, &ok);
    if (!ok)
        return false;
    proxy.senha = Para_1252(senha);
    Guardar_Senha_Sessao(proxy.senha);
    return true;
}

std::shared_ptr<Registro_Comunicacao> Registro_Do_Usuario()
{
    static const auto registro = std::make_shared<Registro_Comunicacao>(Registro_Comunicacao::Caminho_Padrao());
    return registro;
}
