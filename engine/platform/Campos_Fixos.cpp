#include "engine/platform/Campos_Fixos.h"

std::string Campo(std::string_view texto, int inicio, int tamanho)
{
    long long de = static_cast<long long>(inicio) - 1;
    long long ate = de + tamanho;
    if (de < 0)
        de = 0;
    if (ate > static_cast<long long>(texto.size()))
        ate = static_cast<long long>(texto.size());
    if (ate <= de)
        return {};
    return std::string(texto.substr(static_cast<size_t>(de), static_cast<size_t>(ate - de)));
}

std::string_view Sem_Brancos(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool So_Digitos(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string Sem_Controles(std::string texto)
{
    for (char &c : texto)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            c = ' ';
    return texto;
}
