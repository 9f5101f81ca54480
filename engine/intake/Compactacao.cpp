#include "engine/intake/Compactacao.h"

#include "engine/platform/Zip.h"

bool Compacta_Arquivo(Zip &zip, const std::string &Caminho_Arquivo, const std::string &Caminho_Zip,
                      const sistema::Descritor *aberto)
{
    zip.Arquivo_Zip = Caminho_Zip;
    zip.Arquivo_Origem = Caminho_Arquivo;
    zip.Origem_Aberta = aberto;
    return zip.Compactar() == Resultado_Zip::Gravado;
}
