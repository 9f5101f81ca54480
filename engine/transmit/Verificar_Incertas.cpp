#include "engine/transmit/Verificar_Incertas.h"

#include "engine/transmit/Registro_Tentativa.h"

#include <QFile>
#include <set>

std::vector<Tentativa_Razao> Entregas_Incertas(const std::string &historico)
{
    Razao_Entregas livro(Caminho_Razao(historico));
    std::vector<Tentativa_Razao> incertas;
    std::set<std::string> vistos;
    for (Tentativa_Razao &t : livro.Incertas())
        if (vistos.insert(t.sha256).second)
            incertas.push_back(std::move(t));
    return incertas;
}

QString Motivo_Nao_Reenviar(const Tentativa_Razao &t)
{
    if (!QFile::exists(QFile::decodeName(t.caminho.c_str())))
        return QStringLiteral("o arquivo não foi encontrado em ") + QFile::decodeName(t.caminho.c_str());
    if (Sha256_Arquivo(t.caminho) != t.sha256)
        return QStringLiteral("o arquivo foi alterado depois do envio; não foi reenviado");
    return {};
}

std::vector<Incerta_Verificada> Verificar_Incertas(std::vector<Tentativa_Razao> incertas,
                                                   const Ajustes_Lote &ajustes,
                                                   const std::function<void(const Evento_Entrega &)> &aviso,
                                                   const std::atomic<bool> &parar)
{
    std::vector<Incerta_Verificada> lista;
    std::vector<std::string> arquivos;
    std::vector<size_t> de_quem; // the list's index of each file sent
    for (Tentativa_Razao &t : incertas) {
        Incerta_Verificada v;
        v.resultado.arquivo = t.caminho;
        v.resultado.declaracao = t.declaracao;
        v.resultado.mensagem = Motivo_Nao_Reenviar(t);
        if (v.resultado.mensagem.isEmpty()) {
            de_quem.push_back(lista.size());
            arquivos.push_back(t.caminho);
        } else {
            v.resultado.situacao = Situacao_Entrega::Incerta;
        }
        v.tentativa = std::move(t);
        lista.push_back(std::move(v));
    }
    const auto evento = [&](const Evento_Entrega &e) {
        if (!aviso)
            return;
        Evento_Entrega copia = e;
        copia.indice = de_quem.at(e.indice);
        aviso(copia);
    };
    std::vector<Resultado_Entrega> r = Transmitir_Lote(arquivos, ajustes, evento, parar);
    for (size_t i = 0; i < r.size(); ++i)
        lista[de_quem[i]].resultado = std::move(r[i]);
    return lista;
}
