#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/. Declaration files come from the declaration tool:
    fuzz/gerar_sementes.py BUILD_DIR        (BUILD_DIR holds tools/declaracao/zelta-declaracao)
Found crash inputs are added to the corpora by hand, under names starting with "achado-"."""
import io
import os
import subprocess
import sys
import tempfile
import zipfile

raiz = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
ferramenta = os.path.join(sys.argv[1], "tools", "declaracao", "zelta-declaracao")


def gravar(alvo, nome, dados):
    os.makedirs(os.path.join(raiz, alvo), exist_ok=True)
    with open(os.path.join(raiz, alvo, nome), "wb") as f:
        f.write(dados if isinstance(dados, bytes) else dados.encode("cp1252"))


def declaracao(*opcoes):
    with tempfile.TemporaryDirectory() as d:
        caminho = os.path.join(d, "decl.txt")
        subprocess.run([ferramenta, "gerar", "--saida", caminho, *opcoes], check=True,
                       stdout=subprocess.DEVNULL)
        return open(caminho, "rb").read()


mov = declaracao("--competencia", "032024", "--pis-brancos", "1", "--pis-zerados", "1")
ace = declaracao("--tipo", "acerto", "--competencia", "022024", "--tipo-identificador", "2")
nao_validada = declaracao("--competencia", "032024", "--nao-validar")
grande = declaracao("--competencia", "032024", "--movimentos", "60")

# Declaration files, and two placed at the line reader's block edge (see fuzz_declaracao.cpp).
gravar("declaracao", "movimento", mov)
gravar("declaracao", "acerto", ace)
gravar("declaracao", "nao-validada", nao_validada)
gravar("declaracao", "uma-linha", mov.split(b"\r\n")[0][:145] + b"12345")
gravar("declaracao", "fim-duplo", mov + b"\r\n")
gravar("declaracao", "cr-e-lf-soltos", mov.replace(b"\r\n", b"\r", 2).replace(b"\r\n", b"\n", 1))
gravar("declaracao", "borda-linhas", b"\xff\x10\x00" + mov)
gravar("declaracao", "borda-linha-longa", b"\xfe\x00\x01" + ace)
gravar("declaracao", "borda-cr-lf-partido", b"\xff\x01\x00" + b"\r\n" + mov)  # CR ends block 1, LF starts block 2

# Server replies.
for nome, r in [("recibo", "01234567815012004090507"), ("ja-entregue", "70123456715012004090507"),
                ("competencia-5", "5082024"), ("competencia-6", "6032024"), ("descompactacao", "8"),
                ("abortada", "9"), ("intermediaria", "OK"), ("curta", "0123"),
                ("acentos", "0\xc7\xc3\xe9 45678150120040905070000")]:
    gravar("resposta", nome, r)

# History files: records as the builder makes them, each byte + 10, CR LF.
def registro(data, tipo, nome, codigo, tid, ident, razao, mes, ano, hora):
    campos = [data, tipo, nome.rjust(12), codigo, tid, ident.ljust(14), razao.ljust(35),
              "RUA DAS FLORES 100".ljust(40), "01001000", "SP", mes, ano,
              "     1", "     3", "     5", "     0", "     2", hora, codigo]
    r = "".join(campos)
    assert len(r) == 179
    return r.encode("cp1252")


def linha(r):
    return bytes((b + 10) % 256 for b in r) + b"\r\n"


a = registro("20240315", "1", "Z032024.MOV", "00000042", "1", "11222333000181", "EMPRESA EXEMPLO LTDA", "03", "2024", "090507")
b = registro("20240220", "2", "Z022024.ACE", "00000043", "2", "  123456789012", "CONSTRUÇÃO ÁGUA", " 2", "2024", "235959")
gravar("historico", "duas-entradas", linha(a) + linha(b))
gravar("historico", "linha-cortada", linha(a) + linha(b)[:90])
gravar("historico", "sem-fim-de-linha", linha(a)[:-2])
gravar("historico", "so-lf", linha(a).replace(b"\r\n", b"\n") * 2)
gravar("historico", "mais-de-200", b"\r\n" * 205 + linha(b))

# What a client sends: block header (type, name right-aligned in 12, block, total) and data.
def arquivo_zip(nome, conteudo):
    b = io.BytesIO()
    with zipfile.ZipFile(b, "w", zipfile.ZIP_DEFLATED) as z:
        # A fixed date keeps the seeds the same from one run of this script to the next.
        z.writestr(zipfile.ZipInfo(nome, (2024, 3, 15, 9, 5, 6)), conteudo, zipfile.ZIP_DEFLATED)
    return b.getvalue()


def envio(tipo, nome, dados):
    blocos = [dados[i:i + 1000] for i in range(0, len(dados), 1000)]
    return b"".join(b"%c%s%05d%05d" % (tipo, nome.rjust(12).encode(), n + 1, len(blocos)) + bloco
                    for n, bloco in enumerate(blocos))


gravar("servidor", "um-bloco", envio(ord("1"), "Z032024.MOV", arquivo_zip("Z032024.MOV", mov)))
gravar("servidor", "dois-blocos", envio(ord("1"), "Z032024.MOV", arquivo_zip("Z032024.MOV", grande)))
gravar("servidor", "acerto", envio(ord("2"), "Z022024.ACE", arquivo_zip("Z022024.ACE", ace)))
gravar("servidor", "competencia-futura",
       envio(ord("1"), "Z042024.MOV", arquivo_zip("Z042024.MOV", mov.replace(b"032024", b"042024", 1))))
gravar("servidor", "nao-zip", envio(ord("1"), "X.MOV", b"isto nao e um zip" * 10))
gravar("servidor", "cabecalho-ruim", b"3      ABC.MOV0000200001")
