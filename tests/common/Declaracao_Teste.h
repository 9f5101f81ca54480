#pragma once
// Small declaration files for tests: a header line, B, C and X records of 150 characters,
// joined by CR LF, the last line stamped with the validation mark.
#include <string>

struct Modelo_Declaracao {
    std::string mes = "03", ano = "2024";
    std::string tipo_identificador = "1", identificador = "12345678000190";
    std::string razao_social = "EMPRESA EXEMPLO LTDA", endereco = "RUA DAS FLORES 100";
    std::string cep = "12345678", uf = "SP";
    int b = 1, c = 2, c_zerados = 0, x = 0;
    int linhas_extra = 0;   // extra C lines of filler, to make big archives
    bool validar = true;
};

std::string Texto_Declaracao(const Modelo_Declaracao &m);
// The mark the line checksum gives for these lines (the last one cut to 145 characters).
int Marca_Para(const std::string &texto_sem_marca);
// Writes the text to `caminho`; returns the path.
std::string Gravar_Declaracao(const std::string &caminho, const std::string &texto);
