#pragma once
// This user's connection settings as the windows use them: kept in QSettings "zeltanet", with
// the proxy password held in memory for the session only (asked when first needed).
#include "engine/transmit/Ajustes_Conexao.h"
#include "engine/transmit/Comando_Transmitir.h"
#include "engine/transmit/Lote.h"

#include <memory>

class QSettings;
class QWidget;
class Registro_Comunicacao;

std::unique_ptr<QSettings> Ajustes_Do_Usuario();
// The saved settings, with this session's proxy password.
Ajustes_Conexao Conexao_Do_Usuario();
void Gravar_Conexao_Do_Usuario(const Ajustes_Conexao &conexao);
// The password typed this session for the proxy's user (memory only; empty forgets it).
void Guardar_Senha_Sessao(const std::string &senha);
// After a delivery that ended with run-time failure `falha`: when the proxy refused the user or
// password, the session's password is forgotten (and `proxy`'s, a window's copy), so the next
// delivery asks for it again instead of failing the same way.
void Esquecer_Senha_Recusada(int falha, Proxy &proxy);

// Host and port of the settings over the program's defaults.
Ajustes_Transmissao Transmissao_Do_Usuario();
Ajustes_Lote Lote_Do_Usuario();

// When the proxy wants a user whose password was not typed this session, asks for it; false
// when the user gives up (nothing is then delivered).
bool Pedir_Senha_Se_Preciso(QWidget *pai, Proxy &proxy);

// The delivery log in the user's data folder, one for the whole program.
std::shared_ptr<Registro_Comunicacao> Registro_Do_Usuario();
